// What a screen reader finds in the window: the accessible object of the client area, asked for
// as a client does, its children against the layout that painting uses, their states, hit
// testing, default actions, selection, bad input and a client that outlives the window.
#include <doctest/doctest.h>

#include "harness.h"

#include <oleacc.h>

#include <cmath>
#include <stdexcept>

#include "../../src/chrome/windowLayout.h"

// Found by argument lookup beside RECT, so failures print the rectangles.
bool operator==(const RECT& a, const RECT& b)
{
    return EqualRect(&a, &b) != 0;
}

doctest::String toString(const RECT& r)
{
    char text[64];
    snprintf(text, sizeof(text), "(%ld, %ld, %ld, %ld)", r.left, r.top, r.right, r.bottom);
    return text;
}

namespace
{
enum Child : LONG
{
    Self = CHILDID_SELF,
    MenuButton = 1,
    Minimize = 2,
    Maximize = 3,
    Close = 4,
    SaveImage = 5,
    Canvas = 6,
    ExportItem = 7,
    ExitItem = 8,
    FirstLine = 9,
};

VARIANT child(LONG id)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

// The object a client gets for the window's client area, released at the end of the scope.
struct Client
{
    IAccessible* object = nullptr;
    explicit Client(HWND window)
    {
        AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                   reinterpret_cast<void**>(&object));
        if (!object)
            throw std::runtime_error("no accessible object for the client area");
    }
    ~Client() { object->Release(); }
    IAccessible* operator->() const { return object; }

    std::wstring name(LONG id) const { return text(&IAccessible::get_accName, id); }
    std::wstring value(LONG id) const { return text(&IAccessible::get_accValue, id); }
    std::wstring defaultAction(LONG id) const { return text(&IAccessible::get_accDefaultAction, id); }
    LONG role(LONG id) const { return number(&IAccessible::get_accRole, id); }
    LONG state(LONG id) const { return number(&IAccessible::get_accState, id); }
    RECT location(LONG id) const
    {
        long x = 0, y = 0, w = 0, h = 0;
        CHECK(object->accLocation(&x, &y, &w, &h, child(id)) == S_OK);
        return {x, y, x + w, y + h};
    }
    LONG hit(HWND window, int clientX, int clientY) const
    {
        const POINT p = clientToScreen(window, clientX, clientY);
        VARIANT answer;
        object->accHitTest(p.x, p.y, &answer);
        return answer.vt == VT_I4 ? answer.lVal : -1; // -1: VT_EMPTY, outside the client area
    }

private:
    std::wstring text(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*), LONG id) const
    {
        BSTR answer = nullptr;
        (object->*get)(child(id), &answer);
        std::wstring result = answer ? answer : L"";
        SysFreeString(answer);
        return result;
    }
    LONG number(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*), LONG id) const
    {
        VARIANT answer;
        VariantInit(&answer);
        (object->*get)(child(id), &answer);
        return answer.vt == VT_I4 ? answer.lVal : -1;
    }
};

// A layout rectangle as a screen rectangle of whole pixels covering it.
RECT onScreen(HWND window, Rect r)
{
    const POINT origin = clientToScreen(window, 0, 0);
    return {origin.x + static_cast<LONG>(std::floor(r.left)), origin.y + static_cast<LONG>(std::floor(r.top)),
            origin.x + static_cast<LONG>(std::ceil(r.right)), origin.y + static_cast<LONG>(std::ceil(r.bottom))};
}

void atDpi(TestWindow& w, int dpi)
{
    RECT placed;
    GetWindowRect(w.hwnd(), &placed);
    SendMessageW(w.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&placed));
}
} // namespace

