// The 8-bit display palette: 256 entries of 0, red, green, blue, predicted
// from the colour scheme and the scene, and stored in sessions.
#pragma once

#include <array>
#include <cstdint>

namespace kalvenor {

struct DisplayPalette {
    std::array<std::uint8_t, 1024> entries = {};
};

} // namespace kalvenor
