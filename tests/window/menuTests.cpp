// The application menu's state machine through the window's own mouse
// handling: opening, hover, choosing, and every way it closes.
#include <doctest/doctest.h>

#include "harness.h"

#include "../../src/chrome/windowLayout.h"
#include "../../src/menu/appMenu.h"

namespace
{
struct Menu
{
    TestWindow& w;
    POINT button() const { return centre(captionButtonRect(w.hwnd(), CaptionButton::Menu, w.state().dpiScale)); }
    POINT row(int index) const { return centre(menuEntryRect(w.hwnd(), w.state().dpiScale, index)); }
    static POINT centre(Rect r) { return {static_cast<int>((r.left + r.right) / 2), static_cast<int>((r.top + r.bottom) / 2)}; }
    void press(POINT p) { w.send(WM_LBUTTONDOWN, p.x, p.y); }
    void release(POINT p) { w.send(WM_LBUTTONUP, p.x, p.y); }
    void move(POINT p) { w.send(WM_MOUSEMOVE, p.x, p.y); }
    bool repaints(UINT message, POINT p)
    {
        clearPendingRepaint(w.hwnd());
        w.send(message, p.x, p.y);
        return hasPendingRepaint(w.hwnd());
    }
};
} // namespace

TEST_CASE("pressing the Menu button opens the menu with the capture; releasing over it leaves it open")
{
    TestWindow w(800, 600);
    WindowState& s = w.state();
    Menu menu{w};
    CHECK(menu.repaints(WM_LBUTTONDOWN, menu.button()));
    CHECK(s.menuOpen);
    CHECK(s.pressedButton == CaptionButton::Menu);
    CHECK(GetCapture() == w.hwnd());
    menu.release(menu.button());
    CHECK(s.menuOpen);
    CHECK(s.pressedButton == CaptionButton::None);
    CHECK(GetCapture() != w.hwnd());

    // A second press on the button closes it without touching the capture.
    CHECK(menu.repaints(WM_LBUTTONDOWN, menu.button()));
    CHECK_FALSE(s.menuOpen);
    CHECK(s.pressedButton == CaptionButton::None);
}

TEST_CASE("press the Menu button, drag onto Exit and release: the window closes")
{
    TestWindow w(800, 600);
    Menu menu{w};
    menu.press(menu.button());
    menu.move(menu.row(2));
    CHECK(w.state().hoveredMenuItem == 2);
    menu.release(menu.row(2));
    CHECK(waitUntil([&] { return !IsWindow(w.hwnd()); }));
}

TEST_CASE("a press on Export dragged onto Exit runs Exit: the release decides")
{
    TestWindow w(800, 600);
    WindowState& s = w.state();
    Menu menu{w};
    menu.press(menu.button());
    menu.release(menu.button());
    CHECK_FALSE(menu.repaints(WM_LBUTTONDOWN, menu.row(0))); // swallowed
    CHECK(s.menuOpen);
    menu.move(menu.row(2));
    ModalAnswerer noDialogExpected({ModalAnswer(IDCANCEL)});
    menu.release(menu.row(2));
    CHECK_FALSE(s.menuOpen);
    CHECK(s.hoveredMenuItem == -1);
    CHECK(noDialogExpected.seen().empty());
    CHECK(waitUntil([&] { return !IsWindow(w.hwnd()); }));
}

TEST_CASE("a release on the separator or on empty popup space does nothing")
{
    TestWindow w(800, 600);
    WindowState& s = w.state();
    Menu menu{w};
    menu.press(menu.button());
    clearPendingRepaint(w.hwnd());
    menu.release(menu.row(1));
    CHECK(s.menuOpen);
    CHECK(s.pressedButton == CaptionButton::Menu); // the held press and capture stay
    CHECK(GetCapture() == w.hwnd());
    CHECK_FALSE(hasPendingRepaint(w.hwnd()));
    menu.release(menu.button());
    CHECK(s.menuOpen);
    // A short client area: the popup ends above the last row, and its empty space holds no item.
    w.setClientSize(800, 70);
    menu.release({100, 68});
    CHECK(s.menuOpen);
}

TEST_CASE("hover follows the pointer, skips the separator and repaints only on change")
{
    TestWindow w(800, 600);
    WindowState& s = w.state();
    Menu menu{w};
    menu.press(menu.button());
    menu.release(menu.button());
    CHECK(menu.repaints(WM_MOUSEMOVE, menu.row(0)));
    CHECK(s.hoveredMenuItem == 0);
    CHECK_FALSE(menu.repaints(WM_MOUSEMOVE, {menu.row(0).x + 3, menu.row(0).y}));
    CHECK(menu.repaints(WM_MOUSEMOVE, menu.row(1)));
    CHECK(s.hoveredMenuItem == -1);
    CHECK_FALSE(menu.repaints(WM_MOUSEMOVE, {menu.row(1).x + 3, menu.row(1).y}));
    CHECK(menu.repaints(WM_MOUSEMOVE, menu.row(2)));
    CHECK(s.hoveredMenuItem == 2);
    CHECK(menu.repaints(WM_MOUSEMOVE, {600, 400}));
    CHECK(s.hoveredMenuItem == -1);
}

