#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "base/fatal_error.h"
#include "model/landscape.h"
#include "model/random_streams.h"

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

// Four maps of 258 x 258 cells of two bytes.
constexpr std::size_t kSmallGridBytes = 4u * 258u * 258u * 2u;

void expectSmallGrid(const Landscape& land)
{
    EXPECT_EQ(land.gridWidth, 258);
    EXPECT_EQ(land.gridHeight, 258);
    EXPECT_EQ(land.sizeX, 256);
    EXPECT_EQ(land.sizeY, 256);
    EXPECT_EQ(land.shortSide, 257);
    EXPECT_EQ(land.longSide, 257);
    for (const auto* rows : {&land.elevation.rows, &land.work.rows}) {
        ASSERT_EQ(rows->size(), 259u);
        EXPECT_EQ(rows->back(), nullptr);
    }
    for (const auto* rows : {&land.terrain.rows, &land.shadow.rows}) {
        ASSERT_EQ(rows->size(), 259u);
        EXPECT_EQ(rows->back(), nullptr);
    }
}

TEST(Landscape, NewMapsAreZeroFilledAndEveryRowIsReachable)
{
    Landscape land;
    ASSERT_EQ(allocateGrid(land, 21, 15), 1);
    for (int r = 0; r < 15; ++r) {
        ASSERT_NE(land.work[r], nullptr);
        EXPECT_EQ(land.work[r] - land.work[0], r * 21);
        for (int c = 0; c < 21; ++c) {
            EXPECT_EQ(land.elevation[r][c], 0);
            EXPECT_EQ(land.terrain[r][c], 0);
            EXPECT_EQ(land.shadow[r][c], 0);
            EXPECT_EQ(land.work[r][c], 0);
        }
    }
    ASSERT_EQ(land.work.rows.size(), 16u);
    EXPECT_EQ(land.work.rows.back(), nullptr);
}

TEST(Landscape, FallsBackToTheSmallGridWhenTheRequestDoesNotFit)
{
    Landscape land;
    ASSERT_EQ(allocateGrid(land, 300, 300), 1);
    land.mapBudgetBytes = kSmallGridBytes; // room for 258 x 258 and no more
    EXPECT_EQ(allocateGrid(land, 514, 514), 0);
    expectSmallGrid(land);
}

TEST(Landscape, NonsenseSizesFallBackToTheSmallGrid)
{
    for (const auto& [w, h] : {std::pair{2, 300}, std::pair{300, 0}, std::pair{-5, -5}}) {
        SCOPED_TRACE(::testing::Message() << w << " x " << h);
        Landscape land;
        ASSERT_EQ(allocateGrid(land, 300, 200), 1);
        EXPECT_EQ(allocateGrid(land, w, h), 0);
        expectSmallGrid(land);
    }
}

TEST(Landscape, OutOfMemoryWhenEvenTheSmallGridDoesNotFit)
{
    Landscape land;
    ASSERT_EQ(allocateGrid(land, 300, 300), 1);
    land.mapBudgetBytes = kSmallGridBytes - 1;
    try {
        allocateGrid(land, 514, 514);
        FAIL() << "expected FatalError";
    } catch (const FatalError& e) {
        EXPECT_EQ(std::string(e.what()), "Out of memory while resizing landscape.");
    }
    EXPECT_FALSE(land.elevation.allocated());
    EXPECT_FALSE(land.terrain.allocated());
    EXPECT_FALSE(land.shadow.allocated());
    EXPECT_FALSE(land.work.allocated());
}

// Checks the default landscape: the pyramid by Chebyshev distance from the
// centre, 1 to 4 metres everywhere else, the margin included.
void expectFlatland(const Landscape& land)
{
    const int centreColumn = land.sizeX / 2;
    const int centreRow = land.sizeY / 2;
    int pyramidCells = 0;
    for (int r = 0; r < land.gridHeight; ++r)
        for (int c = 0; c < land.gridWidth; ++c) {
            const int ring = std::max(std::abs(c - centreColumn), std::abs(r - centreRow));
            const int v = land.elevation[r][c];
            if (ring <= 7) {
                ++pyramidCells;
                ASSERT_EQ(v, 240 - 30 * ring) << "column " << c << " row " << r;
            } else {
                ASSERT_GE(v, 1) << "column " << c << " row " << r;
                ASSERT_LE(v, 4) << "column " << c << " row " << r;
            }
        }
    if (land.gridWidth > centreColumn + 7 && land.gridHeight > centreRow + 7 && centreColumn >= 7 && centreRow >= 7) {
        EXPECT_EQ(pyramidCells, 15 * 15);
    }
    EXPECT_EQ(land.name, "Flatland");
}

