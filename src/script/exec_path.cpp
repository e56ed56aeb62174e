// Camera paths from scripts: the operations of the Path panel and its map
// clicks, with map positions given in metres.
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/app.h"
#include "base/frontend.h"
#include "base/paths.h"
#include "files/path_export.h"
#include "files/script_file.h"
#include "path/path_dynamics.h"
#include "path/path_edit.h"
#include "path/path_generate.h"
#include "script/exec_handlers.h"

namespace kalvenor {

namespace {

constexpr std::int32_t kMostFrameCount = 99999; // as the "Number of frames?" requester keeps it
constexpr double kMostNodeSpeed = 10000000;      // centimetres, as the speed setting
constexpr double kMostRollFrames = 99999;         // as "Add roll" keeps it

// A name compared without letter case and blanks: "cruisemissile" is "Cruise Missile".
std::string squeezed(std::string_view text)
{
    std::string out;
    for (const char c : text)
        if (c != ' ' && c != '\t') out.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c));
    return out;
}

LineResult addNode(ScriptContext& ctx)
{
    App& app = ctx.app;
    const Landscape& land = app.landscape;
    if (ctx.args.count < 2) {
        scriptFailure(ctx, "takes the node's x and y in metres");
        return LineResult::Done;
    }
    const double x = ctx.args.number[0], y = ctx.args.number[1];
    const double width = static_cast<double>(land.sizeX) * land.spacingX;
    const double height = static_cast<double>(land.sizeY) * land.spacingY;
    if (!(x >= 0.0 && x <= width && y >= 0.0 && y <= height)) {
        char extent[96];
        std::snprintf(extent, sizeof extent, "lies outside the landscape (x 0 to %g, y 0 to %g metres)", width, height);
        scriptFailure(ctx, extent);
        return LineResult::Done;
    }
    const MapPoint cell{static_cast<int>(x / land.spacingX), static_cast<int>(y / land.spacingY)};
    if (ctx.args.count >= 3 && !(std::fabs(ctx.args.number[2]) <= kMaxPathCoordinate)) {
        scriptFailure(ctx, "takes a height above the ground from -10000000 to 10000000 metres");
        return LineResult::Done;
    }
    if (appendPathNode(app.path, land, cell, ctx.ui) != 1) {
        scriptFailure(ctx, kPathFull);
        return LineResult::Done;
    }
    if (ctx.args.count >= 3) {
        // Its own height above the ground instead of the node height setting.
        const int index = pathNodeCount(app.path) - 1;
        PathNode node = readPathNode(app.path, index);
        node.z = static_cast<float>(groundElevation(land, node.x, node.y) + ctx.args.number[2]);
        changePathNode(app.path, land, index, node, ctx.ui);
    }
    return LineResult::Done;
}

// The keywords that change the node made last: its index, or nothing (a failed line) without one.
std::optional<int> lastNode(ScriptContext& ctx)
{
    const int count = pathNodeCount(ctx.app.path);
    if (count > 0) return count - 1;
    scriptFailure(ctx, "the path has no node yet (PathNew, then PathNode x y)");
    return std::nullopt;
}

// A number a node may hold: finite and within least .. most, else a failed line.
bool nodeValue(ScriptContext& ctx, int i, double least, double most, const char* what)
{
    const double v = ctx.args.number[static_cast<std::size_t>(i)];
    if (ctx.args.count > i && v >= least && v <= most) return true;
    char text[128];
    std::snprintf(text, sizeof text, "takes %s from %.0f to %.0f", what, least, most);
    scriptFailure(ctx, text);
    return false;
}

