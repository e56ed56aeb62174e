#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/byte_order.h"
#include "base/confinement.h"
#include "interchange/elevation_raster.h"
#include "model/landscape.h"
#include "model/random_streams.h"
#include "model/scene_settings.h"
#include "platform/scripted_frontend.h"
#include "support/file_size_limit.h"
#include "support/landscape_cells.h"
#include "support/temp_dir.h"
#include "terrain/fractal.h"

namespace kalvenor {
namespace {

namespace fs = std::filesystem;
using kalvenor::testing::elevationCells;
using kalvenor::testing::readFile;
using kalvenor::testing::writeFile;

struct TempDir : kalvenor::testing::TempDir {
    TempDir() : kalvenor::testing::TempDir("raster") {}
};

// A value for raster column i and row j counted from the top (north) row.
using PixelValue = std::function<int(int i, int j)>;

// Everything an import may change, to show that a failed one changed nothing.
struct Snapshot {
    std::vector<std::int16_t> cells;
    int gridWidth, gridHeight;
    std::int32_t utmX, utmY;
    float spacingX, spacingY;
    std::string name, comment;
    bool modified;

    explicit Snapshot(const Landscape& land)
        : cells(elevationCells(land)), gridWidth(land.gridWidth), gridHeight(land.gridHeight), utmX(land.utmX),
          utmY(land.utmY), spacingX(land.spacingX), spacingY(land.spacingY), name(land.name),
          comment(land.comment), modified(land.modified)
    {
    }
    bool operator==(const Snapshot&) const = default;
};

Landscape landscapeOf(int width, int height, SizeMode mode, const std::function<int(int c, int r)>& value)
{
    Landscape land;
    RandomStreams random;
    EXPECT_EQ(resizeLandscape(land, random, width, height), 1);
    land.sizeMode = mode;
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c) land.elevation[r][c] = static_cast<std::int16_t>(value(c, r));
    land.modified = false;
    return land;
}

// A landscape nothing in a test imports: a plain slope at its own placement.
Landscape bystander(SizeMode mode = SizeMode::Automatic)
{
    Landscape land = landscapeOf(kSmallGrid, kSmallGrid, mode, [](int c, int r) { return c - 2 * r; });
    land.utmX = 111;
    land.utmY = 222;
    land.spacingX = 17.0f;
    land.spacingY = 19.0f;
    setLandscapeName(land, "Bystander");
    return land;
}

int importFile(Landscape& land, const std::string& path, ScriptedFrontend& ui, RasterFit fit = RasterFit::SizeRules,
               ElevationImportReport* report = nullptr)
{
    RandomStreams random;
    return importElevations(land, random, path, ElevationImportOptions{fit}, ui, report);
}

// ---- Rasters written by the test itself ----

// ESRI .hdr labelled raw rows (EHdr): 16-bit signed, little-endian, north row
// first; ulx, uly are the centre of the upper-left pixel.
void writeEhdr(const std::string& stem, int width, int height, double ulx, double uly, double cell,
               const PixelValue& value, std::optional<int> noData = std::nullopt)
{
    std::string header = "BYTEORDER I\nLAYOUT BIL\nNROWS " + std::to_string(height) + "\nNCOLS " +
                         std::to_string(width) + "\nNBANDS 1\nNBITS 16\nPIXELTYPE SIGNEDINT\n";
    char place[160];
    std::snprintf(place, sizeof place, "ULXMAP %.6f\nULYMAP %.6f\nXDIM %.9f\nYDIM %.9f\n", ulx, uly, cell, cell);
    header += place;
    if (noData) header += "NODATA " + std::to_string(*noData) + "\n";
    writeFile(stem + ".hdr", header);
    std::string data(static_cast<std::size_t>(width) * height * 2, '\0');
    for (int j = 0; j < height; ++j)
        for (int i = 0; i < width; ++i)
            put16le(reinterpret_cast<std::uint8_t*>(data.data()) + 2 * (static_cast<std::size_t>(j) * width + i),
                    static_cast<std::uint16_t>(value(i, j)));
    writeFile(stem + ".bil", data);
}

// An ESRI ASCII grid: xll, yll are the outer south-west corner.
void writeAsciiGrid(const std::string& path, int width, int height, double xll, double yll, double cell,
                    const std::function<std::string(int i, int j)>& value, const std::string& noData = "-9999")
{
    char head[200];
    std::snprintf(head, sizeof head, "ncols %d\nnrows %d\nxllcorner %.6f\nyllcorner %.6f\ncellsize %.6f\n", width,
                  height, xll, yll, cell);
    std::string text = head + ("NODATA_value " + noData + "\n");
    for (int j = 0; j < height; ++j) {
        for (int i = 0; i < width; ++i) text += value(i, j) + " ";
        text += "\n";
    }
    writeFile(path, text);
}

bool haveGdalTools() { return std::system("gdal_translate --version > /dev/null 2>&1") == 0; }

// The standard output of a command, or nothing when it failed.
std::optional<std::string> run(const std::string& command)
{
    std::FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr) return std::nullopt;
    std::string out;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    if (::pclose(pipe) != 0) return std::nullopt;
    return out;
}

