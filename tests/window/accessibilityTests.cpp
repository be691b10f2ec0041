// The accessible object of the client area as a client in this process calls it: answers read
// from the live window, default actions and selection through the message loop, refusals behind
// a modal box, bad input, events, and a client that outlives the window.
#include <doctest/doctest.h>

#include "harness.h"

#include <algorithm>
#include <stdexcept>

#include "../../src/accessibility/accessibleTree.h"
#include "../../src/chrome/windowLayout.h"

namespace
{
// The object a client gets for the window's client area, released at the end of the scope.
struct Client
{
    IAccessible* object;
    explicit Client(HWND window) : object(clientObjectOf(window))
    {
        if (!object)
            throw std::runtime_error("no accessible object for the client area");
    }
    ~Client() { object->Release(); }
    IAccessible* operator->() const { return object; }
};
} // namespace

TEST_CASE("answers come from the live window: its title, size, DPI, maximised state and record")
{
    TestWindow w(900, 640);
    HWND h = w.hwnd();
    RECT placed;
    GetWindowRect(h, &placed);
    SendMessageW(h, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&placed));
    w.state().lines.push_back({300, 150, 303.6f, 410, 1});
    Client client(h);
    long count = 0;
    CHECK(client->get_accChildCount(&count) == S_OK);
    CHECK(count == 9);
    CHECK(accessibleName(client.object, SelfChild) == L"Tarvo");
    CHECK(accessibleName(client.object, FirstLineChild) == L"Line 1 of 1: from (300, 150) to (304, 410), 260 pixels");
    CHECK(accessibleState(client.object, FirstLineChild) == (STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_SELECTED));
    BSTR value = nullptr;
    CHECK(client->get_accValue(child(CanvasChild), &value) == S_OK);
    CHECK(std::wstring(value) == L"1 line, 1 selected");
    SysFreeString(value);

    // In screen pixels at 144 DPI: the line's box widened by the stroke, then covered by whole pixels.
    const POINT origin = clientToScreen(h, 0, 0);
    long x = 0, y = 0, width = 0, height = 0;
    CHECK(client->accLocation(&x, &y, &width, &height, child(FirstLineChild)) == S_OK);
    CHECK(std::vector<long>{x - origin.x, y - origin.y, width, height} == std::vector<long>{298, 148, 8, 264});
    VARIANT hit;
    CHECK(client->accHitTest(origin.x + 120, origin.y + 10, &hit) == S_OK); // Menu, after the title
    CHECK((hit.vt == VT_I4 && hit.lVal == MenuButtonChild));
    CHECK(client->accHitTest(origin.x + 900, origin.y + 300, &hit) == S_FALSE);
    CHECK(hit.vt == VT_EMPTY);

    w.state().hoveredButton = CaptionButton::Close;
    CHECK(accessibleState(client.object, CloseChild) == STATE_SYSTEM_HOTTRACKED);
    ShowWindow(h, SW_MAXIMIZE);
    REQUIRE(waitUntil([&] { return IsZoomed(h) != 0; }));
    CHECK(accessibleName(client.object, MaximizeChild) == L"Restore");
    ShowWindow(h, SW_RESTORE);
    w.setClientSize(300, 100); // too short for a canvas
    CHECK(accessibleState(client.object, CanvasChild) == STATE_SYSTEM_INVISIBLE);
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
    CHECK(client->accDoDefaultAction(child(ExitItemChild)) == E_FAIL); // items of a closed menu
    CHECK(client->accDoDefaultAction(child(MenuButtonChild)) == S_OK);
    CHECK_FALSE(st.menuOpen);
    pumpMessages();
    CHECK(st.menuOpen);
    CHECK_FALSE(st.drawing);
    CHECK(st.pressedButton == CaptionButton::None);
    CHECK(GetCapture() != h);
    client->accDoDefaultAction(child(MenuButtonChild));
    pumpMessages();
    CHECK_FALSE(st.menuOpen);

    CHECK(client->accDoDefaultAction(child(MaximizeChild)) == S_OK);
    CHECK(waitUntil([&] { return IsZoomed(h) != 0; }));
    client->accDoDefaultAction(child(MaximizeChild));
    CHECK(waitUntil([&] { return IsZoomed(h) == 0; }));
    CHECK(client->accDoDefaultAction(child(CanvasChild)) == DISP_E_MEMBERNOTFOUND);
    CHECK(client->accDoDefaultAction(child(SelfChild)) == DISP_E_MEMBERNOTFOUND);

    // "Export as Image" closes the menu, then the dialog comes up; while it is up nothing acts.
    {
        HRESULT duringDialog = S_OK, selectDuringDialog = S_OK;
        st.lines.push_back({100, 300, 400, 300, 0});
        ModalAnswerer answerer({{IDCANCEL, L"", [&](HWND) {
                                     duringDialog = client->accDoDefaultAction(child(MinimizeChild));
                                     selectDuringDialog =
                                         client->accSelect(SELFLAG_ADDSELECTION, child(FirstLineChild));
                                 }}});
        client->accDoDefaultAction(child(MenuButtonChild));
        pumpMessages();
        client->accDoDefaultAction(child(ExportItemChild));
        CHECK(waitUntil([&] { return answerer.seen().size() == 1 && IsWindowEnabled(h); }));
        CHECK_FALSE(st.menuOpen);
        CHECK(duringDialog == E_FAIL);
        CHECK(selectDuringDialog == E_FAIL);
        CHECK(st.lines[0].selected == 0);
        CHECK_FALSE(IsIconic(h));
    }
    {
        ModalAnswerer answerer({{IDCANCEL, L""}});
        client->accDoDefaultAction(child(SaveImageChild));
        CHECK(waitUntil([&] { return answerer.seen().size() == 1; }));
    }
    CHECK(client->accDoDefaultAction(child(CloseChild)) == S_OK);
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
    CHECK(client->accSelect(SELFLAG_ADDSELECTION, child(FirstLineChild + 1)) == S_OK);
    CHECK(st.lines[1].selected == 1);
    CHECK(hasPendingRepaint(h));
    clearPendingRepaint(h);
    CHECK(client->accSelect(SELFLAG_ADDSELECTION, child(FirstLineChild + 1)) == S_OK); // already selected
    CHECK_FALSE(hasPendingRepaint(h));
    CHECK(client->get_accSelection(&selection) == S_OK);
    CHECK((selection.vt == VT_I4 && selection.lVal == FirstLineChild + 1));

    client->accSelect(SELFLAG_ADDSELECTION, child(FirstLineChild + 2));
    CHECK(client->get_accSelection(&selection) == S_OK);
    REQUIRE(selection.vt == VT_UNKNOWN);
    IEnumVARIANT* selected = nullptr;
    REQUIRE(selection.punkVal->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(&selected)) == S_OK);
    VARIANT items[3];
    ULONG fetched = 0;
    CHECK(selected->Next(3, items, &fetched) == S_FALSE);
    CHECK(fetched == 2);
    CHECK(items[0].lVal == FirstLineChild + 1);
    CHECK(items[1].lVal == FirstLineChild + 2);
    selected->Release();
    selection.punkVal->Release();

    CHECK(client->accSelect(SELFLAG_REMOVESELECTION, child(FirstLineChild + 1)) == S_OK);
    CHECK(st.lines[1].selected == 0);
    CHECK(client->accSelect(SELFLAG_TAKESELECTION, child(FirstLineChild)) == E_INVALIDARG);
    CHECK(client->accSelect(SELFLAG_ADDSELECTION | SELFLAG_REMOVESELECTION, child(FirstLineChild)) == E_INVALIDARG);
    CHECK(client->accSelect(SELFLAG_ADDSELECTION, child(SaveImageChild)) == E_INVALIDARG);
    CHECK(st.lines[0].selected == 0);
}

