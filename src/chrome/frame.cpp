// Custom frame: WM_NCCALCSIZE, WM_NCHITTEST, the title-bar buttons as push
// buttons with capture, leave tracking and the taskbar reveal when maximised.
#include "frame.h"

namespace
{
const float maximisedEdgeBand = 6.0f; // DIPs where a maximised window keeps the system's answer
const int taskbarRevealDistance = 5;  // pixels, not scaled

MONITORINFO monitorInfoOf(HMONITOR monitor)
{
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    GetMonitorInfoW(monitor, &info);
    return info;
}

RECT monitorRectOf(HWND window)
{
    return monitorInfoOf(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST)).rcMonitor;
}

// Wine asks an X11 window manager to decorate a maximised window whose window rectangle is not its
// client area; GNOME's mutter then reframes it, iconic on the way, and Wine takes that for a minimise.
bool runningOnWine()
{
    static const bool onWine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return onWine;
}

float scaleOf(const WindowState* state, HWND window)
{
    return state ? state->dpiScale : static_cast<float>(GetDpiForWindow(window)) / USER_DEFAULT_SCREEN_DPI;
}

LRESULT hitTestCode(FrameZone zone)
{
    switch (zone)
    {
    case FrameZone::Caption:     return HTCAPTION;
    case FrameZone::Left:        return HTLEFT;
    case FrameZone::Right:       return HTRIGHT;
    case FrameZone::Top:         return HTTOP;
    case FrameZone::Bottom:      return HTBOTTOM;
    case FrameZone::TopLeft:     return HTTOPLEFT;
    case FrameZone::TopRight:    return HTTOPRIGHT;
    case FrameZone::BottomLeft:  return HTBOTTOMLEFT;
    case FrameZone::BottomRight: return HTBOTTOMRIGHT;
    case FrameZone::Client:      break;
    }
    return HTCLIENT;
}
} // namespace

LRESULT onNcCalcSize(HWND window, WPARAM wParam, LPARAM lParam)
{
    // Windows hangs a maximised window over its monitor by the frame at the window's own DPI,
    // which GetSystemMetrics does not know; an X11 window manager places it exactly. Either way
    // the client area is what lies on the work area of the monitor the window goes to.
    if (wParam == TRUE && IsZoomed(window))
    {
        RECT& proposed = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0];
        const RECT work = monitorInfoOf(MonitorFromRect(&proposed, MONITOR_DEFAULTTONEAREST)).rcWork;
        const ScreenRect client = maximisedClientRect({proposed.left, proposed.top, proposed.right, proposed.bottom},
                                                      {work.left, work.top, work.right, work.bottom});
        proposed = {client.left, client.top, client.right, client.bottom};
    }
    return 0;
}

LRESULT onGetMinMaxInfo(HWND window, WPARAM wParam, LPARAM lParam)
{
    if (!runningOnWine())
        return DefWindowProcW(window, WM_GETMINMAXINFO, wParam, lParam);
    // There the maximised window is exactly the work area of the monitor it is on, so its window
    // rectangle is its client area. Wine takes the position in virtual-screen coordinates as given,
    // where Windows would carry it over from the primary monitor to the window's own.
    const RECT work = monitorInfoOf(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST)).rcWork;
    MINMAXINFO* info = reinterpret_cast<MINMAXINFO*>(lParam);
    info->ptMaxPosition = {work.left, work.top};
    info->ptMaxSize = {work.right - work.left, work.bottom - work.top};
    return 0;
}

LRESULT onNcHitTest(const WindowState* state, HWND window, LPARAM lParam)
{
    const float scale = scaleOf(state, window);
    POINT point = pointFromLParam(lParam);
    if (IsZoomed(window))
    {
        const RECT monitor = monitorRectOf(window);
        if (nearEdge(point.x, point.y, monitor.left, monitor.top, monitor.right, monitor.bottom,
                     wholePixels(maximisedEdgeBand, scale)))
            return DefWindowProcW(window, WM_NCHITTEST, 0, lParam);
    }
    const LRESULT system = DefWindowProcW(window, WM_NCHITTEST, 0, lParam);
    if (system != HTCLIENT)
        return system;

    ScreenToClient(window, &point);
    if (state && captionButtonAt(*state, window, point) != CaptionButton::None)
        return HTCLIENT;
    const ClientSize client = clientSizeOf(window);
    return hitTestCode(frameZoneAt(point.x, point.y, client.width, client.height, scale));
}

