// The accessible tree's answers, from the same layout operations that painting and the pointer
// handlers use, so a screen reader reports what is drawn and where a click lands.
#include "accessibleTree.h"

#include <cmath>
#include <cwchar>

#include "../menu/menuTable.h"

namespace
{
const float lineStrokeWidth = 2.0f; // DIPs, as painted

int32_t childOfButton(CaptionButton button)
{
    switch (button)
    {
    case CaptionButton::Menu:     return MenuButtonChild;
    case CaptionButton::Minimize: return MinimizeChild;
    case CaptionButton::Maximize: return MaximizeChild;
    case CaptionButton::Close:    return CloseChild;
    default:                      return SelfChild;
    }
}

unsigned titleLengthOf(const AccessibleView& view)
{
    return static_cast<unsigned>(view.title.size());
}

bool isEmpty(const Rect& r)
{
    return !(r.right > r.left) || !(r.bottom > r.top);
}

std::wstring lineName(const std::vector<Line>& lines, size_t index)
{
    const Line& line = lines[index];
    const float dx = line.x2 - line.x1, dy = line.y2 - line.y1;
    const float length = std::sqrt(dx * dx + dy * dy);
    wchar_t text[160];
    swprintf(text, 160, L"Line %zu of %zu: from (%ld, %ld) to (%ld, %ld), %ld pixels", index + 1, lines.size(),
             std::lround(line.x1), std::lround(line.y1), std::lround(line.x2), std::lround(line.y2),
             std::lround(length));
    return text;
}

// The states a control reports; clients are told when any of them changes.
int32_t controlState(const AccessibleView& view, int32_t child)
{
    const auto hot = [](bool hovered) { return hovered ? State::hotTracked : 0; };
    switch (child)
    {
    case MenuButtonChild:
        return State::hasPopup | (view.menuOpen ? State::expanded : 0) | hot(view.hoveredButton == CaptionButton::Menu);
    case MinimizeChild:
    case MaximizeChild:
    case CloseChild:
        return hot(view.hoveredButton == buttonOf(child)) |
               (view.pressedButton == buttonOf(child) ? State::pressed : 0);
    case SaveImageChild:
        return hot(view.saveButtonHovered);
    case CanvasChild:
        return isEmpty(canvasRect(view.client, view.dpiScale)) ? State::invisible : 0;
    case ExportItemChild:
    case ExitItemChild:
        return view.menuOpen ? hot(view.hoveredMenuItem == menuIndexOf(child)) : State::invisible;
    default:
        return 0;
    }
}
} // namespace

CaptionButton buttonOf(int32_t child)
{
    switch (child)
    {
    case MenuButtonChild: return CaptionButton::Menu;
    case MinimizeChild:   return CaptionButton::Minimize;
    case MaximizeChild:   return CaptionButton::Maximize;
    case CloseChild:      return CaptionButton::Close;
    default:              return CaptionButton::None;
    }
}

bool isMenuItem(int32_t child)
{
    return child == ExportItemChild || child == ExitItemChild;
}

int32_t menuIndexOf(int32_t child)
{
    return child == ExportItemChild ? 0 : 2;
}

int32_t childCount(const AccessibleView& view)
{
    return controlCount + static_cast<int32_t>(view.lines->size());
}

bool isChild(const AccessibleView& view, int32_t child)
{
    return child >= 0 && (!isLine(child) || lineIndexOf(child) < view.lines->size());
}

bool isLine(int32_t child)
{
    return child >= FirstLineChild;
}

size_t lineIndexOf(int32_t child)
{
    return static_cast<size_t>(child - FirstLineChild);
}

std::wstring childName(const AccessibleView& view, int32_t child)
{
    if (isLine(child))
        return lineName(*view.lines, lineIndexOf(child));
    switch (child)
    {
    case SelfChild:       return view.title;
    case MenuButtonChild: return L"Menu";
    case MinimizeChild:   return L"Minimize";
    case MaximizeChild:   return view.maximised ? L"Restore" : L"Maximize";
    case CloseChild:      return L"Close";
    case SaveImageChild:  return L"Save Image";
    case CanvasChild:     return L"Canvas";
    default:              return menuEntries[menuIndexOf(child)].label;
    }
}

int32_t childRole(int32_t child)
{
    if (isLine(child))
        return Role::graphic;
    if (child == SelfChild || child == CanvasChild)
        return Role::client;
    if (child == MenuButtonChild)
        return Role::buttonMenu;
    return isMenuItem(child) ? Role::menuItem : Role::pushButton;
}

