#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "edit_fixture.h"
#include "model/random_streams.h"
#include "platform/scripted_frontend.h"
#include "terrain/sea.h"
#include "terrain/water.h"

namespace kalvenor {
namespace {

using testing::codeAt;
using testing::flatLandscape;
using testing::gridOf;

// Stream A seeded with 107 draws 98, 82, 18, -100, -109, -73, ...
// (state s -> s * 1103515245 + 12345, draw ((s >> 16) & 255) - 128).
constexpr std::uint32_t kSeed107 = 107;

TEST(WaterSlopeCode, SteepWaterByAngleFlatWaterByDraw)
{
    RandomStreams random;
    seedAll(random, kSeed107);
    const RandomStreams untouched = random;
    const int steep[][2] = {{90, 55}, {46, 55}, {45, 54}, {26, 54}, {25, 53}, {11, 53}};
    for (const auto& c : steep) EXPECT_EQ(waterSlopeCode(c[0], random), c[1]) << c[0];
    EXPECT_EQ(random.a, untouched.a); // no draw above 10 degrees

    // Draws 98, 82, 18 lie above -96 (Water 1); -100 does not (Water 2).
    const int flat[] = {10, 0, -5, 3};
    const int expected[] = {51, 51, 51, 52};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(waterSlopeCode(flat[i], random), expected[i]) << i;
}

TEST(WaterSlopeCode, WaterTwoIsAboutOneCellInEight)
{
    RandomStreams random;
    seedAll(random, 4242);
    int minority = 0;
    for (int i = 0; i < 8000; ++i) minority += waterSlopeCode(0, random) == kWater2 ? 1 : 0;
    EXPECT_GT(minority, 800);
    EXPECT_LT(minority, 1200);
}

TEST(CellSlopes, TwoTrianglesOfTheCell)
{
    // Spacing 30. A rise of 60 per cell eastward: both normals (-1800, 0, 900):
    // cos = 900 / sqrt(1800^2 + 900^2) = 1 / sqrt 5, 63.43 degrees -> 63.
    Landscape east = flatLandscape(4, 4, 0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) east.elevation[y][x] = static_cast<std::int16_t>(60 * x);
    EXPECT_EQ(cellSlopes(east, 1, 1).first, 63);
    EXPECT_EQ(cellSlopes(east, 1, 1).second, 63);

    // Only the lower-left corner (row 2, column 1) raised by 30: the first
    // triangle has dzx = -30, dzy = 30, normal (900, -900, 900): 54.7 -> 54;
    // the second triangle is flat.
    Landscape corner = flatLandscape(4, 4, 0);
    corner.elevation[2][1] = 30;
    EXPECT_EQ(cellSlopes(corner, 1, 1).first, 54);
    EXPECT_EQ(cellSlopes(corner, 1, 1).second, 0);

    // The last column and row reach past the grid: the missing neighbours are the cell itself.
    EXPECT_EQ(cellSlopes(corner, 3, 3).first, 0);
}

TEST(ColourWater, BanksEndZeroToThreeAboveTheWater)
{
    // One claimed cell at 10. Neighbours 17 -> 10 + (7 AND 3) = 13; 5 -> 10 + (-5 AND 3) = 13;
    // 14 -> 10; 10 -> 10; 1000 -> 10 + (990 AND 3) = 12. Cells further away are untouched.
    Landscape land = testing::landscapeOf({
        {50, 50, 50, 50, 50},
        {50, 17, 5, 14, 50},
        {50, 10, 10, 1000, 50},
        {50, 11, 12, 13, 50},
        {50, 50, 50, 50, 50},
    });
    land.terrain[2][2] = 0x0300 | kRiverMarker; // the object byte stays
    RandomStreams random;
    colourWater(land, random);
    EXPECT_EQ(testing::rowOf(land, 1), (std::vector<int>{50, 13, 13, 10, 50}));
    EXPECT_EQ(testing::rowOf(land, 2), (std::vector<int>{50, 10, 10, 12, 50}));
    EXPECT_EQ(testing::rowOf(land, 3), (std::vector<int>{50, 11, 12, 13, 50}));
    EXPECT_EQ(testing::rowOf(land, 0), (std::vector<int>{50, 50, 50, 50, 50}));
    EXPECT_TRUE(isWaterCode(codeAt(land, 2, 2)));
    EXPECT_EQ(land.terrain[2][2] >> 8, 3);
}

TEST(ColourWater, BanksFollowRowOrderAndSteepWaterGetsWaterfallCodes)
{
    // Two claimed cells, (2,2) at 100 and (3,2) at 10, the rest 10. Row order
    // visits (2,2) first: its neighbour (3,3) becomes 100 + (-90 AND 3) = 102, and
    // then (3,2) brings it to 10 + (92 AND 3) = 10 (the other order would leave 102).
    // (2,2) then spans a drop of 90 m over 30 m in both triangles: 71.6 degrees,
    // Water 5, with no draw.
    Landscape land = flatLandscape(6, 6, 10);
    land.elevation[2][2] = 100;
    land.terrain[2][2] = kRiverMarker;
    land.terrain[3][2] = kRiverMarker;
    RandomStreams random;
    seedAll(random, kSeed107);
    colourWater(land, random);
    EXPECT_EQ(land.elevation[3][3], 10);
    EXPECT_EQ(land.elevation[2][3], 10);
    EXPECT_EQ(codeAt(land, 2, 2), kWater5);
    // (3,2) is flat: two draws, 98 and 82, both Water 1.
    EXPECT_EQ(codeAt(land, 3, 2), kWater1);
}

// An island (W = H = 4): the ring of rows 0, 4, 5 and columns 0, 4, 5 at 0,
// the interior points 1 .. 3 at 10.
Landscape island()
{
    Landscape land = flatLandscape(6, 6, 0);
    for (int y = 1; y <= 3; ++y)
        for (int x = 1; x <= 3; ++x) land.elevation[y][x] = 10;
    return land;
}

TEST(Sea, LevelZeroAroundAnIslandCodesTheBorderOnly)
{
    // min = 10, so b = max((0 - 10) / 6, 1) = 1 and the level is below min: no
    // elevation changes. Ring points next to the island are beach. The four
    // corners (0,0), (0,4), (4,0), (4,4) have all four neighbours at 0: water at
    // depth 0, v = 16 - (draw AND 15): draws 98, 82, 18 give v = 14 (Water 3);
    // -100 AND 15 = 12 gives v = 4, so a further draw, -109, not above -96: Water 2.
    Landscape land = island();
    RandomStreams random;
    seedAll(random, kSeed107);
    ScriptedFrontend ui;
    seaPass(land, 0, random, ui);
    EXPECT_EQ(gridOf(land), gridOf(island()));
    const std::vector<std::vector<int>> codes = {
        {53, 50, 50, 50, 53, 0}, {50, 0, 0, 0, 50, 0}, {50, 0, 0, 0, 50, 0},
        {50, 0, 0, 0, 50, 0},    {53, 50, 50, 50, 52, 0}, {0, 0, 0, 0, 0, 0},
    };
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) EXPECT_EQ(codeAt(land, y, x), codes[y][x]) << y << "," << x;
    EXPECT_EQ(ui.statuses, std::vector<std::string>{kSeaStatus});
}

TEST(Sea, FloodsSinksAndLiftsBeachesToOne)
{
    // 5 x 5, all 30 except (1,1) = 5 and (1,2) = 20; level 20. Statistics: min 5,
    // max 30, b = (20 - 5) / 6 = 2. Both low points touch 30 above them: beach,
    // no draw. Everything sinks by 20 (5 is flooded to 20 first), then, the level
    // being above min, the beaches are set to 1.
    Landscape land = flatLandscape(5, 5, 30);
    land.elevation[1][1] = 5;
    land.elevation[1][2] = 20;
    RandomStreams random;
    const RandomStreams before = random;
    ScriptedFrontend ui;
    seaPass(land, 20, random, ui);
    EXPECT_EQ(gridOf(land), (std::vector<std::vector<int>>{
                                {10, 10, 10, 10, 10}, {10, 1, 1, 10, 10}, {10, 10, 10, 10, 10},
                                {10, 10, 10, 10, 10}, {10, 10, 10, 10, 10}}));
    EXPECT_EQ(codeAt(land, 1, 1), kBeachCode);
    EXPECT_EQ(codeAt(land, 1, 2), kBeachCode);
    EXPECT_EQ(codeAt(land, 2, 2), 0);
    EXPECT_EQ(random.a, before.a);
}

TEST(Sea, OpenWaterGradedByDepthNearTheShore)
{
    // All 0 except (2,2) = 12 on a 6 x 6 grid; level 12. The statistics see
    // only zeros and 12 in rows and columns 0 .. 2: min 12, b = max(0 / 6, 1) = 1.
    // Every point is at or below 12 with no neighbour above: water. Depth 12 is
    // not below b, v = 0: one draw each for Water 1 or 2. (2,2) at depth 0:
    // v = 16 - (draw AND 15). Rows 0 .. 4, columns 0 .. 4, in row order.
    Landscape land = flatLandscape(6, 6, 0);
    land.elevation[2][2] = 12;
    RandomStreams random;
    seedAll(random, 99);
    RandomStreams expected = random;
    ScriptedFrontend ui;
    seaPass(land, 12, random, ui);
    for (int y = 0; y <= 4; ++y)
        for (int x = 0; x <= 4; ++x) {
            int code = 0;
            if (y == 2 && x == 2) {
                const int v = 16 - (drawA(expected) & 15);
                code = v > 10 ? kWater3 : (drawA(expected) > -96 ? kWater1 : kWater2);
            } else {
                code = drawA(expected) > -96 ? kWater1 : kWater2;
            }
            EXPECT_EQ(codeAt(land, y, x), code) << y << "," << x;
        }
    EXPECT_EQ(random.a, expected.a);
    // Flooded to 12 and sunk by 12: all 0. 12 >= min but there is no beach.
    EXPECT_EQ(gridOf(land), gridOf(flatLandscape(6, 6, 0)));
}

} // namespace
} // namespace kalvenor
