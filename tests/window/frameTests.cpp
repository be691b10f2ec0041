// The self-drawn frame: hit testing at screen points, the title-bar buttons as
// push buttons with capture, hover repaints, leave tracking, the taskbar reveal.
#include <doctest/doctest.h>

#include "harness.h"

#include <atomic>

#include "../../src/chrome/windowLayout.h"

namespace
{
LRESULT hitTest(HWND window, int screenX, int screenY)
{
    return SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(static_cast<short>(screenX), static_cast<short>(screenY)));
}

POINT centreOf(HWND window, CaptionButton button, float s = 1)
{
    const Rect r = captionButtonRect(window, button, s);
    return {static_cast<int>((r.left + r.right) / 2), static_cast<int>((r.top + r.bottom) / 2)};
}

bool repaints(TestWindow& w, UINT message, POINT p)
{
    clearPendingRepaint(w.hwnd());
    w.send(message, p.x, p.y);
    return hasPendingRepaint(w.hwnd());
}

void setDpi(HWND window, int dpi)
{
    RECT placed;
    GetWindowRect(window, &placed);
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&placed));
}

// Stand-in for the shell taskbar, made before the Tarvo window so that creation finds it.
struct FakeTaskbar
{
    static inline int movesReceived = 0;
    static inline LPARAM lastMove = 0;
    HWND window = nullptr;

    static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_MOUSEMOVE)
        {
            ++movesReceived;
            lastMove = lParam;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }

    explicit FakeTaskbar(DWORD exStyle = WS_EX_TOOLWINDOW)
    {
        WNDCLASSW taskbarClass = {};
        taskbarClass.lpfnWndProc = procedure;
        taskbarClass.hInstance = GetModuleHandleW(nullptr);
        taskbarClass.lpszClassName = L"Shell_TrayWnd";
        RegisterClassW(&taskbarClass);
        window = CreateWindowExW(exStyle, L"Shell_TrayWnd", L"", WS_POPUP, 0, 960, 1600, 40, nullptr,
                                 nullptr, taskbarClass.hInstance, nullptr);
        movesReceived = 0;
    }
    ~FakeTaskbar() { DestroyWindow(window); }
};
} // namespace

TEST_CASE("the whole window is client area; a maximised one's is its monitor's work area")
{
    TestWindow w(800, 600);
    NCCALCSIZE_PARAMS params = {};
    params.rgrc[0] = {100, 100, 900, 700};
    CHECK(SendMessageW(w.hwnd(), WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&params)) == 0);
    CHECK(params.rgrc[0].left == 100);
    CHECK(params.rgrc[0].bottom == 700);
    RECT window, client;
    GetWindowRect(w.hwnd(), &window);
    GetClientRect(w.hwnd(), &client);
    CHECK(client.right == window.right - window.left);
    CHECK(client.bottom == window.bottom - window.top);

    ShowWindow(w.hwnd(), SW_MAXIMIZE);
    REQUIRE(waitUntil([&] { return IsZoomed(w.hwnd()) != 0; }));
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(w.hwnd(), MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT work = monitor.rcWork;
    const int overhang = 12; // the frame Windows hangs over the monitor at 144 DPI, not this system's
    params.rgrc[0] = {work.left - overhang, work.top - overhang, work.right + overhang, work.bottom + overhang};
    CHECK(SendMessageW(w.hwnd(), WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&params)) == 0);
    CHECK(params.rgrc[0].left == work.left);
    CHECK(params.rgrc[0].top == work.top);
    CHECK(params.rgrc[0].right == work.right);
    CHECK(params.rgrc[0].bottom == work.bottom);
    // Under Wine the maximised window is the work area itself: no frame is asked of a window manager.
    RECT placed;
    GetWindowRect(w.hwnd(), &placed);
    if (GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version"))
        CHECK(EqualRect(&placed, &work));
    RECT plain = {5, 6, 7, 8};
    CHECK(SendMessageW(w.hwnd(), WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&plain)) == 0);
    CHECK(plain.left == 5);
}

