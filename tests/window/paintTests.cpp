// What the screen shows: every part of the frame checked in the pixels the
// screen presents, against the state that produced it, at 96 and 144 DPI.
#include <doctest/doctest.h>

#include "harness.h"

#include <cmath>
#include <functional>

#include "../../src/chrome/windowLayout.h"
#include "../../src/render/deviceResources.h"
#include "../../src/render/paint.h"

namespace
{
const COLORREF white = RGB(255, 255, 255);
const COLORREF black = RGB(0, 0, 0);
const COLORREF blue = RGB(0, 0, 255);
const COLORREF red = RGB(255, 0, 0);
const COLORREF chrome = rgb(0.93f, 0.94f, 0.96f);
const COLORREF saveButtonFace = rgb(0.91f, 0.92f, 0.94f);
const COLORREF hoverFill = rgb(0.82f, 0.84f, 0.88f);
const COLORREF buttonHover = rgb(0.837f, 0.846f, 0.864f);
const COLORREF buttonPressed = rgb(0.637f, 0.646f, 0.664f);
const COLORREF closePressed = RGB(205, 92, 92);
const COLORREF chromeUnderShadow = rgb(0.93f * 0.9f, 0.94f * 0.9f, 0.96f * 0.9f);
const COLORREF whiteUnderShadow = rgb(0.9f, 0.9f, 0.9f);

// A window at a chosen DPI: 144 DPI arrives as WM_DPICHANGED with the window's own rectangle.
struct PaintedWindow
{
    TestWindow window;
    float s;

    PaintedWindow(int width, int height, int dpi) : window(width, height), s(dpi / 96.0f)
    {
        if (dpi != 96)
        {
            RECT placed;
            GetWindowRect(window.hwnd(), &placed);
            SendMessageW(window.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&placed));
        }
    }
    WindowState& state() { return window.state(); }
    Capture shot() { return window.present(); }
    Rect button(CaptionButton b) { return captionButtonRect(window.hwnd(), b, s); }
};

int countPixels(const Capture& c, Rect area, const std::function<bool(COLORREF)>& test)
{
    int count = 0;
    for (int y = static_cast<int>(std::ceil(area.top)); y < static_cast<int>(area.bottom) && y < c.height; ++y)
        for (int x = static_cast<int>(std::ceil(area.left)); x < static_cast<int>(area.right) && x < c.width; ++x)
            if (x >= 0 && y >= 0 && test(c.at(x, y)))
                ++count;
    return count;
}

bool isDark(COLORREF c)
{
    return GetRValue(c) < 90 && GetGValue(c) < 90 && GetBValue(c) < 90;
}

bool isLight(COLORREF c)
{
    return GetRValue(c) > 235 && GetGValue(c) > 235 && GetBValue(c) > 235;
}

#define CHECK_COLOUR(capture, x, y, colour)                                                                           \
    do                                                                                                                 \
    {                                                                                                                  \
        const COLORREF seen_ = (capture).at((x), (y));                                                                 \
        INFO("at (" << (x) << ", " << (y) << ") saw " << GetRValue(seen_) << "," << GetGValue(seen_) << ","           \
                    << GetBValue(seen_));                                                                              \
        CHECK(closeTo(seen_, (colour), 3));                                                                            \
    } while (0)

// Middle of a rectangle's left strip, clear of any glyph or text drawn at its centre.
int leftInside(Rect r, float s)
{
    return static_cast<int>(r.left + 4 * s);
}
int middleY(Rect r)
{
    return static_cast<int>((r.top + r.bottom) / 2);
}
} // namespace

