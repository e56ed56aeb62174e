// Landscape files: the dispatcher that reads both formats, the placement of a
// file's grid inside the current one, the row reading both formats share, and
// the commands that save sessions, elevations and colour schemes and that
// load regions.
//
// Readers parse a whole file held in memory through a bounds-checked cursor,
// so every size, offset and run is checked against the bytes that are there.
// They return a small status; the commands and the dispatcher turn it into the
// message and the 0/1/2 result.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/byte_cursor.h"
#include "base/frontend.h"
#include "codecs/display_palette.h"
#include "model/landscape.h"
#include "model/path_state.h"
#include "model/random_streams.h"
#include "model/scene_settings.h"
#include "model/texture_slots.h"
#include "terrain/sun.h"

namespace kalvenor {

constexpr std::size_t kMaxLandscapeFileBytes = std::size_t{256} << 20; // larger files are refused unread
constexpr std::size_t kLandscapeHeaderBytes = 2048; // what the dispatcher reads before it looks at the magic
constexpr std::size_t kMagicBytes = 32;
constexpr std::size_t kNameOffset = 32;
constexpr std::size_t kCommentOffset = 64;
constexpr std::size_t kCompressedOffset = 128;
constexpr std::size_t kFlagsOffset = 132;
constexpr std::size_t kGridWidthOffset = 136;
constexpr std::size_t kGridHeightOffset = 140;
constexpr std::size_t kVersionOffset = 144; // 1 on writing, never read
constexpr std::size_t kFileNameBytes = 128; // background and foreground image names
constexpr std::size_t kCloudSide = 256;
constexpr std::size_t kBlockBytes1024 = 1024; // scheme, palette and cloud colour blocks

inline constexpr std::string_view kOldMagic = "Kalve DEM File";
inline constexpr std::string_view kNewMagic = "KN4 DEM File";

inline constexpr const char* kNotLandscapeFile = "Not a Kalvenor Landscape file.";
inline constexpr const char* kLandscapeTooBig = "Landscape file too big!";
inline constexpr const char* kOutsideRegion = "Landscape outside of current region!";
inline constexpr const char* kInsufficientMemory = "Insufficient memory available.";

enum class LoadStatus {
    Ok,
    OpenFailed,   // "Error opening file:"
    ReadFailed,   // "Error reading file:": short, truncated or malformed
    NotLandscape, // "Not a Kalvenor Landscape file."
    TooBig,       // "Landscape file too big!"
    Outside,      // "Landscape outside of current region!"
    Cancelled,    // the user cancelled the placement; nothing changed
};

enum class SaveStatus { Ok, OpenFailed, WriteFailed, Cancelled };

// The pieces of the App a load may replace.
struct LoadTarget {
    Landscape& landscape;
    SceneSettings& scene;
    RandomStreams& random;
    TextureSlots& textures;
    PathState& path;
    DisplayPalette& palette;
    SunLight* sun = nullptr; // rebuilt from the sun settings a file brings, when given
};

// What a load brought into memory.
enum class Loaded {
    Nothing,      // the load failed: everything is as it was
    Landscape,    // the landscape alone; the settings are as they were
    WithSettings, // the landscape and the settings it was saved with
};

struct LoadResult {
    Loaded loaded = Loaded::Nothing;
    LoadStatus status = LoadStatus::ReadFailed;
    // The file's VerticalScale word; 0 when the file has none (script loads fall back to 1.0).
    float fileVerticalScale = 0.0f;
};

// ---- Reading ----

// True when [offset, offset + bytes) lies inside a file of size bytes.
bool blockFits(std::size_t size, std::uint64_t offset, std::uint64_t bytes);

// The text of a zero-terminated field of at most bytes bytes (the terminator need not be there).
std::string fieldText(const std::uint8_t* p, std::size_t bytes);

// A zero-terminated name of a 128-byte block; false when no terminator is found.
bool readTerminatedName(const std::uint8_t* p, std::string& name);

// Where a file's rows land in the grid.
struct RowPlacement {
    int fileWidth = 0;    // samples per stored row
    int columns = 0;      // samples copied from each row
    int rows = 0;         // stored rows read
    int columnOffset = 0; // grid position of the file's first sample
    int rowOffset = 0;
    bool compressed = true;
};

// Elevation rows: 2-byte length, PackBits, delta code; raw rows are little-endian cells.
LoadStatus readElevationRows(ByteCursor& in, const RowPlacement& at, ElevationMap& map);
// Terrain and shadow rows: big-endian cells, packed or raw. lowByteOnly clears every high byte.
LoadStatus readCellRows(ByteCursor& in, const RowPlacement& at, CellMap& map, bool lowByteOnly);
// 256 packed rows of 256 bytes into a 65536-byte pattern.
LoadStatus readCloudRows(ByteCursor& in, std::uint8_t* pattern);

// Decodes the map blocks at the given offsets (0: no such block) into scratch
// maps of the stored size, so that a cut or damaged block is found before
// anything in memory changes. Ok, ReadFailed, or TooBig without the memory.
LoadStatus checkMapBlocks(std::span<const std::uint8_t> bytes, int width, int height, bool compressed,
                          std::uint64_t elevationAt, std::uint64_t terrainAt, std::uint64_t shadowAt);

// The placement words of a file.
struct FilePlace {
    std::int32_t utmX = 0;
    std::int32_t utmY = 0;
    std::int32_t utmExtra = 0;
};

// Validates the stored grid size and places it: resizes in automatic size mode,
// asks for the placement of a smaller grid, clears elevations and takes over the
// file's placement when the sizes agree and clearSameSize is set.
LoadStatus placeFileGrid(LoadTarget& target, Frontend& ui, int fileWidth, int fileHeight, const FilePlace& place,
                         bool clearSameSize, RowPlacement& at);

// A stored side outside 3 .. 2050: TooBig above, ReadFailed below.
LoadStatus checkStoredSize(std::int64_t width, std::int64_t height);

// After new elevations: statistics, derived maps invalid, map redrawn.
void finishElevations(Landscape& land);

// Reads a whole file, refusing one above the size cap before reading it.
LoadStatus readWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes);

