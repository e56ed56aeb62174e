#include "files/binary_import.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include "base/byte_order.h"
#include "base/frontend.h"
#include "base/paths.h"
#include "model/scene_reset.h"
#include "terrain/remove_steps.h"

namespace kalvenor {

namespace {

// fseek takes a long; an int header is always within reach.
constexpr long kMaxHeaderBytes = std::numeric_limits<int>::max();

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

bool validSide(long side) { return side >= 1 && side <= kMaxBinarySide; }
bool validHeader(long bytes) { return bytes >= 0 && bytes <= kMaxHeaderBytes; }

void copyLittleEndianRow(const std::uint8_t* bytes, std::int16_t* row, int count)
{
    for (int c = 0; c < count; ++c) row[c] = static_cast<std::int16_t>(get16le(bytes + 2 * c));
}

// The message for a failed import; empty for success.
std::string importMessage(BinaryImportStatus status, const std::string& path)
{
    switch (status) {
    case BinaryImportStatus::Ok: return {};
    case BinaryImportStatus::BadSize: return "Data width and height must be from 1 to 65535.";
    case BinaryImportStatus::BadHeader: return "Header bytes to skip must be from 0 to 2147483647.";
    case BinaryImportStatus::OpenFailed: return fileMessage(kErrorOpeningFile, path);
    case BinaryImportStatus::ReadFailed: return fileMessage(kErrorReadingFile, path);
    }
    return {};
}

} // namespace

BinaryImportStatus importBinaryElevations(Landscape& land, const std::string& path, int width, int height,
                                          int headerBytes)
{
    if (!validSide(width) || !validSide(height)) return BinaryImportStatus::BadSize;
    if (!validHeader(headerBytes)) return BinaryImportStatus::BadHeader;

    std::unique_ptr<std::FILE, FileCloser> file(openRegularStream(resolveExisting(path)));
    if (!file) return BinaryImportStatus::OpenFailed;
    // The file must hold every row it is said to have: one cut short (a wrong
    // size or header, an empty file, a directory) leaves the landscape as it was.
    std::FILE* in = file.get();
    const std::uint64_t rowBytes = static_cast<std::uint64_t>(width) * 2;
    if (std::fseek(in, 0, SEEK_END) != 0) return BinaryImportStatus::ReadFailed;
    const long size = std::ftell(in);
    if (size < 0 || static_cast<std::uint64_t>(size) < static_cast<std::uint64_t>(headerBytes) + rowBytes * height)
        return BinaryImportStatus::ReadFailed;
    if (std::fseek(in, headerBytes, SEEK_SET) != 0) return BinaryImportStatus::ReadFailed;

    // The rows that land in the grid are read whole before any of them is stored.
    const int rows = std::min(height, land.gridHeight);
    const int columns = std::min(width, land.gridWidth);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(rowBytes) * static_cast<std::size_t>(rows));
    if (std::fread(bytes.data(), 1, bytes.size(), in) != bytes.size()) return BinaryImportStatus::ReadFailed;
    land.elevation.clear();
    for (int r = 0; r < rows; ++r)
        copyLittleEndianRow(bytes.data() + static_cast<std::size_t>(rowBytes) * static_cast<std::size_t>(r),
                            land.elevation[r], columns);
    land.modified = true;
    land.mapStale = true;
    return BinaryImportStatus::Ok;
}

int importBinaryCommand(Landscape& land, SceneSettings& scene, BinaryImportState& state,
                        const std::string& defaultDir, Frontend& ui)
{
    FileRequest request;
    request.title = "Load Binary Data";
    request.directory = defaultDir;
    request.pattern = "*.bin";
    const std::optional<std::string> path = ui.chooseFile(request);
    if (!path) return -1;

    const std::optional<long> width = ui.askNumber("Data width:", state.width > 0 ? state.width : land.gridWidth);
    if (!width) return -1;
    const std::optional<long> height =
        ui.askNumber("Data height:", state.height > 0 ? state.height : land.gridHeight);
    if (!height) return -1;
    const std::optional<long> header = ui.askNumber("Header bytes to skip:", state.headerBytes);
    if (!header) return -1;

    // Numbers out of range are refused before anything is remembered or touched.
    BinaryImportStatus status = BinaryImportStatus::Ok;
    if (!validSide(*width) || !validSide(*height))
        status = BinaryImportStatus::BadSize;
    else if (!validHeader(*header))
        status = BinaryImportStatus::BadHeader;
    else {
        state = {static_cast<int>(*width), static_cast<int>(*height), static_cast<int>(*header)};
        status = importBinaryElevations(land, *path, state.width, state.height, state.headerBytes);
    }
    if (status != BinaryImportStatus::Ok) {
        ui.message(importMessage(status, *path));
        return 0;
    }

    if (ui.ask("Remove steps?", "Yes", "No")) removeSteps(land, ui);
    resetForNewLandscape(land, scene);
    return 1;
}

} // namespace kalvenor
