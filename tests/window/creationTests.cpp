// The window's life: what WM_CREATE makes, what a DPI change rebuilds, what a
// resize changes, and that messages before or after the record are harmless.
#include <doctest/doctest.h>

#include "harness.h"

#include <cstddef>
#include <new>

#include "../../src/render/deviceResources.h"

namespace
{
std::vector<IUnknown*> paletteOf(const WindowState& s)
{
    return {s.textBrush,       s.buttonHoverBrush,  s.closeHoverBrush,     s.buttonPressedBrush, s.closePressedBrush,
            s.closeGlyphBrush, s.canvasBorderBrush, s.lineBrush,           s.selectedLineBrush,  s.saveButtonBrush,
            s.hoverFillBrush,  s.saveButtonTextBrush, s.menuBrush,         s.shadowBrush,        s.separatorBrush,
            s.textFormat,      s.iconFormat,        s.buttonTextFormat};
}

D2D1_COLOR_F colourOf(ID2D1SolidColorBrush* brush)
{
    return brush->GetColor();
}

bool sameColour(D2D1_COLOR_F c, float r, float g, float b, float a)
{
    return c.r == doctest::Approx(r) && c.g == doctest::Approx(g) && c.b == doctest::Approx(b) &&
           c.a == doctest::Approx(a);
}

bool blurAvailable(ID2D1DeviceContext* context)
{
    ID2D1Effect* effect = nullptr;
    if (context)
        context->CreateEffect(CLSID_D2D1GaussianBlur, &effect);
    const bool available = effect != nullptr;
    safeRelease(effect);
    return available;
}
} // namespace

TEST_CASE("a new window has every graphics object, the logo and a 96 DPI scale")
{
    // The pointer rests where the window will not be, so no earlier test's pointer hovers a button.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    TestWindow window;
    const WindowState& s = window.state();
    CHECK(s.d2dFactory != nullptr);
    CHECK(s.renderTarget != nullptr);
    CHECK(s.deviceContext != nullptr);
    CHECK(s.wicFactory != nullptr);
    CHECK(s.dwriteFactory != nullptr);
    // The wait that keeps windows from being created while a frame is presented works here.
    CHECK(finishPresentedFrames(s) == S_OK);
    CHECK(s.chromeBrush != nullptr);
    for (IUnknown* object : paletteOf(s))
        CHECK(object != nullptr);
    CHECK(s.dpiScale == 1.0f);
    CHECK(s.renderTarget->GetPixelFormat().alphaMode != D2D1_ALPHA_MODE_STRAIGHT);
    float dpiX = 0, dpiY = 0;
    s.renderTarget->GetDpi(&dpiX, &dpiY);
    CHECK(dpiX == 96.0f);
    CHECK(dpiY == 96.0f);

    REQUIRE(s.logoBitmap != nullptr);
    CHECK(s.logoBitmap->GetPixelSize().width == 24);
    CHECK(s.logoBitmap->GetPixelSize().height == 24);

    // Where the device context cannot make a blur (Wine), the field stays null and painting falls back.
    CHECK((s.shadowBlur != nullptr) == blurAvailable(s.deviceContext));

    CHECK(s.menuOpen == false);
    CHECK(s.hoveredMenuItem == -1);
    CHECK(s.hoveredButton == CaptionButton::None);
    CHECK(s.pressedButton == CaptionButton::None);
    CHECK(s.lines.empty());
    CHECK(s.lines.capacity() == 0);
    CHECK(s.hInstance == GetModuleHandleW(nullptr));
}

