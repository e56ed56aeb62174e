// The 256 texture slots. A slot keeps its stored table entry (name, size,
// level records) and its texture data byte for byte, so that sessions carry
// embedded textures unchanged; the texture code reads them from here.
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

struct TextureSlot {
    // The table entry as stored, with the level words as distances from the start of the data.
    std::array<std::uint8_t, kTextureEntryBytes> entry = {};
    std::vector<std::uint8_t> data; // empty when the slot names a texture without data

    bool inUse() const { return entry[0] != 0; }
    std::string name() const;
};

using TextureSlots = std::array<TextureSlot, kTextureSlots>;

// Every slot empty.
void resetTextureSlots(TextureSlots& slots);

// True when any slot is in use.
bool anyTextureInUse(const TextureSlots& slots);

} // namespace kalvenor
