// Window class, creation and destruction, size and DPI handling, and
// windowProc, which routes each message to one handler.
#include "window.h"

#include <cwchar>
#include <new>

#include "../accessibility/accessibleActions.h"
#include "../accessibility/accessibleObject.h"
#include "../canvas/canvasInput.h"
#include "../chrome/frame.h"
#include "../render/deviceResources.h"
#include "../render/paint.h"
#include "input.h"
#include "windowState.h"

namespace
{
const wchar_t windowClassName[] = L"TarvoWindowClass";
const wchar_t windowTitle[] = L"Tarvo";

BOOL CALLBACK finishFramesOfTarvoWindow(HWND window, LPARAM)
{
    wchar_t className[32] = {};
    GetClassNameW(window, className, 32);
    if (wcscmp(className, windowClassName) == 0)
        if (const WindowState* state = stateOf(window))
            finishPresentedFrames(*state);
    return TRUE;
}

// A renderer may deadlock when this thread creates a window while it is still presenting one of
// our frames (seen with the save dialog, and with the boxes the dialog opens by itself). So every
// top-level window this thread creates waits until the frames drawn so far have been presented.
LRESULT CALLBACK beforeWindowCreation(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND && !(reinterpret_cast<const CBT_CREATEWNDW*>(lParam)->lpcs->style & WS_CHILD))
        EnumThreadWindows(GetCurrentThreadId(), finishFramesOfTarvoWindow, 0);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT onCreate(HWND window, LPARAM lParam)
{
    const CREATESTRUCTW* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    WindowState* state = new (std::nothrow) WindowState();
    if (!state)
        return -1; // CreateWindowExW then fails and WinMain exits non-zero
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    state->hInstance = create->hInstance;
    state->taskbarWindow = FindWindowW(L"Shell_TrayWnd", nullptr);

    CoInitialize(nullptr);
    CoCreateInstance(CLSID_WICImagingFactory2, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                     reinterpret_cast<void**>(&state->wicFactory));
    if (SUCCEEDED(D2D1CreateFactory(D2D1_FACTORY_TYPE_SINGLE_THREADED, &state->d2dFactory)))
        createWindowTarget(*state, window);
    DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                        reinterpret_cast<IUnknown**>(&state->dwriteFactory));
    if (state->dwriteFactory)
        createDeviceResources(*state);
    state->windowCreationHook = SetWindowsHookExW(WH_CBT, beforeWindowCreation, nullptr, GetCurrentThreadId());
    return 0;
}

LRESULT onDestroy(HWND window, WPARAM wParam, LPARAM lParam)
{
    if (WindowState* state = stateOf(window))
    {
        // No later message may reach the record once it is freed.
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        if (state->windowCreationHook)
            UnhookWindowsHookEx(state->windowCreationHook);
        releaseAccessibleObject(*state); // while COM is still up, to disconnect its clients
        safeRelease(state->logoBitmap);
        safeRelease(state->wicFactory);
        // COM stays up until the message loop has ended (runMessageLoop): calls from other
        // processes already queued to this thread are still dispatched after WM_DESTROY.
        safeRelease(state->chromeBrush);
        safeRelease(state->textBrush);
        safeRelease(state->textFormat);
        safeRelease(state->iconFormat);
        safeRelease(state->buttonTextFormat);
        safeRelease(state->buttonHoverBrush);
        safeRelease(state->closeHoverBrush);
        safeRelease(state->buttonPressedBrush);
        safeRelease(state->closePressedBrush);
        safeRelease(state->closeGlyphBrush);
        safeRelease(state->canvasBorderBrush);
        safeRelease(state->lineBrush);
        safeRelease(state->selectedLineBrush);
        safeRelease(state->saveButtonBrush);
        safeRelease(state->hoverFillBrush);
        safeRelease(state->saveButtonTextBrush);
        safeRelease(state->menuBrush);
        safeRelease(state->shadowBrush);
        safeRelease(state->separatorBrush);
        safeRelease(state->shadowBlur);
        safeRelease(state->deviceContext);
        safeRelease(state->dwriteFactory);
        safeRelease(state->renderTarget);
        safeRelease(state->d2dFactory);
        delete state; // frees the lines with it
    }
    PostQuitMessage(0);
    return DefWindowProcW(window, WM_DESTROY, wParam, lParam);
}