TEST_CASE("the resting frame: white ground, grey canvas frame, chrome bars, Save Image, logo and title")
{
    for (int dpi : {96, 144})
    {
        CAPTURE(dpi);
        PaintedWindow w(900, 640, dpi);
        const float s = w.s;
        const Capture c = w.shot();
        const Rect canvas = canvasRect(w.window.hwnd(), s);
        const Rect save = saveButtonRect(w.window.hwnd(), s);

        CHECK_COLOUR(c, static_cast<int>(3 * s), 300, white);              // left margin
        CHECK_COLOUR(c, 450, static_cast<int>(canvas.top) + 40, white);    // inside the canvas
        CHECK_COLOUR(c, 450, static_cast<int>(16 * s), chrome);            // title bar
        CHECK_COLOUR(c, 450, static_cast<int>(50 * s), chrome);            // toolbar
        CHECK_COLOUR(c, leftInside(save, s), middleY(save), saveButtonFace);

        // The grey frame straddles canvasRect's edges (the pixel just before or on each edge); inside it is white.
        const COLORREF frameGrey = rgb(0.83f, 0.83f, 0.83f);
        auto frameAt = [&](int x, int y, bool vertical) {
            const COLORREF before = vertical ? c.at(x - 1, y) : c.at(x, y - 1);
            return closeTo(before, frameGrey) || closeTo(c.at(x, y), frameGrey);
        };
        CHECK(frameAt(static_cast<int>(canvas.left), 300, true));
        CHECK(frameAt(static_cast<int>(canvas.right), 300, true));
        CHECK(frameAt(450, static_cast<int>(canvas.top), false));
        CHECK(frameAt(450, static_cast<int>(canvas.bottom), false));
        CHECK_COLOUR(c, static_cast<int>(canvas.left + 3 * s), 300, white);
        CHECK_COLOUR(c, static_cast<int>(canvas.left - 3 * s), 300, white);
        // Text and logo reached the screen.
        CHECK(countPixels(c, save, isDark) > 10);
        CHECK(countPixels(c, {32 * s, 2 * s, 80 * s, 28 * s}, isDark) > 5);
        CHECK(countPixels(c, logoRect(s), [](COLORREF p) { return GetBValue(p) > 180 && GetRValue(p) < 120; }) >
              static_cast<int>(40 * s * s));
        // Every caption glyph is drawn in black on the chrome colour.
        for (CaptionButton b : {CaptionButton::Menu, CaptionButton::Minimize, CaptionButton::Maximize, CaptionButton::Close})
        {
            CAPTURE(static_cast<int>(b));
            CHECK(countPixels(c, w.button(b), isDark) > 2);
            CHECK_COLOUR(c, leftInside(w.button(b), s), middleY(w.button(b)), chrome);
        }
    }
}

TEST_CASE("a DPI change that keeps the window's size shows the new layout with no further input")
{
    TestWindow window(900, 640);
    HWND h = window.hwnd();
    window.present(); // the 96-DPI frame is on screen
    RECT placed;
    GetWindowRect(h, &placed);
    SendMessageW(h, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&placed));
    // No repaint from the test: the DPI change itself must bring the 1.5 layout to the screen,
    // where the Save Image face and the deeper toolbar lie over what was margin and canvas.
    const Rect save = saveButtonRect(h, 1.5f);
    Capture c;
    const bool shown = waitUntil(
        [&] {
            c = captureClient(h);
            return closeTo(c.at(leftInside(save, 1.5f), middleY(save)), saveButtonFace) &&
                   closeTo(c.at(450, 100), chrome);
        },
        10000);
    CHECK(shown);
    CHECK_COLOUR(c, leftInside(save, 1.5f), middleY(save), saveButtonFace);
    CHECK_COLOUR(c, 450, 100, chrome);
}

