// Window-test helpers. Every test program links the product code and this
// file; the product carries no test-only switches.
#include "harness.h"

#include <stdexcept>
#include <string>
#include <tlhelp32.h>
#include <wincodec.h>

#include <algorithm>
#include <cstdio>

void pumpMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
    {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool waitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;)
    {
        pumpMessages();
        if (condition())
            return true;
        if (GetTickCount64() > deadline)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void pumpFor(DWORD milliseconds)
{
    waitUntil([] { return false; }, milliseconds);
}

TestWindow::TestWindow(int clientWidth, int clientHeight, int showCommand)
{
    static const bool registered = registerWindowClass(GetModuleHandleW(nullptr));
    (void)registered;
    window = createMainWindow(GetModuleHandleW(nullptr));
    if (!window)
        throw std::runtime_error("the Tarvo window could not be created");
    SetWindowPos(window, nullptr, 40, 40, clientWidth, clientHeight, SWP_NOZORDER);
    ShowWindow(window, showCommand);
    SetForegroundWindow(window);
    UpdateWindow(window);
    pumpMessages();
}

TestWindow::~TestWindow()
{
    if (IsWindow(window))
        DestroyWindow(window);
    // Drop the quit message WM_DESTROY posted, so the next window's test is not affected.
    MSG message;
    while (PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
    {
    }
    pumpMessages();
    CoUninitialize(); // as Tarvo's message loop does when it ends: WM_CREATE initialised COM
}

WindowState& TestWindow::state() const
{
    WindowState* record = stateOf(window);
    if (!record)
        throw std::runtime_error("the window has no state record");
    return *record;
}

void TestWindow::setClientSize(int width, int height)
{
    // The whole window is client area, so the window size is the client size.
    SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    pumpMessages();
}

LRESULT TestWindow::send(UINT message, int x, int y, WPARAM wParam)
{
    return SendMessageW(window, message, wParam, MAKELPARAM(static_cast<short>(x), static_cast<short>(y)));
}

namespace
{
// A colour the product never paints: no palette entry and no blend of two of them is exactly it.
const COLORREF markerColour = RGB(255, 0, 255);
const DWORD frameDeadlineMs = 15000;

int markerPixels(const Capture& capture)
{
    int count = 0;
    for (COLORREF pixel : capture.pixels)
        count += pixel == markerColour;
    return count;
}

std::string describe(const Capture& capture)
{
    if (capture.pixels.empty())
        return "an empty capture";
    char text[160];
    const COLORREF corner = capture.at(0, 0);
    const COLORREF middle = capture.at(capture.width / 2, capture.height / 2);
    snprintf(text, sizeof(text), "%d x %d pixels, %d of them the marker; (0, 0) %d,%d,%d; centre %d,%d,%d",
             capture.width, capture.height, markerPixels(capture), GetRValue(corner), GetGValue(corner),
             GetBValue(corner), GetRValue(middle), GetGValue(middle), GetBValue(middle));
    return text;
}
} // namespace

Capture TestWindow::present()
{
    // Wine presents frames in order, some time after EndDraw. So a marker frame goes through the
    // window's own render target first; once the screen shows it, the first capture without any
    // marker pixel holds the product's frame of the state as it is now, never an older one.
    WindowState& record = state();
    if (!record.renderTarget)
        throw std::runtime_error("present: the window has no render target");
    std::string lastSeen;
    for (int attempt = 0; attempt < 3; ++attempt)
    {
        UpdateWindow(window); // nothing pending may paint over the marker
        record.renderTarget->BeginDraw();
        record.renderTarget->Clear(D2D1::ColorF(1, 0, 1, 1));
        record.renderTarget->EndDraw();
        Capture seen;
        const bool markerShown = waitUntil(
            [&] {
                seen = captureClient(window);
                return !seen.pixels.empty() && markerPixels(seen) == static_cast<int>(seen.pixels.size());
            },
            frameDeadlineMs);
        if (!markerShown)
        {
            // A repaint from elsewhere may have covered the marker before it was seen: try again.
            lastSeen = "the marker frame never showed whole; last capture: " + describe(seen);
            continue;
        }
        InvalidateRect(window, nullptr, FALSE);
        UpdateWindow(window);
        if (waitUntil([&] { return markerPixels(seen = captureClient(window)) == 0; }, frameDeadlineMs))
            return seen;
        lastSeen = "the frame after the marker never showed whole; last capture: " + describe(seen);
    }
    throw std::runtime_error("present: " + lastSeen);
}

namespace
{
HWND countedWindow = nullptr;
WNDPROC countedProcedure = nullptr;
int paintedFrames = 0;

LRESULT CALLBACK countingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (window == countedWindow && message == WM_PAINT)
        ++paintedFrames;
    return CallWindowProcW(countedProcedure, window, message, wParam, lParam);
}
} // namespace

PaintCounter::PaintCounter(HWND window)
{
    countedWindow = window;
    paintedFrames = 0;
    countedProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(countingProcedure)));
}

