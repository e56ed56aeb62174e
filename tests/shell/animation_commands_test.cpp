// The Animation panel, the script files and the path screens of the window,
// without a window: animations from the camera path or a script, continued or
// started anew; the script-file commands; the previews, Walkabout, the
// position slider and the altitude display.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "files/script_file.h"
#include "panels/altitude_display.h"
#include "panels/key_codes.h"
#include "path/path_generate.h"
#include "shell/control_panels.h"
#include "shell/map_commands.h"
#include "shell/path_screen.h"
#include "window_fixture.h"
#include "../support/temp_dir.h"

namespace kalvenor {
namespace {

namespace fs = std::filesystem;

std::string readText(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> filesIn(const fs::path& dir)
{
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class AnimationCommands : public WindowFixture {
protected:
    testing::TempDir dir{"anim"};

    void SetUp() override
    {
        WindowFixture::SetUp();
        for (const char* line : {"ImageSize 48 30", "PixelDither 0", "LightingRoughness 0", "PathSpeed 60000"})
            ASSERT_EQ(runKeywordLine(*ctx, line), 1) << line;
    }

    // Four nodes over the landscape and the flight made from them.
    int makePath()
    {
        for (const char* line : {"PathNew", "PathNode 1000 1000", "PathNode 2500 1500", "PathNode 4500 3000",
                                 "PathNode 6000 6000"})
            EXPECT_EQ(runKeywordLine(*ctx, line), 1) << line;
        EXPECT_EQ(generatePath(app->path, app->landscape, ui), 1);
        return static_cast<int>(app->path.points.size());
    }

    std::string at(const char* name) const { return (dir.path / name).string(); }
};

TEST_F(AnimationCommands, PathBecomesATargaSeriesThatContinuesWhereItStopped)
{
    const int points = makePath();
    ASSERT_GE(points, 3);
    std::ofstream(at("fly.SCR")) << "mine\n"; // a user's file beside the output is never touched
    ui.fileAnswers = {at("flight.tga")};
    EXPECT_EQ(runWindowCommand(*ctx, 1099), 1);
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.back(), "Script completed successfully.");
    std::vector<std::string> expected = {"fly.SCR"};
    for (int i = 0; i < points; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "fli%05d.TGA", i);
        expected.push_back(name);
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(filesIn(dir.path), expected); // the path's temporary script is gone
    EXPECT_EQ(readText(at("fly.SCR")), "mine\n");
    EXPECT_EQ(ui.fileRequests.back().title, "Base Picture Name:");
    EXPECT_EQ(app->scene.camera.bank, 0.0f);

    // Continue: only the missing last frame is made, and it is the frame it was.
    const std::string last = at(("fli" + std::string(5 - std::to_string(points - 1).size(), '0') +
                                 std::to_string(points - 1) + ".TGA").c_str());
    const std::string lastBytes = readText(last);
    const std::string firstBytes = readText(at("fli00000.TGA"));
    fs::remove(last);
    fs::remove(at("fli00000.TGA"));
    std::ofstream(at("fli00000.TGA")) << "kept";
    ui.fileAnswers = {at("flight.tga")};
    ui.askAnswers = {true}; // Continue
    EXPECT_EQ(runWindowCommand(*ctx, 1099), 1);
    EXPECT_EQ(ui.questions.back(), "Continue existing animation or delete it? [Continue|Delete]");
    EXPECT_EQ(readText(at("fli00000.TGA")), "kept");
    EXPECT_EQ(readText(last), lastBytes);

    // Delete: every frame made anew.
    ui.fileAnswers = {at("flight.tga")};
    ui.askAnswers = {false};
    EXPECT_EQ(runWindowCommand(*ctx, 1099), 1);
    EXPECT_EQ(readText(at("fli00000.TGA")), firstBytes);

    // Render path repeats the last animation command.
    ui.fileAnswers = {at("again.tga")};
    ui.askAnswers = {};
    EXPECT_EQ(runWindowCommand(*ctx, 1387), 1);
    EXPECT_EQ(readText(at("aga00000.TGA")), firstBytes);
}

TEST_F(AnimationCommands, WithoutAPathAScriptIsAskedForAndCancellingEndsQuietly)
{
    ASSERT_TRUE(app->path.points.empty());
    ui.fileAnswers = {std::nullopt};
    EXPECT_EQ(runWindowCommand(*ctx, 1104), -1);
    EXPECT_EQ(ui.fileRequests.back().title, "Script Name:");
    EXPECT_TRUE(ui.messages.empty());

    std::ofstream(at("two.scr")) << kScriptHeader << "\ncaption\n1000, 1000, 400, 0, 10, -5,\nHaze 3\n"
                                 << "1200, 1000, 400, 0, 20, -5,\n";
    ui.fileAnswers = {at("two.scr"), at("two.flc")};
    EXPECT_EQ(runWindowCommand(*ctx, 1104), 1);
    EXPECT_EQ(ui.messages.back(), "Script completed successfully.");
    const std::string flc = readText(at("two.FLC"));
    ASSERT_GE(flc.size(), 128u);
    EXPECT_EQ(static_cast<unsigned char>(flc[6]) | static_cast<unsigned char>(flc[7]) << 8, 2); // frames
    EXPECT_EQ(app->scene.sky.haze, 3);

    // KANIM: the program's own file, a frame of width x height bytes each after 1024.
    ui.fileAnswers = {at("two.scr"), at("two.x")};
    EXPECT_EQ(runWindowCommand(*ctx, 1103), 1);
    EXPECT_EQ(fs::file_size(at("two.KAN")), 1024u + 2u * 48u * 30u);

    // A script that is not one: the run's own message, no frames.
    std::ofstream(at("bad.scr")) << "hello\n";
    ui.fileAnswers = {at("bad.scr"), at("bad.tga")};
    EXPECT_EQ(runWindowCommand(*ctx, 1099), 0);
    EXPECT_FALSE(fs::exists(at("bad00000.TGA")));

    // The viewers: a file that is not there is said so, and nothing is started.
    ui.fileAnswers = {at("none.avi")};
    EXPECT_EQ(runWindowCommand(*ctx, 1107), 0);
    EXPECT_EQ(ui.messages.back(), "Error opening file: \"" + at("none.avi") + "\"");
    EXPECT_EQ(ui.fileRequests.back().title, "View AVI animation");

    ui.messages.clear();
    EXPECT_EQ(runWindowCommand(*ctx, 1387), 0); // no path
    EXPECT_EQ(ui.messages, std::vector<std::string>{"No path to view!"});
}

TEST_F(AnimationCommands, ScriptFilesAreStartedSelectedAppendedAndWrittenAsFlights)
{
    ui.fileAnswers = {at("new")};
    EXPECT_EQ(runWindowCommand(*ctx, 1095), 1);
    EXPECT_EQ(readText(at("new.SCR")), std::string(kScriptHeader) + "\r\n" + kScriptCaption + "\r\n");
    EXPECT_EQ(ui.fileRequests.back().defaultName, "KALVE.SCR");

    // Append camera writes to the new script, which New script selected.
    ASSERT_EQ(runKeywordLine(*ctx, "CameraXYZ 1234.9 2345.2 456.7"), 1);
    EXPECT_EQ(runWindowCommand(*ctx, 1097), 1);
    EXPECT_EQ(readText(at("new.SCR")), std::string(kScriptHeader) + "\r\n" + kScriptCaption + "\r\n" +
                                           cameraFrameLine(app->scene.camera) + "\r\n");
    EXPECT_EQ(cameraFrameLine(app->scene.camera).substr(0, 20), " 1234,  2345,   456,");

    // Selecting a file that is not a script says so and keeps the selection.
    std::ofstream(at("notes.SCR")) << "shopping\n";
    ui.fileAnswers = {at("notes.SCR")};
    EXPECT_EQ(runWindowCommand(*ctx, 1096), 0);
    EXPECT_EQ(ui.messages.back(), "\"" + at("notes.SCR") + "\" is not a script file");
    EXPECT_EQ(ctx->selectedScript, at("new.SCR"));
    ui.fileAnswers = {at("missing.SCR")};
    EXPECT_EQ(runWindowCommand(*ctx, 1096), 0);
    EXPECT_EQ(ui.messages.back(), "Error opening file: \"" + at("missing.SCR") + "\"");

    // Straight flight: the number clamped and kept for next time; an existing file asks first.
    ui.fileAnswers = {at("flight")};
    ui.numberAnswers = {-4};
    EXPECT_EQ(runWindowCommand(*ctx, 1149), 1);
    EXPECT_EQ(ctx->straightFrames, 0);
    ui.fileAnswers = {at("flight")};
    ui.askAnswers = {true};
    ui.numberAnswers = {3};
    EXPECT_EQ(runWindowCommand(*ctx, 1149), 1);
    ASSERT_GE(ui.questions.size(), 2u);
    EXPECT_EQ(ui.questions[ui.questions.size() - 2], "Replace " + at("flight.SCR") + " ? [Replace|Cancel]");
    std::string written = readText(at("flight.SCR"));
    std::erase(written, '\r');
    EXPECT_EQ(written, straightFlightScript(app->scene.camera, 3));
    EXPECT_EQ(ctx->selectedScript, at("flight.SCR"));
}

TEST_F(AnimationCommands, PreviewStepsThroughFrameLinesOnTheMapOrAsAWireFrame)
{
    std::ofstream(at("p.scr")) << kScriptHeader << "\ncaption\n1000, 2000, 300, 0, 45, -10,\nHaze 9\n"
                               << "1500, 2500\n1600, 2600, 310, 1, 90, -20,\n";
    app->animationRate = 100;
    const Surface before = surface;
    ui.fileAnswers = {at("p.scr")};
    ui.askAnswers = {true}; // 2D
    EXPECT_EQ(runWindowCommand(*ctx, 1098), 1);
    EXPECT_EQ(ui.messages, (std::vector<std::string>{"Data format error!", "End of script."}));
    EXPECT_EQ(app->scene.camera.cameraX, 1600.0f);
    EXPECT_EQ(app->scene.camera.heading, 90.0f);
    EXPECT_NE(app->scene.sky.haze, 9); // command lines are passed over
    EXPECT_NE(surface.pixels, before.pixels); // the camera mark moved on the map

    // 3D: the wire box comes and goes; outside the map the window is as it was.
    ui.messages.clear();
    ui.fileAnswers = {at("p.scr")};
    ui.askAnswers = {false};
    const Surface mapped = surface;
    EXPECT_EQ(runWindowCommand(*ctx, 1098), 1);
    EXPECT_FALSE(ctx->wireBox);
    for (int y = 300; y < kSurfaceHeight; ++y)
        for (int x = 0; x < kSurfaceWidth; ++x) ASSERT_EQ(surface.at(x, y), mapped.at(x, y)) << x << "," << y;

    // A key stops it: no "End of script.".
    ui.messages.clear();
    ui.fileAnswers = {at("p.scr")};
    ui.askAnswers = {true};
    ui.abortOnPoll = 1;
    ui.polls = 0;
    EXPECT_EQ(runWindowCommand(*ctx, 1098), -1);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(AnimationCommands, WalkaboutMovesTheCameraAndKeepsItOrPutsItBack)
{
    ASSERT_EQ(runKeywordLine(*ctx, "CameraXYZ 3000 3000 600"), 1);
    ASSERT_EQ(runKeywordLine(*ctx, "TargetXYZ 3000 5000 600"), 1); // heading 0: toward +y
    const CameraSettings start = app->scene.camera;
    refreshMap(*ctx);
    const Surface before = surface;

    input.key(kKeyUp);
    input.key(kKeyLeft);
    input.key(kKeyEscape);
    EXPECT_EQ(runWindowCommand(*ctx, 1242), -1);
    EXPECT_EQ(app->scene.camera.cameraY, start.cameraY);
    EXPECT_EQ(app->scene.camera.heading, start.heading);
    int changed = 0;
    for (int y = 0; y < kSurfaceHeight; ++y)
        for (int x = 0; x < kSurfaceWidth; ++x)
            if (surface.at(x, y) != before.at(x, y) && changed++ < 5) ADD_FAILURE() << x << "," << y;
    EXPECT_EQ(changed, 0); // the box leaves nothing behind

    input.key(kKeyUp);
    input.key(kKeyUp);
    input.key(kKeyLeft);
    input.key(kKeyPageUp);
    input.key(kKeyEnter);
    EXPECT_EQ(runWindowCommand(*ctx, 1242), 1);
    const CameraSettings& c = app->scene.camera;
    const Landscape& land = app->landscape;
    const double stride = std::max(land.sizeX * land.spacingX, land.sizeY * land.spacingY) / 60.0;
    EXPECT_NEAR(c.cameraY, start.cameraY + 2 * stride, 0.01);
    EXPECT_NEAR(c.cameraX, start.cameraX, 0.01);
    EXPECT_NEAR(c.cameraZ, start.cameraZ + stride / 2, 0.01);
    EXPECT_NEAR(c.heading, 5.0, 1e-3);
    // The target stands ahead on the new heading: the camera aims at it.
    EXPECT_LT(c.targetX, c.cameraX);
    EXPECT_GT(c.targetY, c.cameraY);
    EXPECT_NEAR(std::hypot(c.targetX - c.cameraX, c.targetY - c.cameraY), 2000.0, 0.5);
}

TEST_F(AnimationCommands, PositionSliderAndAltitudeDisplayFollowThePath)
{
    const int points = makePath();
    ASSERT_EQ(runWindowCommand(*ctx, 1296), 1); // Path
    // The display stands in the panel and shows the flight.
    int flight = 0;
    for (int y = kAltitudeY0; y <= kAltitudeY1; ++y)
        for (int x = kAltitudeX0; x <= kAltitudeX1; ++x) flight += surface.at(x, y) == altitude_colour::kFlight;
    EXPECT_GT(flight, 0);

    Gadget& slider = control(1362);
    slider.value = slider.range; // the end of the flight
    ctx->gadget = &slider;
    EXPECT_EQ(runWindowCommand(*ctx, 1362), 1);
    ctx->gadget = nullptr;
    EXPECT_EQ(app->path.currentPoint, points - 1);
    EXPECT_EQ(app->scene.camera.cameraX, app->path.points.back().x);
    EXPECT_EQ(ui.statuses.back(), "Point " + std::to_string(points) + " of " + std::to_string(points));

    // A click at the display's left picks the first point.
    EXPECT_EQ(mapClick(*ctx, kAltitudeX0 + 1, (kAltitudeY0 + kAltitudeY1) / 2), 1);
    EXPECT_EQ(app->path.currentPoint, 0);
    EXPECT_EQ(control(1362).value, 0);

    EXPECT_EQ(runWindowCommand(*ctx, 1366), 1);
    EXPECT_EQ(ctx->altitude.zoom, 2);
    EXPECT_EQ(runWindowCommand(*ctx, 1367), 1);
    EXPECT_EQ(ctx->altitude.zoom, 1);

    // Preview path flies from the current point and puts the camera back.
    const CameraSettings camera = app->scene.camera;
    app->animationRate = 100;
    EXPECT_EQ(runWindowCommand(*ctx, 1360), 1);
    EXPECT_EQ(app->path.currentPoint, points - 1);
    EXPECT_EQ(app->scene.camera.cameraX, camera.cameraX);
    EXPECT_FALSE(ctx->wireBox);
}

} // namespace
} // namespace kalvenor
