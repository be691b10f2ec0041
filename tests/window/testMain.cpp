// doctest's main for the window tests, with COM ready for WIC before any window exists, and a
// watchdog: a program still running at its deadline (TARVO_TEST_DEADLINE_S, set per test by
// CTest) prints the test case it was in and every window on the desktop, then ends with code 3,
// so a hang fails at once with what it was waiting for instead of at CTest's time-out.
#define DOCTEST_CONFIG_IMPLEMENT
#include <doctest/doctest.h>

#include <windows.h>

#include <objbase.h>

#include "harness.h"

#include <atomic>
#include <cstdio>

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

DWORD WINAPI watchdog(void* deadlineSeconds)
{
    Sleep(static_cast<DWORD>(reinterpret_cast<uintptr_t>(deadlineSeconds)) * 1000);
    printf("\nwatchdog: still running after %u s, in test case \"%s\"; the visible windows:\n",
           static_cast<unsigned>(reinterpret_cast<uintptr_t>(deadlineSeconds)), currentCase.load());
    fputs(describeWindows().c_str(), stdout);
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
