// The displacement helpers against values worked out by hand from the stream
// definition: state' = state * 1103515245 + 12345 (mod 2^32), an 8-bit draw is
// ((state' >> 16) & 255) - 128.
//
// Seed 0: states 0x00003039, 0xD3DC167E, 0xA70427DF -> draws -128, 92, -124.
//   a * b = 92 * -124 = -11408; trunc(-11408 / 64) = -178, floor = -179.
// Seed 8: states 0x0E32A3A1, 0xE8F0E9C6, 0xAAF20D87 -> draws -78, 112, 114.
//   a * b = 112 * 114 = 12768; 12768 / 64 = 199.5, trunc = floor = 199.
#include <gtest/gtest.h>

#include <cstdint>

#include "model/random_streams.h"
#include "terrain/displacement.h"

namespace kalvenor {
namespace {

constexpr std::uint32_t advance(std::uint32_t state, int draws)
{
    for (int i = 0; i < draws; ++i) state = lcgStep(state);
    return state;
}

struct StepCase {
    std::uint32_t seed;
    int step;
    std::int32_t scale; // roughness or boundary scale
    int expected;
};

TEST(FractalDisplacement, MatchesHandWorkedValues)
{
    // Seed 0: t = -178 + 32 = -146.   Seed 8: t = 199 + 32 = 231.
    static constexpr StepCase cases[] = {
        // u = trunc(256 * -146 / 64) = -584; trunc(100 * -584 / 32) = -1825
        {0, 256, 100, -1825},
        // u = trunc(-730 / 64) = -11 (floor would be -12); trunc(-1100 / 32) = -34 (floor -35)
        {0, 5, 100, -34},
        // negative step and negative roughness: u = trunc(730 / 64) = 11; trunc(-1100 / 32) = -34
        {0, -5, -100, -34},
        // negative step: u = -231; trunc(-23100 / 32) = -721 (floor -722)
        {8, -64, 100, -721},
        // negative roughness: u = 231; trunc(-23100 / 32) = -721
        {8, 64, -100, -721},
        // u = trunc(693 / 64) = 10; trunc(1000 / 32) = 31
        {8, 3, 100, 31},
        // roughness 40000 is read as its low 16 bits, -25536: -255360 / 32 = -7980
        {8, 3, 40000, -7980},
        // roughness 65636 = 65536 + 100 reads as 100
        {8, 3, 65636, 31},
        // u = trunc(2310000 / 64) = 36093, kept to 16 bits: -29443; trunc(-2944300 / 32) = -92009
        {8, 10000, 100, -92009},
        // u = trunc(256 * 231 / 64) = 924; trunc(92400 / 32) = 2887
        {8, 256, 100, 2887},
        // step 65792 = 65536 + 256 reads as 256
        {8, 65792, 100, 2887},
        // roughness 0: nothing moves
        {8, 256, 0, 0},
    };
    for (const StepCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "seed " << c.seed << " step " << c.step << " roughness " << c.scale);
        RandomStreams random;
        seedAll(random, c.seed);
        EXPECT_EQ(fractalDisplacement(random, c.step, c.scale), c.expected);
        // Exactly three draws of A (one discarded); B and C untouched.
        EXPECT_EQ(random.a, advance(c.seed, 3));
        EXPECT_EQ(random.b, c.seed);
        EXPECT_EQ(random.c, c.seed);
    }
}

TEST(BoundaryDisplacement, FloorsEveryDivision)
{
    // Seed 0: t = (-11408 >> 6) + 32 = -179 + 32 = -147.   Seed 8: t = 231.
    static constexpr StepCase cases[] = {
        // u = -735 >> 6 = -12; (100 * -12) >> 5 = -1200 >> 5 = -38 (the fractal one gives -34)
        {0, 5, 100, -38},
        // u = 735 >> 6 = 11; 1100 >> 5 = 34
        {0, -5, 100, 34},
        // scale 40000 reads as -25536: (-25536 * -12) >> 5 = 306432 >> 5 = 9576
        {0, 5, 40000, 9576},
        // u = 2310000 >> 6 = 36093 kept to 16 bits: -29443; -2944300 >> 5 = -92010
        {8, 10000, 100, -92010},
        // u = 924; 92400 >> 5 = 2887
        {8, 256, 100, 2887},
    };
    for (const StepCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "seed " << c.seed << " step " << c.step << " scale " << c.scale);
        RandomStreams random;
        seedAll(random, c.seed);
        EXPECT_EQ(boundaryDisplacement(random, c.step, c.scale), c.expected);
        EXPECT_EQ(random.a, advance(c.seed, 3));
    }
}

