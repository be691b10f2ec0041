// doctest's main for the window tests, with COM ready for WIC before any window exists, and a
// watchdog: a program still running at its deadline (TARVO_TEST_DEADLINE_S, set per test by
// CTest) prints the test case it was in and every window on the desktop, then ends with code 3,
// so a hang fails at once with what it was waiting for instead of at CTest's time-out.
#define DOCTEST_CONFIG_IMPLEMENT
#include <doctest/doctest.h>

#include <windows.h>

#include <objbase.h>

#include <atomic>
#include <cstdio>
#include <cwchar>

namespace
{
std::atomic<const char*> currentCase{"(before the first test case)"};

struct CaseTracker : doctest::IReporter
{
    explicit CaseTracker(const doctest::ContextOptions&) {}
    void report_query(const doctest::QueryData&) override {}
    void test_run_start() override {}
    void test_run_end(const doctest::TestRunStats&) override {}
    void test_case_start(const doctest::TestCaseData& data) override { currentCase = data.m_name; }
    void test_case_reenter(const doctest::TestCaseData&) override {}
    void test_case_end(const doctest::CurrentTestCaseStats&) override {}
    void test_case_exception(const doctest::TestCaseException&) override {}
    void subcase_start(const doctest::SubcaseSignature&) override {}
    void subcase_end() override {}
    void log_assert(const doctest::AssertData&) override {}
    void log_message(const doctest::MessageData&) override {}
    void test_case_skipped(const doctest::TestCaseData&) override {}
};
DOCTEST_REGISTER_LISTENER("caseTracker", 1, CaseTracker);

// Reads only what the system keeps itself: no message goes to a thread that may be stuck.
void describeWindow(HWND window, int depth)
{
    wchar_t className[64] = {};
    wchar_t text[128] = {};
    GetClassNameW(window, className, 64);
    InternalGetWindowText(window, text, 128);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    RECT r = {};
    GetWindowRect(window, &r);
    printf("%*s%p pid %lu class \"%ls\" text \"%ls\" id %ld (%ld, %ld, %ld, %ld)%s%s%s%s\n", depth * 4, "",
           static_cast<void*>(window), processId, className, text, static_cast<long>(GetDlgCtrlID(window)), r.left,
           r.top, r.right, r.bottom, IsWindowVisible(window) ? " visible" : " hidden",
           IsWindowEnabled(window) ? "" : " disabled", IsZoomed(window) ? " maximised" : "",
           IsIconic(window) ? " minimised" : "");
}

BOOL CALLBACK describeChild(HWND child, LPARAM depth)
{
    if (GetParent(child) && IsWindowVisible(child))
        describeWindow(child, static_cast<int>(depth));
    return TRUE;
}

BOOL CALLBACK describeTopLevel(HWND window, LPARAM)
{
    if (!IsWindowVisible(window))
        return TRUE;
    describeWindow(window, 1);
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (wcscmp(className, L"#32770") == 0) // a dialog or message box: its controls say which
        EnumChildWindows(window, describeChild, 2);
    return TRUE;
}

DWORD WINAPI watchdog(void* deadlineSeconds)
{
    Sleep(static_cast<DWORD>(reinterpret_cast<uintptr_t>(deadlineSeconds)) * 1000);
    printf("\nwatchdog: still running after %u s, in test case \"%s\"; the visible windows:\n",
           static_cast<unsigned>(reinterpret_cast<uintptr_t>(deadlineSeconds)), currentCase.load());
    EnumWindows(describeTopLevel, 0);
    printf("watchdog: foreground window %p; ending with code 3\n", static_cast<void*>(GetForegroundWindow()));
    fflush(stdout);
    TerminateProcess(GetCurrentProcess(), 3); // the main thread may be stuck where ExitProcess would wait
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    wchar_t deadline[16] = {};
    if (GetEnvironmentVariableW(L"TARVO_TEST_DEADLINE_S", deadline, 16) && _wtoi(deadline) > 0)
        CloseHandle(CreateThread(nullptr, 0, watchdog, reinterpret_cast<void*>(static_cast<uintptr_t>(_wtoi(deadline))),
                                 0, nullptr));
    CoInitialize(nullptr);
    doctest::Context context(argc, argv);
    const int failed = context.run();
    CoUninitialize();
    return failed;
}