TEST_CASE("hit testing a restored window: sizing bands, caption band and buttons, at scale 1 and 1.5")
{
    TestWindow w(1000, 600); // placed at (40, 40)
    HWND h = w.hwnd();
    const int ox = 40, oy = 40;
    struct Row
    {
        int x, y;
        LRESULT expected;
    } atScale1[] = {
        {7, 100, HTLEFT},       {8, 100, HTCLIENT},  {993, 100, HTRIGHT},     {992, 100, HTCLIENT},
        {500, 592, HTCLIENT},   {500, 593, HTBOTTOM}, {500, 7, HTTOP},        {500, 8, HTCAPTION},
        {500, 31, HTCAPTION},   {500, 32, HTCLIENT},  {2, 2, HTTOPLEFT},      {997, 597, HTBOTTOMRIGHT},
        {2, 597, HTBOTTOMLEFT}, {3, 20, HTLEFT},      {15, 15, HTCAPTION},    // logo
        {40, 15, HTCAPTION},    // title text
        {997, 2, HTCLIENT},     // Close in the top-right corner is a button, not a sizing corner
        {80, 2, HTCLIENT},      // Menu button
        {1200, 100, HTNOWHERE}, // outside the window: the system's answer
    };
    for (const Row& row : atScale1)
    {
        CAPTURE(row.x);
        CAPTURE(row.y);
        CHECK(hitTest(h, ox + row.x, oy + row.y) == row.expected);
    }

    setDpi(h, 144);
    w.setClientSize(1000, 600);
    RECT placed;
    GetWindowRect(h, &placed);
    const Row atScale15[] = {
        {11, 100, HTLEFT},  {12, 100, HTCLIENT}, {989, 100, HTRIGHT}, {988, 100, HTCLIENT},
        {500, 11, HTTOP},   {500, 12, HTCAPTION}, {500, 47, HTCAPTION}, {500, 48, HTCLIENT},
        {500, 589, HTBOTTOM}, {500, 588, HTCLIENT},
        {995, 3, HTCLIENT}, // Close, 69 pixels wide now
        {900, 3, HTCLIENT}, // Maximize
    };
    for (const Row& row : atScale15)
    {
        CAPTURE(row.x);
        CAPTURE(row.y);
        CHECK(hitTest(h, placed.left + row.x, placed.top + row.y) == row.expected);
    }
}

