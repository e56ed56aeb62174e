#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "render/clouds.h"
#include "script/interpreter.h"
#include "script_fixture.h"
#include "terrain/colouring_common.h"

namespace kalvenor {
namespace {

using Interpreter = ScriptTest;

TEST_F(Interpreter, CommentsAndBlankLinesDoNothing)
{
    const SceneSettings before = app.scene;
    for (const char* line : {"Rem text", "REM", ";note", "; x", ";", "   ", "\t\x01", ""})
        EXPECT_EQ(run(line), LineResult::Done) << line;
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(app.scene.sky.haze, before.sky.haze);
}

TEST_F(Interpreter, UnknownKeywordsAskToContinueOrCancel)
{
    EXPECT_EQ(run("Remark here"), LineResult::Done);
    EXPECT_EQ(run("CameraXYZ5 1 2 3\r\n"), LineResult::Done);
    EXPECT_EQ(run("LoadPCX\tpic.pcx"), LineResult::Done);
    ui.askAnswers = {false};
    EXPECT_EQ(run("Bogus"), LineResult::Stop);
    EXPECT_EQ(ui.questions, (std::vector<std::string>{"Script error: Remark here [Continue|Cancel]",
                                                      "Script error: CameraXYZ5 1 2 3 [Continue|Cancel]",
                                                      "Script error: LoadPCX pic.pcx [Continue|Cancel]",
                                                      "Script error: Bogus [Continue|Cancel]"}));
}

TEST_F(Interpreter, RenderAndRewriteImageEndFramesAndClassify)
{
    EXPECT_EQ(run("render"), LineResult::RenderFrame);
    EXPECT_EQ(run("RewriteImage"), LineResult::RewriteFrame);
    struct Case {
        const char* line;
        LineResult expected;
    };
    constexpr LineResult kOther = LineResult::Done;
    for (const Case& c : {Case{"Render", LineResult::RenderFrame}, Case{"  REWRITEIMAGE extra", LineResult::RewriteFrame},
                          Case{"Rem Render", kOther}, Case{"Renderx", kOther}, Case{"1, 2, 3, 4, 5, 6", kOther},
                          Case{"", kOther}})
        EXPECT_EQ(classifyLine(c.line), c.expected) << c.line;
}

TEST_F(Interpreter, IntegerSettingsTruncateAndMissingNumbersAreZero)
{
    EXPECT_EQ(run("Haze"), LineResult::Done);
    EXPECT_EQ(app.scene.sky.haze, 0);
    run("TreeLine 49.9");
    EXPECT_EQ(app.scene.colouring.treeLine, 49);
    run("TreeLine -0.5");
    EXPECT_EQ(app.scene.colouring.treeLine, 0);
    run("snowline 3e10");
    EXPECT_EQ(app.scene.colouring.snowLine, 2147483647);
    run("CloudDensity 150");
    EXPECT_EQ(app.scene.clouds.density, 100);
    run("CloudHardness -5");
    EXPECT_EQ(app.scene.clouds.hardness, 0);
    run("Temporary 7.8");
    EXPECT_EQ(app.scene.script.temporary, 7);
}

// Each wave keyword sets its own setting to a whole number; the phase is kept
// as a float but the keyword gives it whole percent, truncated like the rest.
TEST_F(Interpreter, WaveKeywordsSetTheirOwnSetting)
{
    run("WaveSource 120.9");
    run("WaveLength 14");
    run("WaveSpeed 30");
    run("WaveAmplitude 7");
    app.scene.waves.phase = 3.75f; // a phase stepped on by frames
    run("WavePhase 37.9");
    const WaveSettings& w = app.scene.waves;
    EXPECT_EQ(w.source, 120);
    EXPECT_EQ(w.length, 14);
    EXPECT_EQ(w.speed, 30);
    EXPECT_EQ(w.amplitude, 7);
    EXPECT_EQ(w.phase, 37.0f);
}

TEST_F(Interpreter, SeedsKeepAllThirtyTwoBits)
{
    struct Case {
        const char* line;
        std::uint32_t seed;
        const char* name;
    };
    for (const Case& c : {Case{"GenerateFractal 123456789", 123456789u, "Fractal ISLAND #123456789"},
                          Case{"GenerateFractal 4294967295", 0xFFFFFFFFu, nullptr},
                          Case{"GenerateFractal -1", 0xFFFFFFFFu, nullptr}, Case{"GenerateFractal 0", 0u, nullptr}}) {
        ASSERT_EQ(run(c.line), LineResult::Done) << c.line;
        EXPECT_EQ(app.scene.generation.seed, c.seed) << c.line;
        if (c.name != nullptr) {
            EXPECT_EQ(app.landscape.name, c.name);
        }
    }
    // -1 and 4294967295 are one seed, so they make one landscape.
    run("GenerateFractal -1");
    const std::int16_t a = app.landscape.elevation[100][37];
    const std::int32_t highA = app.landscape.highestElevation;
    run("GenerateFractal 4294967295");
    EXPECT_EQ(app.landscape.elevation[100][37], a);
    EXPECT_EQ(app.landscape.highestElevation, highA);
}

TEST_F(Interpreter, GenerateAndFractalizeRefreshTheDerivedState)
{
    Landscape& land = app.landscape;
    land.modified = false;
    land.mapStale = false;
    land.polygonSize = 4;
    ASSERT_EQ(run("GenerateFractal 77"), LineResult::Done);
    EXPECT_EQ(land.polygonSize, 1); // the scene reset after generation
    EXPECT_EQ(land.shadowValidAt, land.sizeX);
    EXPECT_EQ(land.terrainValidAt, land.sizeX);
    EXPECT_TRUE(land.modified);
    EXPECT_TRUE(land.mapStale);
    // The overview camera stands at the middle of the north edge.
    EXPECT_EQ(app.scene.camera.cameraX, 256 * 30 * 0.5f);
    EXPECT_EQ(app.scene.camera.cameraY, 0.0f);

    land.shadowValidAt = 1;
    land.modified = false;
    ASSERT_EQ(run("Fractalize"), LineResult::Done);
    EXPECT_EQ(land.shadowValidAt, land.sizeX);
    EXPECT_TRUE(land.modified);
    std::int32_t high = -32768;
    for (int r = 0; r <= land.sizeY - 2; ++r)
        for (int c = 0; c <= land.sizeX - 2; ++c) high = std::max<std::int32_t>(high, land.elevation[r][c]);
    EXPECT_EQ(land.highestElevation, high); // statistics recomputed
}

TEST_F(Interpreter, MarksFollowTheTable)
{
    Landscape& land = app.landscape;
    auto clear = [&] {
        land.shadowValidAt = land.terrainValidAt = land.cliffValidAt = 1;
        land.paletteStale = 0;
        land.modified = false;
        land.mapStale = false;
    };
    clear();
    run("TreeLine 100");
    EXPECT_EQ(land.terrainValidAt, land.sizeX);
    EXPECT_EQ(land.shadowValidAt, 1);
    clear();
    run("SunAzimuth 10");
    EXPECT_EQ(land.shadowValidAt, land.sizeX);
    EXPECT_EQ(land.terrainValidAt, 1);
    clear();
    run("NewPalette");
    EXPECT_EQ(land.paletteStale, 1);
    EXPECT_FALSE(land.modified);
    clear();
    run("Haze 3");
    EXPECT_EQ(land.shadowValidAt, 1);
    EXPECT_EQ(land.terrainValidAt, 1);
    EXPECT_EQ(land.paletteStale, 0);
    EXPECT_FALSE(land.mapStale);
}

// What each keyword documents that it invalidates happens, whether its row
// marks it or its operation invalidates what it changed (editing operations
// invalidate themselves, the same from a script or a panel; their rows mark
// nothing, so nothing is invalidated twice).
TEST_F(Interpreter, DocumentedInvalidationHappensFromItsOneHome)
{
    struct Case {
        const char* line;
        std::uint8_t documented; // the keyword's marks in the documentation
        bool rowMarks;           // true when the table row carries them
    };
    const Case cases[] = {
        {"NewPalette", kMarkP, true},
        {"GenerateFractal 5", kMarkS | kMarkC | kMarkL | kMarkM, false},
        {"Fractalize", kMarkS | kMarkL | kMarkM, false},
        {"Smooth", kMarkS | kMarkL, false},
        {"Stretch", kMarkS | kMarkL | kMarkM, false},
        {"Erode 2", kMarkS | kMarkL, false},
        {"Enlarge 3000 3000 0", kMarkS | kMarkC | kMarkL | kMarkM, false},
        {"VerticalScale 0.5", kMarkS | kMarkL | kMarkM, false},
        {"SeaLevel 10 0", kMarkS | kMarkC | kMarkL | kMarkM, false},
        {"MakeRiver 3000 3000", kMarkL, false},
        {"MakeLake 3000 3000 50", kMarkL, false},
        {"SetAltitude 300 300 50", kMarkS | kMarkC, true},
        {"SetColorSky 1 2 3", kMarkP, true},
        {"SetColorExposure 90", kMarkP, false},
        {"SetColorContrast 90", kMarkP, false},
        {"LandscapeSizeSmall", kMarkAll, true},
        {"EnlargeAll", kMarkP | kMarkL | kMarkM, false},
        {"Shrink", kMarkP | kMarkL | kMarkM, false},
        {"Rotate", kMarkP | kMarkL | kMarkM, false},
        {"SwapQuads", kMarkP | kMarkL | kMarkM, false},
        {"RemoveSteps", kMarkP | kMarkL | kMarkM, false},
    };
    for (const Case& c : cases) {
        App fresh;
        ScriptedFrontend quiet;
        ASSERT_EQ(resizeLandscape(fresh.landscape, fresh.random, kSmallGrid, kSmallGrid), 1);
        resetScene(fresh.landscape, fresh.scene);
        ASSERT_EQ(executeLine(fresh, quiet, "GenerateFractal 9"), LineResult::Done);
        Landscape& land = fresh.landscape;
        land.shadowValidAt = land.terrainValidAt = land.cliffValidAt = 1;
        land.paletteStale = 0;
        land.modified = false;
        land.mapStale = false;

        ASSERT_EQ(executeLine(fresh, quiet, c.line), LineResult::Done) << c.line;
        const std::uint8_t d = c.documented;
        if (d & kMarkS) {
            EXPECT_EQ(land.shadowValidAt, land.sizeX) << c.line;
        }
        if (d & kMarkC) {
            EXPECT_EQ(land.terrainValidAt, land.sizeX) << c.line;
        }
        if (d & kMarkC) {
            EXPECT_EQ(land.cliffValidAt, land.sizeX) << c.line;
        }
        if (d & kMarkP) {
            EXPECT_EQ(land.paletteStale, 1) << c.line;
        }
        if (d & kMarkL) {
            EXPECT_TRUE(land.modified) << c.line;
        }
        if (d & kMarkM) {
            EXPECT_TRUE(land.mapStale) << c.line;
        }
        const Keyword* row = findKeyword(std::string(c.line).substr(0, std::string(c.line).find(' ')));
        ASSERT_NE(row, nullptr) << c.line;
        EXPECT_EQ(row->marks != 0, c.rowMarks) << c.line;
    }
}

TEST_F(Interpreter, CloudKeywords)
{
    CloudSettings& c = app.scene.clouds;
    // Coverage and sharpness held to 0..100, the thresholds following:
    // base = trunc((100 - d) x 255 / 100), half = trunc((100 - h) / 2).
    struct Case {
        const char* line;
        int density, hardness, low, high;
    };
    const Case cases[] = {
        {"CloudDensity 100", 100, 50, -25, 25},
        {"CloudHardness 100", 100, 100, 0, 0},
        {"CloudDensity 150", 100, 100, 0, 0},
        {"CloudDensity 0", 0, 100, 255, 255},
        {"CloudDensity 40", 40, 100, 153, 153},
        {"CloudHardness 0", 40, 0, 103, 203},
        {"CloudHardness -5", 40, 0, 103, 203},
    };
    for (const Case& k : cases) {
        ASSERT_EQ(run(k.line), LineResult::Done);
        EXPECT_EQ(c.density, k.density) << k.line;
        EXPECT_EQ(c.hardness, k.hardness) << k.line;
        EXPECT_EQ(c.low, k.low) << k.line;
        EXPECT_EQ(c.high, k.high) << k.line;
    }

    // The pattern follows the seed: the same seed twice gives the same pattern.
    ASSERT_EQ(run("CloudNumber 12.9"), LineResult::Done);
    EXPECT_EQ(c.number, 12);
    const std::vector<std::uint8_t> twelve = c.pattern;
    ASSERT_EQ(run("CloudNumber 13"), LineResult::Done);
    EXPECT_NE(c.pattern, twelve);
    ASSERT_EQ(run("CloudNumber 12"), LineResult::Done);
    EXPECT_EQ(c.pattern, twelve);

    // Saved and loaded back unchanged; a missing file says so and keeps the pattern.
    const std::string file = (std::filesystem::temp_directory_path() / "kalvenor_interp_sky").string();
    ASSERT_EQ(run("CloudSave " + file), LineResult::Done);
    ASSERT_EQ(run("CloudRandom"), LineResult::Done);
    EXPECT_NE(c.pattern, twelve);
    ASSERT_EQ(run("CloudLoad " + file + ".CLD"), LineResult::Done);
    EXPECT_EQ(c.pattern, twelve);
    EXPECT_TRUE(ui.messages.empty());
    ASSERT_EQ(run("CloudLoad no_such_sky.cld"), LineResult::Done);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].rfind("Error opening file:", 0), 0u);
    EXPECT_EQ(c.pattern, twelve);
    std::filesystem::remove(file + ".CLD");

