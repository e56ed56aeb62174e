#include "files/dem_file.h"

#include <algorithm>
#include <cstring>

#include "base/byte_order.h"
#include "files/header_fields.h"

namespace kalvenor {

namespace {

// Block offsets valid with flag bit 0.
constexpr std::size_t kTerrainRowsOffset = 152;
constexpr std::size_t kShadowRowsOffset = 156;
constexpr std::size_t kPaletteOffset = 160;
constexpr std::size_t kPolygonSizeOffset = 188;
constexpr std::size_t kCloudRowsOffset = 448;
constexpr std::size_t kCloudColoursOffset = 452;
constexpr std::size_t kBackgroundOffset = 480;
constexpr std::size_t kForegroundOffset = 484;

// Everything of an old file that is read before the grid is touched.
struct DemContents {
    std::uint32_t flags = 0;
    bool compressed = true;
    std::int64_t width = 0;
    std::int64_t height = 0;
    FilePlace place;
    std::uint32_t terrainRows = 0;
    std::uint32_t shadowRows = 0;
    std::uint32_t palette = 0;
    std::uint32_t cloudRows = 0;
    std::uint32_t cloudColours = 0;
    std::uint32_t background = 0;
    std::uint32_t foreground = 0;
    std::string backgroundName;
    std::string foregroundName;
};

std::uint32_t be32(const std::uint8_t* header, std::size_t offset) { return get32be(header + offset); }

bool isOldMagic(const std::uint8_t* header)
{
    return fieldText(header, kMagicBytes) == kOldMagic;
}

// Reads the header words and checks every block offset against the file.
LoadStatus readDemContents(std::span<const std::uint8_t> bytes, DemContents& c)
{
    if (bytes.size() < kOldHeaderBytes) return LoadStatus::ReadFailed;
    const std::uint8_t* h = bytes.data();
    c.flags = be32(h, kFlagsOffset);
    c.compressed = be32(h, kCompressedOffset) == 1;
    oldStoredSize(h, c.width, c.height);
    c.place = {static_cast<std::int32_t>(be32(h, kOldUtmXOffset)), static_cast<std::int32_t>(be32(h, kOldUtmYOffset)),
               static_cast<std::int32_t>(be32(h, kOldUtmExtraOffset))};
    if (const LoadStatus s = checkStoredSize(c.width, c.height); s != LoadStatus::Ok) return s;
    if ((c.flags & kOldFlagSizeValid) == 0) return LoadStatus::Ok;

    c.terrainRows = be32(h, kTerrainRowsOffset);
    c.shadowRows = be32(h, kShadowRowsOffset);
    c.palette = be32(h, kPaletteOffset);
    c.cloudRows = be32(h, kCloudRowsOffset);
    c.cloudColours = be32(h, kCloudColoursOffset);
    c.background = be32(h, kBackgroundOffset);
    c.foreground = be32(h, kForegroundOffset);
    const std::size_t size = bytes.size();
    const struct {
        std::uint32_t offset;
        std::size_t bytes;
    } blocks[] = {
        {c.terrainRows, 2},     {c.shadowRows, 2},      {c.cloudRows, 2},
        {c.palette, kBlockBytes1024}, {c.cloudColours, kBlockBytes1024}, {c.background, kFileNameBytes},
        {c.foreground, kFileNameBytes},
    };
    for (const auto& b : blocks)
        if (b.offset != 0 && !blockFits(size, b.offset, b.bytes)) return LoadStatus::ReadFailed;
    if (c.background != 0 && !readTerminatedName(h + c.background, c.backgroundName)) return LoadStatus::ReadFailed;
    if (c.foreground != 0 && !readTerminatedName(h + c.foreground, c.foregroundName)) return LoadStatus::ReadFailed;
    return LoadStatus::Ok;
}

// The settings of the file, staged: colour scheme, names, cloud blocks and the
// view, scene and extended blocks.
LoadStatus stageDemSettings(std::span<const std::uint8_t> bytes, const DemContents& c, HeaderSettings& staged,
                            bool& blocksPresent)
{
    const std::uint8_t* h = bytes.data();
    SceneSettings& scene = staged.scene;
    std::copy_n(h + kOldSchemeOffset, scene.colourScheme.size(), scene.colourScheme.begin());
    if (c.background != 0) scene.render.backgroundFile = c.backgroundName;
    if (c.foreground != 0) scene.render.foregroundFile = c.foregroundName;
    if (c.cloudColours != 0) std::copy_n(h + c.cloudColours, scene.clouds.colours.size(), scene.clouds.colours.begin());
    if (c.cloudRows != 0) {
        ByteCursor in{bytes};
        in.seek(c.cloudRows);
        if (readCloudRows(in, scene.clouds.pattern.data()) != LoadStatus::Ok) return LoadStatus::ReadFailed;
    }
    blocksPresent = applyOldBlocks(h, c.flags, staged);
    return LoadStatus::Ok;
}

LoadStatus readDemMaps(std::span<const std::uint8_t> bytes, const DemContents& c, const RowPlacement& at,
                       Landscape& land)
{
    ByteCursor in{bytes};
    in.seek(kOldHeaderBytes);
    const LoadStatus rows = readElevationRows(in, at, land.elevation);
    finishElevations(land);
    if (rows != LoadStatus::Ok) return rows;

    // Maps written by other programs: valid from the polygon size they were made at.
    const auto madeAt = static_cast<std::int32_t>(be32(bytes.data(), kPolygonSizeOffset));
    if (c.terrainRows != 0) {
        in.seek(c.terrainRows);
        if (readCellRows(in, at, land.terrain, true) != LoadStatus::Ok) return LoadStatus::ReadFailed;
        land.terrainValidAt = madeAt;
        land.cliffValidAt = madeAt;
    }
    if (c.shadowRows != 0) {
        in.seek(c.shadowRows);
        if (readCellRows(in, at, land.shadow, false) != LoadStatus::Ok) return LoadStatus::ReadFailed;
        land.shadowValidAt = madeAt;
    }
    return LoadStatus::Ok;
}

bool validPolygonSize(std::int32_t v) { return v == 1 || v == 2 || v == 4 || v == 8; }

void commitDemSettings(std::span<const std::uint8_t> bytes, const DemContents& c, HeaderSettings& staged,
                       bool blocksPresent, LoadTarget& target)
{
    Landscape& land = target.landscape;
    const std::uint8_t* h = bytes.data();
    setLandscapeName(land, fieldText(h + kNameOffset, kNameBytes));
    setLandscapeComment(land, fieldText(h + kCommentOffset, kCommentBytes));
    if (c.palette != 0) {
        std::copy_n(h + c.palette, target.palette.entries.size(), target.palette.entries.begin());
        land.paletteStale = 0;
    }
    if (blocksPresent) {
        if (staged.hasSpacing) {
            land.spacingX = staged.spacingX;
            land.spacingY = staged.spacingY;
            land.verticalSpacing = staged.verticalSpacing;
        }
        if (validPolygonSize(staged.polygonSize)) land.polygonSize = staged.polygonSize;
        if (staged.sizeMode == 1 || staged.sizeMode == 2) land.sizeMode = static_cast<SizeMode>(staged.sizeMode);
    }
    target.scene = std::move(staged.scene);
}

} // namespace

void oldStoredSize(const std::uint8_t* header, std::int64_t& width, std::int64_t& height)
{
    width = kOldDefaultSide;
    height = kOldDefaultSide;
    if ((be32(header, kFlagsOffset) & kOldFlagSizeValid) == 0) return;
    width = static_cast<std::int32_t>(be32(header, kGridWidthOffset));
    height = static_cast<std::int32_t>(be32(header, kGridHeightOffset));
    if (width == 0) width = kOldDefaultSide;
    if (height == 0) height = kOldDefaultSide;
}

DemRegion wholeLandscape(const Landscape& land) { return {0, 0, land.gridWidth, land.gridHeight}; }

DemRegion halfRegionAt(const Landscape& land, MapPoint corner)
{
    const int halfX = land.sizeX / 2;
    const int halfY = land.sizeY / 2;
    return {std::clamp(corner.column, 0, halfX), std::clamp(corner.row, 0, halfY), halfX + 2, halfY + 2};
}

std::vector<std::uint8_t> encodeDem(const Landscape& land, const SceneSettings& scene, const DemRegion& region)
{
    std::vector<std::uint8_t> out(kOldHeaderBytes, 0);
    std::uint8_t* h = out.data();
    std::memcpy(h, kOldMagic.data(), kOldMagic.size());
    std::memcpy(h + kNameOffset, land.name.data(), std::min(land.name.size(), kNameBytes - 1));
    std::memcpy(h + kCommentOffset, land.comment.data(), std::min(land.comment.size(), kCommentBytes - 1));

    // Every word written lies in the first big-endian range.
    const bool smallSquare = region.width == kOldDefaultSide && region.height == kOldDefaultSide;
    put32be(h + kCompressedOffset, 1);
    put32be(h + kFlagsOffset, smallSquare ? 0 : kOldFlagSizeValid);
    put32be(h + kGridWidthOffset, static_cast<std::uint32_t>(region.width));
    put32be(h + kGridHeightOffset, static_cast<std::uint32_t>(region.height));
    put32be(h + kVersionOffset, 1);
    const double cornerX = land.utmX + region.firstColumn * static_cast<double>(land.spacingX);
    const double cornerY = land.utmY + region.firstRow * static_cast<double>(land.spacingY);
    put32be(h + kOldUtmXOffset, static_cast<std::uint32_t>(roundToInt(cornerX)));
    put32be(h + kOldUtmYOffset, static_cast<std::uint32_t>(roundToInt(cornerY)));
    put32be(h + kOldUtmExtraOffset, static_cast<std::uint32_t>(land.utmExtra));
    put32be(h + kOldSpacingXOffset, floatBits(land.spacingX));
    put32be(h + kOldSpacingXOffset + 4, floatBits(land.spacingY));
    put32be(h + kOldSpacingXOffset + 8, floatBits(land.verticalSpacing));
    put32be(h + kOldVerticalScaleOffset, floatBits(scene.generation.verticalScale));
    std::copy(scene.colourScheme.begin(), scene.colourScheme.end(), out.begin() + kOldSchemeOffset);

    appendElevationRows(out, land.elevation, region.firstColumn, region.firstRow, region.width, region.height);
    return out;
}

LoadResult readDem(std::span<const std::uint8_t> bytes, LoadTarget& target, Frontend& ui)
{
    LoadResult result;
    ui.status("LoadingLandscape");
    DemContents contents;
    result.status = readDemContents(bytes, contents);
    if (result.status != LoadStatus::Ok) return result;
    result.fileVerticalScale = bitsFloat(be32(bytes.data(), kOldVerticalScaleOffset));

    HeaderSettings staged{target.scene, static_cast<std::int32_t>(target.landscape.sizeMode),
                          target.landscape.polygonSize};
    bool blocksPresent = false;
    result.status = stageDemSettings(bytes, contents, staged, blocksPresent);
    if (result.status != LoadStatus::Ok) return result;

    // Nothing is placed, resized or read into the landscape before the whole file has checked out.
    result.status = checkMapBlocks(bytes, static_cast<int>(contents.width), static_cast<int>(contents.height),
                                   contents.compressed, kOldHeaderBytes, contents.terrainRows, contents.shadowRows);
    if (result.status != LoadStatus::Ok) return result;

    RowPlacement at;
    result.status = placeFileGrid(target, ui, static_cast<int>(contents.width), static_cast<int>(contents.height),
                                  contents.place, true, at);
    if (result.status != LoadStatus::Ok) return result;
    at.compressed = contents.compressed;
    Landscape& land = target.landscape;
    land.spacingX = 30.0f;
    land.spacingY = 30.0f;
    land.verticalSpacing = 1.0f;

    result.status = readDemMaps(bytes, contents, at, land);
    if (result.status != LoadStatus::Ok) return result;
    commitDemSettings(bytes, contents, staged, blocksPresent, target);
    result.loaded = blocksPresent ? Loaded::WithSettings : Loaded::Landscape;
    return result;
}

LoadStatus readDemTile(std::span<const std::uint8_t> bytes, Landscape& land)
{
    if (bytes.size() < kMagicBytes || !isOldMagic(bytes.data())) return LoadStatus::NotLandscape;
    DemContents c;
    if (const LoadStatus s = readDemContents(bytes, c); s != LoadStatus::Ok) return s;
    if (c.width > land.gridWidth || c.height > land.gridHeight) return LoadStatus::TooBig;

    const std::int32_t column = roundToInt((c.place.utmX - static_cast<double>(land.utmX)) / land.spacingX);
    const std::int32_t row = roundToInt((c.place.utmY - static_cast<double>(land.utmY)) / land.spacingY);
    // A tile that does not fit wholly is left out without a word.
    if (column < 0 || row < 0 || column + c.width - 1 > land.gridWidth - 1 || row + c.height - 1 > land.gridHeight - 1)
        return LoadStatus::Ok;

    // The tile is decoded whole before any of it lands, so a broken tile leaves the grid as it was.
    const RowPlacement whole{static_cast<int>(c.width), static_cast<int>(c.width), static_cast<int>(c.height), 0, 0,
                             c.compressed};
    ElevationMap tile;
    if (!tile.allocate(whole.columns, whole.rows)) return LoadStatus::TooBig;
    ByteCursor in{bytes};
    in.seek(kOldHeaderBytes);
    if (const LoadStatus s = readElevationRows(in, whole, tile); s != LoadStatus::Ok) return s;
    for (int r = 0; r < whole.rows; ++r)
        std::copy_n(tile[r], whole.columns, land.elevation[row + r] + column);
    return LoadStatus::Ok;
}

} // namespace kalvenor
