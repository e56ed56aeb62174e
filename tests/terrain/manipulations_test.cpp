#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "edit_fixture.h"
#include "model/scene_settings.h"
#include "platform/scripted_frontend.h"
#include "terrain/manipulations.h"

namespace kalvenor {
namespace {

using testing::flatLandscape;
using testing::gridOf;
using testing::landscapeOf;
using testing::rowOf;
using Rows = std::vector<std::vector<int>>;

TEST(Smooth, InPlaceKernelThenSidesThenCorners)
{
    // A single spike of 24 at (1, 1) on a 5 x 5 allocation (W = H = 3).
    // (1,1): (12*24 + 12) / 24 = 12.  (1,2) already sees the smoothed 12 on its
    // left: (2*12 + 12) / 24 = 1 (it would be 2 from the unsmoothed 24).
    // (2,1): 0 + 2*12 + 1 = 25, +12 = 37 / 24 = 1.  (2,2): 12 + 2*1 + 0 + 2*1 = 16,
    // +12 = 28 / 24 = 1.  The rest of the interior stays below 24 after + 12: 0.
    // Left column: (0 + 0 + 12 + 0) / 4 = 3, then (3 + 0 + 1 + 0) / 4 = 1, then 0.
    // Top row: (0 + 0 + 12 + 0) / 4 = 3, then (3 + 0 + 1 + 0) / 4 = 1, then 0.
    // Corner (0,0): (0 + 3 + 3) / 3 = 2; the other corners 0.
    Landscape land = flatLandscape(5, 5, 0);
    land.elevation[1][1] = 24;
    ScriptedFrontend ui;
    smoothLandscape(land, ui);
    const Rows expected = {
        {2, 3, 1, 0, 0}, {3, 12, 1, 0, 0}, {1, 1, 1, 0, 0}, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0},
    };
    EXPECT_EQ(gridOf(land), expected);
    EXPECT_EQ(ui.statuses, std::vector<std::string>{"Smooth"});
}

TEST(Smooth, DivisionsTruncateTowardZero)
{
    // (1,1): (12 * -24 + 12) / 24 = -276 / 24 = -11.5 -> -11 (a floor would give -12).
    // (1,2): (2 * -11 + 12) / 24 = -10 / 24 -> 0.
    Landscape land = flatLandscape(5, 5, 0);
    land.elevation[1][1] = -24;
    ScriptedFrontend ui;
    smoothLandscape(land, ui);
    EXPECT_EQ(land.elevation[1][1], -11);
    EXPECT_EQ(land.elevation[1][2], 0);
    EXPECT_EQ(land.elevation[1][0], -2); // (0 + 0 - 11 + 0) / 4 = -2.75 -> -2
}

TEST(Smooth, ConstantLandscapes)
{
    ScriptedFrontend ui;
    Landscape high = flatLandscape(8, 7, 7);
    smoothLandscape(high, ui);
    EXPECT_EQ(gridOf(high), gridOf(flatLandscape(8, 7, 7)));

    // A negative constant rises toward zero: the first point is
    // trunc((24 * -5 + 12) / 24) = trunc(-4.5) = -4, and no point passes 0.
    Landscape low = flatLandscape(8, 7, -5);
    smoothLandscape(low, ui);
    EXPECT_EQ(low.elevation[1][1], -4);
    for (int y = 1; y <= low.sizeY; ++y)
        for (int x = 1; x <= low.sizeX; ++x) {
            EXPECT_GE(low.elevation[y][x], -4);
            EXPECT_LE(low.elevation[y][x], 0);
        }
}

// 5 x 5 (W = H = 3), spacing 30, valley width 4F x 30: the valley search
// reaches past the grid, so the eight points are the corners and edge
// midpoints of the clamped square 0 .. 3. E[1][1] = 100 and E[0][0] = -28,
// elsewhere 0; statistics (rows and columns 0 .. 1): max 100, min -28.
Landscape stretchFixture()
{
    Landscape land = flatLandscape(5, 5, 0);
    land.elevation[1][1] = 100;
    land.elevation[0][0] = -28;
    computeElevationStatistics(land);
    return land;
}

TEST(Stretch, MovesPointsByTheValleyValue)
{
    struct Case {
        int featureSize;
        int at11; // expected E[1][1]
        int at00; // expected E[0][0]
    };
    // F = 1, width 120: at (1,1) S = 7 * 100 + 128 = 828, v = trunc(60 * 828 / 120) = 414,
    //   V = (trunc(414 * 128 / 128) * 100) >> 11 = 41400 >> 11 = 20; E += trunc(20 / 4) = 5.
    //   At (0,0) S = 5 * -28 = -140, v = -70, V = -7000 >> 11 = -4 (floor); E += trunc(-4 / 4) = -1.
    // F = 2, width 240: v = trunc(60 * 828 / 240) = 207, V = 20700 >> 11 = 10, E += trunc(10 / 8) = 1;
    //   at (0,0) v = -35, V = -3500 >> 11 = -2, E += trunc(-2 / 8) = 0.
    const Case cases[] = {{1, 105, -29}, {2, 101, -28}};
    for (const Case& c : cases) {
        Landscape land = stretchFixture();
        TerrainColourSettings colouring;
        ScriptedFrontend ui;
        stretchLandscape(land, colouring, c.featureSize, ui);
        EXPECT_EQ(land.elevation[1][1], c.at11) << "F = " << c.featureSize;
        EXPECT_EQ(land.elevation[0][0], c.at00) << "F = " << c.featureSize;
        // (2,2): S = 28, v = 14 (F = 1), V = 1400 >> 11 = 0.
        EXPECT_EQ(land.elevation[2][2], 0);
    }
}

TEST(Stretch, NothingMovesWithTheValleyEffectOff)
{
    Landscape land = stretchFixture();
    const Rows before = gridOf(land);
    TerrainColourSettings colouring;
    colouring.valleys = 0;
    ScriptedFrontend ui;
    stretchLandscape(land, colouring, 1, ui);
    EXPECT_EQ(gridOf(land), before);
}

TEST(Rotate, QuarterTurnThenEdgesExtended)
{
    // W = H = 3: E[y][x] = S[x][2 - y] over 0 .. 2, then columns 3, 4 and rows 3, 4
    // copy column 2 and row 2.
    Landscape land = flatLandscape(5, 5, 99);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) land.elevation[y][x] = static_cast<std::int16_t>(10 * y + x);
    ScriptedFrontend ui;
    EXPECT_EQ(rotateLandscape(land, ui), 1);
    const Rows expected = {
        {2, 12, 22, 22, 22}, {1, 11, 21, 21, 21}, {0, 10, 20, 20, 20}, {0, 10, 20, 20, 20}, {0, 10, 20, 20, 20},
    };
    EXPECT_EQ(gridOf(land), expected);
}

