#include "interchange/elevation_raster.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <numbers>
#include <optional>
#include <span>
#include <string_view>
#include <system_error>

#include <cpl_string.h>
#include <gdal.h>
#include <ogr_srs_api.h>

#include "base/frontend.h"
#include "base/paths.h"
#include "files/header_fields.h"
#include "interchange/elevation_raster_gdal.h"
#include "model/random_streams.h"
#include "terrain/remove_steps.h"

namespace kalvenor {

namespace {

using namespace raster_gdal;

// The formats an import may open: local raster files, none that reads other
// datasets or the network (VRT, netCDF, WMS and the like). Files a format
// reads beside the raster (sidecars, the data file a header names) are
// checked after the open like the raster itself.
constexpr std::array<const char*, 15> kImportDrivers = {
    "GTiff", "PNG", "SRTMHGT", "AAIGrid", "GSAG",     "GSBG", "GS7BG", "ENVI",
    "EHdr",  "HFA", "USGSDEM", "BT",      "Terragen", "PNM",  nullptr, // GDALOpenEx's list ends with null
};

constexpr std::int16_t kUnsetCell = -32768; // below kUnsetBelow: the fill rule gives it a value
constexpr int kHighestElevation = 32767;
constexpr int kGridAlign = 8;
constexpr int kGridMargin = 2;
constexpr int kSmallestAutomaticSide = kGridAlign + kGridMargin;
// Spacings outside what the landscape files store are taken as a broken
// geotransform (or one a landscape cannot follow); the landscape keeps its own.
constexpr double kMinSpacingMetres = 1.0;
// The most GDAL may read at once for the import: a block of every band.
constexpr long long kMaxBlockBytes = 512LL << 20;
constexpr double kMaxSpacingMetres = kMaxSpacing;
// A placement this close to whole metres counts as whole (our own exports
// give the origin as a corner half a spacing away from the first sample).
constexpr double kPlacementTolerance = 1e-6;
constexpr double kFootMetres = 0.3048;
constexpr double kUsSurveyFootMetres = 1200.0 / 3937.0;
// WGS 84, for metres per degree at a latitude.
constexpr double kEquatorRadius = 6378137.0;
constexpr double kEccentricitySquared = 6.69437999014e-3;
constexpr double kDegreeRadians = std::numbers::pi / 180.0;

// ---- Import: the path ----

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

// The absolute path handed to GDAL, or nothing and why not. Only a regular
// local file that our own readers could open gets through: confinement, case-
// insensitive lookup, no device or FIFO. An absolute path also keeps GDAL from
// reading "DRIVER:..." or "/vsi..." syntax into the name.
std::optional<std::string> checkedRasterPath(const std::string& path, std::string& problem)
{
    const std::string resolved = resolveExisting(path);
    if (startsWith(resolved, "/vsi")) {
        problem = "GDAL's virtual file systems are not read";
        return std::nullopt;
    }
    problem = readProblem(resolved);
    if (!problem.empty()) return std::nullopt;
    const int fd = openRegularFile(resolved, O_RDONLY);
    if (fd < 0) {
        problem = errno == EACCES ? "outside the directory the run is confined to" : "not a regular file";
        return std::nullopt;
    }
    ::close(fd);
    std::error_code ec;
    std::string absolute = std::filesystem::absolute(resolved, ec).lexically_normal().string();
    if (ec || !startsWith(absolute, "/") || startsWith(absolute, "/vsi")) {
        problem = "not a local file";
        return std::nullopt;
    }
    return absolute;
}

// Whether GDAL may read this file beside the raster: a regular file (a FIFO
// or a device would block or never end) that the run may read.
bool readableSibling(const std::filesystem::path& file)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(file, ec) && !ec && readProblem(file.string()).empty();
}

// The files beside the raster that GDAL may look at for its sidecars
// (".aux.xml", ".hdr", ".prj", world files ...): those whose names start
// with the raster's own stem. GDAL looks for no other file in the folder.
struct SiblingList {
    char** names = nullptr;
    SiblingList() = default;
    SiblingList(const SiblingList&) = delete;
    SiblingList& operator=(const SiblingList&) = delete;
    ~SiblingList() { CSLDestroy(names); }
};

void listSiblings(const std::string& raster, SiblingList& list)
{
    const std::filesystem::path path(raster);
    const std::string stem = path.stem().string();
    const auto folded = [](std::string text) {
        std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return text;
    };
    const std::string prefix = folded(stem);
    // GDAL takes an empty list as "look at the disk": the raster itself is always in it.
    list.names = CSLAddString(list.names, path.filename().string().c_str());
    std::error_code ec;
    for (std::filesystem::directory_iterator it(path.parent_path(), ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name == path.filename().string() || folded(name).rfind(prefix, 0) != 0) continue;
        if (readableSibling(it->path())) list.names = CSLAddString(list.names, name.c_str());
    }
}

// Every file the opened dataset reads must be one the run may read: a format
// may name its data file inside the header ("../elsewhere/data.ige").
std::optional<std::string> unreadableFileOf(GDALDatasetH ds)
{
    char** files = GDALGetFileList(ds);
    std::optional<std::string> refused;
    for (char** f = files; f != nullptr && *f != nullptr; ++f)
        if (!readableSibling(*f)) {
            refused = printable(*f);
            break;
        }
    CSLDestroy(files);
    return refused;
}

// ---- Import: what the raster says ----

struct RasterInfo {
    std::string driver;
    int width = 0;
    int height = 0;
    GDALRasterBandH band = nullptr;
    bool hasNoData = false;
    double noData = 0.0;
    bool floatingNoData = false; // compare within float precision
    double scale = 1.0;          // metres = (raw * scale + offset) * unitMetres
    double offset = 0.0;
    double unitMetres = 1.0;
    std::string unitNote;
    bool hasGeoTransform = false;
    std::array<double, 6> gt{};
    bool geographic = false;
    double coordinateUnit = 1.0; // metres per projected unit, or degrees per angular unit
};

bool finite(std::span<const double> values)
{
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

// Metres per unit of the band's unit type; 1 for metres and anything unknown.
double verticalUnitMetres(const char* unit, std::string& note)
{
    const std::string u = unit != nullptr ? unit : "";
    if (u == "ft" || u == "foot" || u == "feet" || u == "international foot") {
        note = "Elevations converted from feet to metres.";
        return kFootMetres;
    }
    if (u == "us-ft" || u == "US survey foot" || u == "ftUS") {
        note = "Elevations converted from US survey feet to metres.";
        return kUsSurveyFootMetres;
    }
    if (!u.empty() && u != "m" && u != "metre" && u != "meter" && u != "metres" && u != "meters")
        note = "Elevation unit \"" + printable(u.c_str()) + "\" taken as metres.";
    return 1.0;
}

void readCoordinateSystem(GDALDatasetH ds, RasterInfo& info)
{
    OGRSpatialReferenceH srs = GDALGetSpatialRef(ds);
    if (srs == nullptr) return;
    if (OSRIsGeographic(srs)) {
        info.geographic = true;
        const double radians = OSRGetAngularUnits(srs, nullptr);
        info.coordinateUnit = radians > 0.0 && std::isfinite(radians) ? radians / kDegreeRadians : 1.0;
        return;
    }
    const double metres = OSRGetLinearUnits(srs, nullptr);
    if (metres > 0.0 && std::isfinite(metres)) info.coordinateUnit = metres;
}

// The dataset's size, first band and georeferencing; the size is checked
// before anything else is asked of it.
std::optional<RasterInfo> describeRaster(GDALDatasetH ds, std::string& problem)
{
    RasterInfo info;
    GDALDriverH driver = GDALGetDatasetDriver(ds);
    info.driver = driver != nullptr ? GDALGetDriverShortName(driver) : "";
    info.width = GDALGetRasterXSize(ds);
    info.height = GDALGetRasterYSize(ds);
    if (GDALGetRasterCount(ds) < 1 || info.width < 1 || info.height < 1) {
        problem = "the file holds no raster band";
        return std::nullopt;
    }
    const long long cells = static_cast<long long>(info.width) * info.height;
    if (info.width > kMaxRasterSide || info.height > kMaxRasterSide || cells > kMaxRasterCells) {
        problem = "the raster (" + std::to_string(info.width) + " x " + std::to_string(info.height) +
                  " pixels) is larger than an import takes (" + std::to_string(kMaxRasterCells) + " pixels, " +
                  std::to_string(kMaxRasterSide) + " a side)";
        return std::nullopt;
    }
    info.band = GDALGetRasterBand(ds, 1);
    if (info.band == nullptr) {
        problem = "the file holds no raster band";
        return std::nullopt;
    }
    // GDAL reads a block at a time, every band of it when the bands are
    // interleaved: one strip of a hostile file could be gigabytes.
    int blockWidth = 0, blockHeight = 0;
    GDALGetBlockSize(info.band, &blockWidth, &blockHeight);
    const long long blockBytes = static_cast<long long>(std::max(blockWidth, 0)) * std::max(blockHeight, 0) *
                                 std::max(GDALGetDataTypeSizeBytes(GDALGetRasterDataType(info.band)), 1) *
                                 std::max(GDALGetRasterCount(ds), 1);
    if (blockBytes > kMaxBlockBytes) {
        problem = "its blocks of " + std::to_string(blockWidth) + " x " + std::to_string(blockHeight) + " pixels in " +
                  std::to_string(GDALGetRasterCount(ds)) + " bands are more than an import reads at once";
        return std::nullopt;
    }
    int has = 0;
    info.noData = GDALGetRasterNoDataValue(info.band, &has);
    info.hasNoData = has != 0 && !std::isnan(info.noData);
    const GDALDataType type = GDALGetRasterDataType(info.band);
    info.floatingNoData = type == GDT_Float32 || type == GDT_CFloat32;
    const double scale = GDALGetRasterScale(info.band, &has);
    if (has != 0 && std::isfinite(scale) && scale != 0.0) info.scale = scale;
    const double offset = GDALGetRasterOffset(info.band, &has);
    if (has != 0 && std::isfinite(offset)) info.offset = offset;
    info.unitMetres = verticalUnitMetres(GDALGetRasterUnitType(info.band), info.unitNote);

    info.hasGeoTransform = GDALGetGeoTransform(ds, info.gt.data()) == CE_None && finite(info.gt);
    readCoordinateSystem(ds, info);
    return info;
}

// ---- Import: the size of the grid and the part of the raster ----

struct FitPlan {
    int gridWidth = 0; // the grid after the import
    int gridHeight = 0;
    int dataWidth = 0; // grid cells the data cover, from column 0 and row 0
    int dataHeight = 0;
    int sourceWidth = 0; // raster pixels used, from its first column and row
    int sourceHeight = 0;
    bool bilinear = false;
};

// The smallest side the size rules allow that holds samples cells: a multiple
// of 8 plus the margin of 2. A side that already is one (as our exports write)
// stays as it is, so a round trip keeps the grid.
int gridSideFor(int samples)
{
    const int inner = std::max(samples - kGridMargin, 1);
    return std::max((inner + kGridAlign - 1) / kGridAlign * kGridAlign + kGridMargin, kSmallestAutomaticSide);
}

std::string sizeText(int width, int height) { return std::to_string(width) + " x " + std::to_string(height); }

// One pixel to one cell over width x height cells of data.
FitPlan unscaledPlan(const Landscape& land, int width, int height)
{
    FitPlan p;
    p.dataWidth = p.sourceWidth = width;
    p.dataHeight = p.sourceHeight = height;
    const bool automatic = land.sizeMode == SizeMode::Automatic;
    p.gridWidth = automatic ? gridSideFor(width) : land.gridWidth;
    p.gridHeight = automatic ? gridSideFor(height) : land.gridHeight;
    return p;
}

std::optional<FitPlan> planFit(const Landscape& land, const RasterInfo& r, RasterFit fit, std::string& problem)
{
    const bool automatic = land.sizeMode == SizeMode::Automatic;
    const int limitWidth = automatic ? kMaxGrid : land.gridWidth;
    const int limitHeight = automatic ? kMaxGrid : land.gridHeight;
    switch (fit) {
    case RasterFit::SizeRules:
        if (r.width > limitWidth || r.height > limitHeight) {
            problem = "the raster (" + sizeText(r.width, r.height) + " pixels) is larger than " +
                      (automatic ? "the largest grid (" : "the fixed grid (") + sizeText(limitWidth, limitHeight) +
                      "); import it cropped or fitted" + (automatic ? "" : ", or switch to automatic size");
            return std::nullopt;
        }
        return unscaledPlan(land, r.width, r.height);
    case RasterFit::Crop: return unscaledPlan(land, std::min(r.width, limitWidth), std::min(r.height, limitHeight));
    case RasterFit::Bilinear:
    case RasterFit::Nearest: break;
    }
    FitPlan p;
    if (automatic) {
        // Shrunk to fit the largest grid, never grown, keeping the aspect.
        const double shrink = std::min(1.0, static_cast<double>(kMaxGrid) / std::max(r.width, r.height));
        p.gridWidth = gridSideFor(std::clamp(static_cast<int>(std::lround(r.width * shrink)), 1, kMaxGrid));
        p.gridHeight = gridSideFor(std::clamp(static_cast<int>(std::lround(r.height * shrink)), 1, kMaxGrid));
    } else {
        p.gridWidth = land.gridWidth;
        p.gridHeight = land.gridHeight;
    }
    p.dataWidth = p.gridWidth;
    p.dataHeight = p.gridHeight;
    p.sourceWidth = r.width;
    p.sourceHeight = r.height;
    p.bilinear = fit == RasterFit::Bilinear;
    return p;
}

// ---- Import: orientation and placement ----

struct Orientation {
    bool flipColumns = false; // the raster's first column is the grid's last data column
    bool flipRows = true;     // the raster's first row is the grid's last data row (north-up)
    bool rotated = false;
};

bool usableGeoTransform(const RasterInfo& r)
{
    if (!r.hasGeoTransform) return false;
    const auto& gt = r.gt;
    return std::hypot(gt[1], gt[4]) > 0.0 && std::hypot(gt[2], gt[5]) > 0.0;
}

Orientation orientationOf(const RasterInfo& r)
{
    Orientation o;
    // An image: its top row is the north edge. GDAL's Terragen driver gives
    // the rows north first too, though its pixel height is positive.
    if (!usableGeoTransform(r) || r.driver == "Terragen") return o;
    const auto& gt = r.gt;
    o.rotated = gt[2] != 0.0 || gt[4] != 0.0;
    if (o.rotated) return o; // read in stored order, the first row north
    o.flipColumns = gt[1] < 0.0;
    o.flipRows = gt[5] < 0.0;
    return o;
}

// Raster pixels per grid cell along one axis: 1 unscaled, else the raster's
// first and last pixel centres on the data's first and last cells.
double pixelsPerCell(int sourcePixels, int dataCells)
{
    if (dataCells < 2) return 0.0;
    return static_cast<double>(sourcePixels - 1) / static_cast<double>(dataCells - 1);
}

struct Placement {
    bool placed = false; // utmX, utmY taken from the raster
    std::int32_t utmX = 0;
    std::int32_t utmY = 0;
    bool spaced = false; // spacing taken from the raster
    float spacingX = 0.0f;
    float spacingY = 0.0f;
};

double metresPerDegreeLatitude(double latitude)
{
    const double s = std::sin(latitude * kDegreeRadians);
    const double w = 1.0 - kEccentricitySquared * s * s;
    return kDegreeRadians * kEquatorRadius * (1.0 - kEccentricitySquared) / (w * std::sqrt(w));
}

double metresPerDegreeLongitude(double latitude)
{
    const double s = std::sin(latitude * kDegreeRadians);
    return kDegreeRadians * kEquatorRadius * std::cos(latitude * kDegreeRadians) /
           std::sqrt(1.0 - kEccentricitySquared * s * s);
}

// The spacings the landscape files store (their readers refuse others).
bool validSpacing(double metres) { return metres >= kMinSpacingMetres && metres <= kMaxSpacingMetres; }

bool fitsInt32(double v) { return v >= INT32_MIN && v <= INT32_MAX; }

// printf formatting of numbers into a short note.
template <typename... Numbers>
std::string formatted(const char* format, Numbers... numbers)
{
    char text[200];
    std::snprintf(text, sizeof text, format, numbers...);
    return text;
}

Placement placementOf(const RasterInfo& r, const FitPlan& p, const Orientation& o, std::vector<std::string>& notes)
{
    Placement place;
    if (!usableGeoTransform(r)) {
        notes.emplace_back("The raster has no geotransform: placement and spacing kept, its first row taken as the "
                           "north edge.");
        return place;
    }
    if (o.rotated) notes.emplace_back("The geotransform is rotated: the rotation is ignored, the first row taken as "
                                      "the north edge.");
    const auto& gt = r.gt;
    const double fx = pixelsPerCell(p.sourceWidth, p.dataWidth);
    const double fy = pixelsPerCell(p.sourceHeight, p.dataHeight);
    // The pixel centre (fractional) of grid cell (0, 0).
    const double u = (o.flipColumns ? (p.dataWidth - 1) * fx : 0.0) + 0.5;
    const double v = (o.flipRows ? (p.dataHeight - 1) * fy : 0.0) + 0.5;
    const double x = gt[0] + u * gt[1] + v * gt[2];
    const double y = gt[3] + u * gt[4] + v * gt[5];
    double stepX = std::hypot(gt[1], gt[4]) * (p.dataWidth > 1 ? fx : 1.0);
    double stepY = std::hypot(gt[2], gt[5]) * (p.dataHeight > 1 ? fy : 1.0);

    if (r.geographic) {
        const double latitude =
            (gt[3] + 0.5 * r.width * gt[4] + 0.5 * r.height * gt[5]) * r.coordinateUnit;
        if (!(std::fabs(latitude) <= 90.0)) {
            notes.emplace_back("The raster's coordinates are in degrees but its latitude is not: placement and "
                               "spacing kept.");
            return place;
        }
        stepX *= r.coordinateUnit * metresPerDegreeLongitude(latitude);
        stepY *= r.coordinateUnit * metresPerDegreeLatitude(latitude);
        notes.push_back(formatted("Geographic coordinates: spacing converted to metres at latitude %.4f; placement "
                                  "set to 0, 0 (the first sample lies at longitude %.6f, latitude %.6f).",
                                  latitude, x * r.coordinateUnit, y * r.coordinateUnit));
        place.placed = true;
    } else if (r.driver == "Terragen") {
        // Terragen files give a pixel size but no place in the world.
        stepX *= r.coordinateUnit;
        stepY *= r.coordinateUnit;
        notes.emplace_back("Terragen files carry no placement: placement kept.");
    } else {
        const double east = x * r.coordinateUnit;
        const double north = y * r.coordinateUnit;
        stepX *= r.coordinateUnit;
        stepY *= r.coordinateUnit;
        if (fitsInt32(std::round(east)) && fitsInt32(std::round(north))) {
            place.placed = true;
            place.utmX = static_cast<std::int32_t>(std::round(east));
            place.utmY = static_cast<std::int32_t>(std::round(north));
            if (std::fabs(east - place.utmX) > kPlacementTolerance || std::fabs(north - place.utmY) > kPlacementTolerance)
                notes.push_back(formatted("Placement rounded to whole metres from %.3f, %.3f.", east, north));
        } else {
            notes.emplace_back("The raster's origin lies beyond what the placement holds: placement kept.");
        }
    }
    if (validSpacing(stepX) && validSpacing(stepY)) {
        place.spaced = true;
        place.spacingX = static_cast<float>(stepX);
        place.spacingY = static_cast<float>(stepY);
    } else {
        notes.push_back(formatted("The raster's pixel size (%g x %g m) is not a spacing a landscape holds (%g to "
                                  "%g m): spacing kept.",
                                  stepX, stepY, static_cast<double>(kMinSpacingMetres), kMaxSpacingMetres));
    }
    return place;
}

// ---- Import: reading ----

// Rows of the raster in metres, NaN where there is no value; each row read
// once while the rows asked for go forward, as resampling asks for them.
class RowReader {
public:
    RowReader(const RasterInfo& info, int width) : info_(info), width_(width)
    {
        for (auto& row : rows_) row.resize(static_cast<std::size_t>(width));
    }

    // Null when GDAL could not read the row.
    const double* row(int index)
    {
        for (int k = 0; k < 2; ++k)
            if (index_[k] == index) return rows_[k].data();
        const int k = index_[0] < index_[1] ? 0 : 1; // replace the earlier row
        index_[k] = -1;
        std::vector<double>& row = rows_[k];
        if (GDALRasterIO(info_.band, GF_Read, 0, index, width_, 1, row.data(), width_, 1, GDT_Float64, 0, 0) !=
            CE_None)
            return nullptr;
        for (double& v : row) v = metres(v);
        index_[k] = index;
        return row.data();
    }

private:
    bool isNoData(double raw) const
    {
        if (!info_.hasNoData) return false;
        if (raw == info_.noData) return true;
        // A float band's no-data value may have been stored as a double.
        return info_.floatingNoData && std::fabs(raw - info_.noData) <= 1e-6 * std::max(1.0, std::fabs(info_.noData));
    }

    double metres(double raw) const
    {
        if (!std::isfinite(raw) || isNoData(raw)) return std::nan("");
        return (raw * info_.scale + info_.offset) * info_.unitMetres;
    }

    const RasterInfo& info_;
    int width_;
    std::array<std::vector<double>, 2> rows_;
    std::array<int, 2> index_{-1, -1};
};

struct Tally {
    long long clippedLow = 0;
    long long clippedHigh = 0;
    long long noData = 0;
};

// Metres to a cell, rounded half away from zero and clipped; NaN stays unset.
std::int16_t toCell(double metres, Tally& tally)
{
    if (std::isnan(metres)) {
        ++tally.noData;
        return kUnsetCell;
    }
    if (!(metres < kHighestElevation + 0.5)) {
        ++tally.clippedHigh;
        return kHighestElevation;
    }
    if (!(metres > kLowestImported - 0.5)) {
        ++tally.clippedLow;
        return kLowestImported;
    }
    return static_cast<std::int16_t>(std::lround(metres));
}

// The value at fractional pixel u of a row pair: nearest, or bilinear over
// the pixels that have values (weights renormalised; NaN when none has).
double sample(const double* upper, const double* lower, double u, double t, int width, bool bilinear)
{
    if (!bilinear) return upper[std::clamp(static_cast<int>(std::lround(u)), 0, width - 1)];
    const int c0 = std::clamp(static_cast<int>(std::floor(u)), 0, width - 1);
    const int c1 = std::min(c0 + 1, width - 1);
    const double s = std::clamp(u - c0, 0.0, 1.0);
    const std::array<double, 4> value = {upper[c0], upper[c1], lower[c0], lower[c1]};
    const std::array<double, 4> weight = {(1 - s) * (1 - t), s * (1 - t), (1 - s) * t, s * t};
    double sum = 0.0;
    double total = 0.0;
    for (std::size_t k = 0; k < 4; ++k) {
        if (std::isnan(value[k]) || weight[k] == 0.0) continue;
        sum += value[k] * weight[k];
        total += weight[k];
    }
    return total > 0.0 ? sum / total : std::nan("");
}

// The whole grid's elevations, south row first, kUnsetCell where the fill rule
// must give a value; nothing (and the reason) when the raster cannot be read.
std::optional<std::vector<std::int16_t>> readCells(const RasterInfo& info, const FitPlan& p, const Orientation& o,
                                                   Tally& tally, Frontend& ui)
{
    std::vector<std::int16_t> cells(static_cast<std::size_t>(p.gridWidth) * static_cast<std::size_t>(p.gridHeight),
                                    kUnsetCell);
    RowReader reader(info, p.sourceWidth);
    const double fx = p.dataWidth > 1 ? pixelsPerCell(p.sourceWidth, p.dataWidth) : 0.0;
    const double fy = p.dataHeight > 1 ? pixelsPerCell(p.sourceHeight, p.dataHeight) : 0.0;
    const bool resampled = p.sourceWidth != p.dataWidth || p.sourceHeight != p.dataHeight;
    const bool bilinear = p.bilinear && resampled;
    int shown = -1;
    // Raster order, so that rows are read going forward.
    for (int k = 0; k < p.dataHeight; ++k) {
        const double v = k * fy;
        const int j0 = bilinear ? static_cast<int>(std::floor(v)) : static_cast<int>(std::lround(v));
        const int first = std::clamp(j0, 0, p.sourceHeight - 1);
        const double* upper = reader.row(first);
        const double* lower = bilinear ? reader.row(std::min(first + 1, p.sourceHeight - 1)) : upper;
        if (upper == nullptr || lower == nullptr) return std::nullopt;
        const double t = bilinear ? std::clamp(v - first, 0.0, 1.0) : 0.0;
        const int row = o.flipRows ? p.dataHeight - 1 - k : k;
        std::int16_t* out = cells.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(p.gridWidth);
        for (int i = 0; i < p.dataWidth; ++i) {
            const int column = o.flipColumns ? p.dataWidth - 1 - i : i;
            out[column] = toCell(sample(upper, lower, i * fx, t, p.sourceWidth, bilinear), tally);
        }
        const int percent = static_cast<int>(100LL * (k + 1) / p.dataHeight);
        if (percent != shown) ui.progress("Importing elevations", shown = percent);
    }
    return cells;
}

// ---- Import: the report ----

std::string fitName(RasterFit fit)
{
    switch (fit) {
    case RasterFit::SizeRules: return "size rules";
    case RasterFit::Crop: return "crop";
    case RasterFit::Bilinear: return "bilinear";
    case RasterFit::Nearest: return "nearest";
    }
    return {};
}

void fillReport(ElevationImportReport& report, const RasterInfo& info, const FitPlan& p, RasterFit fit,
                const Tally& tally, const Landscape& land, std::vector<std::string> notes)
{
    report = {};
    report.driver = info.driver;
    report.rasterWidth = info.width;
    report.rasterHeight = info.height;
    report.gridWidth = p.gridWidth;
    report.gridHeight = p.gridHeight;
    report.dataWidth = p.dataWidth;
    report.dataHeight = p.dataHeight;
    report.clippedLow = tally.clippedLow;
    report.clippedHigh = tally.clippedHigh;
    report.noDataFilled = tally.noData;
    report.outsideFilled = static_cast<long long>(p.gridWidth) * p.gridHeight -
                           static_cast<long long>(p.dataWidth) * p.dataHeight;
    report.geographic = info.geographic && usableGeoTransform(info);

    auto& out = report.lines;
    out.push_back(info.driver + " raster of " + sizeText(info.width, info.height) + " pixels, " + fitName(fit) +
                  ": grid " + sizeText(p.gridWidth, p.gridHeight) + ", data in " +
                  sizeText(p.dataWidth, p.dataHeight) + " cells.");
    out.push_back("Placement " + std::to_string(land.utmX) + ", " + std::to_string(land.utmY) +
                  formatted("; spacing %g x %g m.", land.spacingX, land.spacingY));
    if (tally.clippedLow > 0 || tally.clippedHigh > 0)
        out.push_back("Clipped: " + std::to_string(tally.clippedLow) + " cells below " +
                      std::to_string(kLowestImported) + " m, " + std::to_string(tally.clippedHigh) +
                      " cells above " + std::to_string(kHighestElevation) + " m.");
    if (tally.noData > 0) out.push_back("Filled: " + std::to_string(tally.noData) + " cells without data.");
    if (report.outsideFilled > 0)
        out.push_back("Filled: " + std::to_string(report.outsideFilled) + " cells beyond the raster.");
    if (!info.unitNote.empty()) out.push_back(info.unitNote);
    for (std::string& note : notes) out.push_back(std::move(note));
}

// ---- Import: into the landscape ----

std::string fileStem(const std::string& path)
{
    return std::filesystem::path(normaliseSeparators(path)).stem().string();
}

void storeCells(Landscape& land, const std::vector<std::int16_t>& cells, int width, int height)
{
    for (int r = 0; r < height; ++r)
        std::copy_n(cells.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(width), width,
                    land.elevation[r]);
}

} // namespace

std::span<const char* const> elevationImportDrivers() { return {kImportDrivers.data(), kImportDrivers.size() - 1}; }

int importElevations(Landscape& land, RandomStreams& random, const std::string& path,
                     const ElevationImportOptions& options, Frontend& ui, ElevationImportReport* report)
{
    ui.status("Importing elevations");
    std::string problem;
    const std::optional<std::string> local = checkedRasterPath(path, problem);
    if (!local) return failed(ui, kErrorOpeningFile, path, problem);

    registerDrivers();
    GdalMessages gdal;
    SiblingList siblings;
    listSiblings(*local, siblings);
    const Dataset ds(GDALOpenEx(local->c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY | GDAL_OF_VERBOSE_ERROR,
                                kImportDrivers.data(), nullptr, siblings.names));
    if (!ds) return failed(ui, kErrorOpeningFile, path, gdal.reason("not a raster format the import reads"));
    if (const std::optional<std::string> other = unreadableFileOf(ds.get()))
        return failed(ui, kErrorOpeningFile, path, "it reads " + *other + ", which this run may not read");

    // Everything is read and checked before the landscape is touched.
    const std::optional<RasterInfo> info = describeRaster(ds.get(), problem);
    if (!info) return failed(ui, kErrorReadingFile, path, problem);
    const std::optional<FitPlan> plan = planFit(land, *info, options.fit, problem);
    if (!plan) return failed(ui, kErrorReadingFile, path, problem);
    const Orientation orientation = orientationOf(*info);
    std::vector<std::string> notes;
    const Placement place = placementOf(*info, *plan, orientation, notes);
    // A grid the landscape's memory budget cannot hold would be replaced by
    // the fallback landscape: refused before anything changes.
    const std::size_t cellCount = static_cast<std::size_t>(plan->gridWidth) * static_cast<std::size_t>(plan->gridHeight);
    if (cellCount > land.mapBudgetBytes / (4 * sizeof(std::int16_t)))
        return failed(ui, kErrorReadingFile, path,
                      "a " + std::to_string(plan->gridWidth) + " x " + std::to_string(plan->gridHeight) +
                          " grid is more than the landscape's memory allows");
    Tally tally;
    gdal.startPhase();
    const std::optional<std::vector<std::int16_t>> cells = readCells(*info, *plan, orientation, tally, ui);
    if (!cells) return failed(ui, kErrorReadingFile, path, gdal.reason("the raster's data cannot be read"));
    // GDAL reads some damaged files with no more than a warning, and what it
    // then hands back is not the file's: taken as a failure.
    if (gdal.problems() > 0) return failed(ui, kErrorReadingFile, path, gdal.reason("the raster is damaged"));
    if (tally.noData >= static_cast<long long>(plan->dataWidth) * plan->dataHeight)
        return failed(ui, kErrorReadingFile, path, "the raster holds no elevations (every cell is no-data)");

    if (plan->gridWidth != land.gridWidth || plan->gridHeight != land.gridHeight || !land.elevation.allocated()) {
        if (resizeLandscape(land, random, plan->gridWidth, plan->gridHeight) != 1)
            return failed(ui, kErrorReadingFile, path, std::string(kOutOfMemoryResizing));
    }
    ui.status("Adjust Landscape");
    storeCells(land, *cells, plan->gridWidth, plan->gridHeight);
    // Cells without data take the fill rule's value, in row order.
    fillUnsetInRowOrder(land.elevation);
    resetDerivedMaps(land);
    if (place.placed) {
        land.utmX = place.utmX;
        land.utmY = place.utmY;
    }
    if (place.spaced) {
        land.spacingX = place.spacingX;
        land.spacingY = place.spacingY;
    }
    setLandscapeName(land, fileStem(path));
    setLandscapeComment(land, "Elevations from a " + info->driver + " raster");
    computeElevationStatistics(land);
    land.modified = true;
    land.mapStale = true;
    if (report != nullptr) fillReport(*report, *info, *plan, options.fit, tally, land, std::move(notes));
    return 1;
}

} // namespace kalvenor
