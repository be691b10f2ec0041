// The canvas's share of the input: two left clicks draw a line, the draft end
// follows the pointer, the right button cancels a draft or toggles a line's
// selection, Delete removes the selected lines after a confirmation box.
#pragma once

#include "../app/windowState.h"

// Last target of a left press: starts or commits a line. False outside the canvas.
bool pressOnCanvas(WindowState& state, HWND window, POINT clientPoint);

// While drawing, the draft end follows the pointer, clamped to the canvas edges.
void followPointerWithDraft(WindowState& state, HWND window, POINT clientPoint);

LRESULT onRightButtonDown(WindowState& state, HWND window, LPARAM lParam);
LRESULT onKeyDown(WindowState& state, HWND window, WPARAM wParam);

// Cancels a draft in progress and zeroes its points; opening the menu does this.
void discardDraft(WindowState& state);
