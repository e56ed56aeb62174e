// The session format, "KN4 DEM File": a 1024-byte little-endian header with
// every scene setting and the file offsets of the blocks that follow (colour
// scheme, surface attributes, textures, the three maps, palette, clouds, image
// names and the camera path). Colour scheme files use the same layout without
// maps.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "files/landscape_file.h"

namespace kalvenor {

// Header offsets of the session format.
constexpr std::size_t kSessionUtmXOffset = 148;
constexpr std::size_t kSessionUtmYOffset = 152;
constexpr std::size_t kSessionUtmExtraOffset = 156;
constexpr std::size_t kSessionSpacingXOffset = 160;
constexpr std::size_t kSessionSpacingYOffset = 164;
constexpr std::size_t kSessionVerticalSpacingOffset = 168;
constexpr std::size_t kSchemeBlockField = 172;
constexpr std::size_t kAttributeBlockField = 176;
constexpr std::size_t kTextureBlockField = 180;
constexpr std::size_t kElevationBlockField = 184;
constexpr std::size_t kTerrainBlockField = 188;
constexpr std::size_t kShadowBlockField = 192;
constexpr std::size_t kPaletteBlockField = 196;
constexpr std::size_t kPathBlockField = 200;
constexpr std::size_t kCloudRowsField = 376;
constexpr std::size_t kCloudColoursField = 380;
constexpr std::size_t kDensitySumOffset = 612; // written for other readers, not read
constexpr std::size_t kSizeSumOffset = 616;    // likewise
constexpr std::size_t kVerticalScaleWord = 684;
constexpr std::size_t kBackgroundNameField = 844;
constexpr std::size_t kForegroundNameField = 848;
constexpr std::uint32_t kSessionFlag = 1; // flag bit 0: the file is a session

// What a save includes.
struct SessionSwitches {
    bool session = false;
    bool colourScheme = false;
    bool embedTextures = false;
    bool elevation = false; // terrain, shadow and clouds only go with elevations
    bool terrain = false;
    bool shadow = false;
    bool clouds = false;
    bool path = false;
};

// A whole session: everything included, textures embedded.
SessionSwitches fullSession();
// A colour scheme file: settings and colour blocks, textures embedded, background name.
SessionSwitches schemeFile();

// The pieces a save reads.
struct SessionSource {
    const Landscape& landscape;
    const SceneSettings& scene;
    const TextureSlots& textures;
    const PathState& path;
    const DisplayPalette& palette;
};

// The whole file, header last filled in. Shows the block status texts.
std::vector<std::uint8_t> encodeSession(const SessionSource& source, const SessionSwitches& switches, Frontend& ui);

// The session reader with its settings; result 2 on success.
LoadResult readSession(std::span<const std::uint8_t> bytes, LoadTarget& target, Frontend& ui);

} // namespace kalvenor
