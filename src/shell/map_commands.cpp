#include "shell/map_commands.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "app/app.h"
#include "panels/input.h"
#include "panels/key_codes.h"
#include "panels/main_panel.h"
#include "path/path_dynamics.h"
#include "path/path_edit.h"
#include "shell/control_panels.h"
#include "shell/path_screen.h"
#include "shell/window_commands.h"

namespace kalvenor {

namespace {

constexpr int kZoomIn = 1310, kZoomOut = 1311, kUnzoom = 1312, kCentreCamera = 1313, kCentreTarget = 1314;
constexpr int kScrollVertical = 1308, kScrollHorizontal = 1309, kViewIn = 1315, kViewOut = 1316;
constexpr int kPlaceTarget = 1058, kPlaceCamera = 1059, kEnlargeSection = 1160;
constexpr int kSnowLine = 1167, kTreeLine = 1169, kLake = 1089, kRiver = 1090, kSeaLevel = 1168, kBox = 1237;
constexpr int kNewPath = 1352, kPathTab = 1296;

struct Mode {
    int id;
    const char* prompt;
};
constexpr Mode kModes[] = {
    {kPlaceCamera, "Place camera: click on the map."},
    {kPlaceTarget, "Place target: click on the map."},
    {kSnowLine, "Set snow line: click on the map where the snow begins."},
    {kTreeLine, "Set tree line: click on the map where the trees end."},
    {kRiver, "Create river: click on the map where it springs."},
    {kLake, "Create lake: click on the map in the lake."},
    {kSeaLevel, "Set sea level: click on the map at the height of the sea."},
    {kBox, "Bounding box: drag across the map (a click without dragging removes it)."},
    {1352, "Create a new path: click on the map for each node."},
    {1327, "Palm: click on the map to plant one."},
    {1328, "Oak: click on the map to plant one."},
    {1329, "Cactus: click on the map to plant one."},
    {1330, "Pine: click on the map to plant one."},
    {1331, "House1: click on the map to build one."},
    {1332, "House2: click on the map to build one."},
    {1333, "House3: click on the map to build one."},
    {1334, "House4: click on the map to build one."},
    {1335, "Beach: click or drag on the map to lay beach."},
    {1336, "Water: click or drag on the map to lay water."},
    {1341, "Road: drag on the map from one end of the road to the other."},
    {1345, "Erase: click or drag on the map to clear what was placed."},
};

// The placement tools and the kind word of each.
struct Tool {
    int id;
    const char* kind; // nullptr: the road
    bool brush;       // paints a small round area, also while dragging
};
constexpr Tool kTools[] = {
    {1327, "Palm", false},   {1328, "Oak", false},    {1329, "Cactus", false}, {1330, "Pine", false},
    {1331, "House1", false}, {1332, "House2", false}, {1333, "House3", false}, {1334, "House4", false},
    {1335, "Beach", true},   {1336, "Water", true},   {1341, nullptr, false},  {1345, "Erase", true},
};

constexpr std::array kIds = {kPlaceTarget, kPlaceCamera, kLake,    kRiver,          kEnlargeSection, kSnowLine,
                             kSeaLevel,    kTreeLine,    kBox,     kScrollVertical, kScrollHorizontal, kZoomIn,
                             kZoomOut,     kUnzoom,      kCentreCamera, kCentreTarget, kViewIn,       kViewOut,
                             1327, 1328, 1329, 1330, 1331, 1332, 1333, 1334, 1335, 1336, 1341, 1345, kNewPath};

const Tool* toolOf(int id)
{
    for (const Tool& t : kTools)
        if (t.id == id) return &t;
    return nullptr;
}

const Mode* modeOf(int id)
{
    for (const Mode& m : kModes)
        if (m.id == id) return &m;
    return nullptr;
}

// A number as a keyword line takes it: metres to the millimetre, the map's values exactly.
std::string number(double v)
{
    char text[48];
    std::snprintf(text, sizeof text, "%.4f", v);
    return text;
}

Gadget* frameGadget(WindowContext& ctx, int id)
{
    for (Gadget& g : ctx.main.frame.gadgets)
        if (g.id == id) return &g;
    return nullptr;
}

} // namespace

void refillPanel(WindowContext& ctx)
{
    if (!ctx.main.open) return;
    fillControls(ctx.main.open->gadgets, ctx.app);
    for (Gadget& g : ctx.main.open->gadgets)
        if (g.kind == kGadgetButton && g.id == ctx.mapMode) g.state = 1;
    drawGadgets(ctx.surface, *ctx.main.open);
}

namespace {

// After a click's work: the map and the panel show what it changed.
int clicked(WindowContext& ctx, int result)
{
    computeElevationStatistics(ctx.app.landscape);
    refillPanel(ctx);
    refreshMap(ctx);
    ctx.input.present();
    return result;
}

// Zoom view in and out: a tenth of the focal length, at least 1, through the
// keyword the focal-length field uses.
int zoomView(WindowContext& ctx, bool in)
{
    const std::int32_t focal = ctx.app.scene.camera.focalLength;
    const double step = std::max(std::trunc(focal / 10.0), 1.0);
    const double next = in ? std::trunc(focal + step) : std::max(std::trunc(focal - step), 1.0);
    const int result = runKeywordLine(ctx, "FocalLength " + number(next));
    refillPanel(ctx);
    refreshMap(ctx);
    return result;
}

// The bounding box: dragged from (px, py) to where the button is let go. A
// click without dragging removes it.
int markBox(WindowContext& ctx, int px, int py)
{
    Surface& s = ctx.surface;
    const std::vector<Colour> before = s.pixels;
    int x = px, y = py;
    for (;;) {
        const std::optional<InputEvent> e = ctx.input.next();
        if (!e || e->kind == InputKind::Close || e->kind == InputKind::RightDown ||
            (e->kind == InputKind::Key && e->key == kKeyEscape)) {
            s.pixels = before;
            ctx.input.present();
            return -1;
        }
        if (e->kind == InputKind::Move) {
            x = std::clamp(e->x, kMapLeft, kMapRight);
            y = std::clamp(e->y, kMapTop, kMapBottom);
            s.pixels = before;
            outlineMapRect(s, px, py, x, y, rgb(255, 255, 255));
            ctx.ui.status(mapReadout(ctx.main.map, ctx.app.landscape, x, y));
            ctx.input.present();
        }
        if (e->kind == InputKind::LeftUp) break;
    }
    s.pixels = before;
    int result = 0;
    if (x == px && y == py) {
        result = runKeywordLine(ctx, "BoundingBoxOff");
    } else {
        const Landscape& land = ctx.app.landscape;
        const WorldXY a = mapPointerToWorld(ctx.main.map, land, std::min(px, x), std::max(py, y));
        const WorldXY b = mapPointerToWorld(ctx.main.map, land, std::max(px, x), std::min(py, y));
        result = runKeywordLine(ctx, "BoundingBox " + number(a.x) + " " + number(a.y) + " " + number(b.x) + " " +
                                         number(b.y));
    }
    return clicked(ctx, result);
}

// A placement tool at (px, py): a tree or house on the point; beach, water or
// the eraser in a brush of one and a half cells, painted on while the button
// is held; a road from the press to where the button is let go.
int placeWithTool(WindowContext& ctx, const Tool& tool, int px, int py)
{
    const Landscape& land = ctx.app.landscape;
    const MapView& map = ctx.main.map;
    const auto at = [&](int x, int y) {
        const WorldXY w = mapPointerToWorld(map, land, x, y);
        return number(w.x) + " " + number(w.y);
    };
    if (tool.kind != nullptr && !tool.brush) return clicked(ctx, runKeywordLine(ctx, std::string("PlaceObject ") + tool.kind + " " + at(px, py)));
    const std::string radius = number(1.5 * std::max(land.spacingX, land.spacingY));
    int result = tool.brush ? runKeywordLine(ctx, std::string("PlaceObject ") + tool.kind + " " + at(px, py) + " " + radius) : 1;
    if (tool.brush) {
        refreshMap(ctx);
        ctx.input.present();
    }
    const std::vector<Colour> before = ctx.surface.pixels;
    int x = px, y = py;
    for (;;) {
        const std::optional<InputEvent> e = ctx.input.next();
        if (!e || e->kind == InputKind::Close) break;
        if (e->kind == InputKind::LeftUp) break;
        if (e->kind != InputKind::Move || !insideMap(e->x, e->y)) continue;
        x = e->x, y = e->y;
        ctx.ui.status(mapReadout(map, land, x, y));
        if (tool.brush) {
            result &= runKeywordLine(ctx, std::string("PlaceObject ") + tool.kind + " " + at(x, y) + " " + radius);
            refreshMap(ctx);
        } else {
            ctx.surface.pixels = before;
            drawMapLine(ctx.surface, px, py, x, y, rgb(255, 255, 255)); // the road's course
        }
        ctx.input.present();
    }
    if (tool.kind == nullptr) result = runKeywordLine(ctx, "PlaceRoad " + at(px, py) + " " + at(x, y));
    return clicked(ctx, result);
}

} // namespace

std::span<const int> mapCommandIds() { return kIds; }

MapMarks mapMarks(WindowContext& ctx)
{
    // With the Path panel open the map shows the flight in place of the camera.
    return MapMarks{&ctx.app.scene.camera, &ctx.app.scene.render.box,
                    ctx.main.openTab == kPathTab ? &ctx.app.path : nullptr};
}

void refreshMap(WindowContext& ctx)
{
    ctx.main.marks = mapMarks(ctx);
    redrawMap(ctx.surface, ctx.main, ctx.app.landscape);
    drawPathScreen(ctx); // the altitude display follows the path and the landscape as the map does
}

void endMapMode(WindowContext& ctx)
{
    if (ctx.mapMode == 0) return;
    ctx.mapMode = 0;
    if (ctx.main.open)
        for (Gadget& g : ctx.main.open->gadgets)
            if (g.kind == kGadgetButton && modeOf(g.id) != nullptr && g.state != 0) {
                g.state = 0;
                drawGadget(ctx.surface, *ctx.main.open, g);
            }
    ctx.ui.status({});
    ctx.input.present();
}

int runMapCommand(WindowContext& ctx, int id)
{
    MapView& map = ctx.main.map;
    const Landscape& land = ctx.app.landscape;
    const CameraSettings& cam = ctx.app.scene.camera;
    if (const Mode* mode = modeOf(id)) {
        // "Create a new path" starts from no nodes; its clicks then add them.
        if (id == kNewPath) runKeywordLine(ctx, "PathNew");
        ctx.mapMode = id;
        refillPanel(ctx);
        ctx.ui.status(mode->prompt);
        ctx.input.present();
        return 1;
    }
    switch (id) {
    case kZoomIn: zoomMapIn(map, land); break;
    case kZoomOut: zoomMapOut(map, land); break;
    case kUnzoom: unzoomMap(map, land); break;
    case kCentreCamera: centreMap(map, land, cam.cameraX, cam.cameraY); break;
    case kCentreTarget: centreMap(map, land, cam.targetX, cam.targetY); break;
    case kScrollHorizontal:
    case kScrollVertical: {
        const Gadget* g = ctx.gadget != nullptr ? ctx.gadget : frameGadget(ctx, id);
        const int value = g != nullptr ? static_cast<int>(g->value) : 128;
        scrollMap(map, land, id == kScrollHorizontal ? value : map.scrollX, id == kScrollVertical ? value : map.scrollY);
        break;
    }
    case kViewIn: return zoomView(ctx, true);
    case kViewOut: return zoomView(ctx, false);
    case kEnlargeSection: {
        const std::optional<MapPoint> corner = pickMapPoint(ctx, "Mark Region:");
        refillPanel(ctx);
        if (!corner) return -1;
        const int result = runKeywordLine(ctx, "Enlarge " + number(corner->column * static_cast<double>(land.spacingX)) +
                                                   " " + number(corner->row * static_cast<double>(land.spacingY)) + " 0");
        return clicked(ctx, result);
    }
    default: return 0;
    }
    refreshMap(ctx);
    ctx.input.present();
    return 1;
}

int mapClick(WindowContext& ctx, int px, int py)
{
    if (pathScreenClick(ctx, px, py)) return 1;
    if (!insideMap(px, py)) return 0;
    const Landscape& land = ctx.app.landscape;
    const WorldXY w = mapPointerToWorld(ctx.main.map, land, px, py);
    const std::optional<MapPoint> cell = worldToCell(land, w.x, w.y);
    const CameraSettings& cam = ctx.app.scene.camera;
    switch (ctx.mapMode) {
    case 0:
        ctx.ui.status("Choose what a click on the map does: Place camera, Create river, Set snow line ...");
        return 0;
    case kPlaceCamera: {
        // The camera keeps its height above the ground.
        const double above = cam.cameraZ - groundElevation(land, cam.cameraX, cam.cameraY);
        const double z = groundElevation(land, w.x, w.y) + above;
        return clicked(ctx, runKeywordLine(ctx, "CameraXYZ " + number(w.x) + " " + number(w.y) + " " + number(z)));
    }
    case kPlaceTarget:
        return clicked(ctx, runKeywordLine(ctx, "TargetXYZ " + number(w.x) + " " + number(w.y) + " " +
                                                    number(groundElevation(land, w.x, w.y))));
    case kBox: return markBox(ctx, px, py);
    default: break;
    }
    if (ctx.mapMode == kNewPath) {
        if (!cell) {
            ctx.ui.status("That is outside the landscape.");
            return 0;
        }
        return clicked(ctx, appendPathNode(ctx.app.path, land, *cell, ctx.ui));
    }
    if (const Tool* tool = toolOf(ctx.mapMode)) {
        if (!cell) {
            ctx.ui.status("That is outside the landscape.");
            return 0;
        }
        return placeWithTool(ctx, *tool, px, py);
    }
    if (!cell) {
        ctx.ui.status("That is outside the landscape.");
        return 0;
    }
    const int elevation = land.elevation[cell->row][cell->column];
    const std::string at = number(w.x) + " " + number(w.y);
    int result = 0;
    switch (ctx.mapMode) {
    case kSnowLine: result = runKeywordLine(ctx, "SnowLine " + std::to_string(elevation)); break;
    case kTreeLine: result = runKeywordLine(ctx, "TreeLine " + std::to_string(elevation)); break;
    case kRiver: result = runKeywordLine(ctx, "MakeRiver " + at); break;
    case kLake: {
        const std::optional<long> level = ctx.ui.askNumber("Desired lake level:", elevation);
        if (!level) return -1;
        result = runKeywordLine(ctx, "MakeLake " + at + " " + std::to_string(*level));
        break;
    }
    case kSeaLevel: result = runKeywordLine(ctx, "SeaLevel " + std::to_string(elevation) + " 0"); break;
    default: return 0;
    }
    return clicked(ctx, result);
}

std::string mapHover(WindowContext& ctx, int px, int py)
{
    if (!insideMap(px, py)) return {};
    std::string text = mapReadout(ctx.main.map, ctx.app.landscape, px, py);
    ctx.ui.status(text);
    return text;
}

std::optional<MapPoint> pickMapPoint(WindowContext& ctx, const std::string& prompt)
{
    ctx.ui.status(prompt);
    ctx.input.present();
    for (;;) {
        const std::optional<InputEvent> e = ctx.input.next();
        if (!e || e->kind == InputKind::Close || e->kind == InputKind::RightDown ||
            (e->kind == InputKind::Key && e->key == kKeyEscape)) {
            ctx.ui.status({});
            return std::nullopt;
        }
        if (e->kind == InputKind::Move && insideMap(e->x, e->y)) {
            ctx.ui.status(prompt + "  " + mapReadout(ctx.main.map, ctx.app.landscape, e->x, e->y));
        } else if (e->kind == InputKind::LeftDown && insideMap(e->x, e->y)) {
            const WorldXY w = mapPointerToWorld(ctx.main.map, ctx.app.landscape, e->x, e->y);
            if (const std::optional<MapPoint> cell = worldToCell(ctx.app.landscape, w.x, w.y)) {
                ctx.ui.status({});
                return cell;
            }
            ctx.ui.status(prompt + "  That is outside the landscape.");
        }
    }
}

void plotOnMap(WindowContext& ctx, const MapRect& cells)
{
    plotMapCells(ctx.surface, ctx.main.map, ctx.app.landscape, cells);
    // Shown as it grows, but not once per cell.
    const auto now = std::chrono::steady_clock::now();
    if (now - ctx.plotShown >= std::chrono::milliseconds(40)) {
        ctx.plotShown = now;
        ctx.input.present();
    }
}

} // namespace kalvenor