TEST_CASE("hit testing a maximised window keeps the system's answer within 6 x scale of the monitor edge")
{
    TestWindow w(800, 600);
    HWND h = w.hwnd();
    ShowWindow(h, SW_MAXIMIZE);
    REQUIRE(waitUntil([&] { return IsZoomed(h) != 0; }));
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(h, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT m = monitor.rcMonitor;
    auto system = [&](int x, int y) {
        return DefWindowProcW(h, WM_NCHITTEST, 0, MAKELPARAM(x, y));
    };
    for (int scaleDpi : {96, 144})
    {
        CAPTURE(scaleDpi);
        if (scaleDpi != 96)
            setDpi(h, scaleDpi);
        const int band = scaleDpi == 96 ? 6 : 9;
        CHECK(hitTest(h, m.left + 3, 500) == system(m.left + 3, 500));
        CHECK(hitTest(h, m.left + band, 500) == system(m.left + band, 500));
        CHECK(hitTest(h, 800, m.top + band) == system(800, m.top + band));
        CHECK(hitTest(h, m.right - band, 500) == system(m.right - band, 500));
        CHECK(hitTest(h, 800, m.bottom - band) == system(800, m.bottom - band));
        // Further in, the window's own rules apply.
        POINT caption = {800, m.top + (scaleDpi == 96 ? 20 : 30)};
        POINT client = caption;
        ScreenToClient(h, &client);
        if (client.y >= (scaleDpi == 96 ? 8 : 12))
            CHECK(hitTest(h, caption.x, caption.y) == HTCAPTION);
        CHECK(hitTest(h, 800, m.top + 300) == HTCLIENT);
    }
    ShowWindow(h, SW_RESTORE);
}

TEST_CASE("without a record the hit test uses the window's DPI and has no buttons")
{
    WNDCLASSW plain = {};
    plain.lpfnWndProc = DefWindowProcW;
    plain.hInstance = GetModuleHandleW(nullptr);
    plain.lpszClassName = L"PlainHitTestWindow";
    RegisterClassW(&plain);
    HWND bare = CreateWindowExW(0, L"PlainHitTestWindow", L"Tarvo", WS_POPUP | WS_VISIBLE, 100, 100, 300, 200, nullptr,
                                nullptr, plain.hInstance, nullptr);
    REQUIRE(bare != nullptr);
    CHECK(windowProc(bare, WM_NCHITTEST, 0, MAKELPARAM(103, 200)) == HTLEFT);
    CHECK(windowProc(bare, WM_NCHITTEST, 0, MAKELPARAM(250, 120)) == HTCAPTION);
    CHECK(windowProc(bare, WM_NCHITTEST, 0, MAKELPARAM(397, 103)) == HTTOPRIGHT); // where Close would be
    CHECK(windowProc(bare, WM_NCHITTEST, 0, MAKELPARAM(250, 200)) == HTCLIENT);
    DestroyWindow(bare);
}

TEST_CASE("a press on Close, dragged off and released, keeps the window open; dragged back, it closes")
{
    TestWindow w(800, 600);
    WindowState& s = w.state();
    const POINT close = centreOf(w.hwnd(), CaptionButton::Close);
    CHECK(repaints(w, WM_LBUTTONDOWN, close));
    CHECK(s.pressedButton == CaptionButton::Close);
    CHECK(GetCapture() == w.hwnd());
    w.send(WM_MOUSEMOVE, 400, 300);
    CHECK(s.hoveredButton == CaptionButton::None);
    CHECK(s.pressedButton == CaptionButton::Close);
    CHECK(repaints(w, WM_LBUTTONUP, {400, 300}));
    CHECK(s.pressedButton == CaptionButton::None);
    CHECK(GetCapture() != w.hwnd());
    pumpMessages();
    CHECK(IsWindow(w.hwnd()));

    w.send(WM_LBUTTONDOWN, close.x, close.y);
    w.send(WM_MOUSEMOVE, 400, 300);
    w.send(WM_MOUSEMOVE, close.x, close.y);
    w.send(WM_LBUTTONUP, close.x, close.y);
    CHECK(IsWindow(w.hwnd())); // WM_CLOSE is posted, not sent
    CHECK(waitUntil([&] { return !IsWindow(w.hwnd()); }));
}

TEST_CASE("Minimize released over Maximize does nothing; Maximize toggles; Minimize iconifies")
{
    TestWindow w(800, 600);
    WindowState& s = w.state();
    const POINT minimize = centreOf(w.hwnd(), CaptionButton::Minimize);
    const POINT maximize = centreOf(w.hwnd(), CaptionButton::Maximize);
    w.send(WM_LBUTTONDOWN, minimize.x, minimize.y);
    w.send(WM_LBUTTONUP, maximize.x, maximize.y);
    pumpMessages();
    CHECK_FALSE(IsIconic(w.hwnd()));
    CHECK_FALSE(IsZoomed(w.hwnd()));
    CHECK(s.pressedButton == CaptionButton::None);

    w.send(WM_LBUTTONDOWN, maximize.x, maximize.y);
    w.send(WM_LBUTTONUP, maximize.x, maximize.y);
    CHECK(waitUntil([&] { return IsZoomed(w.hwnd()) != 0; }));
    const POINT restore = centreOf(w.hwnd(), CaptionButton::Maximize); // the layout follows the new size
    w.send(WM_LBUTTONDOWN, restore.x, restore.y);
    w.send(WM_LBUTTONUP, restore.x, restore.y);
    CHECK(waitUntil([&] { return IsZoomed(w.hwnd()) == 0; }));

    const POINT minimizeAgain = centreOf(w.hwnd(), CaptionButton::Minimize);
    w.send(WM_LBUTTONDOWN, minimizeAgain.x, minimizeAgain.y);
    w.send(WM_LBUTTONUP, minimizeAgain.x, minimizeAgain.y);
    CHECK(waitUntil([&] { return IsIconic(w.hwnd()) != 0; }));
    CHECK(s.pressedButton == CaptionButton::None);
    ShowWindow(w.hwnd(), SW_RESTORE);
}

TEST_CASE("another window taking the capture cancels a held press, and the later release does nothing")
{
    TestWindow w(800, 600);
    WindowState& s = w.state();
    const POINT close = centreOf(w.hwnd(), CaptionButton::Close);
    w.send(WM_LBUTTONDOWN, close.x, close.y);
    REQUIRE(s.pressedButton == CaptionButton::Close);
    HWND other = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    clearPendingRepaint(w.hwnd());
    SetCapture(other);
    CHECK(s.pressedButton == CaptionButton::None);
    CHECK(hasPendingRepaint(w.hwnd()));
    ReleaseCapture();
    w.send(WM_LBUTTONUP, close.x, close.y);
    pumpFor(100);
    CHECK(IsWindow(w.hwnd()));
    DestroyWindow(other);

    // A held Menu press survives losing the capture.
    const POINT menu = centreOf(w.hwnd(), CaptionButton::Menu);
    w.send(WM_LBUTTONDOWN, menu.x, menu.y);
    REQUIRE(s.pressedButton == CaptionButton::Menu);
    SendMessageW(w.hwnd(), WM_CAPTURECHANGED, 0, 0);
    CHECK(s.pressedButton == CaptionButton::Menu);
    w.send(WM_LBUTTONUP, menu.x, menu.y);
}

TEST_CASE("leaving the window cancels a press unless the menu is open")
{
    TestWindow w(800, 600);
    WindowState& s = w.state();
    const POINT maximize = centreOf(w.hwnd(), CaptionButton::Maximize);
    w.send(WM_MOUSEMOVE, maximize.x, maximize.y);
    CHECK(s.trackingLeave);
    w.send(WM_LBUTTONDOWN, maximize.x, maximize.y);
    clearPendingRepaint(w.hwnd());
    SendMessageW(w.hwnd(), WM_MOUSELEAVE, 0, 0);
    CHECK(hasPendingRepaint(w.hwnd()));
    CHECK(s.hoveredButton == CaptionButton::None);
    CHECK(s.pressedButton == CaptionButton::None);
    CHECK(GetCapture() != w.hwnd());
    CHECK_FALSE(s.trackingLeave);
    w.send(WM_LBUTTONUP, maximize.x, maximize.y);
    pumpMessages();
    CHECK_FALSE(IsZoomed(w.hwnd()));

    const POINT menu = centreOf(w.hwnd(), CaptionButton::Menu);
    w.send(WM_LBUTTONDOWN, menu.x, menu.y);
    REQUIRE(s.menuOpen);
    s.hoveredMenuItem = 0;
    SendMessageW(w.hwnd(), WM_MOUSELEAVE, 0, 0);
    CHECK(s.pressedButton == CaptionButton::Menu);
    CHECK(GetCapture() == w.hwnd());
    CHECK(s.menuOpen);
    CHECK(s.hoveredMenuItem == -1);
    w.send(WM_LBUTTONUP, menu.x, menu.y);
    CHECK(GetCapture() != w.hwnd());
}

TEST_CASE("moving within one button repaints nothing, moving to another repaints")
{
    TestWindow w(800, 600);
    WindowState& s = w.state();
    const Rect close = captionButtonRect(w.hwnd(), CaptionButton::Close, 1);
    CHECK(repaints(w, WM_MOUSEMOVE, {static_cast<int>(close.left) + 2, 5}));
    CHECK(s.hoveredButton == CaptionButton::Close);
    CHECK_FALSE(repaints(w, WM_MOUSEMOVE, {static_cast<int>(close.left) + 20, 20}));
    CHECK_FALSE(repaints(w, WM_MOUSEMOVE, {static_cast<int>(close.right) - 1, 31}));
    CHECK(repaints(w, WM_MOUSEMOVE, {static_cast<int>(close.left) - 1, 5}));
    CHECK(s.hoveredButton == CaptionButton::Maximize);
    CHECK(repaints(w, WM_MOUSEMOVE, {400, 300}));
    CHECK(s.hoveredButton == CaptionButton::None);
    CHECK_FALSE(repaints(w, WM_MOUSEMOVE, {450, 350}));
}

TEST_CASE("a maximised window reveals the taskbar when the pointer touches a monitor edge")
{
    FakeTaskbar taskbar;
    TestWindow w(800, 600);
    HWND h = w.hwnd();
    CHECK(w.state().taskbarWindow == taskbar.window);

    // Restored: nothing happens, even at the edge.
    POINT edge = {800, 3};
    ScreenToClient(h, &edge);
    w.send(WM_MOUSEMOVE, edge.x, edge.y);
    pumpMessages();
    CHECK(FakeTaskbar::movesReceived == 0);
    CHECK_FALSE(IsWindowVisible(taskbar.window));

    ShowWindow(h, SW_MAXIMIZE);
    REQUIRE(waitUntil([&] { return IsZoomed(h) != 0; }));
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(h, MONITOR_DEFAULTTONEAREST), &monitor);

    POINT away = {800, monitor.rcMonitor.top + 6};
    ScreenToClient(h, &away);
    w.send(WM_MOUSEMOVE, away.x, away.y);
    pumpMessages();
    CHECK(FakeTaskbar::movesReceived == 0);

    for (int round = 1; round <= 2; ++round)
    {
        POINT touch = {800, monitor.rcMonitor.top + 3};
        ScreenToClient(h, &touch);
        w.send(WM_MOUSEMOVE, touch.x, touch.y);
        pumpMessages();
        CHECK(FakeTaskbar::movesReceived == round); // on every such move
        CHECK(static_cast<short>(LOWORD(FakeTaskbar::lastMove)) == 800);
        CHECK(static_cast<short>(HIWORD(FakeTaskbar::lastMove)) == monitor.rcMonitor.top + 3);
        CHECK(IsWindowVisible(taskbar.window));
        CHECK((GetWindowLongW(taskbar.window, GWL_EXSTYLE) & WS_EX_TOPMOST) == 0); // raised and put back
    }
    POINT bottom = {800, monitor.rcMonitor.bottom - 5};
    ScreenToClient(h, &bottom);
    w.send(WM_MOUSEMOVE, bottom.x, bottom.y);
    pumpMessages();
    CHECK(FakeTaskbar::movesReceived == 3);
    ShowWindow(h, SW_RESTORE);
}

