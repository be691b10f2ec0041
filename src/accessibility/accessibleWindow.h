// What screen readers and automation tools find in the window: one accessible object for the
// client area, answered from WM_GETOBJECT, whose children are the controls the window paints
// and the lines of the drawing. The window procedure calls these; nothing here paints.
#pragma once

#include "../app/windowState.h"

// Posted by a default action, so that what a click does (a dialog, a message box) runs from the
// message loop and never inside the client's COM call. wParam: the child id.
constexpr UINT accessibleActionMessage = WM_APP + 1;

// OBJID_CLIENT gets our object, made on the first request; every other id the system's.
LRESULT onGetObject(WindowState* state, HWND window, WPARAM wParam, LPARAM lParam);

// Does what a click on the child would; nothing while a modal box or dialog is up.
LRESULT onAccessibleAction(WindowState& state, HWND window, WPARAM childId);

// Raises the events for what clients were told and has changed since. Until a client has asked
// for the object there is no one to tell, and nothing is raised.
void announceAccessibleChanges(HWND window);

// WM_DESTROY: the object is cut off from its clients and from the record, which is about to go.
void releaseAccessibleObject(WindowState& state);
