// Drawing, selecting and deleting lines through the window's own message
// handling, with the repaint each path must (or must not) request.
#include <doctest/doctest.h>

#include "harness.h"

#include <cstdlib>
#include <new>

#include "../../src/chrome/windowLayout.h"

namespace
{
// Sends a message and reports whether it asked for a repaint.
bool repaints(TestWindow& w, UINT message, int x, int y, WPARAM wParam = 0)
{
    clearPendingRepaint(w.hwnd());
    w.send(message, x, y, wParam);
    return hasPendingRepaint(w.hwnd());
}

bool deleteKeyRepaints(TestWindow& w)
{
    clearPendingRepaint(w.hwnd());
    SendMessageW(w.hwnd(), WM_KEYDOWN, VK_DELETE, 0);
    return hasPendingRepaint(w.hwnd());
}

void addLine(WindowState& s, float x1, float y1, float x2, float y2, uint8_t selected = 0)
{
    s.lines.push_back({x1, y1, x2, y2, selected});
}
} // namespace

TEST_CASE("two left clicks commit a line from the first click to the second click's own point")
{
    TestWindow w(800, 600);
    WindowState& s = w.state();
    CHECK(repaints(w, WM_LBUTTONDOWN, 100, 200));
    CHECK(s.drawing);
    CHECK(s.draftLine.x1 == 100);
    CHECK(s.draftLine.y2 == 200);
    CHECK(repaints(w, WM_MOUSEMOVE, 2000, 2000)); // draft end pinned to the corner
    CHECK(repaints(w, WM_LBUTTONDOWN, 300, 400));
    CHECK_FALSE(s.drawing);
    REQUIRE(s.lines.size() == 1);
    CHECK(s.lines[0].x1 == 100);
    CHECK(s.lines[0].y1 == 200);
    CHECK(s.lines[0].x2 == 300);
    CHECK(s.lines[0].y2 == 400);
    CHECK(s.lines[0].selected == 0);
    CHECK(GetCapture() != w.hwnd()); // drawing never takes the capture
    // The release plays no part.
    CHECK_FALSE(repaints(w, WM_LBUTTONUP, 300, 400));
    CHECK(s.lines.size() == 1);

    // Two presses at one point (a double click) commit a zero-length line.
    w.send(WM_LBUTTONDOWN, 50, 150);
    w.send(WM_LBUTTONDOWN, 50, 150);
    REQUIRE(s.lines.size() == 2);
    CHECK(s.lines[1].x1 == s.lines[1].x2);
}

TEST_CASE("the canvas's left and top edges take a click, its right and bottom edges do not")
{
    TestWindow w(800, 600); // canvas (10, 90, 790, 590)
    WindowState& s = w.state();
    CHECK(repaints(w, WM_LBUTTONDOWN, 10, 300));
    CHECK(s.drawing);
    CHECK(repaints(w, WM_LBUTTONDOWN, 400, 90));
    CHECK(s.lines.size() == 1);

    CHECK_FALSE(repaints(w, WM_LBUTTONDOWN, 790, 300));
    CHECK_FALSE(repaints(w, WM_LBUTTONDOWN, 400, 590));
    CHECK_FALSE(repaints(w, WM_LBUTTONDOWN, 9, 300));
    CHECK_FALSE(repaints(w, WM_LBUTTONDOWN, 400, 85)); // toolbar strip
    CHECK_FALSE(s.drawing);

    // A click outside every target leaves a draft in progress.
    w.send(WM_LBUTTONDOWN, 400, 300);
    CHECK_FALSE(repaints(w, WM_LBUTTONDOWN, 5, 5));
    CHECK(s.drawing);
}

TEST_CASE("the draft end is clamped to exactly L, T, R and B, and follows every move")
{
    TestWindow w(800, 600);
    WindowState& s = w.state();
    w.send(WM_LBUTTONDOWN, 400, 300);
    struct Row
    {
        int x, y;
        float endX, endY;
    } rows[] = {
        {-50, 300, 10, 300},    // left of the window: L
        {400, -20, 400, 90},    // above: T
        {950, 300, 790, 300},   // right of the window: R itself
        {400, 700, 400, 590},   // below: B itself
        {790, 590, 790, 590},   // on the right and bottom edges
        {1, 1, 10, 90},
        {500, 400, 500, 400},   // inside: the pointer itself
    };
    for (const Row& row : rows)
    {
        CAPTURE(row.x);
        CAPTURE(row.y);
        CHECK(repaints(w, WM_MOUSEMOVE, row.x, row.y));
        CHECK(s.draftLine.x2 == row.endX);
        CHECK(s.draftLine.y2 == row.endY);
        CHECK(s.draftLine.x1 == 400);
    }
    // A move to the same point still repaints while drawing.
    CHECK(repaints(w, WM_MOUSEMOVE, 500, 400));
}

