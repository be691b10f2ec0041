// What a screen reader finds in the window, as plain arithmetic on what the window shows: the
// children of the client area with their names, roles, states, rectangles and default actions,
// the child under a point and the order they are walked in. The COM object answers from these.
// No <windows.h>: the native tests build it too.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "../canvas/lineStore.h"
#include "../chrome/layout.h"

// Fixed ids of the controls; the lines follow them in store order. 0 is the client area itself.
enum ChildId : int32_t
{
    SelfChild = 0,
    MenuButtonChild = 1,
    MinimizeChild = 2,
    MaximizeChild = 3,
    CloseChild = 4,
    SaveImageChild = 5,
    CanvasChild = 6,
    ExportItemChild = 7,
    ExitItemChild = 8,
    FirstLineChild = 9,
};
constexpr int32_t controlCount = FirstLineChild - 1;
constexpr int32_t noChild = -1; // a point outside the client area, a walk that leads nowhere

// Active Accessibility's values (oleacc.h), which the object answers unchanged.
namespace Role
{
constexpr int32_t client = 0x0a;     // ROLE_SYSTEM_CLIENT
constexpr int32_t menuItem = 0x0c;   // ROLE_SYSTEM_MENUITEM
constexpr int32_t graphic = 0x28;    // ROLE_SYSTEM_GRAPHIC
constexpr int32_t pushButton = 0x2b; // ROLE_SYSTEM_PUSHBUTTON
constexpr int32_t buttonMenu = 0x39; // ROLE_SYSTEM_BUTTONMENU
} // namespace Role

namespace State
{
constexpr int32_t selected = 0x2;          // STATE_SYSTEM_SELECTED
constexpr int32_t pressed = 0x8;           // STATE_SYSTEM_PRESSED
constexpr int32_t hotTracked = 0x80;       // STATE_SYSTEM_HOTTRACKED
constexpr int32_t expanded = 0x200;        // STATE_SYSTEM_EXPANDED
constexpr int32_t invisible = 0x8000;      // STATE_SYSTEM_INVISIBLE
constexpr int32_t selectable = 0x200000;   // STATE_SYSTEM_SELECTABLE
constexpr int32_t hasPopup = 0x40000000;   // STATE_SYSTEM_HASPOPUP
} // namespace State

// What the tree needs of the window at the moment of a call.
struct AccessibleView
{
    ClientSize client;
    std::wstring title; // as GetWindowTextW gives it into 256 characters; empty where not read
    float dpiScale;
    bool visible;
    bool maximised;
    bool menuOpen;
    int32_t hoveredMenuItem;
    CaptionButton hoveredButton;
    CaptionButton pressedButton;
    bool saveButtonHovered;
    const std::vector<Line>* lines; // never null
};

int32_t childCount(const AccessibleView& view);

// The client area, a control or an existing line.
bool isChild(const AccessibleView& view, int32_t child);
bool isLine(int32_t child);
size_t lineIndexOf(int32_t child);
bool isMenuItem(int32_t child);

// The caption button a control stands for; None for the others.
CaptionButton buttonOf(int32_t child);

// The menuEntries row of a menu item: the separator between the two has no child.
int32_t menuIndexOf(int32_t child);

std::wstring childName(const AccessibleView& view, int32_t child);
int32_t childRole(int32_t child);
int32_t childState(const AccessibleView& view, int32_t child);

// Client rectangle as painting computes it; a line's box is widened by half its stroke.
Rect childRect(const AccessibleView& view, int32_t child);

struct PixelBox
{
    long left, top, width, height;
};

// The whole pixels that cover the rectangle; an empty one has no extent.
PixelBox pixelsCovering(const Rect& rect);

// The canvas's summary of the drawing.
std::wstring canvasValue(const std::vector<Line>& lines);

// "Open", "Close", "Press" or "Execute"; null where a click does nothing (client, canvas, lines).
const wchar_t* childDefaultAction(const AccessibleView& view, int32_t child);

// The child a left press at the client point would reach, in the order the press is offered to
// the targets: the open popup, the caption buttons, Save Image, then the lines over the canvas.
// noChild outside the client area.
int32_t childAtPoint(const AccessibleView& view, int32_t x, int32_t y);

enum class Step
{
    FirstChild,
    LastChild,
    Next,
    Previous,
};

// Children in id order; noChild where the step leads out of them.
int32_t childAfterStep(const AccessibleView& view, Step step, int32_t from);

std::vector<int32_t> selectedChildren(const std::vector<Line>& lines);