TEST_CASE("every control is a child with the name, role and place it is painted at, at 96 and 144 DPI")
{
    for (int dpi : {96, 144})
    {
        CAPTURE(dpi);
        TestWindow w(900, 640);
        atDpi(w, dpi);
        HWND h = w.hwnd();
        const float s = dpi / 96.0f;
        w.state().lines.push_back({120, 200, 480, 200, 0});
        w.state().lines.push_back({300, 150, 303.6f, 410, 1});
        Client client(h);

        long count = 0;
        CHECK(client->get_accChildCount(&count) == S_OK);
        CHECK(count == 10);
        CHECK(client.name(Self) == L"Tarvo");
        CHECK(client.role(Self) == ROLE_SYSTEM_CLIENT);
        CHECK(client.location(Self) == onScreen(h, {0, 0, 900, 640}));

        struct Row
        {
            LONG id;
            const wchar_t* name;
            LONG role;
            Rect place;
        } rows[] = {
            {MenuButton, L"Menu", ROLE_SYSTEM_BUTTONMENU, captionButtonRect(h, CaptionButton::Menu, s)},
            {Minimize, L"Minimize", ROLE_SYSTEM_PUSHBUTTON, captionButtonRect(h, CaptionButton::Minimize, s)},
            {Maximize, L"Maximize", ROLE_SYSTEM_PUSHBUTTON, captionButtonRect(h, CaptionButton::Maximize, s)},
            {Close, L"Close", ROLE_SYSTEM_PUSHBUTTON, captionButtonRect(h, CaptionButton::Close, s)},
            {SaveImage, L"Save Image", ROLE_SYSTEM_PUSHBUTTON, saveButtonRect(h, s)},
            {Canvas, L"Canvas", ROLE_SYSTEM_CLIENT, canvasRect(h, s)},
            {ExportItem, L"Export as Image", ROLE_SYSTEM_MENUITEM, menuEntryRect(h, s, 0)},
            {ExitItem, L"Exit", ROLE_SYSTEM_MENUITEM, menuEntryRect(h, s, 2)},
            // Lines: their box, widened by half the 2-DIP stroke on every side.
            {FirstLine, L"Line 1 of 2: from (120, 200) to (480, 200), 360 pixels", ROLE_SYSTEM_GRAPHIC,
             {120 - s, 200 - s, 480 + s, 200 + s}},
            {FirstLine + 1, L"Line 2 of 2: from (300, 150) to (304, 410), 260 pixels", ROLE_SYSTEM_GRAPHIC,
             {300 - s, 150 - s, 303.6f + s, 410 + s}},
        };
        for (const Row& row : rows)
        {
            CAPTURE(row.id);
            CHECK(client.name(row.id) == row.name);
            CHECK(client.role(row.id) == row.role);
            CHECK(client.location(row.id) == onScreen(h, row.place));
        }
        CHECK(client.value(Canvas) == L"2 lines, 1 selected");
        CHECK(client.state(FirstLine) == STATE_SYSTEM_SELECTABLE);
        CHECK(client.state(FirstLine + 1) == (STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_SELECTED));
        w.state().lines.clear();
        CHECK(client.value(Canvas) == L"No lines");
    }
}

TEST_CASE("states follow hover, press, the menu and maximising; Maximize is Restore while maximised")
{
    TestWindow w(800, 600);
    WindowState& st = w.state();
    Client client(w.hwnd());
    CHECK(client.state(MenuButton) == STATE_SYSTEM_HASPOPUP);
    CHECK(client.state(Close) == 0);
    CHECK(client.state(ExportItem) == STATE_SYSTEM_INVISIBLE);
    CHECK(client.defaultAction(MenuButton) == L"Open");
    CHECK(client.defaultAction(Close) == L"Press");
    CHECK(client.defaultAction(ExitItem) == L"Execute");

    st.hoveredButton = CaptionButton::Close;
    st.pressedButton = CaptionButton::Close;
    st.saveButtonHovered = true;
    CHECK(client.state(Close) == (STATE_SYSTEM_HOTTRACKED | STATE_SYSTEM_PRESSED));
    CHECK(client.state(Maximize) == 0);
    CHECK(client.state(SaveImage) == STATE_SYSTEM_HOTTRACKED);
    st.hoveredButton = CaptionButton::Minimize; // pressed Close with the pointer gone
    CHECK(client.state(Close) == STATE_SYSTEM_PRESSED);
    CHECK(client.state(Minimize) == STATE_SYSTEM_HOTTRACKED);

    st.menuOpen = true;
    st.hoveredMenuItem = 2;
    st.hoveredButton = CaptionButton::Menu;
    CHECK(client.state(MenuButton) == (STATE_SYSTEM_HASPOPUP | STATE_SYSTEM_EXPANDED | STATE_SYSTEM_HOTTRACKED));
    CHECK(client.defaultAction(MenuButton) == L"Close");
    CHECK(client.state(ExportItem) == 0);
    CHECK(client.state(ExitItem) == STATE_SYSTEM_HOTTRACKED);
    st.menuOpen = false; // the index outlives the menu until the next move; the item is hidden
    CHECK(client.state(ExitItem) == STATE_SYSTEM_INVISIBLE);

    ShowWindow(w.hwnd(), SW_MAXIMIZE);
    REQUIRE(waitUntil([&] { return IsZoomed(w.hwnd()) != 0; }));
    CHECK(client.name(Maximize) == L"Restore");
    ShowWindow(w.hwnd(), SW_RESTORE);
    CHECK(client.name(Maximize) == L"Maximize");

    w.setClientSize(300, 100); // too short for a canvas
    CHECK(client.state(Canvas) == STATE_SYSTEM_INVISIBLE);
}

