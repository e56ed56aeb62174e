// The window's command dispatch without a window: every identifier of the
// table reaches its operation or says plainly that it is not built yet.
#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <thread>
#include <fstream>
#include <chrono>
#include <filesystem>
#include <memory>

#include "app/app.h"
#include "model/landscape.h"
#include "path/path_dynamics.h"
#include "panels/input.h"
#include "panels/key_codes.h"
#include "codecs/pcx.h"
#include "script/interpreter.h"
#include "base/thread_priority.h"
#include "platform/scripted_frontend.h"
#include "shell/startup.h"
#include "shell/control_panels.h"
#include "shell/window_commands.h"
#include "shell/window_file_commands.h"
#include "window_fixture.h"
#include "shell/map_commands.h"

namespace kalvenor {
namespace {

using WindowCommands = WindowFixture;

TEST_F(WindowCommands, EveryIdentifierReachesItsOperationOrSaysItIsNotBuilt)
{
    const std::vector<int> ids = windowCommandIds();
    ASSERT_TRUE(std::is_sorted(ids.begin(), ids.end()));
    // Every gadget and menu item of the main window is in the table.
    for (const Gadget& g : mainWindowGadgets()) {
        if (g.kind == kGadgetMenu) {
            for (const MenuItem& item : g.items) {
                if (item.id != 0) {
                    EXPECT_TRUE(isWindowCommand(item.id)) << item.id;
                }
            }
        } else {
            EXPECT_TRUE(isWindowCommand(g.id)) << g.id;
        }
    }
    ui.numberAnswers.assign(100, std::nullopt); // the priority command is asked and cancelled
    // Built: these, the file commands, and panel controls such as the camera fields and feature sizes.
    std::vector<int> built = {1061, 1075, 1132, 1283, 1284, 1285, 1286, 1287, 1288, 1289, 1290, 1291, 1293, 1294,
                              1295, 1296, 1297, 1409, 1410, 1047, 1068, 1700, 1084, 1085, 1086, 1268, 1269, 1270, 1271, 1272, 1170, 1176, 1182, 1217, 1220, 1282, 1091,
                              67125, 67382, 67896, 68153, 68400, 70245};
    for (const int id : fileCommandIds()) built.push_back(id);
    for (const int id : mapCommandIds()) built.push_back(id);
    const std::span<const int> controls = controlIds();
    for (const int id : ids) {
        ui.statuses.clear();
        ctx->quit = false;
        const int result = runWindowCommand(*ctx, id);
        const bool notYet = !ui.statuses.empty() && ui.statuses.back() == "not available yet: command " + std::to_string(id);
        if (std::find(built.begin(), built.end(), id) != built.end()) {
            EXPECT_NE(result, kCommandNotBuilt) << id;
            EXPECT_FALSE(notYet) << id;
        } else if (result == kCommandNotBuilt) {
            EXPECT_TRUE(notYet) << id; // said plainly
        } else {
            // Any other command that runs is a panel control with its operation.
            EXPECT_NE(std::find(controls.begin(), controls.end(), id), controls.end()) << id;
        }
    }
    EXPECT_EQ(runWindowCommand(*ctx, 4242), 0); // no such command: nothing
}

TEST_F(WindowCommands, RenderShowsTheRenderWindowAndDisplayShowsItAgain)
{
    EXPECT_EQ(runWindowCommand(*ctx, 1132), 0); // nothing rendered yet
    EXPECT_EQ(ui.statuses.back(), "No image yet: Render makes one.");
    ui.windowEvents.clear();
    EXPECT_EQ(runWindowCommand(*ctx, 1061), 1);
    EXPECT_EQ(ui.windowEvents, (std::vector<std::string>{"busy", "render started", "render ended", "idle"}));
    EXPECT_EQ(ui.statuses.back().rfind("Rendered 320 x 200: ", 0), 0u) << ui.statuses.back();
    ui.windowEvents.clear();
    EXPECT_EQ(runWindowCommand(*ctx, 1132), 1);
    EXPECT_EQ(ui.windowEvents, (std::vector<std::string>{"image shown"}));

    // An aborted render keeps its partial image and says so.
    ui.abortOnPoll = 3;
    ui.polls = 0;
    EXPECT_EQ(runWindowCommand(*ctx, 1061), -1);
    EXPECT_EQ(ui.statuses.back(), "Render aborted.");
    EXPECT_EQ(ui.windowEvents.back(), "idle");
}

// Set priority: the answer clamped to -1, 0 or 1 (5 is 1, -7 is -1) and
// applied to the thread, or the system's refusal shown; Cancel changes nothing.
TEST(PriorityCommand, AnswersAreClampedToTheThreeLevels)
{
    const struct {
        long answer;
        int level;
    } cases[] = {{5, 1}, {2, 1}, {1, 1}, {0, 0}, {-1, -1}, {-7, -1}, {-2147483647L, -1}};
    for (const auto& c : cases) EXPECT_EQ(clampPriority(c.answer), c.level) << c.answer;
}

TEST_F(WindowCommands, SetPriorityAsksWithTheCurrentLevelAndAppliesTheClampedAnswer)
{
    const int before = threadPriority();
    ui.numberAnswers = {std::nullopt};
    EXPECT_EQ(runWindowCommand(*ctx, 1410), -1);
    EXPECT_EQ(threadPriority(), before);

    // Lowering is always allowed; bringing it back may need a privilege the test does not have.
    ui.numberAnswers = {-7};
    EXPECT_EQ(runWindowCommand(*ctx, 1410), 1);
    EXPECT_EQ(threadPriority(), -1);
    ui.numberAnswers = {5};
    const int raised = runWindowCommand(*ctx, 1410);
    if (raised == 1) {
        EXPECT_EQ(threadPriority(), 1);
    } else {
        EXPECT_EQ(raised, 0);
        ASSERT_FALSE(ui.messages.empty());
        EXPECT_EQ(ui.messages.back().rfind("Could not set the priority: ", 0), 0u) << ui.messages.back();
        EXPECT_EQ(threadPriority(), -1);
    }
    std::string reason;
    setThreadPriority(before, reason);
}

TEST_F(WindowCommands, TabsOpenTheirPanelsExitEndsAndACommandDuringAnotherIsDropped)
{
    EXPECT_EQ(runWindowCommand(*ctx, 1290), 1);
    EXPECT_EQ(main.openTab, 1290);
    ASSERT_TRUE(main.open);
    EXPECT_EQ(main.open->gadgets.front().text, "   Landscape manipulations   ");
    EXPECT_EQ(runWindowCommand(*ctx, 1075), 1);
    EXPECT_TRUE(ctx->quit);

    ctx->running = true; // as while a render pumps the window's events
    EXPECT_EQ(runWindowCommand(*ctx, 1283), 0);
    EXPECT_EQ(main.openTab, 1290);
}

// Save Landscape and Open Landscape through the table: the session comes back
// whole and the map shows the loaded landscape; a declined "Replace" leaves the file alone.
TEST_F(WindowCommands, SaveAndOpenLandscapeThroughTheFileRequester)
{
    const std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) / "window-files";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string session = (dir / "valley.k4s").string();
    app->scene.camera.cameraX = 1234.5f;
    ui.fileAnswers = {session};
    EXPECT_EQ(runWindowCommand(*ctx, 1125), 1);
    ASSERT_TRUE(std::filesystem::exists(session));
    const auto saved = std::filesystem::file_size(session);

