// The accessible object of the client area, answered from WM_GETOBJECT: the COM face of the tree
// (accessibleTree.h). The window procedure makes it, tells it of changes, and cuts it off.
#pragma once

#include "../app/windowState.h"

// OBJID_CLIENT gets our object, made on the first request; every other id the system's.
LRESULT onGetObject(WindowState* state, HWND window, WPARAM wParam, LPARAM lParam);

// Raises the events for what clients were told and has changed since. Until a client has asked
// for the object there is no one to tell, and nothing is raised.
void announceAccessibleChanges(HWND window);

// WM_DESTROY: the object is cut off from its clients and from the record, which is about to go.
void releaseAccessibleObject(WindowState& state);