TEST_CASE("the state record keeps its fields in the documented order")
{
    const size_t offsets[] = {
        offsetof(WindowState, d2dFactory),        offsetof(WindowState, renderTarget),
        offsetof(WindowState, deviceContext),     offsetof(WindowState, chromeBrush),
        offsetof(WindowState, textBrush),         offsetof(WindowState, buttonHoverBrush),
        offsetof(WindowState, closeHoverBrush),   offsetof(WindowState, buttonPressedBrush),
        offsetof(WindowState, closePressedBrush), offsetof(WindowState, closeGlyphBrush),
        offsetof(WindowState, canvasBorderBrush), offsetof(WindowState, lineBrush),
        offsetof(WindowState, selectedLineBrush), offsetof(WindowState, saveButtonBrush),
        offsetof(WindowState, hoverFillBrush),    offsetof(WindowState, saveButtonTextBrush),
        offsetof(WindowState, menuBrush),         offsetof(WindowState, shadowBrush),
        offsetof(WindowState, separatorBrush),    offsetof(WindowState, shadowBlur),
        offsetof(WindowState, menuOpen),          offsetof(WindowState, hoveredMenuItem),
        offsetof(WindowState, wicFactory),        offsetof(WindowState, dwriteFactory),
        offsetof(WindowState, textFormat),        offsetof(WindowState, iconFormat),
        offsetof(WindowState, buttonTextFormat),  offsetof(WindowState, hoveredButton),
        offsetof(WindowState, pressedButton),     offsetof(WindowState, trackingLeave),
        offsetof(WindowState, saveButtonHovered), offsetof(WindowState, saveButtonPressed),
        offsetof(WindowState, drawing),           offsetof(WindowState, draftLine),
        offsetof(WindowState, lines),             offsetof(WindowState, dpiScale),
        offsetof(WindowState, hInstance),         offsetof(WindowState, taskbarWindow),
        offsetof(WindowState, logoBitmap),
        // Additions come after the documented fields.
        offsetof(WindowState, accessible),        offsetof(WindowState, windowCreationHook),
    };
    CHECK(sizeof(offsets) / sizeof(offsets[0]) == 41);
    for (size_t i = 1; i < sizeof(offsets) / sizeof(offsets[0]); ++i)
    {
        CAPTURE(i);
        CHECK(offsets[i - 1] < offsets[i]);
    }
    CHECK(sizeof(Line) == 20);
    CHECK(sizeof(CaptionButton) == 4);
    CHECK(sizeof(WindowState::menuOpen) == 1);
    CHECK(sizeof(WindowState::draftLine) == 16);
}

TEST_CASE("the palette has the documented colours and fonts")
{
    TestWindow window;
    const WindowState& s = window.state();
    CHECK(sameColour(colourOf(s.chromeBrush), 0.93f, 0.94f, 0.96f, 1));
    CHECK(sameColour(colourOf(s.buttonHoverBrush), 0.837f, 0.846f, 0.864f, 1));
    CHECK(sameColour(colourOf(s.closeHoverBrush), 1, 0, 0, 1));
    CHECK(sameColour(colourOf(s.buttonPressedBrush), 0.637f, 0.646f, 0.664f, 1));
    CHECK(sameColour(colourOf(s.closePressedBrush), 205 / 255.0f, 92 / 255.0f, 92 / 255.0f, 1));
    CHECK(sameColour(colourOf(s.closeGlyphBrush), 1, 1, 1, 1));
    CHECK(sameColour(colourOf(s.canvasBorderBrush), 0.83f, 0.83f, 0.83f, 1));
    CHECK(sameColour(colourOf(s.selectedLineBrush), 0, 0, 1, 1));
    CHECK(sameColour(colourOf(s.saveButtonBrush), 0.91f, 0.92f, 0.94f, 1));
    CHECK(sameColour(colourOf(s.hoverFillBrush), 0.82f, 0.84f, 0.88f, 1));
    CHECK(sameColour(colourOf(s.shadowBrush), 0, 0, 0, 0.1f));
    CHECK(sameColour(colourOf(s.separatorBrush), 0.85f, 0.85f, 0.85f, 1));
    // Black and white in several roles are separate objects.
    CHECK(static_cast<void*>(s.textBrush) != static_cast<void*>(s.lineBrush));
    CHECK(static_cast<void*>(s.lineBrush) != static_cast<void*>(s.saveButtonTextBrush));
    CHECK(static_cast<void*>(s.closeGlyphBrush) != static_cast<void*>(s.menuBrush));

    CHECK(s.textFormat->GetFontSize() == 12.0f);
    CHECK(s.iconFormat->GetFontSize() == 10.0f);
    CHECK(s.buttonTextFormat->GetFontSize() == 12.0f);
    CHECK(s.textFormat->GetFontWeight() == DWRITE_FONT_WEIGHT_REGULAR);
    CHECK(s.buttonTextFormat->GetFontWeight() == DWRITE_FONT_WEIGHT_SEMI_BOLD);
    CHECK(s.textFormat->GetTextAlignment() == DWRITE_TEXT_ALIGNMENT_LEADING);
    CHECK(s.iconFormat->GetTextAlignment() == DWRITE_TEXT_ALIGNMENT_CENTER);
    CHECK(s.buttonTextFormat->GetParagraphAlignment() == DWRITE_PARAGRAPH_ALIGNMENT_CENTER);

    wchar_t family[64] = {};
    s.textFormat->GetFontFamilyName(family, 64);
    CHECK(std::wstring(family) == L"Segoe UI");
    s.iconFormat->GetFontFamilyName(family, 64);
    // This system has no "Segoe Fluent Icons", so the glyphs come from the older family.
    CHECK(std::wstring(family) == L"Segoe MDL2 Assets");
}

