// The colour scheme: 256 four-byte entries (0, red, green, blue) that ground
// colouring, colour prediction, the sky and the objects draw their colours
// from. It travels inside every landscape file and can be loaded on its own.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace kalvenor {

constexpr std::size_t kSchemeBytes = 1024;
constexpr std::size_t kSchemeEntryBytes = 4;
using ColourScheme = std::array<std::uint8_t, kSchemeBytes>;

// A colour given to an entry left unset (all four bytes 0) by a loaded scheme.
struct DefaultSchemeColour {
    std::uint16_t offset; // byte offset of the entry in the scheme
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
};

inline constexpr DefaultSchemeColour kDefaultSchemeColours[] = {
    {136, 48, 96, 48},    {140, 64, 96, 48},    {144, 80, 96, 64},    {148, 96, 96, 80},
    {256, 80, 64, 48},    {260, 80, 64, 48},    {264, 80, 64, 48},    {268, 80, 64, 48},
    {272, 128, 128, 128}, {276, 128, 128, 128}, {280, 128, 128, 128}, {284, 128, 128, 128},
    {288, 48, 48, 48},    {292, 48, 48, 48},    {296, 48, 48, 48},    {300, 48, 48, 48},
    {304, 192, 192, 192}, {308, 255, 248, 240}, {312, 240, 248, 255}, {352, 48, 48, 48},
    {356, 48, 48, 48},    {360, 48, 48, 48},    {364, 48, 48, 48},
};

// Gives every unset entry of the table above its default colour; set entries are kept.
void fillUnsetSchemeEntries(ColourScheme& scheme);

enum class SchemeLoadStatus { Ok, OpenFailed, NotOldLayout };

// Reads a scheme in the old layout: the 2048-byte header of an old-format
// landscape file, whose second kilobyte is the scheme. A file that cannot be
// opened, is shorter than 2048 bytes or carries another magic leaves the
// scheme as it was; on success the unset entries get their defaults.
SchemeLoadStatus loadSchemeOldLayout(const std::string& path, ColourScheme& scheme);

} // namespace kalvenor
