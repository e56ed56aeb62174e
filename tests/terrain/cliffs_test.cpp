// The cliff pass: slope of a cell, slope bands, the strata table and strata
// codes, and what the pass overrides. Slopes are worked out with atan: a rise
// of h over a 30 m cell is atan(h / 30).
#include <gtest/gtest.h>

#include <cstdint>

#include "terrain/cliffs.h"
#include "terrain/colouring_common.h"
#include "terrain/colouring_fixture.h"

namespace kalvenor {
namespace {

using testing_colour::makeLandscape;

// The table as the build rule gives it: seed 1324354, then pairs of draws
// (96, 115): a run of 96 mod 6 = 0; (36, 52): 0; (119, 24): 5 entries of
// 46 + (24 AND 3) = 46; (-128, -105): 128 mod 6 = 2 entries of 46 + 3 = 49; ...
constexpr std::uint8_t kExpectedStrata[256] = {
    46, 46, 46, 46, 46, 49, 49, 47, 47, 47, 47, 47, 46, 46, 46, 46, 46, 46, 46, 46, 46, 48, 49, 49, 46, 46, 48, 48,
    48, 48, 48, 46, 46, 46, 46, 49, 46, 46, 46, 46, 48, 48, 49, 49, 49, 49, 49, 49, 49, 49, 47, 47, 46, 49, 49, 49,
    49, 47, 47, 47, 47, 47, 47, 47, 49, 46, 47, 47, 47, 47, 47, 48, 48, 48, 48, 48, 47, 47, 47, 47, 48, 48, 48, 49,
    48, 48, 48, 48, 48, 48, 49, 49, 49, 49, 49, 46, 47, 47, 47, 47, 46, 46, 46, 46, 47, 47, 47, 47, 47, 47, 47, 47,
    47, 47, 49, 49, 49, 49, 49, 46, 46, 46, 46, 49, 49, 49, 49, 48, 48, 47, 47, 47, 47, 49, 49, 49, 49, 49, 46, 46,
    46, 46, 47, 47, 47, 46, 46, 48, 48, 48, 48, 48, 47, 47, 47, 47, 47, 47, 47, 47, 46, 46, 46, 49, 49, 48, 48, 48,
    47, 47, 49, 49, 49, 49, 49, 47, 46, 46, 46, 49, 49, 49, 49, 49, 47, 47, 46, 46, 46, 46, 46, 46, 46, 48, 48, 48,
    48, 48, 48, 48, 46, 46, 46, 48, 48, 48, 48, 46, 49, 49, 49, 49, 49, 46, 46, 46, 46, 46, 48, 48, 49, 49, 49, 49,
    49, 46, 48, 48, 48, 48, 48, 49, 49, 49, 49, 49, 49, 46, 46, 47, 47, 47, 47, 47, 48, 46, 46, 46, 49, 49, 49, 49,
    49, 49, 49, 48,
};

TEST(StrataTable, IsTheSameInEveryRunAndReseedsTheStreams)
{
    RandomStreams random;
    seedAll(random, 99);
    StrataTable table{};
    buildStrataTable(random, table);
    for (std::size_t i = 0; i < 256; ++i) ASSERT_EQ(table[i], kExpectedStrata[i]) << i;
    // All three streams were seeded; only A was drawn from.
    EXPECT_EQ(random.b, 1324354u);
    EXPECT_EQ(random.c, 1324354u);
    EXPECT_EQ(defaultStrataTable(), table);
}

TEST(CliffBands, WidthAndCodes)
{
    struct Width {
        int threshold, width;
    };
    static constexpr Width widths[] = {
        {45, 7}, {46, 7}, {47, 6}, {61, 2}, {64, 1}, {65, 1}, {66, 1}, {67, 1}, {90, 1}, {0, 22}, {-5, 24},
    };
    for (const Width& w : widths) EXPECT_EQ(cliffBandWidth(w.threshold), w.width) << w.threshold;

    struct Code {
        int slope, threshold, width, code;
    };
    static constexpr Code codes[] = {
        {46, 45, 7, 46}, {52, 45, 7, 46}, {53, 45, 7, 47}, {59, 45, 7, 47},
        {60, 45, 7, 48}, {66, 45, 7, 48}, {67, 45, 7, 49}, {90, 45, 7, 49},
        {68, 67, 1, 46}, {69, 67, 1, 47}, {70, 67, 1, 48}, {71, 67, 1, 49},
    };
    for (const Code& c : codes) EXPECT_EQ(slopeCode(c.slope, c.threshold, c.width), c.code) << c.slope;
}

TEST(CellSlope, TakesTheSteeperTriangle)
{
    struct Case {
        std::int16_t r0[2], r1[2];
        int slope;
    };
    static constexpr Case cases[] = {
        {{0, 0}, {0, 0}, 0},
        {{0, 0}, {60, 60}, 63},  // atan(2) = 63.43
        {{0, 0}, {40, 40}, 53},  // atan(4/3) = 53.13
        {{0, 40}, {0, 40}, 53},  // the same slope along x
        {{0, 0}, {90, 90}, 71},  // atan(3) = 71.57
        {{0, 0}, {0, 90}, 71},   // one corner raised: both triangles see 71.57
        // Corner r1[0] raised 40: the first triangle has normal (1200, -1200, 900),
        // n.z = 900 / 1920.9 = 0.4685, 62.06 degrees; the second is flat.
        {{0, 0}, {40, 0}, 62},
    };
    for (const Case& c : cases) EXPECT_EQ(cellSlope(c.r0, c.r1, 0, 1, 30.0, 30.0), c.slope);
}

// A ramp rising `rise` metres per row, every code preset to `code`.
Landscape ramp(int rise, int code = 56)
{
    Landscape land = makeLandscape(16, 16, [rise](int, int r) { return rise * r; });
    for (int r = 0; r < land.gridHeight; ++r)
        for (int c = 0; c < land.gridWidth; ++c) land.terrain[r][c] = static_cast<std::uint16_t>(code);
    return land;
}

TEST(CliffPass, BeachAndRoadTurnToCliffWaterNever)
{
    Landscape land = ramp(60); // 63 degrees everywhere: Cliff 3 at the default threshold
    static constexpr int before[] = {50, 88, 91, 51, 53, 55, 56, 41};
    static constexpr int after[] = {48, 48, 48, 51, 53, 55, 48, 48};
    for (int i = 0; i < 8; ++i) land.terrain[3][i] = static_cast<std::uint16_t>(before[i] | 0x2200);
    RandomStreams random;
    ScriptedFrontend ui;
    ASSERT_EQ(cliffPass(land, TerrainColourSettings{}, defaultStrataTable(), 0, random, ui), 1);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(ground::code(land.terrain[3][i]), after[i]) << before[i];
        EXPECT_EQ(ground::object(land.terrain[3][i]), 0x22) << "the object byte stays";
    }
    // Rows and columns from H' and W' on have no cell below or right of them.
    EXPECT_EQ(ground::code(land.terrain[16][3]), 56);
    EXPECT_EQ(ground::code(land.terrain[3][16]), 56);
    EXPECT_EQ(ground::code(land.terrain[15][15]), 48);
    EXPECT_EQ(land.cliffValidAt, 1);
}

TEST(CliffPass, ThresholdOf67UsesBandsOneDegreeWide)
{
    struct Case {
        int rise, code;
    };
    static constexpr Case cases[] = {
        {60, 56}, // 63 degrees: not above 67, the code stays
        {75, 46}, // 68.2
        {80, 47}, // 69.4
        {85, 48}, // 70.6
        {90, 49}, // 71.6
    };
    TerrainColourSettings colouring;
    colouring.cliffThreshold = 67;
    for (const Case& c : cases) {
        Landscape land = ramp(c.rise);
        RandomStreams random;
        ScriptedFrontend ui;
        ASSERT_EQ(cliffPass(land, colouring, defaultStrataTable(), 0, random, ui), 1);
        EXPECT_EQ(ground::code(land.terrain[5][5]), c.code) << c.rise;
    }
}

TEST(CliffPass, StratifiedCodesComeFromTheTable)
{
    TerrainColourSettings colouring;
    colouring.cliffMode = 2;
    colouring.strataWarp = 0;
    colouring.strataThickness = 16;
    Landscape land = ramp(60);
    RandomStreams random;
    ScriptedFrontend ui;
    ASSERT_EQ(cliffPass(land, colouring, defaultStrataTable(), 0, random, ui), 1);
    // Horizontal layers: k = trunc(60 y * 4 / 16) = 15 y.
    for (int y = 0; y < 16; ++y) EXPECT_EQ(ground::code(land.terrain[y][7]), kExpectedStrata[(15 * y) & 255]) << y;
}

TEST(StrataCode, WarpTiltAndThickness)
{
    Landscape land = makeLandscape(16, 16, [](int, int r) { return 60 * r; });
    const StrataTable table = defaultStrataTable();
    struct Case {
        const char* what;
        int warp, thickness;
        float tilt[3];
        int x, y, expected;
    };
    static constexpr Case cases[] = {
        // Positional seed of (3, 2) is -43312706, its low byte 190: jitter = trunc(100 * 190 / 1024) = 18;
        // k = trunc((120 + 18) * 4 / 12) = 46 (without the jitter it would be 40, a 48).
        {"warp", 100, 12, {0, 0, 1}, 3, 2, kExpectedStrata[46]},
        // (5, 1): seed -1418673041, low byte 111, jitter 10; k = trunc(70 * 4 / 12) = 23.
        {"warp again", 100, 12, {0, 0, 1}, 5, 1, kExpectedStrata[23]},
        // Tilted along x: k = trunc(5 * 30 * 4 / 20) = 30.
        {"tilt x", 0, 20, {1, 0, 0}, 5, 9, kExpectedStrata[30]},
        // k = -30, and -30 AND 255 = 226.
        {"tilt -x", 0, 20, {-1, 0, 0}, 5, 9, kExpectedStrata[226]},
        // Thickness 0 counts as 1: k = trunc(120 * 4 / 1) = 480, AND 255 = 224.
        {"thickness 0", 0, 0, {0, 0, 1}, 0, 2, kExpectedStrata[224]},
    };
    for (const Case& c : cases) {
        TerrainColourSettings colouring;
        colouring.strataWarp = c.warp;
        colouring.strataThickness = c.thickness;
        colouring.strataTilt = {c.tilt[0], c.tilt[1], c.tilt[2]};
        RandomStreams random;
        EXPECT_EQ(strataCode(land, colouring, table, random, c.x, c.y), c.expected) << c.what;
    }
}

TEST(CliffPass, SkipsWhenOffFrozenOrStillValid)
{
    RandomStreams random;
    ScriptedFrontend ui;
    const StrataTable table = defaultStrataTable();

    TerrainColourSettings off;
    off.cliffs = 0;
    Landscape land = ramp(60);
    ASSERT_EQ(cliffPass(land, off, table, 0, random, ui), 1);
    EXPECT_EQ(ground::code(land.terrain[5][5]), 56);

    land.terrainFrozen = 1;
    ASSERT_EQ(cliffPass(land, TerrainColourSettings{}, table, 0, random, ui), 1);
    EXPECT_EQ(ground::code(land.terrain[5][5]), 56);
    land.terrainFrozen = 0;

    land.polygonSize = 8; // coarse first, then finer
    ASSERT_EQ(cliffPass(land, TerrainColourSettings{}, table, 0, random, ui), 1);
    EXPECT_EQ(ground::code(land.terrain[8][8]), 48);
    EXPECT_EQ(ground::code(land.terrain[5][5]), 56);
    land.polygonSize = 1;
    ASSERT_EQ(cliffPass(land, TerrainColourSettings{}, table, 0, random, ui), 1);
    EXPECT_EQ(ground::code(land.terrain[5][5]), 48);

    land.terrain[5][5] = 56;
    land.polygonSize = 8; // coarser after finer: nothing to do
    ASSERT_EQ(cliffPass(land, TerrainColourSettings{}, table, 0, random, ui), 1);
    EXPECT_EQ(ground::code(land.terrain[5][5]), 56);
}

TEST(CliffPass, AbortKeepsTheResolution)
{
    Landscape land = ramp(60);
    RandomStreams random;
    ScriptedFrontend ui;
    ui.abortOnPoll = 2;
    EXPECT_EQ(cliffPass(land, TerrainColourSettings{}, defaultStrataTable(), 0, random, ui), -1);
    EXPECT_EQ(land.cliffValidAt, 16);
    EXPECT_EQ(ground::code(land.terrain[0][4]), 48);
    EXPECT_EQ(ground::code(land.terrain[1][4]), 56);
}

} // namespace
} // namespace kalvenor
