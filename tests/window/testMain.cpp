// doctest's main for the window tests, with COM ready for WIC before any window exists, and a
// watchdog: a test case still running at its deadline (TARVO_TEST_DEADLINE_S, set per program by
// CTest and counted from the start of each case) prints the case, every window on the desktop and
// the stack of every thread of this program and of each Tarvo.exe it started, then ends with
// code 3. A hang then fails at once and its log says where each thread waited; a slow run does not.
#define DOCTEST_CONFIG_IMPLEMENT
#include <doctest/doctest.h>

#include <windows.h>

#include <objbase.h>
#include <tlhelp32.h>

#include "harness.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

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

// This program and the Tarvo.exe processes it started (the end-to-end tests' subjects).
std::vector<DWORD> processesToTrace()
{
    std::vector<DWORD> ids = {GetCurrentProcessId()};
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return ids;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        if (entry.th32ParentProcessID == GetCurrentProcessId() && _wcsicmp(entry.szExeFile, L"Tarvo.exe") == 0)
            ids.push_back(entry.th32ProcessID);
    CloseHandle(snapshot);
    return ids;
}

// Prints the stacks that winedbg's "bt all" gives for the traced processes; it gives every
// process of the prefix, and the services' stacks say nothing about the test.
void printTracedStacks(const std::string& output, const std::vector<DWORD>& traced)
{
    bool printing = false;
    size_t start = 0;
    while (start < output.size())
    {
        const size_t end = std::min(output.find('\n', start), output.size());
        const std::string line = output.substr(start, end - start);
        start = end + 1;
        if (line.rfind("Backtracing for thread", 0) == 0)
        {
            printing = false;
            for (DWORD id : traced)
            {
                char process[32];
                snprintf(process, sizeof(process), " in process %04lx ", id);
                printing = printing || line.find(process) != std::string::npos;
            }
        }
        if (printing)
            printf("%s\n", line.c_str());
    }
}

// Wine's debugger attaches to this running process and gives the stack of every thread. It stops
// this process while it works, so its output goes to a file, read once it has ended. Where there
// is no such debugger (Windows), only the windows are reported.
void printBacktraces()
{
    const std::vector<DWORD> traced = processesToTrace();
    for (DWORD id : traced)
        printf("watchdog: the threads of process %lu (%04lx) follow\n", id, id);
    fflush(stdout);
    wchar_t folder[MAX_PATH] = {}, path[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    GetTempFileNameW(folder, L"bt", 0, path);
    SECURITY_ATTRIBUTES inherited = {sizeof(inherited), nullptr, TRUE};
    HANDLE file = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS, 0, nullptr);
    wchar_t commandLine[96];
    swprintf(commandLine, 96, L"winedbg --command \"bt all\" 0x%lx", GetCurrentProcessId());
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = file;
    startup.hStdError = file;
    PROCESS_INFORMATION debugger = {};
    const bool started = file != INVALID_HANDLE_VALUE && CreateProcessW(nullptr, commandLine, nullptr, nullptr, TRUE,
                                                                        0, nullptr, nullptr, &startup, &debugger);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    if (!started)
    {
        printf("watchdog: no debugger to attach (error %lu)\n", GetLastError());
        DeleteFileW(path);
        return;
    }
    if (WaitForSingleObject(debugger.hProcess, 90000) == WAIT_TIMEOUT)
    {
        printf("watchdog: the debugger did not finish in 90 s\n");
        TerminateProcess(debugger.hProcess, 1);
    }
    CloseHandle(debugger.hThread);
    CloseHandle(debugger.hProcess);
    const std::vector<unsigned char> bytes = readFile(path);
    printTracedStacks(std::string(bytes.begin(), bytes.end()), traced);
    DeleteFileW(path);
}

DWORD WINAPI watchdog(void* deadlineSeconds)
{
    const ULONGLONG deadlineMs = static_cast<ULONGLONG>(reinterpret_cast<uintptr_t>(deadlineSeconds)) * 1000;
    while (GetTickCount64() - caseStartedAt.load() < deadlineMs)
        Sleep(200);
    printf("\nwatchdog: test case \"%s\" still running after %llu s; the visible windows:\n", currentCase.load(),
           deadlineMs / 1000);
    fputs(describeWindows().c_str(), stdout);
    printf("watchdog: foreground window %p\n", static_cast<void*>(GetForegroundWindow()));
    printBacktraces();
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