LineResult changeLastNode(ScriptContext& ctx)
{
    App& app = ctx.app;
    const std::optional<int> index = lastNode(ctx);
    if (!index) return LineResult::Done;
    PathNode node = readPathNode(app.path, *index);
    const double most = kMaxPathCoordinate;
    switch (ctx.param) {
    case kPathNodeAltitude:
        if (!nodeValue(ctx, 0, -most, most, "an altitude in metres")) return LineResult::Done;
        node.z = static_cast<float>(ctx.args.number[0]);
        break;
    case kPathNodeSpeed:
        if (!nodeValue(ctx, 0, 1, kMostNodeSpeed, "centimetres between frames")) return LineResult::Done;
        node.speed = static_cast<float>(ctx.args.number[0]);
        break;
    case kPathNodeTarget: {
        if (!nodeValue(ctx, 0, -most, most, "the target's x, y (and z) in metres") ||
            !nodeValue(ctx, 1, -most, most, "the target's x, y (and z) in metres"))
            return LineResult::Done;
        const double x = ctx.args.number[0], y = ctx.args.number[1];
        double z = groundElevation(app.landscape, x, y);
        if (ctx.args.count >= 3) {
            if (!nodeValue(ctx, 2, -most, most, "the target's x, y (and z) in metres")) return LineResult::Done;
            z = ctx.args.number[2];
        }
        node.targetX = static_cast<float>(x);
        node.targetY = static_cast<float>(y);
        node.targetZ = static_cast<float>(z);
        node.targetState = kTargetLook;
        break;
    }
    case kPathNodeTargetOff: node.targetState = kTargetRelease; break;
    case kPathNodeRoll:
        if (!nodeValue(ctx, 0, -kMostRollFrames, kMostRollFrames, "frames of a barrel roll (- counter-clockwise)"))
            return LineResult::Done;
        if (*index == 0 && ctx.args.number[0] != 0) {
            scriptFailure(ctx, "the first node takes no roll: no piece of the path starts there");
            return LineResult::Done;
        }
        node.roll = static_cast<std::int32_t>(ctx.args.number[0]);
        break;
    default: return LineResult::Done;
    }
    changePathNode(app.path, app.landscape, *index, node, ctx.ui);
    return LineResult::Done;
}

LineResult chooseVehicle(ScriptContext& ctx)
{
    const std::string wanted = squeezed(ctx.args.rest);
    std::string names;
    for (const VehiclePreset& preset : kVehiclePresets) {
        if (squeezed(preset.name) == wanted) {
            setPathVehicle(ctx.app.path, preset.vehicle, ctx.app.landscape, ctx.ui);
            return LineResult::Done;
        }
        names += (names.empty() ? "" : ", ") + std::string(preset.name);
    }
    scriptFailure(ctx, "no such vehicle; the vehicles are " + names);
    return LineResult::Done;
}

// The flight of the path made anew; false (a failed line) when it makes no frames.
bool flightPoints(ScriptContext& ctx)
{
    App& app = ctx.app;
    if (pathNodeCount(app.path) == 0) {
        scriptFailure(ctx, "there is no camera path (PathNew, then PathNode x y for each node)");
        return false;
    }
    const GenerationResult generated = generatePathPoints(app.path, app.landscape, ctx.ui);
    if (!generated.message.empty()) {
        ctx.ui.message(generated.message);
        scriptFailure(ctx, generated.message);
        return false;
    }
    if (app.path.points.empty()) {
        scriptFailure(ctx, "the path makes no frames");
        return false;
    }
    return true;
}

