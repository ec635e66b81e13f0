// Shaping a window after its picture: runs of non-transparent pixels become rectangles,
// handed over in batches.
#include "view/bitmap_region.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace tesra {
namespace {

constexpr std::uint32_t kBlack = 0x000000;

// A picture as the platform hands it over (0xAARRGGBB), with optional padding per row.
struct Picture {
    int width;
    int height;
    int stride;
    std::vector<std::uint32_t> pixels;

    Picture(int w, int h, std::uint32_t fill, int padding = 0)
        : width(w), height(h), stride(w + padding),
          pixels(static_cast<std::size_t>(h) * static_cast<std::size_t>(w + padding), fill)
    {
    }
    std::uint32_t& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * stride + x]; }
    BitmapView view() const { return BitmapView{pixels.data(), width, height, stride}; }
};

// Records the batches the scan hands over; may refuse one to simulate a failing platform.
class RecordingSink : public RegionSink {
public:
    std::vector<std::size_t> batchSizes;
    std::vector<RegionRect> rects;
    int refuseBatch = -1;  // 0-based number of the batch to refuse

    bool unite(std::span<const RegionRect> batch) override
    {
        if (static_cast<int>(batchSizes.size()) == refuseBatch)
            return false;
        batchSizes.push_back(batch.size());
        rects.insert(rects.end(), batch.begin(), batch.end());
        return true;
    }
};

// The area the rectangles cover, pixel by pixel; each pixel at most once.
std::vector<int> coverage(const std::vector<RegionRect>& rects, int width, int height)
{
    std::vector<int> cover(static_cast<std::size_t>(width) * height, 0);
    for (const RegionRect& r : rects) {
        EXPECT_LT(r.left, r.right);
        EXPECT_EQ(r.bottom, r.top + 1);
        for (int x = r.left; x < r.right; ++x)
            ++cover[static_cast<std::size_t>(r.top) * width + x];
    }
    return cover;
}

TEST(BitmapToRegion, PictureWithoutTransparentPixelsIsWholeRectangle)
{
    Picture picture(7, 4, 0xFF808080);
    const auto rects = BitmapToRects(picture.view(), kBlack, 0);
    ASSERT_EQ(rects.size(), 4u);
    for (int y = 0; y < 4; ++y)
        EXPECT_EQ(rects[static_cast<std::size_t>(y)], (RegionRect{0, y, 7, y + 1}));
}

TEST(BitmapToRegion, PictureAllOfTransparentColourIsEmptyRegion)
{
    Picture picture(5, 3, 0xFF000000);
    RecordingSink sink;
    EXPECT_TRUE(BitmapToRegion(picture.view(), kBlack, 0, sink));  // a region, but empty
    EXPECT_TRUE(sink.batchSizes.empty());
}

TEST(BitmapToRegion, NoPictureGivesNoRegion)
{
    RecordingSink sink;
    EXPECT_FALSE(BitmapToRegion(BitmapView{}, kBlack, 0, sink));
    Picture picture(4, 4, 0xFFFFFFFF);
    BitmapView empty = picture.view();
    empty.height = 0;
    EXPECT_FALSE(BitmapToRegion(empty, kBlack, 0, sink));
    EXPECT_TRUE(sink.batchSizes.empty());
}

TEST(BitmapToRegion, RunsEndAtBlackPixels)
{
    Picture picture(6, 2, 0xFFC0C0C0);
    picture.at(5, 0) = 0xFF000000;  // black at the row's end ends the run before it
    picture.at(0, 1) = 0xFF000000;  // a single pixel between two black ones
    picture.at(2, 1) = 0xFF000000;
    picture.at(3, 1) = 0xFF000000;
    picture.at(4, 1) = 0xFF000000;
    const auto rects = BitmapToRects(picture.view(), kBlack, 0);
    const std::vector<RegionRect> expected{{0, 0, 5, 1}, {1, 1, 2, 2}, {5, 1, 6, 2}};
    EXPECT_EQ(rects, expected);
}

TEST(BitmapToRegion, TheAlphaByteAndRowPaddingAreIgnored)
{
    Picture picture(3, 2, 0x00000000, 2);  // transparent black whatever the top byte says
    picture.at(1, 0) = 0x12FFFFFF;
    picture.pixels[3] = 0xFFFFFFFF;  // padding after row 0: never part of the picture
    picture.pixels[4] = 0xFFFFFFFF;
    picture.at(0, 1) = 0x7F000000;
    const std::vector<RegionRect> expected{{1, 0, 2, 1}};
    EXPECT_EQ(BitmapToRects(picture.view(), kBlack, 0), expected);
}

