#include <gtest/gtest.h>

#include <cmath>

#include "render/cell_draw.h"
#include "render/scene_frame.h"
#include "render/terrain_lighting.h"
#include "render/terrain_walk.h"
#include "render/waves.h"

namespace kalvenor {
namespace {

TEST(TerrainLighting, FullValueKeepsHueAndSaturation)
{
    const struct {
        Rgb in, out;
    } cases[] = {
        {{255, 248, 240}, {255, 248, 240}}, // already full
        {{128, 64, 0}, {255, 127, 0}},      // 64 x 255 / 128 = 127.5, truncated
        {{0, 0, 0}, {255, 255, 255}},       // black has no hue: white
        {{10, 20, 40}, {63, 127, 255}},
    };
    for (const auto& c : cases) {
        const Rgb r = fullValue(c.in);
        EXPECT_EQ(r.r, c.out.r);
        EXPECT_EQ(r.g, c.out.g);
        EXPECT_EQ(r.b, c.out.b);
    }
}

TEST(TerrainLighting, FrameLightFromSchemeAndContrast)
{
    SceneSettings scene;
    scene.colourScheme[77 * 4 + 1] = 255, scene.colourScheme[77 * 4 + 2] = 248, scene.colourScheme[77 * 4 + 3] = 240;
    scene.colourScheme[78 * 4 + 1] = 120, scene.colourScheme[78 * 4 + 2] = 124, scene.colourScheme[78 * 4 + 3] = 127;
    SurfaceLight light;
    setFrameLight(light, scene, 248);
    // 255 x 192 / 255 = 192; 248 x 192 / 255 = 186.7; 240 x 192 / 255 = 180.7.
    EXPECT_EQ(light.light[0], 192);
    EXPECT_EQ(light.light[1], 186);
    EXPECT_EQ(light.light[2], 180);
    // Ambient at full value (240, 248, 255) x 63 / 255: 59.3, 61.3, 63.
    EXPECT_EQ(light.ambient[0], 59);
    EXPECT_EQ(light.ambient[1], 61);
    EXPECT_EQ(light.ambient[2], 63);
    // e = (255 - 248) / 3 + 48 = 50, f = 50 + 128 = 178.
    EXPECT_EQ(light.exposureFactor, 178);

    scene.lighting.contrast = 0; // all ambient
    setFrameLight(light, scene, 248);
    EXPECT_EQ(light.light[1], 0);
    EXPECT_EQ(light.ambient[2], 255);
}

TEST(TerrainLighting, DefaultSurfaceAttributes)
{
    const AttributeBytes table = defaultSurfaceAttributes();
    const struct {
        int entry, intensity, sharpness, flare, radius;
    } cases[] = {
        {38, 50, 20, 0, 0},  {32, 0, 0, 0, 0},    {50, 100, 100, 0, 0}, {52, 175, 100, 0, 0}, {53, 75, 75, 0, 0},
        {54, 0, 0, 80, 5},   {55, 0, 0, 80, 10},  {66, 75, 5, 0, 0},    {75, 75, 20, 0, 0},   {77, 0, 0, 80, 10},
        {89, 50, 20, 0, 0},  {255, 50, 20, 0, 0},
    };
    for (const auto& c : cases) {
        const SurfaceAttributes a = surfaceAttributes(table, c.entry);
        EXPECT_EQ(a.phongIntensity, c.intensity) << c.entry;
        EXPECT_EQ(a.phongSharpness, c.sharpness) << c.entry;
        EXPECT_EQ(a.flareIntensity, c.flare) << c.entry;
        EXPECT_EQ(a.flareRadius, c.radius) << c.entry;
        EXPECT_EQ(a.roughness, 100) << c.entry;
    }
}

TEST(TerrainLighting, DiffuseIntensity)
{
    const Vec3 sun = {0.7f, 0.0f, 0.71f};
    EXPECT_EQ(diffuseIntensity({0, 0, 1}, sun, false), 181); // trunc(0.71 x 256)
    // 1 - acos(0.71) x 2/pi = 0.5026, x 256 = 128.7
    EXPECT_EQ(diffuseIntensity({0, 0, 1}, sun, true), 128);
    EXPECT_EQ(diffuseIntensity({-0.71f, 0, 0.7f}, sun, false), 0); // facing away: 0, never negative
    EXPECT_EQ(diffuseIntensity({-0.71f, 0, 0.7f}, sun, true), 0);
}

TEST(TerrainLighting, PhongHiliteAndWaterSheen)
{
    SurfaceAttributes shiny;
    shiny.phongIntensity = 175, shiny.phongSharpness = 100;
    const Vec3 up = {0, 0, 1};
    // Mirror direction straight at the eye: s = 1, H = 256.
    Hilite h = phongHilite(up, up, up, shiny, false);
    EXPECT_EQ(h.value, 256);
    EXPECT_EQ(h.strength, 175);
    // Eye at right angles: s held at 0.001, 0.001^100 x 256 truncates to 0.
    h = phongHilite(up, up, {1, 0, 0}, shiny, false);
    EXPECT_EQ(h.value, 0);
    // Water seen at a grazing angle: s2 = 1 - max(0, 0 - 0) = 1, H2 = 128 beats 0 and halves S.
    h = phongHilite(up, up, {1, 0, 0}, shiny, true);
    EXPECT_EQ(h.value, 128);
    EXPECT_EQ(h.strength, 87);
}

TEST(TerrainLighting, HazeAmountScalesTheWeight)
{
    EXPECT_FLOAT_EQ(frameHazeWeight(25600.0f, 100), 100.0f);
    EXPECT_FLOAT_EQ(frameHazeWeight(25600.0f, 200), 200.0f);
    EXPECT_FLOAT_EQ(frameHazeWeight(25600.0f, 0), 0.0f);
}

TEST(Waves, HeightFollowsAmplitudeAndPhase)
{
    Landscape land;
    land.highestColumn = 100, land.highestRow = 50;
    WaveSettings waves;
    const WaveField base = makeWaveField(waves, land);
    EXPECT_DOUBLE_EQ(base.k, 8.0);
    EXPECT_DOUBLE_EQ(base.amplitude, 1.0);
    // Bounded by (3 + 0.14) m / k.
    for (int i = 0; i < 50; ++i) EXPECT_LE(std::fabs(waveHeight(base, i * 37.0, i * 11.0)), 3.14 / 8.0 + 1e-9);
    // Half a cycle on turns every sine over.
    waves.phase = 50;
    const WaveField half = makeWaveField(waves, land);
    EXPECT_NEAR(waveHeight(half, 1234.0, 567.0), -waveHeight(base, 1234.0, 567.0), 1e-6);
    waves.amplitude = 0;
    EXPECT_DOUBLE_EQ(waveHeight(makeWaveField(waves, land), 1234.0, 567.0), 0.0);
    // A wave length or speed of 0 counts as 1.
    waves.length = 0, waves.speed = 0;
    const WaveField zero = makeWaveField(waves, land);
    EXPECT_DOUBLE_EQ(zero.k, 80.0);
    EXPECT_NEAR(zero.speedFactor, 6.283185307179586, 1e-12);
}

// One frame moves the phase on by 100 / speed percent of a cycle, exactly: a
// speed of 30 gives 3.33 (not 3), one of 300 a third of a percent (not nothing).
TEST(Waves, PhaseStepsByOneSpeedthOfACycle)
{
    const struct {
        std::int32_t speed;
        float phase, next;
    } cases[] = {
        {25, 0.0f, 4.0f},
        {30, 0.0f, 3.3333333f},
        {300, 10.0f, 10.333333f},
        {400, 0.0f, 0.25f},
        {25, 98.0f, 2.0f},  // past a whole cycle it starts again
        {0, 30.0f, 30.0f},  // speed 0 counts as 1: a whole cycle each frame
        {-20, 2.0f, 97.0f}, // a negative speed runs the waves backwards
    };
    for (const auto& c : cases) {
        WaveSettings waves;
        waves.speed = c.speed;
        waves.phase = c.phase;
        advanceWavePhase(waves);
        EXPECT_NEAR(waves.phase, c.next, 1e-4) << c.speed << " from " << c.phase;
    }
    // Thirty frames of speed 30 make one whole cycle without drifting.
    WaveSettings waves;
    waves.speed = 30;
    for (int frame = 0; frame < 30; ++frame) advanceWavePhase(waves);
    EXPECT_NEAR(std::remainder(waves.phase, 100.0f), 0.0f, 1e-3);
}

TEST(Waves, PartPercentPhaseReachesTheField)
{
    Landscape land;
    WaveSettings waves;
    waves.phase = 3.25f;
    EXPECT_NEAR(makeWaveField(waves, land).phase, 0.0325 * 6.283185307179586, 1e-12);
}

TEST(TerrainWalk, WalkingOrderByHeading)
{
    const struct {
        float heading;
        bool rows;
    } cases[] = {{0, true}, {45, true}, {46, false}, {90, false}, {134, false}, {135, true},
                 {180, true}, {-100, false}, {-45.9f, true}, {225, true}, {300, false}};
    for (const auto& c : cases) EXPECT_EQ(walksByRows(c.heading), c.rows) << c.heading;
}

TEST(TerrainWalk, SubdivisionLimitsByAltitudeTexture)
{
    const struct {
        int kind, level, size, depth;
    } cases[] = {{0, 0, 32000, 0}, {1, 1, 20, 4}, {1, 2, 15, 6}, {1, 3, 10, 8}, {1, 4, 7, 8}, {2, 3, 32000, 0},
                 {1, 9, 32000, 0}};
    for (const auto& c : cases) {
        TextureSettings texture;
        texture.kind = c.kind, texture.level = c.level;
        const SubdivisionLimits limits = subdivisionLimits(texture);
        EXPECT_EQ(limits.maxPolygonSize, c.size);
        EXPECT_EQ(limits.maxDepth, c.depth);
    }
}

TEST(TerrainWalk, ChildrenFarthestFirst)
{
    const struct {
        float eyeX, eyeY;
        int order[4];
    } cases[] = {{10, 10, {0, 1, 2, 3}}, {-10, 10, {1, 0, 3, 2}}, {10, -10, {2, 3, 0, 1}}, {-10, -10, {3, 2, 1, 0}},
                 {0, 0, {0, 1, 2, 3}}};
    for (const auto& c : cases) {
        const ChildOrder o = childOrder(c.eyeX, c.eyeY, 0.0f, 0.0f);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(o.index[i], c.order[i]);
    }
}

TEST(TerrainWalk, CellInViewWithTheDetailMargin)
{
    const Vec3 inside[4] = {{0, 0, 10}, {1, 0, 10}, {0, 1, 10}, {1, 1, 10}};
    EXPECT_TRUE(cellInView(inside, 0, 0));
    const Vec3 behind[4] = {{0, 0, 0}, {1, 0, -1}, {0, 1, -2}, {1, 1, 0}};
    EXPECT_FALSE(cellInView(behind, 0, 0));
    // Just right of the view: u from 10.5 to 12 at w = 10.
    const Vec3 right[4] = {{10.5f, 0, 10}, {12, 0, 10}, {10.5f, 1, 10}, {12, 1, 10}};
    EXPECT_FALSE(cellInView(right, 0, 0));
    EXPECT_TRUE(cellInView(right, 1.0f, 0)); // moved 1 toward 0, it reaches in
    const Vec3 below[4] = {{0, 10, 10}, {1, 10, 10}, {0, 11, 10}, {1, 11, 10}};
    EXPECT_FALSE(cellInView(below, 0, 0)); // v >= w for all
    EXPECT_TRUE(cellInView(below, 0, 0.5f));
}

TEST(PolygonSubmission, BackFacesOfObjects)
{
    Polygon p;
    p.count = 4;
    // A triangle in the plane w = 10, wound one way and the other.
    const float corners[3][2] = {{0, 0}, {1, 0}, {0, 1}};
    for (int i = 0; i < 4; ++i) {
        p.vertices[static_cast<std::size_t>(i)].u = corners[i % 3][0];
        p.vertices[static_cast<std::size_t>(i)].v = corners[i % 3][1];
        p.vertices[static_cast<std::size_t>(i)].w = 10;
    }
    // (p1 - p0) x (p2 - p1) = (1,0,0) x (-1,1,0) = (0,0,1); . p1 = 10 >= 0: away.
    EXPECT_TRUE(facesAway(p));
    std::swap(p.vertices[1], p.vertices[2]);
    EXPECT_FALSE(facesAway(p));
}

} // namespace
} // namespace kalvenor
