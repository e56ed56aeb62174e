#include "shell/window_commands.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>

#include "app/app.h"
#include "app/render_driver.h"
#include "base/frontend.h"
#include "base/run_program.h"
#include "base/thread_priority.h"
#include "panels/input.h"
#include "panels/requesters.h"
#include "panels/toolkit.h"
#include "shell/control_panels.h"
#include "shell/startup.h"
#include "shell/window_file_commands.h"

namespace kalvenor {

namespace {

// Render (1061): the render window shown for the image size, the frame drawn
// with progress and abort, the image left in the window.
int renderCommand(WindowContext& ctx)
{
    ctx.ui.setBusy(true);
    const Outcome outcome = renderImage(ctx.app, ctx.ui);
    ctx.ui.setBusy(false);
    if (outcome == Outcome::Cancelled) {
        ctx.ui.status("Render aborted.");
        return -1;
    }
    if (outcome != Outcome::Done) return 0;
    const RenderSettings& r = ctx.app.scene.render;
    char text[96];
    std::snprintf(text, sizeof text, "Rendered %d x %d: %d polygons in %.1f s", ctx.app.geometry.width,
                  ctx.app.geometry.height, r.polygonCount, (r.renderEndMillis - r.renderStartMillis) * 0.001);
    ctx.ui.status(text);
    return 1;
}

// Display (1132): the last image shown again.
int displayCommand(WindowContext& ctx)
{
    if (ctx.ui.showImage()) return 1;
    ctx.ui.status("No image yet: Render makes one.");
    return 0;
}

// The start-up script and landscape (1409), then the map and panels again.
int startupCommand(WindowContext& ctx)
{
    ctx.ui.status("  Initializing  ");
    ctx.ui.setBusy(true);
    runStartupScript(ctx.app, ctx.ui, ctx.programDir);
    loadStartupLandscape(ctx.app, ctx.ui, ctx.startupFile, ctx.programDir);
    ctx.ui.setBusy(false);
    drawMainSurface(ctx.surface, ctx.main, ctx.app.landscape);
    ctx.ui.status(ctx.app.landscape.name);
    return 1;
}

// Set priority (1410, also F2): the current level offered, the answer
// clamped to -1, 0 or 1 and applied to the program's thread.
int priorityCommand(WindowContext& ctx)
{
    const std::optional<long> answer = ctx.ui.askNumber("Set priority:", threadPriority());
    if (!answer) return -1;
    std::string reason;
    if (!setThreadPriority(clampPriority(*answer), reason)) {
        ctx.ui.message("Could not set the priority: " + reason + ".");
        return 0;
    }
    return 1;
}

// Viewing options (1047): how the render window shows a render. The dialog's
// three choices are the redraw modes 1 (as drawn), 2 (every N seconds) and 0
// (at the end).
int viewingOptionsCommand(WindowContext& ctx)
{
    RenderSettings& render = ctx.app.scene.render;
    const int choice = render.displayMode == 1 ? 0 : render.displayMode == 2 ? 1 : 2;
    const std::optional<ViewingOptions> chosen = viewingOptionsDialog(
        ctx.surface, ctx.input, ctx.place, {choice, render.redrawSeconds}, ctx.pointerX, ctx.pointerY);
    if (!chosen) return -1;
    constexpr std::int32_t kModes[] = {1, 2, 0};
    render.displayMode = kModes[chosen->choice];
    if (chosen->choice == 1) render.redrawSeconds = static_cast<std::int32_t>(chosen->seconds);
    return 1;
}

// Help (1700): the documentation beside the program, opened by the desktop.
int helpCommand(WindowContext& ctx)
{
    const std::string dir = ctx.programDir;
    for (const std::string& candidate : {dir + "docs/getting-started.md", dir + "../docs/getting-started.md",
                                         dir + "../share/doc/kalvenor/getting-started.md",
                                         std::string("/usr/share/doc/kalvenor/getting-started.md")}) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(candidate, ec)) continue;
        const std::string path = std::filesystem::weakly_canonical(candidate, ec).string();
        if (openWithViewer(path) != 0) {
            ctx.ui.message("Could not open the documentation (" + path + ") with xdg-open.");
            return 0;
        }
        ctx.ui.status("Opened " + path);
        return 1;
    }
    ctx.ui.message("The documentation was not found beside the program (docs/getting-started.md).");
    return 0;
}

