#include "panels/topo_map.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "model/landscape.h"
#include "model/path_layout.h"
#include "model/scene_settings.h"
#include "panels/panel_style.h"

namespace kalvenor {

namespace {

// Image indices.
constexpr std::uint8_t kOutside = 1;
constexpr std::uint8_t kRoad = 10;
constexpr std::uint8_t kShadeFirst = 32;
constexpr int kShades = 24;
constexpr std::uint8_t kWaterShade = 60;
constexpr std::uint8_t kWaterColour = 56;

constexpr Colour kMarkColour = rgb(255, 255, 0);
constexpr Colour kMarkShadow = rgb(0, 0, 0);
constexpr Colour kPlotColour = rgb(255, 64, 255);
constexpr int kViewEdgeLength = 40; // pixels

// The map's 64 colours. 32 .. 55 are the elevation shades, lowest first:
// greens, then browns, a grey and the whites of the snow; the ground-colour
// display takes its colours from the same places (32 the ground under trees,
// 33 leaves, 36 .. 39 placed trees, 40 bare ground, 48 cliffs and the rest,
// 50 snow), so both displays read alike.
constexpr std::array<Colour, 64> kMapColours = [] {
    std::array<Colour, 64> c{};
    c[0] = rgb(0, 0, 0);
    c[1] = rgb(40, 40, 52); // outside the landscape
    c[4] = rgb(208, 64, 48), c[5] = rgb(184, 88, 56), c[6] = rgb(160, 104, 64), c[7] = rgb(136, 72, 72); // houses
    c[10] = rgb(214, 196, 140); // roads and beaches
    constexpr std::array<Colour, 24> shades = {
        rgb(34, 84, 34),    rgb(40, 100, 38),   rgb(48, 114, 42),   rgb(58, 126, 46),   rgb(70, 138, 50),
        rgb(86, 148, 54),   rgb(104, 156, 60),  rgb(122, 160, 66),  rgb(140, 160, 72),  rgb(150, 150, 76),
        rgb(156, 138, 80),  rgb(152, 124, 82),  rgb(146, 112, 84),  rgb(138, 104, 86),  rgb(132, 104, 92),
        rgb(130, 110, 102), rgb(136, 128, 124), rgb(160, 156, 154), rgb(204, 204, 204), rgb(220, 220, 222),
        rgb(232, 232, 234), rgb(242, 242, 244), rgb(250, 250, 252), rgb(255, 255, 255)};
    for (int i = 0; i < kShades; ++i) c[static_cast<std::size_t>(kShadeFirst + i)] = shades[static_cast<std::size_t>(i)];
    c[56] = rgb(40, 80, 176);  // water (ground colours)
    c[60] = rgb(40, 80, 176);  // water (elevations)
    return c;
}();

int floorDiv(long long a, long long b)
{
    const long long q = a / b;
    return static_cast<int>((a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q);
}

bool inGrid(const Landscape& land, int column, int row)
{
    return column >= 0 && row >= 0 && column < land.gridWidth && row < land.gridHeight &&
           land.elevation.allocated() && column < land.elevation.width && row < land.elevation.height;
}

// Ground colours: the low byte's index, replaced by the high byte's when that has one.
std::uint8_t groundIndex(std::uint16_t cell)
{
    const int low = cell & 0xFF, high = cell >> 8;
    if (high >= 34 && high <= 37) return 33;
    if (high >= 60 && high <= 63) return static_cast<std::uint8_t>(36 + high - 60);
    if (high >= 72 && high <= 75) return static_cast<std::uint8_t>(4 + high - 72);
    if (low == 0) return 0;
    if (low >= 38 && low <= 41) return 40;
    if (low >= 42 && low <= 45) return 50;
    if (low == 50) return kRoad;
    if (low >= 51 && low <= 55) return kWaterColour;
    if (low >= 56 && low <= 59) return 32;
    if (low >= 88 && low <= 91) return kRoad;
    return 48;
}

void put(Surface& s, int x, int y, Colour c)
{
    if (insideMap(x, y)) s.row(y)[x] = c;
}

// A line between two surface points, drawn only where it lies in the map area.
void mapLine(Surface& s, int x0, int y0, int x1, int y1, Colour c)
{
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int stepX = x0 < x1 ? 1 : -1, stepY = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    // Far-away ends are walked only as far as they can reach the map.
    for (int guard = 0; guard < 4 * (kMapSize + dx - dy) + 8; ++guard) {
        put(s, x0, y0, c);
        if (x0 == x1 && y0 == y1) break;
        const int e2 = 2 * err;
        if (e2 >= dy) err += dy, x0 += stepX;
        if (e2 <= dx) err += dx, y0 += stepY;
    }
}

// The end of a line of `length` pixels from (x, y) in direction angle (radians, 0 east, counter-clockwise).
MapPixel along(MapPixel from, double angle, int length)
{
    return {from.x + static_cast<int>(std::lround(std::cos(angle) * length)),
            from.y - static_cast<int>(std::lround(std::sin(angle) * length))};
}

// The pixels [first, last] of the map that show grid column (or row) index,
// counted from the origin o: pixel c shows (Z c) / 16 + o.
std::pair<int, int> pixelsOf(int index, int origin, int zoom)
{
    const long long from = static_cast<long long>(index - origin) * 16;
    int first = floorDiv(from + zoom - 1, zoom);
    int last = floorDiv(from + 16 + zoom - 1, zoom) - 1;
    if (last < first) first = last = floorDiv(from, zoom); // a pixel covers several cells
    return {first, last};
}

// The path display: the flight's points joined in white, each node a 5 x 5
// orange square over its shadow, and a node's target a small orange cross
// joined to it by a dotted line.
void drawPath(Surface& s, const MapView& map, const Landscape& land, const PathState& path)
{
    constexpr Colour kFlight = rgb(255, 255, 255);
    constexpr Colour kNode = rgb(255, 160, 0);
    const std::vector<PathPoint>& points = path.points;
    for (std::size_t i = 1; i < points.size(); ++i) {
        const MapPixel a = worldToMapPixel(map, land, points[i - 1].x, points[i - 1].y);
        const MapPixel b = worldToMapPixel(map, land, points[i].x, points[i].y);
        mapLine(s, a.x, a.y, b.x, b.y, kFlight);
    }
    for (const PathNode& node : readPathNodes(path)) {
        const MapPixel p = worldToMapPixel(map, land, node.x, node.y);
        if (node.targetState == kTargetLook) {
            const MapPixel t = worldToMapPixel(map, land, node.targetX, node.targetY);
            const int steps = std::max(std::abs(t.x - p.x), std::abs(t.y - p.y));
            for (int k = 0; k <= steps; k += 3)
                put(s, p.x + (t.x - p.x) * k / std::max(steps, 1), p.y + (t.y - p.y) * k / std::max(steps, 1), kNode);
            mapLine(s, t.x - 2, t.y - 2, t.x + 2, t.y + 2, kNode);
            mapLine(s, t.x - 2, t.y + 2, t.x + 2, t.y - 2, kNode);
        }
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx) put(s, p.x + dx + 1, p.y + dy + 1, kMarkShadow);
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx) put(s, p.x + dx, p.y + dy, kNode);
    }
}

} // namespace

