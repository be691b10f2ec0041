// Where each region of the window lies for a given client size, title length
// and scale, with the edges that decide which region a pixel belongs to.
#include <doctest/doctest.h>

#include <initializer_list>
#include <limits>
#include <string>

#include "../../src/chrome/layout.h"
#include "../../src/menu/menuTable.h"

namespace
{
const unsigned tarvoTitle = 5; // "Tarvo"

bool isEmpty(const Rect& r)
{
    return !(r.right > r.left) || !(r.bottom > r.top);
}

void checkRect(const Rect& r, float left, float top, float right, float bottom)
{
    CHECK(r.left == left);
    CHECK(r.top == top);
    CHECK(r.right == right);
    CHECK(r.bottom == bottom);
}
} // namespace

TEST_CASE("at scale 1 with the five-letter title every region has its documented rectangle")
{
    const ClientSize client = {1000, 600};
    const float W = 1000, H = 600;
    checkRect(captionButtonRect(CaptionButton::Menu, client, tarvoTitle, 1), 72, 0, 118, 32);
    checkRect(captionButtonRect(CaptionButton::Close, client, tarvoTitle, 1), W - 46, 0, W, 32);
    checkRect(captionButtonRect(CaptionButton::Maximize, client, tarvoTitle, 1), W - 92, 0, W - 46, 32);
    checkRect(captionButtonRect(CaptionButton::Minimize, client, tarvoTitle, 1), W - 138, 0, W - 92, 32);
    checkRect(menuPopupRect(client, tarvoTitle, 1), 72, 32, 272, 105);
    checkRect(menuEntryRect(client, tarvoTitle, 1, 0), 72, 32, 272, 64);
    checkRect(menuEntryRect(client, tarvoTitle, 1, 1), 72, 64, 272, 73);
    checkRect(menuEntryRect(client, tarvoTitle, 1, 2), 72, 73, 272, 105);
    checkRect(saveButtonRect(client, 1), W - 126, 40, W - 10, 72);
    checkRect(canvasRect(client, 1), 10, 90, W - 10, H - 10);
    checkRect(titleBarRect(client, 1), 0, 0, W, 32);
    checkRect(toolbarRect(client, 1), 0, 32, W, 80);
    checkRect(logoRect(1), 7, 7, 25, 24);
    // The title box allows 36 DIPs a character and so reaches past the Menu button.
    checkRect(titleTextRect(tarvoTitle, 1), 32, 2, 180, 28);
}

TEST_CASE("None and values outside the buttons give an empty rectangle that holds no point")
{
    const ClientSize client = {800, 600};
    for (int value : {0, -1, 5, 1000})
    {
        CAPTURE(value);
        const Rect r = captionButtonRect(static_cast<CaptionButton>(value), client, tarvoTitle, 1);
        checkRect(r, 0, 0, 0, 0);
        CHECK_FALSE(contains(r, 0, 0));
    }
}

TEST_CASE("left and top edges are inside, right and bottom edges are not")
{
    const ClientSize client = {1000, 600};
    struct Row
    {
        float x, y;
        CaptionButton expected;
    } rows[] = {
        {999, 0, CaptionButton::Close},     // x = W - 1
        {954, 0, CaptionButton::Close},     // x = W - 46, Close's left edge
        {953, 0, CaptionButton::Maximize},  // x = W - 47
        {954, 31, CaptionButton::Close},    // last row of the title bar
        {954, 32, CaptionButton::None},     // first row below it
        {72, 10, CaptionButton::Menu},      // Menu's left edge
        {118, 10, CaptionButton::None},     // Menu's right edge
        {71.5f, 10, CaptionButton::None},
        {862, 5, CaptionButton::Minimize},  // Minimize's left edge
        {1000, 5, CaptionButton::None},     // the client's right edge itself
    };
    for (const Row& row : rows)
    {
        CAPTURE(row.x);
        CAPTURE(row.y);
        CHECK(captionButtonAtPoint(row.x, row.y, client, tarvoTitle, 1) == row.expected);
    }
    const float nan = std::numeric_limits<float>::quiet_NaN();
    CHECK_FALSE(contains(canvasRect(client, 1), nan, 100));
    CHECK_FALSE(contains(canvasRect(client, 1), 100, nan));
    // A menu row outside the table reads no row beyond it: an empty row above the first or below the last.
    checkRect(menuEntryRect(client, tarvoTitle, 1, -1), 72, 32, 272, 32);
    checkRect(menuEntryRect(client, tarvoTitle, 1, menuEntryCount + 1), 72, 105, 272, 105);
}

TEST_CASE("a window too narrow for the menu gives an empty popup and rows")
{
    const ClientSize client = {60, 600}; // narrower than the 72-DIP title area
    CHECK(isEmpty(menuPopupRect(client, tarvoTitle, 1)));
    for (int row = 0; row < menuEntryCount; ++row)
    {
        const Rect r = menuEntryRect(client, tarvoTitle, 1, row);
        CHECK(isEmpty(r));
        CHECK_FALSE(contains(r, 70, r.top));
    }
    // A popup that fits partly is cut at the client's right edge.
    CHECK(menuPopupRect({150, 600}, tarvoTitle, 1).right == 150);
}

