#include "render/star_map.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "base/fatal_error.h"
#include "model/random_streams.h"
#include "render/projection.h"
#include "render/scene_frame.h"

namespace kalvenor {

namespace {

constexpr int kStarsClass = 33; // stars are part of the sky

void plot(const SceneFrame& frame, int x, int y, int r, int g, int b, bool brighten)
{
    const ImageGeometry& geometry = *frame.target.geometry;
    if (x < 0 || y < 0 || x >= geometry.width || y >= geometry.height) return;
    ImageBuffers& images = *frame.target.images;
    if (images.vidmem24.allocated() && y < images.vidmem24.height && x < images.vidmem24.width) {
        std::uint32_t& pixel = images.vidmem24[y][x];
        if (brighten) {
            r = std::max<int>(r, pixelRed(pixel));
            g = std::max<int>(g, pixelGreen(pixel));
            b = std::max<int>(b, pixelBlue(pixel));
        }
        pixel = packPixel(static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(b),
                          kStarsClass);
    }
    if (images.vidmem8.allocated() && y < images.vidmem8.height && x < images.vidmem8.width)
        images.vidmem8[y][x] = kStarsClass;
}

} // namespace

void allocateStarMap(StarMap& map)
{
    constexpr std::size_t count = kStarCount;
    if (map.stars.size() == count) return;
    if (count * sizeof(Star) <= map.budgetBytes) {
        try {
            map.stars.resize(count);
            return;
        } catch (const std::bad_alloc&) {
            // Reported below, as a budget too small is.
        }
    }
    map.stars = {};
    map.made = false;
    throw FatalError(kStarMapMemoryMessage, kStarMapExitCode);
}

void makeStarMap(StarMap& map, std::uint32_t seed)
{
    allocateStarMap(map);
    RandomStreams random;
    seedAll(random, seed);
    for (int i = 0; i < 3; ++i) drawB(random);
    for (Star& star : map.stars) {
        const double x = drawB(random), y = drawB(random);
        double z = drawB(random);
        if (z == 0.0) z = 1.0;
        double length = std::trunc(std::sqrt(x * x + y * y + z * z));
        if (length == 0.0) length = 1.0;
        const double s = kStarRadius / length;
        star.x = static_cast<std::int16_t>(x * s);
        star.y = static_cast<std::int16_t>(y * s);
        star.z = static_cast<std::int16_t>(z * s);
        const int c = (drawB(random) & 127) + 32;
        star.red = static_cast<std::uint8_t>(c + (drawB(random) & 31));
        star.green = static_cast<std::uint8_t>(c + (drawB(random) & 31));
        star.blue = static_cast<std::uint8_t>(c + (drawB(random) & 31));
    }
    map.seed = seed;
    map.made = true;
}

void drawStars(SceneFrame& frame)
{
    StarMap& map = frame.state.stars;
    const std::uint32_t seed = frame.scene.generation.seed;
    if (!map.made || map.seed != seed) makeStarMap(map, seed);
    const ImageGeometry& geometry = *frame.target.geometry;
    const float cx = static_cast<float>(geometry.projWidth / 2), cy = static_cast<float>(geometry.projHeight / 2);
    const int rowOffset = imageRowOffset(geometry);
    const bool oversize = geometry.oversize;
    for (const Star& star : map.stars) {
        const Vec3 p = rotateDirection(frame.view, {static_cast<float>(star.x), static_cast<float>(star.y),
                                                    static_cast<float>(star.z)});
        if (!insideViewVolume(p)) continue;
        const int x = static_cast<int>(cx + p.x * cx / p.z);
        const int y = static_cast<int>(cy + p.y * cy / p.z) - rowOffset;
        const int r = star.red, g = star.green, b = star.blue;
        const int size = oversize ? 2 : 1;
        for (int dy = 0; dy < size; ++dy)
            for (int dx = 0; dx < size; ++dx) plot(frame, x + dx, y + dy, r, g, b, false);
        // Half the colour around the dot, where that is brighter than the sky.
        for (int i = 0; i < size; ++i) {
            plot(frame, x - 1, y + i, r / 2, g / 2, b / 2, true);
            plot(frame, x + size, y + i, r / 2, g / 2, b / 2, true);
            plot(frame, x + i, y - 1, r / 2, g / 2, b / 2, true);
            plot(frame, x + i, y + size, r / 2, g / 2, b / 2, true);
        }
    }
}

} // namespace kalvenor
