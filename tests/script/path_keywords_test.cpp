// Camera paths made by script keywords: the flight they export is the one the
// session they are saved in exports, and every refusal says why.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "model/path_layout.h"
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
    };
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
