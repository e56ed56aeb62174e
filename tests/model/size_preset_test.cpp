#include <gtest/gtest.h>

#include "model/landscape.h"
#include "model/random_streams.h"

namespace kalvenor {
namespace {

TEST(SizePreset, PresetFixesTheModeAndAutomaticOnlySwitchesIt)
{
    Landscape land;
    RandomStreams random;
    ASSERT_EQ(resizeLandscape(land, random, kSmallGrid, kSmallGrid), 1);
    setLandscapeName(land, "Fractal ISLAND #5");

    EXPECT_EQ(selectSizePreset(land, random, kSizeLarge), 1);
    EXPECT_EQ(land.gridWidth, 514);
    EXPECT_EQ(land.gridHeight, 514);
    EXPECT_EQ(land.sizeMode, SizeMode::Fixed);
    EXPECT_EQ(land.name, "Flatland");
    EXPECT_EQ(currentSizePreset(land), kSizeLarge);

    setLandscapeName(land, "Kept grid");
    EXPECT_EQ(selectSizePreset(land, random, kSizeAutomatic), 1);
    EXPECT_EQ(land.gridWidth, 514);
    EXPECT_EQ(land.sizeMode, SizeMode::Automatic);
    EXPECT_EQ(land.name, "Flatland");
    EXPECT_EQ(currentSizePreset(land), kSizeAutomatic);
}

TEST(SizePreset, MegaWithoutMemoryRevertsToThePreviousSizeAndMode)
{
    Landscape land;
    RandomStreams random;
    ASSERT_EQ(resizeLandscape(land, random, kLargeGrid, kLargeGrid), 1);
    land.sizeMode = SizeMode::Automatic;
    // Room for four 514 x 514 maps but not for four 2050 x 2050 ones.
    land.mapBudgetBytes = 4u * kLargeGrid * kLargeGrid * 2u;

    EXPECT_EQ(selectSizePreset(land, random, kSizeMega), 0);
    EXPECT_EQ(land.gridWidth, kLargeGrid);
    EXPECT_EQ(land.gridHeight, kLargeGrid);
    EXPECT_EQ(land.sizeMode, SizeMode::Automatic);
    EXPECT_EQ(land.name, "Flatland");
    // A fresh default landscape: the pyramid top stands at the centre.
    EXPECT_EQ(land.elevation[256][256], 240);
}

} // namespace
} // namespace kalvenor
