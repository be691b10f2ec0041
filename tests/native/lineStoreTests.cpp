// The drawing's store: growth, picking the topmost line within reach,
// selection and deletion in order.
#include <doctest/doctest.h>

#include <cmath>
#include <vector>

#include "../../src/canvas/lineStore.h"

namespace
{
Line line(float x1, float y1, float x2, float y2, uint8_t selected = 0)
{
    return {x1, y1, x2, y2, selected};
}

int32_t pick(const std::vector<Line>& lines, int x, int y, float scale = 1.0f)
{
    return hitTestLines(lines.data(), lines.data() + lines.size(), x, y, scale);
}
} // namespace

TEST_CASE("capacity grows by half: 1, 2, 3, 4, 6, 9, 13, 19, 28")
{
    std::vector<Line> lines;
    std::vector<size_t> capacities;
    for (int i = 0; i < 28; ++i)
    {
        appendLine(lines, line(float(i), 0, 0, 0));
        if (capacities.empty() || capacities.back() != lines.capacity())
            capacities.push_back(lines.capacity());
    }
    CHECK(capacities == std::vector<size_t>{1, 2, 3, 4, 6, 9, 13, 19, 28});
    for (int i = 0; i < 28; ++i)
        CHECK(lines[i].x1 == float(i));
}

TEST_CASE("an empty drawing picks nothing, has no selection and deletes nothing")
{
    std::vector<Line> lines;
    CHECK(pick(lines, 10, 10) == -1);
    CHECK_FALSE(hasSelection(lines));
    deleteSelectedLines(lines);
    CHECK(lines.empty());
}

TEST_CASE("the latest line within reach wins, even over a nearer older one")
{
    std::vector<Line> lines;
    appendLine(lines, line(0, 100, 200, 100));  // horizontal through (100, 100)
    appendLine(lines, line(100, 0, 100, 200));  // vertical through the same point
    CHECK(pick(lines, 100, 100) == 1);

    std::vector<Line> nearer;
    appendLine(nearer, line(0, 50, 200, 50));  // 0 pixels away
    appendLine(nearer, line(0, 55, 200, 55));  // 5 pixels away, added later
    CHECK(pick(nearer, 100, 50) == 1);
    // The selected flag plays no part in picking.
    toggleSelection(nearer, 1);
    CHECK(pick(nearer, 100, 50) == 1);
}

TEST_CASE("the pick radius is 6 x scale pixels, inclusive")
{
    std::vector<Line> lines;
    appendLine(lines, line(0, 0, 100, 0));
    CHECK(pick(lines, 50, 6) == 0);
    CHECK(pick(lines, 50, 7) == -1);
    CHECK(pick(lines, 50, -6) == 0);
    CHECK(pick(lines, 50, 9, 1.5f) == 0);
    CHECK(pick(lines, 50, 10, 1.5f) == -1);
    // A diagonal distance that is exactly the radius: (3.6, 4.8) is 6 away from the end point... in integers,
    // a 3-4-5 triangle scaled is not integral at 6, so use a point 6 away along the extension.
    CHECK(pick(lines, 106, 0) == 0);
    CHECK(pick(lines, 107, 0) == -1);
}

TEST_CASE("beyond a segment's end the distance is to the end point, not the infinite line")
{
    std::vector<Line> lines;
    appendLine(lines, line(0, 0, 100, 0));
    CHECK(pick(lines, 150, 0) == -1);  // on the infinite line, 50 past the end
    CHECK(pick(lines, -10, 0) == -1);  // before the start
    CHECK(pick(lines, 104, 4) == 0);   // sqrt(32) from (100, 0)
    CHECK(pick(lines, 105, 4) == -1);  // sqrt(41) from (100, 0)
}

TEST_CASE("a zero-length line is picked around its single point")
{
    std::vector<Line> lines;
    appendLine(lines, line(40, 40, 40, 40));
    CHECK(pick(lines, 40, 40) == 0);
    CHECK(pick(lines, 46, 40) == 0);
    CHECK(pick(lines, 44, 44) == 0);  // sqrt(32) < 6
    CHECK(pick(lines, 45, 45) == -1); // sqrt(50) > 6
}