std::string quoted(const std::string& path) { return "'" + path + "'"; }

// Imports the file into land expecting a refusal: 0, one message holding
// `reason`, the landscape as it was. Returns the message.
std::string expectRefused(Landscape& land, const std::string& path, const std::string& reason,
                          RasterFit fit = RasterFit::SizeRules)
{
    const Snapshot before(land);
    ScriptedFrontend ui;
    EXPECT_EQ(importFile(land, path, ui, fit), 0);
    EXPECT_EQ(ui.messages.size(), 1u);
    const std::string message = ui.messages.empty() ? std::string() : ui.messages[0];
    EXPECT_NE(message.find(reason), std::string::npos) << message;
    EXPECT_TRUE(Snapshot(land) == before);
    return message;
}

// ---- Import of rasters other programs made ----

// A 13 x 9 raster with negative and large values, made three ways: an ASCII
// grid and a raw EHdr file we write, each also turned into a GeoTIFF by
// gdal_translate. Every way imports the same cells, placement and spacing,
// the north row on the grid's top data row as our DXF export places it.
TEST(ElevationImport, RastersFromOtherProgramsKeepElevationsPlacementAndSpacing)
{
    constexpr int kWidth = 13, kHeight = 9;
    constexpr double kCell = 20.0, kWest = 402000.0, kSouth = 5301000.0;
    const PixelValue value = [](int i, int j) { return (i * 37 + j * 1013) % 4000 - 1500 + (i == 4 && j == 2) * 20000; };
    TempDir dir;
    writeAsciiGrid(dir / "grid.asc", kWidth, kHeight, kWest, kSouth, kCell,
                   [&](int i, int j) { return std::to_string(value(i, j)); });
    writeEhdr(dir / "raw", kWidth, kHeight, kWest + kCell / 2, kSouth + (kHeight - 0.5) * kCell, kCell, value);

    std::vector<std::string> files = {dir / "grid.asc", dir / "raw.bil"};
    if (haveGdalTools()) {
        ASSERT_TRUE(run("gdal_translate -q -ot Int16 " + quoted(dir / "grid.asc") + " " + quoted(dir / "grid.tif")));
        ASSERT_TRUE(run("gdal_translate -q -of GTiff " + quoted(dir / "raw.bil") + " " + quoted(dir / "raw.tif")));
        files.push_back(dir / "grid.tif");
        files.push_back(dir / "raw.tif");
    }
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        Landscape land = bystander();
        ScriptedFrontend ui;
        ElevationImportReport report;
        ASSERT_EQ(importFile(land, file, ui, RasterFit::SizeRules, &report), 1) << ::testing::PrintToString(ui.messages);
        EXPECT_TRUE(ui.messages.empty());
        // 13 and 9 samples: the smallest grids of 8k + 2 cells holding them.
        EXPECT_EQ(land.gridWidth, 18);
        EXPECT_EQ(land.gridHeight, 10);
        for (int j = 0; j < kHeight; ++j)
            for (int i = 0; i < kWidth; ++i) ASSERT_EQ(land.elevation[kHeight - 1 - j][i], value(i, j)) << i << "," << j;
        EXPECT_EQ(land.utmX, kWest + kCell / 2);
        EXPECT_EQ(land.utmY, kSouth + kCell / 2);
        EXPECT_EQ(land.spacingX, kCell);
        EXPECT_EQ(land.spacingY, kCell);
        // The cells beyond the raster were filled, none left unset.
        for (int r = 0; r < land.gridHeight; ++r)
            for (int c = 0; c < land.gridWidth; ++c) ASSERT_GE(land.elevation[r][c], -1500) << c << "," << r;
        EXPECT_EQ(report.outsideFilled, 18 * 10 - kWidth * kHeight);
        EXPECT_EQ(land.name, fs::path(file).stem().string());
        EXPECT_TRUE(land.modified);
        EXPECT_EQ(land.highestElevation, value(4, 2));
    }
}

