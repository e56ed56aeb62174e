// Pixel dithering: sub-level noise added to colours before they are cut to
// 8 bits (in the span compositor) or mapped to palette entries (in the 8-bit
// conversion). Random dithering adds three consecutive entries of a random
// table per pixel; ordered dithering adds one entry of a 4 x 4 matrix.
#pragma once

#include <array>
#include <cstdint>

#include "model/random_streams.h"
#include "render/polygon.h"

namespace kalvenor {

enum DitherKind : int { kDitherOrdered = 1, kDitherRandom = 2 };

// The dithering state: the random stream D (same step as the landscape
// streams, starting at 1 and never reseeded, so that it does not disturb
// generation, colouring or trees) and the tables for the last amount. Lives
// for the whole run; only the dithering operations change it.
struct PixelDither {
    std::uint32_t seed = 1;
    bool built = false;
    int builtAmount = 0;
    std::uint32_t tableSeed = 1; // D as the last build of the tables began
    std::array<int, 256> random = {};
    std::array<int, 16> ordered = {};
    // The random table as an opaque pixel takes it, three entries at a time
    // (p + 1, p + 2, p + 3 for red, green and blue), in the bytes of a packed
    // pixel: what each channel gains (rise) and loses (fall). Adding the rise
    // and taking the fall, each held to 0..255, moves a channel's top byte
    // exactly as adding the entry x 256 to the 16-bit channel, clamping and
    // cutting it to 8 bits does.
    std::array<std::uint32_t, 256> rise = {}, fall = {};
};

// One draw of stream D: ((D >> 16) & 255) - 128. Inline: spans take one each.
inline int drawDither(PixelDither& dither)
{
    dither.seed = lcgStep(dither.seed);
    return static_cast<int>((dither.seed >> 16) & 255u) - 128;
}

// Builds both tables for an amount: the random table from 256 draws,
// (draw x A) >> 13 (floor), and the matrix (m x A) / 1024 (toward zero) for
// m = 2 x Bayer - 15, row by row.
void buildDitherTables(PixelDither& dither, int amount);

// Puts the stream and its tables back as they stood: D at seed, and the tables
// built (when built) from tableSeed for amount, as saved from another run.
void restoreDither(PixelDither& dither, std::uint32_t seed, bool built, std::uint32_t tableSeed, int amount);

// Rebuilds the tables when the amount differs from the last build.
inline void prepareDither(PixelDither& dither, int amount)
{
    if (!dither.built || dither.builtAmount != amount) buildDitherTables(dither, amount);
}

// Ordered matrix entry of column x in row y: every fourth row band is shifted two columns.
inline int orderedDitherEntry(const PixelDither& dither, int x, int y)
{
    const int shift = (y & 4) != 0 ? 2 : 0;
    return dither.ordered[static_cast<std::size_t>((y & 3) * 4 + ((x + shift) & 3))];
}

// Dithers pixels x0..x1 of row y of the span buffer in 8.8 fixed point
// (offsets << 8, channels clamped to 0..65535). Amount 0 changes nothing and
// draws nothing; random dithering takes one draw per span.
void ditherSpan(PixelDither& dither, int amount, int kind, int y, int x0, int x1, SpanPixel* pixels);

// Dithers count packed 24-bit pixels starting at column x0 of row y (as for
// a palette conversion) into r, g, b clamped to 0..255. With an amount, one
// draw per call in either kind; amount 0 copies the colours.
struct Rgb8 {
    int red = 0, green = 0, blue = 0;
};
void ditherRow8(PixelDither& dither, int amount, int kind, int y, int x0, int count, const std::uint32_t* source,
                Rgb8* out);

} // namespace kalvenor
