// The colour pass: altitude bands, the valley value, kept codes, sampling,
// laziness and abort. Expected values are worked out by hand in the comments.
#include <gtest/gtest.h>

#include <cstdint>

#include "terrain/colouring.h"
#include "terrain/colouring_common.h"
#include "terrain/colouring_fixture.h"

namespace kalvenor {
namespace {

using testing_colour::flatLandscape;
using testing_colour::makeLandscape;
using testing_colour::plainColouring;

enum class Band { Tree, Bare, Snow };

struct BandCase {
    Band band;
    std::int64_t v;
    BandLimits limits;
    int expected;
};

TEST(GroundBands, FollowTheTruncatedQuartersOfEachBand)
{
    constexpr BandLimits usual{0, 200, 50, 100}; // lowest, highest, tree line, snow line
    constexpr BandLimits treeAtLowest{50, 200, 50, 100};
    constexpr BandLimits snowAtHighest{0, 200, 50, 200};
    constexpr BandLimits linesTogether{0, 200, 80, 80};
    static constexpr BandCase cases[] = {
        // Tree: k = trunc(4 (v - 0) / 50).
        {Band::Tree, 0, usual, 56},    // 0
        {Band::Tree, 12, usual, 56},   // 48 / 50 = 0
        {Band::Tree, 13, usual, 57},   // 52 / 50 = 1
        {Band::Tree, 25, usual, 58},   // 100 / 50 = 2
        {Band::Tree, 37, usual, 58},   // 148 / 50 = 2
        {Band::Tree, 38, usual, 59},   // 152 / 50 = 3
        {Band::Tree, -10, usual, 56},  // -40 / 50 = 0 (below the lowest point)
        // Bare: k = trunc(4 (v - 50) / 50).
        {Band::Bare, 50, usual, 38},
        {Band::Bare, 62, usual, 38},   // 48 / 50 = 0
        {Band::Bare, 63, usual, 39},   // 52 / 50 = 1
        {Band::Bare, 100, usual, 41},  // 200 / 50 = 4
        // Snow: k = 3 - trunc(4 (200 - v) / 100).
        {Band::Snow, 101, usual, 42},  // 3 - trunc(3.96) = 0
        {Band::Snow, 125, usual, 42},  // 3 - 3 = 0
        {Band::Snow, 126, usual, 43},  // 3 - trunc(2.96) = 1
        {Band::Snow, 200, usual, 45},  // 3 - 0: the highest snow is Snow 4
        {Band::Snow, 250, usual, 45},  // 3 - trunc(-2) = 5
        // Zero divisors count as 1.
        {Band::Tree, 49, treeAtLowest, 56},    // 4 * -1 / 1 = -4
        {Band::Snow, 201, snowAtHighest, 45},  // 3 - (4 * -1 / 1) = 7
        {Band::Bare, 80, linesTogether, 38},   // 0 / 1
        {Band::Bare, 81, linesTogether, 41},   // 4 / 1
    };
    for (const BandCase& c : cases) {
        const int code = c.band == Band::Tree   ? treeBandCode(c.v, c.limits)
                         : c.band == Band::Bare ? bareBandCode(c.v, c.limits)
                                                : snowBandCode(c.v, c.limits);
        EXPECT_EQ(code, c.expected) << "band " << static_cast<int>(c.band) << " v " << c.v;
    }
}

TEST(GroundBands, SnowStartsAboveTheSnowLineAndValleysShiftBothLines)
{
    constexpr BandLimits limits{0, 200, 50, 100};
    struct Case {
        std::int64_t e, v;
        int expected;
    };
    static constexpr Case cases[] = {
        {100, 0, 41},  // exactly on the snow line: bare, k = 4 * 50 / 50 = 4
        {101, 0, 42},  // just above: Snow 1
        {95, -10, 42}, // valley: e - v = 105 is snow, 3 - trunc(380 / 100) = 0
        {45, -10, 58}, // valley: e + v = 35 is below the tree line, 140 / 50 = 2
        {55, -10, 59}, // e + v = 45: 180 / 50 = 3
        {45, 10, 38},  // ridge: e + v = 55 is above the tree line, bare 20 / 50 = 0
        {49, 0, 59},   // just below the tree line
        {50, 0, 38},   // on the tree line: bare
    };
    for (const Case& c : cases) EXPECT_EQ(altitudeCode(c.e, c.v, limits), c.expected) << c.e << " " << c.v;
}

// A 16 x 16 landscape of 0 with one point set, lowest 0 and highest 1000.
Landscape valleyGrid(int column, int row, int height, const std::function<int(int, int)>& base = nullptr)
{
    Landscape land = makeLandscape(16, 16, [&](int c, int r) {
        if (c == column && r == row) return height;
        return base ? base(c, r) : 0;
    });
    land.lowestElevation = 0;
    land.highestElevation = 1000;
    return land;
}

TEST(ValleyValue, MatchesHandWorkedValues)
{
    struct Case {
        const char* what;
        int height;
        std::int32_t width;
        int x, y;
        bool ramp; // elevation 10 x column instead of 0
        std::int64_t expected;
    };
    static constexpr Case cases[] = {
        // rx = ry = trunc(200 / 30) = 6; S = 8 * 100 = 800; v = trunc(60 * 800 / 200) = 240;
        // trunc(240 * 1000 / 128) = 1875; 1875 * 100 = 187500 >> 11 = 91 (91.55).
        {"ridge", 100, 200, 8, 8, false, 91},
        // v = -240; trunc(-1875) * 100 = -187500 >> 11 floors to -92.
        {"valley", -100, 200, 8, 8, false, -92},
        // rx = trunc(70 / 30) = 2; v = trunc(48000 / 70) = 685; trunc(685000 / 128) = 5351;
        // 535100 >> 11 = 261.
        {"narrow", 100, 70, 8, 8, false, 261},
        // At column 2 the reach is clamped to 0..8: c = 20, neighbours 80, 0, 20, 20, 0, 80, 0, 80,
        // S = 160 - 280 = -120; v = trunc(-7200 / 200) = -36; trunc(-36000 / 128) = -281;
        // -28100 >> 11 = -14 (-13.7).
        {"edge", 20, 200, 2, 8, true, -14},
        // Width 0 reaches no neighbour: S = 0 and the divisor counts as 1.
        {"zero width", 100, 0, 8, 8, false, 0},
        // A negative width reaches the same points on the other side; v = trunc(48000 / -200) = -240.
        {"negative width", 100, -200, 8, 8, false, -92},
    };
    for (const Case& c : cases) {
        const Landscape land =
            valleyGrid(c.x, c.y, c.height, c.ramp ? std::function<int(int, int)>([](int col, int) { return 10 * col; })
                                                  : nullptr);
        TerrainColourSettings colouring;
        colouring.valleyWidth = c.width;
        EXPECT_EQ(valleyValue(land, colouring, c.x, c.y), c.expected) << c.what;
        colouring.valleys = 0;
        EXPECT_EQ(valleyValue(land, colouring, c.x, c.y), 0) << c.what << " with the effect off";
    }
}

TEST(ColourPass, FlatLandAtZeroIsAllTree1)
{
    Landscape land = flatLandscape(16, 0);
    TerrainColourSettings colouring; // valleys and boundary roughness on
    colouring.treeLine = 50;
    colouring.snowLine = 100;
    RandomStreams random;
    ScriptedFrontend ui;
    ASSERT_EQ(colourPass(land, colouring, TreeSettings{}, 0, random, ui), 1);
    for (int r = 0; r <= 16; ++r)
        for (int c = 0; c <= 16; ++c) ASSERT_EQ(ground::code(land.terrain[r][c]), 56) << c << "," << r;
    EXPECT_EQ(land.terrainValidAt, 1);
}

TEST(ColourPass, ClassifiesRowsByAltitudeWithoutNoise)
{
    // Rows rise 10 m each: row 4 is 40 m, row 10 is 100 m (the snow line) and so on.
    Landscape land = makeLandscape(16, 16, [](int, int r) { return 10 * r; });
    land.lowestElevation = 0;
    land.highestElevation = 160;
    RandomStreams random;
    ScriptedFrontend ui;
    ASSERT_EQ(colourPass(land, plainColouring(50, 100), TreeSettings{}, 0, random, ui), 1);
    struct Expected {
        int row, code;
    };
    static constexpr Expected expected[] = {
        {0, 56},  // tree, k = 0
        {4, 59},  // tree, 160 / 50 = 3
        {5, 38},  // on the tree line: bare
        {10, 41}, // on the snow line: bare, 200 / 50 = 4
        {11, 42}, // snow, 3 - trunc(4 * 50 / 60) = 0
        {16, 45}, // snow, 3 - 0
    };
    for (const Expected& e : expected)
        for (int c = 0; c <= 16; ++c) EXPECT_EQ(ground::code(land.terrain[e.row][c]), e.code) << "row " << e.row;
}

TEST(ColourPass, KeepsWaterBeachAndRoadWithoutTakingDraws)
{
    // Flat at the tree line with a range of 1280, so the boundary step is 10 and
    // the sign of each point's displacement decides between Tree 4 and Bare 1.
    const auto setUp = [] {
        Landscape land = flatLandscape(16, 640);
        land.lowestElevation = 0;
        land.highestElevation = 1280;
        return land;
    };
    TerrainColourSettings colouring = plainColouring(640, 1000);
    colouring.dither = 100;
    RandomStreams random;
    ScriptedFrontend ui;

    Landscape plain = setUp();
    ASSERT_EQ(colourPass(plain, colouring, TreeSettings{}, 4242, random, ui), 1);

    Landscape kept = setUp();
    static constexpr int keptCodes[] = {50, 51, 55, 88, 91};
    for (int i = 0; i < 5; ++i) kept.terrain[0][i] = static_cast<std::uint16_t>(keptCodes[i]);
    ASSERT_EQ(colourPass(kept, colouring, TreeSettings{}, 4242, random, ui), 1);

    for (int i = 0; i < 5; ++i) EXPECT_EQ(ground::code(kept.terrain[0][i]), keptCodes[i]);
    // The five kept points took no draws: the rest of the row is the plain row shifted by five.
    bool mixed = false;
    for (int c = 5; c <= 16; ++c) {
        EXPECT_EQ(kept.terrain[0][c], plain.terrain[0][c - 5]) << c;
        mixed |= plain.terrain[0][c] != plain.terrain[0][0];
    }
    EXPECT_TRUE(mixed) << "the fixture should give both codes";
}

TEST(ColourPass, SamplesEveryGthPointUpToTheRoundedSize)
{
    // 18 x 18 at step 8: points 0, 8 and 16 of each axis; 17 and 18 lie beyond W' = 16.
    Landscape land = flatLandscape(18, 0);
    land.polygonSize = 8;
    RandomStreams random;
    ScriptedFrontend ui;
    ASSERT_EQ(colourPass(land, plainColouring(50, 100), TreeSettings{}, 0, random, ui), 1);
    for (int r = 0; r <= 18; ++r)
        for (int c = 0; c <= 18; ++c) {
            const bool sampled = r % 8 == 0 && c % 8 == 0 && r <= 16 && c <= 16;
            EXPECT_EQ(ground::code(land.terrain[r][c]), sampled ? 56 : 0) << c << "," << r;
        }
    EXPECT_EQ(land.terrainValidAt, 8);
    EXPECT_EQ(ui.polls, 3);
}

TEST(ColourPass, ReusesFinerColoursAndRedoesCoarserOnes)
{
    Landscape land = flatLandscape(16, 0);
    const TerrainColourSettings colouring = plainColouring(50, 100);
    RandomStreams random;
    ScriptedFrontend ui;
    land.polygonSize = 8;
    ASSERT_EQ(colourPass(land, colouring, TreeSettings{}, 0, random, ui), 1);
    EXPECT_EQ(ground::code(land.terrain[1][1]), 0);

    land.polygonSize = 1; // finer: runs again
    ASSERT_EQ(colourPass(land, colouring, TreeSettings{}, 0, random, ui), 1);
    EXPECT_EQ(ground::code(land.terrain[1][1]), 56);
    EXPECT_EQ(land.terrainValidAt, 1);

    land.terrain[0][0] = 99; // a mark that only a new run would overwrite
    const int polls = ui.polls;
    for (int size : {2, 4, 8, 1}) {
        land.polygonSize = size;
        ASSERT_EQ(colourPass(land, colouring, TreeSettings{}, 0, random, ui), 1);
    }
    EXPECT_EQ(land.terrain[0][0], 99);
    EXPECT_EQ(ui.polls, polls);

    land.terrainValidAt = land.sizeX;
    land.terrainFrozen = 1; // a frozen map is left alone however stale
    ASSERT_EQ(colourPass(land, colouring, TreeSettings{}, 0, random, ui), 1);
    EXPECT_EQ(land.terrain[0][0], 99);
}

TEST(ColourPass, TinyGridIsNotMistakenForComputed)
{
    // sizeX = 4 at polygon size 8: "not computed" (4) is not above the step, yet
    // the pass must run.
    Landscape land = flatLandscape(4, 0);
    land.polygonSize = 8;
    RandomStreams random;
    ScriptedFrontend ui;
    ASSERT_EQ(colourPass(land, plainColouring(50, 100), TreeSettings{}, 0, random, ui), 1);
    EXPECT_EQ(ground::code(land.terrain[0][0]), 56);
}

TEST(ColourPass, AbortStopsBeforeARowAndKeepsTheResolution)
{
    Landscape land = flatLandscape(16, 0);
    RandomStreams random;
    ScriptedFrontend ui;
    ui.abortOnPoll = 3; // before row 2
    EXPECT_EQ(colourPass(land, plainColouring(50, 100), TreeSettings{}, 0, random, ui), -1);
    EXPECT_EQ(land.terrainValidAt, 16);
    EXPECT_EQ(ground::code(land.terrain[1][16]), 56);
    EXPECT_EQ(ground::code(land.terrain[2][0]), 0);
}

TEST(ColourPass, IsRepeatableForTheLandscapeSeedWhateverTheStreamsHeld)
{
    const auto colourWith = [](std::uint32_t seed, std::uint32_t streamState) {
        Landscape land = makeLandscape(32, 32, [](int c, int r) { return (c * 37 + r * 91) % 400; });
        TerrainColourSettings colouring = plainColouring(130, 260);
        colouring.dither = 100;
        RandomStreams random;
        seedAll(random, streamState);
        ScriptedFrontend ui;
        colourPass(land, colouring, TreeSettings{}, seed, random, ui);
        return land;
    };
    const Landscape a = colourWith(5, 1);
    const Landscape b = colourWith(5, 777);
    const Landscape c = colourWith(6, 1);
    bool differs = false;
    for (int r = 0; r <= 32; ++r)
        for (int col = 0; col <= 32; ++col) {
            ASSERT_EQ(a.terrain[r][col], b.terrain[r][col]);
            differs |= a.terrain[r][col] != c.terrain[r][col];
        }
    EXPECT_TRUE(differs) << "another landscape seed moves the band boundaries";
}

} // namespace
} // namespace kalvenor