// Values GDAL gives as floats: rounded half away from zero, clipped to the
// range the landscape holds, no-data filled from its neighbours, each counted.
TEST(ElevationImport, RoundsClipsAndFillsWithACount)
{
    TempDir dir;
    // 10 x 10 is a grid size itself, so no cell lies beyond the raster.
    const auto text = [](int i, int j) -> std::string {
        if (j == 0 && i == 1) return "40000.7";
        if (j == 0 && i == 2) return "-31000";
        if (j == 0 && i == 3) return "12.5";
        if (j == 0 && i == 4) return "-12.5";
        if (j == 0 && i == 5) return "7.49";
        if (j == 5 && i == 5) return "-9999";
        return "100.0";
    };
    writeAsciiGrid(dir / "f.asc", 10, 10, 0.0, 0.0, 5.0, text);
    Landscape land = bystander();
    ScriptedFrontend ui;
    ElevationImportReport report;
    ASSERT_EQ(importFile(land, dir / "f.asc", ui, RasterFit::SizeRules, &report), 1);
    const std::int16_t* north = land.elevation[9];
    EXPECT_EQ(north[1], 32767);
    EXPECT_EQ(north[2], kLowestImported);
    EXPECT_EQ(north[3], 13);
    EXPECT_EQ(north[4], -13);
    EXPECT_EQ(north[5], 7);
    EXPECT_EQ(land.elevation[4][5], 100); // every direction finds 100 one step away
    EXPECT_EQ(report.clippedHigh, 1);
    EXPECT_EQ(report.clippedLow, 1);
    EXPECT_EQ(report.noDataFilled, 1);
    EXPECT_EQ(report.outsideFilled, 0);
    const auto mentions = [&](const std::string& word) {
        return std::any_of(report.lines.begin(), report.lines.end(),
                           [&](const std::string& l) { return l.find(word) != std::string::npos; });
    };
    EXPECT_TRUE(mentions("Clipped: 1 cells below -30000 m, 1 cells above 32767 m"));
    EXPECT_TRUE(mentions("Filled: 1 cells without data"));
}

// A raster in degrees: the spacing becomes metres at its centre latitude
// (checked against an independent series for the WGS 84 ellipsoid), the
// placement 0, 0, and the report says so.
TEST(ElevationImport, DegreesBecomeALocalMetricSpacing)
{
    TempDir dir;
    constexpr double kStep = 0.001, kLatitude = 46.0;
    writeEhdr(dir / "geo", 11, 11, 10.0, kLatitude + 5 * kStep, kStep, [](int i, int j) { return i + j; });
    writeFile(dir / "geo.prj", "GEOGCS[\"GCS_WGS_1984\",DATUM[\"D_WGS_1984\",SPHEROID[\"WGS_1984\",6378137.0,"
                               "298.257223563]],PRIMEM[\"Greenwich\",0.0],UNIT[\"Degree\",0.0174532925199433]]");
    Landscape land = bystander();
    ScriptedFrontend ui;
    ElevationImportReport report;
    ASSERT_EQ(importFile(land, dir / "geo.bil", ui, RasterFit::SizeRules, &report), 1);
    const double phi = kLatitude * M_PI / 180.0;
    const double perLongitude = 111412.84 * std::cos(phi) - 93.5 * std::cos(3 * phi) + 0.118 * std::cos(5 * phi);
    const double perLatitude = 111132.92 - 559.82 * std::cos(2 * phi) + 1.175 * std::cos(4 * phi);
    EXPECT_NEAR(land.spacingX, kStep * perLongitude, 0.01);
    EXPECT_NEAR(land.spacingY, kStep * perLatitude, 0.01);
    EXPECT_EQ(land.utmX, 0);
    EXPECT_EQ(land.utmY, 0);
    EXPECT_TRUE(report.geographic);
    EXPECT_TRUE(std::any_of(report.lines.begin(), report.lines.end(),
                            [](const std::string& l) { return l.find("Geographic") != std::string::npos; }));
}

// ---- Fitting a raster to the grid ----

// A plane over a 42 x 26 grid, exported by us: its pixels are easy to name.
constexpr int kPlaneWidth = 42, kPlaneHeight = 26;
int plane(double c, double r) { return static_cast<int>(std::lround(3 * c + 5 * r)); }

std::string writePlane(const TempDir& dir)
{
    Landscape source = landscapeOf(kPlaneWidth, kPlaneHeight, SizeMode::Automatic,
                                   [](int c, int r) { return plane(c, r); });
    source.utmX = 1000;
    source.utmY = 2000;
    source.spacingX = source.spacingY = 10.0f;
    ScriptedFrontend ui;
    const std::string path = dir / "plane.tif";
    EXPECT_EQ(exportElevations(source, path, ui), 1);
    return path;
}

struct FitCase {
    const char* what;
    RasterFit fit;
    SizeMode mode;
    int gridWidth, gridHeight; // before (fixed mode) and expected after
    // The source position (column, row from the south) of grid cell (c, r).
    std::function<std::pair<double, double>(int c, int r)> source;
    double spacingX, spacingY;
    std::int32_t utmY;
};

