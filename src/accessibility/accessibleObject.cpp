// The accessible object of the client area (IAccessible): each call checks its arguments, asks
// the tree (accessibleTree.h) about the window as it is at that moment, and converts the answer
// to BSTRs and VARIANTs. The object holds the window handle, not the record: once the window is
// gone every call answers RPC_E_DISCONNECTED.
#include "accessibleObject.h"

#include <oleacc.h>

#include <new>
#include <optional>

#include "accessibleActions.h"
#include "accessibleEvents.h"
#include "accessibleSelection.h"
#include "accessibleTree.h"
#include "accessibleView.h"
#include "comObject.h"

namespace
{
// A text answer, or none.
using Text = std::optional<std::wstring>;

// Description, help and shortcut: no child has any.
Text noText(const AccessibleView&, LONG)
{
    return {};
}

void answerChild(LONG child, VARIANT* answer)
{
    answer->vt = VT_I4;
    answer->lVal = child;
}
} // namespace

class AccessibleWindow final : public ComObjectWithoutDispatch<IAccessible>
{
public:
    AccessibleWindow(HWND window, const WindowState& state)
        : window(window), announced(observe(accessibleViewOf(state, window, false)))
    {
    }

    void windowGone() { window = nullptr; }

    // Recorded as told before the events go out: an in-context hook runs inside NotifyWinEvent, and
    // the WM_GETOBJECT it sends comes back in here, which must find nothing left to tell. Nothing of
    // the object is touched after the events, in case a client released it meanwhile.
    void announceChanges(const WindowState& state)
    {
        const Announced told = announced;
        const Announced now = observe(accessibleViewOf(state, window, false));
        announced = now;
        announceDifferences(window, told, now);
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
        *count = childCount(accessibleViewOf(*state, window, false));
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT childVariant, IDispatch** childObject) override
    {
        if (!childObject)
            return E_POINTER;
        *childObject = nullptr;
        AccessibleView view = {};
        LONG child = 0;
        HRESULT hr = childOf(childVariant, view, child);
        if (SUCCEEDED(hr) && child == CHILDID_SELF)
            hr = E_INVALIDARG;
        return SUCCEEDED(hr) ? S_FALSE : hr; // every child is a simple element, not an object
    }