TEST(Rotate, FourTurnsGiveBackTheInterior)
{
    Landscape land = testing::blankLandscape(kSmallGrid, kSmallGrid);
    testing::fillPattern(land);
    const Rows before = gridOf(land);
    ScriptedFrontend ui;
    for (int i = 0; i < 4; ++i) ASSERT_EQ(rotateLandscape(land, ui), 1);
    for (int y = 0; y < land.sizeY; ++y)
        for (int x = 0; x < land.sizeX; ++x) ASSERT_EQ(land.elevation[y][x], before[y][x]) << y << "," << x;
    // The last sample row and column and the margin were rebuilt from row and column W - 1.
    EXPECT_EQ(land.elevation[land.sizeY + 1][5], before[land.sizeY - 1][5]);
    EXPECT_EQ(land.elevation[7][land.sizeX], before[7][land.sizeX - 1]);
}

TEST(Rotate, RefusesANonSquareLandscape)
{
    Landscape land = testing::blankLandscape(12, 6);
    testing::fillPattern(land);
    const Rows before = gridOf(land);
    ScriptedFrontend ui;
    EXPECT_EQ(rotateLandscape(land, ui), 0);
    EXPECT_EQ(gridOf(land), before);
}

TEST(Flip, MirrorsTheSamplePointsOnly)
{
    auto numbered = [] {
        Landscape land = flatLandscape(5, 5, 0);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 5; ++x) land.elevation[y][x] = static_cast<std::int16_t>(10 * y + x);
        return land;
    };
    ScriptedFrontend ui;
    Landscape vertical = numbered();
    flipVertical(vertical, ui);
    EXPECT_EQ(gridOf(vertical), (Rows{{30, 31, 32, 33, 4}, {20, 21, 22, 23, 14}, {10, 11, 12, 13, 24},
                                      {0, 1, 2, 3, 34}, {40, 41, 42, 43, 44}}));
    Landscape horizontal = numbered();
    flipHorizontal(horizontal, ui);
    EXPECT_EQ(gridOf(horizontal), (Rows{{3, 2, 1, 0, 4}, {13, 12, 11, 10, 14}, {23, 22, 21, 20, 24},
                                        {33, 32, 31, 30, 34}, {40, 41, 42, 43, 44}}));
    EXPECT_EQ(ui.statuses, (std::vector<std::string>{"Flip Vertical", "Flip Vertical"}));
}

