#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "script/animation_output.h"
#include "script_fixture.h"
#include "shell/startup.h"

namespace kalvenor {
namespace {

namespace fs = std::filesystem;

TEST(AnimationOutput, FrameNamesAndBases)
{
    const SeriesOutput tga{"out/fli", ImageFormat::Targa};
    EXPECT_EQ(frameFileName(tga, 0), "out/fli00000.TGA");
    EXPECT_EQ(frameFileName(tga, 42), "out/fli00042.TGA");
    EXPECT_EQ(frameFileName({"x", ImageFormat::Pcx}, 99999), "x99999.PCX");
    EXPECT_EQ(seriesBaseFromChoice("C:\\anim\\flight.tga"), "C:/anim/fli");
    EXPECT_EQ(seriesBaseFromChoice("flight.tga"), "fli");
    EXPECT_EQ(seriesBaseFromChoice("ab"), "ab");
    EXPECT_EQ(animationResultText(RunEnd::Failed, 4, 10), "Error running script! (frame 5 of 10)");
    EXPECT_EQ(animationResultText(RunEnd::Completed, 0, 0), "Script completed successfully.");
}

// The base is the chosen directory and the file name without its extension
// (from the last dot of the name on), cut to three characters.
TEST(AnimationOutput, SeriesBaseFromTheChosenName)
{
    const struct {
        const char* chosen;
        const char* base;
    } cases[] = {
        {"ab.tga", "ab"},
        {"a.b.tga", "a.b"}, // only the last dot starts the extension
        {"x.y.z.tga", "x.y"},
        {"anim.v2/flight", "anim.v2/fli"}, // a dot in a directory is no extension
        {"anim.v2/fl", "anim.v2/fl"},
        {"out/.tga", "out/"},
    };
    for (const auto& c : cases) EXPECT_EQ(seriesBaseFromChoice(c.chosen), c.base) << c.chosen;
}

using Animation = ScriptTest;

TEST_F(Animation, EveryFrameEndingLineWritesOneNumberedImageAndContinuingSkipsThem)
{
    initialiseApp(app, ui);
    app.scene.render.antialias = 0;
    const std::string script = write("flight.scr", "Kalve Script File\ncaption\nGenerateFractal 9\n"
                                                    "3840, 100, 900, 0, 0, -10,\n"
                                                    "3840, 400, 900, 0, 0, -10,\n"
                                                    "RewriteImage\n");
    const SeriesOutput output{(dir / "frames" / "fl").string(), ImageFormat::Png};
    ASSERT_EQ(existingSeriesStart(output, ui), 0);
    ASSERT_EQ(classicRunResult(runAnimation(app, ui, script, output, 0).end), 1);
    for (int n = 0; n < 3; ++n) EXPECT_TRUE(fs::exists(frameFileName(output, n))) << n;
    EXPECT_FALSE(fs::exists(frameFileName(output, 3)));
    EXPECT_EQ(app.scriptProgress.totalFrames, 3);

    // Continue: the three frames are there, so the run starts at frame 3 and makes nothing new.
    ui.askAnswers = {true};
    EXPECT_EQ(existingSeriesStart(output, ui), 3);
    EXPECT_EQ(ui.questions.back(), "Continue existing animation or delete it? [Continue|Delete]");
    // Delete: the old frames go and the run starts at 0.
    ui.askAnswers = {false};
    EXPECT_EQ(existingSeriesStart(output, ui), 0);
    EXPECT_FALSE(fs::exists(frameFileName(output, 0)));
}

TEST_F(Animation, SaveFramesOffRendersWithoutWriting)
{
    initialiseApp(app, ui);
    app.scene.render.antialias = 0;
    const std::string script = write("a.scr", "Kalve Script File\ncaption\nAutoSaveOff\nRender\n");
    const SeriesOutput output{(dir / "no").string(), ImageFormat::Targa};
    ASSERT_EQ(classicRunResult(runAnimation(app, ui, script, output, 0).end), 1);
    EXPECT_FALSE(fs::exists(frameFileName(output, 0)));
}

// Notes the render display mode each time the status line changes.
class DisplayModeWatch : public ScriptedFrontend {
public:
    explicit DisplayModeWatch(const RenderSettings& render) : render_(render) {}
    std::vector<int> modes;
    void status(const std::string& text) override
    {
        modes.push_back(render_.displayMode);
        ScriptedFrontend::status(text);
    }

private:
    const RenderSettings& render_;
};

// Nothing is displayed while a series runs, whatever its outcome; afterwards the
// display mode is back, the bank level and the status line shows the product title.
TEST_F(Animation, DisplayModeIsOffDuringTheRunAndRestoredAfterIt)
{
    initialiseApp(app, ui);
    app.scene.render.antialias = 0;
    const struct {
        const char* script;
        int result;
    } cases[] = {
        {"Kalve Script File\ncaption\nBank 12\nRender\nRewriteImage\n", 1},
        {"Not a script\n", -3},
    };
    for (const auto& c : cases) {
        app.scene.render.displayMode = 1;
        DisplayModeWatch watch(app.scene.render);
        const std::string script = write("d.scr", c.script);
        const SeriesOutput output{(dir / "d").string(), ImageFormat::Targa};
        EXPECT_EQ(classicRunResult(runAnimation(app, watch, script, output, 0).end), c.result) << c.script;
        ASSERT_FALSE(watch.statuses.empty());
        EXPECT_EQ(watch.statuses.back(), kProductTitle);
        watch.modes.pop_back(); // the title is shown once the mode is back
        for (int mode : watch.modes) EXPECT_EQ(mode, 0) << c.script;
        EXPECT_EQ(app.scene.render.displayMode, 1);
        EXPECT_EQ(app.scene.camera.bank, 0.0f);
    }
}

} // namespace
} // namespace kalvenor
