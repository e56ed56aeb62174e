#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/fatal_error.h"
#include "model/landscape.h"
#include "model/random_streams.h"
#include "platform/scripted_frontend.h"
#include "support/landscape_cells.h"
#include "terrain/fractal.h"

namespace kalvenor {
namespace {

using kalvenor::testing::elevationCells;

GenerationSettings settingsFor(std::uint32_t seed, std::int32_t roughness, int featureSize, bool island)
{
    GenerationSettings settings;
    settings.seed = seed;
    settings.roughness = roughness;
    settings.featureSize = featureSize;
    settings.islandMode = island ? 1 : 0;
    return settings;
}

Landscape presetLandscape(int grid)
{
    Landscape land;
    RandomStreams random;
    EXPECT_EQ(resizeLandscape(land, random, grid, grid), 1);
    return land;
}

Landscape generated(const GenerationSettings& settings, int grid = kSmallGrid)
{
    Landscape land = presetLandscape(grid);
    RandomStreams random;
    ScriptedFrontend ui;
    generateLandscape(land, settings, random, ui);
    return land;
}

// Draws of stream A from seed 6 (states not shown; each draw is
// ((state >> 16) & 255) - 128 after one step):
//   38 | 43 118 12 | -14 -55 109 | -47 | -73 4 117 | 95 | -34 -108 -21 | 78 | 88 | -96 -119 -61
// Island, F = 8 (s0 = 256), roughness 100, on 258 x 258:
//   s = 256: the only square is clipped on both edges; its centre E[128][128]
//     copies a neighbour of the cleared grid (draw 38): 0.
//   s = 128, square (0, 0):
//     E[128][64] = floor((0 + 0) / 2) + D: a*b = 118*12 = 1416, t = 22 + 32 = 54,
//       u = trunc(128*54/64) = 108, trunc(100*108/32) = 337.
//     E[64][128] = 0 + D: a*b = -55*109 = -5995, t = -93 + 32 = -61, u = -122, trunc(-12200/32) = -381.
//     E[64][64]: draw -47, low bits 01 -> right, E[64][128] = -381.
//   square (0, 128): E[128][192] = floor((E[128][128] + E[128][256]) / 2) + D: a*b = 4*117 = 468,
//       t = 7 + 32 = 39, u = 78, 7800/32 -> 243. The right edge is clipped (256 < 256 fails).
//     E[64][192]: draw 95, bits 11 -> bottom, E[128][192] = 243.
//   square (128, 0): bottom edge clipped; E[192][128] = 0 + D: a*b = -108*-21 = 2268,
//       t = 35 + 32 = 67, u = 134, 13400/32 -> 418.
//     E[192][64]: draw 78, bits 10 -> top, E[128][64] = 337.
//   square (128, 128): both edges clipped; E[192][192]: draw 88, bits 00 -> left, E[192][128] = 418.
//   s = 64, square (0, 0): E[64][32] = floor((E[64][0] + E[64][64]) / 2) + D
//       = floor(-381 / 2) + D = -191 + D (truncation would give -190);
//       D: a*b = -119*-61 = 7259, t = 113 + 32 = 145, u = trunc(64*145/64) = 145, 14500/32 -> 453;
//       E[64][32] = 262.
// None of these points is written again at finer steps.
TEST(Generate, IslandDrawOrderMatchesHandWorkedCells)
{
    const Landscape land = generated(settingsFor(6, 100, 8, true));
    const auto& e = land.elevation;
    EXPECT_EQ(e[128][128], 0);
    EXPECT_EQ(e[128][64], 337);
    EXPECT_EQ(e[64][128], -381);
    EXPECT_EQ(e[64][64], -381);
    EXPECT_EQ(e[128][192], 243);
    EXPECT_EQ(e[64][192], 243);
    EXPECT_EQ(e[192][128], 418);
    EXPECT_EQ(e[192][64], 337);
    EXPECT_EQ(e[192][192], 418);
    EXPECT_EQ(e[64][32], 262);
}

// Draws of stream A from seed 55:
//   27 75 -121 | 74 -47 -10 | -94 72 -109 | 114 -52 44 | 84 62 -48 | -101 38 32 | 54 -49 -85
// Mountain, F = 8 (s0 = 256), roughness 100, every D here with s = 256 unless noted:
//   E[0][0]     : a*b = -9075, t = -141 + 32 = -109, u = trunc(256*-109/64) = -436, trunc(-43600/32) = -1362
//   E[0][256]   : a*b = 470, t = 7 + 32 = 39, u = 156, 15600/32 -> 487
//   E[256][0]   : a*b = -7848, t = -122 + 32 = -90, u = -360, -36000/32 -> -1125
//   E[256][256] : a*b = -2288, t = -35 + 32 = -3, u = -12, -1200/32 -> -37
//   left column, E[128][0] = trunc((-1362 + -1125) / 2) + D = trunc(-2487 / 2) + D = -1243 + D
//       (floor would give -1244); D: a*b = -2976, t = -46 + 32 = -14, u = -56, -5600/32 -> -175; -1418
//   top row, E[0][128] = trunc((-1362 + 487) / 2) + D = trunc(-875 / 2) + D = -437 + D
//       (floor -438); D: a*b = 1216, t = 19 + 32 = 51, u = 204, 20400/32 -> 637; 200
//   s = 128, left column: E[64][0] = trunc((-1362 + -1418) / 2) + D(128) = -1390 + D;
//       D: a*b = -49*-85 = 4165, t = 65 + 32 = 97, u = trunc(128*97/64) = 194, 19400/32 -> 606; -784
// The corners, the left column and the top row are never written by the later passes.
TEST(Generate, MountainEdgeDrawOrderMatchesHandWorkedCells)
{
    const Landscape land = generated(settingsFor(55, 100, 8, false));
    const auto& e = land.elevation;
    EXPECT_EQ(e[0][0], -1362);
    EXPECT_EQ(e[0][256], 487);
    EXPECT_EQ(e[256][0], -1125);
    EXPECT_EQ(e[256][256], -37);
    EXPECT_EQ(e[128][0], -1418);
    EXPECT_EQ(e[0][128], 200);
    EXPECT_EQ(e[64][0], -784);
}

TEST(Generate, IslandIsRingedBySea)
{
    for (const std::uint32_t seed : {0u, 6u, 987654u})
        for (const int featureSize : {1, 2, 4, 8}) {
            SCOPED_TRACE(::testing::Message() << "seed " << seed << " F " << featureSize);
            const Landscape land = generated(settingsFor(seed, 100, featureSize, true));
            const int w = land.sizeX;
            const int h = land.sizeY;
            int interiorNonZero = 0;
            for (int y = 0; y < land.gridHeight; ++y)
                for (int x = 0; x < land.gridWidth; ++x) {
                    const bool ring = y == 0 || x == 0 || y >= h || x >= w; // the spare row and column too
                    if (ring) {
                        ASSERT_EQ(land.elevation[y][x], 0) << "row " << y << " column " << x;
                    } else if (land.elevation[y][x] != 0) {
                        ++interiorNonZero;
                    }
                }
            EXPECT_GT(interiorNonZero, w * h / 2);
        }
}

TEST(Generate, ZeroRoughnessIsFlatInBothModes)
{
    for (const bool island : {true, false})
        for (const int featureSize : {1, 2, 4, 8}) {
            SCOPED_TRACE(::testing::Message() << "island " << island << " F " << featureSize);
            // Starts from Flatland, whose noise and pyramid must all be gone.
            const Landscape land = generated(settingsFor(12345, 0, featureSize, island));
            for (const std::int16_t v : elevationCells(land)) ASSERT_EQ(v, 0);
        }
}

TEST(Generate, MountainLeavesCoarseEdgePointsAtZeroForFeatureSize1)
{
    // s0 = W / 8 = 32: the pre-pass only sets the edge between multiples of 32,
    // so those points (other than the corners) keep the cleared 0.
    for (const std::uint32_t seed : {1u, 55u, 4000000000u}) {
        SCOPED_TRACE(::testing::Message() << "seed " << seed);
        const Landscape land = generated(settingsFor(seed, 100, 1, false));
        const int w = land.sizeX;
        int nonZeroBetween = 0;
        for (int i = 1; i < w; ++i) {
            if (i % 32 == 0) {
                EXPECT_EQ(land.elevation[0][i], 0) << "top row " << i;
                EXPECT_EQ(land.elevation[i][0], 0) << "left column " << i;
            } else {
                nonZeroBetween += (land.elevation[0][i] != 0) + (land.elevation[i][0] != 0);
            }
        }
        EXPECT_GT(nonZeroBetween, w);
        // The bottom row and right column are filled in mountain mode.
        EXPECT_NE(land.elevation[w][w / 2 + 1], 0);
        EXPECT_NE(land.elevation[w / 2 + 1][w], 0);
    }
}

// D(-r) = -D(r) exactly for the same draws, and the draws do not depend on the
// elevations, so a negative roughness turns mountains into valleys. The mirror
// is exact up to the floored averages: floor(-x / 2) and -floor(x / 2) differ by
// at most 1, once per level that a point inherits from (the truncating edge
// averages mirror exactly). 258 x 258 has at most 8 levels in each pass, and the
// mountain pass can inherit from the coarse interpolation, so 16 bounds it.
TEST(Generate, NegativeRoughnessMirrorsTheLandscapeUpToRounding)
{
    for (const bool island : {true, false})
        for (const int featureSize : {1, 8})
            for (const std::uint32_t seed : {2u, 77u}) {
                SCOPED_TRACE(::testing::Message() << "island " << island << " F " << featureSize << " seed " << seed);
                const auto up = elevationCells(generated(settingsFor(seed, 100, featureSize, island)));
                const auto down = elevationCells(generated(settingsFor(seed, -100, featureSize, island)));
                int worst = 0;
                long long sum = 0;
                for (std::size_t i = 0; i < up.size(); ++i) {
                    worst = std::max(worst, std::abs(up[i] + down[i]));
                    sum += std::abs(up[i]);
                }
                EXPECT_LE(worst, 16);
                EXPECT_GT(sum, 50 * static_cast<long long>(up.size())); // far from flat, so the check means something
            }
}

TEST(Generate, RecreatesOtherGridsAtThePresetThatHoldsThem)
{
    struct Case {
        int width, height;
        int expected;
    };
    // The preset follows m = max(W, H) + 1: below 512, 1024, 2048, else 2050.
    static constexpr Case cases[] = {
        {300, 200, kSmallGrid},  // m = 299
        {510, 510, kSmallGrid},  // m = 509
        {513, 513, kLargeGrid},  // m = 512
        {258, 514, kLargeGrid},  // not square, m = 513
        {600, 600, kLargeGrid},  // m = 599
        {1025, 1025, kHugeGrid}, // m = 1024
        {1500, 1500, kHugeGrid}, // m = 1499
        {2000, 10, kHugeGrid},   // m = 1999
        {514, 514, kLargeGrid},  // already a preset: kept
        {2049, 2049, kMegaGrid}, // m = 2048
    };
    const GenerationSettings settings = settingsFor(31337, 100, 4, true);
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height);
        Landscape land;
        RandomStreams random;
        ScriptedFrontend ui;
        ASSERT_EQ(allocateGrid(land, c.width, c.height), 1);
        land.sizeMode = SizeMode::Automatic;
        generateLandscape(land, settings, random, ui);
        EXPECT_EQ(land.gridWidth, c.expected);
        EXPECT_EQ(land.gridHeight, c.expected);
        EXPECT_EQ(land.sizeX, c.expected - 2);
        EXPECT_EQ(land.elevation.width, c.expected);
        EXPECT_EQ(land.sizeMode, SizeMode::Automatic);
        // The same landscape as a generation on a fresh preset of that size.
        if (c.expected <= kLargeGrid) {
            EXPECT_EQ(elevationCells(land), elevationCells(generated(settings, c.expected)));
        }
    }
}

