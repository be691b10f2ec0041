// The start-up floor: one window with a Direct2D render target, cleared once
// to the colour of Tarvo's title bar, and nothing else.
#include <windows.h>

#include <d2d1.h>

namespace
{
ID2D1Factory* factory = nullptr;
ID2D1HwndRenderTarget* target = nullptr;

LRESULT CALLBACK bareProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_PAINT:
    {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        if (!target)
        {
            RECT client;
            GetClientRect(window, &client);
            factory->CreateHwndRenderTarget(D2D1::RenderTargetProperties(),
                                            D2D1::HwndRenderTargetProperties(window, D2D1::SizeU(client.right, client.bottom)),
                                            &target);
        }
        target->BeginDraw();
        target->Clear(D2D1::ColorF(0.93f, 0.94f, 0.96f, 1));
        target->EndDraw();
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    D2D1CreateFactory(D2D1_FACTORY_TYPE_SINGLE_THREADED, &factory);
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = bareProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"TarvoBareBench";
    RegisterClassExW(&windowClass);
    HWND window = CreateWindowExW(0, L"TarvoBareBench", L"Bare", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    if (target)
        target->Release();
    factory->Release();
    return 0;
}