TEST_CASE("the right button cancels a draft anywhere, else toggles the topmost line within reach")
{
    TestWindow w(800, 600);
    WindowState& s = w.state();
    w.send(WM_LBUTTONDOWN, 400, 300);
    CHECK(repaints(w, WM_RBUTTONDOWN, 5, 5)); // outside the canvas, still cancels
    CHECK_FALSE(s.drawing);
    CHECK(s.lines.empty());

    addLine(s, 100, 300, 500, 300);
    addLine(s, 300, 100, 300, 500);
    CHECK(repaints(w, WM_RBUTTONDOWN, 300, 300)); // crossing point: the later line
    CHECK(s.lines[0].selected == 0);
    CHECK(s.lines[1].selected == 1);
    CHECK(repaints(w, WM_RBUTTONDOWN, 300, 306)); // a second click deselects
    CHECK(s.lines[1].selected == 0);
    CHECK_FALSE(repaints(w, WM_RBUTTONDOWN, 600, 500)); // empty canvas
    CHECK_FALSE(repaints(w, WM_RBUTTONDOWN, 300, 50));  // a line's point outside the canvas is not offered
    CHECK(s.lines[1].selected == 0);

    // At 1.5 x scale the reach is 9 pixels.
    RECT placed;
    GetWindowRect(w.hwnd(), &placed);
    SendMessageW(w.hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&placed));
    CHECK(repaints(w, WM_RBUTTONDOWN, 200, 309));
    CHECK(s.lines[0].selected == 1);
    CHECK_FALSE(repaints(w, WM_RBUTTONDOWN, 200, 310));
}

TEST_CASE("the open menu neither blocks the right button nor is closed by it")
{
    TestWindow w(800, 600);
    WindowState& s = w.state();
    addLine(s, 100, 95, 250, 95); // runs under the popup (72..272, 32..105)
    s.menuOpen = true;
    CHECK(repaints(w, WM_RBUTTONDOWN, 150, 95));
    CHECK(s.lines[0].selected == 1);
    CHECK(s.menuOpen);
}

TEST_CASE("a left click on the canvas while the menu is open only closes the menu")
{
    TestWindow w(800, 600);
    WindowState& s = w.state();
    const Rect menu = captionButtonRect(w.hwnd(), CaptionButton::Menu, 1);
    w.send(WM_LBUTTONDOWN, static_cast<int>(menu.left) + 5, 10);
    w.send(WM_LBUTTONUP, static_cast<int>(menu.left) + 5, 10);
    REQUIRE(s.menuOpen);
    CHECK(repaints(w, WM_LBUTTONDOWN, 400, 300));
    CHECK_FALSE(s.menuOpen);
    CHECK_FALSE(s.drawing);
    CHECK(repaints(w, WM_LBUTTONDOWN, 400, 300));
    CHECK(s.drawing);
}

TEST_CASE("opening the menu while drawing discards the draft")
{
    TestWindow w(800, 600);
    WindowState& s = w.state();
    w.send(WM_LBUTTONDOWN, 400, 300);
    w.send(WM_MOUSEMOVE, 450, 320);
    const Rect menu = captionButtonRect(w.hwnd(), CaptionButton::Menu, 1);
    CHECK(repaints(w, WM_LBUTTONDOWN, static_cast<int>(menu.left) + 5, 10));
    CHECK(s.menuOpen);
    CHECK_FALSE(s.drawing);
    CHECK(s.draftLine.x1 == 0);
    CHECK(s.draftLine.y1 == 0);
    CHECK(s.draftLine.x2 == 0);
    CHECK(s.draftLine.y2 == 0);
    w.send(WM_LBUTTONUP, static_cast<int>(menu.left) + 5, 10);
}