    ASSERT_EQ(run("CloudSize l"), LineResult::Done);
    EXPECT_EQ(c.sizeDivisor, 4);
    ASSERT_EQ(run("CloudSize Q"), LineResult::Done);
    EXPECT_EQ(c.sizeDivisor, 4);
    EXPECT_EQ(ui.messages.back(), "CloudSize takes S, M, L or X: Q");
}

TEST_F(Interpreter, SetColorWritesTheSchemeEntryBytes)
{
    auto& s = app.scene.colourScheme;
    app.landscape.paletteStale = 0;
    ASSERT_EQ(run("SetColorSnow2 10 20.9 300"), LineResult::Done);
    EXPECT_EQ(s[43 * 4 + 0], 0);
    EXPECT_EQ(s[43 * 4 + 1], 10);
    EXPECT_EQ(s[43 * 4 + 2], 20);
    EXPECT_EQ(s[43 * 4 + 3], 300 - 256); // truncated to a byte
    EXPECT_EQ(app.landscape.paletteStale, 1);

    run("SetColorOak 7 8 9");
    EXPECT_EQ(s[35 * 4 + 1], 7);
    EXPECT_EQ(s[35 * 4 + 3], 9);
    // Bark, houses, clouds and roads land on the entries the renderer reads.
    run("SetColorPineBark 1 2 3");
    EXPECT_EQ(s[67 * 4 + 2], 2);
    run("SetColorHouse1 31 32 33");
    EXPECT_EQ(s[68 * 4 + 1], 31);
    run("SetColorUnderHouse4 41 42 43");
    EXPECT_EQ(s[75 * 4 + 3], 43);
    run("SetColorCloud 51 52 53");
    EXPECT_EQ(s[kCloudColourEntry * 4 + 1], 51);
    run("SetColorRoad1 4 5 6");
    EXPECT_EQ(s[ground::kRoad1 * 4 + 1], 4);
    run("SetColorRoad4 7 8 9");
    EXPECT_EQ(s[ground::kRoad4 * 4 + 1], 7);
    run("SetColorSkyHaze 11 12");
    EXPECT_EQ(s[25 * 4 + 1], 11);
    EXPECT_EQ(s[25 * 4 + 3], 0); // the missing blue reads as 0

    // The ground under trees shares its colour with the leaves of that class.
    run("SetColorUnderTree3 21 22 23");
    for (const int entry : {58, 36}) {
        EXPECT_EQ(s[entry * 4 + 1], 21) << entry;
        EXPECT_EQ(s[entry * 4 + 2], 22) << entry;
        EXPECT_EQ(s[entry * 4 + 3], 23) << entry;
    }
    EXPECT_EQ(s[35 * 4 + 1], 7); // the neighbouring leaf entry is untouched
}