PaintCounter::~PaintCounter()
{
    if (IsWindow(countedWindow))
        SetWindowLongPtrW(countedWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(countedProcedure));
    countedWindow = nullptr;
}

int PaintCounter::frames() const
{
    return paintedFrames;
}

bool hasPendingRepaint(HWND window)
{
    return GetUpdateRect(window, nullptr, FALSE) != 0;
}

void clearPendingRepaint(HWND window)
{
    ValidateRect(window, nullptr);
}

Capture captureScreenRect(RECT rect)
{
    Capture capture;
    capture.width = rect.right - rect.left;
    capture.height = rect.bottom - rect.top;
    if (capture.width <= 0 || capture.height <= 0)
        return capture;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = capture.width;
    info.bmiHeader.biHeight = -capture.height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, capture.width, capture.height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    const unsigned char* bgra = static_cast<const unsigned char*>(bits);
    capture.pixels.resize(static_cast<size_t>(capture.width) * capture.height);
    for (size_t i = 0; i < capture.pixels.size(); ++i)
        capture.pixels[i] = RGB(bgra[4 * i + 2], bgra[4 * i + 1], bgra[4 * i]);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return capture;
}

Capture captureClient(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    OffsetRect(&client, origin.x, origin.y);
    return captureScreenRect(client);
}

bool savePng(const Capture& capture, const wchar_t* path)
{
    IWICImagingFactory* wic = nullptr;
    IWICStream* stream = nullptr;
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    std::vector<unsigned char> bgra(capture.pixels.size() * 4);
    for (size_t i = 0; i < capture.pixels.size(); ++i)
    {
        bgra[4 * i] = GetBValue(capture.pixels[i]);
        bgra[4 * i + 1] = GetGValue(capture.pixels[i]);
        bgra[4 * i + 2] = GetRValue(capture.pixels[i]);
        bgra[4 * i + 3] = 255;
    }
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  reinterpret_cast<void**>(&wic));
    if (SUCCEEDED(hr)) hr = wic->CreateStream(&stream);
    if (SUCCEEDED(hr)) hr = stream->InitializeFromFilename(path, GENERIC_WRITE);
    if (SUCCEEDED(hr)) hr = wic->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder);
    if (SUCCEEDED(hr)) hr = encoder->Initialize(stream, WICBitmapEncoderNoCache);
    if (SUCCEEDED(hr)) hr = encoder->CreateNewFrame(&frame, nullptr);
    if (SUCCEEDED(hr)) hr = frame->Initialize(nullptr);
    if (SUCCEEDED(hr)) hr = frame->SetSize(capture.width, capture.height);
    if (SUCCEEDED(hr)) hr = frame->SetPixelFormat(&format);
    if (SUCCEEDED(hr))
        hr = frame->WritePixels(capture.height, capture.width * 4, static_cast<UINT>(bgra.size()), bgra.data());
    if (SUCCEEDED(hr)) hr = frame->Commit();
    if (SUCCEEDED(hr)) hr = encoder->Commit();
    safeRelease(frame);
    safeRelease(encoder);
    safeRelease(stream);
    safeRelease(wic);
    return SUCCEEDED(hr);
}

