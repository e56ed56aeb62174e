#include <gtest/gtest.h>

#include <cmath>

#include "base/fatal_error.h"
#include "render/sky.h"
#include "render/sky_discs.h"
#include "render/star_map.h"
#include "scene_fixture.h"

namespace kalvenor {
namespace {

using testing::Scene;

// The dome: the sky colour overhead, the sky haze at the camera's level and
// below, smooth between, and the haze climbing higher as it thickens.
TEST(Sky, DomeHazeFromOverheadToTheHorizonAndHorizonRings)
{
    EXPECT_NEAR(domeElevation(0.0), 90.0, 1e-9);
    // The band level with the camera: 600000 cos a = 500000.
    EXPECT_NEAR(domeElevation(std::acos(500000.0 / 600000.0) * 57.29577951308232), 0.0, 1e-9);
    EXPECT_LT(domeElevation(40.0), 0.0);

    struct Case {
        double elevation;
        int haze;
        double fraction;
    };
    for (const Case& c : {Case{90.0, 100, 0.0}, Case{20.0, 100, 0.25}, Case{0.0, 100, 1.0}, Case{-5.0, 100, 1.0},
                          Case{20.0, 0, 0.0}, Case{-5.0, 0, 0.0}, Case{9.5, 30, 0.25}, Case{90.0, 1000, 1.0},
                          Case{90.0, 650, 0.5}, Case{45.0, 650, 0.5 + 0.5 * 0.25}})
        EXPECT_NEAR(domeHazeFraction(c.elevation, c.haze), c.fraction, 1e-12) << c.elevation << " " << c.haze;
    for (double e = 0.5; e < 90.0; e += 0.5) // never more haze higher up
        EXPECT_LE(domeHazeFraction(e, 100), domeHazeFraction(e - 0.5, 100)) << e;
    const float starts[] = {0, 30, 90, 180, 300};
    for (int k = 1; k <= 5; ++k) EXPECT_FLOAT_EQ(horizonRingStart(k), starts[k - 1]);
}

TEST(Sky, StarMapFromTheFractalSeed)
{
    StarMap a, b, c;
    makeStarMap(a, 1234);
    makeStarMap(b, 1234);
    makeStarMap(c, 1235);
    ASSERT_EQ(a.stars.size(), static_cast<std::size_t>(kStarCount));
    bool same = true, differs = false;
    for (std::size_t i = 0; i < a.stars.size(); ++i) {
        const Star& s = a.stars[i];
        same &= s.x == b.stars[i].x && s.y == b.stars[i].y && s.z == b.stars[i].z && s.red == b.stars[i].red;
        differs |= s.x != c.stars[i].x;
        // Every star lies about 16000 from the centre; channels are c + (value & 31) with c in 32..159.
        const double length = std::sqrt(double(s.x) * s.x + double(s.y) * s.y + double(s.z) * s.z);
        EXPECT_NEAR(length, kStarRadius, kStarRadius * 0.01); // 16000 / trunc(length) rounds a little
        for (const int channel : {s.red, s.green, s.blue}) {
            EXPECT_GE(channel, 32);
            EXPECT_LE(channel, 159 + 31);
        }
    }
    EXPECT_TRUE(same);
    EXPECT_TRUE(differs);
}

TEST(Sky, StarMapStorageWithinItsBudget)
{
    // Room for exactly 10000 stars is enough; a byte less ends the program with
    // exit code 20, leaving no half-made map behind.
    const std::size_t needed = static_cast<std::size_t>(kStarCount) * sizeof(Star);
    struct Case {
        std::size_t budget;
        bool fits;
    };
    const Case cases[] = {{needed, true}, {needed - 1, false}, {0, false}};
    for (const Case& c : cases) {
        StarMap map;
        map.budgetBytes = c.budget;
        try {
            allocateStarMap(map);
            EXPECT_TRUE(c.fits) << c.budget;
            EXPECT_EQ(map.stars.size(), static_cast<std::size_t>(kStarCount));
        } catch (const FatalError& fatal) {
            EXPECT_FALSE(c.fits) << c.budget;
            EXPECT_STREQ(fatal.what(), "Insufficient memory (starmap)");
            EXPECT_EQ(fatal.exitCode, 20);
            EXPECT_TRUE(map.stars.empty());
        }
    }
}

TEST(Sky, StarMapMadeInTheStorageTakenAtStartUp)
{
    // Once allocated, making the stars (again, for a new seed) takes no more memory.
    StarMap map;
    allocateStarMap(map);
    const Star* storage = map.stars.data();
    map.budgetBytes = 0;
    makeStarMap(map, 1234);
    makeStarMap(map, 99);
    EXPECT_EQ(map.stars.data(), storage);
    EXPECT_TRUE(map.made);
    EXPECT_EQ(map.seed, 99u);

    // Without it, the first night sky is where the program ends.
    StarMap missing;
    missing.budgetBytes = 0;
    EXPECT_THROW(makeStarMap(missing, 1234), FatalError);
    EXPECT_FALSE(missing.made);
}

TEST(Sky, StarsStayBehindTheTerrain)
{
    Scene s(160, 120, 160, 160);
    testing::makeFlatLandscape(*s.app, 130, 0, 38);
    App& app = *s.app;
    app.scene.sky.sky = 0; // the ground ring and the terrain are drawn after the stars
    app.scene.sky.sunMoon.starsAndMoon = 1, app.scene.sky.sunMoon.moonSize = 0;
    CameraSettings& c = app.scene.camera;
    c.cameraX = c.cameraY = 65 * 30.0f, c.cameraZ = 100.0f;
    c.heading = 0, c.pitch = 0;
    ASSERT_EQ(s.draw(), 1);
    int above = 0, below = 0;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 160; ++x)
            if (pixelClass(s.canvas->at24(x, y)) == kEntrySky) (y < 62 ? above : below)++; // eye level is row 60
    EXPECT_GT(above, 0);
    EXPECT_EQ(below, 0);
    EXPECT_TRUE(s.canvas->guardIntact());
}

TEST(Sky, SunDiscWhereTheSunIs)
{
    // The default sun lies 45 degrees up toward +X; heading -90 looks along +X.
    Scene s(160, 120, 160, 160);
    testing::makeFlatLandscape(*s.app, 66, 0, 38);
    App& app = *s.app;
    app.scene.sky.sunMoon.sunSize = 10;
    CameraSettings& c = app.scene.camera;
    c.cameraX = c.cameraY = 33 * 30.0f, c.cameraZ = 100.0f;
    c.heading = -90, c.pitch = 45;
    ASSERT_EQ(s.draw(), 1);
    EXPECT_EQ(pixelClass(s.canvas->at24(80, 60)), kEntrySun);
    // A 10-times sun spans about 2.6 degrees each way: at focal factor 2, about 7 pixels.
    EXPECT_EQ(pixelClass(s.canvas->at24(85, 60)), kEntrySun);
    EXPECT_NE(pixelClass(s.canvas->at24(90, 60)), kEntrySun);
    // Lit with the sun's own colour at the light level: brighter than the sky around it.
    EXPECT_GT(pixelRed(s.canvas->at24(80, 60)), pixelRed(s.canvas->at24(80, 10)));

    app.scene.sky.sunMoon.sunSize = 0;
    s.canvas->clear();
    ASSERT_EQ(s.draw(), 1);
    EXPECT_NE(pixelClass(s.canvas->at24(80, 60)), kEntrySun);
}

// With the sky off the sun is still hazed with the sky's haze colour, whatever
// haze colour the previous frame left behind.
TEST(Sky, SunHazedAlikeWithTheSkyOff)
{
    Scene s(160, 120, 160, 160);
    testing::makeFlatLandscape(*s.app, 66, 0, 38);
    App& app = *s.app;
    app.scene.sky.sky = 0;
    app.scene.sky.haze = 3000; // thick air, so the haze colour shows in the disc
    app.scene.sky.sunMoon.sunSize = 10;
    CameraSettings& c = app.scene.camera;
    c.cameraX = c.cameraY = 33 * 30.0f, c.cameraZ = 100.0f;
    c.heading = -90, c.pitch = 45;
    std::uint32_t centre[2] = {};
    const int leftOver[2][3] = {{0, 0, 0}, {250, 10, 10}};
    for (int i = 0; i < 2; ++i) {
        for (int k = 0; k < 3; ++k) app.light.haze[k] = leftOver[i][k];
        s.canvas->clear();
        ASSERT_EQ(s.draw(), 1);
        centre[i] = s.canvas->at24(80, 60);
        EXPECT_EQ(pixelClass(centre[i]), kEntrySun);
    }
    EXPECT_EQ(centre[0], centre[1]);
}

TEST(Sky, MoonOnlyWithStarsAndMoon)
{
    Scene s(160, 120, 160, 160);
    testing::makeFlatLandscape(*s.app, 66, 0, 38);
    App& app = *s.app;
    CameraSettings& c = app.scene.camera;
    c.cameraX = c.cameraY = 33 * 30.0f, c.cameraZ = 100.0f;
    c.heading = 90, c.pitch = 45; // toward -X, where the moon is
    ASSERT_EQ(s.draw(), 1);
    EXPECT_NE(pixelClass(s.canvas->at24(80, 60)), kEntryMoon);
    app.scene.sky.sunMoon.starsAndMoon = 1;
    ASSERT_EQ(s.draw(), 1);
    EXPECT_EQ(pixelClass(s.canvas->at24(80, 60)), kEntryMoon);
}

TEST(Sky, DiscRadiusScalesWithSize)
{
    EXPECT_FLOAT_EQ(discRadius(kSunRadius, 10), kSunRadius);
    EXPECT_FLOAT_EQ(discRadius(kSunRadius, 5), kSunRadius * 0.5f);
    EXPECT_FLOAT_EQ(discRadius(kMoonRadius, 0), 0.0f);
}

} // namespace
} // namespace kalvenor
