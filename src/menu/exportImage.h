// PNG export of the canvas and the toolbar's Save Image button that starts it.
#pragma once

#include "../app/windowState.h"

// Asks for a file name, renders the canvas off screen and writes it as PNG.
// A failure shows "Could not save the image."; a cancelled dialog does nothing.
void exportImage(WindowState& state, HWND window);

void hoverSaveButton(WindowState& state, HWND window, POINT clientPoint);

// Press on the button: held with the capture. False if the point is not on it.
bool pressSaveButton(WindowState& state, HWND window, POINT clientPoint);

// Release of a held press: exports when released on the button.
void releaseSaveButton(WindowState& state, HWND window, POINT clientPoint);

void cancelSavePressOnCaptureLoss(WindowState& state, HWND window);