TEST(ElevationImport, FitsTheRasterToTheGridAsChosen)
{
    TempDir dir;
    const std::string path = writePlane(dir);
    const double fx = 41.0 / 21.0, fy = 25.0 / 13.0; // resampled onto 22 x 14
    const std::vector<FitCase> cases = {
        {"size rules keep a grid-sized raster whole", RasterFit::SizeRules, SizeMode::Automatic, 42, 26,
         [](int c, int r) { return std::pair{c * 1.0, r * 1.0}; }, 10, 10, 2000},
        // The north-west corner: source rows 8..25 from the south.
        {"crop to a fixed grid", RasterFit::Crop, SizeMode::Fixed, 34, 18,
         [](int c, int r) { return std::pair{c * 1.0, r + 8.0}; }, 10, 10, 2080},
        {"bilinear onto a fixed grid", RasterFit::Bilinear, SizeMode::Fixed, 22, 14,
         [&](int c, int r) { return std::pair{c * fx, r * fy}; }, 10 * fx, 10 * fy, 2000},
        // Nearest: the pixel nearest in raster order, counted from the north row.
        {"nearest onto a fixed grid", RasterFit::Nearest, SizeMode::Fixed, 22, 14,
         [&](int c, int r) {
             return std::pair{std::round(c * fx) * 1.0, 25.0 - std::round((13 - r) * fy)};
         },
         10 * fx, 10 * fy, 2000},
    };
    for (const FitCase& k : cases) {
        SCOPED_TRACE(k.what);
        Landscape land = k.mode == SizeMode::Fixed
                             ? landscapeOf(k.gridWidth, k.gridHeight, SizeMode::Fixed, [](int, int) { return 0; })
                             : bystander();
        ScriptedFrontend ui;
        ASSERT_EQ(importFile(land, path, ui, k.fit), 1) << ::testing::PrintToString(ui.messages);
        ASSERT_EQ(land.gridWidth, k.gridWidth);
        ASSERT_EQ(land.gridHeight, k.gridHeight);
        for (int r = 0; r < k.gridHeight; ++r)
            for (int c = 0; c < k.gridWidth; ++c) {
                const auto [sc, sr] = k.source(c, r);
                ASSERT_EQ(land.elevation[r][c], plane(sc, sr)) << c << "," << r;
            }
        EXPECT_FLOAT_EQ(land.spacingX, static_cast<float>(k.spacingX));
        EXPECT_FLOAT_EQ(land.spacingY, static_cast<float>(k.spacingY));
        EXPECT_EQ(land.utmX, 1000);
        EXPECT_EQ(land.utmY, k.utmY);
    }
}

// Too large for the size rules: refused with a message that names the way
// out, and nothing changed. The automatic grid takes at most 2050 a side; a
// fit shrinks a long raster keeping its aspect.
TEST(ElevationImport, ARasterTooLargeForTheSizeRulesIsRefusedUnlessCroppedOrFitted)
{
    TempDir dir;
    const std::string plane = writePlane(dir);
    {
        Landscape land = landscapeOf(34, 18, SizeMode::Fixed, [](int c, int) { return c; });
        EXPECT_NE(expectRefused(land, plane, "cropped or fitted").find(plane), std::string::npos);
    }
    writeEhdr(dir / "long", 4100, 20, 0.5, 19.5, 1.0, [](int i, int j) { return i / 4 + j; });
    const std::vector<std::tuple<RasterFit, int, int, int>> cases = {
        {RasterFit::SizeRules, 0, 0, 0}, // refused
        {RasterFit::Crop, 2050, 26, 2049},
        {RasterFit::Bilinear, 2050, 10, 1024},
        {RasterFit::Nearest, 2050, 10, 1024},
    };
    for (const auto& [fit, width, height, eastValue] : cases) {
        SCOPED_TRACE(static_cast<int>(fit));
        Landscape land = bystander();
        const Snapshot before(land);
        ScriptedFrontend ui;
        const int result = importFile(land, dir / "long.bil", ui, fit);
        if (width == 0) {
            EXPECT_EQ(result, 0);
            EXPECT_NE(ui.messages.at(0).find("the largest grid (2050 x 2050)"), std::string::npos);
            EXPECT_TRUE(Snapshot(land) == before);
            continue;
        }
        ASSERT_EQ(result, 1);
        EXPECT_EQ(land.gridWidth, width);
        EXPECT_EQ(land.gridHeight, height);
        // The north row's last data cell: the raster's column 2049 when
        // cropped, its last column (4099 / 4) when fitted.
        const int northRow = fit == RasterFit::Crop ? 19 : height - 1;
        const int lastColumn = fit == RasterFit::Crop ? 2049 : width - 1;
        EXPECT_EQ(land.elevation[northRow][lastColumn], fit == RasterFit::Crop ? 512 : eastValue);
    }
}

// ---- Our own files, back and forth ----

