#include "files/dxf_export.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string_view>
#include <tuple>
#include <utility>

#include "base/atomic_file.h"
#include "base/file_requests.h"
#include "base/frontend.h"
#include "base/paths.h"

namespace kalvenor {

namespace {

constexpr const char* kLayerPrefix = "KN";
constexpr std::string_view kFileStart = "0\nSECTION\n2\nENTITIES\n";
constexpr std::string_view kFileEnd = "0\nENDSEC\n0\nEOF\n";

// Border vertices of overlapping objects sit this much lower, so that where
// two objects overlap the inner surface of the other one shows.
constexpr double kSeamDrop = 0.1;

// "%g" keeps six significant digits, which would move a seven-digit UTM
// northing by up to 5 metres. A coordinate is written with as few digits as
// "%g" gives whenever that stays within half a centimetre of the value, and
// with more digits only where it would not.
constexpr int kShortPrecision = 6;
constexpr int kFullPrecision = 17;
constexpr double kCoordinateTolerance = 0.005;

// Room for one record: the fixed words, a layer name and three coordinates
// of at most 24 characters each.
constexpr std::size_t kRecordChars = 256;

// One DXF record built in place before it goes to the file in one write.
struct Record {
    char data[kRecordChars];
    char* end = data;

    void put(std::string_view text)
    {
        std::memcpy(end, text.data(), text.size());
        end += text.size();
    }

    void putInt(long value) { end = std::to_chars(end, data + kRecordChars, value).ptr; }

    void putCoordinate(double value)
    {
        char* const start = end;
        for (int precision = kShortPrecision;; ++precision) {
            end = std::to_chars(start, data + kRecordChars, value, std::chars_format::general, precision).ptr;
            if (precision == kFullPrecision) return;
            double back = 0.0;
            std::from_chars(start, end, back);
            if (std::fabs(back - value) <= kCoordinateTolerance) return;
        }
    }