TEST_CASE("a client's bad input is refused, and navigation answers only the logical directions")
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
    CHECK(client->get_accDescription(child(1), &text) == S_FALSE);

    IDispatch* object = nullptr;
    CHECK(client->get_accChild(child(FirstLineChild), &object) == S_FALSE); // a simple element
    CHECK(object == nullptr);
    CHECK(client->get_accFocus(&answer) == S_FALSE);
    CHECK(answer.vt == VT_EMPTY);
    REQUIRE(client->get_accParent(&object) == S_OK);
    REQUIRE(object != nullptr);
    object->Release();

    CHECK(client->accNavigate(NAVDIR_LASTCHILD, child(SelfChild), &answer) == S_OK);
    CHECK(answer.lVal == FirstLineChild);
    CHECK(client->accNavigate(NAVDIR_NEXT, child(FirstLineChild), &answer) == S_FALSE);
    CHECK(client->accNavigate(NAVDIR_RIGHT, child(MenuButtonChild), &answer) == DISP_E_MEMBERNOTFOUND);
    CHECK(client->accNavigate(99, child(SelfChild), &answer) == E_INVALIDARG);
}

TEST_CASE("a client listening inside the process hears each change once, though it asks for the object then")
{
    struct Seen
    {
        DWORD event;
        LONG child;
    };
    static std::vector<Seen> seen;
    static HWND watched = nullptr;
    static int depth = 0, deepest = 0;
    seen.clear();
    TestWindow w(800, 600);
    watched = w.hwnd();
    Client client(w.hwnd()); // events flow once a client has asked for the object
    // As a screen reader loaded into Tarvo's process listens: inside NotifyWinEvent, on Tarvo's thread.
    HWINEVENTHOOK hook = SetWinEventHook(
        EVENT_MIN, EVENT_MAX, GetModuleHandleW(nullptr),
        [](HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG childId, DWORD, DWORD) {
            if (window != watched || object != OBJID_CLIENT)
                return;
            seen.push_back({event, childId});
            deepest = std::max(deepest, ++depth);
            IAccessible* asked = nullptr;
            VARIANT which;
            if (SUCCEEDED(AccessibleObjectFromEvent(window, object, childId, &asked, &which)))
                accessibleName(asked, which.lVal), asked->Release();
            --depth;
        },
        GetCurrentProcessId(), 0, WINEVENT_INCONTEXT);
    REQUIRE(hook != nullptr);
    auto heardOnce = [&](DWORD event, LONG id) {
        return std::count_if(seen.begin(), seen.end(), [&](Seen s) { return s.event == event && s.child == id; }) == 1;
    };
    const Rect menu = captionButtonRect(w.hwnd(), CaptionButton::Menu, 1);
    w.send(WM_MOUSEMOVE, static_cast<int>(menu.left) + 5, 5);
    CHECK(heardOnce(EVENT_OBJECT_STATECHANGE, MenuButtonChild));
    seen.clear();
    w.send(WM_LBUTTONDOWN, static_cast<int>(menu.left) + 5, 5);
    CHECK(seen.size() == 5); // the popup, the button's action and state, the two items' states
    CHECK(heardOnce(EVENT_SYSTEM_MENUPOPUPSTART, MenuButtonChild));
    CHECK(heardOnce(EVENT_OBJECT_STATECHANGE, ExportItemChild)); // no longer hidden
    w.send(WM_LBUTTONDOWN, 400, 300); // a press elsewhere closes the menu
    CHECK(heardOnce(EVENT_SYSTEM_MENUPOPUPEND, MenuButtonChild));
    seen.clear();
    w.send(WM_LBUTTONDOWN, 400, 300);
    w.send(WM_LBUTTONDOWN, 600, 300);
    CHECK(seen.size() == 2);
    CHECK(heardOnce(EVENT_OBJECT_REORDER, SelfChild));
    ShowWindow(w.hwnd(), SW_MAXIMIZE);
    CHECK(heardOnce(EVENT_OBJECT_NAMECHANGE, MaximizeChild));
    CHECK(deepest == 1); // nothing was raised again from inside the client's handler
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
    CHECK(held->get_accName(child(SelfChild), &text) == RPC_E_DISCONNECTED);
    CHECK(held->get_accName(child(FirstLineChild), &text) == RPC_E_DISCONNECTED);
    CHECK(held->get_accChildCount(&count) == RPC_E_DISCONNECTED);
    CHECK(held->accLocation(&x, &y, &width, &height, child(CanvasChild)) == RPC_E_DISCONNECTED);
    CHECK(held->accHitTest(100, 100, &answer) == RPC_E_DISCONNECTED);
    CHECK(held->accDoDefaultAction(child(CloseChild)) == RPC_E_DISCONNECTED);
    CHECK(held->accSelect(SELFLAG_ADDSELECTION, child(FirstLineChild)) == RPC_E_DISCONNECTED);
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
    IAccessible* object = clientObjectOf(thread.window); // a proxy into the window thread's apartment
    REQUIRE(object != nullptr);
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
