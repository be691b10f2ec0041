// PNG export through the save dialog, answered from the test: what the image
// holds, where it goes, and that a failure never leaves a file half written.
#include <doctest/doctest.h>

#include "harness.h"

#include <cderr.h>

#include "../../src/chrome/windowLayout.h"
#include "../../src/menu/exportImage.h"
#include "../../src/render/deviceResources.h"

namespace
{
const COLORREF white = RGB(255, 255, 255);
const COLORREF black = RGB(0, 0, 0);
const COLORREF frameGrey = rgb(0.83f, 0.83f, 0.83f);

void clickSaveImage(TestWindow& w, float s = 1)
{
    const Rect save = saveButtonRect(w.hwnd(), s);
    const int x = static_cast<int>(save.left + 10 * s);
    const int y = static_cast<int>(save.top + 10 * s);
    w.send(WM_LBUTTONDOWN, x, y);
    w.send(WM_LBUTTONUP, x, y);
}

std::wstring saveThroughButton(TestWindow& w, const std::wstring& fileName, std::vector<ModalSeen>* seen = nullptr,
                               float s = 1)
{
    ModalAnswerer answerer({{IDOK, fileName}, {IDOK, L""}});
    clickSaveImage(w, s);
    if (seen)
        *seen = answerer.seen();
    return fileName;
}

bool isError(const ModalSeen& seen)
{
    return seen.caption == L"Save Image" && seen.text == L"Could not save the image.";
}
} // namespace

TEST_CASE("the image is the canvas alone: white ground, grey edge pixels, black 2-pixel lines from the canvas origin")
{
    TestWindow w(800, 600); // canvas (10, 90, 790, 590): 780 x 500
    WindowState& s = w.state();
    s.lines.push_back({110, 190, 410, 190, 0}); // image y 100
    s.lines.push_back({110, 290, 410, 290, 1}); // selected: still black
    s.lines.push_back({600, 150, 600, 450, 0}); // image x 590
    s.drawing = true;
    s.draftLine = {110, 390, 410, 390};         // the draft is included
    const std::wstring folder = makeTempFolder(L"export");
    std::vector<ModalSeen> seen;
    saveThroughButton(w, folder + L"\\drawing.png", &seen);
    REQUIRE(seen.size() == 1); // only the dialog: no error box
    CHECK(seen[0].ownerDisabled);

    Capture image;
    REQUIRE(decodePng(folder + L"\\drawing.png", image));
    CHECK(image.width == 780);
    CHECK(image.height == 500);
    CHECK(image.at(0, 250) == frameGrey);
    CHECK(image.at(779, 250) == frameGrey);
    CHECK(image.at(400, 0) == frameGrey);
    CHECK(image.at(400, 499) == frameGrey);
    CHECK(image.at(0, 0) == frameGrey);
    CHECK(image.at(1, 250) == white);
    CHECK(image.at(400, 1) == white);
    CHECK(image.at(700, 400) == white);
    for (int y : {99, 100, 199, 200, 299, 300})
        CHECK(image.at(200, y) == black);
    for (int y : {97, 102, 197, 202})
        CHECK(image.at(200, y) == white);
    CHECK(image.at(589, 250) == black);
    CHECK(image.at(590, 250) == black);
    CHECK(image.at(592, 250) == white);
    // The export changes no state: the draft goes on.
    CHECK(s.drawing);
    CHECK(s.lines.size() == 3);
    CHECK(s.lines[1].selected == 1);
}

TEST_CASE("at 1.5 x scale a 1000 x 700 client exports 970 x 550 with lines still 2 pixels wide")
{
    TestWindow w(1000, 700);
    RECT placed;
    GetWindowRect(w.hwnd(), &placed);
    SendMessageW(w.hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&placed));
    w.setClientSize(1000, 700);
    WindowState& s = w.state();
    s.lines.push_back({15, 135, 315, 135, 0});   // starts at the image origin
    s.lines.push_back({115, 335, 415, 335, 0});  // image y 200
    s.lines.push_back({900, 600, 1400, 600, 0}); // reaches past the canvas: cut at the image edge
    const std::wstring folder = makeTempFolder(L"export15");
    saveThroughButton(w, folder + L"\\scaled.png", nullptr, 1.5f);
    Capture image;
    REQUIRE(decodePng(folder + L"\\scaled.png", image));
    CHECK(image.width == 970);
    CHECK(image.height == 550);
    CHECK(image.at(0, 0) == black);
    CHECK(image.at(100, 0) == black);
    CHECK(image.at(200, 199) == black);
    CHECK(image.at(200, 200) == black);
    CHECK(image.at(200, 198) == white);
    CHECK(image.at(200, 201) == white);
    CHECK(image.at(968, 465) == black);
}