// A generated landscape through each export format and back: every cell the
// same. GeoTIFF and PNG keep the placement and spacing and the whole 16-bit
// range the import takes; Terragen, which stores steps over the span, only
// the elevations of an ordinary landscape and its spacing when square.
TEST(ElevationRoundTrip, GeneratedLandscapeComesBackByteExact)
{
    Landscape source;
    RandomStreams random;
    ASSERT_EQ(resizeLandscape(source, random, kSmallGrid, kSmallGrid), 1);
    SceneSettings scene;
    ScriptedFrontend quiet;
    generateLandscape(source, scene.generation, random, quiet);
    source.utmX = 487123;
    source.utmY = 5123457;
    source.spacingX = source.spacingY = 30.1f;
    TempDir dir;
    struct Case {
        std::string name;
        bool extremes;  // the cells at 32767 and kLowestImported are in
        bool placement; // the placement comes back
    };
    for (const Case& k : std::vector<Case>{{"land.ter", false, false},
                                           {"land.png", true, true},
                                           {"land.tif", true, true},
                                           {"LAND.TIFF", true, true}}) {
        SCOPED_TRACE(k.name);
        if (k.extremes) {
            source.elevation[3][4] = 32767;
            source.elevation[5][6] = kLowestImported;
            source.spacingY = 12.5f;
        }
        ScriptedFrontend ui;
        ASSERT_EQ(exportElevations(source, dir / k.name, ui), 1) << ::testing::PrintToString(ui.messages);
        Landscape land = landscapeOf(kLargeGrid, kLargeGrid, SizeMode::Automatic, [](int, int) { return 9; });
        ASSERT_EQ(importFile(land, dir / k.name, ui), 1) << ::testing::PrintToString(ui.messages);
        ASSERT_EQ(land.gridWidth, source.gridWidth);
        ASSERT_EQ(land.gridHeight, source.gridHeight);
        EXPECT_TRUE(elevationCells(land) == elevationCells(source));
        EXPECT_EQ(land.spacingX, source.spacingX);
        EXPECT_EQ(land.spacingY, source.spacingY);
        EXPECT_EQ(land.utmX, k.placement ? source.utmX : 0);
        EXPECT_EQ(land.utmY, k.placement ? source.utmY : 0);
    }
    // The PNG is 16-bit greyscale holding elevation + 32768 (the IHDR says
    // 16 bits, colour type 0), its sidecar gives the offset back.
    const std::string png = readFile(dir / "land.png");
    ASSERT_GT(png.size(), 26u);
    EXPECT_EQ(png[24], 16);
    EXPECT_EQ(png[25], 0);
    EXPECT_NE(readFile(dir / "land.png.aux.xml").find("<Offset>-32768</Offset>"), std::string::npos);
    // Only the files asked for and the PNG's sidecar: no temporary left.
    EXPECT_EQ(kalvenor::testing::entries(dir.path),
              (std::vector<std::string>{"LAND.TIFF", "land.png", "land.png.aux.xml", "land.ter", "land.tif"}));
}

// What gdalinfo reads from our GeoTIFF: the grid's lowest and highest cell and
// the geotransform whose pixel centres are our sample points.
TEST(ElevationExport, GdalinfoSeesTheSameMinimumMaximumAndGeotransform)
{
    if (!haveGdalTools()) GTEST_SKIP() << "gdalinfo is not installed";
    Landscape land = landscapeOf(26, 18, SizeMode::Automatic, [](int c, int r) { return (c * 131 + r * 71) % 900 - 250; });
    land.elevation[7][3] = -4321;
    land.elevation[12][20] = 8848;
    land.utmX = 500000;
    land.utmY = 4100000;
    land.spacingX = 30.0f;
    land.spacingY = 20.0f;
    TempDir dir;
    ScriptedFrontend ui;
    ASSERT_EQ(exportElevations(land, dir / "out.tif", ui), 1);
    const std::optional<std::string> info = run("gdalinfo -stats " + quoted(dir / "out.tif"));
    ASSERT_TRUE(info);
    double x0 = 0, y0 = 0, px = 0, py = 0, lowest = 0, highest = 0;
    const auto at = [&](const char* key) { return info->c_str() + info->find(key); };
    ASSERT_EQ(std::sscanf(at("Origin = ("), "Origin = (%lf,%lf)", &x0, &y0), 2);
    ASSERT_EQ(std::sscanf(at("Pixel Size = ("), "Pixel Size = (%lf,%lf)", &px, &py), 2);
    ASSERT_EQ(std::sscanf(at("Minimum="), "Minimum=%lf, Maximum=%lf", &lowest, &highest), 2);
    EXPECT_EQ(lowest, -4321);
    EXPECT_EQ(highest, 8848);
    EXPECT_EQ(px, 30.0);
    EXPECT_EQ(py, -20.0);
    // Sample (0, 0) at the centre of the south-west pixel, as the DXF export puts it.
    EXPECT_EQ(x0, 500000 - 15.0);
    EXPECT_EQ(y0, 4100000 + 17.5 * 20.0);
    EXPECT_NE(info->find("Type=Int16"), std::string::npos);
}

