// The 256 texture slots. A slot keeps its stored table entry (name, size,
// level records) and its texture data byte for byte, so that sessions carry
// embedded textures unchanged; the texture code reads them from here.
//
// Entry layout: the class byte at 0 (0 = no texture), the 16-bit texture
// scale at 2, the name at 4 (at most 255 characters and its terminator), then
// nine level records of 16 bytes: width, height, byte size (level 0 only) and
// the level's start in the data. Level 0's record begins at 260, so its size
// and start are the entry's size and data words (268, 272); levels 1..8 follow
// from 276. In memory every start is a distance from the beginning of the data.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kalvenor {

constexpr std::size_t kTextureSlots = 256;
constexpr std::size_t kTextureEntryBytes = 404;
constexpr std::size_t kTextureNameOffset = 4;
constexpr std::size_t kTextureNameBytes = 264;
constexpr std::size_t kTextureSizeOffset = 268;
constexpr std::size_t kTextureDataOffset = 272;
constexpr std::size_t kTextureLevelsOffset = 276;
constexpr std::size_t kTextureLevels = 8;
constexpr std::size_t kTextureLevelBytes = 16;
constexpr std::size_t kTextureLevelWord = 12; // within a level record: where the level starts in the data
constexpr std::size_t kTextureScaleOffset = 2;
constexpr std::size_t kTextureNameLimit = 256; // name characters and terminator before level 0's record
constexpr std::size_t kTextureLevelZeroOffset = 260;
constexpr int kTextureLevelCount = 9; // the full map and eight halvings

// Where the record of a level (0..8) starts in the entry.
constexpr std::size_t textureLevelRecord(int level)
{
    return level == 0 ? kTextureLevelZeroOffset
                      : kTextureLevelsOffset + static_cast<std::size_t>(level - 1) * kTextureLevelBytes;
}
static_assert(textureLevelRecord(0) + kTextureLevelWord == kTextureDataOffset);
static_assert(textureLevelRecord(kTextureLevelCount - 1) + kTextureLevelBytes == kTextureEntryBytes);


struct TextureSlot {
    // The table entry as stored, with the level words as distances from the start of the data.
    std::array<std::uint8_t, kTextureEntryBytes> entry = {};
    std::vector<std::uint8_t> data; // empty when the slot names a texture without data

    bool inUse() const { return entry[0] != 0; }
    int scale() const { return entry[kTextureScaleOffset] | (entry[kTextureScaleOffset + 1] << 8); }
    std::string name() const;
};

using TextureSlots = std::array<TextureSlot, kTextureSlots>;

// A level as a slot holds it: width 0 when the slot has no such level or its
// record does not lie wholly inside the data (a hostile session).
struct SlotLevel {
    int width = 0;
    int height = 0;
    std::size_t start = 0; // bytes from the beginning of the data; texels are 4 bytes
};
SlotLevel slotLevel(const TextureSlot& slot, int level);

// Every slot empty.
void resetTextureSlots(TextureSlots& slots);

// True when any slot is in use.
bool anyTextureInUse(const TextureSlots& slots);

} // namespace kalvenor