TEST_CASE("hit testing answers the child a left press would reach, edge pixels included")
{
    TestWindow w(800, 600);
    HWND h = w.hwnd();
    w.state().lines.push_back({100, 300, 400, 300, 0});
    w.state().lines.push_back({250, 200, 250, 400, 0}); // later, so on top where they cross
    Client client(h);
    const LONG controls[] = {MenuButton, Minimize, Maximize, Close, SaveImage};
    for (LONG id : controls)
    {
        CAPTURE(id);
        long x, y, width, height;
        client->accLocation(&x, &y, &width, &height, child(id));
        POINT topLeft = {x, y};
        ScreenToClient(h, &topLeft);
        CHECK(client.hit(h, topLeft.x, topLeft.y) == id);
        CHECK(client.hit(h, topLeft.x + width - 1, topLeft.y + height - 1) == id);
        CHECK(client.hit(h, topLeft.x, topLeft.y + height) != id); // the bottom edge is outside
    }
    CHECK(client.hit(h, 799, 0) == Close);
    CHECK(client.hit(h, 754, 0) == Close);
    CHECK(client.hit(h, 753, 0) == Maximize);
    CHECK(client.hit(h, 40, 16) == Self); // logo and title
    CHECK(client.hit(h, 600, 500) == Canvas);
    CHECK(client.hit(h, 10, 90) == Canvas);   // the canvas's top-left pixel
    CHECK(client.hit(h, 790, 300) == Self);   // its right edge is outside
    CHECK(client.hit(h, 150, 305) == FirstLine);
    CHECK(client.hit(h, 250, 300) == FirstLine + 1);
    CHECK(client.hit(h, 800, 300) == -1);
    CHECK(client.hit(h, -1, 300) == -1);

    // The open popup comes first, over the canvas it covers; its separator is no child.
    w.state().menuOpen = true;
    CHECK(client.hit(h, 100, 100) == ExitItem);
    CHECK(client.hit(h, 100, 40) == ExportItem);
    CHECK(client.hit(h, 100, 68) == Self);
    CHECK(client.hit(h, 100, 110) == Canvas); // below the popup
}

TEST_CASE("default actions do what a click does, from the message loop and never inside the call")
{
    TestWindow w(800, 600);
    HWND h = w.hwnd();
    WindowState& st = w.state();
    Client client(h);

    // The menu opens only when the posted action arrives; a draft in progress is discarded.
    w.send(WM_LBUTTONDOWN, 200, 300);
    REQUIRE(st.drawing);
    CHECK(client->accDoDefaultAction(child(ExitItem)) == E_FAIL); // items of a closed menu
    CHECK(client->accDoDefaultAction(child(MenuButton)) == S_OK);
    CHECK_FALSE(st.menuOpen);
    pumpMessages();
    CHECK(st.menuOpen);
    CHECK_FALSE(st.drawing);
    CHECK(st.pressedButton == CaptionButton::None);
    CHECK(GetCapture() != h);
    client->accDoDefaultAction(child(MenuButton));
    pumpMessages();
    CHECK_FALSE(st.menuOpen);

    CHECK(client->accDoDefaultAction(child(Maximize)) == S_OK);
    CHECK(waitUntil([&] { return IsZoomed(h) != 0; }));
    client->accDoDefaultAction(child(Maximize));
    CHECK(waitUntil([&] { return IsZoomed(h) == 0; }));
    CHECK(client->accDoDefaultAction(child(Canvas)) == DISP_E_MEMBERNOTFOUND);
    CHECK(client->accDoDefaultAction(child(Self)) == DISP_E_MEMBERNOTFOUND);

    // "Export as Image" closes the menu, then the dialog comes up; while it is up nothing acts.
    {
        HRESULT duringDialog = S_OK, selectDuringDialog = S_OK;
        st.lines.push_back({100, 300, 400, 300, 0});
        ModalAnswerer answerer({{IDCANCEL, L"", [&](HWND) {
                                     duringDialog = client->accDoDefaultAction(child(Minimize));
                                     selectDuringDialog = client->accSelect(SELFLAG_ADDSELECTION, child(FirstLine));
                                 }}});
        client->accDoDefaultAction(child(MenuButton));
        pumpMessages();
        client->accDoDefaultAction(child(ExportItem));
        CHECK(waitUntil([&] { return answerer.seen().size() == 1 && IsWindowEnabled(h); }));
        CHECK_FALSE(st.menuOpen);
        CHECK(duringDialog == E_FAIL);
        CHECK(selectDuringDialog == E_FAIL);
        CHECK(st.lines[0].selected == 0);
        CHECK_FALSE(IsIconic(h));
    }
    {
        ModalAnswerer answerer({{IDCANCEL, L""}});
        client->accDoDefaultAction(child(SaveImage));
        CHECK(waitUntil([&] { return answerer.seen().size() == 1; }));
    }
    CHECK(client->accDoDefaultAction(child(Close)) == S_OK);
    CHECK(waitUntil([&] { return !IsWindow(h); }));
}