TEST_F(Interpreter, CameraKeywordsKeepTheOtherCoordinates)
{
    CameraSettings& camera = app.scene.camera;
    run("CameraXYZ 100 200 300");
    run("TargetXYZ 100 1200 300");
    EXPECT_EQ(camera.heading, 0.0f); // looking north along +y
    run("cameraz 999.5");
    EXPECT_EQ(camera.cameraX, 100.0f);
    EXPECT_EQ(camera.cameraY, 200.0f);
    EXPECT_EQ(camera.cameraZ, 999.5f);
    run("TargetX 1100");
    EXPECT_EQ(camera.targetY, 1200.0f);
    EXPECT_EQ(camera.targetZ, 300.0f);
    EXPECT_NE(camera.heading, 0.0f); // re-aimed

    camera.lockY = 1;
    run("CameraXYZ 1 2 3");
    EXPECT_EQ(camera.cameraX, 1.0f);
    EXPECT_EQ(camera.cameraY, 200.0f);

    run("Bank 400");
    run("Heading -720.5");
    run("Pitch 95");
    EXPECT_EQ(camera.bank, 400.0f);
    EXPECT_EQ(camera.heading, -720.5f);
    EXPECT_EQ(camera.pitch, 95.0f);

    run("FocalLength 40.7");
    EXPECT_EQ(camera.focalLength, 40);
    EXPECT_EQ(camera.focalFactor, 40.7f * 0.0625f);
    run("LensPort");
    run("LensRight");
    EXPECT_EQ(camera.lensDirection, kLensPort);
    EXPECT_EQ(camera.stereoLens, kLensRight);
}

