#include "interchange/elevation_raster.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>
#include <vector>

#include <cpl_string.h>
#include <cpl_vsi.h>
#include <gdal.h>

#include "base/atomic_file.h"
#include "base/frontend.h"
#include "base/paths.h"
#include "interchange/elevation_raster_gdal.h"

namespace kalvenor {

namespace {

using namespace raster_gdal;

enum class RasterFormat { GeoTiff, Png, Terragen };

struct ExportFormat {
    std::string_view extension; // lower case
    RasterFormat format;
    const char* driver;
};

constexpr std::array<ExportFormat, 4> kExportFormats = {{
    {".tif", RasterFormat::GeoTiff, "GTiff"},
    {".tiff", RasterFormat::GeoTiff, "GTiff"},
    {".png", RasterFormat::Png, "PNG"},
    {".ter", RasterFormat::Terragen, "Terragen"},
}};

const ExportFormat* exportFormatOf(const std::string& path)
{
    const std::string extension = lowerExtension(path);
    for (const ExportFormat& f : kExportFormats)
        if (f.extension == extension) return &f;
    return nullptr;
}

// The in-memory folder GDAL writes an export into, removed with everything in
// it when done. Its name holds the object's address, so no two live folders
// share one.
class MemoryFolder {
public:
    MemoryFolder() : dir_("/vsimem/kalvenor-export-" + std::to_string(reinterpret_cast<std::uintptr_t>(this))) {}
    ~MemoryFolder() { VSIRmdirRecursive(dir_.c_str()); }
    MemoryFolder(const MemoryFolder&) = delete;
    MemoryFolder& operator=(const MemoryFolder&) = delete;

    std::string file(std::string_view name) const { return dir_ + "/" + std::string(name); }

private:
    std::string dir_;
};

// The bytes of an in-memory file, valid while it exists; empty when there is none.
std::span<const std::uint8_t> memoryFile(const std::string& name)
{
    VSIStatBufL stat;
    if (VSIStatL(name.c_str(), &stat) != 0) return {};
    vsi_l_offset bytes = 0;
    const GByte* data = VSIGetMemFileBuffer(name.c_str(), &bytes, FALSE);
    if (data == nullptr) return {};
    return {data, static_cast<std::size_t>(bytes)};
}

// North-up, each sample at its pixel's centre (see the header).
std::array<double, 6> geoTransformOf(const Landscape& land)
{
    const double sx = land.spacingX;
    const double sy = land.spacingY;
    return {land.utmX - 0.5 * sx, sx, 0.0, land.utmY + (land.gridHeight - 0.5) * sy, 0.0, -sy};
}

// The grid as a one-band raster in memory, north row first: Int16 metres,
// UInt16 metres + 32768 for PNG, Float32 metres for Terragen.
Dataset memoryRaster(const Landscape& land, RasterFormat format)
{
    const GDALDataType type = format == RasterFormat::GeoTiff ? GDT_Int16
                              : format == RasterFormat::Png   ? GDT_UInt16
                                                              : GDT_Float32;
    Dataset ds(GDALCreate(GDALGetDriverByName("MEM"), "", land.gridWidth, land.gridHeight, 1, type, nullptr));
    if (!ds) return ds;
    GDALRasterBandH band = GDALGetRasterBand(ds.get(), 1);
    const int bias = format == RasterFormat::Png ? static_cast<int>(-kPngOffset) : 0;
    std::vector<std::int32_t> row(static_cast<std::size_t>(land.gridWidth));
    for (int k = 0; k < land.gridHeight; ++k) {
        const std::int16_t* cells = land.elevation[land.gridHeight - 1 - k];
        for (int c = 0; c < land.gridWidth; ++c) row[static_cast<std::size_t>(c)] = cells[c] + bias;
        if (GDALRasterIO(band, GF_Write, 0, k, land.gridWidth, 1, row.data(), land.gridWidth, 1, GDT_Int32, 0, 0) !=
            CE_None)
            return {};
    }
    std::array<double, 6> gt = geoTransformOf(land);
    GDALSetGeoTransform(ds.get(), gt.data());
    if (format == RasterFormat::Png) {
        GDALSetRasterOffset(band, kPngOffset);
        GDALSetRasterScale(band, 1.0);
    }
    return ds;
}

// Creation options, kept alive with their texts.
struct CreationOptions {
    std::vector<std::string> texts;
    std::vector<const char*> list;

