// The one record a Tarvo window keeps between messages. It lives in the
// window's GWLP_USERDATA slot from WM_CREATE to WM_DESTROY; every handler
// reads it from there. Interface pointers hold one reference each, null when absent.
#pragma once

#include <windows.h>

#include <d2d1_1.h>
#include <dwrite.h>
#include <wincodec.h>

#include <vector>

#include "../canvas/lineStore.h"
#include "../chrome/layout.h"

class AccessibleWindow; // accessibility/accessibleObject.cpp

struct DraftLine
{
    float x1, y1, x2, y2; // start, then the end that follows the pointer
};

struct WindowState
{
    ID2D1Factory* d2dFactory = nullptr;
    ID2D1HwndRenderTarget* renderTarget = nullptr;
    ID2D1DeviceContext* deviceContext = nullptr; // the render target again, where the platform offers it
    ID2D1SolidColorBrush* chromeBrush = nullptr;
    ID2D1SolidColorBrush* textBrush = nullptr;
    ID2D1SolidColorBrush* buttonHoverBrush = nullptr;
    ID2D1SolidColorBrush* closeHoverBrush = nullptr;
    ID2D1SolidColorBrush* buttonPressedBrush = nullptr;
    ID2D1SolidColorBrush* closePressedBrush = nullptr;
    ID2D1SolidColorBrush* closeGlyphBrush = nullptr;
    ID2D1SolidColorBrush* canvasBorderBrush = nullptr;
    ID2D1SolidColorBrush* lineBrush = nullptr;
    ID2D1SolidColorBrush* selectedLineBrush = nullptr;
    ID2D1SolidColorBrush* saveButtonBrush = nullptr;
    ID2D1SolidColorBrush* hoverFillBrush = nullptr;
    ID2D1SolidColorBrush* saveButtonTextBrush = nullptr;
    ID2D1SolidColorBrush* menuBrush = nullptr;
    ID2D1SolidColorBrush* shadowBrush = nullptr;
    ID2D1SolidColorBrush* separatorBrush = nullptr;
    ID2D1Effect* shadowBlur = nullptr; // null where the device context has no Gaussian blur
    bool menuOpen = false;
    int32_t hoveredMenuItem = -1;
    IWICImagingFactory* wicFactory = nullptr;
    IDWriteFactory* dwriteFactory = nullptr;
    IDWriteTextFormat* textFormat = nullptr;
    IDWriteTextFormat* iconFormat = nullptr;
    IDWriteTextFormat* buttonTextFormat = nullptr;
    CaptionButton hoveredButton = CaptionButton::None;
    CaptionButton pressedButton = CaptionButton::None;
    bool trackingLeave = false;
    bool saveButtonHovered = false;
    bool saveButtonPressed = false;
    bool drawing = false;
    DraftLine draftLine = {0, 0, 0, 0};
    std::vector<Line> lines;
    float dpiScale = 1.0f;
    bool minimised = false; // as the last WM_SIZE said
    HINSTANCE hInstance = nullptr;
    HWND taskbarWindow = nullptr;
    ID2D1Bitmap* logoBitmap = nullptr;
    AccessibleWindow* accessible = nullptr; // made when a client first asks for it
    HHOOK windowCreationHook = nullptr; // holds back new windows of this thread until frames are presented
};

// Null before WM_CREATE has stored the record and after WM_DESTROY has freed it.
inline WindowState* stateOf(HWND window)
{
    return reinterpret_cast<WindowState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

template <typename T>
void safeRelease(T*& p)
{
    if (p)
    {
        p->Release();
        p = nullptr;
    }
}

// Whole client area, no erase: the next WM_PAINT redraws everything.
inline void repaint(HWND window)
{
    InvalidateRect(window, nullptr, FALSE);
}