TEST_CASE("a name without an extension gets .png; another extension still gets PNG data")
{
    TestWindow w(400, 300);
    const std::wstring folder = makeTempFolder(L"names");
    saveThroughButton(w, folder + L"\\plan");
    CHECK(readFile(folder + L"\\plan.png").size() > 8);
    saveThroughButton(w, folder + L"\\plan.bmp");
    const std::vector<unsigned char> bytes = readFile(folder + L"\\plan.bmp");
    REQUIRE(bytes.size() > 8);
    CHECK(bytes[1] == 'P');
    CHECK(bytes[2] == 'N');
    CHECK(bytes[3] == 'G');
    CHECK(filesIn(folder).size() == 2); // no temporary files left behind
}

TEST_CASE("a folder browsed to in the dialog does not become the current directory")
{
    TestWindow w(400, 300);
    const std::wstring folder = makeTempFolder(L"browsed");
    wchar_t before[MAX_PATH] = {}, after[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, before);
    // The folder typed and confirmed first opens it in the dialog; the name then saves there.
    ModalAnswerer answerer({{IDOK, L"plan.png", [&](HWND dialog) {
        SetWindowTextW(fileNameBoxOf(dialog), folder.c_str());
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    }}});
    clickSaveImage(w);
    CHECK(readFile(folder + L"\\plan.png").size() > 8);
    GetCurrentDirectoryW(MAX_PATH, after);
    CHECK(std::wstring(after) == before);
}

TEST_CASE("cancelling the dialog writes nothing and shows nothing")
{
    TestWindow w(400, 300);
    // Before the dialog opens, the last frame has left the renderer (read back through the target).
    CHECK(SUCCEEDED(finishPresentedFrames(w.state())));
    ModalAnswerer answerer({{IDCANCEL, L""}, {IDOK, L""}});
    clickSaveImage(w);
    CHECK(answerer.seen().size() == 1);
    CHECK(saveDialogCancelled(0)); // no error: cancelled; any error, a path too long among them, is a failure
    for (DWORD error : {FNERR_BUFFERTOOSMALL, FNERR_INVALIDFILENAME, CDERR_DIALOGFAILURE, CDERR_MEMALLOCFAILURE})
        CHECK_FALSE(saveDialogCancelled(error));
}

TEST_CASE("a canvas under 2 x 2 pixels shows the failure box and writes nothing")
{
    // The system keeps a sizable window at least about 112 pixels wide, so the small side here is the height.
    for (SIZE client : {SIZE{400, 101}, SIZE{400, 100}, SIZE{400, 60}, SIZE{200, 300}})
    {
        TestWindow w(client.cx, client.cy);
        const std::wstring folder = makeTempFolder(L"tiny");
        std::vector<ModalSeen> seen;
        ModalAnswerer answerer({{IDOK, folder + L"\\tiny.png"}, {IDOK, L""}});
        exportImage(w.state(), w.hwnd());
        seen = answerer.seen();
        if (client.cx == 200)
        {
            // 180 x 110 is big enough: the control case.
            CHECK(seen.size() == 1);
            CHECK(filesIn(folder).size() == 1);
            continue;
        }
        REQUIRE(seen.size() == 2);
        CHECK(isError(seen[1]));
        CHECK(filesIn(folder).empty());
    }
}

TEST_CASE("a failure while replacing a file leaves that file byte for byte unchanged")
{
    TestWindow w(400, 300);
    w.state().lines.push_back({50, 150, 300, 200, 0});
    const std::wstring folder = makeTempFolder(L"replace");
    const std::wstring target = folder + L"\\existing.png";
    HANDLE file = CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    const char original[] = "not an image, and it must stay exactly so";
    DWORD written = 0;
    WriteFile(file, original, sizeof(original), &written, nullptr);
    CloseHandle(file);
    SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY);

    // The dialog asks before replacing; answer Yes, then the write fails on the read-only file.
    ModalAnswerer answerer({{IDOK, target}, {IDYES, L""}, {IDOK, L""}});
    exportImage(w.state(), w.hwnd());
    REQUIRE(answerer.seen().size() == 3);
    CHECK(isError(answerer.seen()[2]));
    const std::vector<unsigned char> after = readFile(target);
    CHECK(after == std::vector<unsigned char>(original, original + sizeof(original)));
    CHECK(filesIn(folder).size() == 1);
    SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_CASE("replacing a writable file writes the new image over it")
{
    TestWindow w(400, 300);
    const std::wstring folder = makeTempFolder(L"overwrite");
    const std::wstring target = folder + L"\\old.png";
    HANDLE file = CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    CloseHandle(file);
    writeFile(folder + L"\\old.pn~", "the user's own, named as the first temporary file would be");
    ModalAnswerer answerer({{IDOK, target}, {IDYES, L""}, {IDOK, L""}});
    exportImage(w.state(), w.hwnd());
    CHECK(answerer.seen().size() == 2); // the dialog and its overwrite question
    Capture image;
    REQUIRE(decodePng(target, image));
    CHECK(image.width == 380);
    CHECK(filesIn(folder).size() == 2);
    CHECK(readFile(folder + L"\\old.pn~") == bytesOf("the user's own, named as the first temporary file would be"));
}

