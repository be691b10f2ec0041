// Application menu behaviour. The menu is only state in WindowState: painting
// draws it from there, and these steps change it from the mouse handlers.
#include "appMenu.h"

#include "../canvas/canvasInput.h"
#include "../chrome/frame.h"
#include "exportImage.h"

namespace
{
void closeMenu(WindowState& state)
{
    state.menuOpen = false;
    state.pressedButton = CaptionButton::None;
    ReleaseCapture();
}
} // namespace

int32_t menuEntryAt(const WindowState& state, HWND window, POINT clientPoint)
{
    for (int32_t index = 0; index < menuEntryCount; ++index)
        if (!menuEntries[index].isSeparator && contains(menuEntryRect(window, state.dpiScale, index), clientPoint))
            return index;
    return -1;
}

void runMenuCommand(WindowState& state, HWND window, MenuCommand command)
{
    switch (command)
    {
    case MenuCommand::ExportImage: exportImage(state, window); break;
    case MenuCommand::Exit:        PostMessageW(window, WM_CLOSE, 0, 0); break;
    default:                       break;
    }
}

bool swallowPressInPopup(const WindowState& state, HWND window, POINT clientPoint)
{
    return state.menuOpen && contains(menuPopupRect(window, state.dpiScale), clientPoint);
}

void toggleMenu(WindowState& state, HWND window)
{
    state.menuOpen = !state.menuOpen;
    if (state.drawing)
        discardDraft(state);
    repaint(window);
}

bool pressMenuButton(WindowState& state, HWND window, POINT clientPoint)
{
    if (captionButtonAt(state, window, clientPoint) != CaptionButton::Menu)
        return false;
    toggleMenu(state, window);
    state.pressedButton = state.menuOpen ? CaptionButton::Menu : CaptionButton::None;
    if (state.menuOpen)
        SetCapture(window);
    return true;
}

bool closeMenuOnPressElsewhere(WindowState& state, HWND window)
{
    if (!state.menuOpen)
        return false;
    closeMenu(state);
    repaint(window);
    return true;
}

void hoverMenuEntries(WindowState& state, HWND window, POINT clientPoint)
{
    const int32_t hovered = state.menuOpen ? menuEntryAt(state, window, clientPoint) : -1;
    if (hovered != state.hoveredMenuItem)
    {
        state.hoveredMenuItem = hovered;
        repaint(window);
    }
}

bool releaseInPopup(WindowState& state, HWND window, POINT clientPoint)
{
    if (!state.menuOpen || !contains(menuPopupRect(window, state.dpiScale), clientPoint))
        return false;
    const int32_t index = menuEntryAt(state, window, clientPoint);
    if (index >= 0)
        chooseMenuEntry(state, window, index);
    return true;
}

void chooseMenuEntry(WindowState& state, HWND window, int32_t index)
{
    const MenuCommand command = menuEntries[index].command;
    state.hoveredMenuItem = -1;
    closeMenu(state);
    // The frame without the popup reaches the screen before the command's dialog opens.
    repaint(window);
    UpdateWindow(window);
    runMenuCommand(state, window, command);
}

void closeMenuOnNonClientPress(WindowState& state, HWND window, LPARAM lParam)
{
    if (!state.menuOpen)
        return;
    POINT point = pointFromLParam(lParam);
    ScreenToClient(window, &point);
    if (contains(captionButtonRect(window, CaptionButton::Menu, state.dpiScale), point) ||
        contains(menuPopupRect(window, state.dpiScale), point))
        return;
    closeMenu(state);
    repaint(window);
}
