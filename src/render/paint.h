// One Direct2D frame per WM_PAINT, drawn entirely from WindowState. Painting
// writes no state.
#pragma once

#include "../app/windowState.h"

// The one handler that may change state: recovering a lost device rebuilds the render target.
LRESULT onPaint(WindowState* state, HWND window);

// The two rectangles the open menu's shadows are drawn on, grown 2 x s beyond the tab and popup.
Rect tabShadowRect(Rect menuButton, float dpiScale);
Rect popupShadowRect(Rect popup, float dpiScale);
