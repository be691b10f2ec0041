// Start-up: process start to the first frame on screen, for Tarvo.exe and for
// the bare program beside it (one window, one render target, one clear),
// alternating runs in the same session. Both first frames show the title-bar
// colour at the top middle of the client area, which is what is waited for.
#include "../../tests/window/harness.h"

#include <algorithm>
#include <cstdio>

namespace
{
const int runs = 7;

double secondsNow()
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Seconds from CreateProcess to the first frame on screen; negative on failure.
double timeToFirstFrame(const std::wstring& exe, const wchar_t* className)
{
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    const double start = secondsNow();
    if (!CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    HWND window = nullptr;
    const COLORREF chrome = rgb(0.93f, 0.94f, 0.96f);
    double elapsed = -1;
    while (secondsNow() - start < 30)
    {
        if (!window)
        {
            const std::vector<HWND> windows = topLevelWindowsOf(process.dwProcessId, className);
            if (!windows.empty() && IsWindowVisible(windows[0]))
                window = windows[0];
        }
        if (window)
        {
            RECT client;
            GetClientRect(window, &client);
            const POINT probe = clientToScreen(window, client.right / 2, 16);
            if (captureScreenRect({probe.x, probe.y, probe.x + 1, probe.y + 1}).at(0, 0) == chrome)
            {
                elapsed = secondsNow() - start;
                break;
            }
        }
        Sleep(1);
    }
    if (window)
        PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 10000) == WAIT_TIMEOUT)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return elapsed;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
} // namespace

int main()
{
    const std::wstring tarvo = tarvoExePath();
    const std::wstring bare = tarvo.substr(0, tarvo.find_last_of(L"\\/")) + L"\\bench\\window\\bareWindow.exe";
    std::vector<double> tarvoTimes, bareTimes;
    timeToFirstFrame(bare, L"TarvoBareBench"); // warm the caches once
    for (int run = 0; run < runs; ++run)
    {
        tarvoTimes.push_back(timeToFirstFrame(tarvo, L"TarvoWindowClass"));
        bareTimes.push_back(timeToFirstFrame(bare, L"TarvoBareBench"));
    }
    const double tarvoMedian = median(tarvoTimes), bareMedian = median(bareTimes);
    printf("start-up to first frame, median of %d: Tarvo %.0f ms, bare window %.0f ms, ratio %.2f (goal: at most 1.3)\n",
           runs, tarvoMedian * 1e3, bareMedian * 1e3, tarvoMedian / bareMedian);
    return 0;
}