TEST(SwapQuads, TwiceExchangesOppositeQuartersFourTimesRestores)
{
    Landscape land = testing::blankLandscape(kSmallGrid, kSmallGrid);
    testing::fillPattern(land);
    const Rows before = gridOf(land);
    const int hw = land.sizeX / 2;
    const int hh = land.sizeY / 2;
    ScriptedFrontend ui;

    swapQuads(land, ui);
    // Once: top-left takes top-right, top-right takes bottom-right...
    EXPECT_EQ(land.elevation[3][4], before[3][4 + hw]);
    EXPECT_EQ(land.elevation[3][4 + hw], before[3 + hh][4 + hw]);
    EXPECT_EQ(land.elevation[3 + hh][4 + hw], before[3 + hh][4]);
    EXPECT_EQ(land.elevation[3 + hh][4], before[3][4]);

    swapQuads(land, ui);
    for (int y = 0; y < hh; ++y)
        for (int x = 0; x < hw; ++x) {
            ASSERT_EQ(land.elevation[y][x], before[y + hh][x + hw]);
            ASSERT_EQ(land.elevation[y + hh][x + hw], before[y][x]);
            ASSERT_EQ(land.elevation[y][x + hw], before[y + hh][x]);
            ASSERT_EQ(land.elevation[y + hh][x], before[y][x + hw]);
        }
    // The last sample row and column and the margin never move.
    EXPECT_EQ(rowOf(land, land.sizeY), before[land.sizeY]);
    EXPECT_EQ(land.elevation[9][land.sizeX + 1], before[9][land.sizeX + 1]);

    swapQuads(land, ui);
    swapQuads(land, ui);
    EXPECT_EQ(gridOf(land), before);
}

TEST(Cloudify, QuarterPowerCurveAboveTheLowestNonZeroPoint)
{
    // Statistics scan rows and columns 0 .. 2 of this 6 x 6 grid: min 100 (zeros
    // ignored), max 116, R = 16. 100 -> 0; 116 -> 16; 102 -> trunc(16 * 0.125^0.25)
    // = trunc(9.51) = 9; 108 -> trunc(16 * 0.5^0.25) = trunc(13.45) = 13. Zeros and
    // the -5 outside the scan lie below min and become 0.
    Landscape land = flatLandscape(6, 6, 0);
    land.elevation[0][0] = 100;
    land.elevation[0][1] = 116;
    land.elevation[0][2] = 102;
    land.elevation[1][0] = 108;
    land.elevation[4][4] = -5;
    ScriptedFrontend ui;
    cloudifyLandscape(land, ui);
    EXPECT_EQ(rowOf(land, 0), (std::vector<int>{0, 16, 9, 0, 0, 0}));
    EXPECT_EQ(rowOf(land, 1), (std::vector<int>{13, 0, 0, 0, 0, 0}));
    EXPECT_EQ(land.elevation[4][4], 0);
}

