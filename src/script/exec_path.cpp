// Camera paths from scripts: the operations of the Path panel and its map
// clicks, with map positions given in metres.
#include <cmath>
#include <cstdio>
#include <string>

#include "app/app.h"
#include "base/frontend.h"
#include "base/paths.h"
#include "files/path_export.h"
#include "files/script_file.h"
#include "path/path_edit.h"
#include "path/path_generate.h"
#include "script/exec_handlers.h"

namespace kalvenor {

namespace {

constexpr std::int32_t kMostFrameCount = 99999; // as the "Number of frames?" requester keeps it

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
    if (appendPathNode(app.path, land, cell, ctx.ui) != 1) scriptFailure(ctx, kPathFull);
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

LineResult exportFrames(ScriptContext& ctx)
{
    App& app = ctx.app;
    const GenerationResult generated = generatePathPoints(app.path, app.landscape, ctx.ui);
    if (!generated.message.empty()) {
        ctx.ui.message(generated.message);
        scriptFailure(ctx, generated.message);
        return LineResult::Done;
    }
    if (app.path.points.empty()) {
        scriptFailure(ctx, "the path makes no frames");
        return LineResult::Done;
    }
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
