// A session holds everything a render reads: saved after a script set it up,
// and loaded into a fresh program as the command line loads it, it renders
// the same picture byte for byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/render_driver.h"
#include "script_fixture.h"
#include "shell/startup.h"

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

} // namespace
} // namespace kalvenor