TEST_CASE("a short client area cuts the popup at its bottom while rows keep their places")
{
    checkRect(menuPopupRect({800, 90}, tarvoTitle, 1), 72, 32, 272, 90);
    checkRect(menuEntryRect({800, 90}, tarvoTitle, 1, 2), 72, 73, 272, 105);
    // Shorter than the title bar: the popup's bottom lies above its top.
    const Rect popup = menuPopupRect({800, 20}, tarvoTitle, 1);
    CHECK(popup.bottom < popup.top);
    CHECK(isEmpty(popup));
}

TEST_CASE("the canvas is empty once the client is at most 20 x s wide or 100 x s high")
{
    CHECK(isEmpty(canvasRect({20, 600}, 1)));
    CHECK_FALSE(isEmpty(canvasRect({21, 600}, 1)));
    CHECK(isEmpty(canvasRect({800, 100}, 1)));
    CHECK_FALSE(isEmpty(canvasRect({800, 101}, 1)));
    CHECK(isEmpty(canvasRect({40, 600}, 2)));
    CHECK(isEmpty(canvasRect({800, 200}, 2)));
}

TEST_CASE("the window buttons are not clipped in a narrow window")
{
    const ClientSize client = {100, 600}; // less than 138 DIPs
    CHECK(captionButtonRect(CaptionButton::Minimize, client, tarvoTitle, 1).left == -38);
    // Where Menu and Minimize overlap, Minimize wins.
    CHECK(captionButtonAtPoint(80, 10, {200, 600}, tarvoTitle, 1) == CaptionButton::Minimize);
}

TEST_CASE("the title length moves the Menu button and the popup")
{
    // An empty title leaves the 32-DIP base and a title box with its right edge at 0.
    checkRect(captionButtonRect(CaptionButton::Menu, {800, 600}, 0, 1), 32, 0, 78, 32);
    checkRect(titleTextRect(0, 1), 32, 2, 0, 28);
    CHECK(isEmpty(titleTextRect(0, 1)));
    // The longest title a 256-character buffer can hold.
    CHECK(captionButtonRect(CaptionButton::Menu, {800, 600}, 255, 1).left == 8 * 255 + 32);
    CHECK(menuPopupRect({800, 600}, 255, 1).left == 8 * 255 + 32);
}

TEST_CASE("doubling the scale doubles every DIP length while the client size stays")
{
    const ClientSize client = {1000, 600};
    checkRect(captionButtonRect(CaptionButton::Close, client, tarvoTitle, 2), 908, 0, 1000, 64);
    checkRect(captionButtonRect(CaptionButton::Menu, client, tarvoTitle, 2), 144, 0, 236, 64);
    checkRect(canvasRect(client, 2), 20, 180, 980, 580);
    checkRect(saveButtonRect(client, 2), 1000 - 252, 80, 980, 144);
    checkRect(menuPopupRect(client, tarvoTitle, 2), 144, 64, 544, 210);
    checkRect(menuEntryRect(client, tarvoTitle, 2, 2), 144, 146, 544, 210);
    checkRect(logoRect(2), 14, 14, 50, 48);
    checkRect(titleBarRect(client, 2), 0, 0, 1000, 64);
    checkRect(toolbarRect(client, 2), 0, 64, 1000, 160);
    checkRect(titleTextRect(tarvoTitle, 2), 64, 4, 360, 56);
}

TEST_CASE("at scale 1.5 the canvas of a 1000 x 700 client is 970 x 550")
{
    checkRect(canvasRect({1000, 700}, 1.5f), 15, 135, 985, 685);
}

TEST_CASE("the menu table has an item, a separator and an item, with their glyphs")
{
    CHECK_FALSE(menuEntries[0].isSeparator);
    CHECK(std::wstring(menuEntries[0].label) == L"Export as Image");
    CHECK(*menuEntries[0].glyph == 0xEB9F);
    CHECK(menuEntries[0].command == MenuCommand::ExportImage);
    CHECK(menuEntries[1].isSeparator);
    CHECK(menuEntries[1].label == nullptr);
    CHECK(menuEntries[1].glyph == nullptr);
    CHECK(menuEntries[1].command == MenuCommand::None);
    CHECK(std::wstring(menuEntries[2].label) == L"Exit");
    CHECK(*menuEntries[2].glyph == 0xE7E8);
    CHECK(menuEntries[2].command == MenuCommand::Exit);
    CHECK(std::wstring(glyphString) == std::wstring{0xE700, 0xE921, 0xE923, 0xE922, 0xE8BB, 0xEB9F, 0xE7E8});
    CHECK(menuEntries[0].glyph == &glyphString[5]);
    CHECK(menuEntries[2].glyph == &glyphString[6]);
}
