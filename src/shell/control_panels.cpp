#include "shell/control_panels.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>

#include "app/app.h"
#include "base/frontend.h"
#include "panels/font.h"
#include "panels/input.h"
#include "panels/main_panel.h"
#include "script/interpreter.h"
#include "script/keyword_table.h"
#include "shell/window_commands.h"

namespace kalvenor {

namespace {

// The grid: columns of 8 pixels from x = 8, rows of 24 pixels from y = 32 (below the title).
constexpr int kGridLeft = 8, kGridTop = 32, kRowHeight = 24;
constexpr char kLeader = static_cast<char>(0xFA);

// One control of a panel's table. A field's label stands at `column` with dot
// leaders up to `fieldColumn`; a toggle's label likewise, its button showing
// "  Off " or "  On  ".
struct Control {
    int kind = kGadgetButton;
    int id = 0;
    int row = 0, column = 0;
    std::string_view label;
    std::string_view help;
    std::uint32_t flags = 0;
    int fieldColumn = 0;
    int chars = 0;
    int decimals = 0;
    bool toggle = false;
};

constexpr int kFieldAt = 22; // where the fields of a column of them start

// ---- The panels ----

constexpr Control kCamera[] = {
    {.id = 1059, .row = 0, .column = 0, .label = " Place camera ", .help = "Place the camera on the map.", .flags = 1},
    {.id = 1058, .row = 0, .column = 17, .label = " Place target ", .help = "Place the target on the map.", .flags = 1},
    {.kind = kGadgetDecimal, .id = 1170, .row = 1, .label = "Camera X", .help = "Camera X position (meters east).",
     .fieldColumn = kFieldAt, .chars = 11, .decimals = 2},
    {.kind = kGadgetDecimal, .id = 1171, .row = 2, .label = "Camera Y", .help = "Camera Y position (meters north).",
     .fieldColumn = kFieldAt, .chars = 11, .decimals = 2},
    {.kind = kGadgetDecimal, .id = 1172, .row = 3, .label = "Camera Z", .help = "Camera altitude (meters).",
     .fieldColumn = kFieldAt, .chars = 11, .decimals = 2},
    {.kind = kGadgetDecimal, .id = 1174, .row = 4, .label = "Target X", .help = "Target X position (meters east).",
     .fieldColumn = kFieldAt, .chars = 11, .decimals = 2},
    {.kind = kGadgetDecimal, .id = 1175, .row = 5, .label = "Target Y", .help = "Target Y position (meters north).",
     .fieldColumn = kFieldAt, .chars = 11, .decimals = 2},
    {.kind = kGadgetDecimal, .id = 1176, .row = 6, .label = "Target Z", .help = "Target altitude (meters).",
     .fieldColumn = kFieldAt, .chars = 11, .decimals = 2},
    {.kind = kGadgetLabel, .row = 7, .label = "Lock", .help = {}},
    {.id = 1164, .row = 7, .column = 6, .label = "X", .help = "Locks the Camera and Target X coordinate."},
    {.id = 1165, .row = 7, .column = 10, .label = "Y", .help = "Locks the Camera and Target Y coordinate."},
    {.id = 1166, .row = 7, .column = 14, .label = "Z", .help = "Locks the Camera and Target Z coordinate."},
    {.kind = kGadgetDecimal, .id = 1173, .row = 8, .label = "Height above ground",
     .help = "Places camera this many meters above the surface.", .fieldColumn = kFieldAt, .chars = 11, .decimals = 2},
    {.kind = kGadgetInteger, .id = 1177, .row = 9, .label = "Camera-target dist.",
     .help = "Distance from the camera to the target (meters).", .fieldColumn = kFieldAt, .chars = 11},
    {.kind = kGadgetInteger, .id = 1182, .row = 10, .label = "Bank", .help = "Camera bank (degrees).",
     .fieldColumn = kFieldAt, .chars = 11},
    {.kind = kGadgetInteger, .id = 1181, .row = 11, .label = "Heading", .help = "Camera heading (degrees).",
     .fieldColumn = kFieldAt, .chars = 11},
    {.kind = kGadgetInteger, .id = 1183, .row = 12, .label = "Pitch", .help = "Camera pitch (degrees).",
     .fieldColumn = kFieldAt, .chars = 11},
    {.id = 1221, .row = 13, .column = 0, .label = "  Wide angle  ", .help = "Wide angle lens.", .flags = 0x20},
    {.id = 1222, .row = 13, .column = 17, .label = "  Zoom lens   ", .help = "Zoom lens.", .flags = 0x20},
    {.kind = kGadgetInteger, .id = 1223, .row = 14, .label = "Focal length", .help = "Focal length of the lens (mm).",
     .fieldColumn = kFieldAt, .chars = 11},
    {.id = 1282, .row = 15, .label = "Auto exposure", .help = "Automatic exposure of the image.",
     .fieldColumn = kFieldAt + 5, .toggle = true},
    {.id = 1242, .row = 16, .column = 0, .label = "   Walkabout   ", .help = "Position camera by 3D preview."},
};

constexpr Control kCreation[] = {
    {.id = 1069, .row = 0, .column = 0, .label = "Set landscape size", .help = "Choose the size of the landscape grid."},
    {.id = 1215, .row = 1, .column = 0, .label = "Randomize seed", .help = "Create a fractal landscape from a random seed."},
    {.kind = kGadgetInteger, .id = 1060, .row = 2, .label = "Seed", .help = "Create a fractal landscape from this seed.",
     .fieldColumn = 22, .chars = 11},
    {.kind = kGadgetInteger, .id = 1206, .row = 3, .label = "Roughness",
     .help = "Landscape roughness (height of mountains).", .fieldColumn = 22, .chars = 11},
    {.kind = kGadgetLabel, .row = 4, .label = "Feature size", .help = {}},
    {.id = 1217, .row = 4, .column = 16, .label = "1", .help = "Smallest features.", .flags = 0x10},
    {.id = 1218, .row = 4, .column = 20, .label = "2", .help = "Small features.", .flags = 0x10},
    {.id = 1219, .row = 4, .column = 24, .label = "4", .help = "Large features.", .flags = 0x10},
    {.id = 1220, .row = 4, .column = 28, .label = "8", .help = "Largest features.", .flags = 0x10},
    {.id = 1160, .row = 6, .column = 0, .label = "Enlarge section", .help = "Enlarge a section of the landscape."},
    {.id = 1091, .row = 7, .column = 0, .label = "    Smooth     ", .help = "Smooth the landscape."},
    {.id = 1142, .row = 8, .column = 0, .label = "    Erode      ", .help = "Erode the landscape."},
    {.id = 1141, .row = 9, .column = 0, .label = "   Roughen     ", .help = "Add fractal detail to the landscape."},
    {.id = 1143, .row = 10, .column = 0, .label = "   Stretch     ", .help = "Stretch the elevations to the full range."},
};

struct PanelTable {
    int tab;
    std::span<const Control> controls;
};

constexpr PanelTable kPanels[] = {{1283, kCamera}, {1291, kCreation}};

// ---- What the controls drive ----

// A setting a control reads; for buttons, whether it is on.
using Reader = double (*)(const App&);
// A control's own operation, where no keyword does it: 1, 0 or -1.
using Operation = int (*)(WindowContext&, const Gadget&);

struct Binding {
    int id;
    std::string_view keyword;    // run with the field's value, or alone; a toggle's "on" keyword
    std::string_view offKeyword; // a toggle's "off" keyword
    Reader read = nullptr;
    Operation run = nullptr;
};

int toggleLock(WindowContext& ctx, std::int32_t CameraSettings::*lock)
{
    std::int32_t& l = ctx.app.scene.camera.*lock;
    l = l != 0 ? 0 : 1;
    return 1;
}

// Runs a keyword line as a panel's setter: 1 when it did its work, 0 when it
// was refused or failed (the reason reported, as for a script's line).
int runLine(WindowContext& ctx, const std::string& line)
{
    ScriptPlace place;
    const LineResult result = executeLine(ctx.app, ctx.ui, line, place);
    return result == LineResult::Done && place.errors == 0 && place.failures == 0 ? 1 : 0;
}

int chooseLandscapeSize(WindowContext& ctx, const Gadget&)
{
    static constexpr std::array<std::string_view, 5> kKeywords = {"LandscapeSizeSmall", "LandscapeSizeLarge",
                                                                   "LandscapeSizeHuge", "LandscapeSizeMega",
                                                                   "LandscapeSizeAuto"};
    const std::optional<int> size = ctx.ui.choose(
        "Set landscape size", {"Small  258x258", "Large  514x514", "Huge 1026x1026", "Mega 2050x2050", "  Automatic!  "});
    if (!size) return -1;
    return runLine(ctx, std::string(kKeywords[static_cast<std::size_t>(*size)]));
}

int randomSeed(WindowContext& ctx, const Gadget&)
{
    // A seed from the shared random streams, so a session replays the same choice.
    RandomStreams& r = ctx.app.random;
    const std::uint32_t seed = static_cast<std::uint32_t>(drawB(r)) * 65536u + static_cast<std::uint32_t>(drawB(r) + 32768);
    return runLine(ctx, "GenerateFractal " + std::to_string(seed));
}

const Binding kBindings[] = {
    {1060, "GenerateFractal", {}, [](const App& a) { return static_cast<double>(a.scene.generation.seed); }},
    {1069, {}, {}, nullptr, chooseLandscapeSize},
    {1091, "Smooth", {}},
    {1141, "Fractalize", {}},
    {1142, "Erode 1", {}},
    {1143, "Stretch", {}},
    {1164, {}, {}, [](const App& a) { return static_cast<double>(a.scene.camera.lockX); },
     [](WindowContext& c, const Gadget&) { return toggleLock(c, &CameraSettings::lockX); }},
    {1165, {}, {}, [](const App& a) { return static_cast<double>(a.scene.camera.lockY); },
     [](WindowContext& c, const Gadget&) { return toggleLock(c, &CameraSettings::lockY); }},
    {1166, {}, {}, [](const App& a) { return static_cast<double>(a.scene.camera.lockZ); },
     [](WindowContext& c, const Gadget&) { return toggleLock(c, &CameraSettings::lockZ); }},
    {1170, "CameraX", {}, [](const App& a) { return static_cast<double>(a.scene.camera.cameraX); }},
    {1171, "CameraY", {}, [](const App& a) { return static_cast<double>(a.scene.camera.cameraY); }},
    {1172, "CameraZ", {}, [](const App& a) { return static_cast<double>(a.scene.camera.cameraZ); }},
    {1174, "TargetX", {}, [](const App& a) { return static_cast<double>(a.scene.camera.targetX); }},
    {1175, "TargetY", {}, [](const App& a) { return static_cast<double>(a.scene.camera.targetY); }},
    {1176, "TargetZ", {}, [](const App& a) { return static_cast<double>(a.scene.camera.targetZ); }},
    {1181, "Heading", {}, [](const App& a) { return static_cast<double>(a.scene.camera.heading); }},
    {1182, "Bank", {}, [](const App& a) { return static_cast<double>(a.scene.camera.bank); }},
    {1183, "Pitch", {}, [](const App& a) { return static_cast<double>(a.scene.camera.pitch); }},
    {1206, "FractalRoughness", {}, [](const App& a) { return static_cast<double>(a.scene.generation.roughness); }},
    {1215, {}, {}, nullptr, randomSeed},
    {1217, "FeatureSize1", {}, [](const App& a) { return a.scene.generation.featureSize == 1 ? 1.0 : 0.0; }},
    {1218, "FeatureSize2", {}, [](const App& a) { return a.scene.generation.featureSize == 2 ? 1.0 : 0.0; }},
    {1219, "FeatureSize4", {}, [](const App& a) { return a.scene.generation.featureSize == 4 ? 1.0 : 0.0; }},
    {1220, "FeatureSize8", {}, [](const App& a) { return a.scene.generation.featureSize == 8 ? 1.0 : 0.0; }},
    {1223, "FocalLength", {}, [](const App& a) { return static_cast<double>(a.scene.camera.focalLength); }},
    {1282, "AutoExposureOn", "AutoExposureOff",
     [](const App& a) { return static_cast<double>(a.scene.lighting.autoExposure); }},
};

const Binding* bindingOf(int id)
{
    for (const Binding& b : kBindings)
        if (b.id == id) return &b;
    return nullptr;
}

// The ids of every control of every panel, sorted, once.
const std::vector<int>& allControlIds()
{
    static const std::vector<int> ids = [] {
        std::vector<int> out;
        for (const PanelTable& p : kPanels)
            for (const Control& c : p.controls)
                if (c.id != 0) out.push_back(c.id);
        std::sort(out.begin(), out.end());
        out.erase(std::unique(out.begin(), out.end()), out.end());
        return out;
    }();
    return ids;
}

// A number as a field's value text: whole numbers without a point.
std::string valueText(const Gadget& g)
{
    char text[64];
    if (g.kind == kGadgetInteger) std::snprintf(text, sizeof text, "%ld", g.value);
    else std::snprintf(text, sizeof text, "%.*f", std::clamp(g.decimals, 0, 10), g.number);
    return text;
}

} // namespace

std::vector<Gadget> panelControls(int tabId, const App& app)
{
    std::vector<Gadget> gadgets;
    for (const PanelTable& p : kPanels) {
        if (p.tab != tabId) continue;
        for (const Control& c : p.controls) {
            const int x = kGridLeft + c.column * kCharWidth, y = kGridTop + c.row * kRowHeight;
            const bool labelled = c.kind == kGadgetInteger || c.kind == kGadgetDecimal || c.toggle;
            if (c.kind == kGadgetLabel || labelled) {
                std::string text(c.label);
                if (labelled) {
                    text += ' ';
                    const int leaders = c.fieldColumn - c.column - static_cast<int>(text.size()) - 1;
                    text.append(static_cast<std::size_t>(std::max(leaders, 0)), kLeader);
                }
                gadgets.push_back(Gadget{.kind = kGadgetLabel, .x = x, .y = y + 2, .text = text});
                if (c.kind == kGadgetLabel) continue;
            }
            const int at = labelled ? kGridLeft + c.fieldColumn * kCharWidth : x;
            Gadget g{.kind = c.kind, .flags = c.flags, .x = at, .y = y, .id = c.id, .help = c.help,
                     .chars = c.chars, .decimals = c.decimals};
            if (c.toggle) {
                g.text = "  Off ";
                g.alternate = "  On  ";
            } else if (c.kind == kGadgetButton) {
                g.text = std::string(c.label);
            }
            gadgets.push_back(std::move(g));
        }
    }
    fillControls(gadgets, app);
    return gadgets;
}

void fillControls(std::vector<Gadget>& gadgets, const App& app)
{
    for (Gadget& g : gadgets) {
        const Binding* b = bindingOf(g.id);
        if (b == nullptr || b->read == nullptr) {
            // A field whose setting is not wired yet shows 0.
            if (g.kind == kGadgetInteger) setFieldValue(g, 0);
            if (g.kind == kGadgetDecimal) setFieldNumber(g, 0.0);
            continue;
        }
        const double v = b->read(app);
        switch (g.kind) {
        case kGadgetInteger: setFieldValue(g, static_cast<long>(std::lround(v))); break;
        case kGadgetDecimal: setFieldNumber(g, v); break;
        case kGadgetButton: g.state = v != 0.0 ? 1 : 0; break;
        default: break;
        }
    }
}

std::span<const int> controlIds() { return allControlIds(); }

int runControl(WindowContext& ctx, int id)
{
    const Binding* b = bindingOf(id);
    if (b == nullptr) return kCommandNotBuilt;
    const Gadget* g = ctx.gadget;
    int result = 1;
    if (b->run != nullptr) {
        static const Gadget none{};
        result = b->run(ctx, g != nullptr ? *g : none);
    } else {
        std::string line(b->keyword);
        if (g != nullptr && (g->kind == kGadgetInteger || g->kind == kGadgetDecimal)) {
            line += ' ';
            line += valueText(*g);
        } else if (g != nullptr && !b->offKeyword.empty() && g->state == 0) {
            line = std::string(b->offKeyword);
        }
        result = runLine(ctx, line);
    }
    // Whatever the keyword made of the value (ranges, locks, re-aiming) shows in the panel.
    if (ctx.main.open) {
        fillControls(ctx.main.open->gadgets, ctx.app);
        drawGadgets(ctx.surface, *ctx.main.open);
    }
    drawMapPicture(ctx.surface, ctx.app.landscape); // edits change the elevations the map shows
    ctx.input.present();
    return result;
}

} // namespace kalvenor
