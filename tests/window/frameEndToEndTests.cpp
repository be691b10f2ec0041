// The real Tarvo.exe with real input: hover, minimise, maximise, restore,
// move by the caption, size by the corner, and close, with the mouse alone.
#include <doctest/doctest.h>

#include "harness.h"

#include "../../src/chrome/layout.h"

namespace
{
const COLORREF red = RGB(255, 0, 0);
const COLORREF chrome = rgb(0.93f, 0.94f, 0.96f);

RECT windowRect(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    return r;
}

POINT screenPointOf(HWND window, CaptionButton button)
{
    RECT client;
    GetClientRect(window, &client);
    const Rect r = captionButtonRect(button, {client.right, client.bottom}, 5, 1);
    return clientToScreen(window, static_cast<int>((r.left + r.right) / 2), static_cast<int>((r.top + r.bottom) / 2));
}

// Press, travel in small steps, release: a real drag, with the rest Wine wants before the press.
void drag(POINT from, POINT to)
{
    moveMouseTo(from.x, from.y);
    pumpFor(500);
    mouseButton(MOUSEEVENTF_LEFTDOWN);
    pumpFor(200);
    for (int step = 1; step <= 10; ++step)
    {
        moveMouseTo(from.x + (to.x - from.x) * step / 10, from.y + (to.y - from.y) * step / 10);
        pumpFor(30);
    }
    pumpFor(200);
    mouseButton(MOUSEEVENTF_LEFTUP);
    pumpFor(300);
}

// The Maximize button's glyph as the screen shows it: which pixels are dark, to tell Maximize
// from Restore whatever the hover colour behind it. Empty while the button's own light face
// (chrome or hover) is not yet on screen there, so an old frame never passes for a glyph.
std::vector<bool> maximizeGlyph(HWND window)
{
    const POINT centre = screenPointOf(window, CaptionButton::Maximize);
    const Capture c = captureScreenRect({centre.x - 10, centre.y - 10, centre.x + 10, centre.y + 10});
    for (POINT corner : {POINT{0, 0}, POINT{19, 0}, POINT{0, 19}, POINT{19, 19}})
        if (GetRValue(c.at(corner.x, corner.y)) < 200)
            return {};
    std::vector<bool> dark;
    int count = 0;
    for (COLORREF pixel : c.pixels)
    {
        dark.push_back(GetRValue(pixel) < 90 && GetGValue(pixel) < 90 && GetBValue(pixel) < 90);
        count += dark.back();
    }
    return count > 2 ? dark : std::vector<bool>{};
}
} // namespace

TEST_CASE("the window can be hovered, minimised, maximised, restored, moved, sized and closed with the mouse")
{
    TarvoProcess tarvo;
    HWND window = tarvo.waitForWindow();
    REQUIRE(window != nullptr);
    SetWindowPos(window, nullptr, 100, 100, 800, 600, SWP_NOZORDER);
    // The frame at the new place and size: its canvas edge 10 pixels in from the right.
    REQUIRE(waitUntil([&] {
        const Capture c = captureClient(window);
        return c.width == 800 && closeTo(c.at(789, 300), rgb(0.83f, 0.83f, 0.83f));
    }));
    std::vector<bool> restoredGlyph;
    REQUIRE(waitUntil([&] { return !(restoredGlyph = maximizeGlyph(window)).empty(); }));

    // Hover turns Close red.
    const POINT close = screenPointOf(window, CaptionButton::Close);
    moveMouseTo(close.x - 15, close.y);
    CHECK(waitUntil([&] { return closeTo(captureScreenRect({close.x - 20, close.y - 10, close.x - 19, close.y - 9}).at(0, 0), red); }));
    moveMouseTo(400, 400);
    CHECK(waitUntil([&] { return closeTo(captureScreenRect({close.x - 20, close.y - 10, close.x - 19, close.y - 9}).at(0, 0), chrome); }));

    // Maximize, and the glyph becomes Restore; a second click restores.
    const POINT maximize = screenPointOf(window, CaptionButton::Maximize);
    clickAt(maximize.x, maximize.y);
    REQUIRE(waitUntil([&] { return IsZoomed(window) != 0; }));
    CHECK(waitUntil([&] {
        const std::vector<bool> glyph = maximizeGlyph(window);
        return !glyph.empty() && glyph != restoredGlyph;
    }));
    const POINT restore = screenPointOf(window, CaptionButton::Maximize);
    clickAt(restore.x, restore.y);
    REQUIRE(waitUntil([&] { return IsZoomed(window) == 0; }));
    CHECK(waitUntil([&] { return maximizeGlyph(window) == restoredGlyph; }));

    // Drag by the caption band.
    const RECT before = windowRect(window);
    drag({before.left + 300, before.top + 16}, {before.left + 400, before.top + 66});
    RECT moved = windowRect(window);
    CHECK(moved.left == before.left + 100);
    CHECK(moved.top == before.top + 50);
    CHECK(moved.right - moved.left == 800);

    // Drag the bottom-right corner: the window grows and the canvas follows.
    drag({moved.right - 3, moved.bottom - 3}, {moved.right + 97, moved.bottom + 47});
    const RECT sized = windowRect(window);
    CHECK(sized.right - sized.left == 900);
    CHECK(sized.bottom - sized.top == 650);
    CHECK(waitUntil([&] {
        const Capture c = captureClient(window);
        // The canvas frame now sits 10 pixels from the new right edge.
        return c.width == 900 && closeTo(c.at(889, 300), rgb(0.83f, 0.83f, 0.83f));
    }));

    // Minimize iconifies.
    const POINT minimize = screenPointOf(window, CaptionButton::Minimize);
    clickAt(minimize.x, minimize.y);
    CHECK(waitUntil([&] { return IsIconic(window) != 0; }));
    ShowWindow(window, SW_RESTORE);
    REQUIRE(waitUntil([&] { return IsIconic(window) == 0; }));
    pumpFor(500);

    // Close ends the process with exit code 0.
    const POINT closeAgain = screenPointOf(window, CaptionButton::Close);
    moveMouseTo(closeAgain.x, closeAgain.y);
    pumpFor(300);
    clickAt(closeAgain.x, closeAgain.y);
    DWORD exitCode = 1;
    REQUIRE(tarvo.waitForExit(20000, exitCode));
    CHECK(exitCode == 0);
}
