#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "script/runner.h"
#include "script_fixture.h"

namespace kalvenor {
namespace {

const std::string kHead =
    "Kalve Script File\n  CameraX,   CameraY,   CameraZ,      Bank,   Heading,     Pitch,  (delta)\n";

class Runner : public ScriptTest {
protected:
    std::vector<FrameRequest> frames;
    int frameResult = 1;

    FrameCallback recorder()
    {
        return [this](const FrameRequest& request) {
            frames.push_back(request);
            return outcomeOf(frameResult);
        };
    }

    // The run's classic result (1, 0, -1, -3); the outcome itself stays in last.
    ScriptOutcome last;
    int runFile(const std::string& path, bool output = false, int start = 0)
    {
        last = runScript(app, ui, path, output ? std::optional<std::string>("out") : std::nullopt, start, recorder());
        return classicRunResult(last.end);
    }
};

// Line 1 must be the header; blanks or tabs after it are allowed, since no
// editor shows them.
TEST_F(Runner, OnlyTheHeaderLineMakesAScript)
{
    struct Case {
        const char* name;
        std::string content;
        int result;
    };
    const Case cases[] = {
        {"lf.scr", "Kalve Script File\n\nHaze 7\n", 1},
        {"crlf.scr", "Kalve Script File\r\ncaption\r\nHaze 7\r\n", 1},
        {"noend.scr", "Kalve Script File", -3},
        {"blank.scr", "Kalve Script File \nx\nHaze 7\n", 1},
        {"tabs.scr", "Kalve Script File\t \t\r\nx\r\nHaze 7\r\n", 1},
        {"leading.scr", " Kalve Script File\nx\nHaze 7\n", -3},
        {"more.scr", "Kalve Script File 2\nx\nHaze 7\n", -3},
        {"case.scr", "kalve script file\nx\nHaze 7\n", -3},
        {"empty.scr", "", -3},
    };
    for (const Case& c : cases) {
        const std::string path = write(c.name, c.content);
        ui.messages.clear();
        app.scene.sky.haze = 0;
        EXPECT_EQ(runFile(path), c.result) << c.name;
        if (c.result == -3) {
            EXPECT_EQ(ui.messages, (std::vector<std::string>{"\"" + path + "\" is not a script file: its first line "
                                                             "must read \"Kalve Script File\""}))
                << c.name;
            EXPECT_EQ(app.scene.sky.haze, 0) << c.name;
        } else {
            EXPECT_TRUE(ui.messages.empty()) << c.name;
            EXPECT_EQ(app.scene.sky.haze, 7) << c.name;
        }
    }
}

TEST_F(Runner, MissingFileIsAnOpenErrorAndNamesAreFoundIgnoringCase)
{
    const std::string missing = (dir / "none.scr").string();
    EXPECT_EQ(runFile(missing), 0);
    EXPECT_EQ(ui.messages, (std::vector<std::string>{"Error opening file: \"" + missing + "\""}));

    write("Preset.scr", kHead + "Haze 9\n");
    std::string windowsStyle = (dir / "PRESET.SCR").string();
    std::replace(windowsStyle.begin(), windowsStyle.end(), '/', '\\');
    EXPECT_EQ(runFile(windowsStyle), 1);
    EXPECT_EQ(app.scene.sky.haze, 9);
}

TEST_F(Runner, ShortFrameLineIsAFormatError)
{
    const std::string path = write("short.scr", kHead + "1, 2, 3, 4, 5, 6\n1, 2, 3\nHaze 5\n");
    EXPECT_EQ(runFile(path), -3);
    EXPECT_NE(app.scene.sky.haze, 5);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ui.reports, (std::vector<std::string>{path + ":4: a frame line needs six numbers separated by commas"}));
}

// Every script error is counted and reported with the script as named and the
// number of its line in the file: CR LF ends a line, a long line is one line,
// and lines skipped to a start frame count too.
TEST_F(Runner, ScriptErrorsNameTheFileAndLine)
{
    const std::string longLine = "Bogus2 " + std::string(600, 'x') + "\n";
    const std::string path = write("errors.scr", kHead + "Haze 4\r\nBogusWord 3\n" + longLine +
                                                     "Tree4PineAll\nRender\nLoadPCX pic.pcx\nHaze 5\n");
    EXPECT_EQ(runFile(path), 1);
    EXPECT_EQ(last.errors, 4);
    EXPECT_EQ(app.scene.sky.haze, 5); // Continue is the default answer: the run goes on
    EXPECT_EQ(ui.reports, (std::vector<std::string>{path + ":4: unknown keyword \"BogusWord\"",
                                                    path + ":5: unknown keyword \"Bogus2\"",
                                                    path + ":6: unknown keyword \"Tree4PineAll\"",
                                                    path + ":8: LoadPCX cannot be used in a script"}));
    EXPECT_EQ(ui.questions.front(), "Script error: BogusWord 3 [Continue|Cancel]"); // the question is as before

    ui.reports.clear();
    EXPECT_EQ(runFile(path, true, 1), 1); // from frame 1: the lines up to Render are passed over
    EXPECT_EQ(last.errors, 1);
    EXPECT_EQ(ui.reports, (std::vector<std::string>{path + ":8: LoadPCX cannot be used in a script"}));
    EXPECT_EQ(scriptErrorSummary(1), "1 script error");
    EXPECT_EQ(scriptErrorSummary(3), "3 script errors");
}

TEST_F(Runner, CancelAfterAnErrorStopsTheScript)
{
    const std::string path = write("cancel.scr", kHead + "Haze 4\nBogus\nHaze 5\n");
    ui.askAnswers = {false};
    EXPECT_EQ(runFile(path), -1);
    EXPECT_EQ(app.scene.sky.haze, 4);

    ui.askAnswers = {true};
    EXPECT_EQ(runFile(path), 1);
    EXPECT_EQ(app.scene.sky.haze, 5);
}

// Without an output, frame lines only set the camera; Render asks the callback
// to render without saving (a batch run renders there), and nothing counts as a frame.
TEST_F(Runner, WithoutOutputFramesOnlySetTheCamera)
{
    const std::string path = write("preset.scr", kHead + "10, 20, 30, 1, 2, 3\nRender\n-5,6,7,8,9,10\n");
    app.scene.script.saveFrames = 0;
    EXPECT_EQ(runFile(path), 1);
    ASSERT_EQ(frames.size(), 1u); // Render alone
    EXPECT_TRUE(frames[0].render);
    EXPECT_FALSE(frames[0].save);
    EXPECT_EQ(frames[0].frame, 0);
    EXPECT_EQ(app.scriptProgress.currentFrame, 0);
    EXPECT_EQ(classicRunResult(runScript(app, ui, path, std::nullopt, 0, nullptr).end), 1); // no callback: nothing
    EXPECT_EQ(app.scriptProgress.totalFrames, 3); // two frame lines and one Render
    EXPECT_EQ(app.scene.script.saveFrames, 1);    // every run starts with frames saved
    const CameraSettings& c = app.scene.camera;
    EXPECT_EQ(c.cameraX, -5.0f);
    EXPECT_EQ(c.cameraY, 6.0f);
    EXPECT_EQ(c.cameraZ, 7.0f);
    EXPECT_EQ(c.bank, 8.0f);
    EXPECT_EQ(c.heading, 9.0f);
    EXPECT_EQ(c.pitch, 10.0f);
}

TEST_F(Runner, WithOutputEveryFrameEndingLineMakesAFrame)
{
    const std::string path =
        write("anim.scr", kHead + "1, 2, 3, 4, 5, 6\nHaze 1\nRewriteImage\nAutoSaveOff\nRender\nRem Render\n");
    EXPECT_EQ(runFile(path, true), 1);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_TRUE(frames[0].render);
    EXPECT_FALSE(frames[1].render); // RewriteImage saves the image again without rendering
    EXPECT_TRUE(frames[2].render);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(frames[static_cast<std::size_t>(i)].frame, i);
        EXPECT_EQ(frames[static_cast<std::size_t>(i)].total, 3);
        EXPECT_EQ(frames[static_cast<std::size_t>(i)].framesMade, i);
    }
    EXPECT_TRUE(frames[1].save);
    EXPECT_FALSE(frames[2].save);
    EXPECT_EQ(app.scriptProgress.currentFrame, 3);
}

