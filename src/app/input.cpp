// Mouse routing. The targets share the mouse messages; the order in which each
// handler offers a message to them is fixed here and nowhere else.
#include "input.h"

#include "../canvas/canvasInput.h"
#include "../chrome/frame.h"
#include "../menu/appMenu.h"
#include "../menu/exportImage.h"

LRESULT onMouseMove(WindowState& state, HWND window, LPARAM lParam)
{
    const POINT point = pointFromLParam(lParam);
    revealTaskbar(state, window, point);
    hoverCaptionButtons(state, window, point);
    hoverSaveButton(state, window, point);
    hoverMenuEntries(state, window, point);
    followPointerWithDraft(state, window, point);
    armLeaveTracking(state, window);
    return 0;
}

LRESULT onLeftButtonDown(WindowState& state, HWND window, LPARAM lParam)
{
    const POINT point = pointFromLParam(lParam);
    if (swallowPressInPopup(state, window, point)) return 0;
    if (pressCaptionButton(state, window, point)) return 0;
    if (pressMenuButton(state, window, point)) return 0;
    if (closeMenuOnPressElsewhere(state, window)) return 0;
    if (pressSaveButton(state, window, point)) return 0;
    pressOnCanvas(state, window, point);
    return 0;
}

LRESULT onLeftButtonUp(WindowState& state, HWND window, LPARAM lParam)
{
    const POINT point = pointFromLParam(lParam);
    if (releaseInPopup(state, window, point)) return 0;
    releaseCaptionButton(state, window, point);
    releaseSaveButton(state, window, point);
    return 0;
}

LRESULT onCaptureChanged(WindowState& state, HWND window)
{
    cancelCaptionPressOnCaptureLoss(state, window);
    cancelSavePressOnCaptureLoss(state, window);
    return 0;
}

LRESULT onMouseLeave(WindowState& state, HWND window)
{
    leaveCaptionButtons(state);
    state.saveButtonHovered = false;
    state.saveButtonPressed = false;
    state.trackingLeave = false;
    state.hoveredMenuItem = -1;
    repaint(window);
    return 0;
}

LRESULT onNcLeftButtonDown(WindowState* state, HWND window, WPARAM wParam, LPARAM lParam)
{
    if (state)
        closeMenuOnNonClientPress(*state, window, lParam);
    return DefWindowProcW(window, WM_NCLBUTTONDOWN, wParam, lParam);
}