int32_t childState(const AccessibleView& view, int32_t child)
{
    if (isLine(child))
        return State::selectable | ((*view.lines)[lineIndexOf(child)].selected ? State::selected : 0);
    if (child == SelfChild)
        return view.visible ? 0 : State::invisible;
    return controlState(view, child);
}

Rect childRect(const AccessibleView& view, int32_t child)
{
    const float s = view.dpiScale;
    if (isLine(child))
    {
        const Line& line = (*view.lines)[lineIndexOf(child)];
        const float halfStroke = lineStrokeWidth * s / 2;
        return {std::fmin(line.x1, line.x2) - halfStroke, std::fmin(line.y1, line.y2) - halfStroke,
                std::fmax(line.x1, line.x2) + halfStroke, std::fmax(line.y1, line.y2) + halfStroke};
    }
    switch (child)
    {
    case SelfChild:       return {0, 0, static_cast<float>(view.client.width), static_cast<float>(view.client.height)};
    case SaveImageChild:  return saveButtonRect(view.client, s);
    case CanvasChild:     return canvasRect(view.client, s);
    case ExportItemChild:
    case ExitItemChild:   return menuEntryRect(view.client, titleLengthOf(view), s, menuIndexOf(child));
    default:              return captionButtonRect(buttonOf(child), view.client, titleLengthOf(view), s);
    }
}

PixelBox pixelsCovering(const Rect& rect)
{
    const long left = static_cast<long>(std::floor(rect.left));
    const long top = static_cast<long>(std::floor(rect.top));
    const long right = static_cast<long>(std::ceil(rect.right));
    const long bottom = static_cast<long>(std::ceil(rect.bottom));
    return {left, top, right > left ? right - left : 0, bottom > top ? bottom - top : 0};
}

std::wstring canvasValue(const std::vector<Line>& lines)
{
    if (lines.empty())
        return L"No lines";
    size_t selected = 0;
    for (const Line& line : lines)
        selected += line.selected;
    wchar_t text[80];
    swprintf(text, 80, L"%zu %ls, %zu selected", lines.size(), lines.size() == 1 ? L"line" : L"lines", selected);
    return text;
}

const wchar_t* childDefaultAction(const AccessibleView& view, int32_t child)
{
    if (child == MenuButtonChild)
        return view.menuOpen ? L"Close" : L"Open";
    if (isMenuItem(child))
        return L"Execute";
    if (child >= MinimizeChild && child <= SaveImageChild)
        return L"Press";
    return nullptr;
}

int32_t childAtPoint(const AccessibleView& view, int32_t x, int32_t y)
{
    const float s = view.dpiScale;
    const float fx = static_cast<float>(x), fy = static_cast<float>(y);
    if (!contains(childRect(view, SelfChild), fx, fy))
        return noChild;
    if (view.menuOpen && contains(menuPopupRect(view.client, titleLengthOf(view), s), fx, fy))
    {
        for (int32_t index = 0; index < menuEntryCount; ++index)
            if (!menuEntries[index].isSeparator &&
                contains(menuEntryRect(view.client, titleLengthOf(view), s, index), fx, fy))
                return index == 0 ? ExportItemChild : ExitItemChild;
        return SelfChild;
    }
    const CaptionButton button = captionButtonAtPoint(fx, fy, view.client, titleLengthOf(view), s);
    if (button != CaptionButton::None)
        return childOfButton(button);
    if (contains(saveButtonRect(view.client, s), fx, fy))
        return SaveImageChild;
    if (contains(canvasRect(view.client, s), fx, fy))
    {
        const int32_t index = hitTestLines(view.lines->data(), view.lines->data() + view.lines->size(), x, y, s);
        return index < 0 ? CanvasChild : FirstLineChild + index;
    }
    return SelfChild;
}

int32_t childAfterStep(const AccessibleView& view, Step step, int32_t from)
{
    const int32_t last = childCount(view);
    switch (step)
    {
    case Step::FirstChild: return from == SelfChild ? MenuButtonChild : noChild;
    case Step::LastChild:  return from == SelfChild ? last : noChild;
    case Step::Next:       return from != SelfChild && from < last ? from + 1 : noChild;
    case Step::Previous:   return from > MenuButtonChild ? from - 1 : noChild;
    }
    return noChild;
}

std::vector<int32_t> selectedChildren(const std::vector<Line>& lines)
{
    std::vector<int32_t> children;
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].selected)
            children.push_back(FirstLineChild + static_cast<int32_t>(i));
    return children;
}
