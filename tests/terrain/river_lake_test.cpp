#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "edit_fixture.h"
#include "platform/scripted_frontend.h"
#include "terrain/lake.h"
#include "terrain/river.h"
#include "terrain/water.h"

namespace kalvenor {
namespace {

using testing::codeAt;
using testing::flatLandscape;
using testing::gridOf;

struct Cell {
    int row;
    int column;
};

std::vector<std::vector<int>> plotted(const ScriptedFrontend& ui)
{
    std::vector<std::vector<int>> rects;
    for (const MapRect& r : ui.plots) rects.push_back({r.firstColumn, r.firstRow, r.lastColumn, r.lastRow});
    return rects;
}

// 10 x 10 (W = H = 8), all 100, with a closed pit at (4,4) = 10 whose lowest
// rim is (5,4) = 12, and a way out below it: (6,4) = 11, (7,4) = 5.
Landscape pitFixture()
{
    Landscape land = flatLandscape(10, 10, 100);
    land.elevation[4][4] = 10;
    land.elevation[5][4] = 12;
    land.elevation[6][4] = 11;
    land.elevation[7][4] = 5;
    return land;
}

TEST(River, RaisesAClosedPitUntilItSpills)
{
    // (4,4): raised to 11, still lower than all four neighbours: raised again to
    // 12, no longer below (5,4) = 12: it moves down. (5,4) -> 13, moves to the
    // 11 below; (6,4) -> 12, moves to the 5 below; (7,4) is on the border
    // (7 + 1 >= 8): claimed, not raised, and the walk ends.
    Landscape land = pitFixture();
    ScriptedFrontend ui;
    ASSERT_TRUE(walkRiver(land, 4, 4, ui));
    EXPECT_EQ(land.elevation[4][4], 12);
    EXPECT_EQ(land.elevation[5][4], 13);
    EXPECT_EQ(land.elevation[6][4], 12);
    EXPECT_EQ(land.elevation[7][4], 5);
    for (int y = 4; y <= 7; ++y) EXPECT_EQ(codeAt(land, y, 4), kRiverMarker) << y;
    EXPECT_EQ(codeAt(land, 3, 4), 0);
    EXPECT_EQ(plotted(ui), (std::vector<std::vector<int>>{{4, 4, 4, 4}, {4, 5, 4, 5}, {4, 6, 4, 6}, {4, 7, 4, 7}}));
    EXPECT_EQ(ui.polls, 5); // once per round, the pit's two rounds included
    EXPECT_EQ(ui.statuses, std::vector<std::string>{kRiverStatus});
}

TEST(River, StopsAtWaterUnlessItStartedOnWater)
{
    Landscape dry = pitFixture();
    dry.terrain[6][4] = kWater1;
    ScriptedFrontend ui;
    ASSERT_TRUE(walkRiver(dry, 4, 4, ui));
    EXPECT_EQ(dry.elevation[6][4], 11); // reached, neither claimed nor raised
    EXPECT_EQ(codeAt(dry, 6, 4), kWater1);
    EXPECT_EQ(codeAt(dry, 7, 4), 0);
    EXPECT_EQ(ui.plots.size(), 2u);

    Landscape wet = pitFixture();
    wet.terrain[4][4] = kWater2;
    wet.terrain[6][4] = kWater1;
    ScriptedFrontend wetUi;
    ASSERT_TRUE(walkRiver(wet, 4, 4, wetUi));
    EXPECT_EQ(wet.elevation[6][4], 12);
    EXPECT_EQ(codeAt(wet, 4, 4), kRiverMarker);
    EXPECT_EQ(codeAt(wet, 6, 4), kRiverMarker);
    EXPECT_EQ(codeAt(wet, 7, 4), kRiverMarker);
}

TEST(River, LooksAheadWhileNeighboursTie)
{
    // 10 x 10 of 100, start (4,4) = 50 with two neighbours at 10: down (5,4) and
    // another. The walk is aborted on the second cell, which shows the choice.
    // Segments at distance k: down = row 4 + k over columns 4 - k .. 4 + k - 1,
    // right = column 4 + k over rows 4 - k .. 4 + k - 1 (likewise up and left).
    struct Case {
        const char* name;
        Cell low;                 // the second low neighbour
        std::vector<int> changes; // row, column, value triples
        Cell expected;
    };
    const Case cases[] = {
        // k = 1: down (100 + 10) / 2 = 55, right (60 + 10) / 2 = 35.
        {"right lower ahead", {4, 5}, {3, 5, 60}, {4, 5}},
        {"down lower ahead", {4, 5}, {5, 3, 60}, {5, 4}},
        // Tie at k = 1 (55, 55); at k = 2 column 6 rows 2..5 averages (0 + 300) / 4 = 75.
        {"tie broken at k = 2", {4, 5}, {2, 6, 0}, {4, 5}},
        // Ties all the way: at k = 4 both segments leave the grid, all four
        // directions tie at 32767, and the first in order (down) wins.
        {"full tie goes down", {4, 5}, {}, {5, 4}},
        // Up (3,4) and left (4,3) low instead: a full tie still ends with down
        // once both have run off the grid (k = 5), although (5,4) is 100.
        {"up and left tie", {3, 4}, {4, 3, 10}, {5, 4}},
        // ...unless the left segment at k = 2 (column 2, rows 2..5) is lower.
        {"left lower at k = 2", {3, 4}, {4, 3, 10, 5, 2, 0}, {4, 3}},
    };
    for (const Case& c : cases) {
        Landscape land = flatLandscape(10, 10, 100);
        land.elevation[4][4] = 50;
        if (c.low.row == 4) land.elevation[5][4] = 10; // the down neighbour joins the right one
        land.elevation[c.low.row][c.low.column] = 10;
        for (std::size_t i = 0; i + 2 < c.changes.size(); i += 3)
            land.elevation[c.changes[i]][c.changes[i + 1]] = static_cast<std::int16_t>(c.changes[i + 2]);
        ScriptedFrontend ui;
        ui.abortOnPoll = 2;
        ASSERT_TRUE(walkRiver(land, 4, 4, ui)) << c.name;
        ASSERT_EQ(ui.plots.size(), 2u) << c.name;
        EXPECT_EQ(ui.plots[1].firstRow, c.expected.row) << c.name;
        EXPECT_EQ(ui.plots[1].firstColumn, c.expected.column) << c.name;
        EXPECT_EQ(land.elevation[4][4], 51) << c.name;
    }
}

TEST(River, LongLookAheadOverWideSegments)
{
    // 70 x 70 of 100, start (35,35) = 50 with down and right at 10: the means
    // tie (55, then 100) until k = 13, whose segments span 26 cells: down is
    // row 48, columns 22 .. 47; right is column 48, rows 22 .. 47. A single 0 in
    // one of them gives (25 * 100 + 0) / 26 = 96 and decides.
    const Cell cases[][2] = {{{48, 30}, {36, 35}}, {{30, 48}, {35, 36}}};
    for (const auto& c : cases) {
        Landscape land = flatLandscape(70, 70, 100);
        land.elevation[35][35] = 50;
        land.elevation[36][35] = 10;
        land.elevation[35][36] = 10;
        land.elevation[c[0].row][c[0].column] = 0;
        ScriptedFrontend ui;
        ui.abortOnPoll = 2;
        ASSERT_TRUE(walkRiver(land, 35, 35, ui));
        ASSERT_EQ(ui.plots.size(), 2u);
        EXPECT_EQ(ui.plots[1].firstRow, c[1].row);
        EXPECT_EQ(ui.plots[1].firstColumn, c[1].column);
    }
}

TEST(River, StartOutsideTheSamplePointsIsRefused)
{
    const Cell outside[] = {{0, 9}, {9, 0}, {-1, 3}, {3, -1}, {100000, 2}};
    for (const Cell& c : outside) {
        Landscape land = pitFixture();
        ScriptedFrontend ui;
        EXPECT_FALSE(walkRiver(land, c.column, c.row, ui));
        EXPECT_EQ(gridOf(land), gridOf(pitFixture()));
        EXPECT_TRUE(ui.plots.empty());
    }
    // A border point is a valid start: it is claimed and the walk ends at once.
    Landscape land = pitFixture();
    ScriptedFrontend ui;
    EXPECT_TRUE(walkRiver(land, 8, 8, ui));
    EXPECT_EQ(codeAt(land, 8, 8), kRiverMarker);
    EXPECT_EQ(land.elevation[8][8], 100);
}

TEST(River, CrossesAFlatPlainToTheBorder)
{
    Landscape land = flatLandscape(40, 40, 0);
    ScriptedFrontend ui;
    ASSERT_TRUE(walkRiver(land, 20, 20, ui));
    const MapRect last = ui.plots.back();
    const bool border = last.firstRow < 2 || last.firstRow + 1 >= land.sizeY || last.firstColumn < 2 ||
                        last.firstColumn + 1 >= land.sizeX;
    EXPECT_TRUE(border);
}

// 7 x 7 (W = H = 5), walls of 50, a basin of cells <= 20 connected through
// row 3, and (4,5) = 12 touching the basin only diagonally.
Landscape basin()
{
    return testing::landscapeOf({
        {50, 50, 50, 50, 50, 50, 50},
        {50, 10, 10, 50, 15, 50, 50},
        {50, 10, 50, 50, 10, 50, 50},
        {50, 10, 10, 10, 10, 50, 50},
        {50, 50, 50, 50, 50, 12, 50},
        {50, 50, 50, 50, 50, 50, 50},
        {50, 50, 50, 50, 50, 50, 50},
    });
}

TEST(Lake, ScanlineFillToOneAboveTheLevel)
{
    // Spans in call order: row 1 [1,2]; below it row 2 [1]; below that row 3
    // [1,4]; above (2,4) row 2 [4]; above that row 1 [4].
    Landscape land = basin();
    ScriptedFrontend ui;
    EXPECT_EQ(fillLake(land, 1, 1, 20, ui), 1);
    const std::vector<std::vector<int>> expected = {
        {50, 50, 50, 50, 50, 50, 50}, {50, 21, 21, 50, 21, 50, 50}, {50, 21, 50, 50, 21, 50, 50},
        {50, 21, 21, 21, 21, 50, 50}, {50, 50, 50, 50, 50, 12, 50}, {50, 50, 50, 50, 50, 50, 50},
        {50, 50, 50, 50, 50, 50, 50},
    };
    EXPECT_EQ(gridOf(land), expected);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(codeAt(land, y, x), expected[y][x] == 21 ? kRiverMarker : 0) << y << "," << x;
    EXPECT_EQ(plotted(ui), (std::vector<std::vector<int>>{
                               {1, 1, 2, 1}, {1, 2, 1, 2}, {1, 3, 4, 3}, {4, 2, 4, 2}, {4, 1, 4, 1}}));
    EXPECT_EQ(ui.statuses, std::vector<std::string>{kLakeStatus});
}

TEST(Lake, BelowTheClickedCellLowersItToLevelPlusOne)
{
    // The start cell is in the span whatever its height; (2,1) = 40 joins it.
    Landscape land = flatLandscape(5, 5, 100);
    land.elevation[2][1] = 40;
    ScriptedFrontend ui;
    EXPECT_EQ(fillLake(land, 2, 2, 50, ui), 1);
    EXPECT_EQ(testing::rowOf(land, 2), (std::vector<int>{100, 51, 51, 100, 100}));
    EXPECT_EQ(codeAt(land, 2, 2), kRiverMarker);
    EXPECT_EQ(codeAt(land, 2, 1), kRiverMarker);
    EXPECT_EQ(codeAt(land, 2, 3), 0);
}

// A snake of one-cell corridors in the odd columns 1, 3, 5, ... joined
// alternately at the bottom (row H - 1) and the top (row 1): every scanline
// call has exactly one nested call, so the depth grows along the path.
Landscape snake(int corridors)
{
    Landscape land = flatLandscape(2 * corridors + 2, 258, 1000);
    const int bottom = land.sizeY - 1;
    for (int i = 0; i < corridors; ++i) {
        const int c = 2 * i + 1;
        for (int y = 1; y <= bottom; ++y) land.elevation[y][c] = 0;
        if (i + 1 < corridors) land.elevation[i % 2 == 0 ? bottom : 1][c + 1] = 0;
    }
    return land;
}

TEST(Lake, NestingStopsAtTheDepthLimit)
{
    // 20 corridors of 255 rows: 255 + 19 * 254 = 5081 nested scanlines. Only
    // the first 3400 fill; the 3401st returns at once and the rest stay dry.
    Landscape land = snake(20);
    ScriptedFrontend ui;
    EXPECT_EQ(fillLake(land, 1, 1, 0, ui), 1);
    EXPECT_EQ(ui.plots.size(), static_cast<std::size_t>(kLakeMaxDepth));
    for (const MapRect& r : ui.plots)
        for (int x = r.firstColumn; x <= r.lastColumn; ++x) ASSERT_EQ(land.elevation[r.firstRow][x], 1);
    EXPECT_EQ(land.elevation[1][39], 0); // the far end of the last corridor

    // 10 corridors (2541 scanlines) fill completely.
    Landscape shorter = snake(10);
    ScriptedFrontend shortUi;
    EXPECT_EQ(fillLake(shorter, 1, 1, 0, shortUi), 1);
    for (int y = 0; y < shorter.gridHeight; ++y)
        for (int x = 0; x < shorter.gridWidth; ++x) ASSERT_NE(shorter.elevation[y][x], 0) << y << "," << x;
}

TEST(Lake, AbortStopsEveryPendingScanline)
{
    Landscape land = basin();
    ScriptedFrontend ui;
    ui.abortOnPoll = 2;
    EXPECT_EQ(fillLake(land, 1, 1, 20, ui), -1);
    EXPECT_EQ(testing::rowOf(land, 1), (std::vector<int>{50, 21, 21, 50, 15, 50, 50}));
    EXPECT_EQ(land.elevation[2][1], 10);
    EXPECT_EQ(ui.plots.size(), 1u);
}

TEST(Lake, HostileStartsAndLevels)
{
    const Cell outside[] = {{0, 6}, {6, 0}, {-1, 1}, {1, -1}};
    for (const Cell& c : outside) {
        Landscape land = basin();
        ScriptedFrontend ui;
        EXPECT_EQ(fillLake(land, c.column, c.row, 20, ui), 0);
        EXPECT_EQ(gridOf(land), gridOf(basin()));
    }
    // A level at the top of the 16-bit range is held one below it, so the
    // surface (level + 1) still fits and the fill ends.
    Landscape land = basin();
    ScriptedFrontend ui;
    EXPECT_EQ(fillLake(land, 1, 1, 40000, ui), 1);
    EXPECT_EQ(land.elevation[1][1], 32767);
    EXPECT_EQ(land.elevation[5][5], 32767);
    EXPECT_EQ(land.elevation[6][6], 50); // beyond the sample points
}

} // namespace
} // namespace kalvenor
