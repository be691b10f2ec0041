// Paint cost per line: (frame with 10,000 lines - frame with none) / 10,000 in
// a 1280 x 800 client, beside the same difference for a bare loop of the same
// DrawLine calls on a bare render target, measured in the same run.
#include "../../tests/window/harness.h"

#include <algorithm>
#include <cstdio>

namespace
{
const int lineCount = 10000;
const int framesPerFigure = 25;
const int width = 1280, height = 800;

double secondsNow()
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

template <typename Frame>
double medianFrameSeconds(Frame frame)
{
    std::vector<double> times;
    frame(); // warm-up
    for (int i = 0; i < framesPerFigure; ++i)
    {
        const double start = secondsNow();
        frame();
        times.push_back(secondsNow() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

std::vector<Line> someLines()
{
    std::vector<Line> lines;
    unsigned seed = 7;
    auto next = [&seed](unsigned range) {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<float>((seed >> 8) % range);
    };
    for (int i = 0; i < lineCount; ++i)
        lines.push_back({10 + next(1260), 90 + next(700), 10 + next(1260), 90 + next(700), uint8_t(i % 10 == 0)});
    return lines;
}
} // namespace

int main()
{
    CoInitialize(nullptr);
    const std::vector<Line> lines = someLines();

    double tarvoEmpty, tarvoFull;
    {
        TestWindow window(width, height);
        WindowState& state = window.state();
        auto frame = [&] {
            InvalidateRect(window.hwnd(), nullptr, FALSE);
            UpdateWindow(window.hwnd());
        };
        tarvoEmpty = medianFrameSeconds(frame);
        state.lines = lines;
        tarvoFull = medianFrameSeconds(frame);
    }

    double bareEmpty, bareFull;
    {
        WNDCLASSW bareClass = {};
        bareClass.lpfnWndProc = DefWindowProcW;
        bareClass.hInstance = GetModuleHandleW(nullptr);
        bareClass.lpszClassName = L"BarePaintBench";
        RegisterClassW(&bareClass);
        HWND bare = CreateWindowExW(0, L"BarePaintBench", L"", WS_POPUP | WS_VISIBLE, 40, 40, width, height, nullptr,
                                    nullptr, bareClass.hInstance, nullptr);
        ID2D1Factory* factory = nullptr;
        ID2D1HwndRenderTarget* target = nullptr;
        ID2D1SolidColorBrush* black = nullptr;
        ID2D1SolidColorBrush* blue = nullptr;
        D2D1CreateFactory(D2D1_FACTORY_TYPE_SINGLE_THREADED, &factory);
        factory->CreateHwndRenderTarget(D2D1::RenderTargetProperties(),
                                        D2D1::HwndRenderTargetProperties(bare, D2D1::SizeU(width, height)), &target);
        target->SetDpi(96, 96);
        target->CreateSolidColorBrush(D2D1::ColorF(0, 0, 0, 1), &black);
        target->CreateSolidColorBrush(D2D1::ColorF(0, 0, 1, 1), &blue);
        ID2D1SolidColorBrush* const brushes[2] = {black, blue};
        size_t drawn = 0;
        auto frame = [&] {
            target->BeginDraw();
            target->Clear(D2D1::ColorF(1, 1, 1, 1));
            for (size_t i = 0; i < drawn; ++i)
                target->DrawLine(D2D1::Point2F(lines[i].x1, lines[i].y1), D2D1::Point2F(lines[i].x2, lines[i].y2),
                                 brushes[lines[i].selected], 2.0f);
            target->EndDraw();
        };
        bareEmpty = medianFrameSeconds(frame);
        drawn = lines.size();
        bareFull = medianFrameSeconds(frame);
        safeRelease(blue);
        safeRelease(black);
        safeRelease(target);
        safeRelease(factory);
        DestroyWindow(bare);
    }

    const double tarvoPerLine = (tarvoFull - tarvoEmpty) / lineCount;
    const double barePerLine = (bareFull - bareEmpty) / lineCount;
    printf("Tarvo frame, %dx%d: %.2f ms empty, %.2f ms with %d lines\n", width, height, tarvoEmpty * 1e3,
           tarvoFull * 1e3, lineCount);
    printf("bare render target: %.2f ms empty, %.2f ms with %d lines\n", bareEmpty * 1e3, bareFull * 1e3, lineCount);
    printf("per line: Tarvo %.3f us, bare DrawLine loop %.3f us, ratio %.3f (goal: at most 1.05)\n",
           tarvoPerLine * 1e6, barePerLine * 1e6, tarvoPerLine / barePerLine);
    CoUninitialize();
    return 0;
}
