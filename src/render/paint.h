// One Direct2D frame per WM_PAINT, drawn entirely from WindowState. Painting
// writes no state.
#pragma once

#include "../app/windowState.h"

// The one handler that may change state: recovering a lost device rebuilds the render target.
LRESULT onPaint(WindowState* state, HWND window);
