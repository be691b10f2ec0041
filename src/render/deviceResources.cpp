// Creation of the window's graphics objects. The palette and formats are
// rebuilt on every DPI change; the render target only when the device is lost.
#include "deviceResources.h"

#include "../../res/resourceIds.h"

namespace
{
const float titleFontSize = 12.0f;  // DIPs
const float glyphFontSize = 10.0f;  // DIPs
const float shadowDeviation = 2.0f; // DIPs

const D2D1_COLOR_F chromeColour = {0.93f, 0.94f, 0.96f, 1.0f};

void createBrush(ID2D1RenderTarget* target, float r, float g, float b, float a, ID2D1SolidColorBrush** brush)
{
    target->CreateSolidColorBrush(D2D1::ColorF(r, g, b, a), brush);
}

IDWriteTextFormat* createFormat(IDWriteFactory* factory, const wchar_t* family, DWRITE_FONT_WEIGHT weight, float size,
                                DWRITE_TEXT_ALIGNMENT alignment)
{
    IDWriteTextFormat* format = nullptr;
    factory->CreateTextFormat(family, nullptr, weight, DWRITE_FONT_STYLE_NORMAL, DWRITE_FONT_STRETCH_NORMAL, size,
                              L"en-us", &format);
    if (format)
    {
        format->SetTextAlignment(alignment);
        format->SetParagraphAlignment(DWRITE_PARAGRAPH_ALIGNMENT_CENTER);
    }
    return format;
}

const wchar_t* iconFamily(IDWriteFactory* factory)
{
    IDWriteFontCollection* collection = nullptr;
    BOOL found = FALSE;
    if (SUCCEEDED(factory->GetSystemFontCollection(&collection, FALSE)) && collection)
    {
        UINT32 index = 0;
        if (FAILED(collection->FindFamilyName(L"Segoe Fluent Icons", &index, &found)))
            found = FALSE;
        collection->Release();
    }
    return found ? L"Segoe Fluent Icons" : L"Segoe MDL2 Assets";
}

// Resource bytes -> WIC decoder -> 32bppPBGRA -> D2D bitmap; any failure leaves no logo.
ID2D1Bitmap* decodeLogo(IWICImagingFactory* wic, ID2D1RenderTarget* target, HINSTANCE instance)
{
    HRSRC resource = FindResourceW(instance, MAKEINTRESOURCEW(IDR_LOGO_PNG), RT_RCDATA);
    HGLOBAL loaded = resource ? LoadResource(instance, resource) : nullptr;
    const DWORD size = resource ? SizeofResource(instance, resource) : 0;
    void* bytes = loaded ? LockResource(loaded) : nullptr;

    IWICStream* stream = nullptr;
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICFormatConverter* converter = nullptr;
    ID2D1Bitmap* bitmap = nullptr;

    HRESULT hr = bytes && wic ? S_OK : E_FAIL;
    if (SUCCEEDED(hr)) hr = wic->CreateStream(&stream);
    if (SUCCEEDED(hr)) hr = stream->InitializeFromMemory(static_cast<BYTE*>(bytes), size);
    if (SUCCEEDED(hr)) hr = wic->CreateDecoderFromStream(stream, nullptr, WICDecodeMetadataCacheOnLoad, &decoder);
    if (SUCCEEDED(hr)) hr = decoder->GetFrame(0, &frame);
    if (SUCCEEDED(hr)) hr = wic->CreateFormatConverter(&converter);
    if (SUCCEEDED(hr))
        hr = converter->Initialize(frame, GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom);
    if (SUCCEEDED(hr)) hr = target->CreateBitmapFromWicBitmap(converter, nullptr, &bitmap);

    safeRelease(converter);
    safeRelease(frame);
    safeRelease(decoder);
    safeRelease(stream);
    return SUCCEEDED(hr) ? bitmap : nullptr;
}

void releaseDeviceResources(WindowState& state)
{
    safeRelease(state.textFormat);
    safeRelease(state.iconFormat);
    safeRelease(state.textBrush);
    safeRelease(state.buttonHoverBrush);
    safeRelease(state.closeHoverBrush);
    safeRelease(state.buttonPressedBrush);
    safeRelease(state.closePressedBrush);
    safeRelease(state.closeGlyphBrush);
    safeRelease(state.canvasBorderBrush);
    safeRelease(state.lineBrush);
    safeRelease(state.selectedLineBrush);
    safeRelease(state.saveButtonBrush);
    safeRelease(state.hoverFillBrush);
    safeRelease(state.saveButtonTextBrush);
    safeRelease(state.buttonTextFormat);
    safeRelease(state.menuBrush);
    safeRelease(state.shadowBrush);
    safeRelease(state.separatorBrush);
    safeRelease(state.shadowBlur);
}
} // namespace

HRESULT createWindowTarget(WindowState& state, HWND window)
{
    RECT client = {};
    GetClientRect(window, &client);
    HRESULT hr = state.d2dFactory ? S_OK : E_FAIL;
    if (SUCCEEDED(hr))
        hr = state.d2dFactory->CreateHwndRenderTarget(
            D2D1::RenderTargetProperties(),
            D2D1::HwndRenderTargetProperties(window, D2D1::SizeU(client.right, client.bottom), D2D1_PRESENT_OPTIONS_NONE),
            &state.renderTarget);
    if (FAILED(hr))
        return hr;

    // One drawing unit is one pixel; layout scales by dpiScale itself.
    state.renderTarget->SetDpi(USER_DEFAULT_SCREEN_DPI, USER_DEFAULT_SCREEN_DPI);
    state.dpiScale = static_cast<float>(GetDpiForWindow(window)) / USER_DEFAULT_SCREEN_DPI;
    state.renderTarget->QueryInterface(__uuidof(ID2D1DeviceContext), reinterpret_cast<void**>(&state.deviceContext));
    GetClientRect(window, &client);
    state.renderTarget->Resize(D2D1::SizeU(client.right, client.bottom));
    state.renderTarget->CreateSolidColorBrush(chromeColour, &state.chromeBrush);
    state.logoBitmap = decodeLogo(state.wicFactory, state.renderTarget, state.hInstance);
    return S_OK;
}