CaptionButton captionButtonAt(const WindowState& state, HWND window, POINT clientPoint)
{
    return captionButtonAtPoint(static_cast<float>(clientPoint.x), static_cast<float>(clientPoint.y),
                                clientSizeOf(window), titleLengthOf(window), state.dpiScale);
}

void revealTaskbar(const WindowState& state, HWND window, POINT clientPoint)
{
    if (!state.taskbarWindow || !IsZoomed(window))
        return;
    POINT screen = clientPoint;
    ClientToScreen(window, &screen);
    const RECT monitor = monitorRectOf(window);
    if (!nearEdge(screen.x, screen.y, monitor.left, monitor.top, monitor.right, monitor.bottom, taskbarRevealDistance))
        return;
    // The taskbar is another process's window: nothing here waits for it, so a busy or hung
    // Explorer never stalls this thread. Its thread runs the requests in the order made.
    const bool wasTopmost = (GetWindowLongPtrW(state.taskbarWindow, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    PostMessageW(state.taskbarWindow, WM_MOUSEMOVE, 0, MAKELPARAM(screen.x, screen.y));
    ShowWindowAsync(state.taskbarWindow, SW_SHOW);
    const UINT flags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS;
    SetWindowPos(state.taskbarWindow, HWND_TOPMOST, 0, 0, 0, 0, flags);
    // HWND_NOTOPMOST would demote the real taskbar, which is topmost, under every other window.
    if (!wasTopmost)
        SetWindowPos(state.taskbarWindow, HWND_NOTOPMOST, 0, 0, 0, 0, flags);
}

void hoverCaptionButtons(WindowState& state, HWND window, POINT clientPoint)
{
    const CaptionButton button = captionButtonAt(state, window, clientPoint);
    if (button != state.hoveredButton)
    {
        state.hoveredButton = button;
        repaint(window);
    }
}

bool pressCaptionButton(WindowState& state, HWND window, POINT clientPoint)
{
    const CaptionButton button = captionButtonAt(state, window, clientPoint);
    if (button != CaptionButton::Minimize && button != CaptionButton::Maximize && button != CaptionButton::Close)
        return false;
    state.pressedButton = button;
    SetCapture(window);
    repaint(window);
    return true;
}

void releaseCaptionButton(WindowState& state, HWND window, POINT clientPoint)
{
    const CaptionButton button = captionButtonAt(state, window, clientPoint);
    if (state.pressedButton != CaptionButton::None && state.pressedButton == button)
        runWindowButton(window, button);
    // Read again: showing the window may have sent messages that changed it.
    if (state.pressedButton != CaptionButton::None)
    {
        state.pressedButton = CaptionButton::None;
        ReleaseCapture();
        repaint(window);
    }
}

void runWindowButton(HWND window, CaptionButton button)
{
    switch (button)
    {
    case CaptionButton::Minimize: ShowWindow(window, SW_MINIMIZE); break;
    case CaptionButton::Maximize: ShowWindow(window, IsZoomed(window) ? SW_RESTORE : SW_SHOWMAXIMIZED); break;
    case CaptionButton::Close:    PostMessageW(window, WM_CLOSE, 0, 0); break;
    default:                      break; // the Menu button's click is the menu's own
    }
}

void cancelCaptionPressOnCaptureLoss(WindowState& state, HWND window)
{
    if (state.pressedButton == CaptionButton::Minimize || state.pressedButton == CaptionButton::Maximize ||
        state.pressedButton == CaptionButton::Close)
    {
        state.pressedButton = CaptionButton::None;
        repaint(window);
    }
}

void leaveCaptionButtons(WindowState& state)
{
    state.hoveredButton = CaptionButton::None;
    if (!state.menuOpen)
    {
        state.pressedButton = CaptionButton::None;
        ReleaseCapture();
    }
}

void armLeaveTracking(WindowState& state, HWND window)
{
    if (state.trackingLeave)
        return;
    TRACKMOUSEEVENT track = {};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = window;
    track.dwHoverTime = 0;
    TrackMouseEvent(&track);
    state.trackingLeave = true;
}
