// What a screen reader is told about the window: every child's name, role, state, place and
// default action, the child under a point, and the walk through the children.
#include <doctest/doctest.h>

#include <climits>

#include "../../src/accessibility/accessibleTree.h"

namespace
{
// A 900 x 640 window titled "Tarvo", restored and visible, with nothing hovered or pressed.
AccessibleView viewOf(const std::vector<Line>& lines, float dpiScale = 1)
{
    AccessibleView view = {};
    view.client = {900, 640};
    view.title = L"Tarvo";
    view.dpiScale = dpiScale;
    view.visible = true;
    view.hoveredMenuItem = -1;
    view.lines = &lines;
    return view;
}

void checkRect(const Rect& r, const Rect& expected)
{
    CHECK(r.left == expected.left);
    CHECK(r.top == expected.top);
    CHECK(r.right == expected.right);
    CHECK(r.bottom == expected.bottom);
}
} // namespace

TEST_CASE("every child has the name, role, place and default action of what is painted, at 96 and 144 DPI")
{
    const std::vector<Line> lines = {{120, 200, 480, 200, 0}, {300, 150, 303.6f, 410, 1}};
    for (float s : {1.0f, 1.5f})
    {
        CAPTURE(s);
        const AccessibleView view = viewOf(lines, s);
        const ClientSize c = view.client;
        CHECK(childCount(view) == 10);
        struct Row
        {
            int32_t id;
            const wchar_t* name;
            int32_t role;
            Rect place;
            const wchar_t* action; // null: none
        } rows[] = {
            {SelfChild, L"Tarvo", Role::client, {0, 0, 900, 640}, nullptr},
            {MenuButtonChild, L"Menu", Role::buttonMenu, captionButtonRect(CaptionButton::Menu, c, 5, s), L"Open"},
            {MinimizeChild, L"Minimize", Role::pushButton, captionButtonRect(CaptionButton::Minimize, c, 5, s),
             L"Press"},
            {MaximizeChild, L"Maximize", Role::pushButton, captionButtonRect(CaptionButton::Maximize, c, 5, s),
             L"Press"},
            {CloseChild, L"Close", Role::pushButton, captionButtonRect(CaptionButton::Close, c, 5, s), L"Press"},
            {SaveImageChild, L"Save Image", Role::pushButton, saveButtonRect(c, s), L"Press"},
            {CanvasChild, L"Canvas", Role::client, canvasRect(c, s), nullptr},
            {ExportItemChild, L"Export as Image", Role::menuItem, menuEntryRect(c, 5, s, 0), L"Execute"},
            {ExitItemChild, L"Exit", Role::menuItem, menuEntryRect(c, 5, s, 2), L"Execute"},
            // Lines: their box, widened by half the 2-DIP stroke on every side.
            {FirstLineChild, L"Line 1 of 2: from (120, 200) to (480, 200), 360 pixels", Role::graphic,
             {120 - s, 200 - s, 480 + s, 200 + s}, nullptr},
            {FirstLineChild + 1, L"Line 2 of 2: from (300, 150) to (304, 410), 260 pixels", Role::graphic,
             {300 - s, 150 - s, 303.6f + s, 410 + s}, nullptr},
        };
        for (const Row& row : rows)
        {
            CAPTURE(row.id);
            CHECK(childName(view, row.id) == row.name);
            CHECK(childRole(row.id) == row.role);
            checkRect(childRect(view, row.id), row.place);
            CHECK(std::wstring(childDefaultAction(view, row.id) ? childDefaultAction(view, row.id) : L"-") ==
                  (row.action ? row.action : L"-"));
        }
    }
    CHECK(canvasValue(lines) == L"2 lines, 1 selected");
    CHECK(canvasValue({lines[0]}) == L"1 line, 0 selected");
    CHECK(canvasValue({}) == L"No lines");
}

TEST_CASE("states follow hover, press, the menu, maximising, visibility and selection")
{
    const std::vector<Line> lines = {{100, 300, 400, 300, 0}, {100, 400, 400, 400, 1}};
    AccessibleView v = viewOf(lines);
    CHECK(childState(v, SelfChild) == 0);
    CHECK(childState(v, MenuButtonChild) == State::hasPopup);
    CHECK(childState(v, CloseChild) == 0);
    CHECK(childState(v, CanvasChild) == 0);
    CHECK(childState(v, ExportItemChild) == State::invisible);
    CHECK(childState(v, FirstLineChild) == State::selectable);
    CHECK(childState(v, FirstLineChild + 1) == (State::selectable | State::selected));

    v.hoveredButton = v.pressedButton = CaptionButton::Close;
    v.saveButtonHovered = true;
    CHECK(childState(v, CloseChild) == (State::hotTracked | State::pressed));
    CHECK(childState(v, MaximizeChild) == 0);
    CHECK(childState(v, SaveImageChild) == State::hotTracked);
    v.hoveredButton = CaptionButton::Minimize; // pressed Close with the pointer gone
    CHECK(childState(v, CloseChild) == State::pressed);
    CHECK(childState(v, MinimizeChild) == State::hotTracked);

    v.menuOpen = true;
    v.hoveredMenuItem = 2;
    v.hoveredButton = CaptionButton::Menu;
    CHECK(childState(v, MenuButtonChild) == (State::hasPopup | State::expanded | State::hotTracked));
    CHECK(std::wstring(childDefaultAction(v, MenuButtonChild)) == L"Close");
    CHECK(childState(v, ExportItemChild) == 0);
    CHECK(childState(v, ExitItemChild) == State::hotTracked);
    v.menuOpen = false; // the index outlives the menu until the next move; the item is hidden
    CHECK(childState(v, ExitItemChild) == State::invisible);

    v.maximised = true;
    CHECK(childName(v, MaximizeChild) == L"Restore");
    v.visible = false;
    CHECK(childState(v, SelfChild) == State::invisible);
    v.client = {300, 100}; // too short for a canvas
    CHECK(childState(v, CanvasChild) == State::invisible);
    v.client = {20, 600}; // a canvas of width 0
    CHECK(childState(v, CanvasChild) == State::invisible);
}

