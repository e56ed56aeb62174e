// Camera paths made by script keywords: the flight they export is the one the
// session they are saved in exports, and every refusal says why.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "model/path_layout.h"
#include "path/path_dynamics.h"
#include "script/animation_output.h"
#include "script_fixture.h"
#include "shell/path_command.h"
#include "shell/startup.h"

namespace kalvenor {
namespace {

class PathKeywords : public ScriptTest {
protected:
    ScriptPlace place;

    void SetUp() override
    {
        ScriptTest::SetUp();
        initialiseApp(app, ui);
        ui.askAnswers.assign(8, true);
        for (const char* line : {"LandscapeSizeSmall", "FeatureSize8", "GenerateFractal 4242", "SeaLevel 20 0"})
            ASSERT_EQ(run(line), LineResult::Done) << line;
    }

    void line(const std::string& text) { EXPECT_EQ(executeLine(app, ui, text, place), LineResult::Done) << text; }

    static std::string contents(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
};

TEST_F(PathKeywords, AFlightMadeByKeywordsIsTheOneItsSessionExports)
{
    const std::string flight = (dir / "flight.scr").string(), session = (dir / "path.k4s").string();
    for (const char* text : {"PathNew", "PathVehicle cruise missile", "PathNodeHeight 150", "PathSpeed 9000",
                             "PathClearance 60", "PathClearanceOn", "PathNode 1500 1500", "PathNode 6000 1200",
                             "PathNode 6600 4000", "PathNode 5200 6500", "PathNode 2000 6200", "PathClosedLoopOn",
                             "PathClosedLoopOn"})
        line(text);
    EXPECT_EQ(pathNodeCount(app.path), 5);
    const PathSettings s = readPathSettings(app.path);
    EXPECT_EQ(s.closedLoop, 1);
    EXPECT_EQ(s.groundClearance, 1);
    EXPECT_EQ(s.speed, 9000);
    EXPECT_EQ(s.nodeHeight, 150);
    EXPECT_EQ(s.bankCoefficient, 20); // the cruise missile's
    line("PathExport " + flight);
    line("SaveSession " + session);
    EXPECT_EQ(place.failures, 0);

    // Every point keeps the path clearance above the ground under it.
    for (const PathPoint& p : app.path.points) {
        const int column = static_cast<int>(p.x / app.landscape.spacingX);
        const int row = static_cast<int>(p.y / app.landscape.spacingY);
        EXPECT_GE(p.z, app.landscape.elevation[row][column] + 59.0f) << column << ", " << row;
    }

    App fresh;
    ScriptedFrontend freshUi;
    initialiseApp(fresh, freshUi);
    const std::string again = (dir / "again.scr").string();
    ASSERT_EQ(exportStoredPath(fresh, freshUi, session, again), 0);
    const std::string written = contents(flight);
    EXPECT_GT(written.size(), 1000u);
    EXPECT_EQ(written, contents(again));
}

TEST_F(PathKeywords, RefusalsSayWhy)
{
    const struct {
        const char* line;
        const char* reason;
    } cases[] = {
        {"PathNode 9000 100", "lies outside the landscape (x 0 to 7680, y 0 to 7680 metres)"},
        {"PathNode -1 100", "lies outside the landscape"},
        {"PathNode 100", "takes the node's x and y in metres"},
        {"PathVehicle Zeppelin",
         "no such vehicle; the vehicles are Glider, Jet, Cruise Missile, Helicopter, Dune Buggy, Motorcycle"},
        {"PathExport x.scr", "You must place 4 spline nodes first!"},
        {"PathSpeed", "takes a number"},
        {"PathNode 100 100 2e7", "takes a height above the ground from -10000000 to 10000000 metres"},
        {"PathNodeSpeed 0", "takes centimetres between frames from 1 to 10000000"},
        {"PathNodeAltitude", "takes an altitude in metres"},
        {"PathNodeTarget 100", "takes the target's x, y (and z) in metres"},
        {"PathNodeRoll 3", "the first node takes no roll"},
        {"PathNodeRoll 100000", "takes frames of a barrel roll (- counter-clockwise) from -99999 to 99999"},
        {"PathRender", "You must place 4 spline nodes first!"},
    };
    for (const char* text : {"PathNodeAltitude 5", "PathNodeRoll 5", "PathRender"}) {
        line("PathNew");
        const int before = place.failures;
        line(text);
        EXPECT_EQ(place.failures, before + 1) << text;
        EXPECT_NE(ui.reports.back().find("PathNew, then PathNode x y"), std::string::npos) << ui.reports.back();
    }
    line("PathNew");
    line("PathNode 100 100");
    for (const auto& c : cases) {
        const int before = place.failures;
        line(c.line);
        EXPECT_EQ(place.failures, before + 1) << c.line;
        ASSERT_FALSE(ui.reports.empty());
        EXPECT_NE(ui.reports.back().find(c.reason), std::string::npos) << ui.reports.back();
    }
    EXPECT_EQ(pathNodeCount(app.path), 1);
    // A number beyond a characteristic's range is stored at its end, as the panel field does.
    line("PathSpeed 0");
    EXPECT_EQ(readPathSettings(app.path).speed, 1);
    line("PathClosedLoopOn");
    line("PathClosedLoopOff");
    EXPECT_EQ(readPathSettings(app.path).closedLoop, 0);
}

// Each node as the keywords make it: its own height above the ground or an
// altitude, its speed, a target it looks at and where it lets go, a roll.
TEST_F(PathKeywords, NodesTakeTheirOwnHeightSpeedTargetAndRoll)
{
    for (const char* text : {"PathNew", "PathNodeHeight 100", "PathSpeed 3000", "PathNode 1500 1500",
                             "PathNode 6000 1500 250", "PathNodeTarget 4000 4000", "PathNode 6000 6000",
                             "PathNodeAltitude 900", "PathNodeTargetOff", "PathNode 1500 6000", "PathNodeSpeed 9000",
                             "PathNodeRoll -40", "PathNodeTarget 3000 3000 77"})
        line(text);
    EXPECT_EQ(place.failures, 0);
    ASSERT_EQ(pathNodeCount(app.path), 4);
    const auto ground = [&](const PathNode& n) { return groundElevation(app.landscape, n.x, n.y); };
    const PathNode first = readPathNode(app.path, 0), second = readPathNode(app.path, 1);
    const PathNode third = readPathNode(app.path, 2), fourth = readPathNode(app.path, 3);
    EXPECT_NEAR(first.z, ground(first) + 100, 0.01);
    EXPECT_NEAR(second.z, ground(second) + 250, 0.01);
    EXPECT_EQ(second.targetState, kTargetLook);
    EXPECT_EQ(second.targetX, 4000.0f);
    EXPECT_NEAR(second.targetZ, groundElevation(app.landscape, 4000, 4000), 0.01);
    EXPECT_EQ(third.z, 900.0f);
    EXPECT_EQ(third.targetState, kTargetRelease);
    EXPECT_EQ(third.speed, 3000.0f);
    EXPECT_EQ(fourth.speed, 9000.0f);
    EXPECT_EQ(fourth.roll, -40);
    EXPECT_EQ(fourth.targetZ, 77.0f);
    EXPECT_FALSE(app.path.points.empty()); // the flight is made anew after each change
}

// PathRender flies the path as frames of the run: the very frames of the
// script PathExport writes, run from the same state; its banks follow the turns
// and stay short of 90 degrees.
TEST_F(PathKeywords, PathRenderMakesTheFramesOfTheExportedFlight)
{
    const std::string flight = (dir / "flight.scr").string();
    const std::string build = write("build.scr", "Kalve Script File\nbuild\nLandscapeSizeSmall\nGenerateFractal 4242\n"
                                                 "SeaLevel 20 0\nImageSize 96 72\nPathNew\nPathVehicle Glider\n"
                                                 "PathSpeed 20000\nPathNode 1500 1500\nPathNode 6000 1500 250\n"
                                                 "PathNodeTarget 4000 4000\nPathNode 6000 6000\nPathNodeTargetOff\n"
                                                 "PathNode 1500 6000\nPathClosedLoopOn\n"
                                                 "PathExport " + flight + "\n");
    const std::string render = write("render.scr", "Kalve Script File\nrender\nPathRender\n");
    std::vector<std::vector<std::string>> made;
    for (const std::string& script : {render, flight}) {
        App fresh;
        ScriptedFrontend quiet;
        initialiseApp(fresh, quiet);
        ASSERT_EQ(runScript(fresh, quiet, build, std::nullopt, 0, nullptr).end, RunEnd::Completed);
        const SeriesOutput out{(dir / (script == render ? "a" : "b") / "f").string(), ImageFormat::Targa};
        const ScriptOutcome ran = runAnimation(fresh, quiet, script, out, {0, kLastScriptFrame, BeforeFirstFrame::Replay});
        ASSERT_EQ(ran.end, RunEnd::Completed);
        EXPECT_EQ(ran.failures, 0);
        std::vector<std::string> frames;
        for (int n = 0; std::filesystem::exists(frameFileName(out, n)); ++n) frames.push_back(contents(frameFileName(out, n)));
        made.push_back(frames);
        if (script == render) {
            EXPECT_EQ(fresh.scriptProgress.totalFrames, static_cast<int>(frames.size()));
        }
    }
    ASSERT_GT(made[0].size(), 20u);
    EXPECT_TRUE(made[0] == made[1]) << made[0].size() << " and " << made[1].size() << " frames";

    // Banks, from the exported frame lines: the turns bank, none reaches 90 degrees (how much they bank
    // for a turn and speed is tested with the vehicle dynamics).
    std::ifstream in(flight);
    std::string text;
    std::vector<double> banks;
    for (int n = 0; std::getline(in, text); ++n) {
        float v[6];
        if (n >= 2 && std::sscanf(text.c_str(), "%f, %f, %f, %f, %f, %f", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5]) == 6)
            banks.push_back(std::fabs(static_cast<double>(v[3])));
    }
    ASSERT_EQ(banks.size(), made[0].size());
    // (200 m a frame is fast: the glider banks steeply all round, short of the 90 degrees of the old formula.)
    const double steepest = *std::max_element(banks.begin(), banks.end());
    EXPECT_GT(steepest, 5.0);
    EXPECT_LT(steepest, 90.0);

