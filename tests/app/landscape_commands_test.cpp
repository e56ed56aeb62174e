#include <gtest/gtest.h>

#include "app/app.h"
#include "app/landscape_commands.h"
#include "files/landscape_file.h"
#include "model/colour_scheme.h"
#include "model/scene_reset.h"
#include "platform/scripted_frontend.h"
#include "script/interpreter.h"
#include "shell/startup.h"
#include "terrain/terrain_preparation.h"
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

namespace kalvenor {
namespace {

// A loaded session's terrain maps are taken as valid at every polygon size, so
// a session saved at a coarse polygon size carries maps made for every cell:
// the same as a render at polygon size 1 makes.
TEST(LandscapeCommands, SessionMapsAreMadeForEveryCellWhateverThePolygonSize)
{
    TempDir dir("maps");
    ScriptedFrontend ui;
    App app;
    initialiseApp(app, ui);
    ASSERT_EQ(executeLine(app, ui, "GenerateFractal 77"), LineResult::Done);
    ASSERT_EQ(executeLine(app, ui, "PolygonSize4"), LineResult::Done);
    ASSERT_EQ(saveSession(app, dir / "coarse.k4s", ui), Outcome::Done);
    EXPECT_EQ(ui.questions, std::vector<std::string>{"Need to calculate colors/shades [OK|Quit]"});

    App loaded;
    initialiseApp(loaded, ui);
    ASSERT_EQ(loadLandscape(loaded, dir / "coarse.k4s", ui), Loaded::WithSettings);
    EXPECT_EQ(loaded.landscape.polygonSize, 4);

    App reference;
    initialiseApp(reference, ui);
    ASSERT_EQ(executeLine(reference, ui, "GenerateFractal 77"), LineResult::Done);
    ASSERT_EQ(prepareTerrain(reference.landscape, reference.scene, reference.colouring, reference.random, ui), 1);

    const Landscape& a = loaded.landscape;
    const Landscape& b = reference.landscape;
    ASSERT_EQ(a.sizeX, b.sizeX);
    int differing = 0;
    for (int y = 0; y < a.sizeY; ++y)
        for (int x = 0; x < a.sizeX; ++x)
            differing += a.terrain[y][x] != b.terrain[y][x] || a.shadow[y][x] != b.shadow[y][x];
    EXPECT_EQ(differing, 0);
}

} // namespace
} // namespace kalvenor
