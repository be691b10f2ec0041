// The self-drawn frame: no system non-client area, hit testing that makes the
// title bar move and the edges size the window, and the four title-bar buttons.
// The mouse handlers in app/input.cpp call the steps below in their fixed order.
#pragma once

#include "../app/windowState.h"
#include "windowLayout.h"

LRESULT onNcCalcSize(HWND window, WPARAM wParam, LPARAM lParam);
// Under Wine only: a maximised window covers its monitor's work area and nothing more.
LRESULT onGetMinMaxInfo(HWND window, WPARAM wParam, LPARAM lParam);
LRESULT onNcHitTest(const WindowState* state, HWND window, LPARAM lParam);

// Close, Maximize, Minimize, Menu, in that order: the first that holds the client point.
CaptionButton captionButtonAt(const WindowState& state, HWND window, POINT clientPoint);

// While maximised, a pointer within 5 pixels of a monitor edge brings the taskbar forward.
void revealTaskbar(const WindowState& state, HWND window, POINT clientPoint);

// Hover: repaints only when the hovered button changes.
void hoverCaptionButtons(WindowState& state, HWND window, POINT clientPoint);

// Press on Minimize, Maximize or Close: held with the capture. False if the point is on none.
bool pressCaptionButton(WindowState& state, HWND window, POINT clientPoint);

// Release: acts if over the pressed button, then ends any press and releases the capture.
void releaseCaptionButton(WindowState& state, HWND window, POINT clientPoint);

// What a click on Minimize, Maximize or Close does; nothing for the other values.
void runWindowButton(HWND window, CaptionButton button);

// Capture taken away: a held Minimize, Maximize or Close press ends; a Menu press stays.
void cancelCaptionPressOnCaptureLoss(WindowState& state, HWND window);

// Pointer left the window: hover cleared, and unless the menu is open the press ends.
void leaveCaptionButtons(WindowState& state);

// Asks for WM_MOUSELEAVE once per entry into the window.
void armLeaveTracking(WindowState& state, HWND window);
