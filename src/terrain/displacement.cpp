#include "terrain/displacement.h"

namespace kalvenor {

namespace {

// Two's-complement wraps: C++20 defines the narrowing conversions as modular.
int low16(std::int64_t v) { return static_cast<std::int16_t>(v); }
int low32(std::int64_t v) { return static_cast<std::int32_t>(v); }

// The factor shared by the plain and positional displacements:
// floor(a * b / 64) + 32, from -222 to 288.
int floorFactor(int a, int b) { return ((a * b) >> 6) + 32; }

} // namespace

int fractalDisplacement(RandomStreams& random, int step, std::int32_t roughness)
{
    const int s = low16(step);
    const int r = low16(roughness);
    drawA(random); // the first draw is discarded
    const int a = drawA(random);
    const int b = drawA(random);
    // Every division here truncates toward zero.
    const int t = a * b / 64 + 32;
    const int u = low16(s * t / 64);
    return r * u / 32;
}

int boundaryDisplacement(RandomStreams& random, int step, std::int32_t scale)
{
    const int s = low16(step);
    const int k = low16(scale);
    drawA(random); // the first draw is discarded
    const int a = drawA(random);
    const int b = drawA(random);
    // Every division here is an arithmetic shift, rounding down.
    const int t = low16((low16(a * b) >> 6) + 32);
    const int u = low16((s * t) >> 6);
    return (k * u) >> 5;
}

int plainDisplacement(RandomStreams& random, int value)
{
    drawA(random); // the first draw is discarded
    const int a = drawA(random);
    const int b = drawA(random);
    return low32(static_cast<std::int64_t>(floorFactor(a, b)) * value) >> 6;
}

int positionalDisplacement(RandomStreams& random, std::int32_t a, std::int32_t b, int value)
{
    random.a = static_cast<std::uint32_t>(positionHash(random, a, b));
    const int a1 = drawA(random);
    const int b1 = drawA(random);
    return low32(static_cast<std::int64_t>(floorFactor(a1, b1)) * value) >> 6;
}

} // namespace kalvenor
