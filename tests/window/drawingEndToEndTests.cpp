// The real Tarvo.exe driven with real input: draw three lines, watch the draft
// follow the pointer, select two, and delete them through the confirmation box.
#include <doctest/doctest.h>

#include "harness.h"

namespace
{
const COLORREF white = RGB(255, 255, 255);
const COLORREF black = RGB(0, 0, 0);
const COLORREF blue = RGB(0, 0, 255);

void answerDeleteBox(DWORD processId, HWND window, int button)
{
    HWND box = waitForDialogOf(processId);
    REQUIRE(box != nullptr);
    CHECK(windowText(box) == L"Confirm Delete");
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
    CHECK(waitForDialogsGone(processId, window));
}
} // namespace

TEST_CASE("a user draws three lines, selects two and deletes them after confirming")
{
    TarvoProcess tarvo;
    HWND window = tarvo.waitForWindow();
    REQUIRE(window != nullptr);
    SetWindowPos(window, nullptr, 60, 60, 800, 600, SWP_NOZORDER);
    ClientDriver screen{window};
    REQUIRE(screen.shows(400, 300, white));
    // Let the pointer rest inside first, so Wine has delivered the window's enter and activation.
    screen.move(450, 500);
    pumpFor(500);

    for (int y : {200, 300, 400})
    {
        screen.click(100, y);
        screen.click(400, y);
    }
    CHECK(screen.shows(250, 200, black));
    CHECK(screen.shows(250, 300, black));
    CHECK(screen.shows(250, 400, black));

    // The draft follows the pointer on screen, then the right button cancels it.
    screen.click(500, 150);
    screen.move(700, 150);
    CHECK(screen.shows(650, 150, black));
    screen.move(500, 350);
    CHECK(screen.shows(500, 300, black));
    CHECK(screen.shows(650, 150, white));
    screen.click(600, 500, true);
    CHECK(screen.shows(500, 300, white));

    screen.click(250, 203, true);
    screen.click(250, 398, true);
    CHECK(screen.shows(250, 200, blue));
    CHECK(screen.shows(250, 400, blue));
    CHECK(screen.shows(250, 300, black));

    // No: nothing changes.
    pressKey(VK_DELETE);
    answerDeleteBox(tarvo.id(), window, IDNO);
    pumpFor(300);
    CHECK(screen.shows(250, 200, blue));
    CHECK(screen.shows(250, 300, black));
    CHECK(screen.shows(250, 400, blue));

    // Yes: exactly the unselected line remains.
    pressKey(VK_DELETE);
    answerDeleteBox(tarvo.id(), window, IDYES);
    CHECK(screen.shows(250, 200, white));
    CHECK(screen.shows(250, 400, white));
    CHECK(screen.shows(250, 300, black));
}
