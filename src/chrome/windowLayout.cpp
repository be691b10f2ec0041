// Thin wrappers that feed a window's current client size and title length to
// the layout arithmetic. Nothing is cached: a resize shows at the next call.
#include "windowLayout.h"

#include <cwchar>

namespace
{
const int titleBufferLength = 256; // characters, terminator included
}

ClientSize clientSizeOf(HWND window)
{
    RECT client = {};
    GetClientRect(window, &client);
    return {client.right, client.bottom};
}

unsigned titleLengthOf(HWND window)
{
    wchar_t title[titleBufferLength] = {};
    GetWindowTextW(window, title, titleBufferLength);
    return static_cast<unsigned>(wcslen(title));
}

Rect captionButtonRect(HWND window, CaptionButton button, float dpiScale)
{
    const unsigned titleLength = button == CaptionButton::Menu ? titleLengthOf(window) : 0;
    return captionButtonRect(button, clientSizeOf(window), titleLength, dpiScale);
}

Rect menuPopupRect(HWND window, float dpiScale)
{
    return menuPopupRect(clientSizeOf(window), titleLengthOf(window), dpiScale);
}

Rect menuEntryRect(HWND window, float dpiScale, int32_t index)
{
    return menuEntryRect(clientSizeOf(window), titleLengthOf(window), dpiScale, index);
}

Rect saveButtonRect(HWND window, float dpiScale)
{
    return saveButtonRect(clientSizeOf(window), dpiScale);
}

Rect canvasRect(HWND window, float dpiScale)
{
    return canvasRect(clientSizeOf(window), dpiScale);
}

POINT pointFromLParam(LPARAM lParam)
{
    return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}
