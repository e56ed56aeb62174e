// The old landscape format, "Kalve DEM File": a 2048-byte header whose word
// ranges are big-endian and whose second kilobyte is the colour scheme, then
// the elevation rows. Optional blocks behind the flags carry maps and settings
// written by other programs; this program writes elevations only.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "files/landscape_file.h"

namespace kalvenor {

constexpr std::size_t kOldHeaderBytes = 2048;
constexpr std::size_t kOldSchemeOffset = 1024;
constexpr std::size_t kOldUtmXOffset = 164;
constexpr std::size_t kOldUtmYOffset = 168;
constexpr std::size_t kOldUtmExtraOffset = 172;
constexpr std::size_t kOldSpacingXOffset = 176;
constexpr std::size_t kOldVerticalScaleOffset = 268;
constexpr int kOldDefaultSide = 258; // the size when flag bit 0 is clear or a size word is 0

// The cells an old-format file stores.
struct DemRegion {
    int firstColumn = 0;
    int firstRow = 0;
    int width = 0;
    int height = 0;
};

DemRegion wholeLandscape(const Landscape& land);
// The half-size region (sizeX / 2 + 2 by sizeY / 2 + 2) with its corner at the
// marked cell, clamped to 0 .. sizeX / 2 and 0 .. sizeY / 2.
DemRegion halfRegionAt(const Landscape& land, MapPoint corner);

// The whole file for a region: header with the placement moved to its corner, then its rows.
std::vector<std::uint8_t> encodeDem(const Landscape& land, const SceneSettings& scene, const DemRegion& region);

// The old-format reader and the settings blocks; result 1 without blocks, 2 with.
LoadResult readDem(std::span<const std::uint8_t> bytes, LoadTarget& target, Frontend& ui);

// The stored grid size of an old header (bit 0 and the 0 = 258 rule applied).
void oldStoredSize(const std::uint8_t* header, std::int64_t& width, std::int64_t& height);

// One tile of region loading: placed by its UTM relative to the landscape's;
// Ok also when it lies outside and is skipped. TooBig when it exceeds the grid.
LoadStatus readDemTile(std::span<const std::uint8_t> bytes, Landscape& land);

} // namespace kalvenor
