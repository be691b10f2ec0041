// The drawing: an ordered array of line segments, and picking by point.
// Later lines lie on top, so picking scans from the last one down.
// No <windows.h>: the native tests build it too.
#pragma once

#include <cstdint>
#include <vector>

struct Line
{
    float x1, y1, x2, y2;
    uint8_t selected; // 0 or 1, used directly to pick the brush
};

// Grows capacity by half (1, 2, 3, 4, 6, 9, 13, ...) whatever the standard library would do.
void appendLine(std::vector<Line>& lines, const Line& line);

// Index of the topmost line within 6 x dpiScale pixels of the point, or -1.
int32_t hitTestLines(const Line* first, const Line* last, int32_t x, int32_t y, float dpiScale);

void toggleSelection(std::vector<Line>& lines, int32_t index);
bool hasSelection(const std::vector<Line>& lines);

// Order-preserving compaction in place; the storage is kept.
void deleteSelectedLines(std::vector<Line>& lines);