// A sidecar left from an earlier file would give GDAL another geotransform:
// exporting a GeoTIFF over it removes it. A PNG export replaces its own.
TEST(ElevationExport, SidecarsFollowTheFileTheyDescribe)
{
    TempDir dir;
    Landscape land = landscapeOf(18, 10, SizeMode::Automatic, [](int c, int r) { return c + r; });
    land.utmX = 7000;
    writeFile(dir / "a.tif.aux.xml", "<PAMDataset><GeoTransform>1, 2, 0, 3, 0, -2</GeoTransform></PAMDataset>");
    ScriptedFrontend ui;
    ASSERT_EQ(exportElevations(land, dir / "a.tif", ui), 1);
    EXPECT_FALSE(fs::exists(dir / "a.tif.aux.xml"));
    ASSERT_EQ(exportElevations(land, dir / "a.png", ui), 1);
    land.utmX = 9000;
    ASSERT_EQ(exportElevations(land, dir / "a.png", ui), 1);
    for (const char* name : {"a.tif", "a.png"}) {
        Landscape back = bystander();
        ASSERT_EQ(importFile(back, dir / name, ui), 1);
        EXPECT_EQ(back.utmX, std::string(name) == "a.tif" ? 7000 : 9000) << name;
    }
}

// A save that fails (an extension we do not write, a full disk) says why and
// leaves the previous file as it was.
TEST(ElevationExport, AFailedExportKeepsThePreviousFile)
{
    TempDir dir;
    Landscape land = landscapeOf(kSmallGrid, kSmallGrid, SizeMode::Automatic, [](int c, int r) { return c * r % 977; });
    ScriptedFrontend ui;
    ASSERT_EQ(exportElevations(land, dir / "keep.tif", ui), 1);
    const std::string before = readFile(dir / "keep.tif");
    land.elevation[9][9] = 5000;
    {
        kalvenor::testing::FileSizeLimit limit(before.size() / 2);
        EXPECT_EQ(exportElevations(land, dir / "keep.tif", ui), 0);
    }
    EXPECT_EQ(readFile(dir / "keep.tif"), before);
    EXPECT_EQ(exportElevations(land, dir / "keep.txt", ui), 0);
    EXPECT_FALSE(fs::exists(dir / "keep.txt"));
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_NE(ui.messages[0].find(dir / "keep.tif"), std::string::npos);
    EXPECT_NE(ui.messages[1].find(".tif, .tiff, .png or .ter"), std::string::npos);
    for (const auto& [name, accepted] : std::vector<std::pair<std::string, bool>>{
             {"a.TIF", true}, {"b.tiff", true}, {"c.Png", true}, {"d.ter", true}, {"e.asc", false}, {"tif", false}})
        EXPECT_EQ(isElevationExportExtension(name), accepted) << name;
}

// ---- Hostile input ----

// Small valid files of our own making, for the broken-file tests.
struct ValidFiles {
    std::string tif, png;
    explicit ValidFiles(const TempDir& dir)
    {
        Landscape land = landscapeOf(26, 18, SizeMode::Automatic, [](int c, int r) { return (c * 97 + r * 31) % 700; });
        ScriptedFrontend ui;
        tif = dir / "valid.tif";
        png = dir / "valid.png";
        EXPECT_EQ(exportElevations(land, tif, ui), 1);
        EXPECT_EQ(exportElevations(land, png, ui), 1);
    }
};

// A cut or damaged file is refused with the file and GDAL's reason, and the
// landscape (every cell, the placement, the size) is as it was.
TEST(ElevationImport, BrokenFilesChangeNothingAndSayWhy)
{
    TempDir dir;
    const ValidFiles valid(dir);
    const std::string tif = readFile(valid.tif), png = readFile(valid.png);
    std::string damagedPng = png;
    for (std::size_t k = 60; k < damagedPng.size() - 20; k += 7) damagedPng[k] = static_cast<char>(damagedPng[k] ^ 0x5A);
    const std::vector<std::pair<std::string, std::string>> files = {
        {"cut.tif", tif.substr(0, tif.size() / 2)},
        {"header.tif", tif.substr(0, 100)},
        {"cut.png", png.substr(0, png.size() - 40)},
        {"damaged.png", damagedPng},
        {"empty.tif", ""},
        {"text.tif", "not a raster at all\n"},
    };
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        writeFile(dir / name, bytes);
        Landscape land = bystander();
        const Snapshot before(land);
        ScriptedFrontend ui;
        EXPECT_EQ(importFile(land, dir / name, ui), 0);
        ASSERT_EQ(ui.messages.size(), 1u);
        const std::string& message = ui.messages[0];
        EXPECT_NE(message.find("\"" + (dir / name) + "\": "), std::string::npos) << message;
        EXPECT_GT(message.size(), message.find("\": ") + 8) << message; // a reason follows the file
        EXPECT_TRUE(Snapshot(land) == before);
    }
}

