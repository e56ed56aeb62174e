#include "path/path_generate.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "base/frontend.h"
#include "model/camera_aim.h"
#include "model/path_layout.h"
#include "path/path_dynamics.h"
#include "path/path_spline.h"

namespace kalvenor {

namespace {

// Air paths without ground clearance are checked against this minimum, which
// never lifts a path that stays above ground.
constexpr double kNoClearance = -10000.0;

std::string countText(const char* format, int a, int b = 0, int c = 0)
{
    char text[96];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

// Takes the room of the point list: the full capacity, else the smaller one. 0
// when neither can be had.
std::size_t reservePoints(PathState& path)
{
    const std::size_t rooms[] = {path.pointCapacity, std::min(path.pointCapacity, kPathPointFallbackCapacity)};
    for (std::size_t room : rooms) {
        try {
            path.points.reserve(room);
            return room;
        } catch (const std::bad_alloc&) {
        }
    }
    return 0;
}

void makeAltitudes(PathState& path, const Landscape& land, const PathSettings& s, int smoothness, Frontend& ui)
{
    std::vector<PathPoint>& points = path.points;
    const int count = static_cast<int>(points.size());
    const bool closed = s.closedLoop != 0;
    const int passes = smoothness / 2;
    if (s.vehicleClass == kVehicleGround) followGround(points, land, s.pathClearance);
    for (int pass = 1; pass <= passes; ++pass) {
        ui.status(countText("%d Points...Smoothing Alts (%d/%d)", count, pass, passes));
        smoothAltitudes(points, closed);
    }
    if (s.vehicleClass != kVehicleGround) {
        const double minimum = s.groundClearance != 0 ? static_cast<double>(s.pathClearance) : kNoClearance;
        path.greatestHeight = static_cast<float>(adjustClearance(points, land, minimum, smoothness, closed, ui));
    }
}

void makeHeadings(std::vector<PathPoint>& points, bool closed, int smoothness, Frontend& ui)
{
    ui.status("Making Headings");
    computeHeadings(points, closed);
    for (int pass = 1; pass <= smoothness; ++pass) {
        ui.status(countText("Smooth Headings (%d/%d)", pass, smoothness));
        smoothAngles(points, &PathPoint::heading, closed);
    }
}

void makeBanks(std::vector<PathPoint>& points, const std::vector<PathNode>& nodes, const PathSettings& s,
               int smoothness, Frontend& ui)
{
    const int count = static_cast<int>(points.size());
    const bool closed = s.closedLoop != 0;
    ui.status(countText("%d Points...Making Banks", count));
    computeBanks(points, s.bankCoefficient);
    applyNodeRolls(points, nodes, s.closedAtGeneration != 0);
    for (int pass = 1; pass <= 2 * smoothness; ++pass) {
        ui.status(countText("%d Points...Smooth Banks (%d/%d)", count, pass, 2 * smoothness));
        smoothAngles(points, &PathPoint::bank, closed);
    }
}

void makePitches(std::vector<PathPoint>& points, const PathSettings& s, int smoothness, Frontend& ui)
{
    ui.status("Generating Pitches");
    if (s.pitching == 0) {
        for (PathPoint& p : points) p.pitch = static_cast<float>(s.extraPitch);
        return;
    }
    computePitches(points, s.extraPitch);
    const int passes = smoothness / 2;
    for (int pass = 1; pass <= passes; ++pass) {
        ui.status(countText("Smoothing Pitches (%d/%d)", pass, passes));
        smoothPitches(points, s.closedLoop != 0);
    }
}

GenerationResult refuse(PathState& path, PathGeneration status, std::string message)
{
    path.points.clear();
    path.currentPoint = 0;
    return {status, std::move(message)};
}

} // namespace

GenerationResult generatePathPoints(PathState& path, const Landscape& land, Frontend& ui)
{
    PathSettings s = readPathSettings(path);
    s.closedAtGeneration = s.closedLoop; // the roll step continues a roll round a loop only if it was one
    writePathSettings(path, s);

    const std::vector<PathNode> nodes = readPathNodes(path);
    if (nodes.empty()) return refuse(path, PathGeneration::NoNodes, {});
    if (nodes.size() < 4) return refuse(path, PathGeneration::TooFewNodes, kTooFewNodes);
    if (auto bad = checkPathNodes(nodes)) return refuse(path, PathGeneration::DamagedNodes, *bad);
    path.points.clear();
    const std::size_t capacity = reservePoints(path);
    if (capacity == 0) return refuse(path, PathGeneration::OutOfMemory, kPointsOutOfMemory);

    const int smoothness = std::clamp(s.smoothness, 0, kMaxSmoothness);
    ui.status("Generating Splines...");
    buildSplinePoints(nodes, s, capacity, path.points);
    ui.status("Generating Points...");
    ui.status(countText("%d Points...Setting Alts", static_cast<int>(path.points.size())));
    makeAltitudes(path, land, s, smoothness, ui);
    makeHeadings(path.points, s.closedLoop != 0, smoothness, ui);
    makeBanks(path.points, nodes, s, smoothness, ui);
    makePitches(path.points, s, smoothness, ui);

    path.currentPoint = currentPathPoint(path);
    ui.status("");
    return {};
}

int generatePath(PathState& path, const Landscape& land, Frontend& ui)
{
    const GenerationResult result = generatePathPoints(path, land, ui);
    if (!result.message.empty()) ui.message(result.message);
    return path.points.empty() ? 0 : 1;
}

int currentPathPoint(const PathState& path)
{
    if (path.points.empty()) return 0;
    return std::clamp(path.currentPoint, 0, static_cast<int>(path.points.size()) - 1);
}

void setCameraToPoint(const PathState& path, int i, CameraSettings& camera)
{
    if (path.points.empty()) return;
    const PathPoint& p = path.points[static_cast<std::size_t>(std::clamp(i, 0, static_cast<int>(path.points.size()) - 1))];
    setCamera(camera, p.x, p.y, p.z);
    camera.bank = p.bank;
    camera.heading = p.heading;
    camera.pitch = p.pitch;
}

int playPath(PathState& path, CameraSettings& camera, int first, int rate, Frontend& ui,
             const std::function<bool(const CameraSettings&)>& show, const std::function<void(int)>& waitMillis)
{
    if (path.points.empty()) {
        ui.message(kNoPathToView);
        return 0;
    }
    const int delay = 1000 / std::max(rate, 1);
    int shown = 0;
    for (int i = std::max(first, 0); i < static_cast<int>(path.points.size()); ++i) {
        if (shown > 0) waitMillis(delay);
        if (ui.pollAbort()) break;
        setCameraToPoint(path, i, camera);
        path.currentPoint = i;
        ++shown;
        if (!show(camera)) break;
    }
    return shown;
}

} // namespace kalvenor
