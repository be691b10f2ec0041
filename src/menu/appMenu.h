// The drop-down application menu under the Menu button: its steps in the
// window's mouse handlers, and the commands its items run.
#pragma once

#include "../app/windowState.h"
#include "menuTable.h"

// The first item row (never the separator) whose rectangle holds the point, or -1.
int32_t menuEntryAt(const WindowState& state, HWND window, POINT clientPoint);

void runMenuCommand(WindowState& state, HWND window, MenuCommand command);

// A press inside the open popup is swallowed: items act on release.
bool swallowPressInPopup(const WindowState& state, HWND window, POINT clientPoint);

// Opens or closes the menu; either way a draft in progress is discarded.
void toggleMenu(WindowState& state, HWND window);

// A press on the Menu button toggles the menu; false if the point is not on it.
bool pressMenuButton(WindowState& state, HWND window, POINT clientPoint);

// Any other press while the menu is open closes it and is consumed.
bool closeMenuOnPressElsewhere(WindowState& state, HWND window);

void hoverMenuEntries(WindowState& state, HWND window, POINT clientPoint);

// A release inside the open popup: chooses the item under it, if any. False outside the popup.
bool releaseInPopup(WindowState& state, HWND window, POINT clientPoint);

// Closes the menu, paints the frame without it, then runs the item's command (index 0 or 2).
void chooseMenuEntry(WindowState& state, HWND window, int32_t index);

// A non-client press outside the Menu button and the popup closes the menu.
void closeMenuOnNonClientPress(WindowState& state, HWND window, LPARAM lParam);