// The flight's frame lines, as PathExport writes them, run in place of the line.
LineResult renderFlight(ScriptContext& ctx)
{
    if (!flightPoints(ctx)) return LineResult::Done;
    std::vector<PathPoint> points = ctx.app.path.points;
    foldPointAngles(points);
    const std::string text = pathScriptText(points);
    std::vector<std::string>& lines = ctx.place.insertedLines;
    lines.clear();
    std::size_t start = 0;
    for (int skipped = 0; start < text.size();) {
        const std::size_t end = text.find('\n', start);
        if (skipped < 2) ++skipped; // the header and caption
        else lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return LineResult::PathFrames;
}

LineResult exportFrames(ScriptContext& ctx)
{
    App& app = ctx.app;
    if (!flightPoints(ctx)) return LineResult::Done;
    const std::string target = normaliseSeparators(ctx.args.word);
    if (writePathScript(app.path.points, target) != PathExportStatus::Ok) {
        ctx.ui.message(fileMessage(kErrorWritingFile, target));
        scriptFailure(ctx, saveFailureReason(target, "the file could not be written"));
    }
    return LineResult::Done;
}

// What a script write came to, as a failed line when it failed.
void reportScriptWrite(ScriptContext& ctx, ScriptWrite status, const std::string& path)
{
    switch (status) {
    case ScriptWrite::Ok: return;
    case ScriptWrite::NotScript:
        ctx.ui.message("\"" + path + "\" is not a script file");
        scriptFailure(ctx, "not a script file: its first line must read \"" + std::string(kScriptHeader) + "\"");
        return;
    case ScriptWrite::OpenFailed:
        ctx.ui.message(fileMessage(kErrorOpeningFile, path));
        scriptFailure(ctx, loadFailureReason(path, "the file could not be opened"));
        return;
    case ScriptWrite::WriteFailed:
        ctx.ui.message(fileMessage(kErrorWritingFile, path));
        scriptFailure(ctx, saveFailureReason(path, "the file could not be written"));
        return;
    }
}

LineResult straightFlight(ScriptContext& ctx)
{
    if (ctx.args.word.empty() || ctx.args.count < 1) {
        scriptFailure(ctx, "takes a script name and a number of frames");
        return LineResult::Done;
    }
    const std::int32_t frames = intArg(ctx);
    if (!argumentInRange(ctx, frames, 0, kMostFrameCount)) return LineResult::Done;
    const std::string path = normaliseSeparators(ctx.args.word);
    reportScriptWrite(ctx, writeStraightFlight(path, ctx.app.scene.camera, frames), path);
    return LineResult::Done;
}

} // namespace

LineResult execPath(ScriptContext& ctx)
{
    App& app = ctx.app;
    switch (ctx.param) {
    case kPathNew: createNewPath(app.path); return LineResult::Done;
    case kPathNode: return addNode(ctx);
    case kPathVehicle: return chooseVehicle(ctx);
    case kPathClosedOn:
    case kPathClosedOff:
        if ((readPathSettings(app.path).closedLoop != 0) != (ctx.param == kPathClosedOn))
            toggleClosedLoop(app.path, app.landscape, ctx.ui);
        return LineResult::Done;
    case kPathExport: return exportFrames(ctx);
    case kPathAppendCamera: {
        const std::string path = normaliseSeparators(ctx.args.word);
        reportScriptWrite(ctx, appendCameraLine(path, app.scene.camera), path);
        return LineResult::Done;
    }
    case kPathStraightFlight: return straightFlight(ctx);
    case kPathNodeAltitude:
    case kPathNodeSpeed:
    case kPathNodeTarget:
    case kPathNodeTargetOff:
    case kPathNodeRoll: return changeLastNode(ctx);
    case kPathRender: return renderFlight(ctx);
    case kPathLiftOn:
    case kPathLiftOff: {
        // Air paths lifted to the path clearance wherever the spline would pass lower.
        PathSettings s = readPathSettings(app.path);
        s.groundClearance = ctx.param == kPathLiftOn ? 1 : 0;
        writePathSettings(app.path, s);
        return LineResult::Done;
    }
    default: break;
    }
    // The characteristics: a number stored within its field's range.
    const auto field = static_cast<PathCharacteristic>(ctx.param - kPathCharacteristic);
    const double value = ctx.args.number[0];
    if (ctx.args.count < 1 || !(std::fabs(value) <= 2147483647.0)) {
        scriptFailure(ctx, "takes a number");
        return LineResult::Done;
    }
    setPathCharacteristic(app.path, field, static_cast<long>(value), app.landscape, ctx.ui);
    return LineResult::Done;
}

} // namespace kalvenor
