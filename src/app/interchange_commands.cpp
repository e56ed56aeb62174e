#include "app/interchange_commands.h"

#include <algorithm>
#include <cctype>

#include "base/file_requests.h"
#include "base/frontend.h"
#include "interchange/mesh_export.h"
#include "model/scene_reset.h"
#include "terrain/terrain_preparation.h"

namespace kalvenor {

namespace {

std::string folded(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

constexpr const char* kRasterFilter = "*.TIF;*.TIFF;*.PNG;*.HGT;*.ASC;*.TER;*.BIL;*.DEM;*.IMG;*.BT;*.GRD;*.PGM";

} // namespace

std::optional<RasterFit> rasterFitNamed(std::string_view name)
{
    const std::string word = folded(name);
    if (word == "rules") return RasterFit::SizeRules;
    if (word == "crop") return RasterFit::Crop;
    if (word == "bilinear") return RasterFit::Bilinear;
    if (word == "nearest") return RasterFit::Nearest;
    return std::nullopt;
}

Outcome importElevationRaster(App& app, const std::string& path, RasterFit fit, Frontend& ui)
{
    ElevationImportOptions options;
    options.fit = fit;
    ElevationImportReport report;
    if (importElevations(app.landscape, app.random, path, options, ui, &report) != 1) return Outcome::Failed;
    app.scene.generation.verticalScale = 1.0f;
    app.scene.generation.verticalScale2 = 1.0f;
    app.scene.colouring.seaLevel = 0;
    for (const std::string& line : report.lines) ui.report(line);
    return Outcome::Done;
}

Outcome exportElevationRaster(App& app, const std::string& path, Frontend& ui)
{
    if (exportElevations(app.landscape, path, ui) != 1) return Outcome::Failed;
    ui.status("Saved " + path);
    return Outcome::Done;
}

Outcome exportLandscapeMesh(App& app, const std::string& path, int step, Frontend& ui)
{
    // A file the export refuses is refused before any colouring is done for it.
    if (!isMeshExportExtension(path)) {
        ui.message(fileMessage(kErrorWritingFile, path) + ": the name must end in .obj, .glb, .stl or .ply");
        return Outcome::Failed;
    }
    if (ensureTerrainComputed(app.landscape, app.scene, app.colouring, app.random, ui) != 1) return Outcome::Cancelled;
    MeshExportOptions options;
    options.step = std::max(step, 1);
    options.boundingBox = true; // the box limits the export when it is on, as for ASCII Z and DXF
    const TreeSettings& trees = app.scene.trees;
    options.treeSizes = {trees.palmSize, trees.oakSize, trees.cactusSize, trees.pineSize};
    switch (exportMesh(app.landscape, app.scene.render.box, app.scene.colourScheme, options, path, ui)) {
    case 1: ui.status("Saved " + path); return Outcome::Done;
    case 0: return Outcome::Failed;
    default: return Outcome::Cancelled;
    }
}

Outcome importElevationsCommand(App& app, Frontend& ui)
{
    const auto path = askLoadPath(ui, "Import Elevations", app.dirs.landscape, kRasterFilter);
    if (!path) return Outcome::Cancelled;
    const auto choice = ui.choose("Fit the raster to the landscape by:",
                                  {"Size rules", "Crop", "Bilinear", "Nearest"});
    if (!choice) return Outcome::Cancelled;
    constexpr RasterFit kFits[] = {RasterFit::SizeRules, RasterFit::Crop, RasterFit::Bilinear, RasterFit::Nearest};
    const Outcome outcome = importElevationRaster(app, *path, kFits[std::clamp(*choice, 0, 3)], ui);
    if (outcome == Outcome::Done) resetForNewLandscape(app.landscape, app.scene);
    return outcome;
}

Outcome exportElevationsCommand(App& app, Frontend& ui)
{
    const auto path = askSavePath(ui, "Export Elevations", app.dirs.landscape, "*.TIF;*.TIFF;*.PNG;*.TER", ".TIF");
    if (!path) return Outcome::Cancelled;
    return exportElevationRaster(app, *path, ui);
}

Outcome exportMeshCommand(App& app, Frontend& ui)
{
    const auto path = askSavePath(ui, "Export Mesh", app.dirs.landscape, "*.GLB;*.OBJ;*.STL;*.PLY", ".GLB");
    if (!path) return Outcome::Cancelled;
    const std::optional<long> step = ui.askNumber("Subsample rate:", 1);
    if (!step) return Outcome::Cancelled;
    return exportLandscapeMesh(app, *path, static_cast<int>(std::clamp(*step, 1L, 2048L)), ui);
}

} // namespace kalvenor