TEST_CASE("a point answers the child a left press would reach, in the press's order, edge pixels included")
{
    // The second line is later, so on top where they cross.
    const std::vector<Line> lines = {{100, 300, 400, 300, 0}, {250, 200, 250, 400, 0}};
    struct Row
    {
        ClientSize client;
        bool menuOpen;
        int32_t x, y;
        int32_t expected;
    } rows[] = {
        {{800, 600}, false, 799, 0, CloseChild},        // Close's last pixel
        {{800, 600}, false, 754, 0, CloseChild},        // Close's left edge
        {{800, 600}, false, 753, 0, MaximizeChild},
        {{800, 600}, false, 754, 32, SelfChild},        // the toolbar below it
        {{800, 600}, false, 72, 10, MenuButtonChild},   // Menu's left edge
        {{800, 600}, false, 118, 10, SelfChild},        // Menu's right edge
        {{800, 600}, false, 40, 16, SelfChild},         // logo and title
        {{800, 600}, false, 674, 40, SaveImageChild},   // Save Image's top-left pixel
        {{800, 600}, false, 790, 71, SelfChild},        // its right edge is outside
        {{800, 600}, false, 789, 72, SelfChild},        // and so is its bottom edge
        {{800, 600}, false, 10, 90, CanvasChild},       // the canvas's top-left pixel
        {{800, 600}, false, 790, 300, SelfChild},       // its right edge is outside
        {{800, 600}, false, 150, 305, FirstLineChild},  // within 6 pixels of the line
        {{800, 600}, false, 150, 307, CanvasChild},
        {{800, 600}, false, 250, 300, FirstLineChild + 1},
        {{800, 600}, false, 800, 300, noChild},         // outside the client area
        {{800, 600}, false, -1, 300, noChild},
        // The open popup comes first, over the canvas it covers; its separator is no child.
        {{800, 600}, true, 100, 100, ExitItemChild},
        {{800, 600}, true, 100, 40, ExportItemChild},
        {{800, 600}, true, 100, 68, SelfChild},
        {{800, 600}, true, 100, 105, CanvasChild},      // below the popup
        // In a narrow window the popup also covers Save Image, and still comes first.
        {{300, 400}, true, 200, 50, ExportItemChild},
        {{300, 400}, false, 200, 50, SaveImageChild},
    };
    for (const Row& row : rows)
    {
        CAPTURE(row.x);
        CAPTURE(row.y);
        AccessibleView view = viewOf(lines);
        view.client = row.client;
        view.menuOpen = row.menuOpen;
        CHECK(childAtPoint(view, row.x, row.y) == row.expected);
    }
}

TEST_CASE("child ids name only what exists, and the walk visits them in order")
{
    std::vector<Line> lines = {{100, 300, 400, 300, 0}};
    const AccessibleView view = viewOf(lines);
    for (int32_t id : {SelfChild, ExitItemChild, FirstLineChild})
        CHECK(isChild(view, id));
    for (int32_t id : {-1, FirstLineChild + 1, INT_MAX, INT_MIN})
        CHECK_FALSE(isChild(view, id));

    struct Row
    {
        Step step;
        int32_t from, to;
    } rows[] = {
        {Step::FirstChild, SelfChild, MenuButtonChild}, {Step::LastChild, SelfChild, FirstLineChild},
        {Step::FirstChild, CanvasChild, noChild},        {Step::Next, CanvasChild, ExportItemChild},
        {Step::Next, ExitItemChild, FirstLineChild},     {Step::Next, FirstLineChild, noChild},
        {Step::Next, SelfChild, noChild},                {Step::Previous, FirstLineChild, ExitItemChild},
        {Step::Previous, MenuButtonChild, noChild},
    };
    for (const Row& row : rows)
    {
        CAPTURE(row.from);
        CHECK(childAfterStep(view, row.step, row.from) == row.to);
    }

    lines.push_back({0, 0, 5, 5, 1});
    lines.push_back({0, 0, 5, 5, 1});
    CHECK(selectedChildren(lines) == std::vector<int32_t>{FirstLineChild + 1, FirstLineChild + 2});
    lines[0].selected = 1;
    CHECK(selectedChildren(lines) == std::vector<int32_t>{FirstLineChild, FirstLineChild + 1, FirstLineChild + 2});
}

TEST_CASE("a rectangle is covered by whole pixels from its floor to its ceiling; an empty one by none")
{
    const PixelBox empty = pixelsCovering({10, 90, 5, 80});
    CHECK((empty.left == 10 && empty.top == 90 && empty.width == 0 && empty.height == 0));
    const PixelBox box = pixelsCovering({10.5f, 90.25f, 30, 100.5f}); // a canvas cut at 1.25 x, say
    CHECK((box.left == 10 && box.top == 90 && box.width == 20 && box.height == 11));
}
