#pragma once
// The standard test-line patterns that line mode lays in one step: three concentric circles
// with diameters 3 : 2 : 1, four lines through the centre at 0°, 45°, 90° and 135°, N parallel
// lines, and a grid of N lines across and M lines down. Every point of a pattern lies inside
// the image, a margin of 5 % of the shorter side away from its edges.
#include <cstdint>
#include <vector>

namespace tesra {

enum class TestPattern : std::uint8_t { Circles, Star, Parallel, Grid };

// A line or circle as `AddTestLine` takes it: two points, or the corners of a circle's square.
struct PatternLine {
    std::int32_t x1 = 0;
    std::int32_t y1 = 0;
    std::int32_t x2 = 0;
    std::int32_t y2 = 0;
    bool circle = false;
    friend bool operator==(const PatternLine&, const PatternLine&) = default;
};

// The lines of a pattern on an image of width × height pixels. `across` is N (parallel
// lines, and the horizontal lines of the grid), `down` is M (the grid's vertical lines).
// Empty when the image is too small for the pattern or a count is below 1 (or above what the
// image can hold apart by at least one pixel).
std::vector<PatternLine> MakeTestPattern(TestPattern pattern, int width, int height, int across = 1,
                                         int down = 1);

}  // namespace tesra