TEST(Cloudify, AFlatLandscapeBecomesZero)
{
    Landscape land = flatLandscape(6, 6, 40);
    ScriptedFrontend ui;
    cloudifyLandscape(land, ui);
    EXPECT_EQ(gridOf(land), gridOf(flatLandscape(6, 6, 0)));
}

TEST(VerticalScale, FactorAgainstTheAppliedScaleTruncating)
{
    Landscape land = landscapeOf({{7, -3, 3, 20000}, {0, 1, -1, -20000}, {5, 5, 5, 5}, {5, 5, 5, 5}});
    GenerationSettings generation;
    ScriptedFrontend ui;

    generation.verticalScale = 2.0f; // applied 1.0: factor 2
    applyVerticalScale(land, generation, ui);
    // 20000 * 2 = 40000 wraps to -25536; -40000 to 25536.
    EXPECT_EQ(rowOf(land, 0), (std::vector<int>{14, -6, 6, -25536}));
    EXPECT_EQ(rowOf(land, 1), (std::vector<int>{0, 2, -2, 25536}));
    EXPECT_EQ(generation.verticalScale2, 2.0f);

    generation.verticalScale = 1.0f; // factor 0.5
    applyVerticalScale(land, generation, ui);
    // 7 * 0.5 = 3.5 -> 3 (the original 7 is not recovered), -3 -> -3, 3 -> 3.
    EXPECT_EQ(rowOf(land, 0), (std::vector<int>{7, -3, 3, -12768}));
    EXPECT_EQ(ui.progressLines.front(), "Scale:  0%");
    EXPECT_EQ(ui.progressLines.size(), 8u); // one per row, twice
}

TEST(VerticalScale, AnAppliedScaleOfZeroStoresZero)
{
    Landscape land = landscapeOf({{0, 0, 0}, {0, 0, 0}, {0, 0, 0}});
    land.elevation[1][1] = 12;
    GenerationSettings generation;
    generation.verticalScale = 3.0f;
    generation.verticalScale2 = 0.0f;
    ScriptedFrontend ui;
    applyVerticalScale(land, generation, ui);
    EXPECT_EQ(gridOf(land), gridOf(flatLandscape(3, 3, 0)));
    EXPECT_EQ(generation.verticalScale2, 3.0f);
}

struct ViewFixture {
    ImageBuffers images;
    DisplayPalette palette;

    ViewFixture()
    {
        EXPECT_TRUE(images.vidmem8.allocate(4, 2));
        const std::uint8_t top[4] = {5, 1, 0, 255};
        for (int x = 0; x < 4; ++x) {
            images.vidmem8[0][x] = top[x];
            images.vidmem8[1][x] = 2;
        }
        setEntry(5, 100, 200, 50);
        setEntry(1, 255, 255, 255);
        setEntry(255, 1, 1, 1);
        setEntry(2, 10, 0, 0);
    }
    void setEntry(int i, int r, int g, int b)
    {
        palette.entries[4 * i + 1] = static_cast<std::uint8_t>(r);
        palette.entries[4 * i + 2] = static_cast<std::uint8_t>(g);
        palette.entries[4 * i + 3] = static_cast<std::uint8_t>(b);
    }
};

