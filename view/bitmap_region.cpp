#include "view/bitmap_region.h"

#include <algorithm>
#include <new>
#include <string>

namespace tesra {
namespace {

// The checks of the shaping, numbered as the error reports them.
constexpr int kCheckGrowBuffer = 218;
constexpr int kCheckFullBatch = 235;
constexpr int kCheckLastBatch = 251;

// The buffer starts small and grows in steps: most pictures need far fewer rectangles
// than a full batch.
constexpr std::size_t kBufferStep = 100;

struct ChannelRange {
    int low;
    int high;
    bool holds(int value) const { return value >= low && value <= high; }
};

class RunCollector {
public:
    explicit RunCollector(RegionSink& sink) : m_sink(sink) { grow(); }

    void add(int left, int right, int y)
    {
        if (m_rects.size() == m_rects.capacity())
            grow();
        m_rects.push_back(RegionRect{left, y, right, y + 1});
        if (m_rects.size() < kRegionBatch)
            return;
        if (!m_sink.unite(m_rects))
            throw RegionError(kCheckFullBatch);
        m_rects.clear();
    }

    void finish()
    {
        if (m_rects.empty())
            return;
        if (!m_sink.unite(m_rects))
            throw RegionError(kCheckLastBatch);
        m_rects.clear();
    }

private:
    void grow()
    {
        try {
            m_rects.reserve(std::min(m_rects.capacity() + kBufferStep, kRegionBatch));
        } catch (const std::bad_alloc&) {
            throw RegionError(kCheckGrowBuffer);
        } catch (const std::length_error&) {
            throw RegionError(kCheckGrowBuffer);
        }
    }

    RegionSink& m_sink;
    std::vector<RegionRect> m_rects;
};

class ListSink : public RegionSink {
public:
    explicit ListSink(std::vector<RegionRect>& out) : m_out(out) {}
    bool unite(std::span<const RegionRect> batch) override
    {
        m_out.insert(m_out.end(), batch.begin(), batch.end());
        return true;
    }

private:
    std::vector<RegionRect>& m_out;
};

}  // namespace

RegionError::RegionError(int check)
    : std::runtime_error("Assertion failure (QVTransImg, " + std::to_string(check) + ")"), m_check(check)
{
}

bool BitmapToRegion(const BitmapView& bitmap, std::uint32_t colour, int tolerance, RegionSink& sink)
{
    if (!bitmap.pixels || bitmap.width <= 0 || bitmap.height <= 0 || bitmap.stride < bitmap.width)
        return false;

    const auto rangeOf = [tolerance](int channel) {
        return ChannelRange{channel, static_cast<int>(std::min<long long>(255, channel + static_cast<long long>(tolerance)))};
    };
    // The colour is 0x00BBGGRR, the pixels 0x??RRGGBB.
    const ChannelRange red = rangeOf(static_cast<int>(colour & 0xFF));
    const ChannelRange green = rangeOf(static_cast<int>((colour >> 8) & 0xFF));
    const ChannelRange blue = rangeOf(static_cast<int>((colour >> 16) & 0xFF));
    const bool exact = tolerance == 0;
    const std::uint32_t key = (static_cast<std::uint32_t>(red.low) << 16) |
                              (static_cast<std::uint32_t>(green.low) << 8) |
                              static_cast<std::uint32_t>(blue.low);
    const auto transparent = [&](std::uint32_t pixel) {
        if (exact)
            return (pixel & 0xFFFFFFu) == key;
        return red.holds(static_cast<int>((pixel >> 16) & 0xFF)) &&
               green.holds(static_cast<int>((pixel >> 8) & 0xFF)) && blue.holds(static_cast<int>(pixel & 0xFF));
    };

    RunCollector runs(sink);
    for (int y = 0; y < bitmap.height; ++y) {
        const std::uint32_t* row = bitmap.pixels + static_cast<std::ptrdiff_t>(y) * bitmap.stride;
        int x = 0;
        while (x < bitmap.width) {
            while (x < bitmap.width && transparent(row[x]))
                ++x;
            const int start = x;
            while (x < bitmap.width && !transparent(row[x]))
                ++x;
            if (x > start)
                runs.add(start, x, y);
        }
    }
    runs.finish();
    return true;
}

std::vector<RegionRect> BitmapToRects(const BitmapView& bitmap, std::uint32_t colour, int tolerance)
{
    std::vector<RegionRect> rects;
    ListSink sink(rects);
    BitmapToRegion(bitmap, colour, tolerance, sink);
    return rects;
}

}  // namespace tesra
