// The sun's light vector, surface brightness, the shadow test and the shade
// pass, against values worked out by hand.
#include <gtest/gtest.h>

#include <cstdint>

#include "terrain/colouring_fixture.h"
#include "terrain/shading.h"
#include "terrain/sun.h"

namespace kalvenor {
namespace {

using testing_colour::flatLandscape;
using testing_colour::makeLandscape;

LightingSettings sunAt(float azimuth, float declination)
{
    LightingSettings lighting;
    lighting.sunAzimuth = azimuth;
    lighting.sunDeclination = declination;
    lighting.lightingRoughness = 0;
    return lighting;
}

SunLight sunFor(const LightingSettings& lighting)
{
    SunLight sun;
    recomputeSun(lighting, sun);
    return sun;
}

TEST(Sun, AzimuthAndDeclinationGiveTheLightVector)
{
    // At 45 degrees each nonzero component is +-sqrt(1/2): 181 after x 256 and truncation.
    struct Case {
        float azimuth;
        std::int32_t x, y, z;
    };
    static constexpr Case cases[] = {
        {-90.0f, 181, 0, 181}, // east (+X)
        {0.0f, 0, 181, 181},   // north (+Y)
        {90.0f, -181, 0, 181}, // west
        {180.0f, 0, -181, 181} // south
    };
    for (const Case& c : cases) {
        const SunLight sun = sunFor(sunAt(c.azimuth, 45.0f));
        EXPECT_EQ(sun.integer, (std::array<std::int32_t, 3>{c.x, c.y, c.z})) << c.azimuth;
        for (std::size_t i = 0; i < 3; ++i)
            EXPECT_FLOAT_EQ(sun.position[i], static_cast<float>(sun.vector[i] * 1.5e11)) << c.azimuth;
    }
    const SunLight start;
    EXPECT_EQ(start.integer, (std::array<std::int32_t, 3>{179, 0, 182}));
    EXPECT_EQ(start.lightLevel, 248);
}

TEST(Sun, PresetsCoverTheFourButtons)
{
    struct Case {
        int id;
        float azimuth;
    };
    static constexpr Case cases[] = {{1064, 0.0f}, {1065, 180.0f}, {1066, -90.0f}, {1067, 90.0f}};
    for (const Case& c : cases) {
        const SunPreset* preset = findSunPreset(c.id);
        ASSERT_NE(preset, nullptr);
        EXPECT_EQ(preset->azimuth, c.azimuth);
    }
    EXPECT_EQ(findSunPreset(1068), nullptr);
}

TEST(SurfaceBrightness, FlatSlopedShadowedExaggeratedAndWithoutContrast)
{
    const std::array<float, 3> light = sunFor(sunAt(-90.0f, 45.0f)).vector;
    const Tangent flatA{60, 0, 0}, flatB{0, 60, 0};
    EXPECT_EQ(surfaceBrightness(flatA, flatB, light, 192, false), 181);
    // Rising toward +X at 45 degrees: the normal (-0.7071, 0, 0.7071) stands at right
    // angles to a light from the east at 45 degrees, n . L = 0.
    const Tangent risingEast{60, 0, 60};
    EXPECT_EQ(surfaceBrightness(risingEast, flatB, light, 192, false), 0);
    // Falling toward +X it faces the sun: n = (0.7071, 0, 0.7071), n . L = 1 - tiny: 255.
    const Tangent fallingEast{60, 0, -60};
    EXPECT_EQ(surfaceBrightness(fallingEast, flatB, light, 192, false), 255);
    // Exaggerated: acos(0.70710677) = 0.78539818; the factor 0.6366182836771072 is a little
    // below 2/pi, so d = 1 - 0.49999884 = 0.50000116 and trunc(128.0003) = 128.
    EXPECT_EQ(surfaceBrightness(flatA, flatB, light, 192, true), 128);
    // Facing away, d = 0 becomes 1 - acos(0) x 0.63661828 = 0.0000023: trunc(0.0006) = 0.
    EXPECT_EQ(surfaceBrightness(risingEast, flatB, light, 192, true), 0);
    // In shadow a flat point gets trunc(0.1 x 256) = 25.
    EXPECT_EQ(shadowedBrightness(flatA, flatB, 192), 25);
    // Contrast 0 switches shading off, in shadow too.
    EXPECT_EQ(surfaceBrightness(risingEast, flatB, light, 0, false), 255);
    EXPECT_EQ(shadowedBrightness(flatA, flatB, 0), 255);
    // A degenerate cell (no spacing) has no normal: its length counts as 1 and d = 0.
    const Tangent none{0, 0, 0};
    EXPECT_EQ(surfaceBrightness(none, none, light, 192, false), 0);
}

// Flat land at 0 with one wall of height h along column 8.
Landscape wall(int height)
{
    Landscape land = makeLandscape(16, 16, [height](int c, int) { return c == 8 ? height : 0; });
    land.highestElevation = height;
    return land;
}

TEST(ShadowTest, MarchesTowardTheSunInFixedPoint)
{
    // Sun in the east at 45 degrees: step (1, 0, 30) per cell, in fixed point (1024, 0, 30720).
    // From (row 8, column 4) the ray starts at z = trunc(15 x 1024) and meets column 8
    // after four steps at z = 15 + 4 x 30 = 135 metres.
    const SunLight sun = sunFor(sunAt(-90.0f, 45.0f));
    const ShadowStep step = shadowStepFor(sun.vector, 30.0f, 30.0f, 1);
    EXPECT_EQ(step.idx, 1024);
    EXPECT_EQ(step.idy, 0);
    EXPECT_EQ(step.idz, 30720);
    struct Case {
        int height, column;
        float declination;
        int shadowed;
    };
    static constexpr Case cases[] = {
        {136, 4, 45.0f, 1},  // 136 > 135
        {135, 4, 45.0f, 0},  // the ray reaches the highest point first
        // At 84.9 degrees a step climbs 336 m: from column 7 the ray is at 504 m over the wall.
        {1000, 7, 84.9f, 1},
        {1000, 7, 85.0f, 0}, // 85 degrees and up cast no shadow
        {300, 9, 45.0f, 0},  // east of the wall
        {136, 8, 45.0f, 0},  // on the wall itself
    };
    for (const Case& c : cases) {
        const Landscape land = wall(c.height);
        EXPECT_EQ(shadowTest(land, step, c.declination, 8, c.column), c.shadowed) << c.height << " " << c.column;
    }
}

TEST(ShadowStep, FollowsTheAxisTheSunIsCloserTo)
{
    // North at 45 degrees, spacings 30 and 20: |Ly| > |Lx|, dy = 1, dz = Lz x 20 / |Ly| = 20,
    // times g = 2: (0, 2, 40) and in fixed point (0, 2048, 40960).
    const SunLight sun = sunFor(sunAt(0.0f, 45.0f));
    const ShadowStep step = shadowStepFor(sun.vector, 30.0f, 20.0f, 2);
    EXPECT_EQ(step.idx, 0);
    EXPECT_EQ(step.idy, 2048);
    EXPECT_EQ(step.idz, 40960);
    // Straight overhead both horizontal components are 0: no division may blow up.
    const ShadowStep overhead = shadowStepFor({0.0f, 0.0f, 1.0f}, 30.0f, 30.0f, 1);
    EXPECT_EQ(overhead.idx, 1024);
    EXPECT_EQ(overhead.idy, 0);
}

TEST(ShadePass, FlatLandAtDeclination45Is181Everywhere)
{
    Landscape land = flatLandscape(16, 0);
    const LightingSettings lighting = sunAt(-90.0f, 45.0f);
    SunLight sun = sunFor(lighting);
    RandomStreams random;
    ScriptedFrontend ui;
    ASSERT_EQ(shadePass(land, lighting, sun, 0, random, ui), 1);
    for (int r = 0; r <= 16; ++r)
        for (int c = 0; c <= 16; ++c) ASSERT_EQ(land.shadow[r][c], 181) << c << "," << r;
    EXPECT_EQ(sun.lightLevel, 181);
    EXPECT_EQ(sun.integer, (std::array<std::int32_t, 3>{181, 0, 181}));
    EXPECT_EQ(land.shadowValidAt, 1);
}

TEST(ShadePass, ContrastZeroGives255EvenInShadow)
{
    Landscape land = wall(300);
    LightingSettings lighting = sunAt(-90.0f, 45.0f);
    lighting.contrast = 0;
    SunLight sun = sunFor(lighting);
    RandomStreams random;
    ScriptedFrontend ui;
    ASSERT_EQ(shadePass(land, lighting, sun, 0, random, ui), 1);
    EXPECT_EQ(land.shadow[8][4], 255 | kTerrainShadowBit);
    EXPECT_EQ(land.shadow[8][12], 255);
    EXPECT_EQ(sun.lightLevel, 255);
}

TEST(ShadePass, ShadowsFallWestOfTheWallUnlessSwitchedOffOrTheSunIsHigh)
{
    struct Case {
        float declination;
        int shadows;
        bool expectShadow;
    };
    static constexpr Case cases[] = {{45.0f, 1, true}, {45.0f, 0, false}, {85.0f, 1, false}, {89.0f, 1, false}};
    for (const Case& c : cases) {
        Landscape land = wall(300);
        LightingSettings lighting = sunAt(-90.0f, c.declination);
        lighting.shadows = c.shadows;
        SunLight sun = sunFor(lighting);
        RandomStreams random;
        ScriptedFrontend ui;
        ASSERT_EQ(shadePass(land, lighting, sun, 0, random, ui), 1);
        int marked = 0;
        for (int r = 0; r <= 16; ++r)
            for (int c2 = 0; c2 <= 16; ++c2) marked += (land.shadow[r][c2] & kTerrainShadowBit) != 0;
        if (!c.expectShadow) {
            EXPECT_EQ(marked, 0) << c.declination;
            continue;
        }
        // Flat ground west of the wall is in shadow with brightness 25: from column 0 the
        // ray reaches the wall at 15 + 8 x 30 = 255 m, below its 300 m.
        EXPECT_EQ(land.shadow[5][6], 25 | kTerrainShadowBit);
        EXPECT_EQ(land.shadow[5][0], 25 | kTerrainShadowBit);
        EXPECT_EQ(land.shadow[5][10], 181);
    }
}

TEST(ShadePass, BottomRowUsesItsOwnRowBelow)
{
    // A ramp rising 60 m per row, sun overhead: inside, dzdy = (60 (y+1) - 60 (y-1)) / 2 = 60 and
    // n = (0, -3600, 3600) / 5091.2, brightness trunc(0.7071 x 256) = 181; on row 0
    // dzdy = (60 - 0) / 2 = 30, n.z = 3600 / 4024.9 = 0.8944, brightness 228.
    Landscape land = makeLandscape(16, 16, [](int, int r) { return 60 * r; });
    const LightingSettings lighting = sunAt(-90.0f, 90.0f);
    SunLight sun = sunFor(lighting);
    RandomStreams random;
    ScriptedFrontend ui;
    ASSERT_EQ(shadePass(land, lighting, sun, 0, random, ui), 1);
    EXPECT_EQ(land.shadow[0][5], 228);
    EXPECT_EQ(land.shadow[1][5], 181);
    EXPECT_EQ(land.shadow[15][5], 181);
    EXPECT_EQ(land.shadow[16][5], 181); // the edge copies the row above
}

TEST(ShadePass, RoughnessAddsPlainDisplacementInDrawOrder)
{
    // Streams seeded with 7: draws (-20, -50, -12), (18, -109, -91), (-94, -82, -79), ...
    // plain displacement of 100: ((600 >> 6) + 32) x 100 >> 6 = 64, >> 4 = 4;
    // ((9919 >> 6) + 32) x 100 >> 6 = 290 -> 18; ((6478 >> 6) + 32) x 100 >> 6 = 207 -> 12.
    Landscape land = flatLandscape(16, 0);
    LightingSettings lighting = sunAt(-90.0f, 45.0f);
    lighting.lightingRoughness = 100;
    SunLight sun = sunFor(lighting);
    RandomStreams random;
    ScriptedFrontend ui;
    ASSERT_EQ(shadePass(land, lighting, sun, 7, random, ui), 1);
    EXPECT_EQ(land.shadow[0][0], 181 + 4);
    EXPECT_EQ(land.shadow[0][1], 181 + 18);
    EXPECT_EQ(land.shadow[0][2], 181 + 12);
}

TEST(ShadePass, ReusesFinerShadesAndRedoesCoarserOnes)
{
    Landscape land = flatLandscape(16, 0);
    const LightingSettings lighting = sunAt(-90.0f, 45.0f);
    SunLight sun = sunFor(lighting);
    RandomStreams random;
    ScriptedFrontend ui;
    land.polygonSize = 8;
    ASSERT_EQ(shadePass(land, lighting, sun, 0, random, ui), 1);
    EXPECT_EQ(land.shadow[4][4], 0);
    EXPECT_EQ(land.shadowValidAt, 8);
    land.polygonSize = 1;
    ASSERT_EQ(shadePass(land, lighting, sun, 0, random, ui), 1);
    EXPECT_EQ(land.shadow[4][4], 181);

    land.shadow[4][4] = 7;
    land.polygonSize = 8;
    ASSERT_EQ(shadePass(land, lighting, sun, 0, random, ui), 1);
    EXPECT_EQ(land.shadow[4][4], 7);

    land.shadowValidAt = land.sizeX;
    land.shadowFrozen = 1;
    ASSERT_EQ(shadePass(land, lighting, sun, 0, random, ui), 1);
    EXPECT_EQ(land.shadow[4][4], 7);
}

TEST(ShadePass, AbortKeepsTheValidity)
{
    Landscape land = flatLandscape(16, 0);
    const LightingSettings lighting = sunAt(-90.0f, 45.0f);
    SunLight sun = sunFor(lighting);
    RandomStreams random;
    ScriptedFrontend ui;
    ui.abortOnPoll = 2;
    EXPECT_EQ(shadePass(land, lighting, sun, 0, random, ui), -1);
    EXPECT_EQ(land.shadowValidAt, 16);
    EXPECT_EQ(land.shadow[0][3], 181);
    EXPECT_EQ(land.shadow[1][3], 0);
}

TEST(ObjectShadows, MarkTheNeighbourAwayFromTheSun)
{
    struct Case {
        float azimuth;
        int dx, dy;
    };
    // East (+X) and north (+Y) keep the mark on the cell; west and south move it one on.
    static constexpr Case cases[] = {{-90.0f, 0, 0}, {0.0f, 0, 0}, {90.0f, 1, 0}, {180.0f, 0, 1}, {135.0f, 1, 1}};
    for (const Case& c : cases) {
        Landscape land = flatLandscape(16, 0);
        const SunLight sun = sunFor(sunAt(c.azimuth, 45.0f));
        land.terrain[3][3] = 35 << 8;  // oak: casts
        land.terrain[3][6] = 36 << 8;  // cactus: does not
        land.terrain[3][9] = 75 << 8;  // a building that casts
        land.terrain[15][15] = 37 << 8; // pine at the last cell: its mark may reach row and column 16
        land.shadow[10][10] = 100 | kObjectShadowBit; // an old mark
        markObjectShadows(land, sun, true);
        EXPECT_TRUE(land.shadow[3 + c.dy][3 + c.dx] & kObjectShadowBit) << c.azimuth;
        EXPECT_TRUE(land.shadow[3 + c.dy][9 + c.dx] & kObjectShadowBit) << c.azimuth;
        EXPECT_TRUE(land.shadow[15 + c.dy][15 + c.dx] & kObjectShadowBit) << c.azimuth;
        EXPECT_FALSE(land.shadow[3 + c.dy][6 + c.dx] & kObjectShadowBit) << c.azimuth;
        EXPECT_EQ(land.shadow[10][10], 100) << "old marks are cleared";
    }
}

TEST(ObjectShadows, OnlyClearWithTreesOffAndDoNothingAtCoarserSizes)
{
    Landscape land = flatLandscape(16, 0);
    const SunLight sun = sunFor(sunAt(90.0f, 45.0f));
    land.terrain[3][3] = 35 << 8;
    land.shadow[10][10] = kObjectShadowBit;
    // Marks the last cells left on the far row and column go as well.
    land.shadow[16][16] = 7 | kObjectShadowBit;
    land.shadow[16][2] = kObjectShadowBit;
    land.shadow[5][16] = kObjectShadowBit;
    markObjectShadows(land, sun, false);
    EXPECT_EQ(land.shadow[10][10], 0);
    EXPECT_EQ(land.shadow[16][16], 7);
    EXPECT_EQ(land.shadow[16][2], 0);
    EXPECT_EQ(land.shadow[5][16], 0);
    EXPECT_EQ(land.shadow[3][4], 0);

    land.shadow[10][10] = kObjectShadowBit;
    land.polygonSize = 2;
    markObjectShadows(land, sun, true);
    EXPECT_EQ(land.shadow[10][10], kObjectShadowBit);
    EXPECT_EQ(land.shadow[3][4], 0);
}

} // namespace
} // namespace kalvenor