TEST_CASE("a move to a 144 DPI monitor rebuilds every brush and format once and takes the suggested rectangle")
{
    TestWindow window;
    WindowState& s = window.state();
    std::vector<IUnknown*> before = paletteOf(s);
    for (IUnknown* object : before)
        object->AddRef(); // keep the old objects alive to see who still holds them
    ID2D1SolidColorBrush* chrome = s.chromeBrush;
    ID2D1Bitmap* logo = s.logoBitmap;

    RECT suggested = {100, 80, 100 + 1200, 80 + 900};
    SendMessageW(window.hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));

    CHECK(s.dpiScale == 1.5f);
    CHECK(s.textFormat->GetFontSize() == 18.0f);
    CHECK(s.iconFormat->GetFontSize() == 15.0f);
    CHECK(s.buttonTextFormat->GetFontSize() == 18.0f);
    if (s.shadowBlur)
    {
        float deviation = 0;
        s.shadowBlur->GetValue(D2D1_GAUSSIANBLUR_PROP_STANDARD_DEVIATION, &deviation);
        CHECK(deviation == 3.0f);
    }
    std::vector<IUnknown*> after = paletteOf(s);
    for (size_t i = 0; i < before.size(); ++i)
    {
        CAPTURE(i);
        CHECK(after[i] != nullptr);
        CHECK(after[i] != before[i]);
        // Our reference was the only one left: the window released the old object exactly once.
        CHECK(before[i]->Release() == 0);
    }
    CHECK(s.chromeBrush == chrome);
    CHECK(s.logoBitmap == logo);
    float dpiX = 0, dpiY = 0;
    s.renderTarget->GetDpi(&dpiX, &dpiY);
    CHECK(dpiX == 96.0f);

    RECT placed;
    GetWindowRect(window.hwnd(), &placed);
    CHECK(placed.left == 100);
    CHECK(placed.top == 80);
    CHECK(placed.right == 1300);
    CHECK(placed.bottom == 980);
}

TEST_CASE("a DPI change repaints once, whether or not the suggested rectangle changes the size")
{
    TestWindow window(800, 600);
    PaintCounter painted(window.hwnd());
    for (int widthChange : {0, 100})
    {
        CAPTURE(widthChange);
        pumpMessages();
        const int before = painted.frames();
        RECT suggested;
        GetWindowRect(window.hwnd(), &suggested);
        suggested.right += widthChange;
        const WPARAM dpi = widthChange ? MAKEWPARAM(96, 96) : MAKEWPARAM(144, 144);
        SendMessageW(window.hwnd(), WM_DPICHANGED, dpi, reinterpret_cast<LPARAM>(&suggested));
        // One request, whatever else the move asked for: a single paint clears it.
        CHECK(hasPendingRepaint(window.hwnd()));
        UpdateWindow(window.hwnd());
        CHECK(painted.frames() == before + 1);
        CHECK_FALSE(hasPendingRepaint(window.hwnd()));
    }
}

TEST_CASE("resizing and minimising resize the render target to the client area")
{
    TestWindow window(800, 600);
    const WindowState& s = window.state();
    window.setClientSize(500, 400);
    CHECK(s.renderTarget->GetPixelSize().width == 500);
    CHECK(s.renderTarget->GetPixelSize().height == 400);

    ShowWindow(window.hwnd(), SW_MINIMIZE);
    pumpMessages();
    RECT client;
    GetClientRect(window.hwnd(), &client);
    CHECK(s.renderTarget->GetPixelSize().width == static_cast<UINT32>(client.right));
    ShowWindow(window.hwnd(), SW_RESTORE);
    pumpMessages();
    CHECK(s.renderTarget->GetPixelSize().width == 500);
    CHECK(s.renderTarget->GetPixelSize().height == 400);
}

