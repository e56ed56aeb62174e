#include "render/palette_map.h"

#include <algorithm>
#include <climits>
#include <vector>

namespace kalvenor {

namespace {

// Display palette entries are stored as 0, red, green, blue.
constexpr std::size_t kEntryBytes = 4;

} // namespace

void resetPaletteMap(PaletteMap& map) { map.nearest.fill(kUnmapped); }

std::uint8_t nearestEntry(PaletteMap& map, const DisplayPalette& palette, int cube)
{
    std::uint16_t& cached = map.nearest[static_cast<std::size_t>(cube & (kCubeCells - 1))];
    if (cached != kUnmapped) return static_cast<std::uint8_t>(cached);
    const int cr = (cube >> 10) & 31, cg = (cube >> 5) & 31, cb = cube & 31;
    const int colours = std::clamp(map.colours, 2, 256);
    int best = 1;
    int bestDistance = INT_MAX;
    for (int i = 1; i < colours; ++i) {
        const std::uint8_t* e = &palette.entries[static_cast<std::size_t>(i) * kEntryBytes];
        const int dr = cr - (e[1] >> 3), dg = cg - (e[2] >> 3), db = cb - (e[3] >> 3);
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    cached = static_cast<std::uint16_t>(best);
    return static_cast<std::uint8_t>(best);
}

void convertToPalette(ImageBuffers& images, int width, int height, const DisplayPalette& palette, PaletteMap& map,
                      PixelDither& dither, int amount, int kind)
{
    if (!images.vidmem24.allocated() || !images.vidmem8.allocated()) return;
    width = std::min({width, images.vidmem24.width, images.vidmem8.width});
    height = std::min({height, images.vidmem24.height, images.vidmem8.height});
    if (width <= 0 || height <= 0) return;
    std::vector<Rgb8> row(static_cast<std::size_t>(width));
    for (int y = 0; y < height; ++y) {
        ditherRow8(dither, amount, kind, y, 0, width, images.vidmem24[y], row.data());
        std::uint8_t* out = images.vidmem8[y];
        for (int x = 0; x < width; ++x) {
            const Rgb8& c = row[static_cast<std::size_t>(x)];
            out[x] = nearestEntry(map, palette, cubeIndex(c.red, c.green, c.blue));
        }
    }
}

} // namespace kalvenor