TEST(Generate, RecreationWithoutMemoryIsFatal)
{
    // The 2000 x 10 grid must become 1026 x 1026, which the budget refuses;
    // the fallback returns to the old size, which Generate cannot use.
    Landscape land;
    ASSERT_EQ(allocateGrid(land, 2000, 10), 1);
    land.mapBudgetBytes = 1'000'000;
    RandomStreams random;
    ScriptedFrontend ui;
    try {
        generateLandscape(land, settingsFor(1, 100, 1, true), random, ui);
        FAIL() << "expected a fatal error";
    } catch (const FatalError& error) {
        EXPECT_EQ(std::string(error.what()), kOutOfMemoryResizing);
    }
}

TEST(Generate, SameSettingsGiveTheSameLandscape)
{
    const GenerationSettings settings = settingsFor(424242, 150, 2, false);
    const auto first = elevationCells(generated(settings));

    // Whatever the streams and the grid held before.
    Landscape land = presetLandscape(kSmallGrid);
    for (int y = 0; y < land.gridHeight; ++y)
        for (int x = 0; x < land.gridWidth; ++x) land.elevation[y][x] = static_cast<std::int16_t>(x * 31 - y * 7);
    RandomStreams random;
    seedAll(random, 0xFFFFFFFFu);
    ScriptedFrontend ui;
    generateLandscape(land, settings, random, ui);
    EXPECT_EQ(elevationCells(land), first);

    EXPECT_NE(elevationCells(generated(settingsFor(424243, 150, 2, false))), first);
}