    std::string_view text() const { return {data, static_cast<std::size_t>(end - data)}; }
};

// What every object of one file shares.
struct DxfWriter {
    const Landscape& land;
    AtomicFile& file;
    Frontend& ui;
    int step = 1;
    long limit = 1;
    bool overlap = false;
    double offsetX = 0.0;
    double offsetY = 0.0;
    double offsetZ = 0.0;
    int objectCount = 0; // numbers the layers of this file
};

// The two halves of the axis from first to last, split at the middle rounded
// down to a multiple of the step (/ truncates; every value is >= 0) and
// widened by the overlap on each side of it. Nothing when the axis cannot be
// halved: it spans a single step, or (only possible with an overlap and a
// step above 1, whose halves leave the step lattice) a half would keep no
// whole step or be as long as the axis itself. Every half lies within
// first..last, so nothing outside the exported area is read.
std::optional<std::pair<std::pair<int, int>, std::pair<int, int>>> halve(int first, int last, int step,
                                                                         int overlap)
{
    const int length = last - first;
    if (length / step < 2) return std::nullopt;
    const int m = step * ((first + length / 2) / step);
    const std::pair<int, int> low{first, m + overlap};
    const std::pair<int, int> high{m - overlap, last};
    const auto usable = [&](const std::pair<int, int>& half) {
        const int span = half.second - half.first;
        return span / step >= 1 && span < length;
    };
    if (!usable(low) || !usable(high)) return std::nullopt;
    return std::pair{low, high};
}

ExportResult writeVertices(DxfWriter& w, const ExportArea& a, const char* layer, int nx, int ny)
{
    for (int j = 0; j <= ny; ++j) {
        if (w.ui.pollAbort()) return ExportResult::Aborted;
        const int row = a.firstRow + j * w.step;
        const std::int16_t* cells = w.land.elevation[row];
        // The spacing is a float in the landscape record. It is widened to
        // double before the multiplication, so the product carries no float
        // rounding of its own; six significant digits then hide the float's
        // representation error (30.1f prints as 30.1).
        const double y = static_cast<double>(row) * static_cast<double>(w.land.spacingY) + w.offsetY;
        for (int i = 0; i <= nx; ++i) {
            const int column = a.firstColumn + i * w.step;
            const bool border = i == 0 || i == nx || j == 0 || j == ny;
            const double x = static_cast<double>(column) * static_cast<double>(w.land.spacingX) + w.offsetX;
            double z = static_cast<double>(cells[column]) + w.offsetZ;
            if (w.overlap && border) z -= kSeamDrop;
            Record r;
            r.put("0\nVERTEX\n8\n");
            r.put(layer);
            r.put("\n10\n");
            r.putCoordinate(x);
            r.put("\n20\n");
            r.putCoordinate(y);
            r.put("\n30\n");
            r.putCoordinate(z);
            r.put("\n70\n192\n");
            w.file.write(r.text());
        }
        if (w.file.failed()) return ExportResult::WriteFailed;
    }
    return ExportResult::Ok;
}

void writeFace(AtomicFile& file, const char* layer, long a, long b, long c)
{
    Record r;
    r.put("0\nVERTEX\n8\n");
    r.put(layer);
    r.put("\n10\n0\n20\n0\n30\n0\n70\n128\n71\n");
    r.putInt(a);
    r.put("\n72\n");
    r.putInt(b);
    r.put("\n73\n");
    r.putInt(c);
    r.put("\n");
    file.write(r.text());
}

// Two triangles per cell, vertex numbers counted from 1 in the order written.
// A negative number hides the edge that starts at that vertex, so the shared
// diagonal of each cell stays invisible.
ExportResult writeFaces(DxfWriter& w, const char* layer, int nx, int ny)
{
    const long width = nx + 1L;
    for (long j = 0; j < ny; ++j) {
        for (long i = 0; i < nx; ++i) {
            const long top = width * j + i + 1;
            const long bottom = width * (j + 1) + i + 1;
            writeFace(w.file, layer, top, top + 1, -(bottom + 1));
            writeFace(w.file, layer, -top, bottom + 1, bottom);
        }
        if (w.file.failed()) return ExportResult::WriteFailed;
    }
    return ExportResult::Ok;
}

// One POLYLINE polyface mesh on the next layer.
ExportResult writeObject(DxfWriter& w, const ExportArea& a)
{
    const int nx = (a.lastColumn - a.firstColumn) / w.step;
    const int ny = (a.lastRow - a.firstRow) / w.step;
    char layer[32];
    std::snprintf(layer, sizeof layer, "%s_%02d", kLayerPrefix, w.objectCount++);
    w.ui.mapPlot(MapRect{a.firstColumn, a.firstRow, a.lastColumn, a.lastRow});

    const long vertices = (nx + 1L) * (ny + 1L);
    const long faces = 2L * nx * ny;
    w.file.print("0\nPOLYLINE\n8\n%s\n66\n1\n70\n64\n71\n%ld\n72\n%ld\n", layer, vertices, faces);
    if (ExportResult r = writeVertices(w, a, layer, nx, ny); r != ExportResult::Ok) return r;
    if (ExportResult r = writeFaces(w, layer, nx, ny); r != ExportResult::Ok) return r;
    w.file.print("0\nSEQEND\n8\n%s\n", layer);
    return w.file.failed() ? ExportResult::WriteFailed : ExportResult::Ok;
}

// The area cut in two along its longer side (rows when it is taller than
// wide, else columns); nothing when that side cannot be halved.
std::optional<std::pair<ExportArea, ExportArea>> splitArea(const ExportArea& a, int step, int overlap)
{
    ExportArea first = a;
    ExportArea second = a;
    if (a.lastColumn - a.firstColumn < a.lastRow - a.firstRow) {
        const auto halves = halve(a.firstRow, a.lastRow, step, overlap);
        if (!halves) return std::nullopt;
        std::tie(first.firstRow, first.lastRow) = halves->first;
        std::tie(second.firstRow, second.lastRow) = halves->second;
    } else {
        const auto halves = halve(a.firstColumn, a.lastColumn, step, overlap);
        if (!halves) return std::nullopt;
        std::tie(first.firstColumn, first.lastColumn) = halves->first;
        std::tie(second.firstColumn, second.lastColumn) = halves->second;
    }
    return std::pair{first, second};
}

// Splits the area until each part has fewer faces than the limit, then writes
// the parts in order; stops at the first failure. Every split shortens a side,
// so the recursion ends even when the limit can never be met.
ExportResult writeArea(DxfWriter& w, const ExportArea& a)
{
    const long nx = (a.lastColumn - a.firstColumn) / w.step;
    const long ny = (a.lastRow - a.firstRow) / w.step;
    if (2 * nx * ny >= w.limit) {
        if (const auto parts = splitArea(a, w.step, w.overlap ? 1 : 0)) {
            if (ExportResult r = writeArea(w, parts->first); r != ExportResult::Ok) return r;
            return writeArea(w, parts->second);
        }
    }
    return writeObject(w, a);
}

int clampToInt(long value) { return static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX)); }

} // namespace

