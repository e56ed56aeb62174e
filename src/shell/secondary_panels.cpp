#include "shell/secondary_panels.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "app/app.h"
#include "model/path_layout.h"
#include "base/file_requests.h"
#include "base/frontend.h"
#include "panels/font.h"
#include "panels/key_codes.h"
#include "panels/main_panel.h"
#include "panels/panel_style.h"
#include "shell/control_panels.h"
#include "shell/map_commands.h"
#include "shell/window_commands.h"
#include "shell/window_file_commands.h"

namespace kalvenor {

namespace {

constexpr int kDone = 3999;
constexpr int kCloudPanelButton = 1244, kTreePanelButton = 1200;
constexpr int kGroundTextures = 1303, kWaterTextures = 1306, kSkyTextures = 1307;
constexpr int kHouseTextures = 1304, kTreeTextures = 1305;

// ---- Cloud Control Panel ----
constexpr int kCloudDensity = 3101, kCloudHardness = 3102, kCloudAltitude = 3103, kCloudLining = 3104;
constexpr int kCloudSizeFirst = 3105; // S, M, L, X
constexpr int kCloudDetail = 3109, kCloudGenerate = 3110, kCloudFromLandscape = 3111, kCloudSeed = 3112;
constexpr int kCloudPreviewX = 86, kCloudPreviewY = 320, kCloudPreviewSize = 128;

constexpr Control kCloudPanel[] = {
    toggle(1245, 0, "Clouds", "Draw the clouds."),
    whole(kCloudDensity, 1, "Coverage", "Cloud coverage (percent)."),
    whole(kCloudHardness, 2, "Edge sharpness", "Cloud edge sharpness."),
    whole(kCloudAltitude, 3, "Altitude", "Altitude of cloud layer."),
    whole(kCloudLining, 4, "Lining", "Brightness of cloud edges."),
    text(5, 0, "Cloud size"),
    button(kCloudSizeFirst, 5, 16, "S", "Small clouds.", 0x10),
    button(kCloudSizeFirst + 1, 5, 20, "M", "Medium clouds.", 0x10),
    button(kCloudSizeFirst + 2, 5, 24, "L", "Large clouds.", 0x10),
    button(kCloudSizeFirst + 3, 5, 28, "X", "Extra large clouds.", 0x10),
    toggle(kCloudDetail, 6, "Fractal detail", "Enable fractal detail in clouds."),
    whole(kCloudSeed, 7, "Cloud number", "The seed of the cloud pattern."),
    button(kCloudGenerate, 8, 0, "GenerateClouds", "Generate a random cloud pattern using the current setting."),
    button(kCloudFromLandscape, 8, 17, "Landscape->Clouds", "Convert the current landscape into a cloud pattern."),
    button(1255, 9, 0, "  Load cloud  ", "Load a Kalvenor cloud pattern file (.CLD)."),
    button(1256, 9, 17, "  Save cloud  ", "Save the current cloud pattern as a Kalvenor CLD file."),
};

// ---- Tree Control Panel ----
// Rows Tree1 .. Tree4: a toggle for each kind that grows in the band, and its density.
constexpr int kTreeKindFirst = 3200; // + 4 x band + kind (palm, oak, cactus, pine)
constexpr int kTreeDensityFirst = 3220;
constexpr int kTreeSizeFirst = 3230;

constexpr Control kindToggle(int band, int kind)
{
    constexpr std::string_view kLabels[] = {"Palm", "Oak", "Cact", "Pine"};
    constexpr std::string_view kHelp[] = {"Palms grow in this band.", "Oaks grow in this band.",
                                          "Cacti grow in this band.", "Pines grow in this band."};
    return button(kTreeKindFirst + 4 * band + kind, 1 + band, 6 + 5 * kind, kLabels[kind], kHelp[kind]);
}
constexpr Control bandDensity(int band)
{
    Control c = field(kGadgetInteger, kTreeDensityFirst + band, 1 + band, "", "Density of the trees of this band.", 4);
    c.column = 27;
    c.fieldColumn = 27;
    return c;
}
constexpr Control kindSize(int kind, std::string_view label, std::string_view help)
{
    return field(kGadgetInteger, kTreeSizeFirst + kind, 6 + kind, label, help, 6);
}

constexpr Control kTreePanel[] = {
    text(0, 0, "Band"), text(0, 6, "Kinds that grow"), text(0, 27, "Dens."),
    text(1, 0, "Tree1"), kindToggle(0, 0), kindToggle(0, 1), kindToggle(0, 2), kindToggle(0, 3), bandDensity(0),
    text(2, 0, "Tree2"), kindToggle(1, 0), kindToggle(1, 1), kindToggle(1, 2), kindToggle(1, 3), bandDensity(1),
    text(3, 0, "Tree3"), kindToggle(2, 0), kindToggle(2, 1), kindToggle(2, 2), kindToggle(2, 3), bandDensity(2),
    text(4, 0, "Tree4"), kindToggle(3, 0), kindToggle(3, 1), kindToggle(3, 2), kindToggle(3, 3), bandDensity(3),
    text(5, 0, "Size"),
    kindSize(0, "Palm size", "Size of the palms."), kindSize(1, "Oak size", "Size of the oaks."),
    kindSize(2, "Cactus size", "Size of the cacti."), kindSize(3, "Pine size", "Size of the pines."),
    whole(1190, 10, "Mean size", "Average tree size."),
    whole(1191, 11, "Mean density", "Average tree density."),
};

// ---- Vehicle characteristics (the vehicle drop-down's "Custom") ----
constexpr int kVehiclePanelButton = 1376;
constexpr int kVehicleAir = 3401, kVehicleGround = 3402, kVehicleBank = 3403, kVehiclePitch = 3404;
constexpr int kVehicleExtraPitch = 3405, kVehicleSmoothness = 3406, kVehicleNodeHeight = 3407, kVehicleClearance = 3408;

constexpr Control kVehiclePanel[] = {
    text(0, 0, "Vehicle characteristics:"),
    button(kVehicleAir, 1, 0, "  Air   ", "Air vehicle: the path flies at the node height.", 0x10),
    button(kVehicleGround, 1, 10, " Ground ", "Ground vehicle: the path follows the ground.", 0x10),
    whole(kVehicleBank, 2, "Bank", "Bank coefficient."),
    toggle(kVehiclePitch, 3, "Pitch", "Enable pitching."),
    whole(kVehicleExtraPitch, 4, "Extra pitch", "Pitch (degrees) added to each frame."),
    whole(kVehicleSmoothness, 5, "Smoothness", "Smoothness of camera motions."),
    whole(kVehicleNodeHeight, 6, "Node height", "Height of path for air vehicles."),
    whole(kVehicleClearance, 7, "Path clearance", "Height of path for ground vehicles."),
};

template <std::int32_t PathSettings::*Field>
double pathValue(const App& a)
{
    return static_cast<double>(readPathSettings(a.path).*Field);
}

// ---- Texture panels: a file box for each texture slot ----
struct Slot {
    int classCode;
    const char* label;
    const char* prompt;
};
constexpr Slot kGroundSlots[] = {
    {38, "Dirt1", "Select Dirt1 Texture:"},   {39, "Dirt2", "Select Dirt2 Texture:"},
    {40, "Dirt3", "Select Dirt3 Texture:"},   {41, "Dirt4", "Select Dirt4 Texture:"},
    {42, "Snow1", "Select Snow1 Texture:"},   {43, "Snow2", "Select Snow2 Texture:"},
    {44, "Snow3", "Select Snow3 Texture:"},   {45, "Snow4", "Select Snow4 Texture:"},
    {46, "Cliff1", "Select Cliff1 Texture:"}, {47, "Cliff2", "Select Cliff2 Texture:"},
    {48, "Cliff3", "Select Cliff3 Texture:"}, {49, "Cliff4", "Select Cliff4 Texture:"},
    {56, "UTree1", "Select Under Tree1 Texture:"}, {57, "UTree2", "Select Under Tree2 Texture:"},
    {58, "UTree3", "Select Under Tree3 Texture:"}, {59, "UTree4", "Select Under Tree4 Texture:"},
};
constexpr Slot kWaterSlots[] = {
    {50, "Beach", "Select Beach Texture:"},   {51, "Water1", "Select Water1 Texture:"},
    {52, "Water2", "Select Water2 Texture:"}, {53, "Water3", "Select Water3 Texture:"},
    {54, "Water4", "Select Water4 Texture:"}, {55, "Water5", "Select Water5 Texture:"},
};
constexpr Slot kTreeSlots[] = {
    {34, "Palm", "Select 2d Palm Texture:"},     {35, "Oak", "Select 2d Oak Texture:"},
    {36, "Cactus", "Select 2d Cactus Texture:"}, {37, "Pine", "Select 2D Pine Texture:"},
};
// The houses' top (the roof), front (the gable ends) and side (the long walls), labelled roof, end
// and wall, then the roads.
constexpr Slot kHouseSlots[] = {
    {92, "H1 roof", "Select house1 top texture:"},    {93, "H1 end", "Select house1 front texture:"},
    {94, "H1 wall", "Select house1 side texture:"},  {95, "H2 roof", "Select house2 top texture:"},
    {96, "H2 end", "Select house2 front texture:"}, {97, "H2 wall", "Select house2 side texture:"},
    {98, "H3 roof", "Select house3 top texture:"},    {99, "H3 end", "Select house3 front texture:"},
    {100, "H3 wall", "Select house3 side texture:"}, {101, "H4 roof", "Select house4 top texture:"},
    {102, "H4 end", "Select house4 front texture:"}, {103, "H4 wall", "Select house4 side texture:"},
    {88, "Path", "Select Path texture:"},
};
constexpr Slot kSkySlots[] = {
    {77, "Sun", "Select 2D Sun Texture:"},
    {79, "Moon", "Select 2D Moon Texture:"},
};
constexpr int kTextureField = 4000; // + class: the file name
constexpr int kTextureChoose = 4300; // + class: the file box
// The file boxes' identifiers lie above every other control's of these panels.
static_assert(kDone < kTextureField && kVehicleClearance < kTextureField && kTextureField + 256 <= kTextureChoose);

struct Panel {
    int button;
    const char* title;
    std::span<const Control> controls;
    std::span<const Slot> slots;
    int directory; // of the texture directories: ground, water, tree, house, sky
};
constexpr Panel kPanels[] = {
    {kCloudPanelButton, "     Cloud Control Panel     ", kCloudPanel, {}, 0},
    {kTreePanelButton, "     Tree Control Panel      ", kTreePanel, {}, 0},
    {kGroundTextures, "     Ground texture maps     ", {}, kGroundSlots, 0},
    {kWaterTextures, "     Water texture maps      ", {}, kWaterSlots, 1},
    {kSkyTextures, "      Sky texture maps       ", {}, kSkySlots, 4},
    {kTreeTextures, "      Tree texture maps      ", {}, kTreeSlots, 2},
    {kHouseTextures, "     House texture maps      ", {}, kHouseSlots, 3},
    {kVehiclePanelButton, "   Vehicle characteristics   ", kVehiclePanel, {}, 0},
};
constexpr std::array kButtons = {kTreePanelButton, kCloudPanelButton, kGroundTextures, kWaterTextures, kSkyTextures,
                                 kTreeTextures,    kHouseTextures,    kVehiclePanelButton};

template <int Band, int Kind>
double kindOn(const App& a)
{
    return (a.scene.trees.kindMask[Band] & (1 << Kind)) != 0 ? 1.0 : 0.0;
}
template <int Band, int Kind>
int switchKind(WindowContext& ctx, const Gadget&)
{
    constexpr const char* kKinds[] = {"Palm", "Oak", "Cactus", "Pine"};
    const bool on = kindOn<Band, Kind>(ctx.app) != 0.0;
    return runKeywordLine(ctx, "Tree" + std::to_string(Band + 1) + kKinds[Kind] + (on ? "Off" : "On"));
}
template <int Size>
int cloudSize(WindowContext& ctx, const Gadget&)
{
    constexpr const char* kSizes[] = {"S", "M", "L", "X"};
    return runKeywordLine(ctx, std::string("CloudSize ") + kSizes[Size]);
}
template <int Size>
double cloudSizeOn(const App& a)
{
    constexpr int kDivisors[] = {16, 8, 4, 2};
    return a.scene.clouds.sizeDivisor == kDivisors[Size] ? 1.0 : 0.0;
}

#define KV_KIND(band, kind) {kTreeKindFirst + 4 * (band) + (kind), {}, {}, kindOn<band, kind>, switchKind<band, kind>}

const Binding kBindings[] = {
    {kCloudDensity, "CloudDensity", {}, [](const App& a) { return static_cast<double>(a.scene.clouds.density); }},
    {kCloudHardness, "CloudHardness", {}, [](const App& a) { return static_cast<double>(a.scene.clouds.hardness); }},
    {kCloudAltitude, "CloudAltitude", {}, [](const App& a) { return static_cast<double>(a.scene.clouds.altitude); }},
    {kCloudLining, "CloudLining", {}, [](const App& a) { return static_cast<double>(a.scene.clouds.lining); }},
    {kCloudSizeFirst, {}, {}, cloudSizeOn<0>, cloudSize<0>},
    {kCloudSizeFirst + 1, {}, {}, cloudSizeOn<1>, cloudSize<1>},
    {kCloudSizeFirst + 2, {}, {}, cloudSizeOn<2>, cloudSize<2>},
    {kCloudSizeFirst + 3, {}, {}, cloudSizeOn<3>, cloudSize<3>},
    {kCloudDetail, "CloudTextureOn", "CloudTextureOff",
     [](const App& a) { return a.scene.clouds.detailNear != 0 ? 1.0 : 0.0; }},
    {kCloudSeed, "CloudNumber", {}, [](const App& a) { return static_cast<double>(a.scene.clouds.number); }},
    {kCloudGenerate, "CloudRandom", {}},
    {kCloudFromLandscape, "CloudsFromLandscape", {}},
    KV_KIND(0, 0), KV_KIND(0, 1), KV_KIND(0, 2), KV_KIND(0, 3), KV_KIND(1, 0), KV_KIND(1, 1), KV_KIND(1, 2),
    KV_KIND(1, 3), KV_KIND(2, 0), KV_KIND(2, 1), KV_KIND(2, 2), KV_KIND(2, 3), KV_KIND(3, 0), KV_KIND(3, 1),
    KV_KIND(3, 2), KV_KIND(3, 3),
    {kTreeDensityFirst, "Tree1Density", {}, [](const App& a) { return static_cast<double>(a.scene.trees.density[0]); }},
    {kTreeDensityFirst + 1, "Tree2Density", {}, [](const App& a) { return static_cast<double>(a.scene.trees.density[1]); }},
    {kTreeDensityFirst + 2, "Tree3Density", {}, [](const App& a) { return static_cast<double>(a.scene.trees.density[2]); }},
    {kTreeDensityFirst + 3, "Tree4Density", {}, [](const App& a) { return static_cast<double>(a.scene.trees.density[3]); }},
    {kTreeSizeFirst, "TreePalmSize", {}, [](const App& a) { return static_cast<double>(a.scene.trees.palmSize); }},
    {kTreeSizeFirst + 1, "TreeOakSize", {}, [](const App& a) { return static_cast<double>(a.scene.trees.oakSize); }},
    {kTreeSizeFirst + 2, "TreeCactusSize", {}, [](const App& a) { return static_cast<double>(a.scene.trees.cactusSize); }},
    {kTreeSizeFirst + 3, "TreePineSize", {}, [](const App& a) { return static_cast<double>(a.scene.trees.pineSize); }},
    {kVehicleAir, "PathVehicleClass 2", {}, [](const App& a) { return readPathSettings(a.path).vehicleClass == 2 ? 1.0 : 0.0; }},
    {kVehicleGround, "PathVehicleClass 3", {}, [](const App& a) { return readPathSettings(a.path).vehicleClass == 3 ? 1.0 : 0.0; }},
    {kVehicleBank, "PathBank", {}, pathValue<&PathSettings::bankCoefficient>},
    {kVehiclePitch, "PathPitching 1", "PathPitching 0", pathValue<&PathSettings::pitching>},
    {kVehicleExtraPitch, "PathExtraPitch", {}, pathValue<&PathSettings::extraPitch>},
    {kVehicleSmoothness, "PathSmoothness", {}, pathValue<&PathSettings::smoothness>},
    {kVehicleNodeHeight, "PathNodeHeight", {}, pathValue<&PathSettings::nodeHeight>},
    {kVehicleClearance, "PathClearance", {}, pathValue<&PathSettings::pathClearance>},
};
#undef KV_KIND

const Panel* panelOf(int button)
{
    for (const Panel& p : kPanels)
        if (p.button == button) return &p;
    return nullptr;
}

// The file boxes: the slot's name, "..." for the file requester.
std::vector<Gadget> slotGadgets(std::span<const Slot> slots)
{
    std::vector<Gadget> g;
    int row = 0;
    for (const Slot& s : slots) {
        const int y = kGridTop + row * kRowHeight;
        g.push_back(Gadget{.kind = kGadgetLabel, .x = kGridLeft, .y = y + 2, .text = s.label});
        g.push_back(Gadget{.kind = kGadgetText, .x = kGridLeft + 7 * kCharWidth, .y = y, .id = kTextureField + s.classCode,
                           .help = "The texture's file (Enter loads the name typed; an empty name removes it).",
                           .chars = 21});
        g.push_back(Gadget{.kind = kGadgetButton, .x = kGridLeft + 30 * kCharWidth, .y = y,
                           .id = kTextureChoose + s.classCode, .text = "...", .help = s.prompt});
        ++row;
    }
    return g;
}

void fillSlots(std::vector<Gadget>& gadgets, const App& app)
{
    for (Gadget& g : gadgets)
        if (g.kind == kGadgetText && g.id >= kTextureField && g.id < kTextureField + 256) {
            const TextureSlot& slot = app.textures[static_cast<std::size_t>(g.id - kTextureField)];
            g.text = slot.inUse() ? slot.name() : std::string();
        }
}

// The cloud pattern at half size, darkest where there is no cloud.
void drawCloudPreview(Surface& s, const PanelInstance& panel, const App& app)
{
    const std::vector<std::uint8_t>& pattern = app.scene.clouds.pattern;
    if (pattern.size() < 256 * 256) return;
    for (int y = 0; y < kCloudPreviewSize; ++y)
        for (int x = 0; x < kCloudPreviewSize; ++x) {
            // Row 0 of the pattern is the south: drawn at the bottom, as on the map.
            const int v = pattern[static_cast<std::size_t>(255 - 2 * y) * 256 + static_cast<std::size_t>(2 * x)];
            s.row(panel.top + kCloudPreviewY + y)[panel.left + kCloudPreviewX + x] = rgb(v, v, v);
        }
    outlineRect(s, panel.left + kCloudPreviewX - 1, panel.top + kCloudPreviewY - 1,
                panel.left + kCloudPreviewX + kCloudPreviewSize, panel.top + kCloudPreviewY + kCloudPreviewSize,
                panel_colour::kDark);
}

// A file box's work: the typed name, or one chosen with the file requester, loaded into the slot.
int textureSlotCommand(WindowContext& ctx, const Panel& panel, int id, const Gadget* g)
{
    const bool choose = id >= kTextureChoose;
    const int classCode = id - (choose ? kTextureChoose : kTextureField);
    std::string name;
    if (choose) {
        const Slot* slot = nullptr;
        for (const Slot& s : panel.slots)
            if (s.classCode == classCode) slot = &s;
        if (slot == nullptr) return 0;
        const std::string& dir = ctx.app.dirs.texture[static_cast<std::size_t>(panel.directory)];
        const std::optional<std::string> path = askLoadPath(ctx.ui, slot->prompt, dir, "*.TGA");
        if (!path) return -1;
        name = *path;
    } else if (g != nullptr) {
        name = g->text;
    }
    const int result = runKeywordLine(ctx, "TextureLoad " + std::to_string(classCode) + " " + name);
    if (result == 1) ctx.ui.status(name.empty() ? "Texture removed." : "Texture loaded: " + name);
    return result;
}

} // namespace

std::span<const Binding> secondaryBindings() { return kBindings; }

std::span<const int> secondaryPanelButtons() { return kButtons; }

int runSecondaryPanel(WindowContext& ctx, int button)
{
    const Panel* panel = panelOf(button);
    if (panel == nullptr) return kCommandNotBuilt;
    Surface& s = ctx.surface;
    const PanelDescriptor at{};
    endMapMode(ctx);

    // The secondary panel stands in for the tab's panel while it is open, so
    // the controls' refill and redraw reach it.
    std::optional<PanelInstance> tab = std::move(ctx.main.open);
    ctx.main.open = openPanel(s, at.x, at.y, at.width, at.height, true);
    PanelInstance& p = *ctx.main.open;
    p.gadgets.push_back(Gadget{.kind = kGadgetLabel, .x = (at.width - static_cast<int>(std::string_view(panel->title).size()) * kCharWidth) / 2,
                               .y = 8, .text = panel->title});
    for (Gadget& g : layoutControls(panel->controls)) p.gadgets.push_back(std::move(g));
    for (Gadget& g : slotGadgets(panel->slots)) p.gadgets.push_back(std::move(g));
    p.gadgets.push_back(Gadget{.kind = kGadgetButton, .x = at.width - 80, .y = at.height - 32, .id = kDone,
                               .text = "  Done  ", .help = "Close this panel."});
    const auto show = [&] {
        refillPanel(ctx);
        fillSlots(p.gadgets, ctx.app);
        drawGadgets(s, p);
        if (button == kCloudPanelButton) drawCloudPreview(s, p, ctx.app);
        ctx.input.present();
    };
    show();
    for (;;) {
        const GadgetResult r = readGadget(s, p, ctx.input);
        if (r.code == -1 || r.code == kDone || (r.code == keyResult(kKeyEscape) && r.gadget == nullptr)) break;
        ctx.gadget = r.gadget;
        if (r.code >= kTextureField && r.code < kTextureChoose + 256) {
            textureSlotCommand(ctx, *panel, r.code, r.gadget);
        } else if (r.code == 1255 || r.code == 1256) {
            runFileCommand(ctx, r.code);
        } else if (r.gadget != nullptr && r.gadget->id == r.code && r.code != 0) {
            runControl(ctx, r.code);
        }
        ctx.gadget = nullptr;
        show();
    }
    closePanel(s, p);
    ctx.main.open = std::move(tab);
    refillPanel(ctx);
    refreshMap(ctx);
    ctx.input.present();
    return 1;
}

} // namespace kalvenor
