#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "app/app.h"
#include "app/landscape_commands.h"
#include "files/landscape_file.h"
#include "model/path_layout.h"
#include "path/path_generate.h"
#include "platform/scripted_frontend.h"
#include "shell/path_command.h"
#include "shell/startup.h"
#include "support/temp_dir.h"

namespace kalvenor {
namespace {

using testing::readFile;
using testing::TempDir;

// Four nodes in a row, 100 m up, at 20 and 40 m spacing for the two middle
// nodes: the flight runs along +x from x = 100 to 198 in four frames (100, 126,
// 158, 198: the minimum distance grows from 20 to 40 m over the segment),
// level, looking east (heading 270, exported as -90).
const char* const kFlight = "Kalve Script File\r\n"
                            "  CameraX,   CameraY,   CameraZ,      Bank,   Heading,     Pitch,  (delta)\r\n"
                            "   100.00,      0.00,    100.00,      0.00,    -90.00,      0.00, \r\n"
                            "   126.00,      0.00,    100.00,      0.00,    -90.00,      0.00,  (26.00)\r\n"
                            "   158.00,      0.00,    100.00,      0.00,    -90.00,      0.00,  (32.00)\r\n"
                            "   198.00,      0.00,    100.00,      0.00,    -90.00,      0.00,  (40.00)\r\n";

class PathCommand : public ::testing::Test {
protected:
    TempDir dir{"pathcmd"};
    ScriptedFrontend ui;

    // A session whose path has the given nodes (x along the row y = 0, z 100).
    std::string session(const std::string& name, const std::vector<float>& xs, const std::vector<float>& speeds)
    {
        App app;
        initialiseApp(app, ui);
        for (std::size_t i = 0; i < xs.size(); ++i) {
            PathNode n;
            n.x = xs[i], n.z = 100.0f, n.speed = speeds[i];
            writePathNode(app.path, static_cast<int>(i), n);
        }
        setPathNodeCount(app.path, static_cast<int>(xs.size()));
        const std::string file = dir / name;
        EXPECT_EQ(saveSession(app, file, ui), Outcome::Done);
        return file;
    }

