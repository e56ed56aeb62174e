// The star field: 10000 stars made once from the landscape's fractal seed,
// each a direction about 16000 long with its own colour, drawn as dots at
// infinity before anything else of the frame covers them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

namespace kalvenor {

struct SceneFrame;

constexpr int kStarCount = 10000;
constexpr int kStarRadius = 16000;

struct Star {
    std::int16_t x = 0, y = 0, z = 0;
    std::uint8_t red = 0, green = 0, blue = 0;
};

// The storage is taken once, at start-up; the stars are made when first
// needed and again when the fractal seed changes.
struct StarMap {
    std::vector<Star> stars;
    std::uint32_t seed = 0;
    bool made = false;
    // Bytes the storage may take. Unlimited in the program; lowering it makes
    // the out-of-memory path reachable without exhausting the machine.
    std::size_t budgetBytes = std::numeric_limits<std::size_t>::max();
};

// Without room for the stars the program cannot draw a night sky and ends.
inline constexpr const char* kStarMapMemoryMessage = "Insufficient memory (starmap)";
constexpr int kStarMapExitCode = 20;

// Gives the map room for kStarCount stars, keeping storage it already has.
// Throws FatalError (kStarMapMemoryMessage, kStarMapExitCode) when the memory
// or the budget runs out.
void allocateStarMap(StarMap& map);

// Seeds a private copy of the random streams with seed, discards three 16-bit
// draws, then per star: x, y, z from three draws (z = 1 when 0), scaled by
// 16000 / trunc(length) (a length of 0 counts as 1); base brightness
// c = (draw & 127) + 32 and each channel c + (draw & 31). The shared streams
// are left untouched, so a render does not change what later draws give.
// Allocates first when start-up has not (FatalError as allocateStarMap).
void makeStarMap(StarMap& map, std::uint32_t seed);

// Each star taken as a direction (so it lies behind everything) and drawn as a
// dot: the pixel gets the star colour and its four neighbours half of it
// (where that is brighter than what is there). An oversize frame draws 2 x 2
// pixels for the centre, so the dot survives the reduction.
void drawStars(SceneFrame& frame);

} // namespace kalvenor
