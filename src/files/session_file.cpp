#include "files/session_file.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "base/byte_order.h"
#include "files/header_fields.h"

namespace kalvenor {

namespace {

constexpr std::size_t kTextureTableBytes = kTextureSlots * kTextureEntryBytes;
constexpr std::size_t kPathBlockBytes = kPathSettingsBytes + kPathNodeBytes;

// ---- Writing ----

void putText(std::uint8_t* field, const std::string& text, std::size_t bytes)
{
    std::memcpy(field, text.data(), std::min(text.size(), bytes - 1));
}

void append(std::vector<std::uint8_t>& out, const std::uint8_t* data, std::size_t n)
{
    out.insert(out.end(), data, data + n);
}

// Appends a block and records its file offset in the header field.
template <typename Block>
void appendBlock(std::vector<std::uint8_t>& out, std::uint8_t* header, std::size_t field, const Block& block)
{
    put32le(header + field, static_cast<std::uint32_t>(out.size()));
    append(out, block.data(), block.size());
}

void appendName(std::vector<std::uint8_t>& out, std::uint8_t* header, std::size_t field, const std::string& name)
{
    std::array<std::uint8_t, kFileNameBytes> block = {};
    putText(block.data(), name, block.size());
    appendBlock(out, header, field, block);
}

void fillHeaderBase(const SessionSource& src, const SessionSwitches& sw, std::uint8_t* h)
{
    const Landscape& land = src.landscape;
    std::memcpy(h, kNewMagic.data(), kNewMagic.size());
    putText(h + kNameOffset, land.name, kNameBytes);
    putText(h + kCommentOffset, land.comment, kCommentBytes);
    put32le(h + kCompressedOffset, 1);
    put32le(h + kFlagsOffset, sw.session ? kSessionFlag : 0);
    put32le(h + kGridWidthOffset, static_cast<std::uint32_t>(land.gridWidth));
    put32le(h + kGridHeightOffset, static_cast<std::uint32_t>(land.gridHeight));
    put32le(h + kVersionOffset, 1);
    put32le(h + kSessionUtmXOffset, static_cast<std::uint32_t>(land.utmX));
    put32le(h + kSessionUtmYOffset, static_cast<std::uint32_t>(land.utmY));
    put32le(h + kSessionUtmExtraOffset, static_cast<std::uint32_t>(land.utmExtra));
    put32le(h + kSessionSpacingXOffset, floatBits(land.spacingX));
    put32le(h + kSessionSpacingYOffset, floatBits(land.spacingY));
    put32le(h + kSessionVerticalSpacingOffset, floatBits(land.verticalSpacing));

    const HeaderSettings words{src.scene, static_cast<std::int32_t>(land.sizeMode), land.polygonSize};
    storeSessionWords(words, h);
    const TreeSettings& trees = src.scene.trees;
    std::uint32_t densities = 0;
    for (std::int32_t d : trees.density) densities += static_cast<std::uint32_t>(d);
    const auto sizes = static_cast<std::uint32_t>(trees.palmSize) + static_cast<std::uint32_t>(trees.oakSize) +
                       static_cast<std::uint32_t>(trees.cactusSize) + static_cast<std::uint32_t>(trees.pineSize);
    put32le(h + kDensitySumOffset, densities);
    put32le(h + kSizeSumOffset, sizes);
}

// The table as written: file offsets of the embedded data; names only when not embedding.
void appendTextureTable(std::vector<std::uint8_t>& out, std::uint8_t* header, const TextureSlots& slots, bool embed)
{
    const std::size_t table = out.size();
    put32le(header + kTextureBlockField, static_cast<std::uint32_t>(table));
    out.resize(table + kTextureTableBytes, 0); // the placeholder, filled in below

    std::array<std::uint32_t, kTextureSlots> dataAt = {};
    for (std::size_t i = 0; i < kTextureSlots; ++i) {
        const TextureSlot& slot = slots[i];
        if (!embed || !slot.inUse() || slot.data.empty()) continue;
        dataAt[i] = static_cast<std::uint32_t>(out.size());
        append(out, slot.data.data(), slot.data.size());
    }
    for (std::size_t i = 0; i < kTextureSlots; ++i) {
        const TextureSlot& slot = slots[i];
        if (!slot.inUse()) continue; // a free slot is written empty
        std::uint8_t* e = out.data() + table + i * kTextureEntryBytes;
        std::copy(slot.entry.begin(), slot.entry.end(), e);
        const bool embedded = dataAt[i] != 0;
        if (!embed) e[0] = 0;
        put32le(e + kTextureSizeOffset, embedded ? static_cast<std::uint32_t>(slot.data.size()) : 0);
        put32le(e + kTextureDataOffset, dataAt[i]);
    }
}

// ---- Reading ----

struct SessionOffsets {
    std::uint32_t scheme, attributes, textures, elevation, terrain, shadow, palette, path;
    std::uint32_t cloudRows, cloudColours, background, foreground;
};

SessionOffsets readOffsets(const std::uint8_t* h)
{
    return {get32le(h + kSchemeBlockField),   get32le(h + kAttributeBlockField), get32le(h + kTextureBlockField),
            get32le(h + kElevationBlockField), get32le(h + kTerrainBlockField),   get32le(h + kShadowBlockField),
            get32le(h + kPaletteBlockField),   get32le(h + kPathBlockField),      get32le(h + kCloudRowsField),
            get32le(h + kCloudColoursField),   get32le(h + kBackgroundNameField), get32le(h + kForegroundNameField)};
}

// Every fixed-size block must lie wholly inside the file; rows must at least start in it.
bool offsetsFit(const SessionOffsets& o, std::size_t size, const SceneSettings& scene)
{
    const struct {
        std::uint32_t offset;
        std::size_t bytes;
    } blocks[] = {
        {o.scheme, scene.colourScheme.size()},  {o.attributes, scene.surfaceAttributes.size()},
        {o.textures, kTextureTableBytes},       {o.elevation, 2},
        {o.terrain, 2},                         {o.shadow, 2},
        {o.palette, kBlockBytes1024},           {o.path, kPathBlockBytes},
        {o.cloudRows, 2},                       {o.cloudColours, kBlockBytes1024},
        {o.background, kFileNameBytes},         {o.foreground, kFileNameBytes},
    };
    return std::all_of(std::begin(blocks), std::end(blocks),
                       [size](const auto& b) { return b.offset == 0 || blockFits(size, b.offset, b.bytes); });
}

// One stored table entry into a slot: data read from its offset with every size
// checked. An entry whose data cannot be had is cleared and reading goes on.
void readTextureEntry(std::span<const std::uint8_t> bytes, const std::uint8_t* e, TextureSlot& slot)
{
    std::string name;
    const auto* nameField = e + kTextureNameOffset;
    if (std::find(nameField, nameField + kTextureNameBytes, 0) == nameField + kTextureNameBytes) return;
    if (nameField[0] == 0) return;
    const std::uint32_t size = get32le(e + kTextureSizeOffset);
    const std::uint32_t offset = get32le(e + kTextureDataOffset);
    const bool embedded = e[0] != 0 && size != 0 && offset != 0;
    if (embedded && !blockFits(bytes.size(), offset, size)) return;

    std::copy(e, e + kTextureEntryBytes, slot.entry.begin());
    // Kept by name; the slot stays in use so the name travels on with the session.
    slot.entry[0] = 1;
    if (embedded) slot.data.assign(bytes.data() + offset, bytes.data() + offset + size);
    put32le(slot.entry.data() + kTextureSizeOffset, static_cast<std::uint32_t>(slot.data.size()));
    put32le(slot.entry.data() + kTextureDataOffset, 0);
}

// Everything of a session read before the grid is touched.
struct SessionStage {
    HeaderSettings settings;
    std::optional<TextureSlots> textures;
    std::optional<DisplayPalette> palette;
    std::optional<PathState> path;
};

LoadStatus stageSessionBlocks(std::span<const std::uint8_t> bytes, const SessionOffsets& o, bool session,
                              SessionStage& stage, Frontend& ui)
{
    const std::uint8_t* base = bytes.data();
    SceneSettings& scene = stage.settings.scene;
    loadSessionWords(base, stage.settings);
    if (o.scheme != 0) std::copy_n(base + o.scheme, scene.colourScheme.size(), scene.colourScheme.begin());
    if (o.attributes != 0)
        std::copy_n(base + o.attributes, scene.surfaceAttributes.size(), scene.surfaceAttributes.begin());
    if (o.background != 0 && !readTerminatedName(base + o.background, scene.render.backgroundFile))
        return LoadStatus::ReadFailed;
    if (o.textures != 0) {
        stage.textures.emplace();
        for (std::size_t i = 0; i < kTextureSlots; ++i)
            readTextureEntry(bytes, base + o.textures + i * kTextureEntryBytes, (*stage.textures)[i]);
    } else if (session) {
        stage.textures.emplace(); // a session without textures uses none
    }
    if (!session) return LoadStatus::Ok;

    if (o.foreground != 0 && !readTerminatedName(base + o.foreground, scene.render.foregroundFile))
        return LoadStatus::ReadFailed;
    if (o.palette != 0) {
        ui.status(" Loading Palette");
        stage.palette.emplace();
        std::copy_n(base + o.palette, kBlockBytes1024, stage.palette->entries.begin());
    }
    if (o.cloudRows != 0) {
        ui.status(" Loading Clouds ");
        ByteCursor in{bytes};
        in.seek(o.cloudRows);
        if (readCloudRows(in, scene.clouds.pattern.data()) != LoadStatus::Ok) return LoadStatus::ReadFailed;
    }
    if (o.cloudColours != 0) std::copy_n(base + o.cloudColours, kBlockBytes1024, scene.clouds.colours.begin());
    if (o.path != 0) {
        stage.path.emplace();
        std::copy_n(base + o.path, kPathSettingsBytes, stage.path->settings.begin());
        std::copy_n(base + o.path + kPathSettingsBytes, kPathNodeBytes, stage.path->nodes.begin());
    }
    return LoadStatus::Ok;
}

LoadStatus readSessionMaps(std::span<const std::uint8_t> bytes, const SessionOffsets& o, const RowPlacement& at,
                           Landscape& land, Frontend& ui)
{
    ByteCursor in{bytes};
    LoadStatus rows = LoadStatus::Ok;
    if (o.elevation != 0) {
        in.seek(o.elevation);
        rows = readElevationRows(in, at, land.elevation);
    }
    finishElevations(land);
    if (rows != LoadStatus::Ok) return rows;
    if (o.terrain != 0) {
        ui.status(" Loading Colors ");
        in.seek(o.terrain);
        if (readCellRows(in, at, land.terrain, false) != LoadStatus::Ok) return LoadStatus::ReadFailed;
        land.terrainValidAt = 1;
        land.cliffValidAt = 1;
    }
    if (o.shadow != 0) {
        ui.status(" Loading Shades ");
        in.seek(o.shadow);
        if (readCellRows(in, at, land.shadow, false) != LoadStatus::Ok) return LoadStatus::ReadFailed;
        land.shadowValidAt = 1;
    }
    return LoadStatus::Ok;
}

void commitSession(SessionStage& stage, LoadTarget& target)
{
    Landscape& land = target.landscape;
    const HeaderSettings& s = stage.settings;
    if (s.sizeMode == 1 || s.sizeMode == 2) land.sizeMode = static_cast<SizeMode>(s.sizeMode);
    if (s.polygonSize == 1 || s.polygonSize == 2 || s.polygonSize == 4 || s.polygonSize == 8)
        land.polygonSize = s.polygonSize;
    target.scene = std::move(stage.settings.scene);
    if (stage.textures) target.textures = std::move(*stage.textures);
    if (stage.palette) {
        target.palette = *stage.palette;
        land.paletteStale = 0;
    }
    if (stage.path) target.path = std::move(*stage.path);
}

} // namespace

SessionSwitches fullSession() { return {true, true, true, true, true, true, true, true}; }

SessionSwitches schemeFile()
{
    SessionSwitches sw;
    sw.colourScheme = true;
    sw.embedTextures = true;
    return sw;
}

std::vector<std::uint8_t> encodeSession(const SessionSource& src, const SessionSwitches& sw, Frontend& ui)
{
    ui.status("Saving Landscape");
    std::array<std::uint8_t, kSessionHeaderBytes> header = {};
    std::uint8_t* h = header.data();
    fillHeaderBase(src, sw, h);

    const Landscape& land = src.landscape;
    std::vector<std::uint8_t> out(kSessionHeaderBytes, 0);
    if (sw.elevation) out.reserve(static_cast<std::size_t>(land.gridWidth) * land.gridHeight * 2);
    if (sw.colourScheme) {
        appendBlock(out, h, kSchemeBlockField, src.scene.colourScheme);
        appendBlock(out, h, kAttributeBlockField, src.scene.surfaceAttributes);
    }
    if (anyTextureInUse(src.textures)) appendTextureTable(out, h, src.textures, sw.embedTextures);
    if (sw.elevation) {
        put32le(h + kElevationBlockField, static_cast<std::uint32_t>(out.size()));
        appendElevationRows(out, land.elevation, 0, 0, land.gridWidth, land.gridHeight);
        if (sw.terrain) {
            ui.status(" Saving  Colors ");
            put32le(h + kTerrainBlockField, static_cast<std::uint32_t>(out.size()));
            appendCellRows(out, land.terrain);
        }
        if (sw.shadow) {
            ui.status(" Saving  Shades ");
            put32le(h + kShadowBlockField, static_cast<std::uint32_t>(out.size()));
            appendCellRows(out, land.shadow);
        }
    }
    if (sw.session) {
        ui.status(" Saving Palette ");
        appendBlock(out, h, kPaletteBlockField, src.palette.entries);
    }
    if (sw.elevation && sw.clouds) {
        ui.status(" Saving  Clouds ");
        put32le(h + kCloudRowsField, static_cast<std::uint32_t>(out.size()));
        appendCloudRows(out, src.scene.clouds.pattern.data());
        ui.status("  Cloud Colors  ");
        appendBlock(out, h, kCloudColoursField, src.scene.clouds.colours);
    }
    ui.status("Background name ");
    appendName(out, h, kBackgroundNameField, src.scene.render.backgroundFile);
    if (sw.session) {
        ui.status("Foreground name ");
        appendName(out, h, kForegroundNameField, src.scene.render.foregroundFile);
        if (sw.path) {
            put32le(h + kPathBlockField, static_cast<std::uint32_t>(out.size()));
            append(out, src.path.settings.data(), src.path.settings.size());
            // A node table of another length is cut or padded to the stored 40000 bytes.
            const std::size_t nodes = std::min(src.path.nodes.size(), kPathNodeBytes);
            append(out, src.path.nodes.data(), nodes);
            out.resize(out.size() + (kPathNodeBytes - nodes), 0);
        }
    }
    // Offsets are 32-bit: a file that outgrows them cannot be written.
    if (out.size() > UINT32_MAX) return {};
    std::copy(header.begin(), header.end(), out.begin());
    return out;
}

LoadResult readSession(std::span<const std::uint8_t> bytes, LoadTarget& target, Frontend& ui)
{
    LoadResult result;
    ui.status("LoadingLandscape");
    if (bytes.size() < kSessionHeaderBytes) return result;
    const std::uint8_t* h = bytes.data();
    const bool session = (get32le(h + kFlagsOffset) & kSessionFlag) != 0;
    const SessionOffsets o = readOffsets(h);
    if (!offsetsFit(o, bytes.size(), target.scene)) return result;
    const bool placed = session || o.elevation != 0 || o.terrain != 0 || o.shadow != 0;
    const auto width = static_cast<std::int32_t>(get32le(h + kGridWidthOffset));
    const auto height = static_cast<std::int32_t>(get32le(h + kGridHeightOffset));
    if (placed && (result.status = checkStoredSize(width, height)) != LoadStatus::Ok) return result;

    SessionStage stage{{target.scene, static_cast<std::int32_t>(target.landscape.sizeMode),
                        target.landscape.polygonSize},
                       {}, {}, {}};
    result.status = stageSessionBlocks(bytes, o, session, stage, ui);
    if (result.status != LoadStatus::Ok) return result;
    result.fileVerticalScale = stage.settings.scene.generation.verticalScale;

    // Nothing is placed, resized or read into the landscape before every map block has checked out.
    if (placed) {
        result.status = checkMapBlocks(bytes, width, height, get32le(h + kCompressedOffset) == 1, o.elevation,
                                       o.terrain, o.shadow);
        if (result.status != LoadStatus::Ok) return result;
    }

    if (placed) {
        const FilePlace place{static_cast<std::int32_t>(get32le(h + kSessionUtmXOffset)),
                              static_cast<std::int32_t>(get32le(h + kSessionUtmYOffset)),
                              static_cast<std::int32_t>(get32le(h + kSessionUtmExtraOffset))};
        RowPlacement at;
        result.status = placeFileGrid(target, ui, width, height, place, session, at);
        if (result.status != LoadStatus::Ok) return result;
        at.compressed = get32le(h + kCompressedOffset) == 1;
        Landscape& land = target.landscape;
        land.spacingX = storedSpacing(bitsFloat(get32le(h + kSessionSpacingXOffset)), 30.0f);
        land.spacingY = storedSpacing(bitsFloat(get32le(h + kSessionSpacingYOffset)), 30.0f);
        land.verticalSpacing = storedSpacing(bitsFloat(get32le(h + kSessionVerticalSpacingOffset)), 1.0f);
        setLandscapeName(land, fieldText(h + kNameOffset, kNameBytes));
        setLandscapeComment(land, fieldText(h + kCommentOffset, kCommentBytes));
        result.status = readSessionMaps(bytes, o, at, land, ui);
        if (result.status != LoadStatus::Ok) return result;
    }
    commitSession(stage, target);
    result.loaded = Loaded::WithSettings;
    return result;
}

} // namespace kalvenor
