// Where every region of the window lies, as plain arithmetic on the client
// size, the title length and the DPI scale. Painting and pointer handling both
// call these, so what is drawn is exactly what answers to the pointer.
// No <windows.h>: the native tests build it too; frame.h reads the window.
#pragma once

#include <cstdint>

// Same layout as D2D1_RECT_F. Nothing normalises it: right <= left is empty.
struct Rect
{
    float left, top, right, bottom;
};

// Right and bottom of the client rectangle (its left and top are 0).
struct ClientSize
{
    int width, height;
};

enum class CaptionButton : int32_t
{
    None = 0,
    Minimize = 1,
    Maximize = 2,
    Close = 3,
    Menu = 4,
};

// Half-open: left and top edges inside, right and bottom outside; NaN is outside.
bool contains(const Rect& rect, float x, float y);

Rect captionButtonRect(CaptionButton button, ClientSize client, unsigned titleLength, float dpiScale);
Rect menuPopupRect(ClientSize client, unsigned titleLength, float dpiScale);
Rect menuEntryRect(ClientSize client, unsigned titleLength, float dpiScale, int32_t index);
Rect saveButtonRect(ClientSize client, float dpiScale);
Rect canvasRect(ClientSize client, float dpiScale);

// Painting only.
Rect titleBarRect(ClientSize client, float dpiScale);
Rect toolbarRect(ClientSize client, float dpiScale);
Rect logoRect(float dpiScale);
Rect titleTextRect(unsigned titleLength, float dpiScale);

// Close, Maximize, Minimize, Menu: the first whose rectangle holds the point.
CaptionButton captionButtonAtPoint(float x, float y, ClientSize client, unsigned titleLength, float dpiScale);

// Non-client hit-test bands of the self-drawn frame, in client pixels.
enum class FrameZone
{
    Client,
    Caption,
    Left,
    Right,
    Top,
    Bottom,
    TopLeft,
    TopRight,
    BottomLeft,
    BottomRight,
};

// A length in DIPs at the given scale, truncated toward zero to whole pixels.
int wholePixels(float dips, float scale);

// Sizing bands of 8 DIPs (near edges <, far edges >), then the 32-DIP caption band.
FrameZone frameZoneAt(int x, int y, int width, int height, float scale);

// Whole screen pixels, as a RECT holds them.
struct ScreenRect
{
    int left, top, right, bottom;
};

// The client area of a maximised window: the part of its proposed window rectangle that lies on
// the monitor's work area, however far the window overhangs it. A rectangle that misses the work
// area altogether is left as it is.
ScreenRect maximisedClientRect(ScreenRect proposed, ScreenRect workArea);

// True when the point lies within band pixels (inclusive) of any edge of the box.
bool nearEdge(int x, int y, int left, int top, int right, int bottom, int band);
