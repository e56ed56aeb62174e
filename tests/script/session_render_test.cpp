// A session holds everything a render reads: saved after a script set it up,
// and loaded into a fresh program as the command line loads it, it renders
// the same picture byte for byte.
#include <gtest/gtest.h>

#include <array>
#include <utility>

#include <filesystem>
#include <fstream>
#include <utility>
#include <string>
#include <vector>

#include "app/render_driver.h"
#include "script_fixture.h"
#include "shell/startup.h"
#include "support/temp_dir.h"

namespace kalvenor {
namespace {

struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint32_t> rgb;
    std::vector<std::uint8_t> indexed;
};

Picture pictureOf(App& app)
{
    Picture p{app.geometry.width, app.geometry.height, {}, {}};
    for (int r = 0; r < p.height; ++r)
        for (int c = 0; c < p.width; ++c) {
            p.rgb.push_back(app.images.vidmem24[r][c]);
            p.indexed.push_back(app.images.vidmem8[r][c]);
        }
    return p;
}

using SessionRender = ScriptTest;

TEST_F(SessionRender, ASessionLoadedInAFreshProgramRendersTheSamePicture)
{
    const std::string session = (dir / "scene.k4s").string();
    const std::vector<std::string> setup = {
        "GenerateFractal 77", "SeaLevel 15 0",        "ImageSize 160 120",   "Haze 40",
        "SetColorSky 20 40 200", "SunAzimuth 130",    "SunDeclination 25",  "ShadowsOn",
        "GShadeOn",           "PixelDitherOrdered 30", "TreeOn",             "TreeDensity 150",
        "CloudOn",            "CloudNumber 4",        "CloudAltitude 900",  "FieldOfView 70",
        "CameraXYZ 300 3900 1400", "TargetXYZ 5000 3900 200", "SaveSession " + session};
    App first; // both programs start as the program does
    ScriptedFrontend firstUi;
    initialiseApp(first, firstUi);
    for (const std::string& line : setup) ASSERT_EQ(executeLine(first, firstUi, line), LineResult::Done) << line;
    ASSERT_EQ(renderImage(first, firstUi), Outcome::Done);
    const Picture original = pictureOf(first);
    ASSERT_EQ(original.width, 160);

    App fresh;
    ScriptedFrontend freshUi;
    initialiseApp(fresh, freshUi);
    // As `--landscape FILE` loads it: the maps and the palette it carries are used as they are.
    ASSERT_EQ(loadStartupLandscape(fresh, freshUi, session, dir.string()), Loaded::WithSettings);
    ASSERT_EQ(renderImage(fresh, freshUi), Outcome::Done);
    const Picture again = pictureOf(fresh);
    EXPECT_EQ(again.width, original.width);  // the image size came with the session
    EXPECT_EQ(again.height, original.height);
    EXPECT_TRUE(again.rgb == original.rgb);
    EXPECT_TRUE(again.indexed == original.indexed); // the palette was predicted before the save
}

// The settings the panels reach, as our keywords: each changes the picture,
// and the picture survives a session (PaletteColours has no word in the
// session header, so it is not carried).
TEST(SettingExtensions, EachChangesThePictureAndSurvivesASession)
{
    testing::TempDir dir("extensions");
    // Ordered dither: the random dither goes on from whatever drew from the stream before.
    const std::vector<std::string> scene = {"LandscapeSizeSmall", "GenerateFractal 12", "ImageSize 96 72",
                                            "SunAzimuth 0", "SunDeclination 6", "CameraXYZ 3800 200 900",
                                            "TargetXYZ 3800 7000 600", "PixelDitherOrdered 40"};
    const auto render = [&](const std::vector<std::string>& extra, const std::string& session) {
        App app;
        ScriptedFrontend ui;
        initialiseApp(app, ui);
        for (const std::string& line : scene) EXPECT_EQ(executeLine(app, ui, line), LineResult::Done) << line;
        for (const std::string& line : extra) EXPECT_EQ(executeLine(app, ui, line), LineResult::Done) << line;
        EXPECT_TRUE(ui.reports.empty()) << extra.front() << ": " << (ui.reports.empty() ? "" : ui.reports[0]);
        if (!session.empty()) {
            EXPECT_EQ(executeLine(app, ui, "SaveSession " + session), LineResult::Done);
        }
        EXPECT_EQ(renderImage(app, ui), Outcome::Done);
        return pictureOf(app);
    };
    const Picture plain = render({"Rem the defaults"}, "");
    struct Case {
        std::vector<std::string> lines;
        bool inSession;
    };
    const Case cases[] = {
        {{"AntialiasOff"}, true},
        {{"AntialiasType 2"}, true},
        {{"FlareOff"}, true},
        {{"PhongOff"}, true},
        {{"AutoExposureOff"}, true},
        {{"StarsOn"}, true},
        {{"SunSize 40"}, true},
        {{"DistanceLimit 2000"}, true},
        {{"ValleyOff"}, true},
        {{"ValleyWidth 900"}, true},
        {{"CliffsStratified", "CliffThreshold 20"}, true},
        {{"CliffsStratified", "CliffThreshold 20", "StrataThickness 80"}, true},
        {{"SunPosition 0 1 1"}, true}, // whole degrees: sessions store the sun's angles rounded
        {{"StarsOn", "MoonSize 200", "MoonPosition 0 1 0.08"}, true},
        {{"BoundingBox 1500 1500 6000 6000"}, true},
        {{"PaletteColours 8"}, false},
    };
    for (const Case& c : cases) {
        const std::string session = (dir / "s.k4s");
        const Picture with = render(c.lines, session);
        EXPECT_FALSE(with.rgb == plain.rgb && with.indexed == plain.indexed) << c.lines.back() << " changed nothing";
        if (!c.inSession) continue;
        App fresh;
        ScriptedFrontend freshUi;
        initialiseApp(fresh, freshUi);
        ASSERT_EQ(loadStartupLandscape(fresh, freshUi, session, dir.path.string()), Loaded::WithSettings);
        ASSERT_EQ(renderImage(fresh, freshUi), Outcome::Done);
        const Picture loaded = pictureOf(fresh);
        EXPECT_TRUE(loaded.rgb == with.rgb && loaded.indexed == with.indexed) << c.lines.back() << " was lost";
    }
}

// The panels' settings without a session word: each changes the picture as
// its field says, and at its start value the picture is the one without it.
TEST(SettingExtensions, PanelSettingsChangeThePicture)
{
    const std::vector<std::string> scene = {"LandscapeSizeSmall", "GenerateFractal 12", "ImageSize 96 72",
                                            "SunAzimuth 0", "SunDeclination 30", "CameraXYZ 3800 200 900",
                                            "TargetXYZ 3800 7000 600", "PixelDitherOrdered 40",
                                            "AltitudeTextureHigh", "TreeOn", "Tree3D", "TreeDensity 250",
                                            "TreeSize 400"};
    const auto render = [&](const std::vector<std::string>& extra) {
        App app;
        ScriptedFrontend ui;
        initialiseApp(app, ui);
        for (const std::string& line : scene) EXPECT_EQ(executeLine(app, ui, line), LineResult::Done) << line;
        for (const std::string& line : extra) EXPECT_EQ(executeLine(app, ui, line), LineResult::Done) << line;
        EXPECT_TRUE(ui.reports.empty()) << (ui.reports.empty() ? "" : ui.reports[0]);
        EXPECT_EQ(renderImage(app, ui), Outcome::Done);
        return pictureOf(app).rgb;
    };
    const auto plain = render({});
    EXPECT_TRUE(render({"SurfaceRoughnessLarge 100", "SurfaceRoughnessSmall 100"}) == plain);
    for (const auto& lines : std::vector<std::vector<std::string>>{{"SurfaceRoughnessLarge 0"},
                                                                   {"SurfaceRoughnessSmall 400"},
                                                                   {"BranchBending 0"},
                                                                   {"HorizontalDeformationOn"},
                                                                   {"LensAstern"},
                                                                   {"SampleSpacing 20"}}) {
        EXPECT_FALSE(render(lines) == plain) << lines.back() << " changed nothing";
    }
    // The right eye: the separation moves the camera, the shift the image.
    const auto right = render({"LensRight"});
    EXPECT_FALSE(right == plain);
    EXPECT_FALSE(render({"LensRight", "CameraSeparation 40"}) == right);
    EXPECT_FALSE(render({"LensRight", "StereoShift 8"}) == right);
}

// Float words that are not numbers (or are infinite) name no setting: the
// setting keeps its value and the picture renders (a NaN camera crashed the walk).
TEST_F(SessionRender, WordsThatAreNotNumbersAreIgnored)
{
    const std::string session = (dir / "nan.k4s").string();
    ASSERT_EQ(run("ImageSize 64 48"), LineResult::Done);
    ASSERT_EQ(run("SaveSession " + session), LineResult::Done);
    std::fstream file(session, std::ios::in | std::ios::out | std::ios::binary);
    const char nan[4] = {0x00, 0x00, static_cast<char>(0xC0), 0x7F};
    const char infinity[4] = {0x00, 0x00, static_cast<char>(0x80), 0x7F};
    for (const auto& [offset, bits] : {std::pair{236, nan}, std::pair{240, infinity}}) {
        file.seekp(offset);
        file.write(bits, 4);
    }
    file.close();

    App fresh;
    ScriptedFrontend freshUi;
    initialiseApp(fresh, freshUi);
    const CameraSettings before = fresh.scene.camera;
    ASSERT_EQ(loadStartupLandscape(fresh, freshUi, session, dir.string()), Loaded::WithSettings);
    EXPECT_EQ(fresh.scene.camera.cameraX, before.cameraX); // kept, not taken from the word
    EXPECT_EQ(fresh.scene.camera.cameraY, before.cameraY);
    EXPECT_EQ(fresh.scene.camera.cameraZ, app.scene.camera.cameraZ); // the words around them still load
    EXPECT_EQ(renderImage(fresh, freshUi), Outcome::Done);
}

// The file settings change the files the image keywords write.
TEST_F(SessionRender, JpegQualityAndTargaCompressionChangeTheFilesWritten)
{
    for (const char* line : {"GenerateFractal 12", "ImageSize 96 72"})
        ASSERT_EQ(run(line), LineResult::Done) << line;
    ASSERT_EQ(renderImage(app, ui), Outcome::Done);
    const auto sizeAfter = [&](const std::string& setting, const std::string& save) {
        EXPECT_EQ(run(setting), LineResult::Done);
        EXPECT_EQ(run(save), LineResult::Done);
        return std::filesystem::file_size(save.substr(save.find(' ') + 1));
    };
    const std::string jpeg = (dir / "x.jpg").string(), targa = (dir / "x.tga").string();
    const auto fine = sizeAfter("JpegQuality 95", "SaveJPG " + jpeg);
    const auto coarse = sizeAfter("JpegQuality 30", "SaveJPG " + jpeg);
    EXPECT_LT(coarse, fine);
    const auto raw = sizeAfter("TargaCompressOff", "SaveTarga24 " + targa);
    const auto packed = sizeAfter("TargaCompressOn", "SaveTarga24 " + targa);
    EXPECT_EQ(raw, 18u + 96u * 72u * 3u);
    EXPECT_NE(packed, raw);
    EXPECT_TRUE(ui.reports.empty());
}

// The panels' fields for branch bending and sample spacing: bending sets all
// four kinds, clamped as the field is; a new spacing changes the slopes, so
// the ground colours, cliffs and shades are worked out again.
TEST_F(SessionRender, BranchBendingAndSampleSpacing)
{
    for (const auto& [line, bend] : {std::pair{"BranchBending 60", 60}, std::pair{"BranchBending 150", 100},
                                     std::pair{"BranchBending -5", 0}}) {
        ASSERT_EQ(run(line), LineResult::Done);
        EXPECT_EQ(app.scene.trees.branchBend, (std::array<std::uint8_t, 4>{std::uint8_t(bend), std::uint8_t(bend),
                                                                           std::uint8_t(bend), std::uint8_t(bend)}))
            << line;
    }
    app.landscape.terrainValidAt = app.landscape.cliffValidAt = app.landscape.shadowValidAt = 0;
    app.landscape.modified = false;
    ASSERT_EQ(run("SampleSpacing 45.5"), LineResult::Done);
    EXPECT_EQ(app.landscape.spacingX, 45.5f);
    EXPECT_EQ(app.landscape.spacingY, 45.5f);
    EXPECT_EQ(app.landscape.terrainValidAt, app.landscape.sizeX);
    EXPECT_EQ(app.landscape.shadowValidAt, app.landscape.sizeX);
    EXPECT_TRUE(app.landscape.modified);
    // Refused: nothing changes, nothing is invalidated.
    app.landscape.terrainValidAt = 0;
    app.landscape.modified = false;
    ASSERT_EQ(run("SampleSpacing 0"), LineResult::Done);
    EXPECT_EQ(app.landscape.spacingX, 45.5f);
    EXPECT_EQ(app.landscape.terrainValidAt, 0);
    EXPECT_FALSE(app.landscape.modified);
    EXPECT_TRUE(ui.questions.empty());
}

// Out of range, the setting stays and the line fails with the range.
TEST_F(SessionRender, ExtensionSettingsRefuseValuesOutOfRange)
{
    struct Case {
        const char* line;
        const char* reason;
    };
    for (const Case& c : {Case{"AntialiasType 3", "takes a whole number from 1 to 2; the setting stays 1"},
                          Case{"SunSize -1", "takes a whole number from 0 to 1000; the setting stays 10"},
                          Case{"JpegQuality 10", "takes a whole number from 25 to 100; the setting stays 90"},
                          Case{"PaletteColours 1", "takes a whole number from 2 to 256"},
                          Case{"ValleyWidth 20000", "takes a whole number from 0 to 10000"},
                          Case{"StrataThickness 0", "takes a whole number from 1 to 10000"},
                          Case{"BoundingBox 600 600 300 900",
                               "takes x1 y1 x2 y2 in metres with x1 < x2 and y1 < y2 at least one cell apart"},
                          Case{"MoonPosition 1 2", "takes three numbers: x, y and z in units of the body's distance"},
                          Case{"SurfaceRoughnessLarge 1001", "takes a whole number from 0 to 1000; the setting stays 100"},
                          Case{"StereoShift 9000", "takes a whole number from -8192 to 8192; the setting stays 32"},
                          Case{"CameraSeparation -1", "takes a distance in metres from 0 to 100000"},
                          Case{"SampleSpacing 0.5", "takes a spacing in metres from 1 to 100000"}}) {
        ui.reports.clear();
        const SceneSettings before = app.scene;
        EXPECT_EQ(run(c.line), LineResult::Done) << c.line;
        EXPECT_EQ(ui.reports, std::vector<std::string>{std::string(c.line) + ": " + c.reason});
        EXPECT_TRUE(app.scene == before) << c.line;
    }
    // Antialiasing doubles the image each way: a larger image is refused while it is on.
    ui.reports.clear();
    ASSERT_EQ(run("AntialiasOn"), LineResult::Done);
    EXPECT_EQ(run("ImageSize 5000 4000"), LineResult::Done);
    EXPECT_EQ(ui.reports, std::vector<std::string>{"ImageSize 5000 4000: too large while antialiasing is on (at most "
                                                   "4096 each way; AntialiasOff allows 8192)"});
    ASSERT_EQ(run("AntialiasOff"), LineResult::Done);
    ASSERT_EQ(run("ImageSize 5000 4000"), LineResult::Done);
    ui.reports.clear();
    EXPECT_EQ(run("AntialiasOn"), LineResult::Done);
    EXPECT_EQ(ui.reports, std::vector<std::string>{"AntialiasOn: an image of 5000 x 4000 is too large for "
                                                   "antialiasing (at most 4096 each way); it stays off"});
    EXPECT_EQ(app.scene.render.antialias, 0);
}

} // namespace
} // namespace kalvenor