    HRESULT STDMETHODCALLTYPE get_accName(VARIANT childVariant, BSTR* name) override
    {
        return answerText(childVariant, name,
                          [](const AccessibleView& view, LONG child) { return Text{childName(view, child)}; });
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT childVariant, BSTR* value) override
    {
        return answerText(childVariant, value, [](const AccessibleView& view, LONG child) {
            return child == CanvasChild ? Text{canvasValue(*view.lines)} : Text{};
        });
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT childVariant, BSTR* action) override
    {
        return answerText(childVariant, action, [](const AccessibleView& view, LONG child) {
            const wchar_t* text = childDefaultAction(view, child);
            return text ? Text{text} : Text{};
        });
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT childVariant, BSTR* text) override
    {
        return answerText(childVariant, text, noText);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT childVariant, BSTR* text) override
    {
        return answerText(childVariant, text, noText);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* helpFile, VARIANT childVariant, long* topic) override
    {
        if (!helpFile || !topic)
            return E_POINTER;
        *topic = 0;
        return answerText(childVariant, helpFile, noText);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT childVariant, BSTR* text) override
    {
        return answerText(childVariant, text, noText);
    }

    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT childVariant, VARIANT* role) override
    {
        return answerNumber(childVariant, role, [](const AccessibleView&, LONG child) { return childRole(child); });
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT childVariant, VARIANT* state) override
    {
        return answerNumber(childVariant, state,
                            [](const AccessibleView& view, LONG child) { return childState(view, child); });
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
        return state ? answerSelection(state->lines, selection) : RPC_E_DISCONNECTED;
    }

    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT childVariant) override
    {
        AccessibleView view = {};
        LONG child = 0;
        const HRESULT hr = childOf(childVariant, view, child);
        if (FAILED(hr))
            return hr;
        if (!isLine(child) || (flags != SELFLAG_ADDSELECTION && flags != SELFLAG_REMOVESELECTION))
            return E_INVALIDARG;
        return selectLine(*live(), window, child, flags == SELFLAG_ADDSELECTION);
    }

    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT childVariant) override
    {
        if (!left || !top || !width || !height)
            return E_POINTER;
        *left = *top = *width = *height = 0;
        AccessibleView view = {};
        LONG child = 0;
        const HRESULT hr = childOf(childVariant, view, child);
        if (FAILED(hr))
            return hr;
        const PixelBox box = pixelsCovering(childRect(view, child));
        POINT origin = {0, 0};
        ClientToScreen(window, &origin);
        *left = origin.x + box.left;
        *top = origin.y + box.top;
        *width = box.width;
        *height = box.height;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override
    {
        if (!end)
            return E_POINTER;
        VariantInit(end);
        AccessibleView view = {};
        LONG child = 0;
        const HRESULT hr = childOf(start, view, child);
        if (FAILED(hr))
            return hr;
        Step step = Step::Next;
        switch (direction)
        {
        case NAVDIR_FIRSTCHILD: step = Step::FirstChild; break;
        case NAVDIR_LASTCHILD:  step = Step::LastChild; break;
        case NAVDIR_NEXT:       step = Step::Next; break;
        case NAVDIR_PREVIOUS:   step = Step::Previous; break;
        case NAVDIR_UP:
        case NAVDIR_DOWN:
        case NAVDIR_LEFT:
        case NAVDIR_RIGHT:      return DISP_E_MEMBERNOTFOUND;
        default:                return E_INVALIDARG;
        }
        const int32_t to = childAfterStep(view, step, child);
        if (to == noChild)
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
        const int32_t child = childAtPoint(accessibleViewOf(*state, window), point.x, point.y);
        if (child == noChild)
            return S_FALSE;
        answerChild(child, hit);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT childVariant) override
    {
        AccessibleView view = {};
        LONG child = 0;
        const HRESULT hr = childOf(childVariant, view, child);
        if (FAILED(hr))
            return hr;
        if (!childDefaultAction(view, child))
            return DISP_E_MEMBERNOTFOUND;
        return postDefaultAction(*live(), window, child);
    }

    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    HWND window;
    Announced announced;

    bool answersTo(REFIID riid) const override { return riid == IID_IDispatch || riid == IID_IAccessible; }

    WindowState* live() const { return window ? stateOf(window) : nullptr; }

    // A client's VARIANT as a child: VT_I4 naming the client area, a control or an existing line.
    // The view it is checked against is the one the call answers from.
    HRESULT childOf(const VARIANT& variant, AccessibleView& view, LONG& child) const
    {
        const WindowState* state = live();
        if (!state)
            return RPC_E_DISCONNECTED;
        view = accessibleViewOf(*state, window);
        if (variant.vt != VT_I4 || !isChild(view, variant.lVal))
            return E_INVALIDARG;
        child = variant.lVal;
        return S_OK;
    }

    // A text property: E_POINTER, a null answer, the child checked, then the text, or S_FALSE
    // where the child has none.
    template <typename TextOf>
    HRESULT answerText(const VARIANT& variant, BSTR* answer, TextOf textOf) const
    {
        if (!answer)
            return E_POINTER;
        *answer = nullptr;
        AccessibleView view = {};
        LONG child = 0;
        const HRESULT hr = childOf(variant, view, child);
        if (FAILED(hr))
            return hr;
        const Text text = textOf(view, child);
        if (!text)
            return S_FALSE;
        *answer = SysAllocString(text->c_str());
        return *answer ? S_OK : E_OUTOFMEMORY;
    }

    // A numeric property (role, state): a VT_I4 answer once the child is checked.
    template <typename NumberOf>
    HRESULT answerNumber(const VARIANT& variant, VARIANT* answer, NumberOf numberOf) const
    {
        if (!answer)
            return E_POINTER;
        VariantInit(answer);
        AccessibleView view = {};
        LONG child = 0;
        const HRESULT hr = childOf(variant, view, child);
        if (SUCCEEDED(hr))
            answerChild(numberOf(view, child), answer); // VT_I4, as a child id is
        return hr;
    }
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
