// What a client's default action or selection does: the same as the click it stands for, run
// from the message loop, and refused while a modal box or dialog is up.
#pragma once

#include "../app/windowState.h"

// Posted by a default action, so that what a click does (a dialog, a message box) runs from the
// message loop and never inside the client's COM call. wParam: the child id.
constexpr UINT accessibleActionMessage = WM_APP + 1;

// Posts the click on a control that has a default action; E_FAIL behind a modal loop or for the
// items of a closed menu.
HRESULT postDefaultAction(const WindowState& state, HWND window, LONG child);

// Does what a click on the child would; nothing while a modal box or dialog is up.
LRESULT onAccessibleAction(WindowState& state, HWND window, WPARAM childId);

// Selects or deselects a line as a right click does, and tells clients if it changed.
HRESULT selectLine(WindowState& state, HWND window, LONG child, bool select);
