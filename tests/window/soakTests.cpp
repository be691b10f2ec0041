// A long random run of everything a user can do to the window, from a fixed
// and printed seed, checking after every message the rules that must always
// hold. TARVO_SOAK_MESSAGES and TARVO_SOAK_SEED set the length and the seed.
#include <doctest/doctest.h>

#include "harness.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <random>
#include <string>

#include "../../src/chrome/windowLayout.h"

namespace
{
unsigned environmentNumber(const wchar_t* name, unsigned fallback)
{
    wchar_t value[32] = {};
    return GetEnvironmentVariableW(name, value, 32) ? static_cast<unsigned>(_wtoi64(value)) : fallback;
}

enum class Action
{
    Move,
    LeftDown,
    LeftUp,
    RightDown,
    Delete,
    OtherKey,
    MenuButton,
    MenuItem,
    Leave,
    CaptureTaken,
    NonClientPress,
    Resize,
    ShowState,
    DpiChange,
    Paint,
};

struct Weighted
{
    Action action;
    int weight;
};

const Weighted actions[] = {
    {Action::Move, 340},        {Action::LeftDown, 130},   {Action::LeftUp, 120},    {Action::RightDown, 90},
    {Action::Delete, 60},       {Action::OtherKey, 10},    {Action::MenuButton, 40}, {Action::MenuItem, 12},
    {Action::Leave, 30},        {Action::CaptureTaken, 15}, {Action::NonClientPress, 20}, {Action::Resize, 25},
    {Action::ShowState, 12},    {Action::DpiChange, 15},   {Action::Paint, 40},
};

class Soak
{
public:
    Soak(unsigned seed, const std::wstring& folder) : random(seed), folder(folder)
    {
        other = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 4, 4, nullptr, nullptr, nullptr, nullptr);
    }
    ~Soak() { DestroyWindow(other); }

    unsigned messages = 0, checks = 0, failures = 0, windows = 0, exports = 0, deletions = 0, boxes = 0;
    std::string firstFailure;

    void run(unsigned count)
    {
        ModalAnswerer answerer([this](HWND modal) { return answer(modal); });
        for (unsigned step = 0; step < count && failures < 20; ++step)
        {
            if (!window || !IsWindow(window->hwnd()))
                freshWindow();
            currentStep = step;
            act(pick());
            if (step % 25 == 0)
                pumpMessages(); // posted closes, paints
        }
        window.reset();
    }

private:
    std::mt19937 random;
    std::wstring folder;
    std::unique_ptr<TestWindow> window;
    HWND other = nullptr;
    unsigned currentStep = 0;
    bool lastDeleteAnsweredYes = false;

    int below(int bound) { return static_cast<int>(random() % static_cast<unsigned>(bound)); }
    bool coin() { return random() & 1; }

    void freshWindow()
    {
        window.reset();
        window = std::make_unique<TestWindow>(400 + below(900), 300 + below(600));
        ++windows;
    }

    Action pick()
    {
        int total = 0;
        for (const Weighted& w : actions)
            total += w.weight;
        int roll = below(total);
        for (const Weighted& w : actions)
        {
            if (roll < w.weight)
                return w.action;
            roll -= w.weight;
        }
        return Action::Move;
    }

    // A client point in one of the window's regions, or outside the window.
    POINT somewhere()
    {
        HWND h = window->hwnd();
        const float s = window->state().dpiScale;
        const ClientSize client = clientSizeOf(h);
        auto inside = [this](Rect r) {
            const int width = std::max(1, static_cast<int>(r.right - r.left));
            const int height = std::max(1, static_cast<int>(r.bottom - r.top));
            return POINT{static_cast<int>(r.left) + below(width), static_cast<int>(r.top) + below(height)};
        };
        switch (below(9))
        {
        case 0: return inside(captionButtonRect(h, static_cast<CaptionButton>(1 + below(4)), s));
        case 1: return inside(titleBarRect(client, s));
        case 2: return inside(toolbarRect(client, s));
        case 3: return inside(saveButtonRect(h, s));
        case 4: return inside(menuPopupRect(h, s));
        case 5: return inside(menuEntryRect(h, s, below(3)));
        case 6: return {below(client.width + 400) - 200, below(client.height + 400) - 200}; // may be outside
        default: return onCanvas();
        }
    }

    POINT onCanvas()
    {
        const Rect canvas = canvasRect(window->hwnd(), window->state().dpiScale);
        const int width = std::max(1, static_cast<int>(canvas.right - canvas.left));
        const int height = std::max(1, static_cast<int>(canvas.bottom - canvas.top));
        return {static_cast<int>(canvas.left) + below(width), static_cast<int>(canvas.top) + below(height)};
    }