TEST_CASE("selection through the object toggles a line as a right click does, and lists what is selected")
{
    TestWindow w(800, 600);
    HWND h = w.hwnd();
    WindowState& st = w.state();
    for (int y : {200, 300, 400})
        st.lines.push_back({100, static_cast<float>(y), 400, static_cast<float>(y), 0});
    Client client(h);
    VARIANT selection;
    CHECK(client->get_accSelection(&selection) == S_FALSE);
    CHECK(selection.vt == VT_EMPTY);

    clearPendingRepaint(h);
    CHECK(client->accSelect(SELFLAG_ADDSELECTION, child(FirstLine + 1)) == S_OK);
    CHECK(st.lines[1].selected == 1);
    CHECK(hasPendingRepaint(h));
    clearPendingRepaint(h);
    CHECK(client->accSelect(SELFLAG_ADDSELECTION, child(FirstLine + 1)) == S_OK); // already selected
    CHECK(st.lines[1].selected == 1);
    CHECK_FALSE(hasPendingRepaint(h));
    CHECK(client->get_accSelection(&selection) == S_OK);
    CHECK(selection.vt == VT_I4);
    CHECK(selection.lVal == FirstLine + 1);

    client->accSelect(SELFLAG_ADDSELECTION, child(FirstLine + 2));
    CHECK(client->get_accSelection(&selection) == S_OK);
    REQUIRE(selection.vt == VT_UNKNOWN);
    IEnumVARIANT* selected = nullptr;
    REQUIRE(selection.punkVal->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(&selected)) == S_OK);
    VARIANT items[3];
    ULONG fetched = 0;
    CHECK(selected->Next(3, items, &fetched) == S_FALSE);
    CHECK(fetched == 2);
    CHECK(items[0].lVal == FirstLine + 1);
    CHECK(items[1].lVal == FirstLine + 2);
    selected->Release();
    selection.punkVal->Release();

    CHECK(client->accSelect(SELFLAG_REMOVESELECTION, child(FirstLine + 1)) == S_OK);
    CHECK(st.lines[1].selected == 0);
    CHECK(client->accSelect(SELFLAG_TAKESELECTION, child(FirstLine)) == E_INVALIDARG);
    CHECK(client->accSelect(SELFLAG_ADDSELECTION | SELFLAG_REMOVESELECTION, child(FirstLine)) == E_INVALIDARG);
    CHECK(client->accSelect(SELFLAG_ADDSELECTION, child(SaveImage)) == E_INVALIDARG);
    CHECK(st.lines[0].selected == 0);
}