TEST_F(Runner, FrameFailuresEndTheRun)
{
    const std::string path = write("fail.scr", kHead + "Render\nRender\nHaze 3\n");
    frameResult = 0;
    EXPECT_EQ(runFile(path, true), 0);
    EXPECT_EQ(frames.size(), 1u);
    EXPECT_EQ(app.scriptProgress.currentFrame, 0); // the frame that failed
    frameResult = -1;
    EXPECT_EQ(runFile(path, true), -1);
    EXPECT_NE(app.scene.sky.haze, 3);
}

TEST_F(Runner, StartFrameSkipsTheEarlierLinesUnexecuted)
{
    std::string body = "TreeLine 777\n";
    for (int i = 0; i < 12; ++i) body += i % 2 ? "Render\n" : "100, 200, 300, 0, 0, 0\n";
    body += "SnowLine 555\n";
    const std::string path = write("continue.scr", kHead + body);
    app.scene.colouring.treeLine = 1;
    EXPECT_EQ(runFile(path, true, 10), 1);
    EXPECT_EQ(app.scene.colouring.treeLine, 1);
    EXPECT_EQ(app.scene.colouring.snowLine, 555);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].frame, 10);
    EXPECT_EQ(frames[1].frame, 11);
    EXPECT_EQ(frames[1].total, 12);
    EXPECT_EQ(frames[0].framesMade, 0);
}