TEST(Generate, ClearsTheTerrainMap)
{
    Landscape land = presetLandscape(kSmallGrid);
    for (int y = 0; y < land.gridHeight; ++y)
        for (int x = 0; x < land.gridWidth; ++x) land.terrain[y][x] = 0xABCD;
    RandomStreams random;
    ScriptedFrontend ui;
    generateLandscape(land, settingsFor(3, 100, 1, true), random, ui);
    for (int y = 0; y < land.gridHeight; ++y)
        for (int x = 0; x < land.gridWidth; ++x) ASSERT_EQ(land.terrain[y][x], 0);
}

TEST(Generate, NamesTheLandscapeAfterItsSettings)
{
    struct Case {
        GenerationSettings settings;
        const char* name;
        const char* comment;
    };
    const Case cases[] = {
        {settingsFor(0, 100, 1, true), "Fractal ISLAND #0", "Fractal roughness 100, Feature size 1."},
        {settingsFor(123456, 250, 4, false), "Fractal MOUNTAIN #123456", "Fractal roughness 250, Feature size 4."},
        // The seed is shown as the signed 32-bit value it is stored as.
        {settingsFor(0xFFFFFFFFu, -5, 8, false), "Fractal MOUNTAIN #-1", "Fractal roughness -5, Feature size 8."},
        {settingsFor(0x80000000u, 40000, 2, true), "Fractal ISLAND #-2147483648",
         "Fractal roughness 40000, Feature size 2."},
    };
    for (const Case& c : cases) {
        const Landscape land = generated(c.settings);
        EXPECT_EQ(land.name, c.name);
        EXPECT_EQ(land.comment, c.comment);
    }
}