// The dispatcher over a file held in memory: old or new format by magic. Shows
// the message of a failure (file messages name the file as name) and the status
// "LoadingLandscape". Leaves the landscape whole on every failure.
LoadResult parseLandscapeFile(std::span<const std::uint8_t> bytes, LoadTarget& target, Frontend& ui,
                              const std::string& name = {});

// Open landscape, start-up landscape and the script's LoadLandscape.
LoadResult loadLandscapeFile(const std::string& path, LoadTarget& target, Frontend& ui);


// ---- Writing ----

// Encoders for the row blocks, appending to out through fixed row buffers.
// False (nothing appended) for rows wider than the row buffers.
bool appendElevationRows(std::vector<std::uint8_t>& out, const ElevationMap& map, int firstColumn, int firstRow,
                         int columns, int rows);
bool appendCellRows(std::vector<std::uint8_t>& out, const CellMap& map);
void appendCloudRows(std::vector<std::uint8_t>& out, const std::uint8_t* pattern);

// Writes bytes as the file at path, whole or not at all.
SaveStatus writeWholeFile(const std::string& path, std::span<const std::uint8_t> bytes);

// A colour scheme in the new layout (the scheme loader's second try): settings,
// colour blocks and textures; a file without maps leaves grid and placement alone.
// 1 on success, 0 with the reader's message otherwise.
int loadSchemeNewLayout(LoadTarget& target, const std::string& path, Frontend& ui);


// ---- Messages and whole-file saves ----

struct DemRegion;
struct SessionSource;
struct SessionSwitches;

// The message of a failed load, naming the file where the message does.
void showLoadFailure(Frontend& ui, LoadStatus status, const std::string& name);

// Why a load failed, in a few words for a report line ("its grid is larger
// than the largest landscape").
std::string loadStatusReason(LoadStatus status);

// The message of a failed save; 1 for Ok, 0 otherwise.
int reportSave(SaveStatus status, const std::string& path, Frontend& ui);

// A session or colour scheme file (which blocks the switches say), whole or not at all.
int writeSession(const SessionSource& source, const std::string& path, const SessionSwitches& switches, Frontend& ui);

// An old-format file of the region of the landscape, whole or not at all.
int writeDem(const Landscape& land, const SceneSettings& scene, const std::string& path, const DemRegion& region,
             Frontend& ui);

// The placement and colour scheme (and vertical scale) of the file that names a
// region, either format, taken into the landscape and the settings.
LoadStatus readRegionAnchor(std::span<const std::uint8_t> bytes, Landscape& land, SceneSettings& scene);

} // namespace kalvenor