bool decodePng(const std::wstring& path, Capture& image)
{
    IWICImagingFactory* wic = nullptr;
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICFormatConverter* converter = nullptr;
    UINT width = 0, height = 0;
    std::vector<unsigned char> bgra;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  reinterpret_cast<void**>(&wic));
    if (SUCCEEDED(hr))
        hr = wic->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnLoad, &decoder);
    if (SUCCEEDED(hr)) hr = decoder->GetFrame(0, &frame);
    if (SUCCEEDED(hr)) hr = frame->GetSize(&width, &height);
    if (SUCCEEDED(hr)) hr = wic->CreateFormatConverter(&converter);
    if (SUCCEEDED(hr))
        hr = converter->Initialize(frame, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom);
    if (SUCCEEDED(hr))
    {
        bgra.resize(static_cast<size_t>(width) * height * 4);
        hr = converter->CopyPixels(nullptr, width * 4, static_cast<UINT>(bgra.size()), bgra.data());
    }
    if (SUCCEEDED(hr))
    {
        image.width = static_cast<int>(width);
        image.height = static_cast<int>(height);
        image.pixels.resize(static_cast<size_t>(width) * height);
        for (size_t i = 0; i < image.pixels.size(); ++i)
            image.pixels[i] = RGB(bgra[4 * i + 2], bgra[4 * i + 1], bgra[4 * i]);
    }
    safeRelease(converter);
    safeRelease(frame);
    safeRelease(decoder);
    safeRelease(wic);
    return SUCCEEDED(hr);
}

bool closeTo(COLORREF a, COLORREF b, int tolerance)
{
    return abs(GetRValue(a) - GetRValue(b)) <= tolerance && abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

COLORREF rgb(float r, float g, float b)
{
    return RGB(static_cast<int>(r * 255 + 0.5f), static_cast<int>(g * 255 + 0.5f), static_cast<int>(b * 255 + 0.5f));
}

namespace
{
std::vector<ModalAnswer> pendingAnswers;
ModalPolicy answerPolicy;
std::vector<ModalSeen> seenModals;
HWND lastAnswered = nullptr;
ULONGLONG lastAnsweredAt = 0;
ModalAnswer lastAnswer(IDCANCEL);
const ULONGLONG reanswerAfterMs = 2000; // a dialog still up this long after its answer missed it

const int fileNameCombo = 0x47c; // cmb13 of the Explorer-style dialog
const int fileNameEdit = 0x480;  // edt1
const int messageBoxText = 0xFFFF;

BOOL CALLBACK findModal(HWND window, LPARAM result)
{
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (wcscmp(className, L"#32770") == 0 && IsWindowVisible(window) && IsWindowEnabled(window))
    {
        *reinterpret_cast<HWND*>(result) = window;
        return FALSE;
    }
    return TRUE;
}

std::wstring textOf(HWND window)
{
    wchar_t text[512] = {};
    if (window)
        GetWindowTextW(window, text, 512);
    return text;
}

// Types the file name, where the window is the save dialog, and presses the answer's button.
void press(HWND modal, const ModalAnswer& answer)
{
    HWND fileName = fileNameBoxOf(modal);
    if (fileName && answer.button == IDOK)
        SetWindowTextW(fileName, answer.fileName.c_str());
    PostMessageW(modal, WM_COMMAND, MAKEWPARAM(answer.button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(modal, answer.button)));
}

void CALLBACK answerModal(HWND, UINT, UINT_PTR, DWORD)
{
    HWND modal = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findModal, reinterpret_cast<LPARAM>(&modal));
    if (!modal)
        return;
    // The same window again: wait for it to close, but answer once more if the answer went astray
    // (a command posted before the dialog was ready to take it).
    const bool again = modal == lastAnswered;
    if (again && GetTickCount64() - lastAnsweredAt < reanswerAfterMs)
        return;
    if (!again && pendingAnswers.empty() && !answerPolicy)
        return;
    lastAnsweredAt = GetTickCount64();
    if (again)
    {
        press(modal, lastAnswer);
        return;
    }
    lastAnswered = modal;
    ModalAnswer answer(IDCANCEL);
    if (answerPolicy)
    {
        answer = answerPolicy(modal);
    }
    else
    {
        answer = pendingAnswers.front();
        pendingAnswers.erase(pendingAnswers.begin());
    }
    lastAnswer = answer;

    ModalSeen seen;
    seen.caption = textOf(modal);
    seen.text = textOf(GetDlgItem(modal, messageBoxText));
    HWND owner = GetWindow(modal, GW_OWNER);
    seen.ownerDisabled = owner && !IsWindowEnabled(owner);
    seen.count = static_cast<int>(seenModals.size()) + 1;
    seenModals.push_back(seen);
    if (answer.onShow)
        answer.onShow(modal);
    press(modal, answer);
}
} // namespace

