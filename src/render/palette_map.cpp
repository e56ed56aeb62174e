#include "render/palette_map.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <vector>

#include "base/worker_pool.h"

namespace kalvenor {

namespace {

// Display palette entries are stored as 0, red, green, blue.
constexpr std::size_t kEntryBytes = 4;

} // namespace

void resetPaletteMap(PaletteMap& map) { map.nearest.fill(kUnmapped); }

std::uint8_t nearestEntry(PaletteMap& map, const DisplayPalette& palette, int cube)
{
    // Rows are converted on several threads at once: the cache is read and
    // written atomically (two threads that search one cell find the same entry).
    std::atomic_ref<std::uint16_t> cached(map.nearest[static_cast<std::size_t>(cube & (kCubeCells - 1))]);
    if (const std::uint16_t known = cached.load(std::memory_order_relaxed); known != kUnmapped)
        return static_cast<std::uint8_t>(known);
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
    cached.store(static_cast<std::uint16_t>(best), std::memory_order_relaxed);
    return static_cast<std::uint8_t>(best);
}

void convertToPalette(ImageBuffers& images, int width, int height, const DisplayPalette& palette, PaletteMap& map,
                      PixelDither& dither, int amount, int kind)
{
    if (!images.vidmem24.allocated() || !images.vidmem8.allocated()) return;
    width = std::min({width, images.vidmem24.width, images.vidmem8.width});
    height = std::min({height, images.vidmem24.height, images.vidmem8.height});
    if (width <= 0 || height <= 0) return;
    // With an amount every row takes one draw of D (after the tables, built
    // here first if they must be): row y starts y draws on, whichever thread
    // converts it.
    if (amount != 0) prepareDither(dither, amount);
    const std::uint32_t start = dither.seed;
    parallelFor(height, [&](int y) {
        PixelDither rowDither = dither;
        rowDither.seed = amount != 0 ? lcgSkip(start, static_cast<std::uint64_t>(y)) : start;
        std::vector<Rgb8> row(static_cast<std::size_t>(width));
        ditherRow8(rowDither, amount, kind, y, 0, width, images.vidmem24[y], row.data());
        std::uint8_t* out = images.vidmem8[y];
        for (int x = 0; x < width; ++x) {
            const Rgb8& c = row[static_cast<std::size_t>(x)];
            out[x] = nearestEntry(map, palette, cubeIndex(c.red, c.green, c.blue));
        }
    });
    if (amount != 0) dither.seed = lcgSkip(start, static_cast<std::uint64_t>(height));
}

} // namespace kalvenor
