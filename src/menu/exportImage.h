// PNG export of the canvas and the toolbar's Save Image button that starts it.
#pragma once

#include "../app/windowState.h"

// Asks for a file name, renders the canvas off screen and writes it as PNG.
// A failure shows "Could not save the image."; a cancelled dialog does nothing.
void exportImage(WindowState& state, HWND window);

// The save dialog returned no name: a cancel when it reports no error (CommDlgExtendedError 0).
// Any error, such as a path too long for the buffer (FNERR_BUFFERTOOSMALL), is a failure to report.
bool saveDialogCancelled(DWORD dialogError);

// The attempt-th name (0, 1, ...) to write the image under before it replaces path: path with the
// end of its file name replaced by "~", then "~1", "~2", ..., never longer than path, so it fits
// wherever path does (GetTempFileNameW refuses folders longer than MAX_PATH - 14 characters on
// Windows). False once the file name is too short for the attempt.
bool temporaryNameFor(const wchar_t* path, unsigned attempt, wchar_t (&temporary)[MAX_PATH]);

void hoverSaveButton(WindowState& state, HWND window, POINT clientPoint);

// Press on the button: held with the capture. False if the point is not on it.
bool pressSaveButton(WindowState& state, HWND window, POINT clientPoint);

// Release of a held press: exports when released on the button.
void releaseSaveButton(WindowState& state, HWND window, POINT clientPoint);

void cancelSavePressOnCaptureLoss(WindowState& state, HWND window);
