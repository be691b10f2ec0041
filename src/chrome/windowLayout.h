// The layout rectangles for a live window: read the client size and the title
// at the moment of the call, then do the arithmetic of layout.h.
#pragma once

#include <windows.h>

#include "layout.h"

ClientSize clientSizeOf(HWND window);

// Characters of the window title as GetWindowTextW gives them into 256: at most 255.
unsigned titleLengthOf(HWND window);

Rect captionButtonRect(HWND window, CaptionButton button, float dpiScale);
Rect menuPopupRect(HWND window, float dpiScale);
Rect menuEntryRect(HWND window, float dpiScale, int32_t index);
Rect saveButtonRect(HWND window, float dpiScale);
Rect canvasRect(HWND window, float dpiScale);

// A mouse message's point: signed 16-bit x in the low word, y in the high word.
POINT pointFromLParam(LPARAM lParam);

inline bool contains(const Rect& rect, POINT point)
{
    return contains(rect, static_cast<float>(point.x), static_cast<float>(point.y));
}