TEST(Landscape, DefaultLandscapeIsAPyramidOnLowNoise)
{
    Landscape land;
    RandomStreams random;
    ASSERT_EQ(resizeLandscape(land, random, 258, 258), 1);
    expectFlatland(land);
    EXPECT_EQ(land.elevation[128][128], 240);
    EXPECT_EQ(land.elevation[121][135], 30);

    // The noise is drawn from stream A row by row. Seed 1 gives the draws
    // 70, -2, 1, -21 (see the random stream tests); (draw & 3) + 1 = 3, 3, 2, 4.
    seedAll(random, 1);
    buildDefaultLandscape(land, random);
    EXPECT_EQ(land.elevation[0][0], 3);
    EXPECT_EQ(land.elevation[0][1], 3);
    EXPECT_EQ(land.elevation[0][2], 2);
    EXPECT_EQ(land.elevation[0][3], 4);
}

TEST(Landscape, PyramidIsCutAtTheEdgesOfASmallGrid)
{
    // 21 x 15 cells: centre (9, 6); ring 7 reaches rows -1 and 13, so the top is cut.
    Landscape land;
    RandomStreams random;
    ASSERT_EQ(resizeLandscape(land, random, 21, 15), 1);
    expectFlatland(land);
    EXPECT_EQ(land.elevation[0][9], 60); // ring 6
    EXPECT_EQ(land.elevation[13][2], 30);
    EXPECT_LE(land.elevation[14][9], 4); // ring 8, the margin
}

TEST(Landscape, SameSizeKeepsTheMapsButRebuildsTheDefaultLandscape)
{
    Landscape land;
    RandomStreams random;
    ASSERT_EQ(resizeLandscape(land, random, 258, 258), 1);
    const std::int16_t* block = land.elevation.block.get();
    const std::uint16_t* terrainBlock = land.terrain.block.get();
    land.elevation[128][128] = 999;
    land.elevation[3][3] = -500;
    land.terrain[5][5] = 77;
    setLandscapeName(land, "Alps");

    EXPECT_EQ(resizeLandscape(land, random, 258, 258), 1);
    EXPECT_EQ(land.elevation.block.get(), block);
    EXPECT_EQ(land.terrain.block.get(), terrainBlock);
    EXPECT_EQ(land.terrain[5][5], 77); // the allocation is kept as it was
    expectFlatland(land);
}

TEST(Landscape, FailedResizeRevertsToThePreviousSizeAndKeepsTheSizeMode)
{
    Landscape land;
    RandomStreams random;
    ASSERT_EQ(resizeLandscape(land, random, 300, 200), 1);
    land.sizeMode = SizeMode::Fixed;
    land.mapBudgetBytes = kSmallGridBytes + 1000; // 300 x 200 fits, 514 x 514 does not

    EXPECT_EQ(resizeLandscape(land, random, 514, 514), 0);
    EXPECT_EQ(land.gridWidth, 300);
    EXPECT_EQ(land.gridHeight, 200);
    EXPECT_EQ(land.sizeX, 298);
    EXPECT_EQ(land.sizeY, 198);
    EXPECT_EQ(land.elevation.width, 300);
    EXPECT_EQ(land.elevation.height, 200);
    EXPECT_EQ(land.sizeMode, SizeMode::Fixed);
    expectFlatland(land);
}

TEST(Landscape, ResizeIsFatalWhenThePreviousSizeCannotBeHadAgain)
{
    Landscape land;
    RandomStreams random;
    ASSERT_EQ(resizeLandscape(land, random, 514, 514), 1);
    land.mapBudgetBytes = kSmallGridBytes; // neither 1026 nor the previous 514 fits
    EXPECT_THROW(resizeLandscape(land, random, 1026, 1026), FatalError);
}

