// Time of hitTestLines per line over a million lines (a miss, so the whole
// array is scanned), beside a floor measured in the same run: a loop that only
// reads every line's four floats and sums them.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "../../src/canvas/lineStore.h"

namespace
{
const size_t lineCount = 1000000;
const int rounds = 15;

template <typename Work>
double bestSecondsOf(Work work)
{
    double best = 1e9;
    for (int round = 0; round < rounds; ++round)
    {
        const auto start = std::chrono::steady_clock::now();
        work();
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        best = std::min(best, elapsed.count());
    }
    return best;
}
} // namespace

int main()
{
    std::vector<Line> lines;
    lines.reserve(lineCount);
    unsigned seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return static_cast<float>((seed >> 8) % 1000);
    };
    for (size_t i = 0; i < lineCount; ++i)
        lines.push_back({next(), next() + 2000, next(), next() + 2000, 0}); // all far below the probe point

    volatile int32_t hit = 0;
    volatile float sink = 0;
    const double pick = bestSecondsOf([&] { hit = hitTestLines(lines.data(), lines.data() + lines.size(), 500, 500, 1.0f); });
    const double floor = bestSecondsOf([&] {
        float sum = 0;
        for (const Line& line : lines)
            sum += line.x1 + line.y1 + line.x2 + line.y2;
        sink = sum;
    });
    (void)hit;
    (void)sink;
    // The worst case: every line passes close by (its box holds the point) and still misses,
    // so each one takes the exact test with its division and square root.
    std::vector<Line> near;
    near.reserve(lineCount);
    for (size_t i = 0; i < lineCount; ++i)
    {
        const float shift = static_cast<float>(i % 3);
        near.push_back({450 - shift, 460, 550 - shift, 560, 0}); // 7 pixels or more from (500, 500)
    }
    const double nearPick =
        bestSecondsOf([&] { hit = hitTestLines(near.data(), near.data() + near.size(), 500, 500, 1.0f); });
    if (hit != -1)
        printf("unexpected hit\n");

    printf("hitTestLines over %zu lines, a miss:          %.2f ns/line\n", lineCount, pick * 1e9 / lineCount);
    printf("floor, a loop summing each line's four floats: %.2f ns/line\n", floor * 1e9 / lineCount);
    printf("ratio: %.2f (goal: at most 3)\n", pick / floor);
    printf("worst case, every line passing within its box: %.2f ns/line, ratio %.2f\n", nearPick * 1e9 / lineCount,
           nearPick / floor);
    return 0;
}