int mapExtent(const Landscape& land) { return std::max(land.sizeX, land.sizeY) + 1; }

void updateMapOrigin(MapView& map, const Landscape& land)
{
    const int n = mapExtent(land);
    map.originX = (map.scrollX * n) / 256 - map.zoom * 8;
    map.originY = (map.scrollY * n) / 256 - map.zoom * 8;
}

void zoomMapIn(MapView& map, const Landscape& land)
{
    map.zoom = std::max(map.zoom / 2, 1);
    updateMapOrigin(map, land);
    buildMapImage(map, land);
}

void zoomMapOut(MapView& map, const Landscape& land)
{
    map.zoom = std::min(map.zoom * 2, 256);
    updateMapOrigin(map, land);
    buildMapImage(map, land);
}

void unzoomMap(MapView& map, const Landscape& land)
{
    map.extent = mapExtent(land);
    map.zoom = std::clamp(mapExtent(land) / 16, 1, 256);
    map.scrollX = map.scrollY = 128;
    updateMapOrigin(map, land);
    buildMapImage(map, land);
}

void scrollMap(MapView& map, const Landscape& land, int scrollX, int scrollY)
{
    map.scrollX = std::clamp(scrollX, 0, 256);
    map.scrollY = std::clamp(scrollY, 0, 256);
    updateMapOrigin(map, land);
    buildMapImage(map, land);
}