TEST(BitmapToRegion, ToleranceWidensEachChannelUpwardOnly)
{
    // Transparent colour red 10, green 20, blue 30 (0x00BBGGRR), tolerance 5.
    const std::uint32_t colour = 0x1E140A;
    Picture picture(6, 1, 0);
    picture.at(0, 0) = 0xFF0A141E;  // exactly the colour
    picture.at(1, 0) = 0xFF0F1923;  // every channel at its upper end (+5)
    picture.at(2, 0) = 0xFF10141E;  // red one above the range
    picture.at(3, 0) = 0xFF09141E;  // red one below: the range does not extend downward
    picture.at(4, 0) = 0xFF0A141F;  // blue +1: inside
    picture.at(5, 0) = 0xFF0A1524;  // blue +6: outside
    const std::vector<RegionRect> expected{{2, 0, 4, 1}, {5, 0, 6, 1}};
    EXPECT_EQ(BitmapToRects(picture.view(), colour, 5), expected);
    // Exact match: everything but pixel 0 shows.
    EXPECT_EQ(BitmapToRects(picture.view(), colour, 0), (std::vector<RegionRect>{{1, 0, 6, 1}}));
}

TEST(BitmapToRegion, ToleranceRangeStopsAt255)
{
    // White with tolerance 10: the range is 255..255, and nothing wraps around to 0.
    Picture picture(3, 1, 0xFFFFFFFF);
    picture.at(1, 0) = 0xFF000000;
    picture.at(2, 0) = 0xFFFEFFFF;
    EXPECT_EQ(BitmapToRects(picture.view(), 0xFFFFFF, 10), (std::vector<RegionRect>{{1, 0, 3, 1}}));
    // A huge tolerance from mid grey covers the upper half of each channel.
    EXPECT_EQ(BitmapToRects(picture.view(), 0x808080, 1 << 30), (std::vector<RegionRect>{{1, 0, 2, 1}}));
}

TEST(BitmapToRegion, ManyRunsArriveInBatchesOf2000AndJoinToTheWholeShape)
{
    // A checkerboard of 100 x 90: 50 runs per row, 4500 runs in all.
    Picture picture(100, 90, 0xFF000000);
    for (int y = 0; y < 90; ++y)
        for (int x = (y % 2); x < 100; x += 2)
            picture.at(x, y) = 0xFF3050A0;
    RecordingSink sink;
    ASSERT_TRUE(BitmapToRegion(picture.view(), kBlack, 0, sink));
    EXPECT_EQ(sink.batchSizes, (std::vector<std::size_t>{2000, 2000, 500}));
    const auto cover = coverage(sink.rects, 100, 90);
    for (int y = 0; y < 90; ++y)
        for (int x = 0; x < 100; ++x)
            ASSERT_EQ(cover[static_cast<std::size_t>(y) * 100 + x], (x + y) % 2 == 0 ? 1 : 0)
                << x << "," << y;
}

TEST(BitmapToRegion, ExactlyOneFullBatchIsJoinedOnce)
{
    Picture picture(4000, 1, 0xFF000000);
    for (int x = 0; x < 4000; x += 2)
        picture.at(x, 0) = 0xFFFFFFFF;
    RecordingSink sink;
    BitmapToRegion(picture.view(), kBlack, 0, sink);
    EXPECT_EQ(sink.batchSizes, std::vector<std::size_t>{2000});
}

TEST(BitmapToRegion, RandomPictureCoversExactlyItsVisiblePixelsWithMaximalRuns)
{
    std::mt19937 random(7);
    Picture picture(61, 37, 0);
    for (auto& p : picture.pixels)
        p = (random() % 3 == 0) ? 0xFF000000 : 0xFF000000 | (random() & 0xFFFFFF) | 1;
    const auto rects = BitmapToRects(picture.view(), kBlack, 0);
    const auto cover = coverage(rects, 61, 37);
    for (int y = 0; y < 37; ++y)
        for (int x = 0; x < 61; ++x)
            ASSERT_EQ(cover[static_cast<std::size_t>(y) * 61 + x], picture.at(x, y) == 0xFF000000 ? 0 : 1);
    // Maximal runs: two rectangles of a row never touch.
    for (std::size_t i = 1; i < rects.size(); ++i) {
        if (rects[i].top != rects[i - 1].top)
            continue;
        EXPECT_LT(rects[i - 1].right, rects[i].left);
    }
}

TEST(BitmapToRegion, RefusedRegionIsReportedWithItsCheck)
{
    Picture many(4100, 1, 0xFF000000);
    for (int x = 0; x < 4100; x += 2)
        many.at(x, 0) = 0xFFFFFFFF;  // 2050 runs: one full batch and a last one
    RecordingSink failFull;
    failFull.refuseBatch = 0;
    try {
        BitmapToRegion(many.view(), kBlack, 0, failFull);
        FAIL() << "no error";
    } catch (const RegionError& e) {
        EXPECT_EQ(e.check(), 235);
        EXPECT_STREQ(e.what(), "Assertion failure (QVTransImg, 235)");
    }
    RecordingSink failLast;
    failLast.refuseBatch = 1;
    try {
        BitmapToRegion(many.view(), kBlack, 0, failLast);
        FAIL() << "no error";
    } catch (const RegionError& e) {
        EXPECT_EQ(e.check(), 251);
        EXPECT_STREQ(e.what(), "Assertion failure (QVTransImg, 251)");
    }
}

}  // namespace
}  // namespace tesra
