#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "edit_fixture.h"
#include "model/random_streams.h"
#include "platform/scripted_frontend.h"
#include "terrain/enlarge_shrink.h"

namespace kalvenor {
namespace {

using testing::blankLandscape;
using testing::flatLandscape;
using testing::gridOf;
using testing::landscapeOf;
using Rows = std::vector<std::vector<int>>;

TEST(EnlargedSide, EvenAndOddSides)
{
    const int cases[][2] = {{258, 514}, {514, 1026}, {1026, 2050}, {2050, 4098}, {257, 513}, {4, 6}, {7, 13}};
    for (const auto& c : cases) EXPECT_EQ(enlargedSide(c[0]), c[1]) << c[0];
}

// The 4 x 4 grid 1..16 doubled to 6 x 6: the doubled points, before filling, are
//   2 2 4 4 6 6 / 2 2 4 4 6 6 / 10 10 12 12 14 14 / 10 ... / 18 18 20 20 22 22 / 18 ...
Landscape numbered4x4()
{
    return landscapeOf({{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16}});
}

TEST(EnlargeAll, InterpolateFillsCentresThenEdges)
{
    // Centres 1: (1,1) = (2 + 4 + 10 + 12 + 2) >> 2 = 7, (1,3) = 9, (3,1) = 15, (3,3) = 17.
    // Centres 2: (1,2) = (4 + 7 + 9 + 12 + 2) >> 2 = 8, (1,4) = (6 + 9 + 6 + 14 + 2) >> 2 = 9,
    //            (3,2) = 16, (3,4) = (14 + 17 + 14 + 22 + 2) >> 2 = 17.
    // Centres 3: (2,1) = (7 + 10 + 12 + 15 + 2) >> 2 = 11, (2,3) = 13,
    //            (4,1) = (15 + 18 + 20 + 18 + 2) >> 2 = 18, (4,3) = 20.
    // Edges: columns 0 and 5 at odd rows, (above + below + 1) >> 1: 6, 14 and 10, 18;
    //        rows 0 and 5 at odd columns: 3, 5 and 19, 21;
    //        last-column corners: (0,5) = (10 + 6 + 1) >> 1 = 8, (5,5) = (22 + 22 + 1) >> 1 = 22.
    Landscape land = numbered4x4();
    RandomStreams random;
    ScriptedFrontend ui;
    ASSERT_EQ(enlargeAll(land, random, EnlargeFill::Interpolate, ui), 1);
    EXPECT_EQ(land.gridWidth, 6);
    EXPECT_EQ(land.gridHeight, 6);
    const Rows expected = {
        {2, 3, 4, 5, 6, 8},        {6, 7, 8, 9, 9, 10},       {10, 11, 12, 13, 14, 14},
        {14, 15, 16, 17, 17, 18}, {18, 18, 20, 20, 22, 22}, {18, 19, 20, 21, 22, 22},
    };
    EXPECT_EQ(gridOf(land), expected);
    EXPECT_EQ(ui.statuses,
              (std::vector<std::string>{"Enlarge all", "Fill Centers 1", "Fill Centers 2", "Fill Centers 3", "Fill Edges"}));
}

TEST(EnlargeAll, DuplicateKeepsTheBlocks)
{
    Landscape land = numbered4x4();
    RandomStreams random;
    ScriptedFrontend ui;
    ASSERT_EQ(enlargeAll(land, random, EnlargeFill::Duplicate, ui), 1);
    const Rows expected = {
        {2, 2, 4, 4, 6, 6},        {2, 2, 4, 4, 6, 6},        {10, 10, 12, 12, 14, 14},
        {10, 10, 12, 12, 14, 14}, {18, 18, 20, 20, 22, 22}, {18, 18, 20, 20, 22, 22},
    };
    EXPECT_EQ(gridOf(land), expected);
}

TEST(EnlargeAll, AveragesFloor)
{
    // A constant -3 doubles to -6; every average of -6s is -6 only when it floors:
    // (-24 + 2) >> 2 = -6 and (-12 + 1) >> 1 = -6, where truncation would give -5.
    Landscape land = flatLandscape(5, 5, -3);
    RandomStreams random;
    ScriptedFrontend ui;
    ASSERT_EQ(enlargeAll(land, random, EnlargeFill::Interpolate, ui), 1);
    EXPECT_EQ(land.gridWidth, 9); // odd side: 2 x 5 - 1
    EXPECT_EQ(gridOf(land), gridOf(flatLandscape(9, 9, -6)));
}

TEST(EnlargeAll, SmallToLargeDoublesEveryElevationAndKeepsTheName)
{
    Landscape land = blankLandscape(kSmallGrid, kSmallGrid);
    testing::fillPattern(land);
    setLandscapeName(land, "Hills");
    const Rows before = gridOf(land);
    RandomStreams random;
    ScriptedFrontend ui;
    ASSERT_EQ(enlargeAll(land, random, EnlargeFill::Duplicate, ui), 1);
    ASSERT_EQ(land.gridWidth, kLargeGrid);
    ASSERT_EQ(land.gridHeight, kLargeGrid);
    EXPECT_EQ(land.sizeX, 512);
    for (int y = 0; y < kLargeGrid; ++y)
        for (int x = 0; x < kLargeGrid; ++x) ASSERT_EQ(land.elevation[y][x], 2 * before[y / 2][x / 2]);
    EXPECT_EQ(land.name, "Hills");
    EXPECT_EQ(land.terrainValidAt, 512);
}

TEST(EnlargeAll, HugeBecomesMegaAndMegaIsRefused)
{
    Landscape land = flatLandscape(kHugeGrid, kHugeGrid, 5);
    RandomStreams random;
    ScriptedFrontend ui;
    ASSERT_EQ(enlargeAll(land, random, EnlargeFill::Interpolate, ui), 1);
    EXPECT_EQ(land.gridWidth, kMegaGrid);
    EXPECT_EQ(land.gridHeight, kMegaGrid);
    EXPECT_EQ(land.elevation[2049][2049], 10);

    land.elevation[7][9] = 77;
    const RandomStreams streams = random;
    EXPECT_EQ(enlargeAll(land, random, EnlargeFill::Interpolate, ui), 0);
    EXPECT_EQ(land.gridWidth, kMegaGrid);
    EXPECT_EQ(land.elevation[7][9], 77);
    EXPECT_EQ(land.elevation[100][100], 10);
    EXPECT_EQ(random.a, streams.a); // refused before the resize
}

TEST(EnlargeAll, AFailedResizePutsTheOldGridBack)
{
    Landscape land = blankLandscape(kSmallGrid, kSmallGrid);
    testing::fillPattern(land);
    land.terrain[4][5] = 0x0133;
    setLandscapeName(land, "Kept");
    // Room for the four small maps, not for the large ones.
    land.mapBudgetBytes = 4 * kSmallGrid * kSmallGrid * 2 + 1000;
    const auto elevations = testing::elevationCells(land);
    const auto terrain = testing::terrainCells(land);
    RandomStreams random;
    ScriptedFrontend ui;
    EXPECT_EQ(enlargeAll(land, random, EnlargeFill::Interpolate, ui), 0);
    EXPECT_EQ(land.gridWidth, kSmallGrid);
    EXPECT_EQ(testing::elevationCells(land), elevations);
    EXPECT_EQ(testing::terrainCells(land), terrain);
    EXPECT_EQ(land.name, "Kept");
}

Landscape numbered6x6()
{
    Landscape land = blankLandscape(6, 6);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) land.elevation[y][x] = static_cast<std::int16_t>(10 * y + x);
    return land;
}

TEST(EnlargeSection, QuarterFromTheMarkedCornerFillsTheGrid)
{
    // W = H = 4: every point is 2 * S[y / 2 + 1][x / 2 + 1].
    Landscape land = numbered6x6();
    ScriptedFrontend ui;
    ASSERT_EQ(enlargeSection(land, 1, 1, EnlargeFill::Duplicate, ui), 1);
    EXPECT_EQ(land.gridWidth, 6);
    const Rows expected = {
        {22, 22, 24, 24, 26, 26}, {22, 22, 24, 24, 26, 26}, {42, 42, 44, 44, 46, 46},
        {42, 42, 44, 44, 46, 46}, {62, 62, 64, 64, 66, 66}, {62, 62, 64, 64, 66, 66},
    };
    EXPECT_EQ(gridOf(land), expected);

    // Interpolated: (1,1) = (22 + 24 + 42 + 44 + 2) >> 2 = 33.
    Landscape interpolated = numbered6x6();
    ASSERT_EQ(enlargeSection(interpolated, 1, 1, EnlargeFill::Interpolate, ui), 1);
    EXPECT_EQ(interpolated.elevation[1][1], 33);
}

TEST(EnlargeSection, CornerIsClampedToTheUpperLeftQuarter)
{
    // (10, -3) becomes (1, 0): rows come from S rows 0, 0, 1, 1, 2, 2.
    Landscape land = numbered6x6();
    ScriptedFrontend ui;
    ASSERT_EQ(enlargeSection(land, 10, -3, EnlargeFill::Duplicate, ui), 1);
    EXPECT_EQ(testing::rowOf(land, 0), (std::vector<int>{2, 2, 4, 4, 6, 6}));
    EXPECT_EQ(testing::rowOf(land, 5), (std::vector<int>{42, 42, 44, 44, 46, 46}));
}

TEST(EnlargeSection, CommandAsksForTheCornerThenTheFill)
{
    Landscape land = numbered6x6();
    ScriptedFrontend ui;
    EXPECT_EQ(enlargeSectionCommand(land, ui), -1); // no point marked: Esc
    EXPECT_EQ(gridOf(land), gridOf(numbered6x6()));

    ui.pointAnswers = {MapPoint{1, 1}};
    ui.askAnswers = {false}; // Duplicate
    EXPECT_EQ(enlargeSectionCommand(land, ui), 1);
    EXPECT_EQ(land.elevation[1][1], 22);
    EXPECT_EQ(ui.questions, (std::vector<std::string>{"Mark Region:", "Mark Region:",
                                                      "Choose fill type: [Interpolate|Duplicate]"}));
}

// A 66 x 66 grid (W = H = 64) with three telling blocks:
//   (0,0) 1 2 / 3 4 -> 10 / 8 = 1;  (2,2) -1 -2 / -3 -4 -> -10 / 8 = -1 (truncating);
//   rows 4, 5 at column 63 hold 8 and 16. Edge extension copies column 63 into
//   columns 64 and 65 first, so the block at column 64 is (8 + 8 + 16 + 16) / 8 = 6,
//   and the block at column 62 is (0 + 8 + 0 + 16) / 8 = 3.
Landscape shrinkFixture(SizeMode mode)
{
    Landscape land = blankLandscape(66, 66);
    land.sizeMode = mode;
    const int cells[][3] = {{0, 0, 1},  {0, 1, 2},  {1, 0, 3},  {1, 1, 4},  {2, 2, -1},
                            {2, 3, -2}, {3, 2, -3}, {3, 3, -4}, {4, 63, 8}, {5, 63, 16}};
    for (const auto& c : cells) land.elevation[c[0]][c[1]] = static_cast<std::int16_t>(c[2]);
    return land;
}

TEST(Shrink, AutomaticModeHalvesTheGrid)
{
    Landscape land = shrinkFixture(SizeMode::Automatic);
    RandomStreams random;
    ScriptedFrontend ui;
    ASSERT_EQ(shrinkLandscape(land, random, ui), 1);
    EXPECT_EQ(land.gridWidth, 34);
    EXPECT_EQ(land.gridHeight, 34);
    EXPECT_EQ(land.elevation[0][0], 1);
    EXPECT_EQ(land.elevation[1][1], -1);
    EXPECT_EQ(land.elevation[2][31], 3);
    // The new grid's edges are extended: columns 32 and 33 copy column 31.
    EXPECT_EQ(land.elevation[2][32], 3);
    EXPECT_EQ(land.elevation[2][33], 3);
    EXPECT_EQ(land.elevation[33][0], land.elevation[31][0]);
}

TEST(Shrink, FixedModeKeepsTheSizeWithTheResultTopLeft)
{
    Landscape land = shrinkFixture(SizeMode::Fixed);
    RandomStreams random;
    const RandomStreams streams = random;
    ScriptedFrontend ui;
    ASSERT_EQ(shrinkLandscape(land, random, ui), 1);
    EXPECT_EQ(land.gridWidth, 66);
    EXPECT_EQ(land.elevation[0][0], 1);
    EXPECT_EQ(land.elevation[1][1], -1);
    EXPECT_EQ(land.elevation[2][31], 3);
    EXPECT_EQ(land.elevation[2][32], 6); // no edge extension in fixed mode
    EXPECT_EQ(random.a, streams.a);      // no resize
    for (int y = 0; y < 66; ++y)
        for (int x = 0; x < 66; ++x) {
            if (y > 32 || x > 32) {
                ASSERT_EQ(land.elevation[y][x], 0) << y << "," << x;
            }
        }
}

TEST(Shrink, LargeToSmallAveragesEveryBlock)
{
    for (const SizeMode mode : {SizeMode::Automatic, SizeMode::Fixed}) {
        Landscape land = blankLandscape(kLargeGrid, kLargeGrid);
        land.sizeMode = mode;
        testing::fillPattern(land);
        const Rows before = gridOf(land);
        RandomStreams random;
        ScriptedFrontend ui;
        ASSERT_EQ(shrinkLandscape(land, random, ui), 1);
        const int expectedGrid = mode == SizeMode::Automatic ? kSmallGrid : kLargeGrid;
        ASSERT_EQ(land.gridWidth, expectedGrid);
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x) {
                const int sum = before[2 * y][2 * x] + before[2 * y][2 * x + 1] + before[2 * y + 1][2 * x] +
                                before[2 * y + 1][2 * x + 1];
                ASSERT_EQ(land.elevation[y][x], sum / 8) << y << "," << x;
            }
        if (mode == SizeMode::Fixed) {
            EXPECT_EQ(land.elevation[300][10], 0);
            EXPECT_EQ(land.elevation[10][300], 0);
        }
    }
}

TEST(Shrink, RefusedBelowSixtyFourCells)
{
    Landscape land = blankLandscape(65, 80); // W = 63
    testing::fillPattern(land);
    const Rows before = gridOf(land);
    RandomStreams random;
    ScriptedFrontend ui;
    EXPECT_EQ(shrinkLandscape(land, random, ui), 0);
    EXPECT_EQ(gridOf(land), before);
}

} // namespace
} // namespace kalvenor