ModalAnswerer::ModalAnswerer(std::vector<ModalAnswer> answers)
{
    pendingAnswers = std::move(answers);
    seenModals.clear();
    lastAnswered = nullptr;
    timer = SetTimer(nullptr, 0, 50, answerModal);
}

ModalAnswerer::ModalAnswerer(ModalPolicy policy)
{
    pendingAnswers.clear();
    answerPolicy = std::move(policy);
    seenModals.clear();
    lastAnswered = nullptr;
    timer = SetTimer(nullptr, 0, 20, answerModal);
}

ModalAnswerer::~ModalAnswerer()
{
    KillTimer(nullptr, timer);
    pendingAnswers.clear();
    answerPolicy = nullptr;
}

const std::vector<ModalSeen>& ModalAnswerer::seen() const
{
    return seenModals;
}

std::wstring makeTempFolder(const wchar_t* name)
{
    wchar_t base[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, base);
    std::wstring folder = std::wstring(base) + L"tarvo-" + name + L"-" + std::to_wstring(GetCurrentProcessId()) +
                          L"-" + std::to_wstring(GetTickCount64());
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

std::vector<unsigned char> readFile(const std::wstring& path)
{
    std::vector<unsigned char> bytes;
    // Shared for deletion too, so that a poll never makes the product's replacing of the file fail.
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    LARGE_INTEGER size = {};
    GetFileSizeEx(file, &size);
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty())
        ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    return bytes;
}

void writeFile(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::vector<unsigned char> bytesOf(const std::string& text)
{
    return std::vector<unsigned char>(text.begin(), text.end());
}

std::vector<std::wstring> filesIn(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do
    {
        if (wcscmp(found.cFileName, L".") != 0 && wcscmp(found.cFileName, L"..") != 0)
            names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}


void moveMouseTo(int screenX, int screenY)
{
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    // Rounded up, so the system's truncating conversion back lands on the pixel itself.
    input.mi.dx = static_cast<LONG>((static_cast<long long>(screenX) * 65536 + width - 1) / width);
    input.mi.dy = static_cast<LONG>((static_cast<long long>(screenY) * 65536 + height - 1) / height);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof(input));
    pumpFor(30);
    POINT at;
    GetCursorPos(&at);
    if (at.x != screenX || at.y != screenY)
    {
        SetCursorPos(screenX, screenY);
        pumpFor(30);
    }
}

void mouseButton(DWORD downOrUpFlag)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = downOrUpFlag;
    SendInput(1, &input, sizeof(input));
    pumpFor(30);
}

void clickAt(int screenX, int screenY, bool right)
{
    moveMouseTo(screenX, screenY);
    mouseButton(right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN);
    mouseButton(right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP);
}

void pressKey(WORD virtualKey)
{
    INPUT inputs[2] = {};
    inputs[0].type = INPUT_KEYBOARD;
    inputs[0].ki.wVk = virtualKey;
    inputs[1] = inputs[0];
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof(INPUT));
    pumpFor(30);
}

POINT clientToScreen(HWND window, int x, int y)
{
    POINT point = {x, y};
    ClientToScreen(window, &point);
    return point;
}

IAccessible* clientObjectOf(HWND window)
{
    IAccessible* object = nullptr;
    AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                               reinterpret_cast<void**>(&object));
    return object;
}

VARIANT child(LONG id)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

