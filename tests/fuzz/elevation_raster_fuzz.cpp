// The elevation raster import as hostile input, through an in-memory file:
// whatever GDAL makes of the bytes, the import either succeeds or fails
// cleanly. The length of the input picks the fit, so every fit is reached.
#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

#include "interchange/elevation_raster.h"
#include "model/random_streams.h"
#include "platform/scripted_frontend.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kalvenor;
    const int fd = memfd_create("kalvenor-fuzz", 0);
    if (fd < 0) return 0;
    std::size_t written = 0;
    while (written < size) {
        const ssize_t n = write(fd, data + written, size - written);
        if (n <= 0) break;
        written += static_cast<std::size_t>(n);
    }
    const std::string path = "/proc/self/fd/" + std::to_string(fd);

    static Landscape* land = nullptr;
    static RandomStreams random;
    if (land == nullptr) land = new Landscape;
    if (land->gridWidth != kSmallGrid || land->gridHeight != kSmallGrid || !land->elevation.allocated())
        resizeLandscape(*land, random, kSmallGrid, kSmallGrid);
    ScriptedFrontend ui;
    const ElevationImportOptions options{static_cast<RasterFit>(size % 4)};
    (void)importElevations(*land, random, path, options, ui);
    close(fd);
    return 0;
}
