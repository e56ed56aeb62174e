// The landscape grid: elevations and the three companion cell maps, the
// grid's placement and spacing, its name, and the derived state that tells
// which computed maps are still valid.
//
// One Landscape lives in the App for the whole run. Generation, editing,
// loading and scripts change it; the renderer and the exports read it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "model/grid_map.h"

namespace kalvenor {

struct RandomStreams;

constexpr int kSmallGrid = 258;
constexpr int kLargeGrid = 514;
constexpr int kHugeGrid = 1026;
constexpr int kMegaGrid = 2050;
constexpr int kMaxGrid = kMegaGrid; // largest side a file or import may bring

constexpr std::size_t kNameBytes = 32;    // 31 characters and the terminator
constexpr std::size_t kCommentBytes = 64; // 63 characters and the terminator

enum class SizeMode : std::int32_t { Automatic = 1, Fixed = 2 };

struct Landscape {
    // Size in sample intervals and in cells (grid = size + 2).
    std::int32_t sizeX = 256;
    std::int32_t sizeY = 256;
    std::int32_t gridWidth = kSmallGrid;
    std::int32_t gridHeight = kSmallGrid;
    std::int32_t shortSide = 257;
    std::int32_t longSide = 257;

    ElevationMap elevation; // signed whole metres
    CellMap terrain;        // low byte: ground colour code; high byte: object byte
    CellMap shadow;         // brightness and shadow bits
    ElevationMap work;      // scratch copy for editing, colouring and clouds

    float spacingX = 30.0f;
    float spacingY = 30.0f;
    float verticalSpacing = 1.0f;
    std::int32_t utmX = 0;
    std::int32_t utmY = 0;
    std::int32_t utmExtra = 0; // carried unchanged from file to file

    std::string name;    // at most 31 characters
    std::string comment; // at most 63 characters

    std::int32_t lowestElevation = 0;
    std::int32_t highestElevation = 0;
    std::int32_t highestColumn = 0;
    std::int32_t highestRow = 0;

    SizeMode sizeMode = SizeMode::Automatic;
    std::int32_t polygonSize = 1; // render detail step: 1, 2, 4 or 8

    // The polygonSize at which each derived map was last computed; sizeX means never.
    // A map is valid for a render while its value is <= polygonSize.
    std::int32_t terrainValidAt = 256;
    std::int32_t cliffValidAt = 256;
    std::int32_t shadowValidAt = 256;
    std::int32_t terrainFrozen = 0; // the map came from a file or image: colouring leaves it alone
    std::int32_t shadowFrozen = 0;
    std::int32_t paletteStale = 1;

    // The topographic map must be drawn again.
    bool mapStale = true;
    // The landscape was changed since it was last loaded or saved.
    bool modified = false;

    // Upper bound on the bytes the four maps may take together. The machine's
    // memory is the real limit; a smaller budget makes the fallback testable and
    // lets a batch job cap its memory.
    std::size_t mapBudgetBytes = std::numeric_limits<std::size_t>::max();
};

// The message of a resize that cannot even fall back.
inline constexpr std::string_view kOutOfMemoryResizing = "Out of memory while resizing landscape.";

void setLandscapeName(Landscape& land, std::string_view name);
void setLandscapeComment(Landscape& land, std::string_view comment);

// Allocates all four maps at gridWidth x gridHeight, all or nothing. Keeps the
// maps when the size is already in force. On failure falls back to 258 x 258
// and returns 0; throws FatalError when even that fails. Returns 1 on success.
int allocateGrid(Landscape& land, int gridWidth, int gridHeight);

// The resize used by panels, scripts and loaders: allocate, on failure return
// to the previous size (sizeMode kept), then rebuild the default landscape.
// Returns 1, or 0 when the requested size could not be had.
int resizeLandscape(Landscape& land, RandomStreams& random, int gridWidth, int gridHeight);

// Frees all four maps.
void releaseMaps(Landscape& land);

// "Flatland": 1 to 4 metres of noise and a stepped pyramid at the centre.
void buildDefaultLandscape(Landscape& land, RandomStreams& random);

// Lowest and highest point; called after every change of elevations.
void computeElevationStatistics(Landscape& land);

// After new elevations: derived maps invalid, frozen flags off, terrain and shadow cleared.
void resetDerivedMaps(Landscape& land);

// Command ids of the landscape-size panel.
enum SizePresetId : int {
    kSizeSmall = 1070,     // "Small  258x258"
    kSizeLarge = 1071,     // "Large  514x514"
    kSizeHuge = 1072,      // "Huge 1026x1026"
    kSizeMega = 1073,      // "Mega 2050x2050"
    kSizeAutomatic = 1074, // "  Automatic!  "
};

// A choice on the landscape-size panel. A preset resizes to its square size
// and, when that succeeds, fixes the size mode; "Automatic" only switches the
// mode. Every choice names the landscape "Flatland". Returns the resize result
// (1, or 0 when memory ran out and the previous size is back); 1 for Automatic.
int selectSizePreset(Landscape& land, RandomStreams& random, int presetId);

// The preset choice that the panel shows for the current state.
int currentSizePreset(const Landscape& land);

// True when the size is one of the four square presets.
bool isPresetSize(int gridWidth, int gridHeight);

} // namespace kalvenor
