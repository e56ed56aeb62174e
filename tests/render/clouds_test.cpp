#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "render/clouds.h"
#include "scene_fixture.h"

namespace kalvenor {
namespace {

using testing::Scene;

std::uint32_t packed(int r, int g, int b, int a)
{
    return static_cast<std::uint32_t>(r | (g << 8) | (b << 16) | (a << 24));
}

TEST(Clouds, ThresholdsFromCoverageAndSharpness)
{
    // base = trunc((100 - d) x 255 / 100), half = trunc((100 - h) / 2), lo = base - half, hi = base + half.
    struct Case {
        int density, hardness, low, high;
    };
    const Case cases[] = {
        {40, 50, 128, 178},   // the start values: base 153, half 25
        {100, 100, 0, 0},     // every density above 0 opaque
        {0, 50, 230, 280},    // base 255: almost no cloud
        {40, 0, 103, 203},    // a ramp 100 densities wide
        {33, 33, 137, 203},   // base trunc(67 x 2.55) = 170, half trunc(33.5) = 33
    };
    for (const Case& c : cases) {
        CloudSettings clouds;
        setCloudDensity(clouds, c.density);
        setCloudHardness(clouds, c.hardness);
        EXPECT_EQ(clouds.low, c.low) << c.density << " " << c.hardness;
        EXPECT_EQ(clouds.high, c.high) << c.density << " " << c.hardness;
    }
}

TEST(Clouds, ColourTableAndLining)
{
    // b = min(lining, 255 - alpha) is added to each colour byte, held to 255.
    EXPECT_EQ(cloudColour(packed(200, 210, 250, 0), 20), packed(220, 230, 255, 0));
    EXPECT_EQ(cloudColour(packed(200, 210, 250, 250), 20), packed(205, 215, 255, 250));
    EXPECT_EQ(cloudColour(packed(200, 210, 250, 255), 20), packed(200, 210, 250, 255));

    SchemeBytes scheme{};
    scheme[kCloudColourEntry * 4 + 1] = 200, scheme[kCloudColourEntry * 4 + 2] = 210, scheme[kCloudColourEntry * 4 + 3] = 250;
    CloudSettings clouds;
    clouds.lining = 20;
    setCloudDensity(clouds, 40);
    setCloudHardness(clouds, 0); // lo 103, hi 203
    buildCloudColours(clouds, scheme);
    struct Case {
        int density;
        std::uint32_t colour;
    };
    const Case cases[] = {
        {102, packed(220, 230, 255, 0)},    // below lo: clear, fully lined
        {103, packed(220, 230, 255, 0)},    // (103 - 103) x 255 / 100 = 0
        {153, packed(220, 230, 255, 127)},  // 50 x 255 / 100 = 127.5: alpha 127, b = min(20, 128)
        {200, packed(208, 218, 255, 247)},  // 97 x 255 / 100 = 247.35: b = 8
        {204, packed(200, 210, 250, 255)},  // above hi: opaque, no lining
    };
    for (const Case& c : cases) EXPECT_EQ(cloudColourOf(clouds, c.density), c.colour) << c.density;

    // Density 100 and hardness 100: lo = hi = 0, every density above 0 opaque.
    setCloudDensity(clouds, 100);
    setCloudHardness(clouds, 100);
    buildCloudColours(clouds, scheme);
    EXPECT_EQ(cloudColourOf(clouds, 0) >> 24, 0u);
    EXPECT_EQ(cloudColourOf(clouds, 1) >> 24, 255u);
}

TEST(Clouds, GeneratorFollowsTheSeedAndStaysSmooth)
{
    CloudSettings a, b, c;
    RandomStreams random;
    a.number = 8, b.number = 8, c.number = 9;
    regenerateClouds(a, random);
    regenerateClouds(b, random);
    regenerateClouds(c, random);
    EXPECT_EQ(a.pattern, b.pattern);
    EXPECT_NE(a.pattern, c.pattern);

    // Scaled to the full range, then smoothed: darkest and brightest far apart,
    // neighbours close.
    const auto [lo, hi] = std::minmax_element(a.pattern.begin(), a.pattern.end());
    EXPECT_LT(*lo, 40);
    EXPECT_GT(*hi, 215);
    int steepest = 0;
    for (int y = 1; y < 255; ++y)
        for (int x = 1; x < 255; ++x)
            steepest = std::max(steepest, std::abs(a.pattern[static_cast<std::size_t>(y * 256 + x)] -
                                                   a.pattern[static_cast<std::size_t>(y * 256 + x + 1)]));
    EXPECT_LT(steepest, 64);

    // Larger clouds come from a smaller divisor; a divisor leaving no step at all still ends.
    for (const int divisor : {2, 16, 64, 200}) {
        CloudSettings d;
        d.sizeDivisor = divisor;
        regenerateClouds(d, random);
        EXPECT_EQ(d.pattern.size(), 65536u) << divisor;
    }
}

TEST(Clouds, FromTheLandscape)
{
    // The smallest grid is 256 x 256 samples (sizeX = sizeY = 256): pattern row v is
    // landscape row 255 - v. Rising 10 per column from 100, the statistics (columns
    // 0..254) give lowest 100 and highest 2640: D = 2541.
    Landscape land;
    ASSERT_EQ(allocateGrid(land, 258, 258), 1);
    ASSERT_EQ(land.sizeX, 256);
    for (int r = 0; r < 258; ++r)
        for (int c = 0; c < 258; ++c) land.elevation[r][c] = static_cast<std::int16_t>(100 + c * 10);
    computeElevationStatistics(land);
    ASSERT_EQ(land.lowestElevation, 100);
    ASSERT_EQ(land.highestElevation, 2640);
    CloudSettings clouds;
    cloudsFromLandscape(clouds, land);
    struct Case {
        int at, expected;
    };
    const Case columns[] = {
        {0, 0},     // the lowest point
        {128, 128}, // 1280 x 256 / 2541 = 128.96
        {254, 255}, // the highest point: 2540 x 256 / 2541 = 255.9
        {255, 255}, // above the highest (outside the statistics' scan): held at 255, not wrapped to 0
    };
    for (const int v : {0, 100, 255})
        for (const Case& c : columns)
            EXPECT_EQ(clouds.pattern[static_cast<std::size_t>(v * 256 + c.at)], c.expected) << v << " " << c.at;

    // Rising 10 per row instead.
    for (int r = 0; r < 258; ++r)
        for (int c = 0; c < 258; ++c) land.elevation[r][c] = static_cast<std::int16_t>(100 + r * 10);
    computeElevationStatistics(land);
    cloudsFromLandscape(clouds, land);
    const Case rows[] = {
        {0, 255},   // landscape row 255, above the highest
        {128, 127}, // row 127: 1270 x 256 / 2541 = 127.9
        {255, 0},   // row 0, the lowest
    };
    for (const Case& r : rows) EXPECT_EQ(clouds.pattern[static_cast<std::size_t>(r.at * 256 + 7)], r.expected) << r.at;

    // A larger grid samples rows and columns: 514 grid (sizeX 512), column trunc(512 u / 256) = 2u.
    ASSERT_EQ(allocateGrid(land, 514, 514), 1);
    for (int r = 0; r < 514; ++r)
        for (int c = 0; c < 514; ++c) land.elevation[r][c] = static_cast<std::int16_t>(100 + c * 5);
    computeElevationStatistics(land); // lowest 100, highest 100 + 510 x 5 = 2650: D = 2551
    cloudsFromLandscape(clouds, land);
    EXPECT_EQ(clouds.pattern[static_cast<std::size_t>(3 * 256 + 64)], 64); // column 128: 640 x 256 / 2551 = 64.2
}

// Seen from below, the layer covers the sky; from above, it covers the ground.
TEST(Clouds, LayerDrawnBelowAndAboveTheCamera)
{
    for (const bool above : {false, true}) {
        Scene s(64, 48, 64, 64);
        testing::makeFlatLandscape(*s.app, 66, 0, 38);
        App& app = *s.app;
        CloudSettings& clouds = app.scene.clouds;
        clouds.clouds = 1;
        clouds.altitude = 1000;
        std::fill(clouds.pattern.begin(), clouds.pattern.end(), std::uint8_t{255}); // dense everywhere
        setCloudDensity(clouds, 40);
        CameraSettings& c = app.scene.camera;
        c.cameraX = c.cameraY = 33 * 30.0f;
        c.cameraZ = above ? 3000.0f : 100.0f;
        c.heading = 0, c.pitch = above ? -60.0f : 60.0f; // looking toward the layer
        ASSERT_EQ(s.draw(), 1);
        int cloudPixels = 0;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x) cloudPixels += pixelClass(s.canvas->at24(x, y)) == kCloudClass ? 1 : 0;
        EXPECT_EQ(cloudPixels, 64 * 48) << (above ? "above" : "below");
        EXPECT_TRUE(s.canvas->guardIntact());
    }

    // A clear pattern draws nothing; an abort ends the frame.
    Scene s(64, 48, 64, 64);
    testing::makeFlatLandscape(*s.app, 66, 0, 38);
    CloudSettings& clouds = s.app->scene.clouds;
    clouds.clouds = 1;
    std::fill(clouds.pattern.begin(), clouds.pattern.end(), std::uint8_t{0});
    CameraSettings& c = s.app->scene.camera;
    c.cameraX = c.cameraY = 33 * 30.0f, c.cameraZ = 100.0f, c.pitch = 60.0f;
    ASSERT_EQ(s.draw(), 1);
    for (int x = 0; x < 64; ++x) EXPECT_NE(pixelClass(s.canvas->at24(x, 0)), kCloudClass);
    std::fill(clouds.pattern.begin(), clouds.pattern.end(), std::uint8_t{255});
    s.ui.abortOnPoll = 1;
    s.ui.polls = 0;
    EXPECT_EQ(s.draw(), -1);
}

} // namespace
} // namespace kalvenor
