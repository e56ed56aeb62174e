// Slot tables, tree placement in draw order, and the mean density and size.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "terrain/colouring_common.h"
#include "terrain/colouring_fixture.h"
#include "terrain/tree_placement.h"

namespace kalvenor {
namespace {

using testing_colour::makeLandscape;

TEST(SlotTable, SpreadsTheKindsOfAMask)
{
    struct Case {
        std::int32_t mask;
        std::array<std::uint8_t, 4> slots;
    };
    static constexpr Case cases[] = {
        {0, {0, 0, 0, 0}},
        {kTreeOak, {2, 2, 2, 2}},
        {kTreePalm | kTreePine, {1, 1, 8, 8}},
        {kTreeOak | kTreeCactus, {2, 2, 4, 4}},
        {kTreePalm | kTreeOak | kTreePine, {1, 2, 8, 8}},  // the third kind gets half
        {kTreeOak | kTreeCactus | kTreePine, {2, 4, 8, 8}},
        {15, {1, 2, 4, 8}},
        {16 | kTreeCactus, {4, 4, 4, 4}}, // bits above the four kinds mean nothing
    };
    for (const Case& c : cases) EXPECT_EQ(slotTable(c.mask), c.slots) << c.mask;

    TreeSettings trees;
    trees.kindMask = {kTreeOak, 0, 15, kTreePalm | kTreePine};
    buildSlotTables(trees);
    EXPECT_EQ(trees.slots[0], (std::array<std::uint8_t, 4>{2, 2, 2, 2}));
    EXPECT_EQ(trees.slots[3], (std::array<std::uint8_t, 4>{1, 1, 8, 8}));
}

// 4 x 4 flat land, all Tree 1, with a band-2 point at (1, 0), water with an oak at
// (0, 1), a building at (2, 0) and a 100 m spike at (3, 3) that makes the four
// cells around it too steep.
Landscape placementFixture()
{
    Landscape land = makeLandscape(4, 4, [](int c, int r) { return c == 3 && r == 3 ? 100 : 0; });
    for (int r = 0; r < land.gridHeight; ++r)
        for (int c = 0; c < land.gridWidth; ++c) land.terrain[r][c] = 56;
    land.terrain[0][1] = 57;
    land.terrain[1][0] = static_cast<std::uint16_t>(51 | (35 << 8));
    land.terrain[0][2] = static_cast<std::uint16_t>(56 | (60 << 8));
    land.terrain[0][3] = static_cast<std::uint16_t>(56 | (36 << 8)); // an old cactus, to be cleared
    return land;
}

TEST(PlaceTrees, FollowsTheDrawOrder)
{
    // Stream A seeded with 27. Candidates in row order, each taking r and, when
    // r + 128 < density and the cell is flat enough, the kind draw k (slot |k| AND 3):
    //   (0,0) r 106: 234 >= 100, no tree     (1,0) band 2, r -126 passes 50, k -57: slot 1
    //   of an empty mask: no tree            (3,0) r -108, k 45: slot 1 = palm
    //   (1,1) r -36, k -51: slot 3 = pine    (2,1) r 4, (3,1) 58, (0,2) 88, (1,2) 45: none
    //   (2,2) r -110 passes but too steep (no kind draw)   (3,2) r -57 too steep
    //   (0,3) 111   (1,3) r -106, k -35: slot 3 = pine   (2,3) 66, (3,3) 105: none
    Landscape land = placementFixture();
    TreeSettings trees;
    trees.density = {100, 50, 50, 50};
    trees.kindMask = {kTreePalm | kTreePine, 0, 0, 0};
    RandomStreams random;
    seedAll(random, 27);
    ScriptedFrontend ui;
    placeTrees(land, trees, random, ui);
    // The building stays, the old cactus and the oak in the water are gone.
    static constexpr int expected[4][4] = {
        {0, 0, 60, 34},
        {0, 37, 0, 0},
        {0, 0, 0, 0},
        {0, 37, 0, 0},
    };
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_EQ(ground::object(land.terrain[r][c]), expected[r][c]) << c << "," << r;
    EXPECT_EQ(ground::code(land.terrain[1][0]), 51);
}

TEST(PlaceTrees, DensityMasksAndSlope)
{
    struct Case {
        const char* what;
        int density;
        std::int32_t mask;
        int spike;
        int expectedTrees; // on the 16 candidate cells of a flat 4 x 4 (or spiked) landscape
    };
    static constexpr Case cases[] = {
        {"density 256 fills every flat point", 256, kTreeOak, 0, 16},
        {"density 0 places nothing", 0, kTreeOak, 0, 0},
        {"no kinds, no trees", 256, 0, 0, 0},
        // A 30 m spike at (2, 2): relief 30 per cell is not below the 30 m spacing, so
        // the four cells that touch it stay bare.
        {"relief at the spacing", 256, kTreeOak, 30, 12},
        {"relief just below", 256, kTreeOak, 29, 16},
    };
    for (const Case& c : cases) {
        Landscape land = makeLandscape(4, 4, [&](int col, int r) { return col == 2 && r == 2 ? c.spike : 0; });
        for (int r = 0; r < land.gridHeight; ++r)
            for (int col = 0; col < land.gridWidth; ++col) land.terrain[r][col] = 58;
        TreeSettings trees;
        trees.density = {0, 0, c.density, 0};
        trees.kindMask = {0, 0, c.mask, 0};
        RandomStreams random;
        ScriptedFrontend ui;
        placeTrees(land, trees, random, ui);
        int placed = 0;
        for (int r = 0; r <= 4; ++r)
            for (int col = 0; col <= 4; ++col) placed += ground::object(land.terrain[r][col]) == 35;
        EXPECT_EQ(placed, c.expectedTrees) << c.what;
    }
}

TEST(MeanTreeValues, KeepTheProportions)
{
    TreeSettings trees;
    EXPECT_EQ(meanTreeDensity(trees), 50); // trunc(202 / 4)
    setMeanTreeDensity(trees, 100);         // (50 x 100 + 25) / 50 = 100
    EXPECT_EQ(trees.density, (std::array<std::int32_t, 4>{100, 100, 100, 100}));

    trees.density = {0, 0, 0, 0};
    setMeanTreeDensity(trees, 100); // m = trunc(2 / 4) = 0, raised to 1: 0 x 100 / 1
    EXPECT_EQ(trees.density, (std::array<std::int32_t, 4>{0, 0, 0, 0}));

    trees.density = {10, 20, 30, 40};
    // m = trunc(102 / 4) = 25: (10 x 50 + 12) / 25 = 20.48, 1012 / 25, 1512 / 25, 2012 / 25.
    setMeanTreeDensity(trees, 50);
    EXPECT_EQ(trees.density, (std::array<std::int32_t, 4>{20, 40, 60, 80}));
    EXPECT_EQ(meanTreeDensity(trees), 50);

    // Sizes 35, 25, 20, 60: mean trunc(142 / 4) = 35; to 70: 2467 / 35, 1767 / 35, 1417 / 35, 4217 / 35.
    EXPECT_EQ(meanTreeSize(trees), 35);
    setMeanTreeSize(trees, 70);
    EXPECT_EQ(trees.palmSize, 70);
    EXPECT_EQ(trees.oakSize, 50);
    EXPECT_EQ(trees.cactusSize, 40);
    EXPECT_EQ(trees.pineSize, 120);
}

} // namespace
} // namespace kalvenor