    // A point on a random stored line, anywhere from its start to its end.
    POINT onSomeLine(const WindowState& s)
    {
        const Line& line = s.lines[static_cast<size_t>(below(static_cast<int>(s.lines.size())))];
        const float t = static_cast<float>(below(1001)) / 1000.0f;
        return {static_cast<int>(std::lround(line.x1 + t * (line.x2 - line.x1))),
                static_cast<int>(std::lround(line.y1 + t * (line.y2 - line.y1)))};
    }

    ModalAnswer answer(HWND modal)
    {
        ++boxes;
        if (GetDlgItem(modal, IDYES))
        {
            lastDeleteAnsweredYes = coin();
            return ModalAnswer(lastDeleteAnsweredYes ? IDYES : IDNO);
        }
        if (fileNameBoxOf(modal))
        {
            if (coin())
                return ModalAnswer(IDCANCEL);
            ++exports;
            return ModalAnswer(IDOK, folder + L"\\soak" + std::to_wstring(exports) + L".png");
        }
        return ModalAnswer(IDOK);
    }

    void act(Action action)
    {
        HWND h = window->hwnd();
        WindowState& s = window->state();
        const size_t linesBefore = s.lines.size();
        lastDeleteAnsweredYes = false;
        POINT point = {0, 0};
        UINT sent = 0;
        switch (action)
        {
        case Action::Move:
            point = somewhere();
            sent = WM_MOUSEMOVE;
            window->send(sent, point.x, point.y);
            break;
        case Action::LeftDown:
            // While drawing, most presses end the line on the canvas, so drawings grow.
            point = s.drawing && below(5) != 0 ? onCanvas() : somewhere();
            sent = WM_LBUTTONDOWN;
            window->send(sent, point.x, point.y, MK_LBUTTON);
            break;
        case Action::LeftUp:
            point = somewhere();
            sent = WM_LBUTTONUP;
            window->send(sent, point.x, point.y);
            break;
        case Action::RightDown:
            // Most right presses aim at a stored line, so selection, the confirmation box and
            // deletion run often, not only when a random point happens to land on a line.
            point = !s.lines.empty() && below(5) != 0 ? onSomeLine(s) : somewhere();
            sent = WM_RBUTTONDOWN;
            window->send(sent, point.x, point.y, MK_RBUTTON);
            break;
        case Action::Delete:
            sent = WM_KEYDOWN;
            SendMessageW(h, WM_KEYDOWN, VK_DELETE, 0);
            break;
        case Action::OtherKey:
            SendMessageW(h, WM_KEYDOWN, 'A' + below(26), 0);
            break;
        case Action::MenuButton:
        {
            const Rect r = captionButtonRect(h, CaptionButton::Menu, s.dpiScale);
            point = {static_cast<int>(r.left) + 3, static_cast<int>(r.top) + 3};
            window->send(WM_LBUTTONDOWN, point.x, point.y, MK_LBUTTON);
            check(h);
            if (coin())
                window->send(WM_LBUTTONUP, point.x, point.y);
            break;
        }
        case Action::MenuItem:
        {
            // Export or Exit; Exit (and any close) is followed by a fresh window.
            const Rect r = menuEntryRect(h, s.dpiScale, coin() ? 0 : 2);
            point = {static_cast<int>(r.left) + 5, static_cast<int>(r.top) + 5};
            window->send(WM_MOUSEMOVE, point.x, point.y);
            sent = WM_LBUTTONUP;
            window->send(sent, point.x, point.y);
            break;
        }
        case Action::Leave:
            SendMessageW(h, WM_MOUSELEAVE, 0, 0);
            break;
        case Action::CaptureTaken:
            SetCapture(other);
            ReleaseCapture();
            break;
        case Action::NonClientPress:
        {
            POINT screen = somewhere();
            ClientToScreen(h, &screen);
            SendMessageW(h, WM_NCLBUTTONDOWN, HTNOWHERE, MAKELPARAM(screen.x, screen.y));
            break;
        }
        case Action::Resize:
        {
            const bool tiny = coin();
            const int width = tiny ? 1 + below(200) : 200 + below(1800);
            const int height = tiny ? 1 + below(150) : 150 + below(1200);
            SetWindowPos(h, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            break;
        }
        case Action::ShowState:
        {
            const int commands[] = {SW_MINIMIZE, SW_MAXIMIZE, SW_RESTORE, SW_SHOWNORMAL};
            ShowWindow(h, commands[below(4)]);
            break;
        }
        case Action::DpiChange:
        {
            const int dpis[] = {96, 120, 144, 192};
            const int dpi = dpis[below(4)];
            RECT placed;
            GetWindowRect(h, &placed);
            SendMessageW(h, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&placed));
            break;
        }
        case Action::Paint:
            InvalidateRect(h, nullptr, FALSE);
            UpdateWindow(h);
            break;
        }
        ++messages;
        if (!IsWindow(h) || stateOf(h) != &s)
            return; // closed by its own message: a fresh window follows
        check(h);
        checkLineCount(s, sent, linesBefore);
        if (sent == WM_MOUSEMOVE && s.drawing)
            checkDraftInsideCanvas(h, s);
    }

