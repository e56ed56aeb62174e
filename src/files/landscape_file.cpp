#include "files/landscape_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <filesystem>
#include <optional>

#include "base/atomic_file.h"
#include "base/byte_order.h"
#include "base/file_requests.h"
#include "base/paths.h"
#include "files/dem_file.h"
#include "files/header_fields.h"
#include "files/row_codec.h"
#include "files/session_file.h"
#include "model/colour_scheme.h"
#include "model/scene_reset.h"
#include "terrain/shading.h"
#include "terrain/terrain_preparation.h"

namespace kalvenor {

namespace {

constexpr std::size_t kMaxPackedCellRowBytes = packBitsBound(kMaxRowBytes) + 2;

bool rowFitsBuffers(int width) { return width >= 1 && static_cast<std::size_t>(width) <= kMaxRowSamples; }

// One stored row: its 2-byte length and packed bytes, unpacked into out.
bool unpackRow(ByteCursor& in, std::uint8_t* out, std::size_t capacity, std::size_t& produced)
{
    const std::uint16_t length = in.get16be();
    const std::uint8_t* packed = in.take(length).data();
    if (packed == nullptr) return false;
    return packBitsDecode(packed, length, out, capacity, produced) == CodecStatus::Ok;
}

void takePlace(Landscape& land, const FilePlace& place)
{
    land.utmX = place.utmX;
    land.utmY = place.utmY;
    land.utmExtra = place.utmExtra;
}

// Where a grid smaller than the current one goes: marked by hand or found by UTM.
LoadStatus placeSmallerGrid(Landscape& land, Frontend& ui, const FilePlace& place, RowPlacement& at)
{
    // The margin of the stored grid is not placed.
    const int width = at.fileWidth - 2;
    const int height = at.rows - 2;
    const std::optional<int> mode = ui.choose("Choose placement mode:", {"Manual", "Auto"});
    if (!mode) return LoadStatus::Cancelled;
    int column = 0;
    int row = 0;
    if (*mode == 0) {
        const std::optional<MapPoint> point = ui.mapPoint("Select Region:");
        if (!point) return LoadStatus::Cancelled;
        column = point->column;
        row = point->row;
    } else {
        column = roundToInt((place.utmX - static_cast<double>(land.utmX)) / land.spacingX);
        row = roundToInt((place.utmY - static_cast<double>(land.utmY)) / land.spacingY);
    }
    // A marked position is held to the same bounds as a computed one.
    if (column < 0 || row < 0 || column > land.sizeX - width || row > land.sizeY - height) return LoadStatus::Outside;
    if (*mode == 0 && column == 0 && row == 0) takePlace(land, place);
    at.columns = width;
    at.rows = height;
    at.columnOffset = column;
    at.rowOffset = row;
    return LoadStatus::Ok;
}

} // namespace

// ---- Cursor and fields ----

bool blockFits(std::size_t size, std::uint64_t offset, std::uint64_t bytes)
{
    return offset <= size && bytes <= size - offset;
}

std::string fieldText(const std::uint8_t* p, std::size_t bytes)
{
    const std::uint8_t* end = std::find(p, p + bytes, std::uint8_t{0});
    return std::string(p, end);
}

bool readTerminatedName(const std::uint8_t* p, std::string& name)
{
    const std::uint8_t* end = std::find(p, p + kFileNameBytes, std::uint8_t{0});
    if (end == p + kFileNameBytes) return false;
    name.assign(p, end);
    return true;
}

// ---- Rows ----

LoadStatus readElevationRows(ByteCursor& in, const RowPlacement& at, ElevationMap& map)
{
    if (!rowFitsBuffers(at.fileWidth)) return LoadStatus::ReadFailed;
    const auto width = static_cast<std::size_t>(at.fileWidth);
    std::array<std::uint8_t, kMaxDeltaBytes> coded;
    std::array<std::int16_t, kMaxRowSamples> samples;
    for (int r = 0; r < at.rows; ++r) {
        if (at.compressed) {
            std::size_t produced = 0;
            std::size_t count = 0;
            if (!unpackRow(in, coded.data(), coded.size(), produced)) return LoadStatus::ReadFailed;
            if (deltaDecodeRow(coded.data(), produced, samples.data(), width, count) != CodecStatus::Ok ||
                count != width)
                return LoadStatus::ReadFailed;
        } else {
            const std::uint8_t* raw = in.take(width * 2).data();
            if (raw == nullptr) return LoadStatus::ReadFailed;
            for (std::size_t c = 0; c < width; ++c) samples[c] = static_cast<std::int16_t>(get16le(raw + 2 * c));
        }
        std::copy_n(samples.data(), at.columns, map[at.rowOffset + r] + at.columnOffset);
    }
    return LoadStatus::Ok;
}

LoadStatus checkMapBlocks(std::span<const std::uint8_t> bytes, int width, int height, bool compressed,
                          std::uint64_t elevationAt, std::uint64_t terrainAt, std::uint64_t shadowAt)
{
    const RowPlacement whole{width, width, height, 0, 0, compressed};
    ElevationMap elevations;
    CellMap cells;
    if (!elevations.allocate(width, height) || !cells.allocate(width, height)) return LoadStatus::TooBig;
    ByteCursor in{bytes};
    if (elevationAt != 0) {
        in.seek(static_cast<std::size_t>(elevationAt));
        if (readElevationRows(in, whole, elevations) != LoadStatus::Ok) return LoadStatus::ReadFailed;
    }
    for (const std::uint64_t block : {terrainAt, shadowAt}) {
        if (block == 0) continue;
        in.seek(static_cast<std::size_t>(block));
        if (readCellRows(in, whole, cells, false) != LoadStatus::Ok) return LoadStatus::ReadFailed;
    }
    return LoadStatus::Ok;
}

LoadStatus readCellRows(ByteCursor& in, const RowPlacement& at, CellMap& map, bool lowByteOnly)
{
    if (!rowFitsBuffers(at.fileWidth)) return LoadStatus::ReadFailed;
    const std::size_t rowBytes = static_cast<std::size_t>(at.fileWidth) * 2;
    const std::uint16_t mask = lowByteOnly ? 0x00FF : 0xFFFF;
    std::array<std::uint8_t, kMaxRowBytes> unpacked;
    for (int r = 0; r < at.rows; ++r) {
        const std::uint8_t* cells = nullptr;
        if (at.compressed) {
            std::size_t produced = 0;
            if (!unpackRow(in, unpacked.data(), rowBytes, produced) || produced != rowBytes)
                return LoadStatus::ReadFailed;
            cells = unpacked.data();
        } else {
            cells = in.take(rowBytes).data();
            if (cells == nullptr) return LoadStatus::ReadFailed;
        }
        std::uint16_t* dest = map[at.rowOffset + r] + at.columnOffset;
        for (int c = 0; c < at.columns; ++c) dest[c] = get16be(cells + 2 * c) & mask;
    }
    return LoadStatus::Ok;
}

LoadStatus readCloudRows(ByteCursor& in, std::uint8_t* pattern)
{
    std::array<std::uint8_t, kCloudSide> row;
    for (std::size_t r = 0; r < kCloudSide; ++r) {
        std::size_t produced = 0;
        if (!unpackRow(in, row.data(), row.size(), produced) || produced != kCloudSide) return LoadStatus::ReadFailed;
        std::copy(row.begin(), row.end(), pattern + r * kCloudSide);
    }
    return LoadStatus::Ok;
}

bool appendElevationRows(std::vector<std::uint8_t>& out, const ElevationMap& map, int firstColumn, int firstRow,
                         int columns, int rows)
{
    if (!rowFitsBuffers(columns)) return false;
    std::array<std::uint8_t, kMaxDeltaBytes> coded;
    std::array<std::uint8_t, kMaxPackedRowBytes> packed;
    for (int r = 0; r < rows; ++r) {
        const std::size_t n = deltaEncodeRow(map[firstRow + r] + firstColumn, static_cast<std::size_t>(columns),
                                             coded.data());
        const std::size_t length = packBitsEncode(coded.data(), n, packed.data() + 2);
        put16be(packed.data(), static_cast<std::uint16_t>(length));
        out.insert(out.end(), packed.data(), packed.data() + length + 2);
    }
    return true;
}

bool appendCellRows(std::vector<std::uint8_t>& out, const CellMap& map)
{
    if (!rowFitsBuffers(map.width)) return false;
    std::array<std::uint8_t, kMaxRowBytes> cells;
    std::array<std::uint8_t, kMaxPackedCellRowBytes> packed;
    for (int r = 0; r < map.height; ++r) {
        const std::uint16_t* row = map[r];
        for (int c = 0; c < map.width; ++c) put16be(cells.data() + 2 * c, row[c]);
        const std::size_t length = packBitsEncode(cells.data(), map.rowBytes(), packed.data() + 2);
        put16be(packed.data(), static_cast<std::uint16_t>(length));
        out.insert(out.end(), packed.data(), packed.data() + length + 2);
    }
    return true;
}

void appendCloudRows(std::vector<std::uint8_t>& out, const std::uint8_t* pattern)
{
    std::array<std::uint8_t, packBitsBound(kCloudSide) + 2> packed;
    for (std::size_t r = 0; r < kCloudSide; ++r) {
        const std::size_t length = packBitsEncode(pattern + r * kCloudSide, kCloudSide, packed.data() + 2);
        put16be(packed.data(), static_cast<std::uint16_t>(length));
        out.insert(out.end(), packed.data(), packed.data() + length + 2);
    }
}

// ---- Placement ----

LoadStatus checkStoredSize(std::int64_t width, std::int64_t height)
{
    if (width > kMaxGrid || height > kMaxGrid) return LoadStatus::TooBig;
    if (width < 3 || height < 3) return LoadStatus::ReadFailed;
    return LoadStatus::Ok;
}

LoadStatus placeFileGrid(LoadTarget& target, Frontend& ui, int fileWidth, int fileHeight, const FilePlace& place,
                         bool clearSameSize, RowPlacement& at)
{
    Landscape& land = target.landscape;
    if (const LoadStatus s = checkStoredSize(fileWidth, fileHeight); s != LoadStatus::Ok) return s;
    if (land.sizeMode == SizeMode::Automatic) {
        if (resizeLandscape(land, target.random, fileWidth, fileHeight) == 0) return LoadStatus::TooBig;
    } else if (fileWidth > land.gridWidth || fileHeight > land.gridHeight) {
        return LoadStatus::TooBig;
    }
    at = RowPlacement{fileWidth, fileWidth, fileHeight, 0, 0, at.compressed};
    if (fileWidth < land.gridWidth || fileHeight < land.gridHeight) return placeSmallerGrid(land, ui, place, at);
    if (clearSameSize) {
        land.elevation.clear();
        takePlace(land, place);
    }
    return LoadStatus::Ok;
}

void finishElevations(Landscape& land)
{
    computeElevationStatistics(land);
    resetDerivedMaps(land);
    land.mapStale = true;
}

// ---- Files ----

LoadStatus readWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes)
{
    const std::string resolved = resolveExisting(path);
    const int fd = openRegularFile(resolved, O_RDONLY);
    if (fd < 0) return LoadStatus::OpenFailed;
    struct stat st {};
    LoadStatus status = LoadStatus::Ok;
    if (::fstat(fd, &st) != 0) status = LoadStatus::OpenFailed;
    else if (static_cast<std::uint64_t>(st.st_size) > kMaxLandscapeFileBytes) status = LoadStatus::TooBig;
    if (status == LoadStatus::Ok) {
        bytes.resize(static_cast<std::size_t>(st.st_size));
        std::size_t got = 0;
        while (got < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
        bytes.resize(got); // a file that shrank while read is judged by what arrived
    }
    ::close(fd);
    return status;
}

SaveStatus writeWholeFile(const std::string& path, std::span<const std::uint8_t> bytes)
{
    AtomicFile file;
    if (!file.open(path, FileMode::Binary)) return SaveStatus::OpenFailed;
    file.write(bytes.data(), bytes.size());
    return file.commit() ? SaveStatus::Ok : SaveStatus::WriteFailed;
}


// ---- Dispatcher ----

LoadResult parseLandscapeFile(std::span<const std::uint8_t> bytes, LoadTarget& target, Frontend& ui,
                              const std::string& name)
{
    LoadResult result;
    if (bytes.size() < kLandscapeHeaderBytes) {
        result.status = LoadStatus::ReadFailed;
    } else {
        const std::string magic = fieldText(bytes.data(), kMagicBytes);
        if (magic == kOldMagic)
            result = readDem(bytes, target, ui);
        else if (magic == kNewMagic)
            result = readSession(bytes, target, ui);
        else
            result.status = LoadStatus::NotLandscape;
    }
    if (result.status != LoadStatus::Ok) {
        result.loaded = Loaded::Nothing;
        showLoadFailure(ui, result.status, name);
    } else {
        target.landscape.modified = false;
    }
    return result;
}

LoadResult loadLandscapeFile(const std::string& path, LoadTarget& target, Frontend& ui)
{
    std::vector<std::uint8_t> bytes;
    LoadResult result;
    result.status = readWholeFile(path, bytes);
    if (result.status != LoadStatus::Ok) {
        showLoadFailure(ui, result.status, path);
        return result;
    }
    result = parseLandscapeFile(bytes, target, ui, path);
    // Settings from the file bring their sun; the derived light follows them,
    // and so does the light level, which the shade pass would otherwise have set.
    if (result.loaded == Loaded::WithSettings && target.sun != nullptr) {
        recomputeSun(target.scene.lighting, *target.sun);
        target.sun->lightLevel = flatGroundLightLevel(target.landscape, target.scene.lighting, *target.sun);
    }
    return result;
}

int loadSchemeNewLayout(LoadTarget& target, const std::string& path, Frontend& ui)
{
    std::vector<std::uint8_t> bytes;
    LoadStatus status = readWholeFile(path, bytes);
    if (status == LoadStatus::Ok && bytes.size() < kLandscapeHeaderBytes) status = LoadStatus::ReadFailed;
    if (status == LoadStatus::Ok && fieldText(bytes.data(), kMagicBytes) != kNewMagic)
        status = LoadStatus::NotLandscape;
    if (status != LoadStatus::Ok) {
        showLoadFailure(ui, status, path);
        return 0;
    }
    const LoadResult result = readSession(bytes, target, ui);
    showLoadFailure(ui, result.status, path);
    if (result.status != LoadStatus::Ok) return 0;
    if (target.sun != nullptr) recomputeSun(target.scene.lighting, *target.sun);
    return 1;
}

// ---- Messages and whole-file saves ----

void showLoadFailure(Frontend& ui, LoadStatus status, const std::string& name)
{
    switch (status) {
    case LoadStatus::OpenFailed: ui.message(fileMessage(kErrorOpeningFile, name)); break;
    case LoadStatus::ReadFailed: ui.message(fileMessage(kErrorReadingFile, name)); break;
    // Each names the file, as the program's other file messages do.
    case LoadStatus::NotLandscape: ui.message(fileMessage(kNotLandscapeFile, name)); break;
    case LoadStatus::TooBig: ui.message(fileMessage(kLandscapeTooBig, name)); break;
    case LoadStatus::Outside: ui.message(fileMessage(kOutsideRegion, name)); break;
    case LoadStatus::Ok:
    case LoadStatus::Cancelled: break;
    }
}

std::string loadStatusReason(LoadStatus status)
{
    switch (status) {
    case LoadStatus::OpenFailed: return "cannot be opened";
    case LoadStatus::ReadFailed: return "the file is cut short or damaged";
    case LoadStatus::NotLandscape: return "not a landscape file";
    case LoadStatus::TooBig: return "its grid is larger than the landscape can be";
    case LoadStatus::Outside: return "it lies outside the current region";
    case LoadStatus::Cancelled: return "cancelled";
    case LoadStatus::Ok: break;
    }
    return {};
}

int reportSave(SaveStatus status, const std::string& path, Frontend& ui)
{
    if (status == SaveStatus::OpenFailed) ui.message(fileMessage(kErrorOpeningFile, path));
    if (status == SaveStatus::WriteFailed) ui.message(fileMessage(kErrorWritingFile, path));
    return status == SaveStatus::Ok ? 1 : 0;
}

int writeSession(const SessionSource& source, const std::string& path, const SessionSwitches& switches, Frontend& ui)
{
    if (!rowFitsBuffers(source.landscape.gridWidth)) return reportSave(SaveStatus::WriteFailed, path, ui);
    const std::vector<std::uint8_t> bytes = encodeSession(source, switches, ui);
    if (bytes.empty()) return reportSave(SaveStatus::WriteFailed, path, ui);
    return reportSave(writeWholeFile(path, bytes), path, ui);
}

int writeDem(const Landscape& land, const SceneSettings& scene, const std::string& path, const DemRegion& region, Frontend& ui)
{
    ui.status("Saving Landscape");
    if (!rowFitsBuffers(region.width)) return reportSave(SaveStatus::WriteFailed, path, ui);
    return reportSave(writeWholeFile(path, encodeDem(land, scene, region)), path, ui);
}

LoadStatus readRegionAnchor(std::span<const std::uint8_t> bytes, Landscape& land, SceneSettings& scene)
{
    if (bytes.size() < kLandscapeHeaderBytes) return LoadStatus::ReadFailed;
    const std::uint8_t* h = bytes.data();
    const std::string magic = fieldText(h, kMagicBytes);
    FilePlace place;
    float scale = 0.0f;
    std::array<std::uint8_t, kBlockBytes1024> scheme = scene.colourScheme;
    if (magic == kOldMagic) {
        place = {static_cast<std::int32_t>(get32be(h + kOldUtmXOffset)),
                 static_cast<std::int32_t>(get32be(h + kOldUtmYOffset)),
                 static_cast<std::int32_t>(get32be(h + kOldUtmExtraOffset))};
        scale = bitsFloat(get32be(h + kOldVerticalScaleOffset));
        std::copy_n(h + kOldSchemeOffset, scheme.size(), scheme.begin());
    } else if (magic == kNewMagic) {
        place = {static_cast<std::int32_t>(get32le(h + kSessionUtmXOffset)),
                 static_cast<std::int32_t>(get32le(h + kSessionUtmYOffset)),
                 static_cast<std::int32_t>(get32le(h + kSessionUtmExtraOffset))};
        scale = bitsFloat(get32le(h + kVerticalScaleWord));
        const std::uint32_t at = get32le(h + kSchemeBlockField);
        if (at != 0) {
            if (!blockFits(bytes.size(), at, scheme.size())) return LoadStatus::ReadFailed;
            std::copy_n(h + at, scheme.size(), scheme.begin());
        }
    } else {
        return LoadStatus::NotLandscape;
    }
    takePlace(land, place);
    scene.colourScheme = scheme;
    const float factor = scale != 0.0f ? scale : 1.0f;
    scene.generation.verticalScale = factor;
    scene.generation.verticalScale2 = factor;
    return LoadStatus::Ok;
}

} // namespace kalvenor
