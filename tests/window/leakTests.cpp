// Repeating what a long session does — opening the menu, changing DPI,
// exporting, opening and closing windows — leaves the process's GDI and USER
// objects, handles and private bytes flat. CTest runs shortened counts;
// TARVO_FULL_LEAK_CHECK=1 (scripts/soak.sh) runs 1,000 / 200 / 100 / 1,000.
#include <doctest/doctest.h>

#include "harness.h"

#include <psapi.h>

#include <cstdio>

#include "../../src/chrome/windowLayout.h"
#include "../../src/menu/exportImage.h"

namespace
{
// Tolerances over the second half of a run: a few objects and handles, and 4 MiB of memory.
const long objectTolerance = 5;
const long handleTolerance = 10;
const long long privateBytesTolerance = 4ll << 20;

bool fullCheck()
{
    wchar_t value[8] = {};
    return GetEnvironmentVariableW(L"TARVO_FULL_LEAK_CHECK", value, 8) && value[0] == L'1';
}

int cycles(int full, int quick)
{
    return fullCheck() ? full : quick;
}

struct Usage
{
    long gdi, user, handles;
    long long privateBytes;
};

// Where the system does not count (Wine answers 0 to GetGuiResources, GetProcessHandleCount and
// PrivateUsage), readings that grow with the same leaks stand in: the slot a new kernel handle
// gets, the windows of this thread, and the committed memory (PagefileUsage). GDI objects have no
// such stand-in and read 0 there; Tarvo itself makes none.
BOOL CALLBACK countWindow(HWND, LPARAM count)
{
    ++*reinterpret_cast<long*>(count);
    return TRUE;
}

long userObjects()
{
    if (const DWORD counted = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS))
        return static_cast<long>(counted);
    long windows = 0;
    EnumThreadWindows(GetCurrentThreadId(), countWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

long kernelHandles()
{
    DWORD counted = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &counted) && counted)
        return static_cast<long>(counted);
    HANDLE probe = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    const long slot = static_cast<long>(reinterpret_cast<ULONG_PTR>(probe) / 4);
    CloseHandle(probe);
    return slot;
}

Usage usageNow()
{
    pumpMessages();
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory));
    const SIZE_T privateBytes = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
    const long gdi = static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
    return {gdi, userObjects(), kernelHandles(), static_cast<long long>(privateBytes)};
}

// Runs a warm-up, then the cycles with a reading at the start, half way and the end. Caches the
// system fills once (fonts, the dialog's icons) show in the first half only; a leak grows in both,
// so the second half must stay flat.
template <typename Cycle>
void checkFlat(const char* what, int count, Cycle cycle)
{
    for (int i = 0; i < 5; ++i)
        cycle(i);
    const ULONGLONG start = GetTickCount64();
    const Usage first = usageNow();
    for (int i = 0; i < count / 2; ++i)
        cycle(i);
    const Usage half = usageNow();
    for (int i = count / 2; i < count; ++i)
        cycle(i);
    const Usage last = usageNow();
    printf("%s x %d: GDI %ld / %ld / %ld, USER %ld / %ld / %ld, handles %ld / %ld / %ld, "
           "private KiB %lld / %lld / %lld (start / half / end), %.1f s\n",
           what, count, first.gdi, half.gdi, last.gdi, first.user, half.user, last.user, first.handles, half.handles,
           last.handles, first.privateBytes / 1024, half.privateBytes / 1024, last.privateBytes / 1024,
           (GetTickCount64() - start) / 1000.0);
    CHECK(last.gdi - half.gdi <= objectTolerance);
    CHECK(last.user - half.user <= objectTolerance);
    CHECK(last.handles - half.handles <= handleTolerance);
    CHECK(last.privateBytes - half.privateBytes <= privateBytesTolerance);
}

void paintNow(HWND window)
{
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
}
} // namespace

TEST_CASE("opening and closing the menu, with its shadows painted, leaks nothing")
{
    TestWindow w(800, 600);
    const Rect menu = captionButtonRect(w.hwnd(), CaptionButton::Menu, 1);
    const int x = static_cast<int>(menu.left) + 5, y = 10;
    checkFlat("menu open/close", cycles(1000, 150), [&](int) {
        w.send(WM_LBUTTONDOWN, x, y, MK_LBUTTON);
        w.send(WM_LBUTTONUP, x, y);
        paintNow(w.hwnd());
        w.send(WM_LBUTTONDOWN, x, y, MK_LBUTTON);
        w.send(WM_LBUTTONUP, x, y);
        paintNow(w.hwnd());
    });
}

TEST_CASE("DPI changes, each rebuilding the palette and formats, leak nothing")
{
    TestWindow w(800, 600);
    w.state().menuOpen = true; // paint text, glyphs and shadows at every scale
    const int dpis[] = {96, 120, 144, 192};
    checkFlat("DPI change", cycles(200, 60), [&](int i) {
        RECT placed;
        GetWindowRect(w.hwnd(), &placed);
        SendMessageW(w.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpis[i % 4], dpis[i % 4]), reinterpret_cast<LPARAM>(&placed));
        paintNow(w.hwnd());
    });
}

TEST_CASE("exports leak nothing")
{
    TestWindow w(600, 400);
    w.state().lines.push_back({50, 150, 300, 200, 0});
    const std::wstring folder = makeTempFolder(L"leak");
    checkFlat("export", cycles(100, 20), [&](int i) {
        const std::wstring path = folder + L"\\leak" + std::to_wstring(i) + L".png";
        ModalAnswerer answerer({{IDOK, path}, {IDOK}});
        exportImage(w.state(), w.hwnd());
        DeleteFileW(path.c_str());
    });
    CHECK(filesIn(folder).empty());
}

TEST_CASE("creating and destroying windows leaks nothing")
{
    checkFlat("window create/destroy", cycles(1000, 24), [](int) {
        TestWindow w(640, 480);
        paintNow(w.hwnd());
    });
}