TEST(Generate, ShowsGenerateOncePerStepLevel)
{
    struct Case {
        bool island;
        int featureSize;
        std::size_t statuses; // the start plus one per level from s0 down to 2
    };
    static constexpr Case cases[] = {
        {true, 1, 1 + 5},  // 32, 16, 8, 4, 2
        {false, 1, 1 + 5}, // the edge pre-pass shows nothing of its own
        {true, 8, 1 + 8},  // 256 ... 2
        {false, 4, 1 + 7}, // 128 ... 2
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "island " << c.island << " F " << c.featureSize);
        Landscape land = presetLandscape(kSmallGrid);
        RandomStreams random;
        ScriptedFrontend ui;
        generateLandscape(land, settingsFor(9, 100, c.featureSize, c.island), random, ui);
        EXPECT_EQ(ui.statuses, std::vector<std::string>(c.statuses, "Generate"));
        EXPECT_TRUE(ui.progressLines.empty());
    }
}

// Draws of stream A from seed 0: -128 92 -124 | -27 42 -97 | 45
// Roughen F = 2 (s0 = 4), roughness 100, on a flat grid with only E[4][0] = 100:
//   square (0, 0): TL = TR = BR = 0, BL = 100; g = 0 + 100 + 100 + 0 = 200;
//     roughness = trunc(trunc(200 / 4) * 100 / 128) + trunc(100 / 4) = 39 + 25 = 64.
//     E[4][2] = floor((100 + 0) / 2) + D(4): a*b = -11408, t = -146, u = trunc(-584/64) = -9,
//       trunc(64 * -9 / 32) = -18; E[4][2] = 32.
//     E[2][4] = floor((0 + 0) / 2) + D(4): a*b = -4074, t = -63 + 32 = -31, u = trunc(-124/64) = -1,
//       trunc(-64/32) = -2; E[2][4] = -2.
//     E[2][2]: draw 45, bits 01 -> right, E[2][4] = -2.
// Points with both coordinates even are not written again at s = 2.
TEST(Roughen, SquareDrawOrderMatchesHandWorkedCells)
{
    Landscape land;
    ASSERT_EQ(allocateGrid(land, kSmallGrid, kSmallGrid), 1);
    land.elevation[4][0] = 100;
    RandomStreams random;
    ScriptedFrontend ui;
    roughenLandscape(land, settingsFor(0, 100, 2, true), random, ui);
    EXPECT_EQ(land.elevation[4][2], 32);
    EXPECT_EQ(land.elevation[2][4], -2);
    EXPECT_EQ(land.elevation[2][2], -2);
    EXPECT_EQ(land.elevation[4][0], 100);
}

