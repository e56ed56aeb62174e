#include <gtest/gtest.h>

#include "landscape/landscape.h"
#include "landscape/random_streams.h"

namespace kalvenor {
namespace {

TEST(Landscape, AllocatesRowTablesEndingInNull)
{
    Landscape land;
    ASSERT_EQ(allocateGrid(land, 300, 200), 1);
    EXPECT_EQ(land.sizeX, 298);
    EXPECT_EQ(land.sizeY, 198);
    EXPECT_EQ(land.shortSide, 199);
    EXPECT_EQ(land.longSide, 299);
    for (const auto* rows : {&land.terrain.rows, &land.shadow.rows}) {
        ASSERT_EQ(rows->size(), 201u);
        EXPECT_EQ(rows->back(), nullptr);
    }
    ASSERT_EQ(land.elevation.rows.size(), 201u);
    EXPECT_EQ(land.elevation.rows.back(), nullptr);
    EXPECT_EQ(land.elevation[1] - land.elevation[0], 300);
}

} // namespace
} // namespace kalvenor