    // Without an animation output there is nothing to make the frames into.
    ScriptPlace nowhere;
    const std::string lone = write("lone.scr", "Kalve Script File\nx\nPathNew\nPathNode 1500 1500\n"
                                               "PathNode 6000 1500\nPathNode 6000 6000\nPathNode 1500 6000\nPathRender\n");
    const ScriptOutcome alone = runScript(app, ui, lone, std::nullopt, 0, nullptr);
    EXPECT_EQ(alone.failures, 1);
    EXPECT_NE(ui.reports.back().find("lone.scr:8: PathRender: the flight's frames are made only by an animation run"),
              std::string::npos)
        << ui.reports.back();
}

// The two script writers of the script-file commands: a straight flight from
// the camera toward the target, and the camera's frame line appended.
TEST_F(PathKeywords, StraightFlightsAndAppendedCameraLines)
{
    const std::string script = (dir / "straight.scr").string();
    line("CameraXYZ 100 200 300");
    line("TargetXYZ 500 -200 100");
    line("Bank 7.9");
    const CameraSettings& c = app.scene.camera;
    line("StraightFlight " + script + " 2");
    char frames[256];
    std::snprintf(frames, sizeof frames, "100.000000, 200.000000, 300.000000, %f, %f, %f,\r\n"
                                         "300.000000, 0.000000, 200.000000, %f, %f, %f,\r\n",
                  c.bank, c.heading, c.pitch, c.bank, c.heading, c.pitch);
    const std::string flight = "Kalve Script File\r\n"
                               "  CameraX,   CameraY,   CameraZ,      Bank,   Heading,     Pitch,  (delta)\r\n" +
                               std::string(frames);
    EXPECT_EQ(contents(script), flight);

    // The frame line truncates every value: the target lies south-east and below, so the heading is
    // -135 (0 north, -90 east) and the pitch -atan(200 / 565.69) = -19.47 degrees.
    line("AppendCamera " + script);
    char appended[128];
    std::snprintf(appended, sizeof appended, "%5d, %5d, %5d, %4d, %4d, %4d,\r\n", 100, 200, 300, 7,
                  static_cast<int>(c.heading), static_cast<int>(c.pitch));
    EXPECT_EQ(contents(script), flight + appended);
    EXPECT_EQ(std::string(appended), "  100,   200,   300,    7, -135,  -19,\r\n");
    EXPECT_EQ(place.failures, 0);

    // A file that is not a script is left as it is; a missing one and a bad count are failed lines.
    const std::string notes = write("notes.txt", "shopping list\n");
    line("AppendCamera " + notes);
    EXPECT_EQ(contents(notes), "shopping list\n");
    line("AppendCamera " + (dir / "none.scr").string());
    line("StraightFlight " + script + " 100000");
    line("StraightFlight " + script);
    EXPECT_EQ(place.failures, 4);
    EXPECT_EQ(contents(script), flight + appended);
}

} // namespace
} // namespace kalvenor
