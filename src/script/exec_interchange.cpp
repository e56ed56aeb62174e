// Keywords that bring elevations in from rasters other programs write and send
// the landscape out as rasters and meshes (our extensions). A failed import
// or export shows its message, the line counts as failed and the script goes
// on with the next one.
#include <sstream>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/interchange_commands.h"
#include "base/paths.h"
#include "script/exec_handlers.h"

namespace kalvenor {

// ImportElevations name [rules|crop|bilinear|nearest]: the first band of any
// raster GDAL reads, fitted by the landscape's size rules unless told.
LineResult execImportElevations(ScriptContext& ctx)
{
    std::istringstream words(ctx.args.rest);
    std::vector<std::string> given;
    for (std::string word; words >> word;) given.push_back(word);
    ctx.applyMarks = false;
    if (given.empty() || given.size() > 2) {
        scriptFailure(ctx, "takes a file name and, if wanted, how to fit it: rules, crop, bilinear or nearest");
        return LineResult::Done;
    }
    RasterFit fit = RasterFit::SizeRules;
    if (given.size() == 2) {
        const std::optional<RasterFit> named = rasterFitNamed(given[1]);
        if (!named) {
            scriptFailure(ctx, "\"" + given[1] + "\" is not a fit: rules, crop, bilinear or nearest");
            return LineResult::Done;
        }
        fit = *named;
    }
    const std::string path = resolveExisting(given[0]);
    if (importElevationRaster(ctx.app, path, fit, ctx.ui) != Outcome::Done) {
        scriptFailure(ctx, loadFailureReason(path, "not an elevation raster that can be read"));
        return LineResult::Done;
    }
    ctx.applyMarks = true;
    return LineResult::Done;
}

// ExportElevations name: GeoTIFF, 16-bit PNG or Terragen by the extension.
LineResult execExportElevations(ScriptContext& ctx)
{
    const std::string path = normaliseSeparators(ctx.args.word);
    if (exportElevationRaster(ctx.app, path, ctx.ui) != Outcome::Done)
        scriptFailure(ctx, saveFailureReason(path, "the file could not be written"));
    return LineResult::Done;
}

// ExportMesh name [step]: OBJ, glTF binary, STL or PLY by the extension, every
// step-th point (1 when not given).
LineResult execExportMesh(ScriptContext& ctx)
{
    const std::string path = normaliseSeparators(ctx.args.word);
    const std::int32_t step = ctx.args.count >= 1 ? intArg(ctx, 0) : 1;
    if (!argumentInRange(ctx, step, 1, 2048, " as the subsample rate")) return LineResult::Done;
    switch (exportLandscapeMesh(ctx.app, path, step, ctx.ui)) {
    case Outcome::Done: break;
    case Outcome::Failed: scriptFailure(ctx, saveFailureReason(path, "the file could not be written")); break;
    case Outcome::Cancelled: scriptFailure(ctx, "aborted before it was written"); break;
    }
    return LineResult::Done;
}

} // namespace kalvenor