TEST_F(Interpreter, SwitchesAndRenderSettings)
{
    const SceneSettings& s = app.scene;
    for (const char* line : {"SkyOff", "HorizonOff", "BlendOff", "GShadeOn", "BackFaceCullingOff", "ShadowsOff",
                             "ExaggerationOn", "DisableCliffs", "LockPalette", "IslandModeOff", "FeatureSize8",
                             "PolygonSize4", "BeepOn", "AutoSaveOff", "TreeOn", "CloudOn", "CloudTextureOn",
                             "BackgroundOn", "ForegroundOn", "DisableScreen", "LensLeft"})
        ASSERT_EQ(run(line), LineResult::Done) << line;
    EXPECT_EQ(s.sky.sky, 0);
    EXPECT_EQ(s.sky.horizon, 0);
    EXPECT_EQ(s.render.blend, 0);
    EXPECT_EQ(s.render.gouraud, 1);
    EXPECT_EQ(s.render.backFaceCulling, 0);
    EXPECT_EQ(s.lighting.shadows, 0);
    EXPECT_EQ(s.lighting.exaggeration, 1);
    EXPECT_EQ(s.colouring.cliffs, 0);
    EXPECT_EQ(s.render.paletteLocked, 1);
    EXPECT_EQ(s.generation.islandMode, 0);
    EXPECT_EQ(s.generation.featureSize, 8);
    EXPECT_EQ(app.landscape.polygonSize, 4);
    EXPECT_EQ(s.script.beep, 1);
    EXPECT_EQ(s.script.saveFrames, 0);
    EXPECT_EQ(s.trees.trees, 1);
    EXPECT_EQ(s.clouds.clouds, 1);
    EXPECT_EQ(s.clouds.texture, 1);
    EXPECT_EQ(s.render.background, 1);
    EXPECT_EQ(s.render.displayMode, 0);

    run("UnLockPalette");
    EXPECT_EQ(s.render.paletteLocked, 0);
    run("PixelDitherOrdered 33");
    EXPECT_EQ(s.render.pixelDither, 33);
    EXPECT_EQ(s.render.pixelDitherKind, 1);
    run("PixelDither 12");
    EXPECT_EQ(s.render.pixelDither, 12);
    EXPECT_EQ(s.render.pixelDitherKind, 1);

    run("ShadeTextureMedium");
    EXPECT_EQ(s.texture.kind, 2);
    EXPECT_EQ(s.texture.level, 2);
    EXPECT_EQ(s.texture.shadeLevel, 2);
    run("AltitudeTextureOff");
    EXPECT_EQ(s.texture.kind, 0);
    EXPECT_EQ(s.texture.level, 0);

    run("GrModeVesa800x600");
    EXPECT_EQ(s.render.imageSizeMode, 4);
    EXPECT_EQ(s.render.imageWidth, 800);
    EXPECT_EQ(s.render.imageHeight, 600);
    run("ImageSize 100 50");
    EXPECT_EQ(s.render.imageWidth, 100);
    EXPECT_EQ(s.render.imageHeight, 50);
    run("ImageSize 10 50"); // refused: below 16 pixels
    EXPECT_EQ(s.render.imageWidth, 100);

    run("RedrawRate 3");
    EXPECT_EQ(s.render.displayMode, 2);
    EXPECT_EQ(s.render.redrawSeconds, 3);
    run("RedrawRate 0");
    EXPECT_EQ(s.render.displayMode, 1);
    EXPECT_EQ(s.render.redrawSeconds, 3);

    run("BackgroundFile sky.tga");
    EXPECT_EQ(s.render.backgroundFile, "sky.tga");
    EXPECT_EQ(s.render.background, 1);
    run("BackgroundFile");
    EXPECT_EQ(s.render.backgroundFile, "");
    EXPECT_EQ(s.render.background, 0);
}