void centreMap(MapView& map, const Landscape& land, double x, double y)
{
    const MapPixel mark = worldToMapPixel(map, land, x, y);
    const int n = mapExtent(land);
    const int ox = map.originX + ((mark.x - kMapCentreX) * map.zoom) / 16;
    const int oy = map.originY + ((kMapCentreY - mark.y) * map.zoom) / 16;
    map.scrollX = std::clamp(((ox + map.zoom * 8) * 256) / n, 0, 255);
    map.scrollY = std::clamp(((oy + map.zoom * 8) * 256) / n, 0, 255);
    updateMapOrigin(map, land);
    buildMapImage(map, land);
}

bool insideMap(int px, int py) { return px >= kMapLeft && px <= kMapRight && py >= kMapTop && py <= kMapBottom; }

WorldXY mapPointerToWorld(const MapView& map, const Landscape& land, int px, int py)
{
    const int column = (map.originX * 16) / map.zoom + (px - kMapLeft);
    const int row = (map.originY * 16) / map.zoom + (kMapBottom - py);
    return {column * static_cast<double>(land.spacingX) * map.zoom * 0.0625,
            row * static_cast<double>(land.spacingY) * map.zoom * 0.0625};
}

MapPixel worldToMapPixel(const MapView& map, const Landscape& land, double x, double y)
{
    const double columns = x * 16.0 / (static_cast<double>(land.spacingX) * map.zoom);
    const double rows = y * 16.0 / (static_cast<double>(land.spacingY) * map.zoom);
    // Far outside: held where it can still be told apart from the map, without overflowing an int.
    const auto whole = [](double v) { return static_cast<int>(std::clamp(std::floor(v), -1.0e6, 1.0e6)); };
    return {kMapLeft + whole(columns) - (map.originX * 16) / map.zoom,
            kMapBottom - (whole(rows) - (map.originY * 16) / map.zoom)};
}

std::optional<MapPoint> worldToCell(const Landscape& land, double x, double y)
{
    if (!(x >= 0.0) || !(y >= 0.0)) return std::nullopt;
    const double column = std::trunc(x / land.spacingX), row = std::trunc(y / land.spacingY);
    if (column > land.sizeX || row > land.sizeY) return std::nullopt;
    const MapPoint cell{static_cast<int>(column), static_cast<int>(row)};
    if (!inGrid(land, cell.column, cell.row)) return std::nullopt;
    return cell;
}

int mapElevationAt(const Landscape& land, double x, double y)
{
    const std::optional<MapPoint> cell = worldToCell(land, x, y);
    return cell ? land.elevation[cell->row][cell->column] : 0;
}

std::string mapReadout(const MapView& map, const Landscape& land, int px, int py)
{
    const WorldXY w = mapPointerToWorld(map, land, px, py);
    char text[96];
    std::snprintf(text, sizeof text, "A  X=%-6ld  Y=%-6ld  Z=%-6ld", static_cast<long>(w.x), static_cast<long>(w.y),
                  static_cast<long>(mapElevationAt(land, w.x, w.y)));
    return text;
}

Colour mapColour(int index) { return index >= 0 && index < 64 ? kMapColours[static_cast<std::size_t>(index)] : 0; }

void buildMapImage(MapView& map, const Landscape& land)
{
    const int low = land.lowestElevation, high = land.highestElevation;
    const int band = (high - low) / kShades + 1;
    const bool colours = map.display == MapDisplay::GroundColours && land.terrain.allocated();
    for (int r = 0; r < kMapSize; ++r) {
        const int row = (map.zoom * r) / 16 + map.originY;
        std::uint8_t* out = &map.image[static_cast<std::size_t>(r) * kMapSize];
        for (int c = 0; c < kMapSize; ++c) {
            const int column = (map.zoom * c) / 16 + map.originX;
            if (!inGrid(land, column, row)) {
                out[c] = kOutside;
                continue;
            }
            const std::uint16_t cell = land.terrain.allocated() ? land.terrain[row][column] : 0;
            if (colours) {
                out[c] = groundIndex(cell);
                continue;
            }
            const int code = cell & 0xFF;
            if (code >= 51 && code <= 55) {
                out[c] = kWaterShade;
            } else if (code >= 88 && code <= 91) {
                out[c] = kRoad;
            } else {
                const int e = std::clamp<int>(land.elevation[row][column], low, std::max(low, high));
                out[c] = static_cast<std::uint8_t>(kShadeFirst + std::min((e - low) / band, kShades - 1));
            }
        }
    }
}