TEST_CASE("the reveal waits for no answer from the taskbar, and leaves a topmost one topmost")
{
    static HANDLE wake = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    static std::atomic<HWND> taskbar{nullptr};
    // A topmost taskbar whose thread answers nothing until woken, then pumps until the test is done.
    HANDLE thread = CreateThread(nullptr, 0, [](void*) -> DWORD {
        FakeTaskbar made(WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
        taskbar = made.window;
        WaitForSingleObject(wake, 10000);
        return waitUntil([] { return taskbar == nullptr; }, 20000);
    }, nullptr, 0, nullptr);
    REQUIRE(waitUntil([] { return taskbar != nullptr; }));
    TestWindow w(800, 600);
    REQUIRE(w.state().taskbarWindow == taskbar);
    ShowWindow(w.hwnd(), SW_MAXIMIZE);
    w.send(WM_MOUSEMOVE, centreOf(w.hwnd(), CaptionButton::Close).x, 2); // 2 pixels below the monitor's top
    CHECK(w.state().hoveredButton == CaptionButton::Close);
    CHECK_FALSE(responds(taskbar, 100)); // the move was handled while the taskbar still answered nothing
    SetEvent(wake);
    SendMessageW(taskbar, WM_NULL, 0, 0); // answered once what was asked of it before is done
    CHECK((GetWindowLongW(taskbar, GWL_EXSTYLE) & WS_EX_TOPMOST));
    taskbar = nullptr;
    WaitForSingleObject(thread, 20000);
    CloseHandle(thread);
}