TEST(PlainDisplacement, FloorsAndWrapsAt32Bits)
{
    struct Case {
        std::uint32_t seed;
        int value;
        int expected;
    };
    static constexpr Case cases[] = {
        // factor (-11408 >> 6) + 32 = -147; -147 * 5 = -735; -735 >> 6 = -12
        {0, 5, -12},
        // -147 * -1000 = 147000; 147000 >> 6 = 2296
        {0, -1000, 2296},
        // factor 231; 231000 >> 6 = 3609
        {8, 1000, 3609},
        // 231 * 2^30 wraps to -2^30 in 32 bits; -2^30 >> 6 = -2^24
        {8, 1 << 30, -(1 << 24)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "seed " << c.seed << " value " << c.value);
        RandomStreams random;
        seedAll(random, c.seed);
        EXPECT_EQ(plainDisplacement(random, c.value), c.expected);
        EXPECT_EQ(random.a, advance(c.seed, 3));
    }
}

TEST(PositionalDisplacement, ReseedsStreamAFromThePositionHash)
{
    // (5, 7): 3987654321 / 7 = 569664903 (unsigned), 1234567890 / 5 = 246913578,
    //   XOR = 0x2F43FFAD, times 192837465 = 0x50A34E25 seeds C.
    //   C steps to 0xECF5BBFA and 0xA14365AB: halves 0xECF5 - 32768 = 27893 and
    //   0xA143 - 32768 = 8515; (27893 << 16) + 8515 = 0x6CF52143 becomes A.
    //   A steps to 0xD153C3C0 (draw 0x53 - 128 = -45) and 0xCCCF08F9 (draw 0xCF - 128 = 79),
    //   none discarded.
    //   (-45 * 79) >> 6 = -3555 >> 6 = -56; + 32 = -24; -24 * 1000 >> 6 = -375.
    // (0, 0) counts as (123, 234): 3987654321 / 234 = 17041257, 1234567890 / 123 =
    //   10037137, XOR 0x019D20F8, seed 0x7C03BE38; C: 0x48DD3E11, 0xC142CB76 ->
    //   -14115 and 16706 -> A = 0xC8DD4142; A: 0x2B231553 (-93), 0x9FA18E90 (33);
    //   (-3069 >> 6) + 32 = -48 + 32 = -16; -16000 >> 6 = -250.
    // (-3, 9): 3987654321 / 9 = 443072702, 1234567890 / -3 = -411522630 (truncated),
    //   XOR 0xFD106904, seed 0x777D5E64; C: 0x787BD8CD, 0xC457F582 -> -1925, 17495
    //   -> A = 0xF87B4457; A: 0x4D98CB44 (24), 0x1295742D (21);
    //   (504 >> 6) + 32 = 39; 39 * -500 = -19500; -19500 >> 6 = -305 (trunc would be -304).
    struct Case {
        std::int32_t a, b;
        int value;
        int expected;
        std::uint32_t finalA;
        std::uint32_t finalC;
    };
    static constexpr Case cases[] = {
        {5, 7, 1000, -375, 0xCCCF08F9u, 0xA14365ABu},
        {0, 0, 1000, -250, 0x9FA18E90u, 0xC142CB76u},
        {123, 234, 1000, -250, 0x9FA18E90u, 0xC142CB76u},
        {-3, 9, -500, -305, 0x1295742Du, 0xC457F582u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "position " << c.a << ", " << c.b);
        // The earlier state of the streams must not matter.
        for (std::uint32_t before : {0u, 1u, 0xDEADBEEFu}) {
            RandomStreams random;
            seedAll(random, before);
            EXPECT_EQ(positionalDisplacement(random, c.a, c.b, c.value), c.expected);
            EXPECT_EQ(random.a, c.finalA);
            EXPECT_EQ(random.c, c.finalC);
            EXPECT_EQ(random.b, before);
        }
    }
}

} // namespace
} // namespace kalvenor
