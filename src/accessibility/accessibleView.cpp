// Reads the window for the accessible tree: client size, title, visibility and maximised state
// from the system, the rest from the record. Nothing is cached: each call sees the window as it is.
#include "accessibleView.h"

#include <oleacc.h>

#include "../chrome/windowLayout.h"

// The tree is platform-free, so its values are written out there; they must be the platform's.
static_assert(Role::client == ROLE_SYSTEM_CLIENT && Role::menuItem == ROLE_SYSTEM_MENUITEM &&
                  Role::graphic == ROLE_SYSTEM_GRAPHIC && Role::pushButton == ROLE_SYSTEM_PUSHBUTTON &&
                  Role::buttonMenu == ROLE_SYSTEM_BUTTONMENU,
              "the tree's roles are Active Accessibility's");
static_assert(State::selected == STATE_SYSTEM_SELECTED && State::pressed == STATE_SYSTEM_PRESSED &&
                  State::hotTracked == STATE_SYSTEM_HOTTRACKED && State::expanded == STATE_SYSTEM_EXPANDED &&
                  State::invisible == STATE_SYSTEM_INVISIBLE && State::selectable == STATE_SYSTEM_SELECTABLE &&
                  State::hasPopup == STATE_SYSTEM_HASPOPUP,
              "the tree's states are Active Accessibility's");
static_assert(SelfChild == CHILDID_SELF, "the client area is CHILDID_SELF");

namespace
{
const int titleBufferLength = 256; // characters, terminator included, as the layout reads the title
}

AccessibleView accessibleViewOf(const WindowState& state, HWND window, bool readTitle)
{
    wchar_t title[titleBufferLength] = {};
    if (readTitle)
        GetWindowTextW(window, title, titleBufferLength);
    AccessibleView view = {};
    view.client = clientSizeOf(window);
    view.title = title;
    view.dpiScale = state.dpiScale;
    view.visible = IsWindowVisible(window) != 0;
    view.maximised = IsZoomed(window) != 0;
    view.menuOpen = state.menuOpen;
    view.hoveredMenuItem = state.hoveredMenuItem;
    view.hoveredButton = state.hoveredButton;
    view.pressedButton = state.pressedButton;
    view.saveButtonHovered = state.saveButtonHovered;
    view.lines = &state.lines;
    return view;
}
