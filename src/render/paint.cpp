// Frame painting: canvas and lines, toolbar, title bar with logo, title and
// button glyphs, then the open menu with its shadows. Later steps paint over
// earlier ones, so the chrome covers lines that reach outside the canvas.
#include "paint.h"

#include <cwchar>

#include "../chrome/windowLayout.h"
#include "../menu/menuTable.h"
#include "deviceResources.h"

namespace
{
const float canvasFrameWidth = 1.0f;      // DIPs
const float lineWidth = 2.0f;             // DIPs
const float saveButtonCornerRadius = 4.0f; // DIPs
const float shadowSpread = 2.0f;          // DIPs
const float menuGlyphColumnWidth = 36.0f; // DIPs
const float menuLabelRightInset = 12.0f;  // DIPs
const float menuSeparatorInset = 8.0f;    // DIPs
const float menuSeparatorWidth = 1.0f;    // pixels at every DPI
const float titleBarHeight = 32.0f;       // DIPs
const int titleBufferLength = 256;        // characters, terminator included
const wchar_t saveButtonCaption[] = L"Save Image";

D2D1_RECT_F toD2D(Rect rect)
{
    return D2D1::RectF(rect.left, rect.top, rect.right, rect.bottom);
}

void drawString(ID2D1RenderTarget* target, const wchar_t* text, UINT32 length, IDWriteTextFormat* format,
                Rect box, ID2D1Brush* brush)
{
    if (format && brush)
        target->DrawText(text, length, format, toD2D(box), brush, D2D1_DRAW_TEXT_OPTIONS_NONE,
                         DWRITE_MEASURING_MODE_NATURAL);
}

void fill(ID2D1RenderTarget* target, Rect rect, ID2D1Brush* brush)
{
    if (brush)
        target->FillRectangle(toD2D(rect), brush);
}

// A 10 % black shape rendered off screen, blurred, and composited at the rectangle.
// If the offscreen target, its bitmap or the blur output cannot be had, that shadow is skipped.
void drawShadow(const WindowState& state, Rect rect)
{
    ID2D1BitmapRenderTarget* offscreen = nullptr;
    ID2D1Bitmap* shape = nullptr;
    ID2D1Image* blurred = nullptr;

    HRESULT hr = state.renderTarget->CreateCompatibleRenderTarget(&offscreen);
    if (SUCCEEDED(hr))
    {
        offscreen->BeginDraw();
        offscreen->Clear(D2D1::ColorF(0, 0, 0, 0));
        offscreen->FillRectangle(D2D1::RectF(0, 0, rect.right - rect.left, rect.bottom - rect.top), state.shadowBrush);
        offscreen->EndDraw();
        hr = offscreen->GetBitmap(&shape);
    }
    safeRelease(offscreen);
    if (SUCCEEDED(hr))
    {
        state.shadowBlur->SetInput(0, shape, TRUE);
        safeRelease(shape); // the effect keeps its own reference
        state.shadowBlur->GetOutput(&blurred);
        hr = blurred ? S_OK : E_FAIL;
    }
    if (SUCCEEDED(hr))
        state.deviceContext->DrawImage(blurred, D2D1::Point2F(rect.left, rect.top), D2D1_INTERPOLATION_MODE_LINEAR,
                                       D2D1_COMPOSITE_MODE_SOURCE_OVER);
    safeRelease(blurred);
    safeRelease(shape);
}

void paintCanvas(const WindowState& state, HWND window, float s)
{
    const Rect canvas = canvasRect(window, s);
    if (!(canvas.right > canvas.left) || !(canvas.bottom > canvas.top))
        return;
    ID2D1RenderTarget* target = state.renderTarget;
    if (state.canvasBorderBrush)
        target->DrawRectangle(toD2D(canvas), state.canvasBorderBrush, canvasFrameWidth * s);
    ID2D1SolidColorBrush* const brushes[2] = {state.lineBrush, state.selectedLineBrush};
    for (const Line& line : state.lines)
        if (ID2D1SolidColorBrush* brush = brushes[line.selected])
            target->DrawLine(D2D1::Point2F(line.x1, line.y1), D2D1::Point2F(line.x2, line.y2), brush, lineWidth * s);
    if (state.drawing && state.lineBrush)
        target->DrawLine(D2D1::Point2F(state.draftLine.x1, state.draftLine.y1),
                         D2D1::Point2F(state.draftLine.x2, state.draftLine.y2), state.lineBrush, lineWidth * s);
}

void paintToolbar(const WindowState& state, HWND window, ClientSize client, float s)
{
    ID2D1RenderTarget* target = state.renderTarget;
    fill(target, toolbarRect(client, s), state.chromeBrush);
    const Rect button = saveButtonRect(window, s);
    ID2D1SolidColorBrush* face = state.saveButtonHovered ? state.hoverFillBrush : state.saveButtonBrush;
    if (face)
        target->FillRoundedRectangle(
            D2D1::RoundedRect(toD2D(button), saveButtonCornerRadius * s, saveButtonCornerRadius * s), face);
    drawString(target, saveButtonCaption, static_cast<UINT32>(wcslen(saveButtonCaption)), state.buttonTextFormat,
               button, state.saveButtonTextBrush);
}

void paintTitleBar(const WindowState& state, HWND window, ClientSize client, float s)
{
    ID2D1RenderTarget* target = state.renderTarget;
    fill(target, titleBarRect(client, s), state.chromeBrush);
    if (state.logoBitmap)
        target->DrawBitmap(state.logoBitmap, toD2D(logoRect(s)), 1.0f, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR, nullptr);

    wchar_t title[titleBufferLength] = {};
    GetWindowTextW(window, title, titleBufferLength);
    const unsigned titleLength = static_cast<unsigned>(wcslen(title));
    drawString(target, title, titleLength, state.textFormat, titleTextRect(titleLength, s), state.textBrush);

    const CaptionButton hovered = state.hoveredButton;
    if (hovered == CaptionButton::None || (hovered == CaptionButton::Menu && state.menuOpen))
        return;
    ID2D1SolidColorBrush* background;
    if (hovered == CaptionButton::Close)
        background = state.pressedButton == CaptionButton::Close ? state.closePressedBrush : state.closeHoverBrush;
    else
        background = state.pressedButton == hovered ? state.buttonPressedBrush : state.buttonHoverBrush;
    fill(target, captionButtonRect(window, hovered, s), background);
}

// The open menu's shadows grow 2 x s beyond the tab (full title-bar height) and the popup (not at its top).
Rect tabShadowRect(Rect menuButton, float s)
{
    return {menuButton.left - shadowSpread * s, 0, menuButton.right + shadowSpread * s, titleBarHeight * s};
}

Rect popupShadowRect(Rect popup, float s)
{
    return {popup.left - shadowSpread * s, titleBarHeight * s, popup.right + shadowSpread * s,
            popup.bottom + shadowSpread * s};
}

void paintMenu(const WindowState& state, HWND window, float s)
{
    ID2D1RenderTarget* target = state.renderTarget;
    const Rect tab = captionButtonRect(window, CaptionButton::Menu, s);
    const Rect popup = menuPopupRect(window, s);
    const Rect tabShadow = tabShadowRect(tab, s);
    const Rect popupShadow = popupShadowRect(popup, s);
    if (state.deviceContext && state.shadowBlur)
    {
        drawShadow(state, tabShadow);
        drawShadow(state, popupShadow);
    }
    else
    {
        fill(target, tabShadow, state.shadowBrush);
        fill(target, popupShadow, state.shadowBrush);
    }
    fill(target, tab, state.menuBrush);
    fill(target, popup, state.menuBrush);

    for (int32_t index = 0; index < menuEntryCount; ++index)
    {
        const MenuEntry& entry = menuEntries[index];
        const Rect row = menuEntryRect(window, s, index);
        if (entry.isSeparator)
        {
            const float middle = (row.top + row.bottom) * 0.5f;
            if (state.separatorBrush)
                target->DrawLine(D2D1::Point2F(row.left + menuSeparatorInset * s, middle),
                                 D2D1::Point2F(row.right - menuSeparatorInset * s, middle), state.separatorBrush,
                                 menuSeparatorWidth);
            continue;
        }
        if (state.hoveredMenuItem == index)
            fill(target, row, state.hoverFillBrush);
        const float glyphRight = row.left + menuGlyphColumnWidth * s;
        drawString(target, entry.glyph, 1, state.iconFormat, {row.left, row.top, glyphRight, row.bottom},
                   state.textBrush);
        drawString(target, entry.label, static_cast<UINT32>(wcslen(entry.label)), state.textFormat,
                   {glyphRight, row.top, row.right - menuLabelRightInset * s, row.bottom}, state.textBrush);
    }
}

void paintCaptionGlyphs(const WindowState& state, HWND window, float s)
{
    ID2D1RenderTarget* target = state.renderTarget;
    const int maximizeGlyph = IsZoomed(window) ? RestoreGlyph : MaximizeGlyph;
    ID2D1SolidColorBrush* closeBrush =
        state.pressedButton == CaptionButton::Close ? state.closeGlyphBrush : state.textBrush;
    drawString(target, &glyphString[MenuGlyph], 1, state.iconFormat, captionButtonRect(window, CaptionButton::Menu, s),
               state.textBrush);
    drawString(target, &glyphString[MinimizeGlyph], 1, state.iconFormat,
               captionButtonRect(window, CaptionButton::Minimize, s), state.textBrush);
    drawString(target, &glyphString[maximizeGlyph], 1, state.iconFormat,
               captionButtonRect(window, CaptionButton::Maximize, s), state.textBrush);
    drawString(target, &glyphString[CloseGlyph], 1, state.iconFormat, captionButtonRect(window, CaptionButton::Close, s),
               closeBrush);
}
} // namespace

LRESULT onPaint(WindowState* state, HWND window)
{
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    if (!state || !state->renderTarget)
    {
        EndPaint(window, &paint);
        return 0;
    }
    const float s = state->dpiScale;
    const ClientSize client = clientSizeOf(window);
    ID2D1HwndRenderTarget* target = state->renderTarget;

    target->BeginDraw();
    target->Clear(D2D1::ColorF(1, 1, 1, 1));
    paintCanvas(*state, window, s);
    paintToolbar(*state, window, client, s);
    paintTitleBar(*state, window, client, s);
    if (state->menuOpen)
        paintMenu(*state, window, s);
    paintCaptionGlyphs(*state, window, s);
    const HRESULT ended = target->EndDraw();
    EndPaint(window, &paint);

    // A lost device would otherwise leave the window blank for the rest of its life.
    if (ended == static_cast<HRESULT>(D2DERR_RECREATE_TARGET))
        recreateWindowTarget(*state, window);
    return 0;
}
