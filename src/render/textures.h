// Texture maps: a Targa picture per class, kept with eight successively
// halved copies so that distant surfaces can take a small one and do not
// shimmer. Loading fills a texture slot (the stored form sessions carry);
// before a frame the slots are unpacked into texel words the span filler reads.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "model/texture_slots.h"
#include "render/polygon.h"

namespace kalvenor {

class Frontend;

constexpr int kSunTextureClass = 77;
constexpr int kMoonTextureClass = 79;

// Level-0 texels of one grid cell when the slot's scale is 0 (what loading leaves).
constexpr int kDefaultTextureScale = 32;

// A texture block larger than this is refused as if memory had run out: a
// 16-bit Targa header can announce 4 G texels, far beyond any sensible map.
constexpr std::uint64_t kMaxTextureBytes = std::uint64_t{256} << 20;

// Size and start (in texels) of one level inside the texel block.
struct TextureLevelSize {
    int width = 0;
    int height = 0;
    std::size_t start = 0;
};
using TextureLayout = std::array<TextureLevelSize, kTextureLevelCount>;

// Level 0 is width x height at 0; every further level halves both sides
// (truncating, never below 1) and starts right after the one before.
TextureLayout textureLayout(int width, int height);

// Texels of all nine levels. Not width x height x 6 / 4: a map one texel wide
// (or a 1 x 1 map) needs more than that, as its halvings stay 1 wide.
std::size_t textureTexels(const TextureLayout& layout);

// One texel of the next level from a 2 x 2 block, weighted by alpha: each
// channel (sum of channel x alpha + total / 2) / total, truncated and held to
// 255, with total the sum of the alphas (0 counts as 1); alpha (sum + 2) >> 2.
std::uint32_t averageTexels(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d);

// Fills levels 1..8 of texels (level 0 already read) by averaging 2 x 2 blocks
// of the level before; at the right and bottom edges the missing neighbours
// are the edge texel itself.
void buildTextureLevels(std::span<std::uint32_t> texels, const TextureLayout& layout);

// Frees the class's texture, then reads file name as its map. 1 on success or
// for an empty name (the slot is then free), 0 on failure: "Error reading
// file \"%s\"." or "Insufficient memory  (%d bytes needed).", and the slot
// left free. A class outside 0..255 fails without a message.
int loadTexture(TextureSlots& slots, int classCode, const std::string& name, Frontend& ui);

// Like loadTexture, but a file that is not there first asks "Unable to locate
// %s" with "Select another texture" (the file box "Select texture map", in
// directory) and "Skip it". Skipping, cancelling or a failed load leave the
// class untextured (0); an empty name succeeds.
int findTexture(TextureSlots& slots, int classCode, const std::string& name, Frontend& ui,
                const std::string& directory);

void freeTexture(TextureSlots& slots, int classCode);
void freeAllTextures(TextureSlots& slots);

// Slots that name a texture without carrying its data (sessions saved with
// names only) are loaded by findTexture; those that cannot be are freed, so
// nobody is asked twice.
void loadNamedTextures(TextureSlots& slots, Frontend& ui, const std::string& directory);

// One class's texture unpacked for drawing: all levels in texel words.
struct ClassTexture {
    std::vector<std::uint32_t> texels;
    std::array<TextureView, kTextureLevelCount> levels = {};
    int scale = kDefaultTextureScale;
    // For a shade texture, its alpha and colour as one word: an animation's
    // next frame keeps the map while they stay. 0 for any other map.
    std::uint32_t shadeKey = 0;
};

// The textures of a frame: byClass[k] is null for a class drawn in its plain
// colour, so the terrain pays one lookup per triangle.
struct FrameTextures {
    std::array<const ClassTexture*, kTextureSlots> byClass = {};
    std::vector<ClassTexture> maps; // kTextureSlots entries once a texture was seen
};

// Unpacks every usable slot; classes without a usable level 0 stay plain.
// With no slot in use nothing is allocated.
void prepareFrameTextures(const TextureSlots& slots, FrameTextures& frame);

// The shade texture levels (ShadeTextureLow, Medium, High): the ground's
// classes that have no map of their own (the dirt, snow and cliff bands, the
// beach, the ground under trees and the roads; not water) get a map made of
// their own colour with a fine mottle of light and dark (a tiled pattern of
// 128 x 128 texels spread over 8 cells), laid over the ground's colours with
// an alpha of 96, 160 or 224 for levels 1, 2 and 3. Level 0 (or any other)
// adds nothing. scheme is the colour scheme (1024 bytes).
constexpr int kShadeTextureSide = 128;
void addShadeTextures(FrameTextures& frame, const std::array<std::uint8_t, 1024>& scheme, int level);

// The level a quad of the given detail (0..7) uses.
inline const TextureView& detailLevel(const ClassTexture& texture, int detail)
{
    return texture.levels[static_cast<std::size_t>(detail < 0 ? 0 : detail >= kTextureLevelCount ? kTextureLevelCount - 1 : detail)];
}

} // namespace kalvenor
