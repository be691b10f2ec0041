// The real Tarvo.exe as a screen reader in another process meets it: the client area's
// accessible object through AccessibleObjectFromWindow, its children walked in order, Maximize
// pressed and the menu's Exit chosen through default actions, and the events that say so.
#include <doctest/doctest.h>

#include "harness.h"

#include "../../src/chrome/layout.h"

namespace
{
struct Heard
{
    DWORD event;
    LONG child;
};
std::vector<Heard> heard;
HWND tarvoWindow = nullptr;

void CALLBACK listen(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD)
{
    if (window == tarvoWindow && object == OBJID_CLIENT)
        heard.push_back({event, child});
}

bool hears(DWORD event, LONG child)
{
    return waitUntil([&] {
        for (const Heard& h : heard)
            if (h.event == event && h.child == child)
                return true;
        return false;
    });
}
} // namespace

TEST_CASE("a client in another process walks the controls, maximises the window and exits through the menu")
{
    TarvoProcess tarvo;
    tarvoWindow = tarvo.waitForWindow();
    REQUIRE(tarvoWindow != nullptr);
    SetWindowPos(tarvoWindow, nullptr, 80, 80, 800, 600, SWP_NOZORDER);
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_MIN, EVENT_MAX, nullptr, listen, tarvo.id(), 0, WINEVENT_OUTOFCONTEXT);
    REQUIRE(hook != nullptr);

    IAccessible* object = clientObjectOf(tarvoWindow);
    REQUIRE(object != nullptr);
    long count = 0;
    CHECK(object->get_accChildCount(&count) == S_OK);
    CHECK(count == 8); // the controls; no lines yet
    CHECK(accessibleName(object, CHILDID_SELF) == L"Tarvo");

    // Walked in order from the first child, as a screen reader reads the window.
    std::vector<std::wstring> names;
    VARIANT at;
    for (HRESULT hr = object->accNavigate(NAVDIR_FIRSTCHILD, child(CHILDID_SELF), &at); hr == S_OK && at.vt == VT_I4;
         hr = object->accNavigate(NAVDIR_NEXT, child(at.lVal), &at))
        names.push_back(accessibleName(object, at.lVal));
    const std::vector<std::wstring> expected = {L"Menu",   L"Minimize", L"Maximize",        L"Close",
                                                L"Save Image", L"Canvas", L"Export as Image", L"Exit"};
    CHECK(names == expected);

    // What the reader reports is where Close is drawn.
    long x = 0, y = 0, width = 0, height = 0;
    CHECK(object->accLocation(&x, &y, &width, &height, child(4)) == S_OK);
    const Rect close = captionButtonRect(CaptionButton::Close, {800, 600}, 5, 1);
    const POINT closeOnScreen = clientToScreen(tarvoWindow, static_cast<int>(close.left), 0);
    CHECK(x == closeOnScreen.x);
    CHECK(y == closeOnScreen.y);
    CHECK(width == 46);
    CHECK(height == 32);
    VARIANT hit;
    CHECK(object->accHitTest(closeOnScreen.x + 20, closeOnScreen.y + 10, &hit) == S_OK);
    CHECK((hit.vt == VT_I4 && hit.lVal == 4));

    // Maximize through its default action: the window maximises and the button is now "Restore".
    CHECK(object->accDoDefaultAction(child(3)) == S_OK);
    CHECK(waitUntil([&] { return IsZoomed(tarvoWindow) != 0; }));
    CHECK(waitUntil([&] { return accessibleName(object, 3) == L"Restore"; }));
    CHECK(hears(EVENT_OBJECT_NAMECHANGE, 3));

    // The menu opens, its items become visible, and "Exit" ends the process with code 0.
    CHECK(object->accDoDefaultAction(child(1)) == S_OK);
    CHECK(waitUntil([&] { return (accessibleState(object, 1) & STATE_SYSTEM_EXPANDED) != 0; }));
    CHECK(hears(EVENT_SYSTEM_MENUPOPUPSTART, 1));
    CHECK(accessibleState(object, 8) == 0);
    CHECK(object->accDoDefaultAction(child(8)) == S_OK);
    DWORD exitCode = 1;
    CHECK(tarvo.waitForExit(20000, exitCode));
    CHECK(exitCode == 0);
    CHECK(hears(EVENT_SYSTEM_MENUPOPUPEND, 1));
    // The window is gone; the client's object answers with an error, not a crash.
    CHECK(FAILED(object->get_accChildCount(&count)));
    object->Release();
    UnhookWinEvent(hook);
}

TEST_CASE("closed in every way while a client calls every 20 ms, Tarvo ends with code 0 and the client gets errors")
{
    // Screen readers poll all the time: calls from this process are queued to Tarvo's thread
    // whenever it closes. Each way of ending, four times over.
    enum Ending
    {
        CloseMessage,     // the system's own close
        MenuExit,         // the menu's Exit, chosen through the object
        CloseAction,      // the Close button's default action
        CloseMenuOpen,    // the system's close with the menu open
        CloseUnderDialog, // the system's close while the save dialog is up: the dialog goes with it
    };
    int clean = 0;
    for (int round = 0; round < 20; ++round)
    {
        const Ending ending = static_cast<Ending>(round % 5);
        CAPTURE(round);
        TarvoProcess tarvo;
        tarvoWindow = tarvo.waitForWindow();
        REQUIRE(tarvoWindow != nullptr);
        heard.clear();
        HWINEVENTHOOK hook = SetWinEventHook(EVENT_MIN, EVENT_MAX, nullptr, listen, tarvo.id(), 0, WINEVENT_OUTOFCONTEXT);
        IAccessible* object = clientObjectOf(tarvoWindow);
        REQUIRE(object != nullptr);
        long count = 0;
        HRESULT last = S_OK;
        // Calls every 20 ms until the condition holds; false if it never did.
        auto callUntil = [&](const std::function<bool()>& condition) {
            return waitUntil([&] {
                last = object->get_accChildCount(&count);
                pumpFor(20);
                return condition();
            }, 20000);
        };
        CHECK(callUntil([&] { return SUCCEEDED(last); }));
        if (ending == MenuExit || ending == CloseMenuOpen)
        {
            CHECK(object->accDoDefaultAction(child(1)) == S_OK);
            CHECK(callUntil([&] { return (accessibleState(object, 1) & STATE_SYSTEM_EXPANDED) != 0; }));
        }
        if (ending == CloseUnderDialog)
        {
            CHECK(object->accDoDefaultAction(child(5)) == S_OK);
            CHECK(callUntil([&] { return findDialogOf(tarvo.id()) != nullptr; }));
        }
        if (ending == MenuExit)
            CHECK(object->accDoDefaultAction(child(8)) == S_OK);
        else if (ending == CloseAction)
            CHECK(object->accDoDefaultAction(child(4)) == S_OK);
        else
            PostMessageW(tarvoWindow, WM_CLOSE, 0, 0);

        DWORD exitCode = 1;
        CHECK(callUntil([&] { return tarvo.waitForExit(0, exitCode); }));
        CHECK(exitCode == 0);
        CHECK(FAILED(object->get_accChildCount(&count)));
        clean += exitCode == 0;
        object->Release();
        UnhookWinEvent(hook);
    }
    MESSAGE(clean << " of 20 closes ended with code 0");
}
