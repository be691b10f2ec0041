// Export: the save dialog, the canvas drawn into a WIC bitmap through a
// Direct2D target at 96 DPI, and the PNG encoder. The image is written to a
// temporary file beside the chosen one and moved over it only once complete,
// so a failure never leaves a partial file or destroys the file being replaced.
#include "exportImage.h"

#include <commdlg.h>

#include <cwchar>
#include <string>

#include "../chrome/windowLayout.h"

namespace
{
const DWORD fileNameLength = MAX_PATH; // characters, terminator included
const unsigned temporaryNameAttempts = 100; // names tried beside the chosen file before giving up
const float imageLineWidth = 2.0f;   // pixels at every DPI
const float imageFrameWidth = 1.0f;  // pixels
const D2D1_COLOR_F imageLineColour = {0, 0, 0, 1};
const D2D1_COLOR_F imageFrameColour = {0.83f, 0.83f, 0.83f, 1};

bool askForFileName(HWND window, wchar_t (&path)[fileNameLength])
{
    wcscpy_s(path, L"canvas.png");
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = window;
    dialog.lpstrFilter = L"PNG Image (*.png)\0*.png\0All Files (*.*)\0*.*\0";
    dialog.lpstrFile = path;
    dialog.nMaxFile = fileNameLength;
    // Without OFN_NOCHANGEDIR the folder browsed to stays this process's current directory, which
    // Windows holds open: a USB stick saved to could not be ejected while Tarvo runs.
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    dialog.lpstrDefExt = L"png";
    return GetSaveFileNameW(&dialog) != 0;
}

void drawSegment(ID2D1RenderTarget* target, ID2D1Brush* brush, float x1, float y1, float x2, float y2, Rect canvas)
{
    target->DrawLine(D2D1::Point2F(x1 - canvas.left, y1 - canvas.top), D2D1::Point2F(x2 - canvas.left, y2 - canvas.top),
                     brush, imageLineWidth);
}

// White ground, grey one-pixel frame, every line black, the draft last.
HRESULT renderCanvas(const WindowState& state, Rect canvas, UINT width, UINT height, IWICBitmap** bitmap)
{
    ID2D1RenderTarget* target = nullptr;
    ID2D1SolidColorBrush* lineBrush = nullptr;
    ID2D1SolidColorBrush* frameBrush = nullptr;

    HRESULT hr = state.wicFactory->CreateBitmap(width, height, GUID_WICPixelFormat32bppPBGRA, WICBitmapCacheOnLoad,
                                                bitmap);
    if (SUCCEEDED(hr))
        hr = state.d2dFactory->CreateWicBitmapRenderTarget(
            *bitmap,
            D2D1::RenderTargetProperties(D2D1_RENDER_TARGET_TYPE_DEFAULT,
                                         D2D1::PixelFormat(DXGI_FORMAT_UNKNOWN, D2D1_ALPHA_MODE_PREMULTIPLIED),
                                         USER_DEFAULT_SCREEN_DPI, USER_DEFAULT_SCREEN_DPI,
                                         D2D1_RENDER_TARGET_USAGE_NONE, D2D1_FEATURE_LEVEL_DEFAULT),
            &target);
    if (SUCCEEDED(hr)) hr = target->CreateSolidColorBrush(imageLineColour, &lineBrush);
    if (SUCCEEDED(hr)) hr = target->CreateSolidColorBrush(imageFrameColour, &frameBrush);
    if (SUCCEEDED(hr))
    {
        target->BeginDraw();
        target->Clear(D2D1::ColorF(1, 1, 1, 1));
        target->DrawRectangle(D2D1::RectF(0.5f, 0.5f, width - 0.5f, height - 0.5f), frameBrush, imageFrameWidth);
        for (const Line& line : state.lines)
            drawSegment(target, lineBrush, line.x1, line.y1, line.x2, line.y2, canvas);
        if (state.drawing)
            drawSegment(target, lineBrush, state.draftLine.x1, state.draftLine.y1, state.draftLine.x2,
                        state.draftLine.y2, canvas);
        hr = target->EndDraw();
    }
    safeRelease(frameBrush);
    safeRelease(lineBrush);
    safeRelease(target);
    return hr;
}

HRESULT encodePng(IWICImagingFactory* wic, IWICBitmap* bitmap, UINT width, UINT height, const wchar_t* path)
{
    IWICStream* stream = nullptr;
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppPBGRA;

    HRESULT hr = wic->CreateStream(&stream);
    if (SUCCEEDED(hr)) hr = stream->InitializeFromFilename(path, GENERIC_WRITE);
    if (SUCCEEDED(hr)) hr = wic->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder);
    if (SUCCEEDED(hr)) hr = encoder->Initialize(stream, WICBitmapEncoderNoCache);
    if (SUCCEEDED(hr)) hr = encoder->CreateNewFrame(&frame, nullptr);
    if (SUCCEEDED(hr)) hr = frame->Initialize(nullptr);
    if (SUCCEEDED(hr)) hr = frame->SetSize(width, height);
    if (SUCCEEDED(hr)) hr = frame->SetPixelFormat(&format);
    if (SUCCEEDED(hr)) hr = frame->WriteSource(bitmap, nullptr);
    if (SUCCEEDED(hr)) hr = frame->Commit();
    if (SUCCEEDED(hr)) hr = encoder->Commit();
    safeRelease(frame);
    safeRelease(encoder);
    safeRelease(stream); // closes the file before it is moved
    return hr;
}

