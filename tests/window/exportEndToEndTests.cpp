// The real Tarvo.exe with real input: draw, save through the toolbar and the
// menu by typing into the real save dialog, compare the file with the screen,
// and leave through the menu's Exit.
#include <doctest/doctest.h>

#include "harness.h"


#include <algorithm>
#include <cstdio>
#include <functional>

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
        CHECK(waitForDialogsGone(tarvo.id(), window));
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

namespace
{
// Posts a button's click to a dialog of Tarvo's and waits until the dialog has gone or another one
// has taken its place; posted once more if the first went astray (sent before it could take it).
bool answer(DWORD processId, HWND dialog, int button)
{
    for (int attempt = 0; attempt < 3; ++attempt)
    {
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
        if (waitUntil([&] { return !IsWindow(dialog) || findDialogOf(processId) != dialog; }, 3000))
            return true;
    }
    return false;
}

// The next enabled dialog of Tarvo's, none of those seen before, or null after the deadline.
HWND dialogAfter(DWORD processId, const std::vector<HWND>& seen)
{
    HWND dialog = nullptr;
    auto isNew = [&] { return std::find(seen.begin(), seen.end(), dialog) == seen.end(); };
    if (!waitUntil([&] { return (dialog = findDialogOf(processId)) != nullptr && isNew(); }, 10000))
        fprintf(stderr, "waited 10000 ms for a new dialog of process %lu; on screen:\n%s", processId,
                describeWindows().c_str());
    return dialog;
}

// Whether Tarvo's menu is open, as its accessible object reports the Menu button.
bool menuIsOpen(HWND window)
{
    IAccessible* object = clientObjectOf(window);
    if (!object)
        return false;
    const LONG state = accessibleState(object, 1);
    object->Release();
    return state != -1 && (state & STATE_SYSTEM_EXPANDED) != 0;
}
} // namespace

