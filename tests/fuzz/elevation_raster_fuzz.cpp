// The elevation raster import as hostile input, through an in-memory file:
// whatever GDAL makes of the bytes, the import either succeeds or fails
// cleanly. The length of the input picks the fit, so every fit is reached.
#include <cstddef>
#include <cstdint>
#include <string>

#include "interchange/elevation_raster.h"
#include "memory_file.h"
#include "model/random_streams.h"
#include "platform/scripted_frontend.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kalvenor;
    const fuzzing::MemoryFile file(data, size);
    if (!file.ok()) return 0;
    const std::string& path = file.path();

    static Landscape* land = nullptr;
    static RandomStreams random;
    if (land == nullptr) land = new Landscape;
    if (land->gridWidth != kSmallGrid || land->gridHeight != kSmallGrid || !land->elevation.allocated())
        resizeLandscape(*land, random, kSmallGrid, kSmallGrid);
    ScriptedFrontend ui;
    const ElevationImportOptions options{static_cast<RasterFit>(size % 4)};
    (void)importElevations(*land, random, path, options, ui);
    return 0;
}