    ui.fileAnswers = {session};
    ui.askAnswers = {false}; // "Replace ...?" declined
    EXPECT_EQ(runWindowCommand(*ctx, 1125), -1);
    EXPECT_EQ(ui.questions.back().rfind("Replace ", 0), 0u) << ui.questions.back();
    EXPECT_EQ(std::filesystem::file_size(session), saved);

    refreshMap(*ctx); // the map of the saved landscape, with the saved camera marked
    const std::vector<Colour> flatMap = surface.pixels;
    ASSERT_EQ(resizeLandscape(app->landscape, app->random, kSmallGrid, kSmallGrid), 1);
    app->landscape.elevation[10][10] = 900; // the map has something else to show
    drawMainSurface(surface, main, app->landscape);
    app->scene.camera.cameraX = 0.0f;
    ui.fileAnswers = {session};
    EXPECT_EQ(runWindowCommand(*ctx, 1115), 1);
    EXPECT_FLOAT_EQ(app->scene.camera.cameraX, 1234.5f);
    EXPECT_EQ(surface.pixels, flatMap); // the map redrawn from the loaded landscape
    std::filesystem::remove_all(dir);
}

// The panels' controls set what the script keywords set: a camera field moves
// the camera (and the fields show where the keyword put it), a value out of
// range is refused and the field shows the setting again, radio buttons and
// toggles follow the settings.
TEST_F(WindowCommands, PanelControlsRunTheSettingsKeywords)
{
    ASSERT_EQ(runWindowCommand(*ctx, 1283), 1); // Camera
    ASSERT_TRUE(main.open);
    EXPECT_DOUBLE_EQ(control(1170).number, app->scene.camera.cameraX); // filled at opening

    Gadget& x = control(1170);
    setFieldNumber(x, 1500.25);
    ctx->gadget = &x;
    EXPECT_EQ(runWindowCommand(*ctx, 1170), 1);
    EXPECT_FLOAT_EQ(app->scene.camera.cameraX, 1500.25f);
    // The camera was re-aimed at the target: the angle fields show it.
    EXPECT_NE(app->scene.camera.heading, 0.0f);
    EXPECT_EQ(control(1181).value, std::lround(app->scene.camera.heading));
    EXPECT_EQ(control(1183).value, std::lround(app->scene.camera.pitch));

    const float before = app->scene.camera.cameraX;
    setFieldNumber(x, 1e12); // beyond the camera's range: a failed line, the field shows the setting again
    EXPECT_EQ(runWindowCommand(*ctx, 1170), 0);
    EXPECT_FLOAT_EQ(app->scene.camera.cameraX, before);
    EXPECT_DOUBLE_EQ(control(1170).number, before);
    ASSERT_FALSE(ui.reports.empty());

    // Lock X: CameraX changes nothing on that axis.
    ctx->gadget = &control(1164);
    EXPECT_EQ(runWindowCommand(*ctx, 1164), 1);
    EXPECT_EQ(control(1164).state, 1);
    setFieldNumber(control(1170), 10.0);
    ctx->gadget = &control(1170);
    runWindowCommand(*ctx, 1170);
    EXPECT_FLOAT_EQ(app->scene.camera.cameraX, before);

    ctx->gadget = &control(1164); // Lock X off again
    EXPECT_EQ(runWindowCommand(*ctx, 1164), 1);
    EXPECT_EQ(control(1164).state, 0);
    // Height above ground puts the camera that high over the ground under it;
    // the camera-target distance moves the target along the line of sight.
    setFieldNumber(control(1173), 100.0);
    ctx->gadget = &control(1173);
    EXPECT_EQ(runWindowCommand(*ctx, 1173), 1);
    const CameraSettings& cam = app->scene.camera;
    EXPECT_NEAR(cam.cameraZ, groundElevation(app->landscape, cam.cameraX, cam.cameraY) + 100.0, 0.01);
    EXPECT_NEAR(control(1173).number, 100.0, 0.01);
    const double heading = cam.heading;
    setFieldValue(control(1177), 500);
    ctx->gadget = &control(1177);
    EXPECT_EQ(runWindowCommand(*ctx, 1177), 1);
    EXPECT_NEAR(std::hypot(cam.targetX - cam.cameraX, cam.targetY - cam.cameraY, cam.targetZ - cam.cameraZ), 500.0,
                0.05);
    EXPECT_NEAR(cam.heading, heading, 0.01); // still looking the same way
    // The lens presets are a radio pair over the focal length.
    ctx->gadget = &control(1221);
    EXPECT_EQ(runWindowCommand(*ctx, 1221), 1);
    EXPECT_EQ(cam.focalLength, 16);
    EXPECT_EQ(control(1221).state, 1);
    EXPECT_EQ(control(1222).state, 0);
    EXPECT_EQ(control(1223).value, 16);

    // The auto exposure toggle: the button's new state picks the keyword.
    Gadget& exposure = control(1282);
    EXPECT_EQ(exposure.state, 1);
    exposure.state = 0; // as the button leaves it when clicked
    ctx->gadget = &exposure;
    EXPECT_EQ(runWindowCommand(*ctx, 1282), 1);
    EXPECT_EQ(app->scene.lighting.autoExposure, 0);

    // The sun picker asks the direction as x, y, z and places the sun there.
    ASSERT_EQ(runWindowCommand(*ctx, 1284), 1); // Light
    ui.numbersAnswers = {std::vector<double>{0.0, 1.0, 1.0}}; // north, 45 degrees up
    ctx->gadget = &control(1150);
    EXPECT_EQ(runWindowCommand(*ctx, 1150), 1);
    EXPECT_EQ(ui.offeredNumbers.back(), (std::vector<double>{0.707, 0.0, 0.707})); // it stood east, 45 degrees up
    EXPECT_NEAR(app->scene.lighting.sunAzimuth, 0.0, 0.01);
    EXPECT_NEAR(app->scene.lighting.sunDeclination, 45.0, 0.01);
    EXPECT_EQ(control(1064).state, 1); // the N preset lights up: that is where the sun now is
    // The strata tilt needs a direction; it is kept as a unit vector.
    ASSERT_EQ(runWindowCommand(*ctx, 1286), 1); // Terrain
    ctx->gadget = &control(1250);
    ui.numbersAnswers = {std::vector<double>{0.0, 0.0, 0.0}};
    EXPECT_EQ(runWindowCommand(*ctx, 1250), 0);
    ui.numbersAnswers = {std::vector<double>{0.0, 3.0, 4.0}};
    EXPECT_EQ(runWindowCommand(*ctx, 1250), 1);
    EXPECT_FLOAT_EQ(app->scene.colouring.strataTilt[1], 0.6f);
    EXPECT_FLOAT_EQ(app->scene.colouring.strataTilt[2], 0.8f);

    // Image: a preset size from the drop-down, the palettized display and back, the display options.
    ASSERT_EQ(runWindowCommand(*ctx, 1294), 1);
    ctx->gadget = nullptr;
    EXPECT_EQ(runWindowCommand(*ctx, 1021), 1);
    EXPECT_EQ(app->geometry.width, 1024);
    EXPECT_EQ(control(1048).value, 1024);
    EXPECT_EQ(app->geometry.displayDepth, 24);
    EXPECT_EQ(runWindowCommand(*ctx, 1024), 1);
    EXPECT_EQ(app->geometry.displayDepth, 8);
    EXPECT_EQ(app->geometry.width, 1024);
    EXPECT_EQ(control(1024).state, 1);
    EXPECT_EQ(runWindowCommand(*ctx, 1024), 1);
    EXPECT_EQ(app->geometry.displayDepth, 24);
    ui.choiceAnswers = {1, 3}; // 640 x 400 in 24 bits: not offered
    EXPECT_EQ(runWindowCommand(*ctx, 1043), 0);
    EXPECT_EQ(ui.messages.back(), "That size is offered in 8 bits only.");
    ui.choiceAnswers = {2, 0}; // 640 x 480 in 8 bits
    EXPECT_EQ(runWindowCommand(*ctx, 1043), 1);
    EXPECT_EQ(app->geometry.width, 640);
    EXPECT_EQ(app->geometry.displayDepth, 8);

    // Creation: a feature size is a radio group that follows the setting.
    ASSERT_EQ(runWindowCommand(*ctx, 1291), 1);
    ctx->gadget = &control(1219);
    EXPECT_EQ(runWindowCommand(*ctx, 1219), 1);
    EXPECT_EQ(app->scene.generation.featureSize, 4);
    EXPECT_EQ(control(1219).state, 1);
    EXPECT_EQ(control(1217).state, 0);
    // The seed field generates the landscape of that seed.
    setFieldValue(control(1060), 4242);
    ctx->gadget = &control(1060);
    EXPECT_EQ(runWindowCommand(*ctx, 1060), 1);
    EXPECT_EQ(app->scene.generation.seed, 4242u);
    EXPECT_EQ(app->landscape.name.rfind("Fractal ", 0), 0u) << app->landscape.name;
}

// Every tab's panel: its controls lie inside the panel, none over another, and
// every control that reports reaches the command table.
TEST_F(WindowCommands, PanelLayoutsFitAndEveryControlReachesTheTable)
{
    const int tabs[] = {1283, 1284, 1285, 1286, 1287, 1288, 1289, 1290, 1291, 1293, 1294, 1295, 1296, 1297};
    for (const int tab : tabs) {
        ASSERT_EQ(runWindowCommand(*ctx, tab), 1) << tab;
        ASSERT_TRUE(main.open);
        const PanelInstance& panel = *main.open;
        ASSERT_GT(panel.gadgets.size(), 3u) << tab;
        for (std::size_t i = 0; i < panel.gadgets.size(); ++i) {
            const Gadget& g = panel.gadgets[i];
            EXPECT_GE(g.x0, 2) << tab << " " << g.text;
            EXPECT_LE(g.x1, panel.width - 3) << tab << " " << g.text;
            EXPECT_LE(g.y1, panel.height - 3) << tab << " " << g.text;
            if (g.id != 0) {
                EXPECT_TRUE(isWindowCommand(g.id)) << tab << " " << g.id;
            }
            for (std::size_t j = i + 1; j < panel.gadgets.size(); ++j) {
                const Gadget& h = panel.gadgets[j];
                const bool apart = g.x1 < h.x0 || h.x1 < g.x0 || g.y1 < h.y0 || h.y1 < g.y0;
                EXPECT_TRUE(apart) << tab << ": \"" << g.text << "\" (" << g.id << ") over \"" << h.text << "\" ("
                                   << h.id << ")";
            }
        }
    }
}

// Spawn DOS starts a terminal beside the window and does not wait for it;
// without one it says so.
TEST_F(WindowCommands, SpawnDosStartsATerminalOrSaysThereIsNone)
{
    const std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) / "terminal";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string marker = (dir / "started").string();
    {
        std::ofstream script(dir / "x-terminal-emulator");
        script << "#!/bin/sh\nsleep 1\necho started > '" << marker << "'\n";
    }
    std::filesystem::permissions(dir / "x-terminal-emulator", std::filesystem::perms::owner_all);
    const char* oldPath = std::getenv("PATH");
    const std::string saved = oldPath != nullptr ? oldPath : "";
    ::setenv("PATH", (dir.string() + ":" + saved).c_str(), 1);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(runWindowCommand(*ctx, 1068), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(900)); // not waited for
    for (int i = 0; i < 100 && !std::filesystem::exists(marker); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(std::filesystem::exists(marker));

    ::setenv("PATH", dir.string().c_str(), 1); // neither terminal nor xterm here
    std::filesystem::remove(dir / "x-terminal-emulator");
    EXPECT_EQ(runWindowCommand(*ctx, 1068), 0);
    EXPECT_EQ(ui.messages.back(), "No terminal program was found (x-terminal-emulator or xterm).");
    ::setenv("PATH", saved.c_str(), 1);
    std::filesystem::remove_all(dir);
}

// The menus' export, palette and view commands: ASCII Z through the file
// requester (extension added, the subsample rate asked), a palette installed
// from a PCX file, and the image turned into ground colours.
TEST_F(WindowCommands, AsciiZPaletteAndViewCommands)
{
    const std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) / "window-menus";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    Landscape& land = app->landscape;
    ASSERT_EQ(resizeLandscape(land, app->random, kSmallGrid, kSmallGrid), 1);
    for (int r = 0; r < land.gridHeight; ++r)
        for (int c = 0; c < land.gridWidth; ++c) land.elevation[r][c] = 0;
    land.elevation[0][0] = -5, land.elevation[0][128] = 77, land.elevation[256][256] = 1200;

