#include "render/dither.h"

#include <algorithm>

#include "model/random_streams.h"

namespace kalvenor {

namespace {

// Twice the 4 x 4 Bayer matrix minus 15, row by row.
constexpr int kOrderedBase[16] = {-15, 1, -11, 5, 9, -7, 13, -3, -9, 7, -13, 3, 15, -1, 11, -5};

// An offset of 256 levels or more already drives every channel to its limit,
// so entries are held there; the result is the same and huge amounts cannot overflow.
constexpr std::int64_t kEntryLimit = 256;

int holdEntry(std::int64_t entry) { return static_cast<int>(std::clamp(entry, -kEntryLimit, kEntryLimit)); }

std::uint16_t clampChannel16(int value) { return static_cast<std::uint16_t>(std::clamp(value, 0, 65535)); }
int clampChannel8(int value) { return std::clamp(value, 0, 255); }

} // namespace

void buildDitherTables(PixelDither& dither, int amount)
{
    dither.tableSeed = dither.seed;
    for (int& entry : dither.random)
        entry = holdEntry((static_cast<std::int64_t>(drawDither(dither)) * amount) >> 13); // floor
    for (unsigned p = 0; p < 256; ++p) {
        std::uint32_t rise = 0, fall = 0;
        for (unsigned c = 0; c < 3; ++c) {
            const int entry = dither.random[(p + 1 + c) & 255u];
            rise |= static_cast<std::uint32_t>(std::clamp(entry, 0, 255)) << (8 * c);
            fall |= static_cast<std::uint32_t>(std::clamp(-entry, 0, 255)) << (8 * c);
        }
        dither.rise[p] = rise, dither.fall[p] = fall;
    }
    for (std::size_t i = 0; i < dither.ordered.size(); ++i)
        dither.ordered[i] = holdEntry(static_cast<std::int64_t>(kOrderedBase[i]) * amount / 1024); // toward zero
    dither.built = true;
    dither.builtAmount = amount;
}

void restoreDither(PixelDither& dither, std::uint32_t seed, bool built, std::uint32_t tableSeed, int amount)
{
    dither.built = false;
    if (built) {
        dither.seed = tableSeed;
        buildDitherTables(dither, amount);
    }
    dither.seed = seed;
}

void ditherSpan(PixelDither& dither, int amount, int kind, int y, int x0, int x1, SpanPixel* pixels)
{
    if (amount == 0 || x1 < x0) return;
    prepareDither(dither, amount);
    const int count = x1 - x0 + 1;
    if (kind == kDitherOrdered) {
        for (int i = 0; i < count; ++i) {
            const int offset = orderedDitherEntry(dither, x0 + i, y) << 8;
            SpanPixel& p = pixels[i];
            p.red = clampChannel16(p.red + offset);
            p.green = clampChannel16(p.green + offset);
            p.blue = clampChannel16(p.blue + offset);
        }
        return;
    }
    unsigned index = static_cast<unsigned>(drawDither(dither)) & 255u;
    for (int i = 0; i < count; ++i) {
        SpanPixel& p = pixels[i];
        p.red = clampChannel16(p.red + (dither.random[(index + 1) & 255u] << 8));
        p.green = clampChannel16(p.green + (dither.random[(index + 2) & 255u] << 8));
        p.blue = clampChannel16(p.blue + (dither.random[(index + 3) & 255u] << 8));
        index += 3;
    }
}

void ditherRow8(PixelDither& dither, int amount, int kind, int y, int x0, int count, const std::uint32_t* source,
                Rgb8* out)
{
    for (int i = 0; i < count; ++i)
        out[i] = {static_cast<int>(source[i] & 255u), static_cast<int>((source[i] >> 8) & 255u),
                  static_cast<int>((source[i] >> 16) & 255u)};
    if (amount == 0 || count <= 0) return;
    prepareDither(dither, amount);
    unsigned t = static_cast<unsigned>(drawDither(dither)) & 255u; // taken in either kind
    for (int i = 0; i < count; ++i) {
        Rgb8& c = out[i];
        if (kind == kDitherOrdered) {
            const int offset = orderedDitherEntry(dither, x0 + i, y);
            c = {clampChannel8(c.red + offset), clampChannel8(c.green + offset), clampChannel8(c.blue + offset)};
        } else {
            c = {clampChannel8(c.red + dither.random[(t + 1) & 255u]), clampChannel8(c.green + dither.random[(t + 2) & 255u]),
                 clampChannel8(c.blue + dither.random[(t + 3) & 255u])};
            t += 3;
        }
    }
}

} // namespace kalvenor
