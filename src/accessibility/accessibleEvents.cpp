// Events for clients listening to the window (WinEvents on OBJID_CLIENT). The object compares
// the window before and after each message, never while painting, and raises what changed.
#include "accessibleEvents.h"

#include <oleacc.h>

Announced observe(const AccessibleView& view)
{
    Announced now;
    for (int32_t child = MenuButtonChild; child <= controlCount; ++child)
        now.controlStates[child] = childState(view, child);
    now.maximised = view.maximised;
    now.menuOpen = view.menuOpen;
    now.lineCount = view.lines->size();
    return now;
}

void announceDifferences(HWND window, const Announced& told, const Announced& now)
{
    if (now.menuOpen != told.menuOpen)
    {
        notifyClients(window, now.menuOpen ? EVENT_SYSTEM_MENUPOPUPSTART : EVENT_SYSTEM_MENUPOPUPEND, MenuButtonChild);
        notifyClients(window, EVENT_OBJECT_DEFACTIONCHANGE, MenuButtonChild); // "Open" became "Close" or back
    }
    if (now.maximised != told.maximised)
        notifyClients(window, EVENT_OBJECT_NAMECHANGE, MaximizeChild); // "Maximize" became "Restore" or back
    for (int32_t child = MenuButtonChild; child <= controlCount; ++child)
        if (now.controlStates[child] != told.controlStates[child])
            notifyClients(window, EVENT_OBJECT_STATECHANGE, child);
    if (now.lineCount != told.lineCount)
    {
        notifyClients(window, EVENT_OBJECT_REORDER, CHILDID_SELF);
        notifyClients(window, EVENT_OBJECT_VALUECHANGE, CanvasChild);
    }
}

void notifyClients(HWND window, DWORD event, LONG child)
{
    NotifyWinEvent(event, window, OBJID_CLIENT, child);
}
