// The three seeded random streams shared by generation, colouring, trees and
// textures. Every draw is part of the behaviour: the same seed must give the
// same landscape, so the order of draws inside each operation is fixed.
#pragma once

#include <cstdint>

namespace kalvenor {

// Three independent 32-bit linear congruential generators, each stepping
// s = s * 1103515245 + 12345 (mod 2^32). All start at 1.
struct RandomStreams {
    std::uint32_t a = 1; // 8-bit draws
    std::uint32_t b = 1; // 16-bit draws
    std::uint32_t c = 1; // 32-bit draws
};

constexpr std::uint32_t kLcgMultiplier = 1103515245u;
constexpr std::uint32_t kLcgIncrement = 12345u;

constexpr std::uint32_t lcgStep(std::uint32_t s) { return s * kLcgMultiplier + kLcgIncrement; }

// The state n steps on from s, in about log2(n) steps: pieces of work can
// each start where the draws before them would have left the stream.
constexpr std::uint32_t lcgSkip(std::uint32_t s, std::uint64_t n)
{
    std::uint32_t multiplier = 1, increment = 0;                   // the steps taken so far, as one
    std::uint32_t stepMultiplier = kLcgMultiplier, stepIncrement = kLcgIncrement; // 2^k steps as one
    for (; n != 0; n >>= 1) {
        if ((n & 1) != 0) {
            multiplier *= stepMultiplier;
            increment = increment * stepMultiplier + stepIncrement;
        }
        stepIncrement = stepIncrement * stepMultiplier + stepIncrement;
        stepMultiplier *= stepMultiplier;
    }
    return s * multiplier + increment;
}

void seedAll(RandomStreams& r, std::uint32_t seed);

// Stream A: ((s >> 16) & 255) - 128, from -128 to 127.
int drawA(RandomStreams& r);
// Stream B: (s >> 16) - 32768, from -32768 to 32767.
int drawB(RandomStreams& r);
// Stream C: two steps, ((first >> 16) - 32768) << 16 plus (second >> 16) - 32768.
std::int32_t drawC(RandomStreams& r);

// Seed one stream and draw from it in one call.
int seedAndDrawA(RandomStreams& r, std::uint32_t seed);
int seedAndDrawB(RandomStreams& r, std::uint32_t seed);
std::int32_t seedAndDrawC(RandomStreams& r, std::uint32_t seed);

// Position hash of two integers: reseeds C from (a, b) and draws from it.
// Zeros are replaced by 123 (a) and 234 (b).
std::int32_t positionHash(RandomStreams& r, std::int32_t a, std::int32_t b);

// Position hash of three integers (no stream involved). Zeros become 123, 234, 345.
std::int32_t positionHash(std::int32_t a, std::int32_t b, std::int32_t c);

// New fractal seed: all streams seeded from the tick count, then four A draws
// whose low bytes form the seed, the first draw in the top byte.
std::uint32_t newFractalSeed(RandomStreams& r, std::uint32_t tickCount);

} // namespace kalvenor
