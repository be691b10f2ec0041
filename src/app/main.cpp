// Process entry: register the class, create and show the one window, pump
// messages until WM_DESTROY posts the quit message. The command line is ignored.
#include "window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    if (!registerWindowClass(instance))
        return 1;
    HWND window = createMainWindow(instance);
    if (!window)
        return 2;
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    return runMessageLoop();
}
