// Elevation rasters exchanged with GIS tools and other terrain programs
// through GDAL: any raster GDAL reads comes in as the landscape's elevations,
// placement and spacing; the grid goes out as GeoTIFF, 16-bit PNG or Terragen.
//
// Grid and raster: grid column c is raster column c and grid row r counts
// from the south, as in our DXF export (x = utmX + c * spacingX, y = utmY +
// r * spacingY). Each grid sample sits at the centre of its pixel. A north-up
// raster therefore holds grid row gridHeight - 1 in its first row, and its
// geotransform is (utmX - spacingX / 2, spacingX, 0, utmY + (gridHeight - 1/2)
// * spacingY, 0, -spacingY).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "model/landscape.h"

namespace kalvenor {

class Frontend;
struct RandomStreams;

// How a raster is brought to a grid the landscape allows.
//  SizeRules: the raster whole, one pixel to one cell. In automatic size mode
//             the grid becomes the smallest size holding it (each side a
//             multiple of 8 plus 2, at most 2050); in fixed mode the raster
//             must fit the current grid. Either way a raster too large is
//             refused with a message suggesting Crop or a fit.
//  Crop:      one pixel to one cell, as much of the raster as the grid takes:
//             its first rows and columns as stored (the north-west corner of
//             a north-up raster). Automatic mode sizes the grid as SizeRules
//             does for the part taken, at most 2050 a side.
//  Bilinear,
//  Nearest:   the raster resampled over the whole grid, its corner pixels on
//             the grid's corner samples. Automatic mode takes the raster's
//             size shrunk (never grown) to fit 2050 a side keeping its aspect,
//             then the sizes SizeRules gives; fixed mode keeps the grid. The
//             spacing of each axis changes so that the extent stays the same.
enum class RasterFit { SizeRules, Crop, Bilinear, Nearest };

struct ElevationImportOptions {
    RasterFit fit = RasterFit::SizeRules;
};

// What an import found, for the info text and the script log. Filled only by
// an import that succeeds.
struct ElevationImportReport {
    std::string driver;    // GDAL's short name, e.g. "GTiff"
    int rasterWidth = 0;   // pixels
    int rasterHeight = 0;
    int gridWidth = 0;     // the grid after the import
    int gridHeight = 0;
    int dataWidth = 0;     // the cells the raster's data cover, from column 0 and row 0
    int dataHeight = 0;
    long long clippedLow = 0;  // cells raised to kLowestImported
    long long clippedHigh = 0; // cells lowered to 32767
    long long noDataFilled = 0;  // cells inside the raster without a value, filled
    long long outsideFilled = 0; // cells beyond the raster's data, filled
    bool geographic = false;     // degrees converted to metres at the centre latitude
    std::vector<std::string> lines; // all of the above and every note, as sentences
};

// Imported elevations are clipped to this and 32767: anything lower would
// count as an unset cell for the fill rule (kUnsetBelow in terrain/remove_steps.h).
constexpr int kLowestImported = -30000;

// Rasters larger than this are refused before any pixel is read: the largest
// grid times kRasterAreaFactor in cells, and kRasterAreaFactor times the largest
// grid's side on either side.
constexpr long long kRasterAreaFactor = 16;
constexpr long long kMaxRasterCells = static_cast<long long>(kMaxGrid) * kMaxGrid * kRasterAreaFactor;
constexpr long long kMaxRasterSide = static_cast<long long>(kMaxGrid) * kRasterAreaFactor;

// Reads the first band of the raster at path into the landscape. The file must
// be a regular local file the run may read (confinement, case-insensitive
// lookup as for our own readers) in one of the formats of
// elevationImportDrivers(). Elevations are the band's values with its scale
// and offset applied, in metres (feet converted), rounded half away from
// zero and clipped to kLowestImported..32767; no-data and non-finite pixels
// and cells beyond the raster get the fill rule's value. The geotransform
// gives the placement and spacing; see the notes in the report for rasters
// without one, in degrees, or rotated.
//
// The whole raster is read and checked before the landscape is touched.
// After a success the derived maps are reset, the landscape is named after
// the file, marked modified and its map stale, and the statistics are
// computed; the scene reset (resetForNewLandscape) is left to the caller.
// Returns 1; 0 on failure, reported through ui with the file and the reason,
// with the landscape as it was.
int importElevations(Landscape& land, RandomStreams& random, const std::string& path,
                     const ElevationImportOptions& options, Frontend& ui, ElevationImportReport* report = nullptr);

// Writes the whole grid (gridWidth x gridHeight, north row first) in the
// format the extension names, letters in any case:
//  .tif, .tiff  GeoTIFF, Int16 metres, deflate-compressed, the geotransform
//               above, no coordinate system;
//  .png         16-bit greyscale holding elevation + 32768, with the sidecar
//               PATH.aux.xml (GDAL's own) giving offset -32768, scale 1 and
//               the geotransform, so that GDAL readers see metres and our
//               import gets every cell back exactly;
//  .ter         Terragen, through GDAL's driver: metres stored in 65536 steps
//               over the grid's span (exact after rounding while the span
//               stays well below 65536 m), one horizontal spacing (the mean
//               of the two, with a report when they differ), no placement.
// Each file replaces the previous one only once written whole (a temporary
// file in the same folder, renamed); a sidecar left from an earlier file that
// this one does not have is removed, since GDAL would take its georeferencing
// before the file's own. Returns 1, or 0 with the failure reported through ui.
int exportElevations(const Landscape& land, const std::string& path, Frontend& ui);

// Whether exportElevations writes this file's extension.
bool isElevationExportExtension(const std::string& path);

// The GDAL drivers an import may use, for messages and the docs.
std::span<const char* const> elevationImportDrivers();

} // namespace kalvenor
