#pragma once
// The outline of a shaped window: the pixels of its picture that are not of the transparent
// colour, as rectangles that the window side joins into its window region.
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

namespace tesra {

// A rectangle of pixels; right and bottom are exclusive.
struct RegionRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const RegionRect&, const RegionRect&) = default;
};

// A 32-bit picture as the platform hands it over: one value per pixel, blue in the lowest
// byte, then green and red; the top byte is ignored. `stride` counts pixels per row.
struct BitmapView {
    const std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0;
};

// How many rectangles make one region before it is joined to the result: one union per
// batch, not one per run, keeps shaping a large picture fast.
inline constexpr std::size_t kRegionBatch = 2000;

// The region could not be built. what() is "Assertion failure (QVTransImg, <check>)", the
// check being 218 (rectangle buffer could not grow), 235 (no region from a full batch) or
// 251 (no region from the last batch).
class RegionError : public std::runtime_error {
public:
    explicit RegionError(int check);
    int check() const { return m_check; }

private:
    int m_check;
};

// Receives the rectangles batch by batch and joins each batch to the region it builds.
class RegionSink {
public:
    virtual ~RegionSink() = default;
    // Joins a batch (at most kRegionBatch rectangles, never empty) to the region; false when
    // no region could be made from it.
    virtual bool unite(std::span<const RegionRect> batch) = 0;
};

// Scans the picture row by row; every maximal run of pixels that do not match `colour`
// becomes a one-pixel-high rectangle, handed to the sink in batches of kRegionBatch.
// `colour` is 0x00BBGGRR; a pixel matches when each of its channels lies in
// [channel, min(255, channel + tolerance)]. Returns false ("no region") for a missing or
// empty picture; throws RegionError when the sink or the buffer fails.
bool BitmapToRegion(const BitmapView& bitmap, std::uint32_t colour, int tolerance, RegionSink& sink);

// The same scan, all rectangles in one list (top to bottom, left to right); empty for a
// missing picture.
std::vector<RegionRect> BitmapToRects(const BitmapView& bitmap, std::uint32_t colour, int tolerance);

}  // namespace tesra
