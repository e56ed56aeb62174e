// The keywords that store one setting as it is. Each case names the setting in
// its own words and the value the documentation gives the keyword, so a row of
// the keyword table that points at the wrong field or stores the wrong value
// fails here; every other setting must be left exactly as it was.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>

#include "script/keyword_table.h"
#include "script_fixture.h"

namespace kalvenor {
namespace {

using Field = std::int32_t& (*)(SceneSettings&);

struct SettingCase {
    const char* line;
    Field field;
    std::int32_t expected;
};

std::int32_t& lens(SceneSettings& s) { return s.camera.lensDirection; }
std::int32_t& eye(SceneSettings& s) { return s.camera.stereoLens; }
std::int32_t& haze(SceneSettings& s) { return s.sky.haze; }
std::int32_t& sky(SceneSettings& s) { return s.sky.sky; }
std::int32_t& horizon(SceneSettings& s) { return s.sky.horizon; }
std::int32_t& blend(SceneSettings& s) { return s.render.blend; }
std::int32_t& gouraud(SceneSettings& s) { return s.render.gouraud; }
std::int32_t& culling(SceneSettings& s) { return s.render.backFaceCulling; }
std::int32_t& pixelDither(SceneSettings& s) { return s.render.pixelDither; }
std::int32_t& display(SceneSettings& s) { return s.render.displayMode; }
std::int32_t& background(SceneSettings& s) { return s.render.background; }
std::int32_t& foreground(SceneSettings& s) { return s.render.foreground; }
std::int32_t& paletteLock(SceneSettings& s) { return s.render.paletteLocked; }
std::int32_t& roughness(SceneSettings& s) { return s.generation.roughness; }
std::int32_t& featureSize(SceneSettings& s) { return s.generation.featureSize; }
std::int32_t& island(SceneSettings& s) { return s.generation.islandMode; }
std::int32_t& trees(SceneSettings& s) { return s.trees.trees; }
std::int32_t& solidTrees(SceneSettings& s) { return s.trees.solid; }
std::int32_t& treeTexture(SceneSettings& s) { return s.trees.texture; }
std::int32_t& clouds(SceneSettings& s) { return s.clouds.clouds; }
std::int32_t& cloudAltitude(SceneSettings& s) { return s.clouds.altitude; }
std::int32_t& beep(SceneSettings& s) { return s.script.beep; }
std::int32_t& saveFrames(SceneSettings& s) { return s.script.saveFrames; }
std::int32_t& temporary(SceneSettings& s) { return s.script.temporary; }
std::int32_t& antialiasType(SceneSettings& s) { return s.render.antialiasType; }
std::int32_t& flare(SceneSettings& s) { return s.render.flare; }
std::int32_t& stars(SceneSettings& s) { return s.sky.sunMoon.starsAndMoon; }
std::int32_t& sunSize(SceneSettings& s) { return s.sky.sunMoon.sunSize; }
std::int32_t& moonSize(SceneSettings& s) { return s.sky.sunMoon.moonSize; }
std::int32_t& distanceLimit(SceneSettings& s) { return s.render.distanceLimit; }
std::int32_t& jpegQuality(SceneSettings& s) { return s.render.jpegQuality; }
std::int32_t& pngLevel(SceneSettings& s) { return s.render.pngLevel; }
std::int32_t& targaCompress(SceneSettings& s) { return s.render.targaCompress; }
std::int32_t& lockX(SceneSettings& s) { return s.camera.lockX; }
std::int32_t& lockY(SceneSettings& s) { return s.camera.lockY; }
std::int32_t& lockZ(SceneSettings& s) { return s.camera.lockZ; }
std::int32_t& stereoShift(SceneSettings& s) { return s.camera.stereoShift; }
std::int32_t& waves(SceneSettings& s) { return s.waves.enabled; }
std::int32_t& deformation(SceneSettings& s) { return s.texture.horizontalDeformation; }
std::int32_t& detailLarge(SceneSettings& s) { return s.texture.detailLarge; }
std::int32_t& detailSmall(SceneSettings& s) { return s.texture.detailSmall; }
std::int32_t& lining(SceneSettings& s) { return s.clouds.lining; }

const SettingCase kCases[] = {
    {"LensForward", lens, 1228},
    {"LensPort", lens, 1227},
    {"LensStarboard", lens, 1229},
    {"LensLeft", eye, 1224},
    {"LensCenter", eye, 1225},
    {"LensRight", eye, 1226},
    {"Haze 37.9", haze, 37},
    {"SkyOn", sky, 1},
    {"SkyOff", sky, 0},
    {"HorizonOn", horizon, 1},
    {"HorizonOff", horizon, 0},
    {"BlendOn", blend, 1},
    {"BlendOff", blend, 0},
    {"GShadeOn", gouraud, 1},
    {"GShadeOff", gouraud, 0},
    {"BackFaceCullingOn", culling, 1},
    {"BackFaceCullingOff", culling, 0},
    {"PixelDither -12.5", pixelDither, -12},
    {"EnableScreen", display, 1},
    {"DisableScreen", display, 0},
    {"BackgroundOn", background, 1},
    {"BackgroundOff", background, 0},
    {"ForegroundOn", foreground, 1},
    {"ForegroundOff", foreground, 0},
    {"FractalDimension 61", roughness, 61},
    {"FractalRoughness 3e10", roughness, 2147483647},
    {"FractalDivisor1", featureSize, 1},
    {"FeatureSize1", featureSize, 1},
    {"FractalDivisor2", featureSize, 2},
    {"FeatureSize2", featureSize, 2},
    {"FractalDivisor4", featureSize, 4},
    {"FeatureSize4", featureSize, 4},
    {"FractalDivisor8", featureSize, 8},
    {"FeatureSize8", featureSize, 8},
    {"IslandModeOn", island, 1},
    {"IslandModeOff", island, 0},
    {"LockPalette", paletteLock, 1},
    {"LockUnPalette", paletteLock, 0},
    {"UnLockPalette", paletteLock, 0},
    {"TreeOn", trees, 1},
    {"TreeOff", trees, 0},
    {"Tree2D", solidTrees, 0},
    {"Tree3D", solidTrees, 1},
    {"TreeTextureOn", treeTexture, 2}, // the stored value is 2
    {"TreeTextureOff", treeTexture, 0},
    {"CloudOn", clouds, 1},
    {"CloudOff", clouds, 0},
    {"CloudAltitude 2500", cloudAltitude, 2500},
    {"BeepOn", beep, 1},
    {"BeepOff", beep, 0},
    {"AutoSaveOn", saveFrames, 1},
    {"AutoSaveOff", saveFrames, 0},
    {"Temporary 55", temporary, 55},
    // Our extensions.
    {"AntialiasType 2", antialiasType, 2},
    {"FlareOn", flare, 1},
    {"FlareOff", flare, 0},
    {"StarsOn", stars, 1},
    {"StarsOff", stars, 0},
    {"SunSize 25.9", sunSize, 25},
    {"MoonSize 0", moonSize, 0},
    {"DistanceLimit 3000", distanceLimit, 3000},
    {"JpegQuality 55", jpegQuality, 55},
    {"PngCompression 7", pngLevel, 7},
    {"TargaCompressOn", targaCompress, 1},
    {"TargaCompressOff", targaCompress, 0},
    {"LensAstern", lens, 1230},
    {"LockCameraX", lockX, 1},
    {"UnLockCameraX", lockX, 0},
    {"LockCameraY", lockY, 1},
    {"UnLockCameraY", lockY, 0},
    {"LockCameraZ", lockZ, 1},
    {"UnLockCameraZ", lockZ, 0},
    {"StereoShift -40", stereoShift, -40},
    {"WavesOn", waves, 1},
    {"WavesOff", waves, 0},
    {"HorizontalDeformationOn", deformation, 1},
    {"HorizontalDeformationOff", deformation, 0},
    {"SurfaceRoughnessLarge 250", detailLarge, 250},
    {"SurfaceRoughnessSmall 0", detailSmall, 0},
    {"CloudLining 77", lining, 77},
};

using SettingKeywords = ScriptTest;

TEST_F(SettingKeywords, EachStoresItsValueInItsFieldAndNothingElse)
{
    for (const SettingCase& c : kCases) {
        // Start from a value the keyword does not store, so that a store is seen.
        c.field(app.scene) = c.expected == 7 ? 8 : 7;
        SceneSettings before = app.scene;
        const int paletteStale = app.landscape.paletteStale;
        const bool mapStale = app.landscape.mapStale;
        const bool modified = app.landscape.modified;
        ASSERT_EQ(run(c.line), LineResult::Done) << c.line;
        SceneSettings after = app.scene;
        EXPECT_EQ(c.field(after), c.expected) << c.line;
        c.field(after) = c.field(before);
        EXPECT_TRUE(after == before) << c.line << " changed another setting";
        EXPECT_EQ(app.landscape.paletteStale, paletteStale) << c.line; // setting rows invalidate nothing
        EXPECT_EQ(app.landscape.mapStale, mapStale) << c.line;
        EXPECT_EQ(app.landscape.modified, modified) << c.line;
    }
    EXPECT_TRUE(ui.questions.empty());
}

// The display presets select their mode and its image size.
TEST_F(SettingKeywords, DisplayPresetsSelectTheirModeAndSize)
{
    struct Case {
        const char* line;
        int mode, width, height;
    };
    for (const Case& c : {Case{"GrModeVga320x200", 1, 320, 200}, Case{"GrModeVesa640x400", 2, 640, 400},
                          Case{"GrModeVesa640x480", 3, 640, 480}, Case{"GrModeVesa800x600", 4, 800, 600},
                          Case{"GrModeVesa1024x768", 5, 1024, 768}, Case{"GrModeVesa1280x1024", 6, 1280, 1024}}) {
        ASSERT_EQ(run(c.line), LineResult::Done) << c.line;
        const RenderSettings& render = app.scene.render;
        EXPECT_EQ(render.imageSizeMode, c.mode) << c.line;
        EXPECT_EQ(render.imageWidth, c.width) << c.line;
        EXPECT_EQ(render.imageHeight, c.height) << c.line;
    }
}

// Every setting row of the table has a case above, so a new one cannot go untested.
TEST(SettingKeywordRows, EveryRowHasACase)
{
    std::set<std::string> covered;
    for (const SettingCase& c : kCases) {
        const std::string line = c.line;
        covered.insert(line.substr(0, line.find(' ')));
    }
    for (const Keyword& k : keywordTable())
        if (k.field != nullptr) {
            EXPECT_TRUE(covered.count(std::string(k.name))) << k.name << " has no case";
        }
}

} // namespace
} // namespace kalvenor
