// The per-class surface attributes (Phong hilites, flare, roughness) that
// travel with the colour scheme, and the table a new scheme starts with.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace kalvenor {

// Colour-scheme entries the renderer draws with beside the ground codes.
enum SchemeEntry : int {
    kEntrySkyHaze = 25,
    kEntryHaze = 26,
    kEntryHorizon = 32,
    kEntrySky = 33,
    kEntrySun = 77, // also the light colour of the scene
    kEntryAmbient = 78,
    kEntryMoon = 79,
};

using SchemeBytes = std::array<std::uint8_t, 1024>;
using AttributeBytes = std::array<std::uint8_t, 1280>;

// One row of the surface attribute table.
struct SurfaceAttributes {
    int phongIntensity = 0;
    int phongSharpness = 0;
    int flareIntensity = 0;
    int flareRadius = 0;
    int roughness = 0; // horizontal deformation and surface detail, 100 = full
};

// Entry i of the table: bytes 5i .. 5i+4.
inline SurfaceAttributes surfaceAttributes(const AttributeBytes& table, int entry)
{
    const std::size_t at = static_cast<std::size_t>(entry & 0xFF) * 5;
    return {table[at], table[at + 1], table[at + 2], table[at + 3], table[at + 4]};
}

// The table a new scheme starts with: most classes Phong 50, sharpness 20,
// no flare, roughness 100; beach, water, bark, houses, sun and roads differ;
// the horizon has no hilite.
AttributeBytes defaultSurfaceAttributes();

} // namespace kalvenor
