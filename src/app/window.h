// The Tarvo window: its class, creation and the window procedure that routes
// every message to its handler. WinMain and the window tests both start here.
#pragma once

#include <windows.h>

// Registers "TarvoWindowClass"; false if the system refuses.
bool registerWindowClass(HINSTANCE instance);

// Creates the "Tarvo" window with the system's default placement; null on failure.
HWND createMainWindow(HINSTANCE instance);

// Pumps the thread's messages until WM_QUIT, then uninitialises the COM that WM_CREATE
// initialised. Returns the process's exit code, 0.
int runMessageLoop();

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