TEST_CASE("hovered and pressed caption buttons take the colours of their table")
{
    for (int dpi : {96, 144})
    {
        CAPTURE(dpi);
        PaintedWindow w(900, 640, dpi);
        const float s = w.s;
        WindowState& st = w.state();
        const Rect close = w.button(CaptionButton::Close);
        const Rect minimize = w.button(CaptionButton::Minimize);
        const Rect maximize = w.button(CaptionButton::Maximize);
        const Rect menu = w.button(CaptionButton::Menu);

        st.hoveredButton = CaptionButton::Close;
        Capture c = w.shot();
        CHECK_COLOUR(c, leftInside(close, s), middleY(close), red);
        CHECK(countPixels(c, close, isDark) > 2); // black glyph

        st.pressedButton = CaptionButton::Close;
        c = w.shot();
        CHECK_COLOUR(c, leftInside(close, s), middleY(close), closePressed);
        CHECK(countPixels(c, close, isDark) == 0);
        CHECK(countPixels(c, close, isLight) > 2); // white glyph

        st.hoveredButton = CaptionButton::None; // pressed Close, pointer gone: no fill, white glyph
        c = w.shot();
        CHECK_COLOUR(c, leftInside(close, s), middleY(close), chrome);
        CHECK(countPixels(c, close, isDark) == 0);
        CHECK(countPixels(c, close, isLight) > 2);

        st.hoveredButton = CaptionButton::Minimize;
        st.pressedButton = CaptionButton::Maximize;
        c = w.shot();
        CHECK_COLOUR(c, leftInside(minimize, s), middleY(minimize), buttonHover);
        CHECK_COLOUR(c, leftInside(maximize, s), middleY(maximize), chrome);

        st.hoveredButton = CaptionButton::Maximize;
        c = w.shot();
        CHECK_COLOUR(c, leftInside(maximize, s), middleY(maximize), buttonPressed);

        st.pressedButton = CaptionButton::None;
        st.hoveredButton = CaptionButton::Menu;
        c = w.shot();
        CHECK_COLOUR(c, leftInside(menu, s), middleY(menu), buttonHover);
        st.menuOpen = true; // the open tab replaces the hover colour
        c = w.shot();
        CHECK_COLOUR(c, leftInside(menu, s), middleY(menu), white);
        CHECK(countPixels(c, menu, isDark) > 2);
        st.menuOpen = false;
        st.hoveredButton = CaptionButton::None;
    }
}

TEST_CASE("the Save Image button turns the hover colour while hovered")
{
    for (int dpi : {96, 144})
    {
        PaintedWindow w(900, 640, dpi);
        const Rect save = saveButtonRect(w.window.hwnd(), w.s);
        w.state().saveButtonHovered = true;
        Capture c = w.shot();
        CHECK_COLOUR(c, leftInside(save, w.s), middleY(save), hoverFill);
        w.state().saveButtonPressed = true; // pressing has no look of its own
        w.state().saveButtonHovered = false;
        c = w.shot();
        CHECK_COLOUR(c, leftInside(save, w.s), middleY(save), saveButtonFace);
    }
}

TEST_CASE("a maximised window shows the Restore glyph where a restored one shows Maximize")
{
    PaintedWindow w(900, 640, 96);
    const Capture restored = w.shot();
    ShowWindow(w.window.hwnd(), SW_MAXIMIZE);
    REQUIRE(waitUntil([&] { return IsZoomed(w.window.hwnd()) != 0; }));
    const Capture maximised = w.shot();
    const Rect before = w.button(CaptionButton::Maximize); // same layout offsets relative to the right edge
    const int width = static_cast<int>(before.right - before.left);
    int differing = 0;
    const int restoredLeft = static_cast<int>(captionButtonRect(CaptionButton::Maximize, {restored.width, restored.height}, 5, 1).left);
    const int maximisedLeft = static_cast<int>(captionButtonRect(CaptionButton::Maximize, {maximised.width, maximised.height}, 5, 1).left);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < width; ++x)
            if (!closeTo(restored.at(restoredLeft + x, y), maximised.at(maximisedLeft + x, y), 40))
                ++differing;
    CHECK(differing > 3);
    CHECK(countPixels(maximised, {static_cast<float>(maximisedLeft), 0, static_cast<float>(maximisedLeft + width), 32}, isDark) > 2);
    ShowWindow(w.window.hwnd(), SW_RESTORE);
}

