// Canvas editing: drawing lines with two clicks, selection with the right
// button, deletion with the Delete key. Called from the window's input handlers.
#include "canvasInput.h"

#include <new>

#include "../chrome/windowLayout.h"

bool pressOnCanvas(WindowState& state, HWND window, POINT clientPoint)
{
    if (!contains(canvasRect(window, state.dpiScale), clientPoint))
        return false;
    const float x = static_cast<float>(clientPoint.x);
    const float y = static_cast<float>(clientPoint.y);
    if (!state.drawing)
    {
        state.drawing = true;
        state.draftLine = {x, y, x, y};
    }
    else
    {
        // The click's own point ends the line, not the draft's clamped end.
        const Line line = {state.draftLine.x1, state.draftLine.y1, x, y, 0};
        try
        {
            appendLine(state.lines, line);
            state.drawing = false;
        }
        catch (const std::bad_alloc&)
        {
            // Out of memory: the drawing stays as it was and the draft stays, so the user can try again.
            return true;
        }
    }
    repaint(window);
    return true;
}

void followPointerWithDraft(WindowState& state, HWND window, POINT clientPoint)
{
    if (!state.drawing)
        return;
    const Rect canvas = canvasRect(window, state.dpiScale);
    const float x = static_cast<float>(clientPoint.x);
    const float y = static_cast<float>(clientPoint.y);
    // Right and bottom edges are reachable here although a click there is outside.
    state.draftLine.x2 = x < canvas.left ? canvas.left : (x < canvas.right ? x : canvas.right);
    state.draftLine.y2 = y < canvas.top ? canvas.top : (y < canvas.bottom ? y : canvas.bottom);
    repaint(window);
}

LRESULT onRightButtonDown(WindowState& state, HWND window, LPARAM lParam)
{
    if (state.drawing)
    {
        state.drawing = false;
        repaint(window);
        return 0;
    }
    const POINT point = pointFromLParam(lParam);
    if (!contains(canvasRect(window, state.dpiScale), point))
        return 0;
    const int32_t index =
        hitTestLines(state.lines.data(), state.lines.data() + state.lines.size(), point.x, point.y, state.dpiScale);
    if (index < 0)
        return 0;
    toggleSelection(state.lines, index);
    repaint(window);
    return 0;
}

LRESULT onKeyDown(WindowState& state, HWND window, WPARAM wParam)
{
    if (wParam != VK_DELETE || !hasSelection(state.lines))
        return 0;
    const int answer =
        MessageBoxW(window, L"Delete the selected line(s)?", L"Confirm Delete", MB_YESNO | MB_ICONQUESTION);
    // The box runs its own message loop; if the window was destroyed meanwhile the record is gone.
    if (answer != IDYES || stateOf(window) != &state)
        return 0;
    deleteSelectedLines(state.lines);
    repaint(window);
    return 0;
}

void discardDraft(WindowState& state)
{
    state.drawing = false;
    state.draftLine = {0, 0, 0, 0};
}
