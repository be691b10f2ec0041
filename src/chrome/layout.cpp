// Layout arithmetic for the title bar, toolbar, canvas and menu popup. Every
// length is a DIP constant times dpiScale in single precision, in the order
// the painter and the pointer tests must share.
#include "layout.h"

#include <algorithm>

#include "../menu/menuTable.h"

namespace
{
const float titleBarHeight = 32.0f;    // DIPs
const float captionButtonWidth = 46.0f; // DIPs
const unsigned titleWidthPerCharacter = 8; // DIPs
const unsigned titleWidthBase = 32;        // DIPs
const float toolbarHeight = 48.0f;      // DIPs
const float saveButtonWidth = 116.0f;   // DIPs
const float saveButtonHeight = 32.0f;   // DIPs
const float saveButtonRightMargin = 10.0f; // DIPs
const float canvasMargin = 10.0f;       // DIPs
const float menuWidthCap = 200.0f;      // DIPs
const int menuItemRowHeight = 32;       // DIPs
const int menuSeparatorRowHeight = 9;   // DIPs
const unsigned titleTextWidthPerCharacter = 36; // DIPs
const float resizeBorder = 8.0f;        // DIPs

float titleWidth(unsigned titleLength, float s)
{
    return static_cast<float>(titleWidthPerCharacter * titleLength + titleWidthBase) * s;
}

int rowHeight(const MenuEntry& entry)
{
    return entry.isSeparator ? menuSeparatorRowHeight : menuItemRowHeight;
}

int allRowsHeight()
{
    int height = 0;
    for (const MenuEntry& entry : menuEntries)
        height += rowHeight(entry);
    return height;
}

float smaller(float a, float b)
{
    return b < a ? b : a;
}
} // namespace

bool contains(const Rect& rect, float x, float y)
{
    return rect.left <= x && x < rect.right && rect.top <= y && y < rect.bottom;
}

Rect captionButtonRect(CaptionButton button, ClientSize client, unsigned titleLength, float s)
{
    const float w = static_cast<float>(client.width);
    const float bw = captionButtonWidth * s;
    const float bh = titleBarHeight * s;
    switch (button)
    {
    case CaptionButton::Minimize: return {w - 3 * bw, 0, w - 2 * bw, bh};
    case CaptionButton::Maximize: return {w - 2 * bw, 0, w - bw, bh};
    case CaptionButton::Close:    return {w - bw, 0, w, bh};
    case CaptionButton::Menu:
    {
        const float tw = titleWidth(titleLength, s);
        return {tw, 0, tw + bw, bh};
    }
    default: return {0, 0, 0, 0};
    }
}

Rect menuPopupRect(ClientSize client, unsigned titleLength, float s)
{
    const float left = titleWidth(titleLength, s);
    const float top = titleBarHeight * s;
    const float right = left + smaller(static_cast<float>(client.width) - left, menuWidthCap * s);
    const float bottom = top + smaller(static_cast<float>(client.height) - top, static_cast<float>(allRowsHeight()) * s);
    return {left, top, right, bottom};
}

Rect menuEntryRect(ClientSize client, unsigned titleLength, float s, int32_t index)
{
    const Rect popup = menuPopupRect(client, titleLength, s);
    float top = titleBarHeight * s;
    for (int32_t row = 0; row < index && row < menuEntryCount; ++row)
        top += static_cast<float>(rowHeight(menuEntries[row])) * s;
    const float height = index >= 0 && index < menuEntryCount ? static_cast<float>(rowHeight(menuEntries[index])) * s : 0;
    return {popup.left, top, popup.right, top + height};
}

Rect saveButtonRect(ClientSize client, float s)
{
    const float right = static_cast<float>(client.width) - saveButtonRightMargin * s;
    const float left = right - saveButtonWidth * s;
    const float toolbarBottom = (toolbarHeight + titleBarHeight) * s;
    const float top = titleBarHeight * s + ((toolbarBottom - titleBarHeight * s) - saveButtonHeight * s) * 0.5f;
    return {left, top, right, top + saveButtonHeight * s};
}

Rect canvasRect(ClientSize client, float s)
{
    const float top = (toolbarHeight * s + titleBarHeight * s) + canvasMargin * s;
    return {canvasMargin * s, top, static_cast<float>(client.width) - canvasMargin * s,
            static_cast<float>(client.height) - canvasMargin * s};
}

Rect titleBarRect(ClientSize client, float s)
{
    return {0, 0, static_cast<float>(client.width), titleBarHeight * s};
}

Rect toolbarRect(ClientSize client, float s)
{
    return {0, titleBarHeight * s, static_cast<float>(client.width), toolbarHeight * s + titleBarHeight * s};
}

Rect logoRect(float s)
{
    return {7 * s, 7 * s, 25 * s, 24 * s};
}

Rect titleTextRect(unsigned titleLength, float s)
{
    return {32 * s, 2 * s, static_cast<float>(titleTextWidthPerCharacter * titleLength) * s, 28 * s};
}

CaptionButton captionButtonAtPoint(float x, float y, ClientSize client, unsigned titleLength, float s)
{
    const CaptionButton order[] = {CaptionButton::Close, CaptionButton::Maximize, CaptionButton::Minimize,
                                   CaptionButton::Menu};
    for (CaptionButton button : order)
        if (contains(captionButtonRect(button, client, titleLength, s), x, y))
            return button;
    return CaptionButton::None;
}

int wholePixels(float dips, float scale)
{
    return static_cast<int>(dips * scale);
}

FrameZone frameZoneAt(int x, int y, int width, int height, float scale)
{
    const int border = wholePixels(resizeBorder, scale);
    if (y < border)
        return x < border ? FrameZone::TopLeft : x > width - border ? FrameZone::TopRight : FrameZone::Top;
    if (y > height - border)
        return x < border ? FrameZone::BottomLeft : x > width - border ? FrameZone::BottomRight : FrameZone::Bottom;
    if (x < border)
        return FrameZone::Left;
    if (x > width - border)
        return FrameZone::Right;
    if (y < wholePixels(titleBarHeight, scale))
        return FrameZone::Caption;
    return FrameZone::Client;
}

bool nearEdge(int x, int y, int left, int top, int right, int bottom, int band)
{
    return x <= left + band || y <= top + band || x >= right - band || y >= bottom - band;
}

ScreenRect maximisedClientRect(ScreenRect proposed, ScreenRect workArea)
{
    const ScreenRect clipped = {std::max(proposed.left, workArea.left), std::max(proposed.top, workArea.top),
                                std::min(proposed.right, workArea.right), std::min(proposed.bottom, workArea.bottom)};
    if (clipped.left >= clipped.right || clipped.top >= clipped.bottom)
        return proposed;
    return clipped;
}