TEST_CASE("a second toggle deselects a line, and only selected lines count as a selection")
{
    std::vector<Line> lines;
    appendLine(lines, line(0, 0, 1, 1));
    appendLine(lines, line(2, 2, 3, 3));
    CHECK_FALSE(hasSelection(lines));
    toggleSelection(lines, 1);
    CHECK(lines[1].selected == 1);
    CHECK(hasSelection(lines));
    toggleSelection(lines, 1);
    CHECK(lines[1].selected == 0);
    CHECK_FALSE(hasSelection(lines));
}

TEST_CASE("deleting from [A*, B, C*, D] leaves [B, D] in order and keeps the storage")
{
    std::vector<Line> lines;
    appendLine(lines, line(1, 0, 0, 0, 1));
    appendLine(lines, line(2, 0, 0, 0, 0));
    appendLine(lines, line(3, 0, 0, 0, 1));
    appendLine(lines, line(4, 0, 0, 0, 0));
    const Line* storage = lines.data();
    const size_t capacity = lines.capacity();
    deleteSelectedLines(lines);
    REQUIRE(lines.size() == 2);
    CHECK(lines[0].x1 == 2);
    CHECK(lines[1].x1 == 4);
    CHECK(lines[0].selected == 0);
    CHECK(lines.data() == storage);
    CHECK(lines.capacity() == capacity);
}

TEST_CASE("deleting every line keeps the storage for the next appends")
{
    std::vector<Line> lines;
    for (int i = 0; i < 9; ++i)
        appendLine(lines, line(float(i), 0, 0, 0, 1));
    const Line* storage = lines.data();
    deleteSelectedLines(lines);
    CHECK(lines.empty());
    CHECK(lines.capacity() == 9);
    for (int i = 0; i < 9; ++i)
        appendLine(lines, line(float(i), 0, 0, 0));
    CHECK(lines.data() == storage);
    CHECK(lines.capacity() == 9);
}

TEST_CASE("deleting with nothing selected changes nothing")
{
    std::vector<Line> lines;
    appendLine(lines, line(1, 2, 3, 4));
    appendLine(lines, line(5, 6, 7, 8));
    deleteSelectedLines(lines);
    REQUIRE(lines.size() == 2);
    CHECK(lines[1].y2 == 8);
}

namespace
{
// The picking rule spelled out plainly, without the quick rejection of far lines.
int32_t plainPick(const std::vector<Line>& lines, int x, int y, float scale)
{
    const float r = 6.0f * scale, px = float(x), py = float(y);
    for (int32_t i = int32_t(lines.size()) - 1; i >= 0; --i)
    {
        const Line& l = lines[size_t(i)];
        const float dx = l.x2 - l.x1, dy = l.y2 - l.y1, len2 = dx * dx + dy * dy;
        float t = 0;
        if (len2 > 0)
        {
            t = ((px - l.x1) * dx + (py - l.y1) * dy) / len2;
            t = t > 0 ? t : 0;
            if (t > 1)
                t = 1;
        }
        const float ex = px - (l.x1 + t * dx), ey = py - (l.y1 + t * dy);
        if (std::sqrt(ex * ex + ey * ey) <= r)
            return i;
    }
    return -1;
}
} // namespace

TEST_CASE("passing over far lines quickly never changes which line is picked")
{
    unsigned seed = 2026;
    auto next = [&seed](unsigned range) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % range;
    };
    for (float scale : {1.0f, 1.25f, 1.5f, 2.0f})
    {
        std::vector<Line> lines;
        for (int i = 0; i < 300; ++i)
        {
            const float x = float(next(2000)), y = float(next(1500));
            // Short, long, axis-aligned and zero-length segments.
            const float w = float(int(next(200)) - 100) * (i % 7 == 0 ? 0 : 1);
            const float h = float(int(next(200)) - 100) * (i % 5 == 0 ? 0 : 1);
            appendLine(lines, line(x, y, x + w, y + h));
        }
        int picks = 0;
        for (int probe = 0; probe < 20000; ++probe)
        {
            const Line& target = lines[next(300)];
            // Points around a line's ends and middle, at and near the pick radius.
            const int x = int(target.x1 + (target.x2 - target.x1) * float(next(3)) / 2) + int(next(21)) - 10;
            const int y = int(target.y1 + (target.y2 - target.y1) * float(next(3)) / 2) + int(next(21)) - 10;
            const int32_t expected = plainPick(lines, x, y, scale);
            picks += expected >= 0;
            CHECK(pick(lines, x, y, scale) == expected);
        }
        CHECK(picks > 1000); // the probes do reach lines
    }
}