    ui.fileAnswers = {(dir / "grid").string()};
    ui.numberAnswers = {128};
    EXPECT_EQ(runWindowCommand(*ctx, 1127), 1);
    std::ifstream text(dir / "grid.TXT", std::ios::binary);
    const std::string written((std::istreambuf_iterator<char>(text)), std::istreambuf_iterator<char>());
    EXPECT_EQ(written, "-5 77 0 \r\n0 0 0 \r\n0 0 1200 \r\n");
    ui.fileAnswers = {(dir / "other.txt").string()};
    ui.numberAnswers = {std::nullopt}; // the subsample rate cancelled: nothing written
    EXPECT_EQ(runWindowCommand(*ctx, 1127), -1);
    EXPECT_FALSE(std::filesystem::exists(dir / "other.txt"));

    // Load palette: the file's palette becomes the display palette and the next render keeps it.
    DisplayPalette filePalette;
    for (std::size_t i = 0; i < 256; ++i)
        filePalette.entries[4 * i + 1] = static_cast<std::uint8_t>(i), filePalette.entries[4 * i + 3] = 9;
    ImagePlane<std::uint8_t> tiny;
    ASSERT_TRUE(tiny.allocate(4, 2));
    const std::string pcx = (dir / "pal.pcx").string();
    ASSERT_EQ(savePcx(tiny, {4, 2}, filePalette, pcx), ImageStatus::Ok);
    land.paletteStale = 1;
    ui.fileAnswers = {pcx};
    EXPECT_EQ(runWindowCommand(*ctx, 1122), 1);
    EXPECT_EQ(app->palette.entries, filePalette.entries);
    EXPECT_EQ(land.paletteStale, 0);
    // A file without the palette marker changes nothing and says so.
    {
        std::fstream f(pcx, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(static_cast<std::streamoff>(std::filesystem::file_size(pcx) - 769));
        f.put(0);
    }
    app->palette = DisplayPalette{};
    ui.fileAnswers = {pcx};
    EXPECT_EQ(runWindowCommand(*ctx, 1122), 0);
    EXPECT_EQ(ui.messages.back(), pcx + " holds no 256-colour palette.");
    EXPECT_EQ(app->palette.entries, DisplayPalette{}.entries);

    // View as ground colours: no image, no question; with one, the image's top row is the grid's last.
    app->images.vidmem8.release();
    const std::size_t asked = ui.questions.size();
    EXPECT_EQ(runWindowCommand(*ctx, 1262), 0);
    EXPECT_EQ(ui.messages.back(), kNoImageToConvert);
    EXPECT_EQ(ui.questions.size(), asked);
    ASSERT_TRUE(app->images.vidmem8.allocate(2, 2));
    app->images.vidmem8[0][0] = 2, app->images.vidmem8[0][1] = 7;  // terrain types "3" and "2"
    app->images.vidmem8[1][0] = 12, app->images.vidmem8[1][1] = 0; // "<" in the second byte; 0 keeps the cell
    for (int r = 0; r < land.terrain.height; ++r)
        for (int c = 0; c < land.terrain.width; ++c) land.terrain[r][c] = 0x4141;
    const int top = land.terrain.height - 1, right = land.terrain.width - 1;
    ui.askAnswers = {true}; // "Terrain Type"
    EXPECT_EQ(runWindowCommand(*ctx, 1262), 1);
    EXPECT_EQ(ui.questions.back(), "Convert as terrain type or colors? [Terrain Type|Colors]");
    EXPECT_EQ(land.terrain[top][0], 0x4133);
    EXPECT_EQ(land.terrain[top][right], 0x4132);
    EXPECT_EQ(land.terrain[0][0], 0x3C41);
    EXPECT_EQ(land.terrain[0][right], 0x4141);
    std::filesystem::remove_all(dir);
}

// The keys of the main window that edit the landscape: "5" rotates (three
// more turns give the starting interior back); "e" without an image says so.
TEST_F(WindowCommands, KeysRunTheirManipulations)
{
    EXPECT_EQ(keyCommand(keyResult('5')), 67125);
    EXPECT_EQ(keyCommand(keyResult('0')), 68400);
    EXPECT_EQ(keyCommand(keyResult('E')), 70245);
    EXPECT_EQ(keyCommand(keyResult(kKeyMinus)), 0);
    EXPECT_EQ(keyCommand(keyResult('x')), 0);

    Landscape& land = app->landscape;
    ASSERT_EQ(resizeLandscape(land, app->random, kSmallGrid, kSmallGrid), 1);
    for (int r = 0; r < land.gridHeight; ++r)
        for (int c = 0; c < land.gridWidth; ++c) land.elevation[r][c] = static_cast<std::int16_t>((r * 7 + c * 3) % 900);
    const auto at = [&](int r, int c) { return land.elevation[r][c]; };
    const std::int16_t corner = at(0, 1);
    EXPECT_EQ(runWindowCommand(*ctx, keyCommand(keyResult('5'))), 1);
    EXPECT_NE(at(0, 1), corner);
    for (int i = 0; i < 3; ++i) ASSERT_EQ(executeLine(*app, ui, "Rotate"), LineResult::Done);
    for (int r = 0; r < land.sizeY; ++r)
        for (int c = 0; c < land.sizeX; ++c) ASSERT_EQ(at(r, c), static_cast<std::int16_t>((r * 7 + c * 3) % 900)) << r << "," << c;

    app->images.vidmem8.release();
    const std::size_t asked = ui.questions.size();
    EXPECT_EQ(runWindowCommand(*ctx, 70245), 0);
    EXPECT_EQ(ui.messages.back(), kNoImageToConvert);
    EXPECT_EQ(ui.questions.size(), asked);
}

// The quality presets run their scripts and the Image panel shows the sizes
// they set; a missing preset says which file it looked for. On the VR panel
// every press of a view direction or an eye leaves exactly one of its group on.
TEST_F(WindowCommands, QualityPresetsFillTheSizeFieldsAndRadioGroupsKeepOneOn)
{
    const std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) / "window-iq";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "iq_low.scr") << "Kalve Script File\nLow quality\nAntialiasOff\nImageSize 400 300\n";
    app->dirs.imageQuality = dir.string();
    ASSERT_EQ(runWindowCommand(*ctx, 1294), 1); // Image
    EXPECT_EQ(runWindowCommand(*ctx, 1268), 1);
    EXPECT_EQ(control(1048).value, 400);
    EXPECT_EQ(control(1049).value, 300);
    EXPECT_EQ(control(1279).state, 0); // antialiasing off
    EXPECT_EQ(runWindowCommand(*ctx, 1269), 0);
    EXPECT_EQ(ui.messages.back(), "Error opening file: \"" + (dir / "iq_med.scr").string() + "\"");
    EXPECT_EQ(control(1048).value, 400);

    ASSERT_EQ(runWindowCommand(*ctx, 1293), 1); // VR Control
    const auto onIn = [&](std::initializer_list<int> group) {
        int on = 0;
        for (const int id : group) on += control(id).state != 0 ? 1 : 0;
        return on;
    };
    for (const int id : {1230, 1227, 1229, 1228, 1230, 1226, 1224, 1225}) {
        ctx->gadget = &control(id);
        EXPECT_EQ(runWindowCommand(*ctx, id), 1) << id;
        EXPECT_EQ(control(id).state, 1) << id;
        EXPECT_EQ(onIn({1227, 1228, 1229, 1230}), 1) << id;
        EXPECT_EQ(onIn({1224, 1225, 1226}), 1) << id;
    }
    EXPECT_EQ(app->scene.camera.lensDirection, kLensAstern);
    EXPECT_EQ(app->scene.camera.stereoLens, kLensCenter);
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace kalvenor
