// The accessible object of the client area (IAccessible) and its simple children. Names, roles,
// states and locations are read from WindowState and the layout operations that painting uses,
// at every call, so a screen reader reports what is drawn. The object holds the window handle,
// not the record: once the window is gone every call answers RPC_E_DISCONNECTED.
#include "accessibleWindow.h"

#include <oleacc.h>

#include <cmath>
#include <cwchar>
#include <new>
#include <string>
#include <vector>

#include "../canvas/lineStore.h"
#include "../chrome/frame.h"
#include "../chrome/windowLayout.h"
#include "../menu/appMenu.h"
#include "../menu/exportImage.h"
#include "../menu/menuTable.h"

namespace
{
// Fixed ids of the controls; the lines follow them in store order.
enum ChildId : LONG
{
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
const LONG controlCount = FirstLineChild - 1;
const float lineStrokeWidth = 2.0f; // DIPs, as painted

CaptionButton buttonOf(LONG child)
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

LONG childOfButton(CaptionButton button)
{
    switch (button)
    {
    case CaptionButton::Menu:     return MenuButtonChild;
    case CaptionButton::Minimize: return MinimizeChild;
    case CaptionButton::Maximize: return MaximizeChild;
    case CaptionButton::Close:    return CloseChild;
    default:                      return CHILDID_SELF;
    }
}

// Rows of menuEntries: the two items, the separator between them has no child.
int32_t menuIndexOf(LONG child)
{
    return child == ExportItemChild ? 0 : 2;
}

bool isMenuItem(LONG child)
{
    return child == ExportItemChild || child == ExitItemChild;
}

bool isLine(LONG child)
{
    return child >= FirstLineChild;
}

size_t lineIndexOf(LONG child)
{
    return static_cast<size_t>(child - FirstLineChild);
}

bool canvasIsEmpty(const Rect& canvas)
{
    return !(canvas.right > canvas.left) || !(canvas.bottom > canvas.top);
}

// A child id from a client's VARIANT: VT_I4, and CHILDID_SELF, a control or an existing line.
HRESULT childIdOf(const VARIANT& variant, const WindowState& state, LONG& child)
{
    if (variant.vt != VT_I4 || variant.lVal < 0)
        return E_INVALIDARG;
    if (variant.lVal >= FirstLineChild && lineIndexOf(variant.lVal) >= state.lines.size())
        return E_INVALIDARG;
    child = variant.lVal;
    return S_OK;
}

HRESULT answerString(const std::wstring& text, BSTR* answer)
{
    *answer = SysAllocString(text.c_str());
    return *answer ? S_OK : E_OUTOFMEMORY;
}

void answerChild(LONG child, VARIANT* answer)
{
    answer->vt = VT_I4;
    answer->lVal = child;
}

std::wstring lineName(const std::vector<Line>& lines, size_t index)
{
    const Line& line = lines[index];
    const float length = std::sqrt((line.x2 - line.x1) * (line.x2 - line.x1) + (line.y2 - line.y1) * (line.y2 - line.y1));
    wchar_t text[160];
    swprintf(text, 160, L"Line %zu of %zu: from (%ld, %ld) to (%ld, %ld), %ld pixels", index + 1, lines.size(),
             std::lround(line.x1), std::lround(line.y1), std::lround(line.x2), std::lround(line.y2),
             std::lround(length));
    return text;
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

// The states a control reports; clients are told when any of them changes.
LONG controlState(const WindowState& state, HWND window, LONG child)
{
    const auto hot = [](bool hovered) -> LONG { return hovered ? STATE_SYSTEM_HOTTRACKED : 0; };
    switch (child)
    {
    case MenuButtonChild:
        return STATE_SYSTEM_HASPOPUP | (state.menuOpen ? STATE_SYSTEM_EXPANDED : 0) |
               hot(state.hoveredButton == CaptionButton::Menu);
    case MinimizeChild:
    case MaximizeChild:
    case CloseChild:
        return hot(state.hoveredButton == buttonOf(child)) |
               (state.pressedButton == buttonOf(child) ? STATE_SYSTEM_PRESSED : 0);
    case SaveImageChild:
        return hot(state.saveButtonHovered);
    case CanvasChild:
        return canvasIsEmpty(canvasRect(window, state.dpiScale)) ? STATE_SYSTEM_INVISIBLE : 0;
    case ExportItemChild:
    case ExitItemChild:
        return state.menuOpen ? hot(state.hoveredMenuItem == menuIndexOf(child)) : STATE_SYSTEM_INVISIBLE;
    default:
        return 0;
    }
}

// Client rectangle of a child, as painting computes it; lines take their box widened by the stroke.
Rect clientRectOf(const WindowState& state, HWND window, LONG child)
{
    const float s = state.dpiScale;
    if (isLine(child))
    {
        const Line& line = state.lines[lineIndexOf(child)];
        const float halfStroke = lineStrokeWidth * s / 2;
        return {std::fmin(line.x1, line.x2) - halfStroke, std::fmin(line.y1, line.y2) - halfStroke,
                std::fmax(line.x1, line.x2) + halfStroke, std::fmax(line.y1, line.y2) + halfStroke};
    }
    switch (child)
    {
    case SaveImageChild:  return saveButtonRect(window, s);
    case CanvasChild:     return canvasRect(window, s);
    case ExportItemChild:
    case ExitItemChild:   return menuEntryRect(window, s, menuIndexOf(child));
    case CHILDID_SELF:
    {
        const ClientSize client = clientSizeOf(window);
        return {0, 0, static_cast<float>(client.width), static_cast<float>(client.height)};
    }
    default:              return captionButtonRect(window, buttonOf(child), s);
    }
}

// The child under a client point, in the order a left press offers it to the window's targets.
LONG childAt(const WindowState& state, HWND window, POINT point)
{
    const float s = state.dpiScale;
    if (state.menuOpen && contains(menuPopupRect(window, s), point))
    {
        const int32_t index = menuEntryAt(state, window, point);
        return index < 0 ? LONG{CHILDID_SELF} : LONG{index == 0 ? ExportItemChild : ExitItemChild};
    }
    const CaptionButton button = captionButtonAt(state, window, point);
    if (button != CaptionButton::None)
        return childOfButton(button);
    if (contains(saveButtonRect(window, s), point))
        return SaveImageChild;
    if (contains(canvasRect(window, s), point))
    {
        const int32_t index = hitTestLines(state.lines.data(), state.lines.data() + state.lines.size(), point.x,
                                           point.y, s);
        return index < 0 ? LONG{CanvasChild} : FirstLineChild + index;
    }
    return CHILDID_SELF;
}

// What clients were last told about; a change raises the matching event.
struct Announced
{
    LONG controlStates[controlCount + 1] = {};
    bool maximised = false;
    bool menuOpen = false;
    size_t lineCount = 0;
};

Announced observe(const WindowState& state, HWND window)
{
    Announced now;
    for (LONG child = MenuButtonChild; child <= controlCount; ++child)
        now.controlStates[child] = controlState(state, window, child);
    now.maximised = IsZoomed(window) != 0;
    now.menuOpen = state.menuOpen;
    now.lineCount = state.lines.size();
    return now;
}

// The selected lines, for a client that asks for the selection of several.
class ChildEnumerator final : public IEnumVARIANT
{
public:
    ChildEnumerator(std::vector<LONG> children, size_t position) : children(std::move(children)), position(position) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = riid == IID_IUnknown || riid == IID_IEnumVARIANT ? static_cast<IEnumVARIANT*>(this) : nullptr;
        if (!*object)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = InterlockedDecrement(&references);
        if (left == 0)
            delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* answers, ULONG* fetched) override
    {
        if (!answers || (count > 1 && !fetched))
            return E_POINTER;
        ULONG given = 0;
        for (; given < count && position < children.size(); ++given)
        {
            VariantInit(&answers[given]);
            answerChild(children[position++], &answers[given]);
        }
        if (fetched)
            *fetched = given;
        return given == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override
    {
        const size_t left = children.size() - position;
        position += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override
    {
        position = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override
    {
        if (!copy)
            return E_POINTER;
        *copy = new (std::nothrow) ChildEnumerator(children, position);
        return *copy ? S_OK : E_OUTOFMEMORY;
    }

private:
    LONG references = 1;
    std::vector<LONG> children;
    size_t position;
};
} // namespace

class AccessibleWindow final : public IAccessible
{
public:
    AccessibleWindow(HWND window, const WindowState& state) : window(window), announced(observe(state, window)) {}

    void windowGone() { window = nullptr; }

    void announceChanges(const WindowState& state)
    {
        const Announced now = observe(state, window);
        if (now.menuOpen != announced.menuOpen)
        {
            notify(now.menuOpen ? EVENT_SYSTEM_MENUPOPUPSTART : EVENT_SYSTEM_MENUPOPUPEND, MenuButtonChild);
            notify(EVENT_OBJECT_DEFACTIONCHANGE, MenuButtonChild); // "Open" became "Close" or back
        }
        if (now.maximised != announced.maximised)
            notify(EVENT_OBJECT_NAMECHANGE, MaximizeChild); // "Maximize" became "Restore" or back
        for (LONG child = MenuButtonChild; child <= controlCount; ++child)
            if (now.controlStates[child] != announced.controlStates[child])
                notify(EVENT_OBJECT_STATECHANGE, child);
        if (now.lineCount != announced.lineCount)
        {
            notify(EVENT_OBJECT_REORDER, CHILDID_SELF);
            notify(EVENT_OBJECT_VALUECHANGE, CanvasChild);
        }
        announced = now;
    }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IAccessible
                      ? static_cast<IAccessible*>(this)
                      : nullptr;
        if (!*object)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = InterlockedDecrement(&references);
        if (left == 0)
            delete this;
        return left;
    }

    // IDispatch: clients use the IAccessible methods directly.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        if (count)
            *count = 0;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override
    {
        if (info)
            *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override
    {
        if (!parent)
            return E_POINTER;
        *parent = nullptr;
        if (!live())
            return RPC_E_DISCONNECTED;
        return AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                          reinterpret_cast<void**>(parent));
    }

    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override
    {
        if (!count)
            return E_POINTER;
        *count = 0;
        const WindowState* state = live();
        if (!state)
            return RPC_E_DISCONNECTED;
        *count = static_cast<long>(controlCount + state->lines.size());
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT childVariant, IDispatch** childObject) override
    {
        if (!childObject)
            return E_POINTER;
        *childObject = nullptr;
        LONG child = 0;
        HRESULT hr = checkChild(childVariant, child);
        if (SUCCEEDED(hr) && child == CHILDID_SELF)
            hr = E_INVALIDARG;
        return SUCCEEDED(hr) ? S_FALSE : hr; // every child is a simple element, not an object
    }

    HRESULT STDMETHODCALLTYPE get_accName(VARIANT childVariant, BSTR* name) override
    {
        if (!name)
            return E_POINTER;
        *name = nullptr;
        LONG child = 0;
        const HRESULT hr = checkChild(childVariant, child);
        if (FAILED(hr))
            return hr;
        const WindowState& state = *live();
        if (isLine(child))
            return answerString(lineName(state.lines, lineIndexOf(child)), name);
        switch (child)
        {
        case CHILDID_SELF:
        {
            wchar_t title[256] = {};
            GetWindowTextW(window, title, 256);
            return answerString(title, name);
        }
        case MenuButtonChild: return answerString(L"Menu", name);
        case MinimizeChild:   return answerString(L"Minimize", name);
        case MaximizeChild:   return answerString(IsZoomed(window) ? L"Restore" : L"Maximize", name);
        case CloseChild:      return answerString(L"Close", name);
        case SaveImageChild:  return answerString(L"Save Image", name);
        case CanvasChild:     return answerString(L"Canvas", name);
        default:              return answerString(menuEntries[menuIndexOf(child)].label, name);
        }
    }

    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT childVariant, BSTR* value) override
    {
        if (!value)
            return E_POINTER;
        *value = nullptr;
        LONG child = 0;
        const HRESULT hr = checkChild(childVariant, child);
        if (FAILED(hr))
            return hr;
        return child == CanvasChild ? answerString(canvasValue(live()->lines), value) : S_FALSE;
    }

    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT childVariant, BSTR* text) override
    {
        return noText(childVariant, text);
    }

    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT childVariant, VARIANT* role) override
    {
        if (!role)
            return E_POINTER;
        VariantInit(role);
        LONG child = 0;
        const HRESULT hr = checkChild(childVariant, child);
        if (FAILED(hr))
            return hr;
        role->vt = VT_I4;
        if (isLine(child))
            role->lVal = ROLE_SYSTEM_GRAPHIC;
        else if (child == CHILDID_SELF || child == CanvasChild)
            role->lVal = ROLE_SYSTEM_CLIENT;
        else if (child == MenuButtonChild)
            role->lVal = ROLE_SYSTEM_BUTTONMENU;
        else if (isMenuItem(child))
            role->lVal = ROLE_SYSTEM_MENUITEM;
        else
            role->lVal = ROLE_SYSTEM_PUSHBUTTON;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_accState(VARIANT childVariant, VARIANT* stateAnswer) override
    {
        if (!stateAnswer)
            return E_POINTER;
        VariantInit(stateAnswer);
        LONG child = 0;
        const HRESULT hr = checkChild(childVariant, child);
        if (FAILED(hr))
            return hr;
        const WindowState& state = *live();
        stateAnswer->vt = VT_I4;
        if (isLine(child))
            stateAnswer->lVal =
                STATE_SYSTEM_SELECTABLE | (state.lines[lineIndexOf(child)].selected ? STATE_SYSTEM_SELECTED : 0);
        else if (child == CHILDID_SELF)
            stateAnswer->lVal = IsWindowVisible(window) ? 0 : STATE_SYSTEM_INVISIBLE;
        else
            stateAnswer->lVal = controlState(state, window, child);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT childVariant, BSTR* text) override
    {
        return noText(childVariant, text);
    }

    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* helpFile, VARIANT childVariant, long* topic) override
    {
        if (!helpFile || !topic)
            return E_POINTER;
        *topic = 0;
        return noText(childVariant, helpFile);
    }

    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT childVariant, BSTR* text) override
    {
        return noText(childVariant, text);
    }

    // Tarvo has no keyboard focus inside its window.
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override
    {
        if (!focus)
            return E_POINTER;
        VariantInit(focus);
        return live() ? S_FALSE : RPC_E_DISCONNECTED;
    }

    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override
    {
        if (!selection)
            return E_POINTER;
        VariantInit(selection);
        const WindowState* state = live();
        if (!state)
            return RPC_E_DISCONNECTED;
        std::vector<LONG> selected;
        for (size_t i = 0; i < state->lines.size(); ++i)
            if (state->lines[i].selected)
                selected.push_back(FirstLineChild + static_cast<LONG>(i));
        if (selected.empty())
            return S_FALSE;
        if (selected.size() == 1)
        {
            answerChild(selected[0], selection);
            return S_OK;
        }
        ChildEnumerator* enumerator = new (std::nothrow) ChildEnumerator(std::move(selected), 0);
        if (!enumerator)
            return E_OUTOFMEMORY;
        selection->vt = VT_UNKNOWN;
        selection->punkVal = enumerator;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT childVariant, BSTR* action) override
    {
        if (!action)
            return E_POINTER;
        *action = nullptr;
        LONG child = 0;
        const HRESULT hr = checkChild(childVariant, child);
        if (FAILED(hr))
            return hr;
        if (child == MenuButtonChild)
            return answerString(live()->menuOpen ? L"Close" : L"Open", action);
        if (isMenuItem(child))
            return answerString(L"Execute", action);
        if (child >= MinimizeChild && child <= SaveImageChild)
            return answerString(L"Press", action);
        return S_FALSE; // the client itself, the canvas and the lines have no default action
    }

    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT childVariant) override
    {
        LONG child = 0;
        const HRESULT hr = checkChild(childVariant, child);
        if (FAILED(hr))
            return hr;
        if (!isLine(child) || (flags != SELFLAG_ADDSELECTION && flags != SELFLAG_REMOVESELECTION))
            return E_INVALIDARG;
        if (!IsWindowEnabled(window))
            return E_FAIL; // a modal box is up: the lines it asks about must not change under it
        WindowState& state = *live();
        const bool select = flags == SELFLAG_ADDSELECTION;
        if ((state.lines[lineIndexOf(child)].selected != 0) != select)
        {
            // What a right click on the line does.
            toggleSelection(state.lines, static_cast<int32_t>(lineIndexOf(child)));
            repaint(window);
            notify(select ? EVENT_OBJECT_SELECTIONADD : EVENT_OBJECT_SELECTIONREMOVE, child);
            notify(EVENT_OBJECT_STATECHANGE, child);
        }
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT childVariant) override
    {
        if (!left || !top || !width || !height)
            return E_POINTER;
        *left = *top = *width = *height = 0;
        LONG child = 0;
        const HRESULT hr = checkChild(childVariant, child);
        if (FAILED(hr))
            return hr;
        const Rect r = clientRectOf(*live(), window, child);
        POINT origin = {0, 0};
        ClientToScreen(window, &origin);
        const long rectLeft = static_cast<long>(std::floor(r.left));
        const long rectTop = static_cast<long>(std::floor(r.top));
        *left = origin.x + rectLeft;
        *top = origin.y + rectTop;
        const long rectRight = static_cast<long>(std::ceil(r.right));
        const long rectBottom = static_cast<long>(std::ceil(r.bottom));
        *width = rectRight > rectLeft ? rectRight - rectLeft : 0; // an empty rectangle has no extent
        *height = rectBottom > rectTop ? rectBottom - rectTop : 0;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override
    {
        if (!end)
            return E_POINTER;
        VariantInit(end);
        LONG child = 0;
        const HRESULT hr = checkChild(start, child);
        if (FAILED(hr))
            return hr;
        const LONG last = static_cast<LONG>(controlCount + live()->lines.size());
        LONG to = CHILDID_SELF;
        switch (direction)
        {
        case NAVDIR_FIRSTCHILD: to = child == CHILDID_SELF ? LONG{MenuButtonChild} : LONG{CHILDID_SELF}; break;
        case NAVDIR_LASTCHILD:  to = child == CHILDID_SELF ? last : CHILDID_SELF; break;
        case NAVDIR_NEXT:       to = child != CHILDID_SELF && child < last ? child + 1 : CHILDID_SELF; break;
        case NAVDIR_PREVIOUS:   to = child > MenuButtonChild ? child - 1 : CHILDID_SELF; break;
        case NAVDIR_UP:
        case NAVDIR_DOWN:
        case NAVDIR_LEFT:
        case NAVDIR_RIGHT:      return DISP_E_MEMBERNOTFOUND;
        default:                return E_INVALIDARG;
        }
        if (to == CHILDID_SELF)
            return S_FALSE; // no child that way
        answerChild(to, end);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE accHitTest(long screenX, long screenY, VARIANT* hit) override
    {
        if (!hit)
            return E_POINTER;
        VariantInit(hit);
        const WindowState* state = live();
        if (!state)
            return RPC_E_DISCONNECTED;
        POINT point = {screenX, screenY};
        ScreenToClient(window, &point);
        RECT client = {};
        GetClientRect(window, &client);
        if (!PtInRect(&client, point))
            return S_FALSE;
        answerChild(childAt(*state, window, point), hit);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT childVariant) override
    {
        LONG child = 0;
        const HRESULT hr = checkChild(childVariant, child);
        if (FAILED(hr))
            return hr;
        if (child < MenuButtonChild || child > ExitItemChild || child == CanvasChild)
            return DISP_E_MEMBERNOTFOUND;
        if (!IsWindowEnabled(window))
            return E_FAIL; // a modal box or the save dialog is up
        if (isMenuItem(child) && !live()->menuOpen)
            return E_FAIL; // a closed menu's items cannot be chosen
        return PostMessageW(window, accessibleActionMessage, static_cast<WPARAM>(child), 0) ? S_OK : E_FAIL;
    }

    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    LONG references = 1;
    HWND window;
    Announced announced;

    WindowState* live() const { return window ? stateOf(window) : nullptr; }

    HRESULT checkChild(const VARIANT& variant, LONG& child) const
    {
        const WindowState* state = live();
        return state ? childIdOf(variant, *state, child) : RPC_E_DISCONNECTED;
    }

    // Description, help and shortcut: none for any child.
    HRESULT noText(const VARIANT& variant, BSTR* text) const
    {
        if (!text)
            return E_POINTER;
        *text = nullptr;
        LONG child = 0;
        const HRESULT hr = checkChild(variant, child);
        return FAILED(hr) ? hr : S_FALSE;
    }

    void notify(DWORD event, LONG child) const { NotifyWinEvent(event, window, OBJID_CLIENT, child); }
};

LRESULT onGetObject(WindowState* state, HWND window, WPARAM wParam, LPARAM lParam)
{
    // The object id arrives in the low 32 bits, sign-extended or not.
    if (!state || static_cast<DWORD>(lParam) != static_cast<DWORD>(OBJID_CLIENT))
        return DefWindowProcW(window, WM_GETOBJECT, wParam, lParam);
    if (!state->accessible)
        state->accessible = new (std::nothrow) AccessibleWindow(window, *state);
    if (!state->accessible)
        return DefWindowProcW(window, WM_GETOBJECT, wParam, lParam);
    return LresultFromObject(IID_IAccessible, wParam, state->accessible);
}

LRESULT onAccessibleAction(WindowState& state, HWND window, WPARAM childId)
{
    if (!IsWindowEnabled(window))
        return 0; // a modal loop began after the action was asked for: it must not act behind it
    const LONG child = static_cast<LONG>(childId);
    switch (child)
    {
    case MenuButtonChild:
        // A press and release on the button: the menu toggles and no press stays held.
        toggleMenu(state, window);
        if (state.pressedButton == CaptionButton::Menu)
        {
            state.pressedButton = CaptionButton::None;
            ReleaseCapture();
        }
        break;
    case MinimizeChild:
    case MaximizeChild:
    case CloseChild:
        runWindowButton(window, buttonOf(child));
        break;
    case SaveImageChild:
        exportImage(state, window);
        if (stateOf(window) == &state) // the window may have closed while the dialog was up
            repaint(window);
        break;
    case ExportItemChild:
    case ExitItemChild:
        if (state.menuOpen)
            chooseMenuEntry(state, window, menuIndexOf(child));
        break;
    default:
        break;
    }
    return 0;
}

void announceAccessibleChanges(HWND window)
{
    if (WindowState* state = stateOf(window))
        if (state->accessible)
            state->accessible->announceChanges(*state);
}

void releaseAccessibleObject(WindowState& state)
{
    if (!state.accessible)
        return;
    state.accessible->windowGone();
    CoDisconnectObject(state.accessible, 0); // clients in other processes get RPC_E_DISCONNECTED
    safeRelease(state.accessible);
}