TEST_CASE("every path through the save dialog, again and again, from the button and the menu, restored and maximised")
{
    // One round of each path here; scripts/soak.sh runs 50 (TARVO_DIALOG_ROUNDS). The dialog and the
    // boxes it opens by itself are windows created on Tarvo's thread while it keeps painting.
    wchar_t configured[16] = {};
    const int rounds = GetEnvironmentVariableW(L"TARVO_DIALOG_ROUNDS", configured, 16) ? _wtoi(configured) : 1;
    Session session;
    session.window = session.tarvo.waitForWindow();
    REQUIRE(session.window != nullptr);
    const DWORD tarvoId = session.tarvo.id();
    SetWindowPos(session.window, nullptr, 60, 60, 700, 500, SWP_NOZORDER);
    REQUIRE(session.shows(300, 300, white));
    const std::wstring folder = makeTempFolder(L"paths");
    const std::wstring existing = folder + L"\\existing.png";
    const std::wstring readOnly = folder + L"\\kept.png";
    const std::string kept = "a read-only file to keep";
    writeFile(readOnly, kept);
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    int clicksAgain = 0;

    // Clicks, and waits for the save dialog. A hang shows as a window disabled for a dialog that
    // never appears; a click that reached no button leaves the window enabled and answering, and is
    // made once more, as a user would.
    auto openDialog = [&](const std::string& from, const char* path, int round, const std::function<void()>& click) {
        click();
        HWND dialog = waitForDialogOf(tarvoId, 5000);
        if (!dialog && IsWindowEnabled(session.window) && responds(session.window))
        {
            ++clicksAgain;
            click();
            dialog = waitForDialogOf(tarvoId);
        }
        if (!dialog)
            printStacks();
        INFO(from << ", " << path << ", round " << round
                  << std::string(IsZoomed(session.window) ? ", maximised" : ", restored")
                  << std::string(responds(session.window) ? "; Tarvo answers messages" : "; Tarvo does not answer")
                  << "; on screen:\n" << describeWindows());
        REQUIRE(dialog != nullptr);
        return dialog;
    };
    // Types the name into the open dialog and presses Save.
    auto saveAs = [&](HWND dialog, const std::wstring& path) {
        HWND box = fileNameBoxOf(dialog);
        REQUIRE(box != nullptr);
        SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        REQUIRE(answer(tarvoId, dialog, IDOK));
    };
    auto runPaths = [&](const std::string& from, int round, const std::function<void()>& click) {
        // Cancelled: nothing happens.
        REQUIRE(answer(tarvoId, openDialog(from, "cancel", round, click), IDCANCEL));
        REQUIRE(waitForDialogsGone(tarvoId, session.window));

        // An existing file: the dialog asks first; Yes writes the image over it.
        writeFile(existing, "an older file");
        HWND dialog = openDialog(from, "overwrite", round, click);
        saveAs(dialog, existing);
        HWND question = dialogAfter(tarvoId, {dialog});
        REQUIRE(question != nullptr);
        REQUIRE(answer(tarvoId, question, IDYES));
        REQUIRE(waitForDialogsGone(tarvoId, session.window));
        // Tarvo writes the image after the dialog has closed, and has done so once it answers
        // messages again with no box up. The file is read only then: a reader holding it open
        // while Tarvo moves the new image over it would make the move fail.
        const bool finished = responds(session.window, 20000) && IsWindowEnabled(session.window);
        if (!finished)
            printStacks();
        REQUIRE(finished);
        const std::vector<unsigned char> written = readFile(existing);
        CHECK((written.size() > 8 && written[1] == 'P' && written[2] == 'N' && written[3] == 'G'));

        // A folder that does not exist: the dialog says so and stays; cancelled, nothing is written.
        dialog = openDialog(from, "missing folder", round, click);
        saveAs(dialog, folder + L"\\missing\\drawing.png");
        HWND refusal = dialogAfter(tarvoId, {dialog});
        REQUIRE(refusal != nullptr);
        REQUIRE(answer(tarvoId, refusal, IDOK));
        REQUIRE(waitUntil([&] { return findDialogOf(tarvoId) == dialog; }));
        REQUIRE(answer(tarvoId, dialog, IDCANCEL));
        REQUIRE(waitForDialogsGone(tarvoId, session.window));

        // A read-only file: the question, then the error box, and the file keeps its bytes.
        dialog = openDialog(from, "read-only file", round, click);
        saveAs(dialog, readOnly);
        question = dialogAfter(tarvoId, {dialog});
        REQUIRE(question != nullptr);
        REQUIRE(answer(tarvoId, question, IDYES));
        HWND error = dialogAfter(tarvoId, {dialog, question});
        REQUIRE(error != nullptr);
        CHECK(windowText(error) == L"Save Image");
        CHECK(windowText(GetDlgItem(error, 0xFFFF)) == L"Could not save the image.");
        REQUIRE(answer(tarvoId, error, IDOK));
        REQUIRE(waitForDialogsGone(tarvoId, session.window));
        CHECK(readFile(readOnly) == bytesOf(kept));
    };

    for (bool maximised : {false, true})
    {
        if (maximised)
        {
            ShowWindow(session.window, SW_MAXIMIZE);
            REQUIRE(waitUntil([&] { return IsZoomed(session.window) != 0; }));
        }
        const ClientSize client = session.client();
        const Rect save = saveButtonRect(client, 1);
        const Rect menuButton = captionButtonRect(CaptionButton::Menu, client, 5, 1);
        const Rect exportRow = menuEntryRect(client, 5, 1, 0);
        // The toolbar's face at rest is on screen before the first press.
        REQUIRE(session.shows(static_cast<int>(save.left) + 3, static_cast<int>(save.top) + 3,
                              rgb(0.91f, 0.92f, 0.94f)));
        for (int round = 0; round < rounds; ++round)
        {
            runPaths("Save Image", round, [&] {
                session.click(static_cast<int>(save.left) + 20, static_cast<int>(save.top) + 10);
            });
            runPaths("Export as Image", round, [&] {
                // The menu's state comes from Tarvo itself: a screen that still shows the dialog
                // that just closed (white where the menu would be) must not pass for an open menu.
                if (!menuIsOpen(session.window))
                {
                    session.click(static_cast<int>(menuButton.left) + 20, 16);
                    if (!waitUntil([&] { return menuIsOpen(session.window); }) && responds(session.window))
                    {
                        ++clicksAgain;
                        session.click(static_cast<int>(menuButton.left) + 20, 16);
                    }
                }
                const bool opened = waitUntil([&] { return menuIsOpen(session.window); });
                if (!opened)
                    printStacks();
                REQUIRE(opened);
                REQUIRE(session.shows(static_cast<int>(exportRow.right) - 5, static_cast<int>(exportRow.top) + 5, white));
                session.click(static_cast<int>(exportRow.left) + 60, static_cast<int>(exportRow.top) + 16);
            });
        }
    }
    printf("save dialog: %d rounds of cancel, overwrite, missing folder and read-only file from each of the button and "
           "the menu, restored and maximised; %d clicks made again\n",
           rounds, clicksAgain);
    DWORD exitCode = 1;
    PostMessageW(session.window, WM_CLOSE, 0, 0);
    REQUIRE(session.tarvo.waitForExit(20000, exitCode));
    CHECK(exitCode == 0);
}
