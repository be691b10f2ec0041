// The mouse handlers. Each offers its message to the window's targets in a
// fixed order: menu popup, title-bar buttons, menu, Save Image button, canvas.
#pragma once

#include "windowState.h"

LRESULT onMouseMove(WindowState& state, HWND window, LPARAM lParam);
LRESULT onLeftButtonDown(WindowState& state, HWND window, LPARAM lParam);
LRESULT onLeftButtonUp(WindowState& state, HWND window, LPARAM lParam);
LRESULT onCaptureChanged(WindowState& state, HWND window);
LRESULT onMouseLeave(WindowState& state, HWND window);
LRESULT onNcLeftButtonDown(WindowState* state, HWND window, WPARAM wParam, LPARAM lParam);
