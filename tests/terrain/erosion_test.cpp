#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "edit_fixture.h"
#include "model/random_streams.h"
#include "platform/scripted_frontend.h"
#include "terrain/erosion.h"

namespace kalvenor {
namespace {

using testing::flatLandscape;

// Draws of stream A (state s -> s * 1103515245 + 12345, draw ((s >> 16) & 255) - 128):
//   seed 107: 98 | 82 18 | -100 -109 ...  -> ox = 82 AND 15 = 2, oy = 18 AND 15 = 2,
//             then k = -100 AND 3 = 0, -109 AND 3 = 3
//   seed 15:  30 | -29 -30 | 70 -99 ...    -> ox = 3, oy = 2, then k = 70 AND 3 = 2, -99 AND 3 = 1
// On a 6 x 6 grid (W = H = 4) either round releases one drop: rows 2, 18 ... <= 4.

TEST(Erosion, ADropFillsThePitWhereItStops)
{
    // Seed 107, drop at (2,2) = 5; neighbours up 9, down 7, left 8, right 6.
    // The lowest, 6, is not below 5: the pit becomes 6 + 1 = 7.
    Landscape land = flatLandscape(6, 6, 50);
    land.elevation[2][2] = 5;
    land.elevation[1][2] = 9;
    land.elevation[3][2] = 7;
    land.elevation[2][1] = 8;
    land.elevation[2][3] = 6;
    RandomStreams random;
    seedAll(random, 107);
    ScriptedFrontend ui;
    EXPECT_EQ(erodeRounds(land, 1, random, ui), 1);
    EXPECT_EQ(land.elevation[2][2], 7);
    ASSERT_EQ(ui.plots.size(), 1u);
    EXPECT_EQ(ui.plots[0].firstRow, 2);
    EXPECT_EQ(ui.plots[0].firstColumn, 2);
    EXPECT_EQ(ui.statuses, std::vector<std::string>{"Press Esc to finish (1)"});
}

TEST(Erosion, TiesGoToTheFirstInTheCyclicOrder)
{
    struct Case {
        std::uint32_t seed;
        int row, column;       // drop position
        int lowA[2], lowB[2];  // two equally low neighbours (4)
        int raised[2];         // where the drop stops
        int expected;          // its new elevation
    };
    const Case cases[] = {
        // Seed 107, drop at (2,2) = 10, down (3,2) and left (2,1) at 4, k = 0:
        // up, down, left, right -> down. At (3,2), k = 3: right 30, up 10, down 30,
        // left 30 -> 10 is not below 4: (3,2) = 11.
        {107, 2, 2, {3, 2}, {2, 1}, {3, 2}, 11},
        // Seed 15, drop at (2,3) = 10, up (1,3) and left (2,2) at 4, k = 2:
        // left, right, up, down -> left. At (2,2), k = 1: down 30, left 30, right 10,
        // up 30 -> (2,2) = 11. Starting from up instead would leave the grid at row 1.
        {15, 2, 3, {1, 3}, {2, 2}, {2, 2}, 11},
    };
    for (const Case& c : cases) {
        Landscape land = flatLandscape(6, 6, 30);
        land.elevation[c.row][c.column] = 10;
        land.elevation[c.lowA[0]][c.lowA[1]] = 4;
        land.elevation[c.lowB[0]][c.lowB[1]] = 4;
        RandomStreams random;
        seedAll(random, c.seed);
        ScriptedFrontend ui;
        erodeRounds(land, 1, random, ui);
        EXPECT_EQ(land.elevation[c.raised[0]][c.raised[1]], c.expected) << c.seed;
        EXPECT_EQ(land.elevation[c.row][c.column], 10) << c.seed;
        ASSERT_EQ(ui.plots.size(), 1u);
        EXPECT_EQ(ui.plots[0].firstRow, c.raised[0]);
        EXPECT_EQ(ui.plots[0].firstColumn, c.raised[1]);
    }
}

TEST(Erosion, RoundsEndAtTheCountOrAtEsc)
{
    Landscape land = flatLandscape(40, 40, 0);
    testing::fillPattern(land);
    RandomStreams random;
    ScriptedFrontend ui;
    EXPECT_EQ(erodeRounds(land, 5, random, ui), 5);
    EXPECT_EQ(ui.statuses.back(), "Press Esc to finish (5)");

    ScriptedFrontend esc;
    esc.abortOnPoll = 3;
    EXPECT_EQ(erodeRounds(land, 2147483647LL, random, esc), 2);
    EXPECT_EQ(esc.statuses.size(), 3u);
}

TEST(Erosion, OnlyRaisesAndFillsPits)
{
    Landscape land = testing::blankLandscape(kSmallGrid, kSmallGrid);
    testing::fillPattern(land);
    const auto before = testing::elevationCells(land);
    RandomStreams random;
    seedAll(random, 3);
    ScriptedFrontend ui;
    EXPECT_EQ(erodeRounds(land, 30, random, ui), 30);
    const auto after = testing::elevationCells(land);
    int raised = 0;
    for (std::size_t i = 0; i < before.size(); ++i) {
        ASSERT_GE(after[i], before[i]);
        raised += after[i] > before[i] ? 1 : 0;
    }
    EXPECT_GT(raised, 0);
}

} // namespace
} // namespace kalvenor
