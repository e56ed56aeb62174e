// The window's command dispatch without a window: every identifier of the
// table reaches its operation or says plainly that it is not built yet.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <memory>

#include "app/app.h"
#include "model/landscape.h"
#include "panels/input.h"
#include "base/thread_priority.h"
#include "platform/scripted_frontend.h"
#include "shell/startup.h"
#include "shell/window_commands.h"
#include "shell/window_file_commands.h"

namespace kalvenor {
namespace {

class NoInput : public InputSource {
public:
    int presented = 0;
    std::optional<InputEvent> next() override { return std::nullopt; }
    void present() override { ++presented; }
};

class WindowCommands : public ::testing::Test {
protected:
    std::unique_ptr<App> app = std::make_unique<App>();
    ScriptedFrontend ui;
    NoInput input;
    Surface surface;
    MainPanel main;
    std::unique_ptr<WindowContext> ctx;

    void SetUp() override
    {
        initialiseApp(*app, ui);
        drawMainSurface(surface, main, app->landscape);
        ctx = std::make_unique<WindowContext>(
            WindowContext{*app, ui, input, surface, main, "/nonexistent/", ""});
    }
};

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
    const int built[] = {1061, 1075, 1132, 1283, 1284, 1285, 1286, 1287, 1288, 1289, 1290, 1291, 1293, 1294,
                         1295, 1296, 1297, 1409, 1410};
    for (const int id : ids) {
        ui.statuses.clear();
        ctx->quit = false;
        const int result = runWindowCommand(*ctx, id);
        const std::span<const int> files = fileCommandIds();
        const bool isBuilt = std::find(std::begin(built), std::end(built), id) != std::end(built) ||
                             std::find(files.begin(), files.end(), id) != files.end();
        if (isBuilt) {
            EXPECT_NE(result, kCommandNotBuilt) << id;
        } else {
            EXPECT_EQ(result, kCommandNotBuilt) << id;
            ASSERT_FALSE(ui.statuses.empty()) << id;
            EXPECT_EQ(ui.statuses.back(), "not available yet: command " + std::to_string(id));
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

} // namespace
} // namespace kalvenor
