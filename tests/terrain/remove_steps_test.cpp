#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "edit_fixture.h"
#include "platform/scripted_frontend.h"
#include "terrain/remove_steps.h"

namespace kalvenor {
namespace {

using testing::blankLandscape;
using testing::flatLandscape;
using testing::gridOf;
using Rows = std::vector<std::vector<int>>;

constexpr int kUnset = -32768;

// A 5 x 3 map, unset except for the cells given as {row, column, value}.
Landscape sparse(std::initializer_list<std::array<int, 3>> cells)
{
    Landscape land = flatLandscape(5, 3, kUnset);
    for (const auto& c : cells) land.elevation[c[0]][c[1]] = static_cast<std::int16_t>(c[2]);
    return land;
}

TEST(FillRule, InverseStepWeightsRoundedHalfUp)
{
    struct Case {
        Landscape land;
        int row;
        int column;
        int expected;
    };
    // Weights 720720 / steps. Between 0 and 40 four columns apart the rule is linear:
    //   column 1: (0 * 720720 + 40 * 240240) / 960960 = 10; column 2: 20; column 3: 30.
    // 0 and 30: column 1 gets 30 * 240240 / 960960 = 7.5, rounded half up to 8.
    // 0 and 1 one step either side: 0.5 -> 1; -1 and 0: -0.5 -> 0.
    // A lone cell on a diagonal counts at its step distance: 90 from (0,0) at (2,2).
    Case cases[] = {
        {sparse({{1, 0, 0}, {1, 4, 40}}), 1, 1, 10},
        {sparse({{1, 0, 0}, {1, 4, 40}}), 1, 2, 20},
        {sparse({{1, 0, 0}, {1, 4, 40}}), 1, 3, 30},
        {sparse({{1, 0, 0}, {1, 4, 30}}), 1, 1, 8},
        {sparse({{1, 0, 0}, {1, 2, 1}}), 1, 1, 1},
        {sparse({{1, 0, -1}, {1, 2, 0}}), 1, 1, 0},
        {sparse({{0, 0, 90}}), 2, 2, 90},
        {sparse({}), 1, 1, 0},
        {sparse({{1, 0, 5}}), 7, 1, 0}, // outside the map
        {sparse({{1, 0, 5}}), 1, -1, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fillValue(c.land.elevation, c.column, c.row), c.expected) << c.row << "," << c.column;
}

TEST(RemoveSteps, SingleStepBecomesARamp)
{
    // Every row 0 0 8 8 8 8 (W = H = 4). Marks: column 2 (higher than its left
    // neighbour). Border rows: 0, trunc(8 * 1 / 2) = 4, 8, 8, 8; column 0 all 0,
    // column 4 all 8. Interior column 1: left 0, right 8, the diagonals 0 and 8,
    // up and down 4 (rows 0 and 4): 4. Column 3: 8. So rows 0 .. 4 read
    // 0 4 8 8 8 | 8 and the margin row stays 0 0 8 8 8 8.
    // Smoothing at k = 32767 / 8 - 1 = 4094 (b = 4k = 16376, c = 8k = 32752):
    //   (1,1) = (3b + 3c + 4) / 9 = 16376;  (1,2) = (3b + 6c + 4) / 9 = 27293;
    //   (1,3) = (8c + 27293 + 4) / 9 = 32145;
    //   (1,0) = (0 + 0 + 0 + 16376 + 2) / 4 = 4094;
    //   (0,1) = (0 + b + c + b + 2) / 4 = 16376;  (0,2) = (16376 + 2c + 27293 + 2) / 4 = 27293;
    //   (0,3) = (27293 + 2c + 32145 + 2) / 4 = 31236;  (0,0) = (0 + 16376 + 4094 + 1) / 3 = 6823.
    // Divided by 4094 (truncating): row 0: 1 4 6 7, row 1: 1 4 6 7; columns 4, 5 copy column 3.
    Landscape land = blankLandscape(6, 6);
    for (int y = 0; y < 6; ++y)
        for (int x = 2; x < 6; ++x) land.elevation[y][x] = 8;
    ScriptedFrontend ui;
    removeSteps(land, ui);
    EXPECT_EQ(testing::rowOf(land, 0), (std::vector<int>{1, 4, 6, 7, 7, 7}));
    EXPECT_EQ(testing::rowOf(land, 1), (std::vector<int>{1, 4, 6, 7, 7, 7}));
    EXPECT_EQ(testing::rowOf(land, 5), testing::rowOf(land, 3));
}

TEST(RemoveSteps, PrecisionFactorOneWhenTheStatisticsSeeNoHeight)
{
    // 4 x 4 (W = H = 2), only the centre point (1,1) = 9, marked. The statistics
    // scan only (0,0) = 0, so max is 0 and k is 1 (32767 / 0 has no value).
    // Box filter: (1,1) = (9 + 4) / 9 = 1, everything else (1 + 4) / 9 or less: 0.
    // Edge extension copies column 1 and row 1 outward.
    Landscape land = flatLandscape(4, 4, 0);
    land.elevation[1][1] = 9;
    ScriptedFrontend ui;
    removeSteps(land, ui);
    EXPECT_EQ(gridOf(land), (Rows{{0, 0, 0, 0}, {0, 1, 1, 1}, {0, 1, 1, 1}, {0, 1, 1, 1}}));
}

TEST(RemoveSteps, ConstantLandscapeIsUnchanged)
{
    Landscape land = flatLandscape(9, 7, 37);
    ScriptedFrontend ui;
    removeSteps(land, ui);
    EXPECT_EQ(gridOf(land), gridOf(flatLandscape(9, 7, 37)));
    EXPECT_EQ(ui.progressLines.size(), 4u); // interior rows 1 .. H - 1
    EXPECT_EQ(ui.progressLines.front(), "remove steps: 20%");
}

TEST(RemoveSteps, TerracedImportBecomesASmoothSlope)
{
    // Terraces of 10 m every 4 columns, rising to the east, and a second set of
    // 6 m every 3 rows rising to the south.
    Landscape land = blankLandscape(66, 66);
    for (int y = 0; y < 66; ++y)
        for (int x = 0; x < 66; ++x) land.elevation[y][x] = static_cast<std::int16_t>(10 * (x / 4) + 6 * (y / 3));
    ScriptedFrontend ui;
    removeSteps(land, ui);
    for (int y = 2; y < 60; ++y)
        for (int x = 2; x < 60; ++x) {
            const int east = land.elevation[y][x + 1] - land.elevation[y][x];
            const int south = land.elevation[y + 1][x] - land.elevation[y][x];
            // The ramps are 2.5 and 2 m per cell: no flat run ending in a 10 or 6 m step.
            ASSERT_GE(east, 0) << y << "," << x;
            ASSERT_LE(east, 5) << y << "," << x;
            ASSERT_GE(south, 0) << y << "," << x;
            ASSERT_LE(south, 4) << y << "," << x;
        }
}

TEST(RemoveSteps, InteriorFollowsTheFillRuleOfTheMarks)
{
    // The interior sweep must give what the per-cell fill rule gives on the mark map.
    Landscape land = blankLandscape(40, 33);
    testing::fillPattern(land);
    for (int y = 10; y < 20; ++y)
        for (int x = 5; x < 30; ++x) land.elevation[y][x] = 3; // a wide flat terrace
    ScriptedFrontend ui;
    interpolateSteps(land, ui);

    Landscape marks = blankLandscape(40, 33);
    for (int y = 0; y < 33; ++y)
        for (int x = 0; x < 40; ++x) marks.elevation[y][x] = static_cast<std::int16_t>(land.shadow[y][x]);
    int filled = 0;
    for (int y = 1; y < land.sizeY; ++y)
        for (int x = 1; x < land.sizeX; ++x) {
            const int mark = marks.elevation[y][x];
            const int expected = mark >= kUnsetBelow ? mark : fillValue(marks.elevation, x, y);
            filled += mark < kUnsetBelow ? 1 : 0;
            ASSERT_EQ(land.elevation[y][x], expected) << y << "," << x;
        }
    EXPECT_GT(filled, 200);
    // Every border point is known after the interpolation.
    for (int x = 0; x <= land.sizeX; ++x) {
        EXPECT_GE(marks.elevation[0][x], kUnsetBelow);
        EXPECT_GE(marks.elevation[land.sizeY][x], kUnsetBelow);
    }
}

TEST(RemoveSteps, HighPointsBeyondTheStatisticsDoNotOverflow)
{
    // The statistics see only 10 (rows and columns 0 .. 2), so 32767 / 10 - 1 =
    // 3275 would push 2000 far past 16 bits; the factor follows the true peak.
    Landscape land = flatLandscape(6, 6, 10);
    land.elevation[3][3] = 2000;
    ScriptedFrontend ui;
    removeSteps(land, ui);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) {
            EXPECT_GE(land.elevation[y][x], 10) << y << "," << x;
            EXPECT_LE(land.elevation[y][x], 2000) << y << "," << x;
        }
    EXPECT_GT(land.elevation[3][3], 10);
}

TEST(FillRule, WholeGridFillMatchesTheCellByCellRuleInRowOrder)
{
    // Sparse, dense, empty and one-cell patterns on a non-square grid: the
    // sweep must give exactly what fillValue gives when applied in row order.
    struct Case {
        const char* name;
        int keepOneIn; // keep a cell set when its hash % keepOneIn == 0; 0 keeps none
    };
    const Case cases[] = {{"none set", 0}, {"one in 2", 2}, {"one in 7", 7}, {"one in 97", 97}, {"one in 5000", 5000}};
    for (const Case& k : cases) {
        Landscape fast = blankLandscape(37, 23);
        for (int y = 0; y < fast.gridHeight; ++y)
            for (int x = 0; x < fast.gridWidth; ++x) {
                const unsigned hash = static_cast<unsigned>(y * 7919 + x * 104729) * 2654435761u >> 7;
                const bool keep = k.keepOneIn != 0 && hash % static_cast<unsigned>(k.keepOneIn) == 0;
                fast.elevation[y][x] = keep ? static_cast<std::int16_t>(hash % 4001) - 2000 : -32768;
            }
        Landscape slow = blankLandscape(37, 23);
        for (int y = 0; y < slow.gridHeight; ++y)
            for (int x = 0; x < slow.gridWidth; ++x) slow.elevation[y][x] = fast.elevation[y][x];
        for (int y = 0; y < slow.gridHeight; ++y)
            for (int x = 0; x < slow.gridWidth; ++x)
                if (slow.elevation[y][x] < kUnsetBelow)
                    slow.elevation[y][x] = static_cast<std::int16_t>(fillValue(slow.elevation, x, y));
        fillUnsetInRowOrder(fast.elevation);
        for (int y = 0; y < slow.gridHeight; ++y)
            for (int x = 0; x < slow.gridWidth; ++x)
                ASSERT_EQ(fast.elevation[y][x], slow.elevation[y][x]) << k.name << " at " << y << "," << x;
    }
}

} // namespace
} // namespace kalvenor
