// Export under faults: each one ends in "Could not save the image." (or in the
// dialog refusing, with nothing written), with nothing lost and no temporary
// file left behind.
#include <doctest/doctest.h>

#include "harness.h"

#include "../../src/menu/exportImage.h"

namespace
{
bool isError(const ModalSeen& seen)
{
    return seen.caption == L"Save Image" && seen.text == L"Could not save the image.";
}

bool exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
} // namespace

TEST_CASE("a target in a folder that does not exist writes nothing")
{
    TestWindow w(500, 400);
    const std::wstring folder = makeTempFolder(L"missing");
    const std::wstring missing = folder + L"\\no such folder";
    // The dialog refuses the path with a box of its own (answered OK, then the dialog is cancelled);
    // were it to return the path, the export would fail with its own box.
    ModalAnswerer answerer({{IDOK, missing + L"\\drawing.png"}, {IDOK}, {IDCANCEL}});
    exportImage(w.state(), w.hwnd());
    CHECK_FALSE(exists(missing));
    CHECK(filesIn(folder).empty());
    for (size_t i = 1; i < answerer.seen().size(); ++i)
        if (answerer.seen()[i].caption == L"Save Image")
            CHECK(isError(answerer.seen()[i]));
}

TEST_CASE("a target locked by another handle without sharing is left unchanged")
{
    TestWindow w(500, 400);
    w.state().lines.push_back({50, 150, 300, 200, 1});
    const std::wstring folder = makeTempFolder(L"locked");
    const std::wstring target = folder + L"\\locked.png";
    const std::string original = "the bytes another program holds open";
    writeFile(target, original);
    HANDLE lock = CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    REQUIRE(lock != INVALID_HANDLE_VALUE);

    ModalAnswerer answerer({{IDOK, target}, {IDYES}, {IDOK}});
    exportImage(w.state(), w.hwnd());
    CloseHandle(lock);
    REQUIRE(answerer.seen().size() == 3);
    CHECK(isError(answerer.seen()[2]));
    CHECK(readFile(target) == bytesOf(original));
    CHECK(filesIn(folder).size() == 1);
    CHECK(w.state().lines.size() == 1); // the drawing is untouched
    CHECK(w.state().lines[0].selected == 1);
}

TEST_CASE("an existing read-only target keeps its bytes")
{
    TestWindow w(500, 400);
    const std::wstring folder = makeTempFolder(L"readonly");
    const std::wstring target = folder + L"\\kept.png";
    const std::string original = "read-only: keep me";
    writeFile(target, original);
    SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY);
    ModalAnswerer answerer({{IDOK, target}, {IDYES}, {IDOK}});
    exportImage(w.state(), w.hwnd());
    REQUIRE(answerer.seen().size() == 3);
    CHECK(isError(answerer.seen()[2]));
    CHECK(readFile(target) == bytesOf(original));
    CHECK(filesIn(folder).size() == 1);
    SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_CASE("a path at the 260-character limit is written whole or refused, never half")
{
    TestWindow w(500, 400);
    w.state().lines.push_back({50, 150, 300, 200, 0});
    std::wstring folder = makeTempFolder(L"long");
    // Deepen the folder past 246 characters, the most GetTempFileNameW takes on Windows (Wine takes more).
    while (folder.size() < 247)
    {
        folder += L"\\" + std::wstring(std::min<size_t>(60, 249 - folder.size()), L'd');
        REQUIRE(CreateDirectoryW(folder.c_str(), nullptr));
    }
    for (size_t length : {259u, 260u}) // with its terminator, 259 characters fill the 260-character buffer
    {
        CAPTURE(length);
        const std::wstring target = folder + L"\\" + std::wstring(length - folder.size() - 5, L'n') + L".png";
        REQUIRE(target.size() == length);
        // The image is first written under the chosen name with its end replaced: never a longer path.
        wchar_t temporary[MAX_PATH] = {};
        CHECK(temporaryNameFor(target.c_str(), 0, temporary) == (length == 259));
        CHECK(std::wstring(temporary) == (length == 259 ? target.substr(0, 258) + L"~" : L""));
        ModalAnswerer answerer({{IDOK, target}, {IDOK}, {IDCANCEL}, {IDOK}});
        exportImage(w.state(), w.hwnd());
        const std::vector<std::wstring> files = filesIn(folder);
        CHECK(files.size() <= 1); // the image or nothing; no temporary file
        if (!files.empty())
        {
            CHECK(length == 259);
            Capture image;
            CHECK(decodePng(folder + L"\\" + files[0], image));
            CHECK(image.width == 480);
            DeleteFileW((folder + L"\\" + files[0]).c_str());
        }
    }
    wchar_t temporary[MAX_PATH] = {};
    CHECK_FALSE(temporaryNameFor(L"C:\\plans\\a", 1, temporary)); // "~1" is longer than the name
}
