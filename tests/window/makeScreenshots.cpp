// Not a test: drives the real Tarvo.exe with real input to draw a small floor
// plan, then writes the README's screenshots (scripts/screenshots.sh runs it).
#include "harness.h"

#include <cstdio>

#include "../../src/chrome/layout.h"

namespace
{
void click(HWND window, int x, int y, bool right = false)
{
    ClientDriver{window}.click(x, y, right);
}

void line(HWND window, int x1, int y1, int x2, int y2)
{
    click(window, x1, y1);
    click(window, x2, y2);
}

// Saves the screen once it shows the frame of the last input: the given pixel in its colour.
bool saveWindow(HWND window, const std::wstring& path, POINT probe, COLORREF colour)
{
    if (!ClientDriver{window}.shows(probe.x, probe.y, colour, 10000))
        return false;
    return savePng(captureClient(window), path.c_str());
}
} // namespace

int main()
{
    CoInitialize(nullptr);
    wchar_t folder[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"TARVO_SCREENSHOT_DIR", folder, MAX_PATH))
    {
        fprintf(stderr, "set TARVO_SCREENSHOT_DIR to the folder for the screenshots\n");
        return 2;
    }
    TarvoProcess tarvo;
    HWND window = tarvo.waitForWindow();
    if (!window)
        return 1;
    SetWindowPos(window, nullptr, 40, 40, 760, 520, SWP_NOZORDER);
    const POINT rest = clientToScreen(window, 700, 480);
    moveMouseTo(rest.x, rest.y);
    pumpFor(600);

    // Outer walls with a doorway, an inner wall, and a window line selected.
    line(window, 80, 140, 640, 140);
    line(window, 640, 140, 640, 460);
    line(window, 640, 460, 420, 460);
    line(window, 340, 460, 80, 460);
    line(window, 80, 460, 80, 140);
    line(window, 360, 140, 360, 340);
    line(window, 360, 340, 460, 340);
    line(window, 160, 142, 280, 142);
    click(window, 220, 142, true);
    // A line in progress, following the pointer.
    click(window, 520, 340);
    const POINT draftEnd = clientToScreen(window, 600, 260);
    moveMouseTo(draftEnd.x, draftEnd.y);

    bool saved = saveWindow(window, std::wstring(folder) + L"\\tarvo.png", {560, 300}, RGB(0, 0, 0)); // on the draft
    click(window, 600, 260, true); // cancel the draft

    RECT client;
    GetClientRect(window, &client);
    const Rect menu = captionButtonRect(CaptionButton::Menu, {client.right, client.bottom}, 5, 1);
    click(window, static_cast<int>(menu.left) + 20, 16);
    const Rect exportRow = menuEntryRect({client.right, client.bottom}, 5, 1, 0);
    const POINT hover = clientToScreen(window, static_cast<int>(exportRow.left) + 80, static_cast<int>(exportRow.top) + 16);
    moveMouseTo(hover.x, hover.y);
    const POINT hoveredRow = {static_cast<int>(exportRow.right) - 5, static_cast<int>(exportRow.top) + 5};
    saved = saveWindow(window, std::wstring(folder) + L"\\tarvo-menu.png", hoveredRow, rgb(0.82f, 0.84f, 0.88f)) && saved;

    PostMessageW(window, WM_CLOSE, 0, 0);
    DWORD exitCode = 1;
    tarvo.waitForExit(10000, exitCode);
    CoUninitialize();
    return saved && exitCode == 0 ? 0 : 1;
}