void drawMap(Surface& s, const MapView& map, const Landscape& land, const MapMarks& marks)
{
    for (int r = 0; r < kMapSize; ++r) {
        Colour* out = s.row(kMapBottom - r) + kMapLeft;
        const std::uint8_t* in = &map.image[static_cast<std::size_t>(r) * kMapSize];
        for (int c = 0; c < kMapSize; ++c) out[c] = kMapColours[in[c] & 63];
    }
    outlineRect(s, kMapLeft - 1, kMapTop - 1, kMapRight + 1, kMapBottom + 1, panel_colour::kDark);

    if (marks.box != nullptr && marks.box->enabled != 0) {
        const BoundingBox& b = *marks.box;
        const MapPixel a = worldToMapPixel(map, land, b.firstColumn * static_cast<double>(land.spacingX),
                                           b.firstRow * static_cast<double>(land.spacingY));
        const MapPixel z = worldToMapPixel(map, land, b.lastColumn * static_cast<double>(land.spacingX),
                                           b.lastRow * static_cast<double>(land.spacingY));
        outlineMapRect(s, a.x, a.y, z.x, z.y, kMarkShadow);
    }
    if (marks.path != nullptr) {
        drawPath(s, map, land, *marks.path);
        return;
    }
    if (marks.camera == nullptr) return;
    const CameraSettings& cam = *marks.camera;
    const MapPixel eye = worldToMapPixel(map, land, cam.cameraX, cam.cameraY);
    const MapPixel target = worldToMapPixel(map, land, cam.targetX, cam.targetY);
    // The edges of the view: the line of sight turned by half the field of view each way.
    if (insideMap(eye.x, eye.y)) {
        const double sight = std::atan2(static_cast<double>(cam.targetY) - cam.cameraY,
                                        static_cast<double>(cam.targetX) - cam.cameraX);
        const double half = std::atan(1.0 / std::max(static_cast<double>(cam.focalFactor), 0.01));
        for (const double edge : {sight - half, sight + half}) {
            const MapPixel end = along(eye, edge, kViewEdgeLength);
            mapLine(s, eye.x, eye.y, end.x, end.y, kMarkColour);
        }
    }
    // The target: a 7 x 7 square over its shadow.
    for (const auto& [offset, colour] : {std::pair{1, kMarkShadow}, std::pair{0, kMarkColour}}) {
        const int x = target.x + offset, y = target.y + offset;
        mapLine(s, x - 3, y - 3, x + 3, y - 3, colour);
        mapLine(s, x - 3, y + 3, x + 3, y + 3, colour);
        mapLine(s, x - 3, y - 3, x - 3, y + 3, colour);
        mapLine(s, x + 3, y - 3, x + 3, y + 3, colour);
    }
    // The camera: a plus sign over its shadow.
    for (const auto& [offset, colour] : {std::pair{1, kMarkShadow}, std::pair{0, kMarkColour}}) {
        const int x = eye.x + offset, y = eye.y + offset;
        mapLine(s, x - 3, y, x + 3, y, colour);
        mapLine(s, x, y - 3, x, y + 3, colour);
    }
}

void plotMapCells(Surface& s, const MapView& map, const Landscape&, const MapRect& cells)
{
    const int c0 = std::min(cells.firstColumn, cells.lastColumn), c1 = std::max(cells.firstColumn, cells.lastColumn);
    const int r0 = std::min(cells.firstRow, cells.lastRow), r1 = std::max(cells.firstRow, cells.lastRow);
    const int x0 = kMapLeft + pixelsOf(c0, map.originX, map.zoom).first;
    const int x1 = kMapLeft + pixelsOf(c1, map.originX, map.zoom).second;
    const int y0 = kMapBottom - pixelsOf(r1, map.originY, map.zoom).second;
    const int y1 = kMapBottom - pixelsOf(r0, map.originY, map.zoom).first;
    fillRect(s, std::max(x0, kMapLeft), std::max(y0, kMapTop), std::min(x1, kMapRight), std::min(y1, kMapBottom),
             kPlotColour);
}

void drawMapLine(Surface& s, int x0, int y0, int x1, int y1, Colour colour) { mapLine(s, x0, y0, x1, y1, colour); }

void outlineMapRect(Surface& s, int x0, int y0, int x1, int y1, Colour colour)
{
    mapLine(s, x0, y0, x1, y0, colour);
    mapLine(s, x0, y1, x1, y1, colour);
    mapLine(s, x0, y0, x0, y1, colour);
    mapLine(s, x1, y0, x1, y1, colour);
}

} // namespace kalvenor