// A fresh empty file beside path for the image to be written to first.
bool makeTemporaryBeside(const wchar_t* path, wchar_t (&temporary)[MAX_PATH])
{
    for (unsigned attempt = 0; attempt < temporaryNameAttempts && temporaryNameFor(path, attempt, temporary); ++attempt)
    {
        if (wcscmp(temporary, path) == 0)
            continue; // a chosen name that already ends so
        HANDLE file = CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE)
        {
            CloseHandle(file);
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) // what CREATE_NEW reports for a name already taken
            return false;
    }
    return false;
}

// A read-only file is one the user means to keep; not every MoveFileExW refuses to replace it.
bool isReadOnlyFile(const wchar_t* path)
{
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

bool writeImage(const WindowState& state, HWND window, const wchar_t* path)
{
    if (!state.d2dFactory || !state.wicFactory)
        return false;
    const Rect canvas = canvasRect(window, state.dpiScale);
    const float width = canvas.right - canvas.left;
    const float height = canvas.bottom - canvas.top;
    if (!(width >= 2) || !(height >= 2)) // also false for NaN
        return false;
    const UINT imageWidth = static_cast<UINT>(width);
    const UINT imageHeight = static_cast<UINT>(height);

    wchar_t temporary[MAX_PATH] = {};
    if (!makeTemporaryBeside(path, temporary))
        return false;
    IWICBitmap* bitmap = nullptr;
    HRESULT hr = renderCanvas(state, canvas, imageWidth, imageHeight, &bitmap);
    if (SUCCEEDED(hr)) hr = encodePng(state.wicFactory, bitmap, imageWidth, imageHeight, temporary);
    safeRelease(bitmap);
    if (SUCCEEDED(hr) && isReadOnlyFile(path))
        hr = HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
    if (SUCCEEDED(hr) && !MoveFileExW(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        hr = HRESULT_FROM_WIN32(GetLastError());
    if (FAILED(hr))
        DeleteFileW(temporary);
    return SUCCEEDED(hr);
}
} // namespace

bool temporaryNameFor(const wchar_t* path, unsigned attempt, wchar_t (&temporary)[MAX_PATH])
{
    const std::wstring tail = attempt == 0 ? L"~" : L"~" + std::to_wstring(attempt);
    const size_t length = wcslen(path);
    size_t nameStart = length;
    while (nameStart > 0 && path[nameStart - 1] != L'\\' && path[nameStart - 1] != L'/')
        --nameStart;
    if (length >= MAX_PATH || length - nameStart < tail.size())
        return false;
    wcscpy_s(temporary, path);
    wcscpy_s(temporary + length - tail.size(), tail.size() + 1, tail.c_str());
    return true;
}

bool saveDialogCancelled(DWORD dialogError)
{
    return dialogError == 0;
}

void exportImage(WindowState& state, HWND window)
{
    wchar_t path[fileNameLength];
    const bool chosen = askForFileName(window, path);
    const DWORD dialogError = chosen ? 0 : CommDlgExtendedError();
    // The dialog ran its own message loop; a window destroyed meanwhile has no record left.
    if (stateOf(window) != &state)
        return;
    if (!chosen && saveDialogCancelled(dialogError))
        return;
    if (!chosen || !writeImage(state, window, path))
        MessageBoxW(window, L"Could not save the image.", L"Save Image", MB_ICONERROR);
}

void hoverSaveButton(WindowState& state, HWND window, POINT clientPoint)
{
    const bool hovered = contains(saveButtonRect(window, state.dpiScale), clientPoint);
    if (hovered != state.saveButtonHovered)
    {
        state.saveButtonHovered = hovered;
        repaint(window);
    }
}

bool pressSaveButton(WindowState& state, HWND window, POINT clientPoint)
{
    if (!contains(saveButtonRect(window, state.dpiScale), clientPoint))
        return false;
    state.saveButtonPressed = true;
    SetCapture(window);
    repaint(window);
    return true;
}

void releaseSaveButton(WindowState& state, HWND window, POINT clientPoint)
{
    if (!state.saveButtonPressed)
        return;
    state.saveButtonPressed = false;
    ReleaseCapture();
    if (contains(saveButtonRect(window, state.dpiScale), clientPoint))
    {
        exportImage(state, window);
        if (stateOf(window) != &state)
            return;
    }
    repaint(window);
}

void cancelSavePressOnCaptureLoss(WindowState& state, HWND window)
{
    if (!state.saveButtonPressed)
        return;
    state.saveButtonPressed = false;
    repaint(window);
}