TEST_CASE("lines stack in drawing order, selected ones blue, the draft black on top")
{
    for (int dpi : {96, 144})
    {
        CAPTURE(dpi);
        PaintedWindow w(900, 640, dpi);
        WindowState& st = w.state();
        const float s = w.s;
        // A selected horizontal line under a later black vertical one, and a later selected line over an earlier black one.
        st.lines.push_back({100, 300, 400, 300, 1});
        st.lines.push_back({250, 200, 250, 400, 0});
        st.lines.push_back({500, 250, 800, 250, 0});
        st.lines.push_back({650, 150, 650, 350, 1});
        Capture c = w.shot();
        CHECK_COLOUR(c, 150, 300, blue);
        CHECK_COLOUR(c, 150, 299, blue); // 2 x s wide around y = 300
        CHECK_COLOUR(c, 250, 300, black);
        CHECK_COLOUR(c, 249, 250, black);
        CHECK_COLOUR(c, 650, 250, blue);
        CHECK_COLOUR(c, 550, 250, black);
        CHECK_COLOUR(c, 150, static_cast<int>(300 + 3 * s), white); // beyond the stroke

        // The draft line is drawn black over every committed line.
        st.drawing = true;
        st.draftLine = {100, 320, 800, 320};
        st.lines.push_back({300, 320, 300, 320, 1});
        st.lines.push_back({120, 310, 120, 340, 1});
        c = w.shot();
        CHECK_COLOUR(c, 120, 320, black);
        CHECK_COLOUR(c, 120, 335, blue);
        // Not drawing: the draft is not shown.
        st.drawing = false;
        c = w.shot();
        CHECK_COLOUR(c, 400, 320, white);
    }
}

TEST_CASE("lines reaching outside the canvas are covered only where the toolbar and title bar lie")
{
    PaintedWindow w(900, 640, 96);
    w.state().lines.push_back({5, 10, 5, 600, 0}); // along the left margin, up through both bars
    const Capture c = w.shot();
    CHECK_COLOUR(c, 5, 300, black); // outside the canvas, still drawn
    CHECK_COLOUR(c, 5, 60, chrome); // under the toolbar
    CHECK_COLOUR(c, 5, 20, chrome); // under the title bar
}

TEST_CASE("the open menu: white tab and popup, hovered row, one-pixel separator and shadow bands")
{
    for (int dpi : {96, 144, 192})
    {
        CAPTURE(dpi);
        PaintedWindow w(900, 640, dpi);
        const float s = w.s;
        WindowState& st = w.state();
        st.menuOpen = true;
        st.hoveredMenuItem = 2;
        const Capture c = w.shot();
        HWND h = w.window.hwnd();
        const Rect tab = w.button(CaptionButton::Menu);
        const Rect popup = menuPopupRect(h, s);
        const Rect first = menuEntryRect(h, s, 0);
        const Rect separator = menuEntryRect(h, s, 1);
        const Rect last = menuEntryRect(h, s, 2);

        CHECK_COLOUR(c, leftInside(tab, s), middleY(tab), white);
        CHECK_COLOUR(c, static_cast<int>(popup.right) - 3, middleY(first), white);
        CHECK_COLOUR(c, static_cast<int>(popup.right) - 3, middleY(last), hoverFill);
        CHECK(countPixels(c, first, isDark) > 10); // glyph and label
        CHECK(countPixels(c, last, isDark) > 5);

        // The separator: one pixel of 0.85 grey whatever the scale, inset 8 x s at both ends.
        double darkness = 0;
        const int column = static_cast<int>((popup.left + popup.right) / 2);
        for (int y = static_cast<int>(std::ceil(separator.top)); y < static_cast<int>(separator.bottom); ++y)
            darkness += (255.0 - GetRValue(c.at(column, y))) / (255.0 - 217.0);
        CHECK(darkness == doctest::Approx(1.0).epsilon(0.3));
        const int separatorRow = static_cast<int>((separator.top + separator.bottom) / 2);
        CHECK_COLOUR(c, static_cast<int>(popup.left + 4 * s), separatorRow, white);

        const int below = static_cast<int>(popup.bottom), middle = static_cast<int>((popup.left + popup.right) / 2);
        if (st.shadowBlur) // where the system blurs (not Wine): soft under the popup, gone 6 deviations beyond
        {
            CHECK(GetRValue(c.at(middle, below)) < 250);
            CHECK_COLOUR(c, middle, below + static_cast<int>(14 * s) + 1, white);
            continue;
        }
        // Without a blur: bands of 10 % black, 2 x s wide, left and right of the tab and popup and under the popup.
        const int band = static_cast<int>(std::floor(2 * s));
        CHECK_COLOUR(c, static_cast<int>(tab.left) - 1, middleY(tab), chromeUnderShadow);
        CHECK_COLOUR(c, static_cast<int>(tab.right), middleY(tab), chromeUnderShadow);
        CHECK_COLOUR(c, static_cast<int>(tab.left) - band - 1, middleY(tab), chrome);
        CHECK_COLOUR(c, static_cast<int>(popup.left) - 1, static_cast<int>(50 * s), chromeUnderShadow);
        CHECK_COLOUR(c, static_cast<int>(popup.right), static_cast<int>(50 * s), chromeUnderShadow);
        CHECK_COLOUR(c, middle, below, whiteUnderShadow);
        CHECK_COLOUR(c, middle, below + band + 1, white);
    }
}