std::wstring accessibleName(IAccessible* object, LONG id)
{
    BSTR name = nullptr;
    object->get_accName(child(id), &name);
    std::wstring result = name ? name : L"";
    SysFreeString(name);
    return result;
}

LONG accessibleState(IAccessible* object, LONG id)
{
    VARIANT state;
    VariantInit(&state);
    object->get_accState(child(id), &state);
    return state.vt == VT_I4 ? state.lVal : -1;
}

void ClientDriver::click(int x, int y, bool right) const
{
    const POINT p = clientToScreen(window, x, y);
    clickAt(p.x, p.y, right);
}

void ClientDriver::move(int x, int y) const
{
    const POINT p = clientToScreen(window, x, y);
    moveMouseTo(p.x, p.y);
}

bool ClientDriver::shows(int x, int y, COLORREF colour, DWORD timeoutMs) const
{
    COLORREF seen = CLR_INVALID;
    auto arrived = [&] {
        const Capture c = captureClient(window);
        seen = x < c.width && y < c.height ? c.at(x, y) : CLR_INVALID;
        return closeTo(seen, colour, 3);
    };
    if (waitUntil(arrived, timeoutMs))
        return true;
    if (timeoutMs > 0)
        fprintf(stderr, "waited %lu ms for (%d, %d) to show %d,%d,%d; the screen showed %d,%d,%d\n", timeoutMs, x, y,
                GetRValue(colour), GetGValue(colour), GetBValue(colour), GetRValue(seen), GetGValue(seen),
                GetBValue(seen));
    return false;
}

std::wstring tarvoExePath()
{
    // The release test points at an unpacked copy instead.
    wchar_t configured[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"TARVO_EXE", configured, MAX_PATH) > 0)
        return configured;
    // Test programs live in <build>/tests/window; Tarvo.exe in <build>.
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    for (int level = 0; level < 3; ++level)
        folder = folder.substr(0, folder.find_last_of(L"\\/"));
    return folder + L"\\Tarvo.exe";
}

TarvoProcess::TarvoProcess(int showCommand, const wchar_t* arguments)
{
    const std::wstring exe = tarvoExePath();
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCommand);
    if (!CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        process = {};
}

TarvoProcess::~TarvoProcess()
{
    if (!process.hProcess)
        return;
    if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT)
    {
        for (HWND window : topLevelWindows())
            PostMessageW(window, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process.hProcess, 5000) == WAIT_TIMEOUT)
            TerminateProcess(process.hProcess, 99);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

namespace
{
struct WindowSearch
{
    DWORD processId;
    const wchar_t* className;
    std::vector<HWND> found;
};

BOOL CALLBACK collectWindows(HWND window, LPARAM parameter)
{
    WindowSearch& search = *reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (owner == search.processId && wcscmp(className, search.className) == 0)
        search.found.push_back(window);
    return TRUE;
}
} // namespace