TEST_CASE("a press elsewhere closes the menu and is consumed; the hover index waits for the next move")
{
    TestWindow w(800, 600);
    WindowState& s = w.state();
    Menu menu{w};
    const Rect save = saveButtonRect(w.hwnd(), 1);
    const POINT onSave = {static_cast<int>(save.left) + 5, static_cast<int>(save.top) + 5};
    for (POINT elsewhere : {POINT{400, 300}, onSave, POINT{300, 16}})
    {
        menu.press(menu.button());
        menu.move(menu.row(0));
        REQUIRE(s.hoveredMenuItem == 0);
        CHECK(menu.repaints(WM_LBUTTONDOWN, elsewhere));
        CHECK_FALSE(s.menuOpen);
        CHECK(s.pressedButton == CaptionButton::None);
        CHECK(GetCapture() != w.hwnd());
        CHECK_FALSE(s.drawing);
        CHECK_FALSE(s.saveButtonPressed);
        CHECK(s.hoveredMenuItem == 0);
        menu.release(elsewhere);
        menu.move(elsewhere);
        CHECK(s.hoveredMenuItem == -1);
    }
}

TEST_CASE("Minimize and Maximize work while the menu is open and leave it open; Close closes")
{
    TestWindow w(800, 600);
    WindowState& s = w.state();
    Menu menu{w};
    menu.press(menu.button());
    menu.release(menu.button());
    const POINT maximize = Menu::centre(captionButtonRect(w.hwnd(), CaptionButton::Maximize, 1));
    menu.press(maximize);
    CHECK(s.pressedButton == CaptionButton::Maximize);
    menu.release(maximize);
    CHECK(waitUntil([&] { return IsZoomed(w.hwnd()) != 0; }));
    CHECK(s.menuOpen);
    const POINT restore = Menu::centre(captionButtonRect(w.hwnd(), CaptionButton::Maximize, 1));
    menu.press(restore);
    menu.release(restore);
    CHECK(waitUntil([&] { return IsZoomed(w.hwnd()) == 0; }));
    CHECK(s.menuOpen);
    const POINT close = Menu::centre(captionButtonRect(w.hwnd(), CaptionButton::Close, 1));
    menu.press(close);
    menu.release(close);
    CHECK(waitUntil([&] { return !IsWindow(w.hwnd()); }));
}

TEST_CASE("a non-client press outside the button and popup closes the menu and still reaches the system")
{
    TestWindow w(800, 600);
    WindowState& s = w.state();
    Menu menu{w};
    menu.press(menu.button());
    menu.release(menu.button());
    POINT inside = menu.row(0);
    ClientToScreen(w.hwnd(), &inside);
    SendMessageW(w.hwnd(), WM_NCLBUTTONDOWN, HTNOWHERE, MAKELPARAM(inside.x, inside.y));
    CHECK(s.menuOpen);
    POINT onButton = menu.button();
    ClientToScreen(w.hwnd(), &onButton);
    SendMessageW(w.hwnd(), WM_NCLBUTTONDOWN, HTNOWHERE, MAKELPARAM(onButton.x, onButton.y));
    CHECK(s.menuOpen);
    s.hoveredMenuItem = 0;
    POINT outside = {600, 300};
    ClientToScreen(w.hwnd(), &outside);
    clearPendingRepaint(w.hwnd());
    const LRESULT result = SendMessageW(w.hwnd(), WM_NCLBUTTONDOWN, HTNOWHERE, MAKELPARAM(outside.x, outside.y));
    CHECK(result == DefWindowProcW(w.hwnd(), WM_NCLBUTTONDOWN, HTNOWHERE, MAKELPARAM(outside.x, outside.y)));
    CHECK_FALSE(s.menuOpen);
    CHECK(hasPendingRepaint(w.hwnd()));
    CHECK(s.hoveredMenuItem == 0);
}

TEST_CASE("choosing Export as Image closes the menu and repaints before the dialog opens")
{
    TestWindow w(800, 600);
    WindowState& s = w.state();
    Menu menu{w};
    s.lines.push_back({100, 300, 200, 300, 0});
    menu.press(menu.button());
    menu.release(menu.button());
    const POINT exportRow = menu.row(0);
    bool popupGoneWhenDialogShown = false;
    bool menuClosedWhenDialogShown = false;
    ModalAnswerer answerer({{IDCANCEL, L"", [&](HWND dialog) {
                                 menuClosedWhenDialogShown = !w.state().menuOpen;
                                 // Out of the way of the spot where the popup was, then look at the screen.
                                 SetWindowPos(dialog, nullptr, 1000, 600, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
                                 popupGoneWhenDialogShown = waitUntil(
                                     [&] {
                                         const Capture c = captureClient(w.hwnd());
                                         return c.at(exportRow.x + 60, exportRow.y) == RGB(237, 240, 245);
                                     },
                                     2000);
                             }}});
    menu.move(exportRow);
    menu.release(exportRow);
    CHECK(answerer.seen().size() == 1);
    CHECK(menuClosedWhenDialogShown);
    CHECK(popupGoneWhenDialogShown);
    CHECK_FALSE(s.menuOpen);
    CHECK(s.pressedButton == CaptionButton::None);
    CHECK(s.hoveredMenuItem == -1);
}

TEST_CASE("runMenuCommand ignores values that are no command")
{
    TestWindow w(800, 600);
    runMenuCommand(w.state(), w.hwnd(), MenuCommand::None);
    runMenuCommand(w.state(), w.hwnd(), static_cast<MenuCommand>(7));
    pumpMessages();
    CHECK(IsWindow(w.hwnd()));
    CHECK(menuEntryAt(w.state(), w.hwnd(), Menu::centre(menuEntryRect(w.hwnd(), 1, 1))) == -1);
    CHECK(menuEntryAt(w.state(), w.hwnd(), Menu::centre(menuEntryRect(w.hwnd(), 1, 2))) == 2);
}