// Lines are read whole: a long comment ending in a keyword stays a comment,
// and a long command keeps all of its text. A line beyond the limit is a
// located script error and is not run.
TEST_F(Runner, LinesAreReadWhole)
{
    const std::string rem = "Rem " + std::string(277, 'x') + " CameraXYZ 100 200 300\n";
    const std::string spaced = "Haze" + std::string(400, ' ') + "42\n";
    const std::string path = write("long.scr", kHead + rem + spaced + "CameraX 5\n");
    app.scene.camera.cameraY = 7.0f;
    EXPECT_EQ(runFile(path), 1);
    EXPECT_EQ(last.errors, 0);
    EXPECT_EQ(app.scene.camera.cameraY, 7.0f); // the comment's tail did not move the camera
    EXPECT_EQ(app.scene.sky.haze, 42);
    EXPECT_TRUE(ui.reports.empty());

    const std::string huge = "Haze " + std::string(kLongestScriptLine, '1') + "\n";
    const std::string tooLong = write("huge.scr", kHead + huge + "Haze 9\n");
    EXPECT_EQ(runFile(tooLong), 1);
    EXPECT_EQ(last.errors, 1);
    EXPECT_EQ(app.scene.sky.haze, 9); // the next line still runs
    EXPECT_EQ(ui.reports, (std::vector<std::string>{tooLong + ":3: a line longer than 65536 characters is not run"}));
}

// The texture switches set their settings and say nothing.
TEST_F(Runner, TextureSwitchesRunSilently)
{
    const std::string path =
        write("later.scr", kHead + "ShadeTextureLow\nTreeTextureOn\nTreeTextureOff\nShadeTextureHigh\n");
    EXPECT_EQ(runFile(path), 1);
    EXPECT_EQ(last.errors, 0);
    EXPECT_EQ(last.failures, 0);
    EXPECT_TRUE(ui.reports.empty());
    EXPECT_EQ(app.scene.texture.shadeLevel, 3);
    EXPECT_EQ(app.scene.texture.kind, 2);
    EXPECT_EQ(app.scene.trees.texture, 0);
}

TEST_F(Runner, StopsAfterTheLastFrameNumber)
{
    std::string body;
    for (int i = 0; i < kLastScriptFrame + 3; ++i) body += "Render\n";
    const std::string path = write("many.scr", kHead + body);
    EXPECT_EQ(runFile(path, true, kLastScriptFrame), 1);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].frame, kLastScriptFrame);
}

TEST_F(Runner, GeneratesALandscapeFromAScript)
{
    const std::string path = write("gen.scr", kHead + "FeatureSize2\nGenerateFractal 123456789\nTreeLine 49.9\n");
    ASSERT_EQ(runFile(path), 1);
    EXPECT_EQ(app.landscape.name, "Fractal ISLAND #123456789");
    EXPECT_EQ(app.scene.generation.seed, 123456789u);
    EXPECT_EQ(app.scene.colouring.treeLine, 49);
}

} // namespace
} // namespace kalvenor

namespace kalvenor {
namespace {

// In the window a script asks before its first Spawn; the answer holds for
// the rest of that run, and the next run asks again.
TEST_F(Runner, TheWindowAsksBeforeAScriptsFirstSpawn)
{
    app.askBeforeSpawn = true;
    const std::string made = write("made", "");
    std::filesystem::remove(made);
    const std::string path = write("spawn.scr", kHead + "Spawn touch " + made + "\nSpawn true\n");
    ui.askAnswers = {false};
    EXPECT_EQ(runFile(path), 1);
    EXPECT_EQ(ui.questions, std::vector<std::string>{"Let the script start a program? touch " + made + " [Allow|Refuse]"});
    EXPECT_FALSE(std::filesystem::exists(made));
    EXPECT_EQ(last.failures, 2); // both lines refused, each said so

    ui.questions.clear();
    ui.askAnswers = {true};
    EXPECT_EQ(runFile(path), 1);
    EXPECT_EQ(ui.questions.size(), 1u); // asked once for the whole run
    EXPECT_TRUE(std::filesystem::exists(made));
    EXPECT_EQ(last.failures, 0);
}

} // namespace
} // namespace kalvenor