std::vector<HWND> topLevelWindowsOf(DWORD processId, const wchar_t* className)
{
    WindowSearch search = {processId, className, {}};
    EnumWindows(collectWindows, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> TarvoProcess::topLevelWindows() const
{
    return topLevelWindowsOf(process.dwProcessId, L"TarvoWindowClass");
}

HWND TarvoProcess::waitForWindow(DWORD timeoutMs)
{
    HWND window = nullptr;
    if (!waitUntil(
            [&] {
                std::vector<HWND> windows = topLevelWindows();
                window = windows.empty() || !IsWindowVisible(windows[0]) ? nullptr : windows[0];
                return window != nullptr;
            },
            timeoutMs))
        fprintf(stderr, "waited %lu ms for Tarvo's window (process %lu); on screen:\n%s", timeoutMs,
                process.dwProcessId, describeWindows().c_str());
    return window;
}

bool TarvoProcess::waitForExit(DWORD timeoutMs, DWORD& exitCode)
{
    if (!waitUntil([&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; }, timeoutMs))
        return false;
    GetExitCodeProcess(process.hProcess, &exitCode);
    return true;
}

HWND findDialogOf(DWORD processId)
{
    for (HWND dialog : topLevelWindowsOf(processId, L"#32770"))
        if (IsWindowVisible(dialog) && IsWindowEnabled(dialog))
            return dialog;
    return nullptr;
}

HWND waitForDialogOf(DWORD processId, DWORD timeoutMs)
{
    HWND dialog = nullptr;
    if (!waitUntil([&] { return (dialog = findDialogOf(processId)) != nullptr; }, timeoutMs))
        fprintf(stderr, "waited %lu ms for a dialog of process %lu; on screen:\n%s", timeoutMs, processId,
                describeWindows().c_str());
    return dialog;
}

bool waitForDialogsGone(DWORD processId, HWND owner, DWORD timeoutMs)
{
    if (waitUntil([&] { return topLevelWindowsOf(processId, L"#32770").empty() && IsWindowEnabled(owner); },
                  timeoutMs))
        return true;
    fprintf(stderr, "waited %lu ms for the dialogs of process %lu to close; on screen:\n%s", timeoutMs, processId,
            describeWindows().c_str());
    return false;
}

std::wstring windowText(HWND window)
{
    // WM_GETTEXT, unlike GetWindowTextW, reaches a control of another process.
    wchar_t text[512] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &copied);
    return text;
}

void typeText(const std::wstring& text)
{
    for (wchar_t c : text)
    {
        INPUT inputs[2] = {};
        inputs[0].type = INPUT_KEYBOARD;
        inputs[0].ki.wScan = c;
        inputs[0].ki.dwFlags = KEYEVENTF_UNICODE;
        inputs[1] = inputs[0];
        inputs[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
        SendInput(2, inputs, sizeof(INPUT));
    }
    pumpFor(100);
}

HWND fileNameBoxOf(HWND dialog)
{
    HWND box = GetDlgItem(dialog, fileNameCombo);
    return box ? box : GetDlgItem(dialog, fileNameEdit);
}

namespace
{
void describeWindow(std::string& out, HWND window, int depth)
{
    wchar_t className[64] = {};
    wchar_t text[128] = {};
    GetClassNameW(window, className, 64);
    InternalGetWindowText(window, text, 128);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    RECT r = {};
    GetWindowRect(window, &r);
    char line[512];
    snprintf(line, sizeof(line), "%*s%p pid %lu class \"%ls\" text \"%ls\" id %ld (%ld, %ld, %ld, %ld)%s%s%s%s\n",
             depth * 4, "", static_cast<void*>(window), processId, className, text,
             static_cast<long>(GetDlgCtrlID(window)), r.left, r.top, r.right, r.bottom,
             IsWindowVisible(window) ? " visible" : " hidden", IsWindowEnabled(window) ? "" : " disabled",
             IsZoomed(window) ? " maximised" : "", IsIconic(window) ? " minimised" : "");
    out += line;
}

struct Description
{
    std::string text;
    int depth;
};

BOOL CALLBACK describeChild(HWND child, LPARAM parameter)
{
    if (IsWindowVisible(child))
        describeWindow(reinterpret_cast<Description*>(parameter)->text, child, 2);
    return TRUE;
}

BOOL CALLBACK describeTopLevel(HWND window, LPARAM parameter)
{
    if (!IsWindowVisible(window))
        return TRUE;
    Description& description = *reinterpret_cast<Description*>(parameter);
    describeWindow(description.text, window, 1);
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (wcscmp(className, L"#32770") == 0) // a dialog or message box: its controls say which
        EnumChildWindows(window, describeChild, parameter);
    return TRUE;
}
} // namespace

std::string describeWindows()
{
    Description description{"", 1};
    EnumWindows(describeTopLevel, reinterpret_cast<LPARAM>(&description));
    return description.text;
}

bool responds(HWND window, UINT timeoutMs)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
}

namespace
{
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

} // namespace

// Wine's debugger attaches to this running process and gives the stack of every thread. It stops
// this process while it works, so its output goes to a file, read once it has ended. Where there
// is no such debugger (Windows), only the windows are reported.
void printStacks()
{
    if (!GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version"))
    {
        printf("watchdog: not under Wine, so no debugger prints the stacks; attach one to process %lu\n",
               GetCurrentProcessId());
        return;
    }
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