    int exportFrom(const std::string& file, const std::string& script)
    {
        App app;
        initialiseApp(app, ui);
        ui.messages.clear();
        return exportStoredPath(app, ui, file, script);
    }
};

TEST(PathCommandLine, ParsesAndRefusesWithAReason)
{
    std::string error;
    const auto ok = parsePathCommandLine({"path", "a.k4s", "-o", "out.scr", "--answer", "Replace=Cancel"}, error);
    ASSERT_TRUE(ok.has_value()) << error;
    EXPECT_EQ(ok->file, "a.k4s");
    EXPECT_EQ(ok->script, "out.scr");
    EXPECT_EQ(ok->answers, std::vector<std::string>{"Replace=Cancel"});

    const struct {
        std::vector<std::string> args;
        const char* error;
    } cases[] = {
        {{"path"}, "path needs a session or landscape file"},
        {{"path", "a.k4s"}, "path needs -o SCRIPT"},
        {{"path", "a.k4s", "-o"}, "-o needs a value"},
        {{"path", "a.k4s", "-o", "x.scr", "b.k4s"}, "unexpected argument b.k4s"},
        {{"path", "a.k4s", "-o", "x.scr", "--out", "y"}, "unknown option --out"},
        {{"path", "a.k4s", "-o", "x.scr", "--answer", "NoEquals"}, "--answer takes 'QUESTION=ANSWER'"},
    };
    for (const auto& c : cases) {
        std::string reason;
        EXPECT_FALSE(parsePathCommandLine(c.args, reason).has_value()) << c.error;
        EXPECT_EQ(reason, c.error);
    }
}

TEST_F(PathCommand, TheStoredPathBecomesAScript)
{
    const std::string file = session("flight.k4s", {0, 100, 200, 300}, {2000, 2000, 4000, 4000});
    EXPECT_EQ(exportFrom(file, dir / "out/flight.scr"), 0);
    EXPECT_EQ(readFile(dir / "out/flight.scr"), kFlight);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(PathCommand, FailuresEndWithTheirMessage)
{
    App plain;
    initialiseApp(plain, ui);
    ASSERT_EQ(saveDem(plain, dir / "plain.dem", ui), Outcome::Done);
    const std::string twoNodes = session("two.k4s", {0, 100}, {3000, 3000});
    const std::string flight = session("flight.k4s", {0, 100, 200, 300}, {2000, 2000, 4000, 4000});
    testing::writeFile(dir / "blocker", "a file, not a directory");

    const struct {
        std::string file, script, message;
    } cases[] = {
        {dir / "plain.dem", dir / "a.scr", dir / "plain.dem" + " carries no camera path."},
        {twoNodes, dir / "a.scr", kTooFewNodes},
        {dir / "missing.k4s", dir / "a.scr", "Error opening file: \"" + dir / "missing.k4s" + "\""},
        {flight, dir / "blocker/a.scr", "Error opening motion file " + dir / "blocker/a.scr"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(exportFrom(c.file, c.script), 1) << c.message;
        ASSERT_FALSE(ui.messages.empty()) << c.message;
        EXPECT_EQ(ui.messages.back(), c.message);
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "a.scr"));
}

// Runs the real program; its exit code.
int runKalvenor(const std::string& arguments)
{
    const std::string command = std::string(KALVENOR_BINARY) + " " + arguments + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(PathCommand, TheProgramDispatchesTheSubcommand)
{
    const std::string file = session("flight.k4s", {0, 100, 200, 300}, {2000, 2000, 4000, 4000});
    EXPECT_EQ(runKalvenor("path"), 2);
    EXPECT_EQ(runKalvenor("path '" + file + "' -o '" + (dir / "f.scr") + "'"), 0);
    EXPECT_EQ(readFile(dir / "f.scr"), kFlight);
    EXPECT_EQ(runKalvenor("path '" + (dir / "missing.k4s") + "' -o '" + (dir / "g.scr") + "'"), 1);
}

// "Render path" from the command line: the flight of a session made into an
// animation in one step, frame for frame the exported script run over the
// session, with the options of run, and no script left behind.
TEST_F(PathCommand, TheStoredPathIsRenderedInOneStep)
{
    const std::string file = session("flight.k4s", {0, 100, 200, 300}, {2000, 2000, 4000, 4000});
    ASSERT_EQ(runKalvenor("path '" + file + "' -o '" + (dir / "f.scr") + "'"), 0);
    ASSERT_EQ(runKalvenor("run '" + (dir / "f.scr") + "' --landscape '" + file + "' --out '" + (dir / "two/f") +
                          "' --format png --quiet"),
              0);
    ASSERT_EQ(runKalvenor("path '" + file + "' --out '" + (dir / "one/f") + "' --format png --quiet"), 0);
    int frames = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir / "one")) {
        const std::string name = entry.path().filename().string();
        EXPECT_NE(name.rfind(".kalvenor", 0), 0u) << name; // the flight's script is gone
        if (entry.path().extension() != ".PNG") continue;
        ++frames;
        EXPECT_EQ(readFile(entry.path().string()), readFile(dir / ("two/" + name))) << name;
    }
    EXPECT_EQ(frames, 4);
    // Part of the flight, as with run.
    ASSERT_EQ(runKalvenor("path '" + file + "' --out '" + (dir / "part/f") + "' --frames 2- --quiet"), 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "part/f00001.TGA"));
    EXPECT_TRUE(std::filesystem::exists(dir / "part/f00003.TGA"));

    EXPECT_EQ(runKalvenor("path '" + file + "' --out '" + (dir / "x") + "' -o '" + (dir / "x.scr") + "'"), 2);
    EXPECT_EQ(runKalvenor("path --out '" + (dir / "x") + "'"), 2);
    EXPECT_EQ(runKalvenor("path '" + (dir / "missing.k4s") + "' --out '" + (dir / "y/f") + "'"), 1);
}

} // namespace
} // namespace kalvenor