// A classic little-endian TIFF header of one 16-bit band declaring a size,
// with one strip of 2 bytes: the file is tiny, the raster it announces is not.
std::string tiffHeader(std::uint32_t width, std::uint32_t height)
{
    std::vector<std::uint8_t> out = {'I', 'I', 42, 0, 8, 0, 0, 0};
    const std::vector<std::pair<std::uint16_t, std::uint32_t>> tags = {
        {256, width}, {257, height}, {258, 16}, {259, 1}, {262, 1}, {273, 8 + 2 + 10 * 12 + 4},
        {277, 1},     {278, height}, {279, 2},  {339, 2},
    };
    std::uint8_t word[4];
    put16le(word, static_cast<std::uint16_t>(tags.size()));
    out.insert(out.end(), word, word + 2);
    for (const auto& [tag, value] : tags) {
        put16le(word, tag);
        out.insert(out.end(), word, word + 2);
        const bool shortType = tag == 258 || tag == 259 || tag == 262 || tag == 277 || tag == 339;
        put16le(word, shortType ? 3 : 4);
        out.insert(out.end(), word, word + 2);
        put32le(word, 1);
        out.insert(out.end(), word, word + 4);
        put32le(word, value);
        out.insert(out.end(), word, word + 4);
    }
    out.insert(out.end(), {0, 0, 0, 0, 0, 0});
    return {out.begin(), out.end()};
}

// A raster larger than an import takes is refused from its header, before a
// pixel is read or the landscape touched: by its area and by either side.
TEST(ElevationImport, AnOversizedRasterIsRefusedFromItsHeader)
{
    TempDir dir;
    const std::vector<std::pair<std::uint32_t, std::uint32_t>> sizes = {
        {100000, 100000}, {9000, 9000}, {kMaxRasterSide + 1, 2}, {3, kMaxRasterSide + 1}};
    // Just inside both limits the header is accepted, and the import fails
    // only later, on the missing pixels.
    writeFile(dir / "inside.tif", tiffHeader(8200, 8200));
    for (const auto& [width, height] : sizes) {
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        writeFile(dir / "big.tif", tiffHeader(width, height));
        Landscape land = bystander();
        expectRefused(land, dir / "big.tif", "is larger than an import takes", RasterFit::Bilinear);
    }
    Landscape land = bystander();
    ScriptedFrontend ui;
    EXPECT_EQ(importFile(land, dir / "inside.tif", ui, RasterFit::Bilinear), 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].find("is larger than an import takes"), std::string::npos) << ui.messages[0];
}

// Lifts a confinement however the test ends.
struct Confined {
    explicit Confined(const fs::path& dir) { EXPECT_TRUE(confineTo(dir.string())); }
    ~Confined() { endConfinement(); }
    Confined(const Confined&) = delete;
    Confined& operator=(const Confined&) = delete;
};

// Paths GDAL would read in its own ways, or that our readers refuse, are
// refused before GDAL sees them; a name in other letter case is found.
TEST(ElevationImport, ThePathIsCheckedAsOurOwnReadersCheckIt)
{
    TempDir dir;
    TempDir outside;
    const ValidFiles valid(dir);
    fs::copy_file(valid.tif, outside / "other.tif");
    fs::create_directory(dir / "folder.tif");
    struct Case {
        std::string path;
        bool confined;
        std::string reason;
    };
    const std::vector<Case> refused = {
        {"/vsimem/anything.tif", false, "virtual file systems"},
        {"/vsicurl/http://localhost/a.tif", false, "virtual file systems"},
        {dir / "missing.tif", false, "No such file"},
        {dir / "folder.tif", false, "directory"},
        {"/dev/zero", false, "not a regular file"},
        {outside / "other.tif", true, "outside"},
    };
    for (const Case& k : refused) {
        SCOPED_TRACE(k.path);
        std::optional<Confined> confined;
        if (k.confined) confined.emplace(dir.path);
        Landscape land = bystander();
        expectRefused(land, k.path, k.reason);
    }
    const Confined confined(dir.path);
    Landscape land = bystander();
    ScriptedFrontend ui;
    EXPECT_EQ(importFile(land, dir / "VALID.TIF", ui), 1) << ::testing::PrintToString(ui.messages);
}

// GDAL reads files beside the raster on its own (sidecars, headers, data a
// header names): a FIFO there must not hang the import, and a file the run
// may not read must not be read.
TEST(ElevationImport, FilesBesideTheRasterAreCheckedToo)
{
    TempDir dir;
    TempDir outside;
    const ValidFiles valid(dir);
    fs::copy_file(valid.tif, dir / "piped.tif");
    ASSERT_EQ(::mkfifo((dir / "piped.tif.aux.xml").c_str(), 0600), 0);
    {
        Landscape land = bystander();
        ScriptedFrontend ui;
        ::alarm(60); // a blocked open ends the test instead of the whole run
        EXPECT_EQ(importFile(land, dir / "piped.tif", ui), 1) << ::testing::PrintToString(ui.messages);
        ::alarm(0);
    }
    // Raw rows inside the confined folder, their header outside it behind a link.
    writeEhdr(outside / "rows", 12, 10, 0.5, 9.5, 1.0, [](int i, int j) { return 100 + i + j; });
    fs::copy_file(outside / "rows.bil", dir / "linked.bil");
    fs::create_symlink(outside / "rows.hdr", dir / "linked.hdr");
    const Confined confined(dir.path);
    Landscape land = bystander();
    const Snapshot before(land);
    ScriptedFrontend ui;
    EXPECT_EQ(importFile(land, dir / "linked.bil", ui), 0);
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(Snapshot(land) == before);
}

