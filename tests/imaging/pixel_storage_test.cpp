#include "imaging/pixel_storage.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tesra {
namespace {

TEST(PixelStorage, SmallAndMappedBlocksStartZeroAndCopyIndependently)
{
    for (std::size_t size : {std::size_t{2}, std::size_t{4096}, std::size_t{9u << 20}}) {
        PixelStorage a(size);
        ASSERT_EQ(a.size(), size);
        EXPECT_TRUE(std::all_of(a.data(), a.data() + size, [](std::uint8_t b) { return b == 0; }));
        a.data()[0] = 7;
        a.data()[size - 1] = 9;
        PixelStorage b(a);
        b.data()[0] = 1;
        EXPECT_EQ(a.data()[0], 7);
        EXPECT_EQ(b.data()[size - 1], 9);
        PixelStorage c;
        c = std::move(b);
        EXPECT_EQ(c.data()[0], 1);
        EXPECT_TRUE(b.empty());
        c.clear();
        EXPECT_TRUE(c.empty());
        EXPECT_EQ(c.data(), nullptr);
    }
    EXPECT_TRUE(PixelStorage(0).empty());
}

}  // namespace
}  // namespace tesra
