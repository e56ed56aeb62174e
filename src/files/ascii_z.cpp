#include "files/ascii_z.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <tuple>
#include <utility>
#include <vector>

#include "base/atomic_file.h"
#include "base/file_requests.h"
#include "base/frontend.h"

namespace kalvenor {

namespace {

// Widest cell as written: "-32768 ".
constexpr std::size_t kMaxCellChars = 7;

// Multiples of the step below and above v: floor and ceiling, not truncation,
// so that a box corner left of column 0 still rounds outward. 64 bits keep a
// corner near the int limits from overflowing.
std::int64_t floorToStep(std::int64_t v, int step)
{
    std::int64_t q = v / step;
    if (v % step != 0 && v < 0) --q;
    return q * step;
}

std::int64_t ceilToStep(std::int64_t v, int step)
{
    std::int64_t q = v / step;
    if (v % step != 0 && v > 0) ++q;
    return q * step;
}

// One axis of the area: the first sample is a multiple of the step within
// 0..size, the last is reached from it by whole steps and lies within size.
std::pair<int, int> axisRange(bool boxed, int from, int to, int size, int step)
{
    std::int64_t first = 0;
    std::int64_t last = size;
    if (boxed) {
        if (from > to) std::swap(from, to);
        first = floorToStep(from, step);
        last = ceilToStep(to, step);
    }
    const std::int64_t lastOnStep = static_cast<std::int64_t>(size / step) * step; // / truncates, size >= 0
    first = std::clamp<std::int64_t>(first, 0, lastOnStep);
    last = std::clamp<std::int64_t>(last, first, size);
    last = first + (last - first) / step * step;
    return {static_cast<int>(first), static_cast<int>(last)};
}

// One sampled row as text: each elevation and a blank, then the line end.
std::size_t formatRow(const std::int16_t* cells, const ExportArea& area, int step, int columns, char* out)
{
    char* p = out;
    for (int k = 0; k < columns; ++k) {
        p = std::to_chars(p, p + kMaxCellChars, cells[area.firstColumn + k * step]).ptr;
        *p++ = ' ';
    }
    *p++ = '\n';
    return static_cast<std::size_t>(p - out);
}

} // namespace

ExportArea exportArea(const Landscape& land, const BoundingBox& box, int step)
{
    step = std::max(step, 1);
    const bool boxed = box.enabled != 0;
    ExportArea area;
    std::tie(area.firstColumn, area.lastColumn) =
        axisRange(boxed, box.firstColumn, box.lastColumn, land.sizeX, step);
    std::tie(area.firstRow, area.lastRow) = axisRange(boxed, box.firstRow, box.lastRow, land.sizeY, step);
    return area;
}

ExportResult exportAsciiZ(const Landscape& land, const BoundingBox& box, const std::string& path, int step,
                          Frontend& ui)
{
    ui.status("Saving Ascii Z");
    step = std::max(step, 1);
    const ExportArea area = exportArea(land, box, step);

    // Text mode: every line end is stored as CR LF.
    AtomicFile file;
    if (!file.open(path, FileMode::Text)) return ExportResult::OpenFailed;

    const int columns = (area.lastColumn - area.firstColumn) / step + 1;
    const int rows = (area.lastRow - area.firstRow) / step + 1;
    std::vector<char> line(static_cast<std::size_t>(columns) * kMaxCellChars + 1);
    for (int k = 0; k < rows; ++k) {
        // An abort leaves the previous file as it was: the AtomicFile is discarded.
        if (ui.pollAbort()) return ExportResult::Aborted;
        const std::size_t bytes = formatRow(land.elevation[area.firstRow + k * step], area, step, columns, line.data());
        if (!file.write(line.data(), bytes)) return ExportResult::WriteFailed;
    }
    return file.commit() ? ExportResult::Ok : ExportResult::WriteFailed;
}

int exportAsciiZCommand(const Landscape& land, const BoundingBox& box, const std::string& defaultDir, Frontend& ui)
{
    const std::optional<std::string> path = askSavePath(ui, "Save Ascii Z File", defaultDir, "*.TXT", ".TXT");
    if (!path) return -1;
    const std::optional<long> step = ui.askNumber("Subsample rate:", 1);
    if (!step) return -1;
    const int rate = static_cast<int>(std::clamp(*step, 1L, 65536L));
    switch (exportAsciiZ(land, box, *path, rate, ui)) {
    case ExportResult::Ok: return 1;
    case ExportResult::Aborted: return -1;
    case ExportResult::OpenFailed: ui.message(fileMessage(kErrorOpeningFile, *path)); return 0;
    case ExportResult::WriteFailed: break;
    }
    ui.message(fileMessage(kErrorWritingFile, *path));
    return 0;
}

} // namespace kalvenor