LRESULT onSize(WindowState* state, HWND window, WPARAM sizeType)
{
    if (state && state->renderTarget)
    {
        RECT client = {};
        GetClientRect(window, &client);
        state->renderTarget->Resize(D2D1::SizeU(client.right, client.bottom));
    }
    repaint(window);
    if (!state)
        return 0;
    // The first frame presented after a restore from minimised can be lost, with no message
    // following to paint it anew (seen where Direct3D runs on OpenGL under an X11 window manager).
    // So that frame is drawn at once and once more later: the same pixels twice.
    const bool shownAgain = state->minimised && sizeType != SIZE_MINIMIZED;
    state->minimised = sizeType == SIZE_MINIMIZED;
    if (shownAgain)
    {
        UpdateWindow(window);
        repaint(window);
    }
    return 0;
}

LRESULT onDpiChanged(WindowState* state, HWND window, WPARAM wParam, LPARAM lParam)
{
    if (state && state->renderTarget)
    {
        state->dpiScale = static_cast<float>(HIWORD(wParam)) / USER_DEFAULT_SCREEN_DPI;
        state->renderTarget->SetDpi(USER_DEFAULT_SCREEN_DPI, USER_DEFAULT_SCREEN_DPI);
        createDeviceResources(*state);
    }
    const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
    SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    // A suggested rectangle of the same size brings no WM_SIZE, yet the layout has changed scale.
    repaint(window);
    return 0;
}

LRESULT dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    WindowState* state = stateOf(window); // null until WM_CREATE has made it
    switch (message)
    {
    case WM_CREATE:         return onCreate(window, lParam);
    case WM_DESTROY:        return onDestroy(window, wParam, lParam);
    case WM_SIZE:           return onSize(state, window, wParam);
    case WM_PAINT:          return onPaint(state, window);
    case WM_CLOSE:          DestroyWindow(window); return 0;
    case WM_ERASEBKGND:     return 1;
    case WM_NCCALCSIZE:     return onNcCalcSize(window, wParam, lParam);
    case WM_NCHITTEST:      return onNcHitTest(state, window, lParam);
    case WM_GETMINMAXINFO:  return onGetMinMaxInfo(window, wParam, lParam);
    case WM_NCLBUTTONDOWN:  return onNcLeftButtonDown(state, window, wParam, lParam);
    case WM_DPICHANGED:     return onDpiChanged(state, window, wParam, lParam);
    case WM_GETOBJECT:      return onGetObject(state, window, wParam, lParam);
    }
    if (!state)
    {
        // Client input before the record exists, or after it is gone, is answered and ignored.
        switch (message)
        {
        case WM_KEYDOWN:
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONDOWN:
        case WM_CAPTURECHANGED:
        case WM_MOUSELEAVE: return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    switch (message)
    {
    case WM_KEYDOWN:        return onKeyDown(*state, window, wParam);
    case WM_MOUSEMOVE:      return onMouseMove(*state, window, lParam);
    case WM_LBUTTONDOWN:    return onLeftButtonDown(*state, window, lParam);
    case WM_LBUTTONUP:      return onLeftButtonUp(*state, window, lParam);
    case WM_RBUTTONDOWN:    return onRightButtonDown(*state, window, lParam);
    case WM_CAPTURECHANGED: return onCaptureChanged(*state, window);
    case WM_MOUSELEAVE:     return onMouseLeave(*state, window);
    case accessibleActionMessage: return onAccessibleAction(*state, window, wParam);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
} // namespace

bool registerWindowClass(HINSTANCE instance)
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(101));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = windowClassName;
    windowClass.hIconSm = LoadIconW(instance, MAKEINTRESOURCEW(102));
    return RegisterClassExW(&windowClass) != 0;
}

HWND createMainWindow(HINSTANCE instance)
{
    return CreateWindowExW(0, windowClassName, windowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
}

int runMessageLoop()
{
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
    {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    CoUninitialize(); // ends what WM_CREATE began, once nothing more is dispatched
    return 0;
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Assistive technology hears of a change when the handler that made it ends, or when the next
    // message starts inside it (a menu's command paints, then opens a dialog): never later.
    announceAccessibleChanges(window);
    const LRESULT result = dispatch(window, message, wParam, lParam);
    announceAccessibleChanges(window);
    return result;
}