TEST_CASE("the Save Image button: hover, a held press with the capture, export only on release over it")
{
    TestWindow w(800, 600);
    WindowState& s = w.state();
    const Rect save = saveButtonRect(w.hwnd(), 1);
    const int x = static_cast<int>(save.left) + 5, y = static_cast<int>(save.top) + 5;

    clearPendingRepaint(w.hwnd());
    w.send(WM_MOUSEMOVE, x, y);
    CHECK(s.saveButtonHovered);
    CHECK(hasPendingRepaint(w.hwnd()));
    clearPendingRepaint(w.hwnd());
    w.send(WM_MOUSEMOVE, x + 1, y);
    CHECK_FALSE(hasPendingRepaint(w.hwnd()));

    // Press, move off, release: nothing is exported and the capture is released.
    {
        ModalAnswerer answerer({{IDCANCEL, L""}});
        w.send(WM_LBUTTONDOWN, x, y);
        CHECK(s.saveButtonPressed);
        CHECK(GetCapture() == w.hwnd());
        w.send(WM_MOUSEMOVE, 400, 300);
        CHECK_FALSE(s.saveButtonHovered);
        clearPendingRepaint(w.hwnd());
        w.send(WM_LBUTTONUP, 400, 300);
        CHECK(hasPendingRepaint(w.hwnd()));
        CHECK_FALSE(s.saveButtonPressed);
        CHECK(GetCapture() != w.hwnd());
        CHECK(answerer.seen().empty());
    }
    // Press, off and back on, release: exports (the dialog appears).
    {
        ModalAnswerer answerer({{IDCANCEL, L""}});
        w.send(WM_LBUTTONDOWN, x, y);
        w.send(WM_MOUSEMOVE, 400, 300);
        w.send(WM_MOUSEMOVE, x, y);
        w.send(WM_LBUTTONUP, x, y);
        CHECK(answerer.seen().size() == 1);
    }
    // Capture loss and leaving the window reset the press.
    w.send(WM_LBUTTONDOWN, x, y);
    REQUIRE(s.saveButtonPressed);
    clearPendingRepaint(w.hwnd());
    ReleaseCapture();
    CHECK_FALSE(s.saveButtonPressed);
    CHECK(hasPendingRepaint(w.hwnd()));
    w.send(WM_LBUTTONDOWN, x, y);
    SendMessageW(w.hwnd(), WM_MOUSELEAVE, 0, 0);
    CHECK_FALSE(s.saveButtonPressed);
    CHECK_FALSE(s.saveButtonHovered);
    {
        ModalAnswerer answerer({{IDCANCEL, L""}});
        w.send(WM_LBUTTONUP, x, y);
        CHECK(answerer.seen().empty());
    }
    // A release over the button without a press does nothing.
    {
        ModalAnswerer answerer({{IDCANCEL, L""}});
        w.send(WM_LBUTTONUP, x, y);
        CHECK(answerer.seen().empty());
    }
}

TEST_CASE("pressing Save Image while drawing exports the draft and drawing goes on")
{
    TestWindow w(800, 600);
    WindowState& s = w.state();
    w.send(WM_LBUTTONDOWN, 110, 190);
    w.send(WM_MOUSEMOVE, 410, 190);
    const std::wstring folder = makeTempFolder(L"draft");
    saveThroughButton(w, folder + L"\\draft.png");
    CHECK(s.drawing);
    Capture image;
    REQUIRE(decodePng(folder + L"\\draft.png", image));
    CHECK(image.at(200, 100) == black);
    w.send(WM_LBUTTONDOWN, 500, 300);
    CHECK(s.lines.size() == 1);
}

TEST_CASE("closing the window while the save dialog is up writes nothing and touches no freed record")
{
    auto* w = new TestWindow(600, 400);
    HWND hwnd = w->hwnd();
    const std::wstring folder = makeTempFolder(L"closing");
    ModalAnswerer answerer({{IDOK, folder + L"\\late.png", [hwnd](HWND) { PostMessageW(hwnd, WM_CLOSE, 0, 0); }}});
    clickSaveImage(*w);
    pumpMessages();
    CHECK_FALSE(IsWindow(hwnd));
    CHECK(filesIn(folder).size() <= 1);
    delete w;
}
