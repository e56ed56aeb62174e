#include <gtest/gtest.h>

#include "model/landscape.h"
#include "model/random_streams.h"
#include "model/scene_reset.h"

namespace kalvenor {
namespace {

Landscape grid(int width, int height, float spacingX, float spacingY, int lowest, int highest)
{
    Landscape land;
    EXPECT_EQ(allocateGrid(land, width, height), 1);
    land.spacingX = spacingX;
    land.spacingY = spacingY;
    land.lowestElevation = lowest;
    land.highestElevation = highest;
    return land;
}

struct OverviewCase {
    const char* what;
    int width, height;
    float spacingX, spacingY;
    int lowest, highest;
    float cameraX, cameraZ, targetY, targetZ;
};

// camera = (sizeX * spacingX / 2, 0, longSide * 1000 / 256 + highest)
// target = (sizeX * spacingX / 2, sizeY * spacingY / 2, (highest + lowest) / 2), / truncating.
constexpr OverviewCase kOverview[] = {
    // 256 * 30 / 2 = 3840; 257000 / 256 = 1003 (1003.9); 1003 + 500 = 1503;
    // 256 * 30 / 2 = 3840; 480 / 2 = 240
    {"square", 258, 258, 30.0f, 30.0f, -20, 500, 3840.0f, 1503.0f, 3840.0f, 240.0f},
    // 298 * 30 / 2 = 4470; longSide 299: 299000 / 256 = 1167 (1167.97); 1167 - 3 = 1164;
    // 198 * 20 / 2 = 1980; (-3 + -10) / 2 = -6 (toward zero, not -7)
    {"oblong, below zero", 300, 200, 30.0f, 20.0f, -10, -3, 4470.0f, 1164.0f, 1980.0f, -6.0f},
};

TEST(SceneReset, OverviewCameraPlacement)
{
    for (const OverviewCase& t : kOverview) {
        SCOPED_TRACE(t.what);
        const Landscape land = grid(t.width, t.height, t.spacingX, t.spacingY, t.lowest, t.highest);
        CameraSettings camera;
        placeOverviewCamera(land, camera);
        EXPECT_FLOAT_EQ(camera.cameraX, t.cameraX);
        EXPECT_FLOAT_EQ(camera.cameraY, 0.0f);
        EXPECT_FLOAT_EQ(camera.cameraZ, t.cameraZ);
        EXPECT_FLOAT_EQ(camera.targetX, t.cameraX);
        EXPECT_FLOAT_EQ(camera.targetY, t.targetY);
        EXPECT_FLOAT_EQ(camera.targetZ, t.targetZ);
        // Looking along +Y and down.
        EXPECT_FLOAT_EQ(camera.heading, 0.0f);
        EXPECT_LT(camera.pitch, 0.0f);
    }
}

struct ThresholdCase {
    int lowest, highest;
    int treeLine, snowLine;
};

// TreeLine = lowest + range / 3, SnowLine = lowest + 2 * range / 3, / truncating toward zero.
constexpr ThresholdCase kThresholds[] = {
    {0, 100, 33, 66},
    {-100, 0, -67, -34},  // range 100: -100 + 33, -100 + 66
    {10, 0, 7, 4},        // range -10: -10 / 3 = -3 (floor: -4), -20 / 3 = -6 (floor: -7)
    {-32767, 32767, -32767 + 21844, -32767 + 43689}, // 65534 / 3 = 21844, 131068 / 3 = 43689
};

TEST(SceneReset, DefaultTerrainThresholdsAtOneAndTwoThirds)
{
    for (const ThresholdCase& t : kThresholds) {
        SCOPED_TRACE(::testing::Message() << t.lowest << ".." << t.highest);
        Landscape land;
        land.lowestElevation = t.lowest;
        land.highestElevation = t.highest;
        TerrainColourSettings colouring;
        setDefaultTerrainThresholds(land, colouring);
        EXPECT_EQ(colouring.treeLine, t.treeLine);
        EXPECT_EQ(colouring.snowLine, t.snowLine);
    }
}

TEST(SceneReset, SceneResetPlacesTheCameraAtTheSouthEdgeAndResetsSettings)
{
    // spacingX 30 and spacingY 10 tell the two apart: the target's X uses spacingY.
    Landscape land = grid(258, 258, 30.0f, 10.0f, 10, 110);
    land.polygonSize = 4;
    SceneSettings scene;
    scene.camera.lockX = scene.camera.lockY = scene.camera.lockZ = 1;
    scene.camera.bank = 25.0f;
    scene.generation.roughness = 7;
    scene.colouring.dither = 3;

    resetScene(land, scene);
    const CameraSettings& c = scene.camera;
    EXPECT_EQ(c.lockX, 0);
    EXPECT_EQ(c.lockY, 0);
    EXPECT_EQ(c.lockZ, 0);
    // camera (257 * 30 / 2, 256 * 10, 110), target (257 * 10 / 2, 0, 10)
    EXPECT_FLOAT_EQ(c.cameraX, 3855.0f);
    EXPECT_FLOAT_EQ(c.cameraY, 2560.0f);
    EXPECT_FLOAT_EQ(c.cameraZ, 110.0f);
    EXPECT_FLOAT_EQ(c.targetX, 1285.0f);
    EXPECT_FLOAT_EQ(c.targetY, 0.0f);
    EXPECT_FLOAT_EQ(c.targetZ, 10.0f);
    // Re-aimed: (dx, dy) = (-2570, -2560) points at 180 + atan(2560 / 2570) = 224.888 degrees.
    EXPECT_NEAR(c.heading, 134.888, 0.001);
    EXPECT_LT(c.pitch, 0.0f);
    EXPECT_FLOAT_EQ(c.bank, 0.0f);
    // One quarter and two thirds: 10 + 100 / 4 = 35, 10 + 200 / 3 = 76.
    EXPECT_EQ(scene.colouring.treeLine, 35);
    EXPECT_EQ(scene.colouring.snowLine, 76);
    EXPECT_EQ(scene.generation.roughness, 100);
    EXPECT_EQ(scene.colouring.dither, 100);
    EXPECT_EQ(land.polygonSize, 1);
}

TEST(SceneReset, SceneResetThresholdsTruncateTowardZero)
{
    Landscape land = grid(258, 258, 30.0f, 30.0f, 10, 0); // range -10
    SceneSettings scene;
    resetScene(land, scene);
    EXPECT_EQ(scene.colouring.treeLine, 8); // -10 / 4 = -2, not -3
    EXPECT_EQ(scene.colouring.snowLine, 4); // -20 / 3 = -6, not -7
}

TEST(SceneReset, NewLandscapeResetsEverythingDerived)
{
    Landscape land = grid(300, 200, 30.0f, 30.0f, 0, 0);
    land.elevation[20][10] = 600;
    land.elevation[50][60] = -30;
    land.terrain[3][4] = 0x2A;
    land.shadow[5][6] = 0x80;
    land.terrainFrozen = land.shadowFrozen = 1;
    land.terrainValidAt = land.cliffValidAt = land.shadowValidAt = 1;
    land.paletteStale = 0;
    land.mapStale = false;
    SceneSettings scene;
    scene.generation.verticalScale = 3.0f;
    scene.generation.verticalScale2 = 0.5f;
    scene.colouring.seaLevel = 40;
    scene.render.box.enabled = 1;

    resetForNewLandscape(land, scene);
    EXPECT_FLOAT_EQ(scene.generation.verticalScale, 1.0f);
    EXPECT_FLOAT_EQ(scene.generation.verticalScale2, 1.0f);
    EXPECT_EQ(scene.colouring.seaLevel, 0);
    EXPECT_EQ(scene.render.box.enabled, 0);
    EXPECT_EQ(land.highestElevation, 600);
    EXPECT_EQ(land.highestColumn, 10);
    EXPECT_EQ(land.highestRow, 20);
    EXPECT_EQ(land.lowestElevation, -30);
    // Overview: z = 299000 / 256 + 600 = 1167 + 600; target z = 570 / 2.
    EXPECT_FLOAT_EQ(scene.camera.cameraZ, 1767.0f);
    EXPECT_FLOAT_EQ(scene.camera.targetZ, 285.0f);
    // One third and two thirds of 630 above -30.
    EXPECT_EQ(scene.colouring.treeLine, 180);
    EXPECT_EQ(scene.colouring.snowLine, 390);
    EXPECT_EQ(land.terrain[3][4], 0);
    EXPECT_EQ(land.shadow[5][6], 0);
    EXPECT_EQ(land.terrainFrozen, 0);
    EXPECT_EQ(land.shadowFrozen, 0);
    EXPECT_EQ(land.terrainValidAt, 298);
    EXPECT_EQ(land.cliffValidAt, 298);
    EXPECT_EQ(land.shadowValidAt, 298);
    EXPECT_EQ(land.paletteStale, 1);
    EXPECT_TRUE(land.mapStale);
}

TEST(SceneReset, AfterGenerationTheOverviewCameraWins)
{
    Landscape land = grid(258, 258, 30.0f, 30.0f, 0, 0);
    land.elevation[100][100] = 900;
    land.elevation[10][10] = 100;
    land.polygonSize = 8;
    land.terrainValidAt = 1;
    SceneSettings scene;
    refreshAfterGeneration(land, scene);
    EXPECT_EQ(land.highestElevation, 900);
    EXPECT_EQ(land.lowestElevation, 100);
    EXPECT_EQ(land.terrainValidAt, 256);
    EXPECT_EQ(land.polygonSize, 1);
    // Thresholds of the scene reset: 100 + 800 / 4, 100 + 1600 / 3.
    EXPECT_EQ(scene.colouring.treeLine, 300);
    EXPECT_EQ(scene.colouring.snowLine, 633);
    // Camera of the overview: (3840, 0, 1003 + 900), target (3840, 3840, 500).
    EXPECT_FLOAT_EQ(scene.camera.cameraX, 3840.0f);
    EXPECT_FLOAT_EQ(scene.camera.cameraY, 0.0f);
    EXPECT_FLOAT_EQ(scene.camera.cameraZ, 1903.0f);
    EXPECT_FLOAT_EQ(scene.camera.targetY, 3840.0f);
    EXPECT_FLOAT_EQ(scene.camera.targetZ, 500.0f);
}

} // namespace
} // namespace kalvenor