TEST_CASE("Delete asks first, and deletes the selected lines only on Yes")
{
    TestWindow w(800, 600);
    WindowState& s = w.state();
    addLine(s, 100, 100, 200, 200, 1);
    addLine(s, 150, 100, 250, 200, 0);
    addLine(s, 200, 100, 300, 200, 1);
    {
        ModalAnswerer answerer({{IDNO, L""}});
        CHECK_FALSE(deleteKeyRepaints(w));
        REQUIRE(answerer.seen().size() == 1);
        CHECK(answerer.seen()[0].caption == L"Confirm Delete");
        CHECK(answerer.seen()[0].text == L"Delete the selected line(s)?");
        CHECK(answerer.seen()[0].ownerDisabled); // modal to the window
        REQUIRE(s.lines.size() == 3);
        CHECK(s.lines[0].selected == 1);
        CHECK(s.lines[2].selected == 1);
    }
    {
        ModalAnswerer answerer({{IDYES, L""}});
        CHECK(deleteKeyRepaints(w));
        CHECK(answerer.seen().size() == 1);
        REQUIRE(s.lines.size() == 1);
        CHECK(s.lines[0].x1 == 150);
    }
    {
        // Nothing selected: no box at all.
        ModalAnswerer answerer({{IDYES, L""}});
        CHECK_FALSE(deleteKeyRepaints(w));
        CHECK(answerer.seen().empty());
        CHECK(s.lines.size() == 1);
    }
    // Any other key does nothing.
    s.lines[0].selected = 1;
    clearPendingRepaint(w.hwnd());
    CHECK(SendMessageW(w.hwnd(), WM_KEYDOWN, 'D', 0) == 0);
    CHECK(SendMessageW(w.hwnd(), WM_KEYDOWN, VK_BACK, 0) == 0);
    CHECK_FALSE(hasPendingRepaint(w.hwnd()));
    CHECK(s.lines.size() == 1);
}

TEST_CASE("Delete with every line selected leaves an empty drawing and keeps a draft in progress")
{
    TestWindow w(800, 600);
    WindowState& s = w.state();
    addLine(s, 100, 100, 200, 200, 1);
    addLine(s, 150, 100, 250, 200, 1);
    w.send(WM_LBUTTONDOWN, 400, 300);
    ModalAnswerer answerer({{IDYES, L""}});
    CHECK(deleteKeyRepaints(w));
    CHECK(s.lines.empty());
    CHECK(s.drawing);
}

TEST_CASE("out of memory while committing keeps the drawing and the draft")
{
    TestWindow w(800, 600);
    WindowState& s = w.state();
    for (int i = 0; i < 4; ++i) // capacity 4 is full, so the next commit must allocate
    {
        w.send(WM_LBUTTONDOWN, 100 + i, 200);
        w.send(WM_LBUTTONDOWN, 300 + i, 400);
    }
    REQUIRE(s.lines.size() == s.lines.capacity());
    w.send(WM_LBUTTONDOWN, 500, 300);
    failAllocations = true;
    w.send(WM_LBUTTONDOWN, 600, 500);
    failAllocations = false;
    CHECK(IsWindow(w.hwnd()));
    CHECK(s.lines.size() == 4);
    CHECK(s.lines[3].x1 == 103);
    CHECK(s.drawing);
    CHECK(s.draftLine.x1 == 500);
    // Once memory is back the same click commits.
    w.send(WM_LBUTTONDOWN, 600, 500);
    REQUIRE(s.lines.size() == 5);
    CHECK(s.lines[4].x1 == 500);
    CHECK(s.lines[4].x2 == 600);
    CHECK_FALSE(s.drawing);
}

TEST_CASE("resizing, a DPI change and the pointer leaving keep a draft; lines keep their pixels")
{
    TestWindow w(800, 600);
    WindowState& s = w.state();
    addLine(s, 100, 100, 200, 200);
    w.send(WM_LBUTTONDOWN, 400, 300);
    w.setClientSize(700, 500);
    RECT placed;
    GetWindowRect(w.hwnd(), &placed);
    SendMessageW(w.hwnd(), WM_DPICHANGED, MAKEWPARAM(120, 120), reinterpret_cast<LPARAM>(&placed));
    SendMessageW(w.hwnd(), WM_MOUSELEAVE, 0, 0);
    CHECK(s.drawing);
    CHECK(s.draftLine.x1 == 400);
    CHECK(s.lines[0].x2 == 200);
}

TEST_CASE("closing the window while the delete confirmation is up leaves no handler on a freed record")
{
    auto* w = new TestWindow(800, 600);
    HWND hwnd = w->hwnd();
    addLine(w->state(), 100, 100, 200, 200, 1);
    ModalAnswerer answerer({{IDYES, L"", [hwnd](HWND) { PostMessageW(hwnd, WM_CLOSE, 0, 0); }}});
    SendMessageW(hwnd, WM_KEYDOWN, VK_DELETE, 0);
    pumpMessages();
    CHECK_FALSE(IsWindow(hwnd));
    CHECK(answerer.seen().size() == 1);
    delete w;
}
