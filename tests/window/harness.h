// Shared helpers of the window tests: a real Tarvo window created from the
// product code, message pumping with deadlines, screen capture, and answering
// modal boxes and the save dialog from the test side.
#pragma once

#include <windows.h>

#include <oleacc.h>

#include <functional>
#include <string>
#include <vector>

#include "../../src/app/window.h"
#include "../../src/app/windowState.h"

// While true, every operator new of the test program throws std::bad_alloc.
extern bool failAllocations;

// Dispatches this thread's pending messages.
void pumpMessages();

// Pumps messages until the condition holds or the deadline passes; true if it held.
bool waitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000);

// Pumps messages for a while (for frames Wine presents a moment later).
void pumpFor(DWORD milliseconds);

struct Capture
{
    int width = 0, height = 0;
    std::vector<COLORREF> pixels; // row-major, as GetPixel reports them
    COLORREF at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// A Tarvo window made by the product's own class and creation code, shown at a known client size.
class TestWindow
{
public:
    explicit TestWindow(int clientWidth = 800, int clientHeight = 600, int showCommand = SW_SHOWNORMAL);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND hwnd() const { return window; }
    WindowState& state() const;
    void setClientSize(int width, int height);
    // Sends a client mouse message at a client point.
    LRESULT send(UINT message, int x, int y, WPARAM wParam = 0);
    // Paints the current state and returns the screen's capture of that very frame;
    // throws, saying what the screen showed, if it does not arrive in time.
    Capture present();

private:
    HWND window = nullptr;
};

// Counts the frames a window paints, through a test-side subclass in front of its window procedure.
class PaintCounter
{
public:
    explicit PaintCounter(HWND window);
    ~PaintCounter();
    PaintCounter(const PaintCounter&) = delete;
    PaintCounter& operator=(const PaintCounter&) = delete;
    int frames() const;
};

// Counts InvalidateRect-style repaint requests by watching the update region.
bool hasPendingRepaint(HWND window);
void clearPendingRepaint(HWND window);

// The screen's pixels over the window's client area, as the screen shows them.
Capture captureClient(HWND window);
Capture captureScreenRect(RECT rect);
bool savePng(const Capture& capture, const wchar_t* path);

// True if two colours differ by at most tolerance in each channel.
bool closeTo(COLORREF a, COLORREF b, int tolerance = 3);
COLORREF rgb(float r, float g, float b);

// Answers the next modal box or dialog of this thread while a call runs its modal loop.
struct ModalAnswer
{
    ModalAnswer(int button, std::wstring fileName = L"", std::function<void(HWND)> onShow = {})
        : button(button), fileName(std::move(fileName)), onShow(std::move(onShow))
    {
    }

    // For a message box: IDYES, IDNO, IDOK. For the save dialog: IDOK after typing fileName, or IDCANCEL.
    int button = IDOK;
    std::wstring fileName;
    std::function<void(HWND)> onShow; // runs when the window appears, before it is answered
};

struct ModalSeen
{
    std::wstring caption;
    std::wstring text;
    bool ownerDisabled = false;
    int count = 0;
};

// While alive, every modal window of this thread gets the queued answers in order,
// or, with a policy, whatever the policy decides for it.
using ModalPolicy = std::function<ModalAnswer(HWND modal)>;
class ModalAnswerer
{
public:
    explicit ModalAnswerer(std::vector<ModalAnswer> answers);
    explicit ModalAnswerer(ModalPolicy policy);
    ~ModalAnswerer();
    const std::vector<ModalSeen>& seen() const;

private:
    UINT_PTR timer;
};

// Path of a fresh empty folder under the temporary directory.
std::wstring makeTempFolder(const wchar_t* name);
std::vector<unsigned char> readFile(const std::wstring& path);
void writeFile(const std::wstring& path, const std::string& bytes);
std::vector<unsigned char> bytesOf(const std::string& text);
std::vector<std::wstring> filesIn(const std::wstring& folder);

// Decodes a PNG through WIC into 32bpp BGRA rows.
bool decodePng(const std::wstring& path, Capture& image);

// Real input through SendInput, in screen coordinates.
void moveMouseTo(int screenX, int screenY);
void mouseButton(DWORD downOrUpFlag);
void clickAt(int screenX, int screenY, bool right = false);
void pressKey(WORD virtualKey);
POINT clientToScreen(HWND window, int x, int y);

// Real input aimed at client points of a window, and polling its pixels on screen
// (frames arrive a moment after the input that caused them).
struct ClientDriver
{
    HWND window = nullptr;
    void click(int x, int y, bool right = false) const;
    void move(int x, int y) const;
    bool shows(int x, int y, COLORREF colour, DWORD timeoutMs = 5000) const;
};

// The client area's accessible object as a screen reader gets it, one reference; null if none.
IAccessible* clientObjectOf(HWND window);
// A child id as a client passes it: VT_I4.
VARIANT child(LONG id);
// Answers of an accessible object: "" or -1 when it gives none.
std::wstring accessibleName(IAccessible* object, LONG id);
LONG accessibleState(IAccessible* object, LONG id);

// The real Tarvo.exe under test, started beside this test program's build folder.
class TarvoProcess
{
public:
    explicit TarvoProcess(int showCommand = SW_SHOWNORMAL, const wchar_t* arguments = L"");
    ~TarvoProcess();
    TarvoProcess(const TarvoProcess&) = delete;
    TarvoProcess& operator=(const TarvoProcess&) = delete;

    bool started() const { return process.hProcess != nullptr; }
    // Waits for the process's first top-level window of class "TarvoWindowClass".
    HWND waitForWindow(DWORD timeoutMs = 20000);
    std::vector<HWND> topLevelWindows() const;
    // Waits for the process to end; false on time-out.
    bool waitForExit(DWORD timeoutMs, DWORD& exitCode);
    DWORD id() const { return process.dwProcessId; }

private:
    PROCESS_INFORMATION process = {};
};

std::wstring tarvoExePath();

// Top-level windows of a process with the given class, in z-order.
std::vector<HWND> topLevelWindowsOf(DWORD processId, const wchar_t* className);

// The first enabled, visible dialog window (#32770) of another process, e.g. its message box.
HWND findDialogOf(DWORD processId);
HWND waitForDialogOf(DWORD processId, DWORD timeoutMs = 10000);
// Waits until the process has no dialog window left at all, hidden ones included (a closing
// dialog's window can still take the next click), and its owner is enabled again.
bool waitForDialogsGone(DWORD processId, HWND owner, DWORD timeoutMs = 10000);
std::wstring windowText(HWND window);

// Every visible top-level window, one line each (process, class, text, place, state), with the
// controls of dialogs indented below. Sends no message, so it works while a thread is stuck.
std::string describeWindows();

// The stack of every thread of this program and of each Tarvo.exe it started, through Wine's
// debugger (which stops them while it reads). Slow, some seconds: for a hang, not a slow run.
void printStacks();

// True if the window's thread answers a message within the time.
bool responds(HWND window, UINT timeoutMs = 2000);

// Types text into whatever has the keyboard focus, as Unicode key presses.
void typeText(const std::wstring& text);

// The save dialog's file-name box (Explorer-style combo or plain edit), or null.
HWND fileNameBoxOf(HWND dialog);
