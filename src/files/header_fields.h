// The settings words of both landscape file headers, as tables of records:
// where each word lies, how it is stored and which setting it carries.
//
// The session header (new format) stores every setting; the old format keeps a
// subset in three optional blocks, some of them converted on the way in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <variant>

#include "model/scene_settings.h"
#include "model/setting_limits.h"

namespace kalvenor {

// Everything a header carries besides the grid and its placement: the scene
// settings and the two landscape words that travel with them.
struct HeaderSettings {
    SceneSettings scene;
    std::int32_t sizeMode = 1;    // Landscape::sizeMode as a number
    std::int32_t polygonSize = 1; // Landscape::polygonSize
    // Spacings an old-format view block brings (the session header keeps its own).
    bool hasSpacing = false;
    float spacingX = 30.0f;
    float spacingY = 30.0f;
    float verticalSpacing = 1.0f;
};

using FieldPtr = SettingPtr;
using FieldAccess = FieldPtr (*)(HeaderSettings&);

// How a session header word is stored.
enum class WordType : std::uint8_t {
    Int,        // 32-bit integer (signed or unsigned) in file and memory
    Float,      // 32-bit float in file and memory
    RoundedInt, // float in memory, stored rounded to a whole number
    IntAsFloat, // whole number in memory, stored as a float and read back rounded
    Byte,       // one byte
};

struct HeaderWord {
    std::uint16_t offset;
    WordType type;
    FieldAccess field;
    bool read = true; // false: written for other readers, ignored on reading
};

constexpr std::size_t kSessionHeaderBytes = 1024;

// Every settings word of the session header (utm, spacings and block offsets are
// the file's own and handled by the format code).
std::span<const HeaderWord> sessionHeaderWords();

// Writes every settings word into a 1024-byte little-endian header.
void storeSessionWords(const HeaderSettings& settings, std::uint8_t* header);

// Copies every read word of the header into the settings, then brings them
// within their limits (a float that is not a finite number keeps its value).
void loadSessionWords(const std::uint8_t* header, HeaderSettings& settings);

// A stored cell spacing in metres: from 1 to kMaxSpacing, else fallback.
constexpr float kMaxSpacing = 100000.0f;
float storedSpacing(float value, float fallback);

// The rounding of stored angles and placements: to nearest, halves away from zero.
std::int32_t roundToInt(double value);

// ---- Old format ----

// Old-format flag bits at offset 132.
constexpr std::uint32_t kOldFlagSizeValid = 1u << 0;
constexpr std::uint32_t kOldFlagView = 1u << 1;
constexpr std::uint32_t kOldFlagScene = 1u << 2;
constexpr std::uint32_t kOldFlagExtended = 1u << 3;
constexpr std::uint32_t kOldFlagHighWordsBigEndian = 1u << 4;

// True when the 32-bit word at offset lies in a big-endian range of the old
// header; flags is the already converted flag word.
bool oldWordIsBigEndian(std::size_t offset, std::uint32_t flags);

// The 32-bit word at offset of a 2048-byte old header, in the byte order its range uses.
std::uint32_t oldWord(const std::uint8_t* header, std::size_t offset, std::uint32_t flags);

// How an old-format block word becomes its setting.
enum class OldConversion : std::uint8_t {
    Plain,      // as stored
    ToFloat,    // whole number into a float setting
    Negated,    // whole number into a float setting, sign changed
    Azimuth,    // stored as 180 - azimuth
    Times30,    // stored divided by 30
};

struct OldWord {
    std::uint16_t offset;
    OldConversion conversion;
    FieldAccess field;
};

std::span<const OldWord> oldViewWords();
std::span<const OldWord> oldSceneWords();
std::span<const OldWord> oldExtendedWords();

// Applies the view, scene and extended blocks that the flags name, with every
// conversion the old format needs. Returns true when any block was present.
bool applyOldBlocks(const std::uint8_t* header, std::uint32_t flags, HeaderSettings& settings);

} // namespace kalvenor
