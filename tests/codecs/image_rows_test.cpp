#include <gtest/gtest.h>

#include <cstdint>

#include "codecs/image_rows.h"

namespace kalvenor {
namespace {

TEST(ImageRows, ReadAndWriteAreClippedToTheBuffer)
{
    ImagePlane<std::uint32_t> plane;
    ASSERT_TRUE(plane.allocate(4, 2));
    const std::uint32_t in[6] = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(writeRow(plane, 1, 1, 6, in), 3); // columns 1..3 only
    std::uint32_t out[6] = {};
    EXPECT_EQ(readRow(plane, 0, 1, 6, out), 4);
    EXPECT_EQ(out[0], 0u);
    EXPECT_EQ(out[1], 1u);
    EXPECT_EQ(out[3], 3u);
    EXPECT_EQ(writeRow(plane, 0, 2, 1, in), 0);  // below the last row
    EXPECT_EQ(writeRow(plane, -1, 0, 2, in), 0); // left of the row
    EXPECT_EQ(readRow(plane, 4, 0, 1, out), 0);

    ImagePlane<std::uint8_t> empty;
    std::uint8_t byte = 0;
    EXPECT_EQ(readRow(empty, 0, 0, 1, &byte), 0);
}

} // namespace
} // namespace kalvenor
