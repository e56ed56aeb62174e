#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>

#include "model/random_streams.h"

namespace kalvenor {
namespace {

// Worked by hand from s' = s * 1103515245 + 12345 (mod 2^32).
//
// Seed 1:
//   s1 = 1 * 1103515245 + 12345 = 1103527590 = 0x41C67EA6, s1 >> 16 = 0x41C6 = 16838
//   A = (0xC6 = 198) - 128 = 70;  B = 16838 - 32768 = -15930
//   s2 = 1103527590 * 1103515245 + 12345 = 1217759518843121895
//      = 2524885223 (mod 2^32) = 0x967EB0E7, s2 >> 16 = 0x967E = 38526
//   C = (16838 - 32768) << 16 + (38526 - 32768) = -15930 * 65536 + 5758 = -1043982722
// Seed 12345:
//   s1 = 12345 * 1103515245 + 12345 = 12345 * 1103515246 = 13622895711870
//      = 13622895711870 - 3171 * 2^32 = 3554416254 = 0xD3DC167E, s1 >> 16 = 0xD3DC = 54236
//   A = (0xDC = 220) - 128 = 92;  B = 54236 - 32768 = 21468
//   s2 = 3554416254 * 1103515245 + 12345 = 3922352523364804575
//      = 2802067423 (mod 2^32) = 0xA70427DF, s2 >> 16 = 0xA704 = 42756
//   C = (54236 - 32768) << 16 + (42756 - 32768) = 21468 * 65536 + 9988 = 1406936836
struct FirstDraws {
    std::uint32_t seed;
    int a;
    int b;
    std::int32_t c;
};

constexpr FirstDraws kFirstDraws[] = {
    {1, 70, -15930, -1043982722},
    {12345, 92, 21468, 1406936836},
    // Seed 0: s1 = 12345, s1 >> 16 = 0: A = -128, B = -32768, the bottom of both ranges.
    // s2 = 3554416254 (as s1 of seed 12345 above), >> 16 = 54236: C = -32768 * 65536 + 21468.
    {0, -128, -32768, -2147462180},
};

TEST(RandomStreams, FirstDrawsFromASeedMatchTheGeneratorWorkedByHand)
{
    for (const FirstDraws& t : kFirstDraws) {
        SCOPED_TRACE(t.seed);
        RandomStreams r;
        seedAll(r, t.seed);
        EXPECT_EQ(drawA(r), t.a);
        EXPECT_EQ(drawB(r), t.b);
        EXPECT_EQ(drawC(r), t.c);

        // Seed-and-draw does the same on one stream and leaves the others alone.
        RandomStreams s;
        seedAll(s, 777);
        EXPECT_EQ(seedAndDrawA(s, t.seed), t.a);
        EXPECT_EQ(seedAndDrawB(s, t.seed), t.b);
        EXPECT_EQ(seedAndDrawC(s, t.seed), t.c);
    }
}

TEST(RandomStreams, StreamsAreIndependent)
{
    RandomStreams r;
    seedAll(r, 1);
    drawB(r);
    drawC(r);
    drawC(r);
    EXPECT_EQ(drawA(r), 70); // A still at its first draw
}

TEST(RandomStreams, DrawsStayInTheirRangesAndReachBothEnds)
{
    RandomStreams r;
    seedAll(r, 20240601);
    int minA = 1000, maxA = -1000, minB = 100000, maxB = -100000;
    for (int i = 0; i < 2000000; ++i) {
        const int a = drawA(r);
        const int b = drawB(r);
        ASSERT_GE(a, -128);
        ASSERT_LE(a, 127);
        ASSERT_GE(b, -32768);
        ASSERT_LE(b, 32767);
        minA = std::min(minA, a);
        maxA = std::max(maxA, a);
        minB = std::min(minB, b);
        maxB = std::max(maxB, b);
    }
    EXPECT_EQ(minA, -128);
    EXPECT_EQ(maxA, 127);
    EXPECT_EQ(minB, -32768);
    EXPECT_EQ(maxB, 32767);
}

// Two-integer hash: seed C with ((3987654321 / b) ^ (1234567890 / a)) * 192837465.
//   (123, 234): 3987654321 / 234 = 17041257, 1234567890 / 123 = 10037137,
//               17041257 ^ 10037137 = 27074808, * 192837465 = 2080620088 (mod 2^32)
//               then C from 2080620088: s1 >> 16 = 18653, s2 >> 16 = 49474,
//               (18653 - 32768) * 65536 + (49474 - 32768) = -925023934
//   (5, 7):     3987654321 / 7 = 569664903, 1234567890 / 5 = 246913578,
//               xor = 792985517, * 192837465 = 1352879653 (mod 2^32)
//               s1 >> 16 = 60661, s2 >> 16 = 41283: 27893 * 65536 + 8515 = 1828004163
//   (-1, -1):   b as unsigned is 4294967295, so 3987654321 / b = 0;
//               1234567890 / -1 = -1234567890 = 3060399406 as unsigned; xor = 3060399406,
//               * 192837465 = 1177380606 (mod 2^32); s1 >> 16 = 56618, s2 >> 16 = 38188:
//               23850 * 65536 + 5420 = 1563039020
struct Hash2Case {
    std::int32_t a, b;
    std::int32_t expected;
};

constexpr Hash2Case kHash2[] = {
    {123, 234, -925023934},
    {0, 0, -925023934},   // zeros become 123 and 234
    {0, 234, -925023934}, // each zero on its own
    {123, 0, -925023934},
    {5, 7, 1828004163},
    {-1, -1, 1563039020},
};

TEST(RandomStreams, TwoIntegerPositionHash)
{
    for (const Hash2Case& t : kHash2) {
        SCOPED_TRACE(::testing::Message() << t.a << ", " << t.b);
        RandomStreams r;
        EXPECT_EQ(positionHash(r, t.a, t.b), t.expected);
    }
    // The hash reseeds C, so whatever C held before does not matter.
    RandomStreams r;
    seedAll(r, 99);
    drawC(r);
    EXPECT_EQ(positionHash(r, 5, 7), 1828004163);
}

// Three-integer hash: (123456789 / a + 987654321 / b + 564738291 / c) * 192837465.
//   zeros -> (123, 234, 345): 1003713 + 4220744 + 1636922 = 6861379, * 192837465 = 1832721995 (mod 2^32)
//   (-7, 2, -3): 123456789 / -7 = -17636684 (truncated; flooring would give -17636685),
//                987654321 / 2 = 493827160, 564738291 / -3 = -188246097,
//                sum 287944379, * 192837465 = 1623239683 (mod 2^32)
TEST(RandomStreams, ThreeIntegerPositionHash)
{
    EXPECT_EQ(positionHash(0, 0, 0), 1832721995);
    EXPECT_EQ(positionHash(123, 234, 345), 1832721995);
    EXPECT_EQ(positionHash(-7, 2, -3), 1623239683);
    // The extremes must not trap: INT_MIN divides without overflow.
    const std::int32_t lowest = std::numeric_limits<std::int32_t>::min();
    EXPECT_EQ(positionHash(lowest, lowest, lowest), 0); // every quotient is 0
}

// Tick count 1: the A draws are 70 (0x46), -2 (0xFE), 1 (0x01), -21 (0xEB):
//   s: 0x41C67EA6 -> 0xC6 - 128 = 70; 0x967EB0E7 -> 0x7E - 128 = -2;
//      0x2781E494 -> 0x81 - 128 = 1;  0xC46B9B3D -> 0x6B - 128 = -21.
// Low bytes, first in the top byte: 0x46FE01EB.
TEST(RandomStreams, NewFractalSeedPutsTheFirstDrawInTheTopByte)
{
    RandomStreams r;
    EXPECT_EQ(newFractalSeed(r, 1), 0x46FE01EBu);
    // All three streams were seeded from the tick count.
    EXPECT_EQ(drawB(r), -15930);
    EXPECT_EQ(drawC(r), -1043982722);
}

// Skipping n steps lands where n single steps do: from 1, one step is
// 1103515245 + 12345 = 0x41C67EA6 (as above), and the stream wraps mod 2^32.
TEST(RandomStreams, SkippingStepsLandsWhereSteppingDoes)
{
    static_assert(lcgSkip(1, 0) == 1 && lcgSkip(1, 1) == 0x41C67EA6u);
    for (const std::uint32_t start : {1u, 0u, 0xDEADBEEFu, 0xFFFFFFFFu}) {
        std::uint32_t s = start;
        for (std::uint64_t n = 0; n <= 1100; ++n) {
            ASSERT_EQ(lcgSkip(start, n), s) << start << " " << n;
            s = lcgStep(s);
        }
    }
    // The period is 2^32: a whole turn (and whole turns more) comes back.
    EXPECT_EQ(lcgSkip(12345, std::uint64_t{1} << 32), 12345u);
    EXPECT_EQ(lcgSkip(12345, (std::uint64_t{3} << 32) + 5), lcgSkip(12345, 5));
}

} // namespace
} // namespace kalvenor