// What the import refuses, or keeps from the landscape, after GDAL has read
// the file well: a grid beyond the memory budget, a raster of no-data cells
// only, a pixel size no landscape file stores.
TEST(ElevationImport, RastersALandscapeCannotTakeAreRefusedOrTheirSpacingKept)
{
    TempDir dir;
    writeAsciiGrid(dir / "big.asc", 300, 300, 0, 0, 30, [](int i, int j) { return std::to_string(i - j); });
    writeAsciiGrid(dir / "empty.asc", 20, 20, 0, 0, 30, [](int, int) { return std::string("-9999"); });
    writeAsciiGrid(dir / "fine.asc", 20, 20, 0, 0, 0.001, [](int i, int j) { return std::to_string(i + j); });
    {
        Landscape land = bystander();
        land.mapBudgetBytes = 4 * 2 * static_cast<std::size_t>(kSmallGrid) * kSmallGrid; // the grid it has, no more
        expectRefused(land, dir / "big.asc", "more than the landscape's memory allows");
        Landscape other = bystander();
        expectRefused(other, dir / "empty.asc", "holds no elevations");
    }
    Landscape land = bystander();
    ScriptedFrontend ui;
    ElevationImportReport report;
    EXPECT_EQ(importFile(land, dir / "fine.asc", ui, RasterFit::SizeRules, &report), 1);
    EXPECT_EQ(land.spacingX, 17.0f);
    EXPECT_EQ(land.spacingY, 19.0f);
    EXPECT_EQ(land.elevation[0][0], 19); // the south-west sample: the last row's first value
    EXPECT_TRUE(std::any_of(report.lines.begin(), report.lines.end(), [](const std::string& line) {
        return line.find("is not a spacing a landscape holds") != std::string::npos;
    })) << ::testing::PrintToString(report.lines);
}

// Many cut and damaged versions of a valid TIFF and PNG: each import either
// succeeds with a whole grid or fails cleanly, the landscape as it was.
TEST(ElevationImport, CutAndFlippedFilesNeverCrashOrHalfImport)
{
    TempDir dir;
    const ValidFiles valid(dir);
    std::uint32_t state = 12345;
    const auto next = [&] { return state = state * 1103515245u + 12345u; };
    int failures = 0, successes = 0;
    for (const std::string& file : {valid.tif, valid.png}) {
        const std::string bytes = readFile(file);
        const std::string ext = fs::path(file).extension().string();
        std::vector<std::string> variants;
        for (std::size_t cut = 0; cut < bytes.size(); cut += std::max<std::size_t>(1, bytes.size() / 97))
            variants.push_back(bytes.substr(0, cut));
        for (int k = 0; k < 150; ++k) {
            std::string flipped = bytes;
            for (int n = 0; n < 1 + k % 4; ++n) {
                const std::size_t at = next() % flipped.size();
                flipped[at] = static_cast<char>(flipped[at] ^ (1 << (next() % 8)));
            }
            variants.push_back(flipped);
        }
        for (std::size_t k = 0; k < variants.size(); ++k) {
            // The PNG keeps its sidecar under the variant's name.
            const std::string path = dir / ("variant" + ext);
            writeFile(path, variants[k]);
            if (ext == ".png") fs::copy_file(file + ".aux.xml", path + ".aux.xml", fs::copy_options::overwrite_existing);
            Landscape land = bystander();
            const Snapshot before(land);
            ScriptedFrontend ui;
            if (importFile(land, path, ui, k % 2 == 0 ? RasterFit::SizeRules : RasterFit::Bilinear) == 1) {
                ++successes;
                ASSERT_TRUE(ui.messages.empty());
                ASSERT_TRUE(land.elevation.allocated());
                for (std::int16_t cell : elevationCells(land)) ASSERT_GE(cell, kLowestImported);
            } else {
                ++failures;
                ASSERT_EQ(ui.messages.size(), 1u) << file << " variant " << k;
                ASSERT_TRUE(Snapshot(land) == before) << file << " variant " << k;
            }
        }
    }
    // Both outcomes were met, so both paths were checked.
    EXPECT_GT(failures, 0);
    EXPECT_GT(successes, 0);
}

} // namespace
} // namespace kalvenor