int tabCommand(WindowContext& ctx, int id)
{
    openTab(ctx.surface, ctx.main, id, panelControls(id, ctx.app));
    ctx.input.present();
    return 1;
}

int exitCommand(WindowContext& ctx)
{
    ctx.quit = true;
    return 1;
}

using Operation = int (*)(WindowContext&, int);

struct CommandRow {
    int id;
    Operation run; // nullptr: not built yet
};

// The table, in identifier order. Rows without an operation name commands of
// the panels and menus whose operations come with them.
constexpr int kTabIds[] = {1283, 1284, 1285, 1286, 1287, 1288, 1289, 1290, 1291, 1293, 1294, 1295, 1296, 1297};

std::vector<CommandRow> commandTable()
{
    std::vector<CommandRow> rows = {
        {1061, [](WindowContext& c, int) { return renderCommand(c); }},
        {1047, [](WindowContext& c, int) { return viewingOptionsCommand(c); }},
        {1075, [](WindowContext& c, int) { return exitCommand(c); }},
        {1132, [](WindowContext& c, int) { return displayCommand(c); }},
        {1409, [](WindowContext& c, int) { return startupCommand(c); }},
        {1410, [](WindowContext& c, int) { return priorityCommand(c); }},
        {1700, [](WindowContext& c, int) { return helpCommand(c); }},
    };
    for (const int id : kTabIds) rows.push_back({id, [](WindowContext& c, int tab) { return tabCommand(c, tab); }});
    for (const int id : fileCommandIds()) rows.push_back({id, runFileCommand});
    for (const int id : controlIds()) rows.push_back({id, runControl});
    // Every item of the main window's menus and every other gadget reaches the table.
    for (const Gadget& g : mainWindowGadgets()) {
        if (g.kind == kGadgetMenu)
            for (const MenuItem& item : g.items)
                if (item.id != 0) rows.push_back({item.id, nullptr});
        if (g.kind == kGadgetButton || g.kind == kGadgetHSlider || g.kind == kGadgetVScroll) rows.push_back({g.id, nullptr});
    }
    // Stable: of two rows for one identifier, the one listed first stays.
    std::stable_sort(rows.begin(), rows.end(), [](const CommandRow& a, const CommandRow& b) { return a.id < b.id; });
    // An identifier listed twice keeps its first row with an operation.
    std::vector<CommandRow> unique;
    for (const CommandRow& row : rows) {
        if (!unique.empty() && unique.back().id == row.id) {
            if (unique.back().run == nullptr) unique.back().run = row.run;
            continue;
        }
        unique.push_back(row);
    }
    return unique;
}

const std::vector<CommandRow>& table()
{
    static const std::vector<CommandRow> rows = commandTable();
    return rows;
}

const CommandRow* find(int id)
{
    const std::vector<CommandRow>& rows = table();
    const auto it = std::lower_bound(rows.begin(), rows.end(), id, [](const CommandRow& r, int v) { return r.id < v; });
    return it != rows.end() && it->id == id ? &*it : nullptr;
}

} // namespace

int runWindowCommand(WindowContext& ctx, int id)
{
    if (ctx.running) return 0;
    const CommandRow* row = find(id);
    if (row == nullptr) return 0;
    if (row->run == nullptr) {
        ctx.ui.status("not available yet: command " + std::to_string(id));
        return kCommandNotBuilt;
    }
    ctx.running = true;
    const int result = row->run(ctx, id);
    ctx.running = false;
    if (result == kCommandNotBuilt) ctx.ui.status("not available yet: command " + std::to_string(id));
    return result;
}

bool isWindowCommand(int id) { return find(id) != nullptr; }

std::vector<int> windowCommandIds()
{
    std::vector<int> ids;
    for (const CommandRow& row : table()) ids.push_back(row.id);
    return ids;
}

} // namespace kalvenor