TEST(ConvertView, ImageRowsLandUpsideDown)
{
    // 4 x 4 grid from a 4 x 2 image: grid row y reads image row y * 2 / 4 and
    // is written to row 3 - y.
    // Intensity: entry 5 = (100, 200, 50): (3000 + 11800 + 550) / 100 = 153, * 64 = 9792;
    // entry 1 white: 255 * 64 = 16320; entry 255: 100 / 100 = 1 -> 64; entry 2: 300 / 100 = 3 -> 192.
    ViewFixture view;
    ScriptedFrontend ui;
    Landscape intensity = flatLandscape(4, 4, 7);
    EXPECT_EQ(convertViewToAltitude(intensity, view.images, view.palette, ViewConversion::Intensity, ui), 1);
    EXPECT_EQ(gridOf(intensity), (Rows{{192, 192, 192, 192}, {192, 192, 192, 192}, {9792, 16320, 0, 64},
                                       {9792, 16320, 0, 64}}));

    Landscape colour = flatLandscape(4, 4, 7);
    EXPECT_EQ(convertViewToAltitude(colour, view.images, view.palette, ViewConversion::Colour, ui), 1);
    EXPECT_EQ(gridOf(colour), (Rows{{32, 32, 32, 32}, {32, 32, 32, 32}, {80, 16, 0, 4080}, {80, 16, 0, 4080}}));
}

TEST(ConvertView, NoImageShowsTheMessageAndChangesNothing)
{
    ImageBuffers images;
    DisplayPalette palette;
    ScriptedFrontend ui;
    Landscape land = flatLandscape(4, 4, 7);
    EXPECT_EQ(convertViewToAltitude(land, images, palette, ViewConversion::Colour, ui), 0);
    EXPECT_EQ(ui.messages, std::vector<std::string>{kNoImageToConvert});
    EXPECT_EQ(gridOf(land), gridOf(flatLandscape(4, 4, 7)));

    ui.choiceAnswers = {1};
    EXPECT_EQ(askViewConversion(ui), ViewConversion::Colour);
    EXPECT_EQ(ui.questions.back(), "Convert View to ALT: [Intensity|Color]");
}

TEST(Manipulations, EveryEditInvalidatesDerivedMapsAndUpdatesStatistics)
{
    struct Edit {
        const char* name;
        std::function<void(Landscape&, Frontend&)> run;
    };
    const Edit edits[] = {
        {"smooth", [](Landscape& l, Frontend& ui) { smoothLandscape(l, ui); }},
        {"stretch", [](Landscape& l, Frontend& ui) { stretchLandscape(l, TerrainColourSettings{}, 1, ui); }},
        {"rotate", [](Landscape& l, Frontend& ui) { rotateLandscape(l, ui); }},
        {"flip", [](Landscape& l, Frontend& ui) { flipVertical(l, ui); }},
        {"swap", [](Landscape& l, Frontend& ui) { swapQuads(l, ui); }},
        {"cloudify", [](Landscape& l, Frontend& ui) { cloudifyLandscape(l, ui); }},
        {"scale",
         [](Landscape& l, Frontend& ui) {
             GenerationSettings g;
             g.verticalScale = 3.0f;
             applyVerticalScale(l, g, ui);
         }},
    };
    for (const Edit& edit : edits) {
        Landscape land = flatLandscape(20, 20, 10);
        land.elevation[3][3] = 500;
        land.terrainValidAt = land.cliffValidAt = land.shadowValidAt = 1;
        land.highestElevation = land.lowestElevation = -1;
        ScriptedFrontend ui;
        edit.run(land, ui);
        EXPECT_EQ(land.terrainValidAt, land.sizeX) << edit.name;
        EXPECT_EQ(land.cliffValidAt, land.sizeX) << edit.name;
        EXPECT_EQ(land.shadowValidAt, land.sizeX) << edit.name;
        const int highest = land.highestElevation;
        const int lowest = land.lowestElevation;
        computeElevationStatistics(land);
        EXPECT_EQ(highest, land.highestElevation) << edit.name;
        EXPECT_EQ(lowest, land.lowestElevation) << edit.name;
        EXPECT_GT(highest, 0) << edit.name;
    }
}

} // namespace
} // namespace kalvenor