TEST_CASE("messages without a record are answered and change nothing")
{
    WNDCLASSW plain = {};
    plain.lpfnWndProc = DefWindowProcW;
    plain.hInstance = GetModuleHandleW(nullptr);
    plain.lpszClassName = L"PlainTestWindow";
    RegisterClassW(&plain);
    HWND bare = CreateWindowExW(0, L"PlainTestWindow", L"", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                                plain.hInstance, nullptr);
    REQUIRE(bare != nullptr);
    CHECK(windowProc(bare, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10)) == 0);
    CHECK(windowProc(bare, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10)) == 0);
    CHECK(windowProc(bare, WM_LBUTTONUP, 0, MAKELPARAM(10, 10)) == 0);
    CHECK(windowProc(bare, WM_RBUTTONDOWN, 0, MAKELPARAM(10, 10)) == 0);
    CHECK(windowProc(bare, WM_KEYDOWN, VK_DELETE, 0) == 0);
    CHECK(windowProc(bare, WM_CAPTURECHANGED, 0, 0) == 0);
    CHECK(windowProc(bare, WM_MOUSELEAVE, 0, 0) == 0);
    CHECK(windowProc(bare, WM_SIZE, 0, MAKELPARAM(300, 200)) == 0);
    CHECK(windowProc(bare, WM_ERASEBKGND, 0, 0) == 1);
    InvalidateRect(bare, nullptr, FALSE);
    CHECK(windowProc(bare, WM_PAINT, 0, 0) == 0);
    CHECK(GetUpdateRect(bare, nullptr, FALSE) == 0); // acknowledged as painted
    RECT suggested = {10, 20, 410, 320};
    CHECK(windowProc(bare, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested)) == 0);
    RECT placed;
    GetWindowRect(bare, &placed);
    CHECK(placed.left == 10);
    CHECK(placed.right == 410);
    DestroyWindow(bare);
    MSG message;
    while (PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
    {
    }
}

TEST_CASE("after WM_DESTROY no message reaches the freed record")
{
    TestWindow window;
    HWND hwnd = window.hwnd();
    windowProc(hwnd, WM_DESTROY, 0, 0);
    CHECK(GetWindowLongPtrW(hwnd, GWLP_USERDATA) == 0);
    MSG quit;
    CHECK(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0);
    CHECK(quit.wParam == 0);
    // Late messages find no record and are answered harmlessly.
    CHECK(SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(100, 200)) == 0);
    CHECK(SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 200)) == 0);
    CHECK(SendMessageW(hwnd, WM_KEYDOWN, VK_DELETE, 0) == 0);
    InvalidateRect(hwnd, nullptr, FALSE);
    UpdateWindow(hwnd);
    CHECK(SendMessageW(hwnd, WM_SIZE, 0, 0) == 0);
}

TEST_CASE("a record that cannot be allocated makes creation fail instead of crashing")
{
    registerWindowClass(GetModuleHandleW(nullptr));
    failAllocations = true;
    HWND window = createMainWindow(GetModuleHandleW(nullptr));
    failAllocations = false;
    CHECK(window == nullptr);
    if (window)
        DestroyWindow(window);
}

TEST_CASE("with a DirectWrite factory but no render target only the text formats are made")
{
    WindowState s;
    DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                        reinterpret_cast<IUnknown**>(&s.dwriteFactory));
    REQUIRE(s.dwriteFactory != nullptr);
    s.dpiScale = 2.0f;
    createDeviceResources(s);
    REQUIRE(s.textFormat != nullptr);
    CHECK(s.textFormat->GetFontSize() == 24.0f);
    CHECK(s.iconFormat != nullptr);
    CHECK(s.buttonTextFormat != nullptr);
    CHECK(s.textBrush == nullptr);
    CHECK(s.separatorBrush == nullptr);
    CHECK(s.shadowBlur == nullptr);
    safeRelease(s.textFormat);
    safeRelease(s.iconFormat);
    safeRelease(s.buttonTextFormat);
    safeRelease(s.dwriteFactory);
}
