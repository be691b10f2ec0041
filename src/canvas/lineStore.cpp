// Line store operations: append with 1.5x growth, pick, toggle, delete.
// Called by the canvas input handlers; painting and export only read the array.
#include "lineStore.h"

#include <cmath>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace
{
const float pickRadius = 6.0f; // DIPs

// Line and click coordinates come from 16-bit mouse positions, so the nearest
// point the exact test computes lies within far less than this of the segment's box.
const float roundingAllowance = 1.0f; // pixels

// The box of everything within reach of the point, widened by the allowance. A
// segment lying wholly on one side of it is out of reach whatever the rounding
// of the exact test, so most lines of a large drawing are passed over with a
// few comparisons instead of a division and a square root; the answer is the same.
class ReachBox
{
public:
    ReachBox(float left, float top, float right, float bottom)
#if defined(__SSE2__) || defined(_M_X64)
        : nearEdges(_mm_setr_ps(left, top, left, top)), farEdges(_mm_setr_ps(right, bottom, right, bottom))
#else
        : left(left), top(top), right(right), bottom(bottom)
#endif
    {
    }

    bool excludes(const Line& line) const
    {
#if defined(__SSE2__) || defined(_M_X64)
        // x1, y1, x2, y2 against the box in two compares; mask bits 0 to 3 follow that order.
        const __m128 ends = _mm_loadu_ps(&line.x1);
        const int before = _mm_movemask_ps(_mm_cmplt_ps(ends, nearEdges));
        const int beyond = _mm_movemask_ps(_mm_cmpgt_ps(ends, farEdges));
        return ((before & (before >> 2)) | (beyond & (beyond >> 2))) & 3;
#else
        // Bitwise operators keep it to one well-predicted branch.
        const unsigned sides = ((line.x1 < left) & (line.x2 < left)) | ((line.x1 > right) & (line.x2 > right)) |
                               ((line.y1 < top) & (line.y2 < top)) | ((line.y1 > bottom) & (line.y2 > bottom));
        return sides != 0;
#endif
    }

private:
#if defined(__SSE2__) || defined(_M_X64)
    __m128 nearEdges, farEdges;
#else
    float left, top, right, bottom;
#endif
};
} // namespace

void appendLine(std::vector<Line>& lines, const Line& line)
{
    if (lines.size() == lines.capacity())
    {
        // libstdc++ doubles; reserve the 1.5x step ourselves so growth is the same everywhere.
        const size_t oldCapacity = lines.capacity();
        size_t newCapacity = oldCapacity + oldCapacity / 2;
        if (newCapacity < lines.size() + 1)
            newCapacity = lines.size() + 1;
        if (newCapacity > lines.max_size() || newCapacity < oldCapacity)
            newCapacity = lines.max_size();
        lines.reserve(newCapacity);
    }
    lines.push_back(line);
}

int32_t hitTestLines(const Line* first, const Line* last, int32_t x, int32_t y, float dpiScale)
{
    const float r = pickRadius * dpiScale;
    const float px = static_cast<float>(x);
    const float py = static_cast<float>(y);
    const float reach = r + roundingAllowance;
    const ReachBox box(px - reach, py - reach, px + reach, py + reach);
    for (const Line* line = last; line != first;)
    {
        --line;
        if (box.excludes(*line))
            continue;
        const float dx = line->x2 - line->x1;
        const float dy = line->y2 - line->y1;
        const float lengthSquared = dx * dx + dy * dy;
        float t = 0;
        if (lengthSquared > 0)
        {
            t = ((px - line->x1) * dx + (py - line->y1) * dy) / lengthSquared;
            t = t > 0 ? t : 0;
            if (t > 1)
                t = 1;
        }
        const float nx = line->x1 + t * dx;
        const float ny = line->y1 + t * dy;
        const float ex = px - nx;
        const float ey = py - ny;
        if (std::sqrt(ex * ex + ey * ey) <= r)
            return static_cast<int32_t>(line - first);
    }
    return -1;
}

void toggleSelection(std::vector<Line>& lines, int32_t index)
{
    lines[static_cast<size_t>(index)].selected ^= 1;
}

bool hasSelection(const std::vector<Line>& lines)
{
    for (const Line& line : lines)
        if (line.selected == 1)
            return true;
    return false;
}

void deleteSelectedLines(std::vector<Line>& lines)
{
    size_t write = 0;
    while (write < lines.size() && lines[write].selected == 0)
        ++write;
    for (size_t read = write; read < lines.size(); ++read)
        if (lines[read].selected == 0)
            lines[write++] = lines[read];
    // resize to a smaller size never reallocates, so the storage is kept.
    lines.resize(write);
}
