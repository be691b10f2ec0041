// Default actions and selection asked for by a client. A default action is posted to the window
// and run from its message loop, where a click would run; while a modal loop has the window
// disabled nothing is done, so a box never finds the drawing changed behind it.
#include "accessibleActions.h"

#include <oleacc.h>

#include "../chrome/frame.h"
#include "../menu/appMenu.h"
#include "../menu/exportImage.h"
#include "accessibleEvents.h"
#include "accessibleTree.h"

HRESULT postDefaultAction(const WindowState& state, HWND window, LONG child)
{
    if (!IsWindowEnabled(window))
        return E_FAIL; // a modal box or the save dialog is up
    if (isMenuItem(child) && !state.menuOpen)
        return E_FAIL; // a closed menu's items cannot be chosen
    return PostMessageW(window, accessibleActionMessage, static_cast<WPARAM>(child), 0) ? S_OK : E_FAIL;
}

LRESULT onAccessibleAction(WindowState& state, HWND window, WPARAM childId)
{
    if (!IsWindowEnabled(window))
        return 0; // a modal loop began after the action was asked for: it must not act behind it
    const LONG child = static_cast<LONG>(childId);
    switch (child)
    {
    case MenuButtonChild:
        // A press and release on the button: the menu toggles and no press stays held.
        toggleMenu(state, window);
        if (state.pressedButton == CaptionButton::Menu)
        {
            state.pressedButton = CaptionButton::None;
            ReleaseCapture();
        }
        break;
    case MinimizeChild:
    case MaximizeChild:
    case CloseChild:
        runWindowButton(window, buttonOf(child));
        break;
    case SaveImageChild:
        exportImage(state, window);
        if (stateOf(window) == &state) // the window may have closed while the dialog was up
            repaint(window);
        break;
    case ExportItemChild:
    case ExitItemChild:
        if (state.menuOpen)
            chooseMenuEntry(state, window, menuIndexOf(child));
        break;
    default:
        break;
    }
    return 0;
}

HRESULT selectLine(WindowState& state, HWND window, LONG child, bool select)
{
    if (!IsWindowEnabled(window))
        return E_FAIL; // a modal box is up: the lines it asks about must not change under it
    if ((state.lines[lineIndexOf(child)].selected != 0) != select)
    {
        // What a right click on the line does.
        toggleSelection(state.lines, static_cast<int32_t>(lineIndexOf(child)));
        repaint(window);
        notifyClients(window, select ? EVENT_OBJECT_SELECTIONADD : EVENT_OBJECT_SELECTIONREMOVE, child);
        notifyClients(window, EVENT_OBJECT_STATECHANGE, child);
    }
    return S_OK;
}