bool onBorder(const Landscape& land, int y, int x)
{
    return y == 0 || x == 0 || y >= land.sizeY || x >= land.sizeX;
}

TEST(Roughen, CellByCellKeepsTheBorderAndContinuesStreamA)
{
    Landscape land = generated(settingsFor(33, 300, 1, false));
    const auto before = elevationCells(land);
    land.shadowValidAt = 1;
    land.shadowFrozen = 1;
    RandomStreams random;
    seedAll(random, 777);
    ScriptedFrontend ui;
    roughenLandscape(land, settingsFor(5, 100, 1, false), random, ui);

    int changed = 0;
    for (int y = 0; y < land.gridHeight; ++y)
        for (int x = 0; x < land.gridWidth; ++x) {
            const std::int16_t was = before[static_cast<std::size_t>(y) * land.gridWidth + x];
            if (onBorder(land, y, x))
                ASSERT_EQ(land.elevation[y][x], was) << "row " << y << " column " << x;
            else
                changed += land.elevation[y][x] != was;
            // The shadow map holds the untouched copy, so it no longer holds shades.
            ASSERT_EQ(static_cast<std::int16_t>(land.shadow[y][x]), was);
        }
    // A step of 1 moves a cell only where |t| >= 64, so not every cell changes.
    EXPECT_GT(changed, 255 * 255 / 4);
    EXPECT_EQ(land.shadowValidAt, land.sizeX);
    EXPECT_EQ(land.shadowFrozen, 0);

    // Not reseeded: three draws of A per interior cell, B and C untouched.
    std::uint32_t expectedA = 777;
    for (int i = 0; i < 3 * 255 * 255; ++i) expectedA = lcgStep(expectedA);
    EXPECT_EQ(random.a, expectedA);
    EXPECT_EQ(random.b, 777u);
    EXPECT_EQ(random.c, 777u);

    // Progress "Generate" for rows 1 .. H - 1 as y * 100 / H.
    ASSERT_EQ(ui.progressLines.size(), 255u);
    EXPECT_EQ(ui.progressLines.front(), "Generate:  0%");
    EXPECT_EQ(ui.progressLines[127], "Generate: 50%");
    EXPECT_EQ(ui.progressLines.back(), "Generate: 99%");
}

