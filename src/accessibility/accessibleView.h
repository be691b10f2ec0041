// The window as the accessible tree sees it, read at the moment of a call.
#pragma once

#include "../app/windowState.h"
#include "accessibleTree.h"

// Reading the title sends WM_GETTEXT, and the events are gathered around every message, that one
// included: they leave the title out (no state depends on it) and so never recurse.
AccessibleView accessibleViewOf(const WindowState& state, HWND window, bool readTitle = true);