void createDeviceResources(WindowState& state)
{
    const float s = state.dpiScale;
    releaseDeviceResources(state);

    IDWriteFactory* dwrite = state.dwriteFactory;
    ID2D1RenderTarget* target = state.renderTarget;
    if (dwrite)
        state.textFormat = createFormat(dwrite, L"Segoe UI", DWRITE_FONT_WEIGHT_REGULAR, titleFontSize * s,
                                        DWRITE_TEXT_ALIGNMENT_LEADING);
    if (target)
        createBrush(target, 0, 0, 0, 1, &state.textBrush);
    if (dwrite)
        state.iconFormat = createFormat(dwrite, iconFamily(dwrite), DWRITE_FONT_WEIGHT_REGULAR, glyphFontSize * s,
                                        DWRITE_TEXT_ALIGNMENT_CENTER);
    if (target)
    {
        createBrush(target, 0.837f, 0.846f, 0.864f, 1, &state.buttonHoverBrush);
        createBrush(target, 1, 0, 0, 1, &state.closeHoverBrush);
        createBrush(target, 0.637f, 0.646f, 0.664f, 1, &state.buttonPressedBrush);
        createBrush(target, 205 / 255.0f, 92 / 255.0f, 92 / 255.0f, 1, &state.closePressedBrush);
        createBrush(target, 1, 1, 1, 1, &state.closeGlyphBrush);
        createBrush(target, 0.83f, 0.83f, 0.83f, 1, &state.canvasBorderBrush);
        createBrush(target, 0, 0, 0, 1, &state.lineBrush);
        createBrush(target, 0, 0, 1, 1, &state.selectedLineBrush);
        createBrush(target, 0.91f, 0.92f, 0.94f, 1, &state.saveButtonBrush);
        createBrush(target, 0.82f, 0.84f, 0.88f, 1, &state.hoverFillBrush);
        createBrush(target, 0, 0, 0, 1, &state.saveButtonTextBrush);
        createBrush(target, 1, 1, 1, 1, &state.menuBrush);
        createBrush(target, 0, 0, 0, 0.1f, &state.shadowBrush);
        createBrush(target, 0.85f, 0.85f, 0.85f, 1, &state.separatorBrush);
    }
    if (state.deviceContext)
        state.deviceContext->CreateEffect(CLSID_D2D1GaussianBlur, &state.shadowBlur);
    if (state.shadowBlur)
        state.shadowBlur->SetValue(D2D1_GAUSSIANBLUR_PROP_STANDARD_DEVIATION, shadowDeviation * s);
    if (dwrite)
        state.buttonTextFormat = createFormat(dwrite, L"Segoe UI", DWRITE_FONT_WEIGHT_SEMI_BOLD, titleFontSize * s,
                                              DWRITE_TEXT_ALIGNMENT_CENTER);
}

void recreateWindowTarget(WindowState& state, HWND window)
{
    safeRelease(state.logoBitmap);
    safeRelease(state.chromeBrush);
    releaseDeviceResources(state);
    safeRelease(state.deviceContext);
    safeRelease(state.renderTarget);
    if (SUCCEEDED(createWindowTarget(state, window)))
        createDeviceResources(state);
    repaint(window);
}

HRESULT finishPresentedFrames(const WindowState& state)
{
    // A copy queued behind every frame drawn so far, into a bitmap the CPU then reads: the read
    // returns only once the device has done the copy, and so every draw and present before it.
    if (!state.deviceContext)
        return E_FAIL; // nothing drawn through Direct2D: nothing to wait for
    const D2D1_PIXEL_FORMAT format = D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED);
    const D2D1_SIZE_U onePixel = D2D1::SizeU(1, 1);
    const UINT32 pixel = 0;
    ID2D1Bitmap1* source = nullptr;
    ID2D1Bitmap1* readBack = nullptr;
    HRESULT hr = state.deviceContext->CreateBitmap(onePixel, &pixel, sizeof(pixel),
                                                   D2D1::BitmapProperties1(D2D1_BITMAP_OPTIONS_NONE, format), &source);
    if (SUCCEEDED(hr))
        hr = state.deviceContext->CreateBitmap(
            onePixel, nullptr, 0,
            D2D1::BitmapProperties1(D2D1_BITMAP_OPTIONS_CPU_READ | D2D1_BITMAP_OPTIONS_CANNOT_DRAW, format), &readBack);
    if (SUCCEEDED(hr)) hr = readBack->CopyFromBitmap(nullptr, source, nullptr);
    D2D1_MAPPED_RECT mapped = {};
    if (SUCCEEDED(hr)) hr = readBack->Map(D2D1_MAP_OPTIONS_READ, &mapped);
    if (SUCCEEDED(hr)) readBack->Unmap();
    safeRelease(readBack);
    safeRelease(source);
    return hr;
}
