#include "app/landscape_commands.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

#include "app/palette_prediction.h"
#include "base/file_requests.h"
#include "base/paths.h"
#include "files/dem_file.h"
#include "files/session_file.h"
#include "model/colour_scheme.h"
#include "model/scene_reset.h"
#include "render/image_size.h"
#include "terrain/terrain_preparation.h"

namespace kalvenor {

namespace {

// The regular files of a directory, in name order so that overlapping tiles land alike every time.
std::vector<std::string> directoryFiles(const std::string& dir)
{
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir.empty() ? "." : dir, ec))
        if (entry.is_regular_file(ec)) files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

// What a session carries must be current: the terrain maps, and a palette
// that is stale is predicted (a session loaded later renders with it).
Outcome prepareSessionSave(App& app, Frontend& ui)
{
    if (ensureTerrainComputed(app.landscape, app.scene, app.colouring, app.random, ui) != 1) return Outcome::Cancelled;
    return predictPalette(app, ui);
}

SessionSource sessionSourceOf(const App& app)
{
    return {app.landscape, app.scene, app.textures, app.path, app.palette};
}

} // namespace

LoadTarget loadTargetOf(App& app)
{
    return {app.landscape, app.scene, app.random, app.textures, app.path, app.palette, &app.colouring.sun};
}

Loaded loadLandscape(App& app, const std::string& path, Frontend& ui)
{
    LoadTarget target = loadTargetOf(app);
    const Loaded loaded = loadLandscapeFile(path, target, ui).loaded;
    if (loaded == Loaded::WithSettings) applyLoadedImageSize(app, ui);
    return loaded;
}

void applyLoadedImageSize(App& app, Frontend& ui)
{
    RenderSettings& render = app.scene.render;
    ImageGeometry& geometry = app.geometry;
    if (render.imageWidth == geometry.width && render.imageHeight == geometry.height) return;
    // A size the buffers cannot take keeps the image as it was, and the settings say so.
    if (setImageSize(app.images, geometry, render, ui, render.imageWidth, render.imageHeight) != 1) {
        render.imageWidth = geometry.width;
        render.imageHeight = geometry.height;
    }
}

Outcome loadSchemeNewLayout(App& app, const std::string& path, Frontend& ui)
{
    LoadTarget target = loadTargetOf(app);
    if (loadSchemeNewLayout(target, path, ui) != 1) return Outcome::Failed;
    applyLoadedImageSize(app, ui);
    return Outcome::Done;
}

// ---- Saves and commands ----

Outcome saveDem(App& app, const std::string& path, Frontend& ui)
{
    return outcomeOf(writeDem(app.landscape, app.scene, path, wholeLandscape(app.landscape), ui));
}

Outcome saveSession(App& app, const std::string& path, Frontend& ui)
{
    if (prepareSessionSave(app, ui) != Outcome::Done) return Outcome::Cancelled;
    return outcomeOf(writeSession(sessionSourceOf(app), path, fullSession(), ui));
}

Outcome saveScheme(App& app, const std::string& path, Frontend& ui)
{
    return outcomeOf(writeSession(sessionSourceOf(app), path, schemeFile(), ui));
}

Outcome saveSessionCommand(App& app, Frontend& ui, bool shiftHeld)
{
    const auto path = askSavePath(ui, "Save Session Landscape", app.dirs.landscape, "*.K4S", ".K4S");
    if (!path) return Outcome::Cancelled;
    if (prepareSessionSave(app, ui) != Outcome::Done) return Outcome::Cancelled;
    SessionSwitches switches = fullSession();
    if (anyTextureInUse(app.textures))
        switches.embedTextures = ui.ask("Embed textures or only their names?", "Embed", "Names only");
    if (shiftHeld) {
        switches.elevation = ui.ask("Include elevation data?", "Yes", "No");
        switches.terrain = switches.elevation && ui.ask("Include terrain map?", "Yes", "No");
        switches.shadow = switches.elevation && ui.ask("Include shadow map?", "Yes", "No");
        switches.clouds = switches.elevation && ui.ask("Include cloud pattern?", "Yes", "No");
    }
    return outcomeOf(writeSession(sessionSourceOf(app), *path, switches, ui));
}

