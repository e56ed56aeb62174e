// The camera path of the path editor, as sessions carry it: an 80-byte record
// of path settings and the 40000-byte node table. The path editor reads and
// changes them in place.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace kalvenor {

constexpr std::size_t kPathSettingsBytes = 80;
constexpr std::size_t kPathNodeBytes = 40000;

struct PathState {
    std::array<std::uint8_t, kPathSettingsBytes> settings = {};
    std::vector<std::uint8_t> nodes = std::vector<std::uint8_t>(kPathNodeBytes);
};

} // namespace kalvenor