    void fail(const char* rule)
    {
        ++failures;
        char text[256];
        snprintf(text, sizeof(text), "step %u: %s", currentStep, rule);
        if (firstFailure.empty())
            firstFailure = text;
        printf("soak failure at %s\n", text);
    }

    void expect(bool holds, const char* rule)
    {
        ++checks;
        if (!holds)
            fail(rule);
    }

    void check(HWND h)
    {
        const WindowState& s = window->state();
        for (const Line& line : s.lines)
            if (line.selected > 1)
            {
                fail("a line's selected flag is 0 or 1");
                break;
            }
        ++checks;
        expect(s.hoveredMenuItem == -1 || s.hoveredMenuItem == 0 || s.hoveredMenuItem == 2,
               "hoveredMenuItem is -1, 0 or 2");
        const int pressed = static_cast<int>(s.pressedButton);
        expect(pressed >= 0 && pressed <= 4, "pressedButton is a CaptionButton");
        expect(s.pressedButton != CaptionButton::Menu || s.menuOpen, "pressedButton is Menu only while the menu is open");
        const bool windowButtonHeld = s.pressedButton == CaptionButton::Minimize ||
                                      s.pressedButton == CaptionButton::Maximize ||
                                      s.pressedButton == CaptionButton::Close;
        expect(!windowButtonHeld || GetCapture() == h, "a held window button holds the capture");
        expect(!s.saveButtonPressed || GetCapture() == h, "a held Save Image button holds the capture");
    }

    void checkLineCount(const WindowState& s, UINT sent, size_t before)
    {
        const size_t after = s.lines.size();
        if (sent == WM_LBUTTONDOWN)
            expect(after == before || after == before + 1, "a left press adds at most one line");
        else if (sent == WM_KEYDOWN && lastDeleteAnsweredYes)
            expect(after <= before, "a confirmed Delete only removes lines");
        else
            expect(after == before, "no other message changes the number of lines");
        if (sent == WM_KEYDOWN && after < before)
            ++deletions;
    }

    void checkDraftInsideCanvas(HWND h, const WindowState& s)
    {
        const Rect canvas = canvasRect(h, s.dpiScale);
        if (!(canvas.right > canvas.left) || !(canvas.bottom > canvas.top))
            return; // no canvas to be inside
        expect(s.draftLine.x2 >= canvas.left && s.draftLine.x2 <= canvas.right && s.draftLine.y2 >= canvas.top &&
                   s.draftLine.y2 <= canvas.bottom,
               "the draft end lies inside the canvas after a move");
    }
};
} // namespace

TEST_CASE("a long random run of user input keeps every rule of the window")
{
    const unsigned count = environmentNumber(L"TARVO_SOAK_MESSAGES", 3000);
    const unsigned seed = environmentNumber(L"TARVO_SOAK_SEED", 20261208);
    printf("soak: seed %u, %u steps (replay with TARVO_SOAK_SEED=%u TARVO_SOAK_MESSAGES=%u)\n", seed, count, seed, count);
    const std::wstring folder = makeTempFolder(L"soak");
    Soak soak(seed, folder);
    const ULONGLONG start = GetTickCount64();
    soak.run(count);
    printf("soak: %u messages sent, %u invariants checked, %u failures; %u windows, %u exports, %u confirmed deletions, %u modal "
           "boxes answered, %.1f s\n",
           soak.messages, soak.checks, soak.failures, soak.windows, soak.exports, soak.deletions, soak.boxes,
           (GetTickCount64() - start) / 1000.0);
    INFO("seed " << seed << ", first failure at " << soak.firstFailure);
    CHECK(soak.failures == 0);
    // No temporary file is ever left beside the exported images.
    for (const std::wstring& name : filesIn(folder))
        CHECK(name.substr(0, 4) == L"soak");
}
