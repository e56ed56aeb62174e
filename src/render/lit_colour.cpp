#include "render/lit_colour.h"

#include <algorithm>
#include <cmath>

namespace kalvenor {

namespace {

std::int64_t litChannel(const SurfaceLight& s, int c, int base, int intensity, int strength, int hilite, std::int64_t k)
{
    const std::int64_t lc = s.light[c];
    std::int64_t v = ((lc * ((static_cast<std::int64_t>(base) * intensity) >> 8)) >> 8) +
                     ((static_cast<std::int64_t>(base) * s.ambient[c]) >> 8);
    if (strength != 0) v += (lc * strength * hilite) >> 16;
    if (k != 0) {
        const std::int64_t hz = ((static_cast<std::int64_t>(s.haze[c]) * s.ambient[c]) >> 8) +
                                ((static_cast<std::int64_t>(s.haze[c]) * lc) >> 8);
        // 64-bit: a far point's weight times the haze colour passes 2^31.
        const std::int64_t numerator = k * hz + v * 256;
        // A 32-bit divide is much quicker where it is enough.
        v = numerator >= 0 && numerator <= UINT32_MAX ? static_cast<std::uint32_t>(numerator) / static_cast<std::uint32_t>(k + 256)
                                    : numerator / (k + 256);
    }
    return std::clamp<std::int64_t>((v * s.exposureFactor) >> 7, 0, 255);
}

} // namespace

int exposureFactor(bool autoExposure, int lightLevel, int exposure)
{
    const int e = autoExposure ? (255 - lightLevel) / 3 + 48 : 48;
    const std::int64_t factor = e + 128 + (static_cast<std::int64_t>(exposure) - 128) * 2;
    return static_cast<int>(std::clamp<std::int64_t>(factor, INT32_MIN, INT32_MAX));
}

std::uint32_t litColour(const SurfaceLight& light, int r, int g, int b, int intensity, int strength, int hilite)
{
    const float w = light.hazeWeight;
    const std::int64_t k = w > 0.0f ? static_cast<std::int64_t>(std::min(w, kMaxHazeWeight)) : 0;
    const std::int64_t red = litChannel(light, 0, r, intensity, strength, hilite, k);
    const std::int64_t green = litChannel(light, 1, g, intensity, strength, hilite, k);
    const std::int64_t blue = litChannel(light, 2, b, intensity, strength, hilite, k);
    return static_cast<std::uint32_t>(red | (green << 8) | (blue << 16));
}

} // namespace kalvenor
