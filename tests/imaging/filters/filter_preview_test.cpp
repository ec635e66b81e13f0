// The filter dialogs' preview: its size, the mean colours of the scaled image, and stopping a
// filter run whose result is no longer wanted.
#include <gtest/gtest.h>

#include "imaging/filters/bcg_filter.h"
#include "imaging/filters/filter_preview.h"

namespace tesra {
namespace {

TEST(FilterPreview, SizeKeepsProportionsAndNeverEnlarges)
{
    EXPECT_EQ(FitPreviewSize(6000, 4000, 320, 320).width, 320);
    EXPECT_EQ(FitPreviewSize(6000, 4000, 320, 320).height, 213);
    EXPECT_EQ(FitPreviewSize(4000, 6000, 320, 320).width, 213);
    EXPECT_EQ(FitPreviewSize(4000, 6000, 320, 320).height, 320);
    EXPECT_EQ(FitPreviewSize(100, 50, 320, 320).width, 100);
    EXPECT_EQ(FitPreviewSize(100, 50, 320, 320).height, 50);
    EXPECT_EQ(FitPreviewSize(10000, 2, 320, 320).height, 1);  // a sliver keeps one row
    EXPECT_EQ(FitPreviewSize(0, 50, 320, 320).width, 0);
}

TEST(FilterPreview, EveryPixelIsTheMeanOfWhatItCovers)
{
    // 4 × 2 scaled to 2 × 1: each preview pixel covers a 2 × 2 block.
    TPixelGraphic source(4, 2, TPixelFormat::pf24Bit);
    source.SetPixel(0, 0, rgb(0, 0, 0));
    source.SetPixel(1, 0, rgb(100, 10, 255));
    source.SetPixel(0, 1, rgb(100, 10, 255));
    source.SetPixel(1, 1, rgb(1, 0, 255));
    for (int x = 2; x < 4; ++x)
        for (int y = 0; y < 2; ++y)
            source.SetPixel(x, y, rgb(7, 8, 9));
    const TPixelGraphic preview = ScalePreview(source, 2, 2);
    ASSERT_EQ(preview.Width(), 2);
    ASSERT_EQ(preview.Height(), 1);
    EXPECT_EQ(preview.GetColor(0, 0), rgb(50, 5, 191));  // 201/4 = 50.25, 20/4, 765/4 = 191.25
    EXPECT_EQ(preview.GetColor(1, 0), rgb(7, 8, 9));
}

TEST(FilterPreview, PaletteImagesGiveTrueColour)
{
    TPixelGraphic source(2, 2, TPixelFormat::pf8Bit);
    const std::vector<std::uint32_t> palette{rgb(10, 20, 30), rgb(200, 100, 0)};
    source.SetPalette(palette);
    source.SetPixel(1, 1, 1);
    const TPixelGraphic same = ScalePreview(source, 320, 320);
    EXPECT_EQ(same.PixelFormat(), TPixelFormat::pf24Bit);
    EXPECT_EQ(same.GetColor(0, 0), rgb(10, 20, 30));
    EXPECT_EQ(same.GetColor(1, 1), rgb(200, 100, 0));
}

TEST(FilterPreview, ACancelledRunStopsEarly)
{
    TPixelGraphic source(50, 200, TPixelFormat::pf24Bit);
    TPixelGraphic target;
    TBCGFilter filter;
    std::atomic<bool> cancel{false};

    struct Counter : ProgressSink {
        int steps = 0;
        int ends = 0;
        std::atomic<bool>* cancel = nullptr;
        void step(int) override
        {
            if (++steps == 3)
                *cancel = true;  // a newer setting arrives during the run
        }
        void end() override { ++ends; }
    } counter;
    counter.cancel = &cancel;
    CancellableProgress progress(cancel, &counter);
    EXPECT_THROW(ApplyFilter(source, target, filter, &progress), PreviewCancelled);
    EXPECT_EQ(counter.steps, 3);
    EXPECT_EQ(counter.ends, 1);

    cancel = false;
    counter.steps = -100;
    EXPECT_NO_THROW(ApplyFilter(source, target, filter, &progress));
}

}  // namespace
}  // namespace tesra
