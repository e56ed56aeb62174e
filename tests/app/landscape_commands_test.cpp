#include <gtest/gtest.h>

#include "app/app.h"
#include "app/landscape_commands.h"
#include "files/landscape_file.h"
#include "model/colour_scheme.h"
#include "model/scene_reset.h"
#include "platform/scripted_frontend.h"
#include "support/temp_dir.h"

namespace kalvenor {
namespace {

using kalvenor::testing::TempDir;

App& smallApp(App& app)
{
    resizeLandscape(app.landscape, app.random, kSmallGrid, kSmallGrid);
    computeElevationStatistics(app.landscape);
    return app;
}

TEST(LandscapeCommands, OpenLandscapeResetsOnlyAfterAFileWithoutSettings)
{
    TempDir dir("open");
    App app;
    smallApp(app);
    ScriptedFrontend ui;
    app.landscape.elevation[3][4] = 321;
    ASSERT_EQ(saveDem(app, dir / "a.dem", ui), Outcome::Done);
    app.scene.sky.haze = 77;
    ASSERT_EQ(saveSession(app, dir / "b.k4s", ui), Outcome::Done);

    App other;
    smallApp(other);
    other.scene.colouring.seaLevel = 9;
    ui.fileAnswers = {dir / "a.dem"};
    EXPECT_EQ(openLandscapeCommand(other, ui).loaded, Loaded::Landscape);
    EXPECT_EQ(ui.fileRequests.back().title, "Load Kalvenor Landscape");
    EXPECT_EQ(ui.fileRequests.back().pattern, "*.K4S;*.DEM");
    EXPECT_EQ(other.landscape.elevation[3][4], 321);
    EXPECT_EQ(other.scene.colouring.seaLevel, 0); // the new-landscape reset ran

    ui.fileAnswers = {dir / "b.k4s"};
    EXPECT_EQ(openLandscapeCommand(other, ui).loaded, Loaded::WithSettings);
    EXPECT_EQ(other.scene.sky.haze, 77);
    EXPECT_EQ(openLandscapeCommand(other, ui).outcome, Outcome::Cancelled); // requester cancelled
}

TEST(LandscapeCommands, LoadSchemeTriesTheOldLayoutThenTheNew)
{
    TempDir dir("scheme");
    App app;
    smallApp(app);
    ScriptedFrontend ui;
    app.scene.colourScheme[4 * 40 + 1] = 11;
    ASSERT_EQ(saveDem(app, dir / "old.dem", ui), Outcome::Done);
    app.scene.colourScheme[4 * 40 + 1] = 22;
    ASSERT_EQ(saveScheme(app, dir / "new.scm", ui), Outcome::Done);

    App other;
    smallApp(other);
    ui.fileAnswers = {dir / "old.dem"};
    EXPECT_EQ(loadSchemeCommand(other, ui), Outcome::Done);
    EXPECT_EQ(other.scene.colourScheme[4 * 40 + 1], 11);
    ui.fileAnswers = {dir / "new.scm"};
    EXPECT_EQ(loadSchemeCommand(other, ui), Outcome::Done);
    EXPECT_EQ(other.scene.colourScheme[4 * 40 + 1], 22);
    EXPECT_EQ(other.landscape.paletteStale, 1);
    testing::writeFile(dir / "junk.scm", std::string(3000, 'j'));
    ui.fileAnswers = {dir / "junk.scm"};
    EXPECT_EQ(loadSchemeCommand(other, ui), Outcome::Failed);
    EXPECT_EQ(other.scene.colourScheme[4 * 40 + 1], 22);
}

} // namespace
} // namespace kalvenor
