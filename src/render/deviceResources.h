// Direct2D and DirectWrite objects the window paints with: the render target
// and what is made from it, the brush palette, the text formats and the blur.
// Called by the window's create, DPI and destroy handlers and by painting.
#pragma once

#include "../app/windowState.h"

// Render target at the client size and 96 DPI, its device context, dpiScale,
// chromeBrush and the logo. Fails only when the render target cannot be made.
HRESULT createWindowTarget(WindowState& state, HWND window);

// Text formats, the fifteen palette brushes and the blur, at the current dpiScale,
// replacing what was there. Brushes and blur need the render target; without one
// only the formats are made.
void createDeviceResources(WindowState& state);

// After EndDraw reports D2DERR_RECREATE_TARGET: drop the render target and all
// made from it, make them again at the current size and DPI, and repaint.
void recreateWindowTarget(WindowState& state, HWND window);

// Returns once the frames drawn so far have been presented. Called before this thread creates a
// window (a dialog, a box), so that no present is still in flight while it is made.
// A failure (no device context) only means there was nothing to wait for.
HRESULT finishPresentedFrames(const WindowState& state);
