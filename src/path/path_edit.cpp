#include "path/path_edit.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

#include "model/path_layout.h"
#include "path/path_dynamics.h"
#include "path/path_generate.h"

namespace kalvenor {

namespace {

constexpr long kMaxRollFrames = 99999;
constexpr long kDefaultRollFrames = 30;

// Range of each field the panels edit, and the settings word it lands in.
struct CharacteristicRange {
    PathCharacteristic field;
    std::int32_t PathSettings::*setting;
    long min;
    long max;
};

constexpr CharacteristicRange kCharacteristics[] = {
    {PathCharacteristic::VehicleClass, &PathSettings::vehicleClass, kVehicleAir, kVehicleGround},
    {PathCharacteristic::Bank, &PathSettings::bankCoefficient, -1000, 1000},
    {PathCharacteristic::Pitching, &PathSettings::pitching, 0, 1},
    {PathCharacteristic::ExtraPitch, &PathSettings::extraPitch, -360, 360},
    {PathCharacteristic::Smoothness, &PathSettings::smoothness, 0, kMaxSmoothness},
    {PathCharacteristic::NodeHeight, &PathSettings::nodeHeight, -100000, 100000},
    {PathCharacteristic::PathClearance, &PathSettings::pathClearance, -100000, 100000},
    {PathCharacteristic::Speed, &PathSettings::speed, 1, 10000000},
};

std::size_t recordAt(int index) { return static_cast<std::size_t>(index) * kPathNodeRecordBytes; }

void ensureFullTable(PathState& path)
{
    if (path.nodes.size() < kPathNodeBytes) path.nodes.resize(kPathNodeBytes, 0);
}

// The point list after an edit. Too few nodes is the normal state while a
// path is being laid out, so only real failures are shown.
void regenerate(PathState& path, const Landscape& land, Frontend& ui)
{
    const GenerationResult result = generatePathPoints(path, land, ui);
    if (result.status == PathGeneration::DamagedNodes || result.status == PathGeneration::OutOfMemory)
        ui.message(result.message);
}

// A node at the marked cell: ground elevation plus node height, current speed.
PathNode nodeAt(const PathState& path, const Landscape& land, const MapPoint& cell)
{
    const PathSettings s = readPathSettings(path);
    double x, y;
    mapPointToWorld(land, cell, x, y);
    PathNode n;
    n.x = static_cast<float>(x);
    n.y = static_cast<float>(y);
    n.z = static_cast<float>(groundElevation(land, x, y) + s.nodeHeight);
    n.speed = static_cast<float>(s.speed);
    return n;
}

// Opens a gap at index (records index .. count - 1 move up one) and fills it.
void insertNode(PathState& path, int index, const PathNode& node)
{
    ensureFullTable(path);
    const int count = pathNodeCount(path);
    std::copy_backward(path.nodes.begin() + static_cast<std::ptrdiff_t>(recordAt(index)),
                       path.nodes.begin() + static_cast<std::ptrdiff_t>(recordAt(count)),
                       path.nodes.begin() + static_cast<std::ptrdiff_t>(recordAt(count + 1)));
    writePathNode(path, index, node);
    setPathNodeCount(path, count + 1);
}

// Closes the gap of a removed node; the freed last record is zeroed.
void eraseNode(PathState& path, int index)
{
    ensureFullTable(path);
    const int count = pathNodeCount(path);
    const auto base = path.nodes.begin();
    std::copy(base + static_cast<std::ptrdiff_t>(recordAt(index + 1)),
              base + static_cast<std::ptrdiff_t>(recordAt(count)), base + static_cast<std::ptrdiff_t>(recordAt(index)));
    std::fill(base + static_cast<std::ptrdiff_t>(recordAt(count - 1)),
              base + static_cast<std::ptrdiff_t>(recordAt(count)), std::uint8_t{0});
    setPathNodeCount(path, count - 1);
}

double squaredDistance(double ax, double ay, double bx, double by) { return (ax - bx) * (ax - bx) + (ay - by) * (ay - by); }

// Squared map distance from (px, py) to the line piece from a to b.
double squaredDistanceToPiece(double px, double py, const PathNode& a, const PathNode& b)
{
    const double dx = static_cast<double>(b.x) - a.x, dy = static_cast<double>(b.y) - a.y;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0.0 ? ((px - a.x) * dx + (py - a.y) * dy) / len2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return squaredDistance(px, py, a.x + t * dx, a.y + t * dy);
}

// Asks for a node on the map: the index of the node nearest to the marked
// cell, nothing when cancelled. Shows "No points to delete" when there are none.
std::optional<int> pickNode(const PathState& path, const Landscape& land, const std::string& prompt, Frontend& ui,
                            int& result)
{
    const std::vector<PathNode> nodes = readPathNodes(path);
    if (nodes.empty()) {
        ui.message(kNoPoints);
        result = 0;
        return std::nullopt;
    }
    const std::optional<MapPoint> cell = ui.mapPoint(prompt);
    if (!cell) {
        result = -1;
        return std::nullopt;
    }
    double x, y;
    mapPointToWorld(land, *cell, x, y);
    int best = 0;
    for (int i = 1; i < static_cast<int>(nodes.size()); ++i) {
        const PathNode& n = nodes[static_cast<std::size_t>(i)];
        const PathNode& b = nodes[static_cast<std::size_t>(best)];
        if (squaredDistance(x, y, n.x, n.y) < squaredDistance(x, y, b.x, b.y)) best = i;
    }
    return best;
}

// A value typed into the node editor, when it is one a node may hold.
float editedValue(double typed, float old)
{
    return std::isfinite(typed) && std::fabs(typed) <= kMaxPathCoordinate ? static_cast<float>(typed) : old;
}

std::int32_t editedRoll(double typed, std::int32_t old)
{
    if (!std::isfinite(typed)) return old;
    return static_cast<std::int32_t>(std::clamp(typed, -static_cast<double>(kMaxRollFrames),
                                                static_cast<double>(kMaxRollFrames)));
}

// Reads node i, lets change alter it, writes it back and regenerates.
template <typename Change>
int changeNode(PathState& path, const Landscape& land, int index, Frontend& ui, Change change)
{
    PathNode node = readPathNode(path, index);
    change(node);
    writePathNode(path, index, node);
    regenerate(path, land, ui);
    return 1;
}

} // namespace

void mapPointToWorld(const Landscape& land, const MapPoint& cell, double& x, double& y)
{
    x = cell.column * static_cast<double>(land.spacingX);
    y = cell.row * static_cast<double>(land.spacingY);
}

void createNewPath(PathState& path)
{
    path.nodes.assign(kPathNodeBytes, 0);
    setPathNodeCount(path, 0);
    path.points.clear();
    path.currentPoint = 0;
}

int appendPathNode(PathState& path, const Landscape& land, const MapPoint& cell, Frontend& ui)
{
    const int count = pathNodeCount(path);
    if (count >= kMaxPathNodes) {
        ui.message(kPathFull);
        return 0;
    }
    insertNode(path, count, nodeAt(path, land, cell));
    regenerate(path, land, ui);
    return 1;
}

void changePathNode(PathState& path, const Landscape& land, int index, const PathNode& node, Frontend& ui)
{
    changeNode(path, land, index, ui, [&](PathNode& n) { n = node; });
}

int addPathNode(PathState& path, const Landscape& land, Frontend& ui)
{
    const std::vector<PathNode> nodes = readPathNodes(path);
    if (nodes.size() < 2) {
        ui.message(kNoNodesToInsertBetween);
        return 0;
    }
    if (nodes.size() >= static_cast<std::size_t>(kMaxPathNodes)) {
        ui.message(kPathFull);
        return 0;
    }
    const std::optional<MapPoint> cell = ui.mapPoint("Add new node:");
    if (!cell) return -1;
    double x, y;
    mapPointToWorld(land, *cell, x, y);

    const bool closed = readPathSettings(path).closedLoop != 0;
    const std::size_t pieces = closed ? nodes.size() : nodes.size() - 1;
    std::size_t best = 0;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (std::size_t k = 0; k < pieces; ++k) {
        const double d = squaredDistanceToPiece(x, y, nodes[k], nodes[(k + 1) % nodes.size()]);
        if (d < bestDistance) bestDistance = d, best = k;
    }
    insertNode(path, static_cast<int>(best + 1), nodeAt(path, land, *cell));
    regenerate(path, land, ui);
    return 1;
}

int removePathNode(PathState& path, const Landscape& land, Frontend& ui)
{
    int result = 0;
    const std::optional<int> index = pickNode(path, land, "Select node (Delete Node):", ui, result);
    if (!index) return result;
    eraseNode(path, *index);
    regenerate(path, land, ui);
    return 1;
}

int editPathNode(PathState& path, const Landscape& land, Frontend& ui)
{
    int result = 0;
    const std::optional<int> index = pickNode(path, land, "Select node (Edit Node):", ui, result);
    if (!index) return result;
    const PathNode old = readPathNode(path, *index);
    const std::vector<double> shown = {old.x,       old.y,       old.z,       old.speed,
                                       old.targetX, old.targetY, old.targetZ, static_cast<double>(old.roll)};
    const std::optional<std::vector<double>> typed = ui.askLabelledNumbers(
        "Manual Node Editor:", {"  Node X:", "  Node Y:", "  Node Z:", "   Speed:", "Target X:", "Target Y:", "Target Z:",
                                "    Roll:"},
        shown);
    if (!typed || typed->size() != shown.size()) return -1;
    const std::vector<double>& v = *typed;
    return changeNode(path, land, *index, ui, [&](PathNode& n) {
        n.x = editedValue(v[0], n.x);
        n.y = editedValue(v[1], n.y);
        n.z = editedValue(v[2], n.z);
        n.speed = editedValue(v[3], n.speed);
        n.targetX = editedValue(v[4], n.targetX);
        n.targetY = editedValue(v[5], n.targetY);
        n.targetZ = editedValue(v[6], n.targetZ);
        n.roll = editedRoll(v[7], n.roll);
    });
}

int setNodeTarget(PathState& path, const Landscape& land, Frontend& ui)
{
    int result = 0;
    const std::optional<int> index = pickNode(path, land, "Select node (Set Target):", ui, result);
    if (!index) return result;
    const std::optional<MapPoint> cell = ui.mapPoint("Mark target (Set Target):");
    if (!cell) return -1;
    double x, y;
    mapPointToWorld(land, *cell, x, y);
    return changeNode(path, land, *index, ui, [&](PathNode& n) {
        n.targetX = static_cast<float>(x);
        n.targetY = static_cast<float>(y);
        n.targetZ = static_cast<float>(groundElevation(land, x, y));
        n.targetState = kTargetLook;
    });
}

int unsetNodeTarget(PathState& path, const Landscape& land, Frontend& ui)
{
    int result = 0;
    const std::optional<int> index = pickNode(path, land, "Select node (UnSet Target):", ui, result);
    if (!index) return result;
    return changeNode(path, land, *index, ui, [](PathNode& n) { n.targetState = kTargetRelease; });
}

int addNodeRoll(PathState& path, const Landscape& land, Frontend& ui)
{
    int result = 0;
    const std::optional<int> index = pickNode(path, land, "Select node (Add Roll):", ui, result);
    if (!index) return result;
    // The first node starts no segment of an open path: a roll there would never be flown.
    if (*index == 0) return 0;
    const PathNode old = readPathNode(path, *index);
    const long offered = old.roll != 0 ? std::min<long>(std::labs(static_cast<long>(old.roll)), kMaxRollFrames)
                                       : kDefaultRollFrames;
    const std::optional<long> frames = ui.askNumber("Number of frames?", offered);
    if (!frames || *frames < 1) return -1;
    const auto n = static_cast<std::int32_t>(std::min(*frames, kMaxRollFrames));
    const bool clockwise = ui.ask("Clockwise or Counterclockwise?", "Clockwise", "CounterClockwise");
    return changeNode(path, land, *index, ui, [&](PathNode& node) { node.roll = clockwise ? n : -n; });
}

int removeNodeRoll(PathState& path, const Landscape& land, Frontend& ui)
{
    int result = 0;
    const std::optional<int> index = pickNode(path, land, "Select node (Remove Roll):", ui, result);
    if (!index) return result;
    return changeNode(path, land, *index, ui, [](PathNode& n) { n.roll = 0; });
}

void toggleClosedLoop(PathState& path, const Landscape& land, Frontend& ui)
{
    PathSettings s = readPathSettings(path);
    s.closedLoop = s.closedLoop != 0 ? 0 : 1;
    writePathSettings(path, s);
    regenerate(path, land, ui);
}

void setPathVehicle(PathState& path, Vehicle vehicle, const Landscape& land, Frontend& ui)
{
    PathSettings s = readPathSettings(path);
    applyVehiclePreset(s, vehicle);
    writePathSettings(path, s);
    regenerate(path, land, ui);
}

long setPathCharacteristic(PathState& path, PathCharacteristic field, long value, const Landscape& land, Frontend& ui)
{
    PathSettings s = readPathSettings(path);
    long stored = value;
    for (const CharacteristicRange& r : kCharacteristics) {
        if (r.field != field) continue;
        stored = std::clamp(value, r.min, r.max);
        s.*r.setting = static_cast<std::int32_t>(stored);
    }
    writePathSettings(path, s);
    regenerate(path, land, ui);
    return stored;
}

} // namespace kalvenor
