// The real Tarvo.exe under Wine: one window of the right class and title,
// the requested show state, a clean exit with code 0, and no use of arguments.
#include <doctest/doctest.h>

#include "harness.h"

#include <string>

namespace
{
std::wstring titleOf(HWND window)
{
    wchar_t title[256] = {};
    GetWindowTextW(window, title, 256);
    return title;
}

void closeAndExpectExitCodeZero(TarvoProcess& tarvo, HWND window)
{
    PostMessageW(window, WM_CLOSE, 0, 0);
    DWORD exitCode = 12345;
    REQUIRE(tarvo.waitForExit(20000, exitCode));
    CHECK(exitCode == 0);
}
} // namespace

TEST_CASE("Tarvo opens exactly one window titled Tarvo and exits with code 0 when it is closed")
{
    TarvoProcess tarvo;
    REQUIRE(tarvo.started());
    HWND window = tarvo.waitForWindow();
    REQUIRE(window != nullptr);
    pumpFor(300);
    CHECK(tarvo.topLevelWindows().size() == 1);
    CHECK(titleOf(window) == L"Tarvo");
    CHECK((GetWindowLongW(window, GWL_STYLE) & WS_OVERLAPPEDWINDOW) == WS_OVERLAPPEDWINDOW);
    closeAndExpectExitCodeZero(tarvo, window);
}

TEST_CASE("started maximised or minimised, Tarvo opens in that state")
{
    {
        TarvoProcess tarvo(SW_SHOWMAXIMIZED);
        HWND window = tarvo.waitForWindow();
        REQUIRE(window != nullptr);
        CHECK(waitUntil([&] { return IsZoomed(window) != 0; }));
        closeAndExpectExitCodeZero(tarvo, window);
    }
    {
        TarvoProcess tarvo(SW_SHOWMINIMIZED);
        HWND window = nullptr;
        waitUntil([&] {
            std::vector<HWND> windows = tarvo.topLevelWindows();
            window = windows.empty() ? nullptr : windows[0];
            return window && IsIconic(window);
        }, 20000);
        REQUIRE(window != nullptr);
        CHECK(IsIconic(window));
        closeAndExpectExitCodeZero(tarvo, window);
    }
}

TEST_CASE("command-line arguments change nothing")
{
    TarvoProcess tarvo(SW_SHOWNORMAL, L"C:\\does-not-exist.png --maximized /x");
    HWND window = tarvo.waitForWindow();
    REQUIRE(window != nullptr);
    pumpFor(300);
    CHECK(tarvo.topLevelWindows().size() == 1);
    CHECK(titleOf(window) == L"Tarvo");
    CHECK_FALSE(IsZoomed(window));
    closeAndExpectExitCodeZero(tarvo, window);
}

