// The self-drawn frame's hit-test bands (the sizing edges and corners, the caption,
// the monitor-edge bands) and where a maximised window's client area lies.
#include <doctest/doctest.h>

#include "../../src/chrome/layout.h"

TEST_CASE("in a 1000 x 600 client at scale 1 the bands end at the documented pixels")
{
    struct Row
    {
        int x, y;
        FrameZone expected;
    } rows[] = {
        {7, 100, FrameZone::Left},   {8, 100, FrameZone::Client},        // near edge: x < 8
        {993, 100, FrameZone::Right}, {992, 100, FrameZone::Client},     // far edge: x > 992
        {500, 592, FrameZone::Client}, {500, 593, FrameZone::Bottom},
        {500, 7, FrameZone::Top},     {500, 8, FrameZone::Caption},
        {500, 31, FrameZone::Caption}, {500, 32, FrameZone::Client},
        {3, 3, FrameZone::TopLeft},   {996, 3, FrameZone::TopRight},
        {3, 596, FrameZone::BottomLeft}, {996, 596, FrameZone::BottomRight},
        {7, 7, FrameZone::TopLeft},   {993, 593, FrameZone::BottomRight},
        {8, 3, FrameZone::Top},       {992, 3, FrameZone::Top},           // a corner is x < 8 or x > 992
        {8, 596, FrameZone::Bottom},  {992, 596, FrameZone::Bottom},
        {5, 20, FrameZone::Left},     // a side band within the caption height is still a side
        {995, 20, FrameZone::Right},
    };
    for (const Row& row : rows)
    {
        CAPTURE(row.x);
        CAPTURE(row.y);
        CHECK(frameZoneAt(row.x, row.y, 1000, 600, 1.0f) == row.expected);
    }
}

TEST_CASE("bands are truncated to whole pixels at fractional scales")
{
    CHECK(wholePixels(8, 1.5f) == 12);
    CHECK(wholePixels(8, 1.25f) == 10);
    CHECK(wholePixels(6, 1.25f) == 7); // 7.5 truncated
    CHECK(wholePixels(32, 1.5f) == 48);
    CHECK(frameZoneAt(11, 100, 1000, 600, 1.5f) == FrameZone::Left);
    CHECK(frameZoneAt(12, 100, 1000, 600, 1.5f) == FrameZone::Client);
    CHECK(frameZoneAt(500, 47, 1000, 600, 1.5f) == FrameZone::Caption);
    CHECK(frameZoneAt(500, 48, 1000, 600, 1.5f) == FrameZone::Client);
}

TEST_CASE("the monitor-edge test is inclusive on every side")
{
    // A 1600 x 1000 monitor at the origin, 5 pixels.
    CHECK(nearEdge(800, 5, 0, 0, 1600, 1000, 5));
    CHECK_FALSE(nearEdge(800, 6, 0, 0, 1600, 1000, 5));
    CHECK(nearEdge(5, 500, 0, 0, 1600, 1000, 5));
    CHECK(nearEdge(1595, 500, 0, 0, 1600, 1000, 5));
    CHECK_FALSE(nearEdge(1594, 500, 0, 0, 1600, 1000, 5));
    CHECK(nearEdge(800, 995, 0, 0, 1600, 1000, 5));
    CHECK_FALSE(nearEdge(800, 994, 0, 0, 1600, 1000, 5));
    // A monitor to the right of the first one.
    CHECK(nearEdge(1603, 500, 1600, 0, 3200, 1000, 5));
    CHECK_FALSE(nearEdge(1606, 500, 1600, 0, 3200, 1000, 5));
}

TEST_CASE("a maximised window's client area is its monitor's work area, however far the window overhangs it")
{
    const ScreenRect first = {0, 0, 1920, 1040}, second = {1968, 0, 4480, 1440}; // taskbars below, on the left
    const struct { ScreenRect proposed, work, expected; } rows[] = {
        {{-8, -8, 1928, 1048}, first, first},          // Windows at 96 DPI: an 8-pixel frame
        {{1956, -12, 4492, 1452}, second, second},     // at 144 DPI, over the taskbar and the first monitor
        {first, first, first},                          // a window manager's exact placement
        {{1920, 0, 2600, 800}, first, {1920, 0, 2600, 800}}, // beside it, or below it: left as it is
        {{0, 1040, 800, 1200}, first, {0, 1040, 800, 1200}},
    };
    for (const auto& row : rows)
    {
        const ScreenRect c = maximisedClientRect(row.proposed, row.work), e = row.expected;
        CHECK((c.left == e.left && c.top == e.top && c.right == e.right && c.bottom == e.bottom));
    }
}
