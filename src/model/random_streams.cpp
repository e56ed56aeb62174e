#include "model/random_streams.h"

namespace kalvenor {

namespace {

// The upper half of a state as a value centred on zero.
int centred16(std::uint32_t s) { return static_cast<int>(s >> 16) - 32768; }

} // namespace

void seedAll(RandomStreams& r, std::uint32_t seed)
{
    r.a = seed;
    r.b = seed;
    r.c = seed;
}

int drawA(RandomStreams& r)
{
    r.a = lcgStep(r.a);
    return static_cast<int>((r.a >> 16) & 255u) - 128;
}

int drawB(RandomStreams& r)
{
    r.b = lcgStep(r.b);
    return centred16(r.b);
}

std::int32_t drawC(RandomStreams& r)
{
    r.c = lcgStep(r.c);
    const int first = centred16(r.c);
    r.c = lcgStep(r.c);
    const int second = centred16(r.c);
    // Formed modulo 2^32: the high half shifted up, the low half added with its sign.
    const std::uint32_t value = (static_cast<std::uint32_t>(first) << 16) + static_cast<std::uint32_t>(second);
    return static_cast<std::int32_t>(value);
}

int seedAndDrawA(RandomStreams& r, std::uint32_t seed)
{
    r.a = seed;
    return drawA(r);
}

int seedAndDrawB(RandomStreams& r, std::uint32_t seed)
{
    r.b = seed;
    return drawB(r);
}

std::int32_t seedAndDrawC(RandomStreams& r, std::uint32_t seed)
{
    r.c = seed;
    return drawC(r);
}

std::int32_t positionHash(RandomStreams& r, std::int32_t a, std::int32_t b)
{
    if (a == 0) a = 123;
    if (b == 0) b = 234;
    // The first division is unsigned, the second signed (truncating toward zero).
    const std::uint32_t left = 3987654321u / static_cast<std::uint32_t>(b);
    const std::int32_t right = 1234567890 / a;
    const std::uint32_t seed = (left ^ static_cast<std::uint32_t>(right)) * 192837465u;
    return seedAndDrawC(r, seed);
}

std::int32_t positionHash(std::int32_t a, std::int32_t b, std::int32_t c)
{
    if (a == 0) a = 123;
    if (b == 0) b = 234;
    if (c == 0) c = 345;
    // Signed divisions truncating toward zero; the sum and product wrap modulo 2^32.
    const std::uint32_t sum = static_cast<std::uint32_t>(123456789 / a) + static_cast<std::uint32_t>(987654321 / b) +
                              static_cast<std::uint32_t>(564738291 / c);
    return static_cast<std::int32_t>(sum * 192837465u);
}

std::uint32_t newFractalSeed(RandomStreams& r, std::uint32_t tickCount)
{
    seedAll(r, tickCount);
    std::uint32_t seed = 0;
    for (int i = 0; i < 4; ++i) seed = (seed << 8) | (static_cast<std::uint32_t>(drawA(r)) & 255u);
    return seed;
}

} // namespace kalvenor
