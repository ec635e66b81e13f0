// The grain structure behind the splash and about pictures.
#include "view/grain_picture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace tesra {
namespace {

GrainPictureOptions fieldOptions()
{
    GrainPictureOptions o;
    o.width = 120;
    o.height = 100;
    o.roundField = true;
    o.fieldX = 60;
    o.fieldY = 50;
    o.fieldRadius = 45;
    o.seed = 3;
    return o;
}

TEST(GrainPicture, RoundFieldIsSolidAndEverythingOutsideIsBlack)
{
    const GrainPictureOptions o = fieldOptions();
    const auto pixels = MakeGrainPicture(o);
    ASSERT_EQ(pixels.size(), 120u * 100u);
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 120; ++x) {
            const double r = std::hypot(x + 0.5 - 60, y + 0.5 - 50);
            const std::uint32_t rgb = pixels[static_cast<std::size_t>(y) * 120 + x] & 0xFFFFFF;
            if (r > 45)
                ASSERT_EQ(rgb, 0u) << x << "," << y;
            else
                ASSERT_NE(rgb, 0u) << x << "," << y;  // a black shape would cut holes here
        }
    }
}

TEST(GrainPicture, SameSeedSameStructureOtherSeedOther)
{
    GrainPictureOptions o = fieldOptions();
    const auto a = MakeGrainPicture(o);
    EXPECT_EQ(MakeGrainPicture(o), a);
    o.seed = 4;
    EXPECT_NE(MakeGrainPicture(o), a);
}

TEST(GrainPicture, ShowsManyGrainsWithBoundaries)
{
    GrainPictureOptions o;
    o.width = 200;
    o.height = 200;
    o.grainSize = 20;
    o.boundaryColour = 0;
    const auto pixels = MakeGrainPicture(o);
    std::size_t boundary = 0;
    for (std::uint32_t p : pixels)
        boundary += (p & 0xFFFFFF) == 0;
    // About a hundred grains with boundaries about 1.6 pixels wide: a tenth or so is boundary.
    EXPECT_GT(boundary, pixels.size() / 30);
    EXPECT_LT(boundary, pixels.size() / 4);
    EXPECT_TRUE(MakeGrainPicture(GrainPictureOptions{}).empty());
}

}  // namespace
}  // namespace tesra
