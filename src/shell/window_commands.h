// The window's command dispatch: a command identifier (a gadget's, a menu
// item's or a key's) to its operation, through one table. Operations that are
// not built yet say so in the status line.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "files/landscape_pcx.h"
#include "panels/altitude_display.h"
#include "panels/main_panel.h"

namespace kalvenor {

struct App;
class Frontend;
class InputSource;

// What the commands work on.
struct WindowContext {
    App& app;
    Frontend& ui;
    InputSource& input;
    Surface& surface;
    MainPanel& main;
    std::string programDir;
    std::string startupFile;  // the start-up file argument
    const Gadget* gadget = nullptr; // the gadget that reported the command, when one did
    int pointerX = kSurfaceWidth / 2, pointerY = kSurfaceHeight / 2; // where the command was chosen
    RequesterPlace place{};         // where the commands' own dialogs stood last
    ElevationPcxSettings elevationPcx{}; // base and interval of the elevation pictures, asked with Shift
    int mapMode = 0;          // the button whose action a click on the map runs, 0 for none
    std::chrono::steady_clock::time_point plotShown{}; // when cells plotted on the map were last shown
    std::string selectedScript{}; // the script Append camera writes to (Select script, New script, Straight flight)
    int straightFrames = 100;   // the frames of a straight flight, asked last
    int lastAnimation = 1099;   // the animation command Render path repeats
    std::optional<PanelInstance> wireBox{}; // the wire-frame view's box while it is open
    AltitudeView altitude{};    // the zoom of the Path panel's altitude display
    // Told of every keyword line a control runs ("keyword LINE"), for a test that replays them in a batch run.
    std::function<void(const std::string&)> trace{};
    bool running = false;     // a command is running: another one arriving meanwhile is dropped
    bool quit = false;        // Exit was chosen
};

// Command results: 1 done, 0 failed or nothing done, -1 cancelled or aborted.
constexpr int kCommandNotBuilt = -2; // the command has no operation yet (said in the status line)

// Runs one command. A command that arrives while another runs is dropped (result 0).
int runWindowCommand(WindowContext& ctx, int id);

// Render (1061): the render window shown for the image size, the frame drawn
// with progress and abort, the image left in the window. 1, 0, or -1 when aborted.
int renderFrame(WindowContext& ctx);

// After a command that changed the landscape (result 1): its statistics, the
// map and the panels drawn again, its name in the status line. Returns result.
int landscapeChanged(WindowContext& ctx, int result);

// The command of a key read from the main window (a gadget-reading result), or 0.
int keyCommand(int keyResultCode);

// True for an identifier the table holds (built or not).
bool isWindowCommand(int id);

// The identifiers the table holds, in order.
std::vector<int> windowCommandIds();

} // namespace kalvenor