TEST_CASE("the hover fill never lands on the separator or on no row")
{
    PaintedWindow w(900, 640, 96);
    WindowState& st = w.state();
    st.menuOpen = true;
    HWND h = w.window.hwnd();
    for (int hovered : {1, -1})
    {
        st.hoveredMenuItem = hovered;
        const Capture c = w.shot();
        const Rect popup = menuPopupRect(h, 1);
        for (int row = 0; row < 3; ++row)
            CHECK_COLOUR(c, static_cast<int>(popup.right) - 3, middleY(menuEntryRect(h, 1, row)), white);
    }
    // The closed menu shows no highlight even while the index is still set.
    st.menuOpen = false;
    st.hoveredMenuItem = 0;
    const Capture c = w.shot();
    CHECK_COLOUR(c, 260, 48, chrome);
}

TEST_CASE("a client area too small for a canvas still paints the toolbar and title bar")
{
    PaintedWindow w(300, 100, 96);
    w.state().lines.push_back({12, 92, 200, 92, 0});
    const Capture c = w.shot();
    CHECK_COLOUR(c, 10, 95, white); // no frame where canvasRect's left edge would be
    CHECK_COLOUR(c, 100, 92, white); // no lines
    CHECK_COLOUR(c, 150, 16, chrome);
    CHECK_COLOUR(c, 150, 50, chrome);
}

TEST_CASE("a short client area ends the white popup at its bottom edge")
{
    PaintedWindow w(600, 95, 96);
    w.state().menuOpen = true;
    const Capture c = w.shot();
    CHECK(c.height == 95);
    CHECK_COLOUR(c, 200, 94, white);
    CHECK_COLOUR(c, 200, 85, white);
}

TEST_CASE("recovering a lost device makes every object anew and the next frame paints")
{
    PaintedWindow w(800, 600, 96);
    WindowState& st = w.state();
    st.lines.push_back({100, 300, 400, 300, 1});
    std::vector<IUnknown*> before = {st.renderTarget, st.deviceContext, st.chromeBrush, st.logoBitmap, st.textBrush,
                                     st.lineBrush,    st.selectedLineBrush, st.menuBrush, st.separatorBrush};
    for (IUnknown* object : before)
        object->AddRef();
    recreateWindowTarget(st, w.window.hwnd());
    std::vector<IUnknown*> after = {st.renderTarget, st.deviceContext, st.chromeBrush, st.logoBitmap, st.textBrush,
                                    st.lineBrush,    st.selectedLineBrush, st.menuBrush, st.separatorBrush};
    for (size_t i = 0; i < before.size(); ++i)
    {
        CAPTURE(i);
        REQUIRE(after[i] != nullptr);
        CHECK(after[i] != before[i]);
        before[i]->Release();
    }
    CHECK(st.renderTarget->GetPixelSize().width == 800);
    CHECK(hasPendingRepaint(w.window.hwnd()));
    const Capture c = w.shot();
    CHECK_COLOUR(c, 200, 300, blue);
    CHECK_COLOUR(c, 450, 16, chrome);
}
