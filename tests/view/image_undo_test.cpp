// The image undo stack: five copies, newest first, the oldest dropped by a sixth.
#include "view/image_undo.h"

#include <gtest/gtest.h>

namespace tesra {
namespace {

TPixelGraphic imageOf(std::uint32_t colour)
{
    TPixelGraphic g(3, 2, TPixelFormat::pf24Bit);
    g.SetPixel(1, 1, colour);
    return g;
}

TEST(ImageUndoStack, SixRunsUndoBackToTheFirstAndNoFurther)
{
    ImageUndoStack stack;
    TPixelGraphic image = imageOf(0);
    // Each "filter run" stores the image, then changes it to colour run.
    for (std::uint32_t run = 1; run <= 6; ++run) {
        stack.push(image);
        image = imageOf(run);
    }
    EXPECT_EQ(stack.depth(), 5);
    for (std::uint32_t expected = 5; expected >= 1; --expected) {
        ASSERT_TRUE(stack.pop(image));
        EXPECT_EQ(image.GetPixel(1, 1), expected);
    }
    EXPECT_EQ(stack.depth(), 0);
    EXPECT_FALSE(stack.pop(image));
    EXPECT_EQ(image.GetPixel(1, 1), 1u);
}

TEST(ImageUndoStack, CopiesAreIndependentAndKeepTheProgressSink)
{
    ImageUndoStack stack;
    ProgressSink sink;
    TPixelGraphic image = imageOf(7);
    image.setProgress(&sink);
    stack.push(image);
    image.SetPixel(1, 1, 9);
    ASSERT_TRUE(stack.pop(image));
    EXPECT_EQ(image.GetPixel(1, 1), 7u);
    EXPECT_EQ(image.progress(), &sink);
    stack.push(image);
    stack.clear();
    EXPECT_EQ(stack.depth(), 0);
}

}  // namespace
}  // namespace tesra