namespace
{
#pragma pack(push, 2)
struct GroupIconEntry
{
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

struct Resource
{
    const unsigned char* bytes = nullptr;
    DWORD size = 0;
};

Resource resourceOf(HMODULE module, const wchar_t* type, int id)
{
    HRSRC found = FindResourceExW(module, type, MAKEINTRESOURCEW(id), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    if (!found)
        return {};
    return {static_cast<const unsigned char*>(LockResource(LoadResource(module, found))), SizeofResource(module, found)};
}

std::wstring versionString(const void* block, const wchar_t* key)
{
    wchar_t* value = nullptr;
    UINT length = 0;
    std::wstring path = std::wstring(L"\\StringFileInfo\\040904b0\\") + key;
    if (!VerQueryValueW(block, path.c_str(), reinterpret_cast<void**>(&value), &length) || !value)
        return L"";
    return value;
}
} // namespace

TEST_CASE("Tarvo.exe carries its icons, logo, version record and manifest in U.S. English")
{
    HMODULE exe = LoadLibraryExW(tarvoExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    REQUIRE(exe != nullptr);

    const int expectedSizes[9] = {256, 48, 32, 16, 256, 64, 48, 32, 16};
    for (int group : {101, 102})
    {
        CAPTURE(group);
        Resource icons = resourceOf(exe, RT_GROUP_ICON, group);
        REQUIRE(icons.bytes != nullptr);
        const WORD count = reinterpret_cast<const WORD*>(icons.bytes)[2];
        REQUIRE(count == 9);
        const GroupIconEntry* entries = reinterpret_cast<const GroupIconEntry*>(icons.bytes + 6);
        for (int i = 0; i < 9; ++i)
        {
            CAPTURE(i);
            CHECK((entries[i].width ? entries[i].width : 256) == expectedSizes[i]);
            CHECK(entries[i].bitCount == 32);
            Resource image = resourceOf(exe, RT_ICON, entries[i].id);
            REQUIRE(image.bytes != nullptr);
            const bool png = memcmp(image.bytes, "\x89PNG", 4) == 0;
            CHECK(png == (expectedSizes[i] == 256));
        }
    }

    Resource logo = resourceOf(exe, RT_RCDATA, 201);
    REQUIRE(logo.size > 33);
    CHECK(memcmp(logo.bytes, "\x89PNG\r\n\x1a\n", 8) == 0);
    CHECK(logo.bytes[19] == 24); // width, big-endian in IHDR
    CHECK(logo.bytes[23] == 24); // height
    CHECK(logo.bytes[24] == 8);  // bits per channel
    CHECK(logo.bytes[25] == 6);  // RGBA

    Resource version = resourceOf(exe, RT_VERSION, 1);
    REQUIRE(version.bytes != nullptr);
    std::vector<unsigned char> block(version.bytes, version.bytes + version.size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    REQUIRE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    CHECK(fixed->dwFileVersionMS == MAKELONG(0, 1));
    CHECK(fixed->dwFileVersionLS == MAKELONG(0, 1));
    CHECK(fixed->dwProductVersionMS == MAKELONG(0, 1));
    CHECK(fixed->dwProductVersionLS == MAKELONG(0, 1));
    CHECK(fixed->dwFileFlagsMask == 0x3F);
    CHECK(fixed->dwFileFlags == 0);
    CHECK(fixed->dwFileOS == VOS_NT_WINDOWS32);
    CHECK(fixed->dwFileType == VFT_APP);
    CHECK(versionString(block.data(), L"FileVersion") == L"1.0.1.0");
    CHECK(versionString(block.data(), L"ProductVersion") == L"1.0.1.0");
    CHECK(versionString(block.data(), L"InternalName") == L"Tarvo");
    CHECK(versionString(block.data(), L"OriginalFilename") == L"Tarvo.exe");
    for (const wchar_t* key : {L"CompanyName", L"FileDescription", L"LegalCopyright", L"ProductName"})
        CHECK_FALSE(versionString(block.data(), key).empty());
    WORD* translation = nullptr;
    REQUIRE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length));
    CHECK(translation[0] == 0x0409);
    CHECK(translation[1] == 0x04B0);

    Resource manifest = resourceOf(exe, RT_MANIFEST, 1);
    REQUIRE(manifest.bytes != nullptr);
    const std::string text(reinterpret_cast<const char*>(manifest.bytes), manifest.size);
    CHECK(text.find("Microsoft.Windows.Common-Controls") != std::string::npos);
    CHECK(text.find(">PerMonitorV2, PerMonitor<") != std::string::npos);
    CHECK(text.find("<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true<") != std::string::npos);
    CHECK(text.find("disableWindowFiltering") != std::string::npos);
    const size_t win10 = text.find("8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a");
    const size_t win81 = text.find("1f676c76-80e1-4239-95bb-83d0f6d0da78");
    const size_t win8 = text.find("4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38");
    const size_t win7 = text.find("35138b9a-5d96-4fbd-8e2d-a2440225f93a");
    CHECK(win10 < win81);
    CHECK(win81 < win8);
    CHECK(win8 < win7);
    CHECK(win7 != std::string::npos);
    FreeLibrary(exe);
}