// A small grid: 10 x 8 cells, sizeX = 8, sizeY = 6. The statistics scan rows
// 0..4 and columns 0..6.
Landscape statisticsGrid()
{
    Landscape land;
    EXPECT_EQ(allocateGrid(land, 10, 8), 1);
    return land;
}

TEST(Landscape, ElevationStatisticsScanLimitsAndTies)
{
    Landscape land = statisticsGrid();
    land.elevation[1][2] = 500; // first of two equal maxima in scan order
    land.elevation[4][6] = 500; // last scanned cell
    land.elevation[3][1] = -40;
    land.elevation[2][2] = 17;
    // Outside the scan: the last two rows and the last two columns.
    land.elevation[5][0] = 9000;
    land.elevation[0][7] = 9000;
    land.elevation[5][3] = -9000;
    land.elevation[2][7] = -9000;
    land.elevation[4][0] = -32768; // the "unset" marker does not count as lowest
    computeElevationStatistics(land);
    EXPECT_EQ(land.highestElevation, 500);
    EXPECT_EQ(land.highestColumn, 2);
    EXPECT_EQ(land.highestRow, 1);
    EXPECT_EQ(land.lowestElevation, -40);
}

TEST(Landscape, ElevationStatisticsIgnoreZerosForTheLowest)
{
    struct Case {
        const char* what;
        std::int16_t fill;  // every scanned cell
        std::int16_t spot;  // cell (3, 2)
        int lowest, highest;
    };
    const Case cases[] = {
        {"all zero", 0, 0, 0, 0},
        {"zeros and one hill", 0, 80, 80, 80},
        {"zeros and one hollow", 0, -15, -15, 0},
        {"plateau", 12, 30, 12, 30},
        {"only unset and zero", 0, -32768, 0, 0},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.what);
        Landscape land = statisticsGrid();
        for (int r = 0; r < land.gridHeight; ++r)
            for (int c = 0; c < land.gridWidth; ++c) land.elevation[r][c] = t.fill;
        land.elevation[2][3] = t.spot;
        computeElevationStatistics(land);
        EXPECT_EQ(land.lowestElevation, t.lowest);
        EXPECT_EQ(land.highestElevation, t.highest);
    }
}

TEST(Landscape, ResetDerivedMapsInvalidatesAndClears)
{
    Landscape land;
    ASSERT_EQ(allocateGrid(land, 40, 30), 1);
    land.terrainValidAt = land.cliffValidAt = land.shadowValidAt = 1;
    land.terrainFrozen = land.shadowFrozen = 1;
    land.paletteStale = 0;
    for (int r = 0; r < 30; ++r)
        for (int c = 0; c < 40; ++c) {
            land.terrain[r][c] = 0x1234;
            land.shadow[r][c] = 0xFFFF;
            land.elevation[r][c] = 5;
            land.work[r][c] = 6;
        }
    resetDerivedMaps(land);
    EXPECT_EQ(land.terrainValidAt, 38);
    EXPECT_EQ(land.cliffValidAt, 38);
    EXPECT_EQ(land.shadowValidAt, 38);
    EXPECT_EQ(land.terrainFrozen, 0);
    EXPECT_EQ(land.shadowFrozen, 0);
    for (int r = 0; r < 30; ++r)
        for (int c = 0; c < 40; ++c) {
            ASSERT_EQ(land.terrain[r][c], 0);
            ASSERT_EQ(land.shadow[r][c], 0);
            ASSERT_EQ(land.elevation[r][c], 5);
            ASSERT_EQ(land.work[r][c], 6);
        }
}

TEST(Landscape, NameAndCommentAreClipped)
{
    Landscape land;
    setLandscapeName(land, std::string(40, 'n'));
    setLandscapeComment(land, std::string(70, 'c'));
    EXPECT_EQ(land.name, std::string(31, 'n'));
    EXPECT_EQ(land.comment, std::string(63, 'c'));
    setLandscapeName(land, std::string_view("Ab\0cd", 5));
    EXPECT_EQ(land.name, "Ab");
}

} // namespace
} // namespace kalvenor