TEST_F(Interpreter, TreeKindsSizesAndDensities)
{
    TreeSettings& t = app.scene.trees;
    run("Tree2OakOn");
    run("Tree2PineOn");
    run("Tree2OakOff");
    EXPECT_EQ(t.kindMask[1], kTreePine);
    run("TreeCactusAll");
    for (const auto mask : t.kindMask) EXPECT_EQ(mask, kTreeCactus);
    run("Tree3Off");
    EXPECT_EQ(t.kindMask[2], 0);
    run("Tree4PalmOn");
    EXPECT_EQ(t.kindMask[3], kTreeCactus | kTreePalm);
    run("TreeNone");
    for (const auto mask : t.kindMask) EXPECT_EQ(mask, 0);

    // Mean size 70 from 35, 25, 20, 60: m = (140 + 2) / 4 = 35; each (x * 70 + 17) / 35.
    run("MeanTreeSize 70");
    EXPECT_EQ(t.palmSize, 70);
    EXPECT_EQ(t.oakSize, 50);
    EXPECT_EQ(t.cactusSize, 40);
    EXPECT_EQ(t.pineSize, 120);
    run("TreeOakSize 26.6");
    EXPECT_EQ(t.oakSize, 26);

    // Densities 10, 30, 50, 90: m = 182 / 4 = 45; each (x * 90 + 22) / 45.
    run("Tree1Density 10");
    run("Tree2Density 30");
    run("Tree4Density 90");
    app.landscape.terrainValidAt = 1;
    run("TreeDensity 90");
    EXPECT_EQ(t.density, (std::array<std::int32_t, 4>{20, 60, 100, 180}));
    EXPECT_EQ(app.landscape.terrainValidAt, app.landscape.sizeX);

    run("Tree2D");
    run("TreeDetailUltra");
    EXPECT_EQ(t.detail, 2);
    EXPECT_EQ(t.solid, 1);
    run("TreeDetailLow");
    EXPECT_EQ(t.detail, -1);
    run("TreeLeavesOff");
    EXPECT_EQ(t.leaves, (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
    run("TreeTextureOn");
    EXPECT_EQ(t.texture, 2);
}

TEST_F(Interpreter, SetAltitudeSetsOneSamplePoint)
{
    Landscape& land = app.landscape;
    land.terrainValidAt = land.shadowValidAt = 1;
    // x 95 -> 95 / 30 = 3.17 -> column 3; y 61.9 -> 61 -> 61 / 30 = 2.03 -> row 2.
    ASSERT_EQ(run("SetAltitude 95 61.9 500.7"), LineResult::Done);
    EXPECT_EQ(land.elevation[2][3], 500);
    EXPECT_EQ(land.terrainValidAt, land.sizeX);
    EXPECT_EQ(land.shadowValidAt, land.sizeX);

    run("SetAltitude 7680 7680 77"); // column and row 256: the last sample point
    EXPECT_EQ(land.elevation[256][256], 77);
    run("SetAltitude -29 0 -40000"); // -29 / 30 truncates to column 0; the elevation saturates
    EXPECT_EQ(land.elevation[0][0], -32768);

    land.terrainValidAt = 1;
    const std::int16_t margin = land.elevation[0][257];
    run("SetAltitude 7710 0 5"); // column 257 lies beyond the last sample point
    run("SetAltitude -30 0 5");  // column -1
    EXPECT_EQ(land.elevation[0][257], margin);
    EXPECT_EQ(land.terrainValidAt, 1);
}

TEST_F(Interpreter, LandscapeSizePresetsResizeAndResetTheScene)
{
    Landscape& land = app.landscape;
    setLandscapeName(land, "Something");
    ASSERT_EQ(run("LandscapeSizeLarge"), LineResult::Done);
    EXPECT_EQ(land.gridWidth, kLargeGrid);
    EXPECT_EQ(land.sizeMode, SizeMode::Fixed);
    EXPECT_EQ(land.name, "Flatland");
    EXPECT_EQ(app.scene.camera.cameraX, 512 * 30 * 0.5f); // overview camera of the new size
    EXPECT_EQ(app.scene.camera.cameraY, 0.0f);
    EXPECT_TRUE(land.modified);

    setLandscapeName(land, "Kept");
    app.scene.camera.cameraX = 5.0f;
    ASSERT_EQ(run("LandscapeSizeAuto"), LineResult::Done);
    EXPECT_EQ(land.gridWidth, kLargeGrid);
    EXPECT_EQ(land.sizeMode, SizeMode::Automatic);
    EXPECT_EQ(land.name, "Flatland");
    EXPECT_EQ(app.scene.camera.cameraX, 5.0f); // nothing rebuilt
}

TEST_F(Interpreter, LandscapeSizeOutOfMemoryAsksAndReverts)
{
    Landscape& land = app.landscape;
    land.mapBudgetBytes = 4u * kSmallGrid * kSmallGrid * 2u; // room for 258 x 258 only
    EXPECT_EQ(run("LandscapeSizeHuge"), LineResult::Done);
    EXPECT_EQ(land.gridWidth, kSmallGrid);
    EXPECT_EQ(land.sizeMode, SizeMode::Automatic);
    EXPECT_EQ(land.elevation[128][128], 240); // a fresh default landscape

    ui.askAnswers = {false};
    land.modified = false;
    EXPECT_EQ(run("LandscapeSizeMega"), LineResult::Stop);
    EXPECT_EQ(land.gridWidth, kSmallGrid);
    EXPECT_TRUE(land.modified);
    EXPECT_EQ(ui.questions, (std::vector<std::string>{"Out of memory: LandscapeSizeHuge [Continue|Cancel]",
                                                      "Out of memory: LandscapeSizeMega [Continue|Cancel]"}));
}

TEST_F(Interpreter, SpawnReportsFailuresAndRedrawsTheMap)
{
    app.landscape.mapStale = false;
    EXPECT_EQ(run("Spawn true"), LineResult::Done);
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_TRUE(app.landscape.mapStale);

    EXPECT_EQ(run("Spawn false"), LineResult::Done);
    ui.askAnswers = {false};
    EXPECT_EQ(run("Spawn   kalvenor-no-such-program --flag"), LineResult::Stop);
    EXPECT_EQ(ui.questions,
              (std::vector<std::string>{"Error code 1 from \"Spawn false\" [Continue|Cancel]",
                                        "Unable to Spawn: Spawn   kalvenor-no-such-program --flag [Continue|Cancel]"}));

    // The rest of the line reaches the shell as written.
    const std::string marker = (dir / "made").string();
    EXPECT_EQ(run("Spawn touch " + marker), LineResult::Done);
    EXPECT_TRUE(std::filesystem::exists(marker));
}

TEST_F(Interpreter, DefaultDirectoriesGetASeparator)
{
    DefaultDirs& d = app.dirs;
    run("DefaultDirDEM C:\\Kalve\\DEM");
    EXPECT_EQ(d.landscape, "C:/Kalve/DEM/");
    run("DefaultDirScheme  schemes/  ");
    EXPECT_EQ(d.scheme, "schemes/");
    run("DefaultDirTarga24 tga");
    EXPECT_EQ(d.targa, "tga/");
    run("DefaultDirJPG my pictures");
    EXPECT_EQ(d.jpeg, "my pictures/");
    run("DefaultDirTexture tex");
    EXPECT_EQ(d.texture, (std::array<std::string, 5>{"tex/", "tex/", "tex/", "tex/", "tex/"}));
    run("DefaultDirBatch b");
    EXPECT_EQ(d.batch, "b/");
    run("DefaultDirIQ");
    EXPECT_EQ(d.imageQuality, "");
    run("DefaultDirAnim anim/");
    EXPECT_EQ(d.animation, "anim/");
}

TEST_F(Interpreter, ExportAsciiZWritesOrReportsTheFile)
{
    const std::string path = (dir / "sub" / "land.txt").string();
    ASSERT_EQ(run("ExportAsciiZ " + path + " 64"), LineResult::Done);
    EXPECT_TRUE(ui.messages.empty());
    std::ifstream in(path);
    std::string first;
    ASSERT_TRUE(std::getline(in, first));
    EXPECT_FALSE(first.empty());

    write("plain", "x");
    const std::string blocked = (dir / "plain" / "land.txt").string();
    EXPECT_EQ(run("ExportAsciiZ " + blocked + " 1"), LineResult::Done);
    EXPECT_EQ(ui.messages, (std::vector<std::string>{"Error opening file: \"" + blocked + "\""}));
}

TEST(FrameLine, DetectionLooksPastSignsAndBlanks)
{
    struct Case {
        const char* line;
        bool frame;
    };
    for (const Case& c : {Case{"-5, 1, 2, 3, 4, 5", true}, Case{"  \t7, 0, 0, 0, 0, 0", true}, Case{"+-+ 3", true},
                          Case{"+.5, 1, 2, 3, 4, 5", false}, Case{".5, 1, 2, 3, 4, 5", false}, Case{"-", false},
                          Case{"", false}, Case{"Rem 5", false}, Case{"CameraX 5", false}})
        EXPECT_EQ(isFrameLine(c.line), c.frame) << c.line;
}

TEST(FrameLine, SixNumbersEachFollowedByAComma)
{
    struct Case {
        const char* line;
        int count;
    };
    for (const Case& c : {Case{"1, 2, 3, 4, 5, 6", 6}, Case{"1,2,3,4,5,6 and more", 6}, Case{"1,  2,\t3, 4, 5, 6,", 6},
                          Case{"1 , 2, 3, 4, 5, 6", 1}, Case{"1, 2, 3", 3}, Case{"1, 2, 3, 4, 5,", 5},
                          Case{"1, 2, x, 4, 5, 6", 2}, Case{"1, 2, 3, 4, 5, nan", 5}}) {
        std::array<float, 6> values{};
        EXPECT_EQ(readFrameLine(c.line, values), c.count) << c.line;
    }

    std::array<float, 6> v{};
    ASSERT_EQ(readFrameLine("-1.5,2e2, 3, -4, 5.25, 0.1\r\n", v), 6);
    EXPECT_EQ(v, (std::array<float, 6>{-1.5f, 200.0f, 3.0f, -4.0f, 5.25f, 0.1f}));
}

// A line refused for a value beyond a setting's range changes no setting at
// all: the camera re-aimed at a refused target goes back with the target (the
// angles were left pointing at the refused position before).
TEST_F(Interpreter, ARefusedLineLeavesEverySettingAsItWas)
{
    ASSERT_EQ(run("CameraX 1234.5"), LineResult::Done);
    const CameraSettings before = app.scene.camera;
    ASSERT_NE(before.heading, 0.0f);
    for (const char* line : {"TargetY 999999999", "CameraXYZ 1 2 1e12", "TargetXYZ -1e9 0 0"}) {
        ScriptPlace place;
        EXPECT_EQ(executeLine(app, ui, line, place), LineResult::Done) << line;
        EXPECT_EQ(place.failures, 1) << line;
        EXPECT_EQ(app.scene.camera, before) << line;
    }
}

} // namespace
} // namespace kalvenor