TEST(Roughen, CellByCellWithZeroRoughnessChangesNothing)
{
    Landscape land = generated(settingsFor(33, 300, 1, false));
    const auto before = elevationCells(land);
    RandomStreams random;
    ScriptedFrontend ui;
    roughenLandscape(land, settingsFor(5, 0, 1, false), random, ui);
    EXPECT_EQ(elevationCells(land), before);
}

TEST(Roughen, SquaresKeepTheCoarsePointsAndTheBorder)
{
    for (const int featureSize : {2, 4, 8}) {
        SCOPED_TRACE(::testing::Message() << "F " << featureSize);
        const int s0 = 2 * featureSize;
        Landscape land = generated(settingsFor(33, 300, 1, false));
        const auto before = elevationCells(land);
        RandomStreams random;
        seedAll(random, 0xBADu);
        ScriptedFrontend ui;
        const GenerationSettings settings = settingsFor(5, 100, featureSize, false);
        roughenLandscape(land, settings, random, ui);

        int changed = 0;
        for (int y = 0; y < land.gridHeight; ++y)
            for (int x = 0; x < land.gridWidth; ++x) {
                const std::int16_t was = before[static_cast<std::size_t>(y) * land.gridWidth + x];
                if (onBorder(land, y, x) || (y % s0 == 0 && x % s0 == 0))
                    ASSERT_EQ(land.elevation[y][x], was) << "row " << y << " column " << x;
                else
                    changed += land.elevation[y][x] != was;
            }
        EXPECT_GT(changed, 255 * 255 / 2);

        // One status per level, s0 down to 2.
        std::size_t levels = 0;
        for (int s = s0; s > 1; s /= 2) ++levels;
        EXPECT_EQ(ui.statuses, std::vector<std::string>(levels, "Generate"));

        // All streams are reseeded with the seed, so the earlier state does not matter.
        Landscape again = generated(settingsFor(33, 300, 1, false));
        RandomStreams other;
        roughenLandscape(again, settings, other, ui);
        EXPECT_EQ(elevationCells(again), elevationCells(land));
        EXPECT_EQ(other.a, random.a);
    }
}


// A feature size outside 1 .. 8 (only a hand-edited session can bring one)
// would divide by zero or step past the grid; it acts as the nearest of 1 and 8.
TEST(FeatureSize, OutOfRangeValuesActAsTheNearestValidOne)
{
    struct Case {
        int given;
        int used;
    };
    static constexpr Case cases[] = {{0, 1}, {-3, 1}, {16, 8}, {1000, 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "F " << c.given);
        for (const bool island : {true, false}) {
            const Landscape land = generated(settingsFor(8, 100, c.given, island));
            const Landscape want = generated(settingsFor(8, 100, c.used, island));
            EXPECT_EQ(elevationCells(land), elevationCells(want));
            EXPECT_EQ(land.comment, want.comment);
        }
        Landscape rough = generated(settingsFor(8, 100, 1, false));
        Landscape wantRough = generated(settingsFor(8, 100, 1, false));
        RandomStreams random, wantRandom;
        ScriptedFrontend ui;
        roughenLandscape(rough, settingsFor(8, 100, c.given, false), random, ui);
        roughenLandscape(wantRough, settingsFor(8, 100, c.used, false), wantRandom, ui);
        EXPECT_EQ(elevationCells(rough), elevationCells(wantRough));
    }
}

} // namespace
} // namespace kalvenor
