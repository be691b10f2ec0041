// The real Tarvo.exe with real input: draw, save through the toolbar and the
// menu by typing into the real save dialog, compare the file with the screen,
// and leave through the menu's Exit.
#include <doctest/doctest.h>

#include "harness.h"

#include "../../src/chrome/layout.h"

namespace
{
const COLORREF white = RGB(255, 255, 255);
const COLORREF black = RGB(0, 0, 0);
const COLORREF blue = RGB(0, 0, 255);

struct Session : ClientDriver
{
    TarvoProcess tarvo;

    ClientSize client() const
    {
        RECT r;
        GetClientRect(window, &r);
        return {r.right, r.bottom};
    }
    // Types the path into the real dialog's file-name box and confirms with Enter.
    void saveAs(const std::wstring& path)
    {
        HWND dialog = waitForDialogOf(tarvo.id());
        REQUIRE(dialog != nullptr);
        HWND box = fileNameBoxOf(dialog);
        REQUIRE(box != nullptr);
        CHECK(windowText(box) == L"canvas.png");
        SetForegroundWindow(dialog);
        pumpFor(300);
        SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
        typeText(path);
        CHECK(waitUntil([&] { return windowText(box) == path; }));
        pressKey(VK_RETURN);
        CHECK(waitUntil([&] { return findDialogOf(tarvo.id()) == nullptr; }, 10000));
    }
};

bool isLinePixel(COLORREF c)
{
    return closeTo(c, black, 60) || closeTo(c, blue, 60);
}
} // namespace

TEST_CASE("a user draws, saves through the toolbar and the menu, and exits through the menu")
{
    Session session;
    session.window = session.tarvo.waitForWindow();
    REQUIRE(session.window != nullptr);
    SetWindowPos(session.window, nullptr, 60, 60, 700, 500, SWP_NOZORDER);
    REQUIRE(session.shows(300, 300, white));
    const POINT rest = clientToScreen(session.window, 350, 450);
    moveMouseTo(rest.x, rest.y);
    pumpFor(500);

    session.click(60, 150);
    session.click(400, 350);
    session.click(100, 400);
    session.click(600, 120);
    session.click(250, 260, true); // selects the first line, at (250, 261.8)
    REQUIRE(session.shows(250, 262, blue));
    REQUIRE(session.shows(450, 204, black));
    const Capture screen = captureClient(session.window);

    const std::wstring folder = makeTempFolder(L"e2e");
    const Rect save = saveButtonRect(session.client(), 1);
    session.click(static_cast<int>(save.left) + 20, static_cast<int>(save.top) + 10);
    session.saveAs(folder + L"\\toolbar.png");

    Capture image;
    REQUIRE(waitUntil([&] { return decodePng(folder + L"\\toolbar.png", image); }));
    const Rect canvas = canvasRect(session.client(), 1);
    REQUIRE(image.width == static_cast<int>(canvas.right - canvas.left));
    REQUIRE(image.height == static_cast<int>(canvas.bottom - canvas.top));
    // Same lines in the same place; in the file every line is black.
    int mismatches = 0, linePixels = 0;
    for (int y = 2; y < image.height - 2; ++y)
        for (int x = 2; x < image.width - 2; ++x)
        {
            const bool onScreen = isLinePixel(screen.at(x + 10, y + 90));
            const COLORREF inFile = image.at(x, y);
            linePixels += onScreen;
            if (onScreen != isLinePixel(inFile) || (onScreen && closeTo(inFile, blue, 60)))
                ++mismatches;
        }
    CHECK(linePixels > 500);
    CHECK(mismatches <= linePixels / 50); // anti-aliased edges may differ by a pixel here and there
    CHECK(image.at(250 - 10, 262 - 90) == black);

    // The menu: open it, see it, choose "Export as Image".
    const Rect menuButton = captionButtonRect(CaptionButton::Menu, session.client(), 5, 1);
    session.click(static_cast<int>(menuButton.left) + 20, 16);
    const Rect exportRow = menuEntryRect(session.client(), 5, 1, 0);
    CHECK(session.shows(static_cast<int>(exportRow.right) - 5, static_cast<int>(exportRow.top) + 5, white));
    session.click(static_cast<int>(exportRow.left) + 60, static_cast<int>(exportRow.top) + 16);
    session.saveAs(folder + L"\\menu.png");
    Capture fromMenu;
    REQUIRE(waitUntil([&] { return decodePng(folder + L"\\menu.png", fromMenu); }));
    CHECK(fromMenu.pixels == image.pixels);

    // Exit ends the process with code 0.
    session.click(static_cast<int>(menuButton.left) + 20, 16);
    const Rect exitRow = menuEntryRect(session.client(), 5, 1, 2);
    REQUIRE(session.shows(static_cast<int>(exitRow.right) - 5, static_cast<int>(exitRow.top) + 5, white));
    session.click(static_cast<int>(exitRow.left) + 60, static_cast<int>(exitRow.top) + 16);
    DWORD exitCode = 1;
    REQUIRE(session.tarvo.waitForExit(20000, exitCode));
    CHECK(exitCode == 0);
}
