// The events clients hear: what they were last told, compared with the window after each message.
#pragma once

#include <windows.h>

#include "accessibleTree.h"

// What clients were last told about; a change raises the matching event.
struct Announced
{
    int32_t controlStates[controlCount + 1] = {};
    bool maximised = false;
    bool menuOpen = false;
    size_t lineCount = 0;
};

Announced observe(const AccessibleView& view);

// One event for each thing that differs between what clients were told and what is now.
void announceDifferences(HWND window, const Announced& told, const Announced& now);

void notifyClients(HWND window, DWORD event, LONG child);