TEST_CASE("a client's bad input is refused, and navigation walks the children in order")
{
    TestWindow w(800, 600);
    w.state().lines.push_back({100, 300, 400, 300, 0});
    Client client(w.hwnd());
    BSTR text = nullptr;
    VARIANT answer;
    long x, y, width, height;
    for (LONG id : {-1L, 10L, 0x7fffffffL})
    {
        CAPTURE(id);
        CHECK(client->get_accName(child(id), &text) == E_INVALIDARG);
        CHECK(text == nullptr);
        CHECK(client->get_accRole(child(id), &answer) == E_INVALIDARG);
        CHECK(client->get_accState(child(id), &answer) == E_INVALIDARG);
        CHECK(client->accLocation(&x, &y, &width, &height, child(id)) == E_INVALIDARG);
        CHECK(client->accDoDefaultAction(child(id)) == E_INVALIDARG);
        CHECK(client->accSelect(SELFLAG_ADDSELECTION, child(id)) == E_INVALIDARG);
    }
    VARIANT wrongType;
    VariantInit(&wrongType);
    wrongType.vt = VT_BSTR;
    wrongType.bstrVal = SysAllocString(L"1");
    CHECK(client->get_accName(wrongType, &text) == E_INVALIDARG);
    CHECK(client->accDoDefaultAction(wrongType) == E_INVALIDARG);
    VariantClear(&wrongType);
    CHECK(client->get_accName(child(1), nullptr) == E_POINTER);
    CHECK(client->get_accRole(child(1), nullptr) == E_POINTER);
    CHECK(client->accLocation(nullptr, &y, &width, &height, child(1)) == E_POINTER);
    CHECK(client->accHitTest(0, 0, nullptr) == E_POINTER);
    CHECK(client->get_accChildCount(nullptr) == E_POINTER);

    IDispatch* object = nullptr;
    CHECK(client->get_accChild(child(FirstLine), &object) == S_FALSE); // a simple element
    CHECK(object == nullptr);
    CHECK(client->get_accFocus(&answer) == S_FALSE);
    CHECK(answer.vt == VT_EMPTY);
    REQUIRE(client->get_accParent(&object) == S_OK);
    REQUIRE(object != nullptr);
    object->Release();

    auto step = [&](long direction, LONG from) {
        VARIANT to;
        client->accNavigate(direction, child(from), &to);
        return to.vt == VT_I4 ? to.lVal : -1;
    };
    CHECK(step(NAVDIR_FIRSTCHILD, Self) == MenuButton);
    CHECK(step(NAVDIR_LASTCHILD, Self) == FirstLine);
    CHECK(step(NAVDIR_NEXT, Canvas) == ExportItem);
    CHECK(step(NAVDIR_NEXT, FirstLine) == -1);
    CHECK(step(NAVDIR_PREVIOUS, MenuButton) == -1);
    CHECK(client->accNavigate(99, child(Self), &answer) == E_INVALIDARG);
}

