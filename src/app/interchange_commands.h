// Elevations and meshes exchanged with other programs (GIS tools, terrain
// programs, 3-D packages and game engines): the operations behind the
// ImportElevations, ExportElevations and ExportMesh keywords, the Imp/Exp
// menu's entries and "kalvenor convert", with what each needs of the App
// around the readers and writers of src/interchange.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/app.h"
#include "base/outcome.h"
#include "interchange/elevation_raster.h"

namespace kalvenor {

// The fit of an import by its name in scripts and on the command line, letters
// in any case: "rules" (the landscape's size rules), "crop", "bilinear",
// "nearest". Nothing for any other word.
std::optional<RasterFit> rasterFitNamed(std::string_view name);

// Elevations from a raster GDAL reads. Elevations are metres then: the
// vertical scale becomes 1 and the sea level 0. What the import found (sizes,
// clipped and filled cells, notes) goes to ui.report line by line. Failed
// with the message shown and the landscape and settings as they were.
Outcome importElevationRaster(App& app, const std::string& path, RasterFit fit, Frontend& ui);

// The grid as GeoTIFF, 16-bit PNG or Terragen, by the extension. Failed with
// the message shown.
Outcome exportElevationRaster(App& app, const std::string& path, Frontend& ui);

// The landscape as a mesh (OBJ, glTF binary, STL or PLY by the extension),
// every step-th point, within the bounding box when it is on, water apart and
// trees in glTF. Ground colours out of date are worked out first, as before a
// session is saved ("Need to calculate colors/shades"). Cancelled when that
// was declined or an abort came.
Outcome exportLandscapeMesh(App& app, const std::string& path, int step, Frontend& ui);

// ---- Menu commands: Done, Failed (the message shown), or Cancelled ----

// "Import elevations": the file, then how to fit it, then the import and the
// new-landscape reset.
Outcome importElevationsCommand(App& app, Frontend& ui);
// "Export elevations": the file (".TIF" added to a name without extension).
Outcome exportElevationsCommand(App& app, Frontend& ui);
// "Export mesh": the file (".GLB" added to a name without extension) and the
// subsample rate.
Outcome exportMeshCommand(App& app, Frontend& ui);

} // namespace kalvenor
