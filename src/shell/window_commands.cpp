#include "shell/window_commands.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <array>
#include <cstdio>
#include <filesystem>

#include "app/app.h"
#include "app/information.h"
#include "app/render_driver.h"
#include "app/default_dirs.h"
#include "base/file_requests.h"
#include "base/frontend.h"
#include "base/run_program.h"
#include "base/thread_priority.h"
#include "panels/font.h"
#include "panels/input.h"
#include "panels/requesters.h"
#include "panels/toolkit.h"
#include "panels/key_codes.h"
#include "script/runner.h"
#include "files/landscape_pcx.h"
#include "terrain/manipulations.h"
#include "shell/animation_commands.h"
#include "shell/control_panels.h"
#include "shell/map_commands.h"
#include "shell/secondary_panels.h"
#include "shell/startup.h"
#include "shell/window_file_commands.h"
#include "shell/wire_view.h"

namespace kalvenor {

namespace {

} // namespace

int renderFrame(WindowContext& ctx)
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

namespace {

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

// Labels one under the other, from the top of a form.
std::vector<Gadget> lines(const std::vector<std::string>& texts, int firstRow = 0)
{
    std::vector<Gadget> out;
    for (std::size_t i = 0; i < texts.size(); ++i)
        out.push_back(Gadget{.kind = kGadgetLabel, .x = 8, .y = (firstRow + static_cast<int>(i)) * 24 + 2,
                             .text = texts[i]});
    return out;
}

// About Kalvenor (1085) and About Image (1086): what there is to know, with OK.
int aboutCommand(WindowContext& ctx, int id)
{
    const bool image = id == 1086;
    const std::vector<std::string> texts =
        image ? imageInformation(ctx.app)
              : std::vector<std::string>{"Kalvenor " KALVENOR_VERSION,
                                         "Landscapes generated, edited, coloured, lit and rendered.",
                                         "Panel font derived from Terminus Font (SIL Open Font License 1.1)."};
    formRequester(ctx.surface, ctx.input, ctx.place, image ? "Image Information" : "About Kalvenor", lines(texts),
                  ctx.pointerX, ctx.pointerY);
    return 1;
}

// About Landscape (1084), the landscape information panel: name, comment and
// UTM coordinates can be edited there; the rest is shown.
int landscapeInformationCommand(WindowContext& ctx)
{
    Landscape& land = ctx.app.landscape;
    const std::vector<std::string> all = landscapeInformation(land);
    std::vector<Gadget> form;
    const auto labelled = [&](int row, const char* label, Gadget field) {
        form.push_back(Gadget{.kind = kGadgetLabel, .x = 8, .y = row * 24 + 2, .text = label});
        field.x = 8 + 16 * kCharWidth;
        field.y = row * 24;
        form.push_back(std::move(field));
    };
    labelled(0, "LandScape Name:", Gadget{.kind = kGadgetText, .id = 1, .text = land.name, .chars = 31});
    labelled(1, "Comment:", Gadget{.kind = kGadgetText, .id = 2, .text = land.comment, .chars = 40});
    form.push_back(Gadget{.kind = kGadgetLabel, .x = 8, .y = 2 * 24 + 2, .text = "UTM Coordinates"});
    Gadget utmX{.kind = kGadgetInteger, .id = 3, .chars = 11}, utmY{.kind = kGadgetInteger, .id = 4, .chars = 11};
    setFieldValue(utmX, land.utmX);
    setFieldValue(utmY, land.utmY);
    labelled(3, "UTM X:", utmX);
    labelled(4, "UTM Y:", utmY);
    for (Gadget& g : lines({all[2], all[3], all[5], all[6]}, 5)) form.push_back(std::move(g));

    const std::optional<std::vector<Gadget>> edited = formRequester(
        ctx.surface, ctx.input, ctx.place, "Landscape Information Panel", std::move(form), ctx.pointerX, ctx.pointerY);
    if (!edited) return -1;
    for (const Gadget& g : *edited) {
        if (g.id == 1) setLandscapeName(land, g.text);
        if (g.id == 2) setLandscapeComment(land, g.text);
        if (g.id == 3) land.utmX = static_cast<std::int32_t>(std::clamp<long>(g.value, INT32_MIN, INT32_MAX));
        if (g.id == 4) land.utmY = static_cast<std::int32_t>(std::clamp<long>(g.value, INT32_MIN, INT32_MAX));
    }
    ctx.ui.status(land.name);
    return 1;
}

// Quality presets (1268 to 1271) run their scripts from the image-quality
// directory; User (1272) asks for one.
int qualityCommand(WindowContext& ctx, int id)
{
    static constexpr const char* kScripts[] = {"iq_low.scr", "iq_med.scr", "iq_hi.scr", "iq_ultra.scr"};
    std::string path;
    if (id == 1272) {
        const std::optional<std::string> chosen =
            askLoadPath(ctx.ui, "Run User IQ script", ctx.app.dirs.imageQuality, "*.SCR");
        if (!chosen) return -1;
        path = *chosen;
    } else {
        path = withTrailingSeparator(ctx.app.dirs.imageQuality) + kScripts[id - 1268];
        std::error_code ec;
        if (!std::filesystem::is_regular_file(path, ec)) {
            ctx.ui.message(fileMessage(kErrorOpeningFile, path));
            return 0;
        }
    }
    ctx.ui.setBusy(true);
    const ScriptOutcome ran = runScript(ctx.app, ctx.ui, path, std::nullopt, 0, nullptr);
    ctx.ui.setBusy(false);
    if (ctx.main.open) {
        fillControls(ctx.main.open->gadgets, ctx.app);
        drawGadgets(ctx.surface, *ctx.main.open);
    }
    ctx.input.present();
    return ran.errors == 0 && ran.failures == 0 ? 1 : 0;
}

// Spawn DOS (1068): a terminal beside the window, in the current directory.
// (The classic program waited for its shell; a window that waits cannot even
// repaint, so the terminal runs on its own and is closed with exit.)
int terminalCommand(WindowContext& ctx)
{
    for (const char* terminal : {"x-terminal-emulator", "xterm"}) {
        if (!programFound(terminal)) continue;
        if (startDetached({terminal}) != 0) break;
        ctx.ui.status("A terminal is open beside the window: type exit to close it.");
        return 1;
    }
    ctx.ui.message("No terminal program was found (x-terminal-emulator or xterm).");
    return 0;
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

constexpr int kPlacementTab = 1295;

// A tab opens its panel and ends the map's click mode. With the Placement
// panel open the map shows the ground colours (worked out first when they are
// not current), elsewhere the elevations.
int tabCommand(WindowContext& ctx, int id)
{
    endMapMode(ctx);
    openTab(ctx.surface, ctx.main, id, panelControls(id, ctx.app));
    const MapDisplay display = id == kPlacementTab ? MapDisplay::GroundColours : MapDisplay::Elevations;
    if (display == MapDisplay::GroundColours && !groundColoursCurrent(ctx.app.landscape)) {
        ctx.ui.setBusy(true);
        colourWholeMap(ctx.app, ctx.ui);
        ctx.ui.setBusy(false);
    }
    ctx.main.map.display = display;
    refreshMap(ctx);
    ctx.input.present();
    return 1;
}

// The keys of the main window that edit the whole landscape. Their codes are
// 65536 + scan code x 256 + character, as the dispatcher has always taken them.
struct KeyRow {
    char character;
    int command;
    const char* keyword; // nullptr: the view conversion
};
constexpr KeyRow kKeyRows[] = {
    {'5', 67125, "Rotate"},        {'6', 67382, "SwapQuads"},      {'8', 67896, "FlipVertical"},
    {'9', 68153, "FlipHorizontal"}, {'0', 68400, "Cloudify"},       {'e', 70245, nullptr},
};

int keyManipulation(WindowContext& ctx, int id)
{
    for (const KeyRow& row : kKeyRows) {
        if (row.command != id) continue;
        if (row.keyword != nullptr) return landscapeChanged(ctx, runKeywordLine(ctx, row.keyword));
        // Convert View to ALT: asked only when there is an image to convert.
        App& app = ctx.app;
        std::optional<ViewConversion> how = ViewConversion::Intensity;
        if (app.images.vidmem8.allocated()) how = askViewConversion(ctx.ui);
        if (!how) return -1;
        return landscapeChanged(ctx, convertViewToAltitude(app.landscape, app.images, app.palette, *how, ctx.ui));
    }
    return 0;
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
        {1061, [](WindowContext& c, int) { return renderFrame(c); }},
        {1047, [](WindowContext& c, int) { return viewingOptionsCommand(c); }},
        {1084, [](WindowContext& c, int) { return landscapeInformationCommand(c); }},
        {1085, aboutCommand},
        {1086, aboutCommand},
        {1068, [](WindowContext& c, int) { return terminalCommand(c); }},
        {1075, [](WindowContext& c, int) { return exitCommand(c); }},
        {1132, [](WindowContext& c, int) { return displayCommand(c); }},
        {1409, [](WindowContext& c, int) { return startupCommand(c); }},
        {1410, [](WindowContext& c, int) { return priorityCommand(c); }},
        {1700, [](WindowContext& c, int) { return helpCommand(c); }},
    };
    for (const int id : kTabIds) rows.push_back({id, [](WindowContext& c, int tab) { return tabCommand(c, tab); }});
    for (const int id : {1268, 1269, 1270, 1271, 1272}) rows.push_back({id, qualityCommand});
    for (const KeyRow& key : kKeyRows) rows.push_back({key.command, keyManipulation});
    // Before the panels' controls: the mode buttons among them are the map's, and some open panels of their own.
    for (const int id : mapCommandIds()) rows.push_back({id, runMapCommand});
    for (const int id : secondaryPanelButtons()) rows.push_back({id, runSecondaryPanel});
    for (const int id : fileCommandIds()) rows.push_back({id, runFileCommand});
    for (const int id : animationCommandIds()) rows.push_back({id, runAnimationCommand});
    for (const int id : scriptFileCommandIds()) rows.push_back({id, runScriptFileCommand});
    for (const int id : wireViewCommandIds()) rows.push_back({id, runWireViewCommand});
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

int landscapeChanged(WindowContext& ctx, int result)
{
    if (result == 1) {
        computeElevationStatistics(ctx.app.landscape);
        ctx.main.marks = mapMarks(ctx);
        drawMainSurface(ctx.surface, ctx.main, ctx.app.landscape);
        ctx.ui.status(ctx.app.landscape.name);
    }
    ctx.input.present();
    return result;
}

int keyCommand(int keyResultCode)
{
    const int code = keyResultCode - keyResult(0);
    if (code <= 0 || code > 0xFF) return 0; // characters only: keys with a scan code are the panels'
    const char c = static_cast<char>(code >= 'A' && code <= 'Z' ? code - 'A' + 'a' : code);
    for (const KeyRow& row : kKeyRows)
        if (row.character == c) return row.command;
    return 0;
}

bool isWindowCommand(int id) { return find(id) != nullptr; }

std::vector<int> windowCommandIds()
{
    std::vector<int> ids;
    for (const CommandRow& row : table()) ids.push_back(row.id);
    return ids;
}

} // namespace kalvenor