    void add(std::string text) { texts.push_back(std::move(text)); }
    CSLConstList finish()
    {
        list.clear();
        for (const std::string& t : texts) list.push_back(t.c_str());
        list.push_back(nullptr);
        return list.data();
    }
};

CreationOptions creationOptions(const Landscape& land, RasterFormat format)
{
    CreationOptions options;
    if (format == RasterFormat::GeoTiff) {
        options.add("COMPRESS=DEFLATE");
        options.add("PREDICTOR=2");
    } else if (format == RasterFormat::Terragen) {
        // Terragen stores 16-bit steps over the span it is given, which must not be empty.
        int lowest = INT_MAX;
        int highest = INT_MIN;
        for (int r = 0; r < land.gridHeight; ++r)
            for (int c = 0; c < land.gridWidth; ++c) {
                lowest = std::min<int>(lowest, land.elevation[r][c]);
                highest = std::max<int>(highest, land.elevation[r][c]);
            }
        if (highest <= lowest) highest = lowest + 1;
        options.add("MINUSERPIXELVALUE=" + std::to_string(lowest));
        options.add("MAXUSERPIXELVALUE=" + std::to_string(highest));
    }
    return options;
}

// Writes the image GDAL made, and its sidecar if it made one, over path: both
// are written whole before either replaces its file. A sidecar at path left
// from an earlier file is removed when this one has none.
int storeExport(const std::string& image, bool sidecarRequired, const std::string& path, Frontend& ui)
{
    const std::span<const std::uint8_t> imageBytes = memoryFile(image);
    const std::span<const std::uint8_t> sidecarBytes = memoryFile(image + kSidecarSuffix);
    if (imageBytes.empty()) return failed(ui, kErrorWritingFile, path, "GDAL wrote no file");
    if (sidecarRequired && sidecarBytes.empty())
        return failed(ui, kErrorWritingFile, path, "GDAL wrote no sidecar (GDAL_PAM_ENABLED is off)");

    AtomicFile file;
    if (!file.open(path, FileMode::Binary)) {
        const std::string problem = writeProblem(path);
        return failed(ui, kErrorOpeningFile, path, problem.empty() ? "the file cannot be created" : problem);
    }
    const std::string sidecarPath = file.targetPath() + kSidecarSuffix;
    AtomicFile sidecar;
    if (!sidecarBytes.empty() && !sidecar.open(sidecarPath, FileMode::Binary)) {
        const std::string problem = writeProblem(sidecarPath);
        return failed(ui, kErrorOpeningFile, sidecarPath, problem.empty() ? "the sidecar cannot be created" : problem);
    }
    file.write(imageBytes.data(), imageBytes.size());
    if (!sidecarBytes.empty()) sidecar.write(sidecarBytes.data(), sidecarBytes.size());
    // Both on disk before either replaces its predecessor.
    if (file.failed() || sidecar.failed() || !file.prepare() || (!sidecarBytes.empty() && !sidecar.prepare()) ||
        !file.commit())
        return failed(ui, kErrorWritingFile, path, "the file could not be written whole");
    if (sidecarBytes.empty()) {
        if (fileExists(sidecarPath) && !removeFile(sidecarPath))
            ui.report(fileMessage("Sidecar of an earlier file left in place:", sidecarPath));
        return 1;
    }
    if (!sidecar.commit())
        return failed(ui, kErrorWritingFile, sidecarPath, "the image was written but not its sidecar");
    return 1;
}

} // namespace

bool isElevationExportExtension(const std::string& path) { return exportFormatOf(path) != nullptr; }

int exportElevations(const Landscape& land, const std::string& path, Frontend& ui)
{
    ui.status("Exporting elevations");
    const ExportFormat* format = exportFormatOf(path);
    if (format == nullptr)
        return failed(ui, kErrorWritingFile, path, "elevations are written as .tif, .tiff, .png or .ter");
    if (!land.elevation.allocated()) return failed(ui, kErrorWritingFile, path, "the landscape has no elevations");

    registerDrivers();
    GdalMessages gdal;
    GDALDriverH driver = GDALGetDriverByName(format->driver);
    if (driver == nullptr)
        return failed(ui, kErrorWritingFile, path, "GDAL has no " + std::string(format->driver) + " driver");
    const Dataset source = memoryRaster(land, format->format);
    if (!source) return failed(ui, kErrorWritingFile, path, gdal.reason("out of memory"));

    MemoryFolder folder;
    const std::string image = folder.file("elevations" + std::string(format->extension));
    CreationOptions options = creationOptions(land, format->format);
    Dataset written(GDALCreateCopy(driver, image.c_str(), source.get(), FALSE, options.finish(), nullptr, nullptr));
    if (!written) return failed(ui, kErrorWritingFile, path, gdal.reason("GDAL could not write the format"));
    // Closing finishes the file and writes GDAL's sidecar, if it has one.
    written.reset();
    if (gdal.anyFailure()) return failed(ui, kErrorWritingFile, path, gdal.reason({}));
    if (format->format == RasterFormat::Terragen && land.spacingX != land.spacingY)
        ui.report(fileMessage("Terragen holds one spacing, the mean of the two, in", path));
    return storeExport(image, format->format == RasterFormat::Png, path, ui);
}

} // namespace kalvenor