ExportResult exportDxf(const Landscape& land, const BoundingBox& box, const std::string& path,
                       const DxfOptions& options, Frontend& ui)
{
    ui.status("Saving DXF File");
    const int step = std::max(options.step, 1);
    const ExportArea area = exportArea(land, box, step);

    // Text mode: every line end is stored as CR LF.
    AtomicFile file;
    if (!file.open(path, FileMode::Text)) return ExportResult::OpenFailed;

    DxfWriter w{land, file, ui};
    w.step = step;
    w.limit = std::max(options.maxPolygons, 1);
    w.overlap = options.overlapSeams;
    if (options.utmBased) {
        w.offsetX = land.utmX;
        w.offsetY = land.utmY;
        w.offsetZ = land.utmExtra;
    }

    file.write(kFileStart);
    // An abort or a failed write leaves the previous file as it was: the
    // AtomicFile is discarded uncommitted.
    if (ExportResult r = writeArea(w, area); r != ExportResult::Ok) return r;
    file.write(kFileEnd);
    return file.commit() ? ExportResult::Ok : ExportResult::WriteFailed;
}

int exportDxfCommand(const Landscape& land, const BoundingBox& box, DxfRemembered& remembered,
                     const std::string& defaultDir, Frontend& ui)
{
    const std::optional<std::string> chosen = askSavePath(ui, "Save DXF File", defaultDir, "*.DXF", ".DXF");
    if (!chosen) return 1;
    const std::string& path = *chosen;

    DxfOptions options;
    options.overlapSeams = ui.ask("Overlap seams for smooth shading?", "Yes", "No");
    options.utmBased = !ui.ask("Zero based or UTM based coordinates?", "Zero based", "UTM based");

    // Every cancelled requester ends the command the same way: nothing written, result 1.
    const std::optional<long> limit = ui.askNumber("Input maximum number of polygons per object:",
                                                   remembered.maxPolygons);
    if (!limit) return 1;
    // Remembered as it takes effect, so the next export offers what was used.
    remembered.maxPolygons = std::max(clampToInt(*limit), 1);
    options.maxPolygons = remembered.maxPolygons;
    const std::optional<long> step = ui.askNumber("Subsample rate:", 1);
    if (!step) return 1;
    options.step = std::max(clampToInt(*step), 1);

    switch (exportDxf(land, box, path, options, ui)) {
    case ExportResult::Ok:
        return 1;
    case ExportResult::Aborted:
        return -1;
    case ExportResult::OpenFailed: // reported as a write error, like any other
    case ExportResult::WriteFailed:
        break;
    }
    ui.message(fileMessage(kErrorWritingFile, path));
    return 0;
}

} // namespace kalvenor
