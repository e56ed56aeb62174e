// The final 8-bit conversion: every 24-bit pixel becomes the index of the
// nearest display-palette colour, found through a cache over the 15-bit
// colour cube that is filled on demand.
#pragma once

#include <array>
#include <cstdint>

#include "codecs/display_palette.h"
#include "codecs/image_buffers.h"
#include "render/dither.h"

namespace kalvenor {

constexpr std::uint16_t kUnmapped = 65535;
constexpr int kCubeCells = 32768;

// The inverse map of the display palette: per cube cell the nearest entry, or
// kUnmapped when not yet searched. Reset whenever a palette is installed and
// at the start of every render; filled by the conversions.
struct PaletteMap {
    std::array<std::uint16_t, kCubeCells> nearest;
    int colours = 256; // entries 1..colours-1 are candidates; entry 0 (black) never is

    PaletteMap() { nearest.fill(kUnmapped); }
};

void resetPaletteMap(PaletteMap& map);

// Cube index of an 8-bit colour: (r >> 3) << 10 | (g >> 3) << 5 | b >> 3.
inline constexpr int cubeIndex(int r, int g, int b) { return ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3); }

// The palette entry nearest to a cube cell, searched once and then cached.
// Entries are compared by their 5-bit components; the first of equals wins.
std::uint8_t nearestEntry(PaletteMap& map, const DisplayPalette& palette, int cube);

// Converts every row of the W x H image of the 24-bit buffer into palette
// indices in the 8-bit buffer, with the pixel dithering when its amount is not 0.
void convertToPalette(ImageBuffers& images, int width, int height, const DisplayPalette& palette, PaletteMap& map,
                      PixelDither& dither, int amount, int kind);

} // namespace kalvenor