TEST_CASE("events tell a listening client of changes as the handlers make them")
{
    struct Seen
    {
        DWORD event;
        LONG child;
    };
    static std::vector<Seen> seen;
    static HWND watched = nullptr;
    seen.clear();
    TestWindow w(800, 600);
    watched = w.hwnd();
    Client client(w.hwnd()); // events flow once a client has asked for the object
    HWINEVENTHOOK hook = SetWinEventHook(
        EVENT_MIN, EVENT_MAX, nullptr,
        [](HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG childId, DWORD, DWORD) {
            if (window == watched && object == OBJID_CLIENT)
                seen.push_back({event, childId});
        },
        GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    REQUIRE(hook != nullptr);
    auto heard = [&](DWORD event, LONG id) {
        return waitUntil([&] {
            for (const Seen& s : seen)
                if (s.event == event && s.child == id)
                    return true;
            return false;
        });
    };
    const Rect menu = captionButtonRect(w.hwnd(), CaptionButton::Menu, 1);
    w.send(WM_MOUSEMOVE, static_cast<int>(menu.left) + 5, 5);
    CHECK(heard(EVENT_OBJECT_STATECHANGE, MenuButton));
    w.send(WM_LBUTTONDOWN, static_cast<int>(menu.left) + 5, 5);
    CHECK(heard(EVENT_SYSTEM_MENUPOPUPSTART, MenuButton));
    CHECK(heard(EVENT_OBJECT_STATECHANGE, ExportItem)); // no longer hidden
    w.send(WM_LBUTTONDOWN, 400, 300); // a press elsewhere closes the menu
    CHECK(heard(EVENT_SYSTEM_MENUPOPUPEND, MenuButton));
    w.send(WM_LBUTTONDOWN, 400, 300);
    w.send(WM_LBUTTONDOWN, 600, 300);
    CHECK(heard(EVENT_OBJECT_REORDER, Self));
    ShowWindow(w.hwnd(), SW_MAXIMIZE);
    CHECK(heard(EVENT_OBJECT_NAMECHANGE, Maximize));
    UnhookWinEvent(hook);
    watched = nullptr;
}

TEST_CASE("a client holding the object past WM_DESTROY gets errors, never the freed record")
{
    IAccessible* held = nullptr;
    {
        TestWindow w(600, 400);
        w.state().lines.push_back({100, 300, 400, 300, 0});
        Client client(w.hwnd());
        held = client.object;
        held->AddRef();
    }
    BSTR text = nullptr;
    VARIANT answer;
    long count = 0, x, y, width, height;
    CHECK(held->get_accName(child(Self), &text) == RPC_E_DISCONNECTED);
    CHECK(held->get_accName(child(FirstLine), &text) == RPC_E_DISCONNECTED);
    CHECK(held->get_accChildCount(&count) == RPC_E_DISCONNECTED);
    CHECK(held->accLocation(&x, &y, &width, &height, child(Canvas)) == RPC_E_DISCONNECTED);
    CHECK(held->accHitTest(100, 100, &answer) == RPC_E_DISCONNECTED);
    CHECK(held->accDoDefaultAction(child(Close)) == RPC_E_DISCONNECTED);
    CHECK(held->accSelect(SELFLAG_ADDSELECTION, child(FirstLine)) == RPC_E_DISCONNECTED);
    CHECK(held->get_accSelection(&answer) == RPC_E_DISCONNECTED);
    CHECK(held->Release() == 0);
}

namespace
{
// The window of the next test: its own thread, where WM_CREATE is the first to initialise COM, as
// in Tarvo.exe, and Tarvo's own message loop to the end.
struct WindowThread
{
    HWND window = nullptr;
    HANDLE created = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    int exitCode = -1;
};
WNDPROC productProcedure = nullptr;

// Holds WM_DESTROY until a client's call is queued to the thread, so that the loop dispatches
// that call after WM_DESTROY has run.
LRESULT CALLBACK destroyWithCallQueued(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY)
    {
        const ULONGLONG deadline = GetTickCount64() + 10000;
        while (!(HIWORD(GetQueueStatus(QS_POSTMESSAGE)) & QS_POSTMESSAGE) && GetTickCount64() < deadline)
            Sleep(1);
    }
    return CallWindowProcW(productProcedure, window, message, wParam, lParam);
}

DWORD WINAPI runWindowThread(void* parameter)
{
    WindowThread& thread = *static_cast<WindowThread*>(parameter);
    registerWindowClass(GetModuleHandleW(nullptr)); // false when an earlier test registered it
    thread.window = createMainWindow(GetModuleHandleW(nullptr));
    if (thread.window)
        productProcedure = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(thread.window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(destroyWithCallQueued)));
    SetEvent(thread.created);
    if (thread.window)
        thread.exitCode = runMessageLoop();
    return 0;
}
} // namespace

TEST_CASE("a client's call queued when the window is destroyed is answered with an error, and COM ends after it")
{
    WindowThread thread;
    HANDLE handle = CreateThread(nullptr, 0, runWindowThread, &thread, 0, nullptr);
    REQUIRE(WaitForSingleObject(thread.created, 10000) == WAIT_OBJECT_0);
    REQUIRE(thread.window != nullptr);
    IAccessible* object = nullptr; // a proxy: the object lives in the window thread's apartment
    REQUIRE(AccessibleObjectFromWindow(thread.window, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                       reinterpret_cast<void**>(&object)) == S_OK);
    long count = 0;
    CHECK(object->get_accChildCount(&count) == S_OK);
    CHECK(count == 8);

    PostMessageW(thread.window, WM_CLOSE, 0, 0);
    HRESULT last = S_OK;
    int calls = 0;
    while (WaitForSingleObject(handle, 0) == WAIT_TIMEOUT && calls < 5000)
    {
        last = object->get_accChildCount(&count);
        ++calls;
    }
    CHECK(WaitForSingleObject(handle, 10000) == WAIT_OBJECT_0);
    CHECK(thread.exitCode == 0);
    CHECK(FAILED(last)); // the call held up at WM_DESTROY came back as an error
    CHECK(FAILED(object->get_accChildCount(&count)));
    object->Release();
    CloseHandle(handle);
    CloseHandle(thread.created);
}