LandscapeOpened openLandscapeCommand(App& app, Frontend& ui)
{
    const auto path = askLoadPath(ui, "Load Kalvenor Landscape", app.dirs.landscape, "*.K4S;*.DEM");
    if (!path) return {Outcome::Cancelled, Loaded::Nothing};
    const Loaded loaded = loadLandscape(app, *path, ui);
    if (loaded == Loaded::Nothing) return {Outcome::Failed, loaded};
    if (loaded == Loaded::Landscape) resetForNewLandscape(app.landscape, app.scene);
    computeElevationStatistics(app.landscape);
    app.landscape.mapStale = true;
    return {Outcome::Done, loaded};
}

Outcome loadSchemeCommand(App& app, Frontend& ui)
{
    const auto path = askLoadPath(ui, "Load Kalvenor Color Scheme", app.dirs.scheme, "*.SCM");
    if (!path) return Outcome::Cancelled;
    // The old layout first (any old-format landscape file is one), then the new.
    if (loadSchemeOldLayout(*path, app.scene.colourScheme) == SchemeLoadStatus::Ok) {
        app.landscape.paletteStale = 1;
        return Outcome::Done;
    }
    const Outcome result = loadSchemeNewLayout(app, *path, ui);
    if (result == Outcome::Done) app.landscape.paletteStale = 1;
    return result;
}

Outcome saveElevationsCommand(App& app, Frontend& ui)
{
    const auto path = askSavePath(ui, "Save Kalvenor Landscape", app.dirs.landscape, "*.DEM", ".DEM");
    if (!path) return Outcome::Cancelled;
    DemRegion region = wholeLandscape(app.landscape);
    if (!ui.ask("Save entire landscape?", "Yes", "No")) {
        ui.status("Mark Region:");
        const std::optional<MapPoint> corner = ui.mapPoint("Mark Region:");
        if (!corner) return Outcome::Cancelled;
        region = halfRegionAt(app.landscape, *corner);
    }
    return outcomeOf(writeDem(app.landscape, app.scene, *path, region, ui));
}

Outcome saveSchemeCommand(App& app, Frontend& ui)
{
    const auto path = askSavePath(ui, "Save Kalvenor Color Scheme", app.dirs.scheme, "*.SCM", ".SCM");
    if (!path) return Outcome::Cancelled;
    return saveScheme(app, *path, ui);
}

Outcome loadRegionCommand(App& app, Frontend& ui)
{
    Landscape& land = app.landscape;
    const SizeMode mode = land.sizeMode;
    if (mode == SizeMode::Automatic) {
        const std::optional<int> size = ui.choose("Select a region size:", {"Large", "Huge"});
        if (!size) return Outcome::Cancelled;
        const int side = *size == 0 ? kLargeGrid : kHugeGrid;
        if (resizeLandscape(land, app.random, side, side) == 0) {
            ui.message(kInsufficientMemory);
            return Outcome::Failed;
        }
    }
    const std::optional<std::string> chosen =
        ui.chooseFile({"Load Landsape Region", app.dirs.landscape, "*.DEM", "", false});
    if (!chosen) return Outcome::Cancelled;

    std::vector<std::uint8_t> bytes;
    LoadStatus status = readWholeFile(*chosen, bytes);
    if (status == LoadStatus::Ok) status = readRegionAnchor(bytes, app.landscape, app.scene);
    if (status != LoadStatus::Ok) {
        showLoadFailure(ui, status, *chosen);
        return Outcome::Failed;
    }
    land.elevation.clear();
    resetDerivedMaps(land);

    // Tiles never resize the grid: each would wipe the ones placed before it.
    land.sizeMode = SizeMode::Fixed;
    const std::string resolved = resolveExisting(*chosen);
    const std::size_t slash = resolved.rfind('/');
    bool aborted = false;
    for (const std::string& file : directoryFiles(slash == std::string::npos ? "" : resolved.substr(0, slash))) {
        if (ui.pollAbort()) {
            aborted = true;
            break;
        }
        ui.status("LoadingLandscape");
        status = readWholeFile(file, bytes);
        if (status == LoadStatus::Ok) status = readDemTile(bytes, land);
        // Other files in the directory are passed over; a broken tile is reported and the rest still load.
        if (status == LoadStatus::ReadFailed || status == LoadStatus::TooBig) showLoadFailure(ui, status, file);
    }
    land.sizeMode = mode;
    finishElevations(land);
    return aborted ? Outcome::Cancelled : Outcome::Done;
}

} // namespace kalvenor
