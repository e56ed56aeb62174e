#include <gtest/gtest.h>

#include <filesystem>

#include "app/app.h"
#include "app/landscape_commands.h"
#include "base/fatal_error.h"
#include "files/landscape_file.h"
#include "platform/scripted_frontend.h"
#include "shell/startup.h"
#include "support/temp_dir.h"

namespace kalvenor {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using testing::writeFile;

const char* const kHeader = "Kalve Script File\n  CameraX,   CameraY,   CameraZ,      Bank,   Heading,     Pitch,  (delta)\n";

TEST(Startup, InitialisationLeavesFlatlandSeenFromTheOverviewCamera)
{
    App app;
    ScriptedFrontend ui;
    initialiseApp(app, ui);
    const Landscape& land = app.landscape;
    EXPECT_EQ(land.gridWidth, kSmallGrid);
    EXPECT_EQ(land.name, "Flatland");
    EXPECT_EQ(land.highestElevation, 240);
    // Overview: camera over the middle of the north edge, (257 * 1000 / 256) + 240 metres up.
    EXPECT_EQ(app.scene.camera.cameraX, 128 * 30.0f);
    EXPECT_EQ(app.scene.camera.cameraY, 0.0f);
    EXPECT_EQ(app.scene.camera.cameraZ, 1003.0f + 240.0f);
    EXPECT_EQ(app.scene.camera.targetY, 128 * 30.0f);
    // Thresholds one third and two thirds of the way from the lowest point up.
    const int low = land.lowestElevation;
    EXPECT_EQ(app.scene.colouring.treeLine, low + (240 - low) / 3);
    EXPECT_EQ(app.scene.colouring.snowLine, low + 2 * (240 - low) / 3);
    for (const auto mask : app.scene.trees.kindMask) EXPECT_EQ(mask, kTreeOak);
    EXPECT_EQ(app.scene.trees.trees, 0);
    EXPECT_EQ(ui.statuses.front(), "  Initializing  ");
}

TEST(Startup, InitialisationTakesTheStarMapStorage)
{
    App app;
    ScriptedFrontend ui;
    initialiseApp(app, ui);
    EXPECT_EQ(app.sceneDraw.stars.stars.size(), static_cast<std::size_t>(kStarCount));
    EXPECT_FALSE(app.sceneDraw.stars.made); // the stars themselves wait for the first night sky
}

TEST(Startup, MemoryFailuresAtInitialisationEndTheProgramWithTheirCodes)
{
    struct Case {
        const char* what;
        void (*limit)(App&);
        const char* message;
        int exitCode;
    };
    const Case cases[] = {
        {"star map", [](App& app) { app.sceneDraw.stars.budgetBytes = 0; }, "Insufficient memory (starmap)", 20},
        {"landscape", [](App& app) { app.landscape.mapBudgetBytes = 0; }, "Out of memory while resizing landscape.",
         10},
    };
    for (const Case& c : cases) {
        App app;
        ScriptedFrontend ui;
        c.limit(app);
        try {
            initialiseApp(app, ui);
            ADD_FAILURE() << c.what << ": initialisation went on";
        } catch (const FatalError& fatal) {
            EXPECT_STREQ(fatal.what(), c.message) << c.what;
            EXPECT_EQ(fatal.exitCode, c.exitCode) << c.what;
        }
    }
    // The star map comes before the landscape: without it there is no Flatland.
    App app;
    ScriptedFrontend ui;
    app.sceneDraw.stars.budgetBytes = 0;
    EXPECT_THROW(initialiseApp(app, ui), FatalError);
    EXPECT_NE(app.landscape.name, "Flatland");
}

TEST(Startup, DefaultDirectoriesFollowTheSubdirectoriesThatExist)
{
    TempDir root("startup");
    fs::create_directories(root.path / "dem");
    fs::create_directories(root.path / "Script");
    DefaultDirs dirs;
    setDefaultDirectories(dirs, root.path.string());
    const std::string base = root.path.string() + "/";
    EXPECT_EQ(dirs.landscape, base + "dem/"); // found ignoring letter case
    EXPECT_EQ(dirs.script, base + "Script/");
    EXPECT_EQ(dirs.scheme, base);
    EXPECT_EQ(dirs.texture[0], base);
}

TEST(Startup, StartupScriptFromTheFirstDirectoryBeforeTheScriptDirectory)
{
    TempDir root("startup");
    fs::create_directories(root.path / "Script");
    writeFile(root / "Script/STARTUP.SCR", std::string(kHeader) + "Haze 11\n");
    App app;
    ScriptedFrontend ui;
    initialiseApp(app, ui);
    setDefaultDirectories(app.dirs, root.path.string());

    EXPECT_EQ(runStartupScript(app, ui, root.path.string()).end, RunEnd::Completed);
    EXPECT_EQ(app.scene.sky.haze, 11); // only the script directory has one

    writeFile(root / "startup.scr", std::string(kHeader) + "Haze 22\n");
    EXPECT_EQ(runStartupScript(app, ui, root.path.string()).end, RunEnd::Completed);
    EXPECT_EQ(app.scene.sky.haze, 22);
}

TEST(Startup, StartupLandscapeLoadsAndResetsOnlyWhatItMust)
{
    TempDir root("startup");
    App app;
    ScriptedFrontend ui;
    initialiseApp(app, ui);
    setDefaultDirectories(app.dirs, root.path.string());
    EXPECT_EQ(loadStartupLandscape(app, ui, "", root.path.string()), std::nullopt); // nothing there: nothing happens

    // An elevations-only file: loaded, then the new-landscape reset (sea level back to 0).
    app.landscape.elevation[5][5] = 777;
    ASSERT_EQ(saveDem(app, root / "STARTUP.DEM", ui), Outcome::Done);
    app.scene.colouring.seaLevel = 40;
    app.landscape.elevation[5][5] = 0;
    EXPECT_EQ(loadStartupLandscape(app, ui, "", root.path.string()), Loaded::Landscape);
    EXPECT_EQ(app.landscape.elevation[5][5], 777);
    EXPECT_EQ(app.scene.colouring.seaLevel, 0);

    // A missing named file: its message, and the landscape and settings stay.
    app.scene.colouring.seaLevel = 40;
    EXPECT_EQ(loadStartupLandscape(app, ui, root / "missing.k4s", root.path.string()), Loaded::Nothing);
    EXPECT_EQ(app.scene.colouring.seaLevel, 40);
    EXPECT_EQ(app.landscape.elevation[5][5], 777);
    EXPECT_EQ(ui.messages.back(), "Error opening file: \"" + (root / "missing.k4s") + "\"");
}

} // namespace
} // namespace kalvenor
