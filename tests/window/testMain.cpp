// doctest's main for the window tests, with COM ready for WIC before any window exists, and a
// watchdog: a test case still running at its deadline (TARVO_TEST_DEADLINE_S, set per program by
// CTest and counted from the start of each case) prints the case, every window on the desktop and
// the stack of every thread of this program and of each Tarvo.exe it started, then ends with
// code 3. A hang then fails at once and its log says where each thread waited; a slow run does not.
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
std::atomic<ULONGLONG> caseStartedAt{0};

void startCase(const char* name)
{
    currentCase = name;
    caseStartedAt = GetTickCount64();
}

struct CaseTracker : doctest::IReporter
{
    explicit CaseTracker(const doctest::ContextOptions&) {}
    void report_query(const doctest::QueryData&) override {}
    void test_run_start() override {}
    void test_run_end(const doctest::TestRunStats&) override {}
    void test_case_start(const doctest::TestCaseData& data) override { startCase(data.m_name); }
    void test_case_reenter(const doctest::TestCaseData& data) override { startCase(data.m_name); }
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
    const ULONGLONG deadlineMs = static_cast<ULONGLONG>(reinterpret_cast<uintptr_t>(deadlineSeconds)) * 1000;
    while (GetTickCount64() - caseStartedAt.load() < deadlineMs)
        Sleep(200);
    printf("\nwatchdog: test case \"%s\" still running after %llu s; the visible windows:\n", currentCase.load(),
           deadlineMs / 1000);
    fputs(describeWindows().c_str(), stdout);
    printf("watchdog: foreground window %p\n", static_cast<void*>(GetForegroundWindow()));
    printStacks();
    printf("watchdog: ending with code 3\n");
    fflush(stdout);
    TerminateProcess(GetCurrentProcess(), 3); // the main thread may be stuck where ExitProcess would wait
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    caseStartedAt = GetTickCount64();
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
