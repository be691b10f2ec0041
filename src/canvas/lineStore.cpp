// Line store operations: append with 1.5x growth, pick, toggle, delete.
// Called by the canvas input handlers; painting and export only read the array.
#include "lineStore.h"

#include <cmath>

namespace
{
const float pickRadius = 6.0f; // DIPs
}

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
    for (const Line* line = last; line != first;)
    {
        --line;
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
