// The integer interpolator behind every edge and span: x along an edge and
// each colour, alpha, class and texture value along edges and spans. It is
// exact: after n steps the value is b, and the same inputs always give the
// same sequence, so a render is repeatable to the bit.
#pragma once

#include <cstdint>

namespace kalvenor {

// From a to b in n steps (n below 1 counts as 1): step = (|b - a| / n) x sign,
// frac = |b - a| % n, err starts at (n + 1) / 2. Each step adds step and frac;
// when err passes n it wraps and the value moves one more unit toward b.
// Values are 64-bit so that texture coordinates far apart cannot overflow.
struct LineStepper {
    std::int64_t value = 0;
    std::int64_t step = 0;
    std::int64_t frac = 0;
    std::int64_t err = 0;
    std::int64_t n = 1;
    std::int64_t sign = 1;

    LineStepper() = default;
    LineStepper(std::int64_t a, std::int64_t b, std::int64_t steps) { start(a, b, steps); }

    void start(std::int64_t a, std::int64_t b, std::int64_t steps)
    {
        n = steps < 1 ? 1 : steps;
        sign = b >= a ? 1 : -1;
        const std::int64_t span = b >= a ? b - a : a - b;
        if (span <= UINT32_MAX && n <= UINT32_MAX) { // the usual case, where a 32-bit divide is much quicker
            const auto s32 = static_cast<std::uint32_t>(span), n32 = static_cast<std::uint32_t>(n);
            step = static_cast<std::int64_t>(s32 / n32) * sign;
            frac = s32 % n32;
        } else {
            step = (span / n) * sign;
            frac = span % n;
        }
        err = (n + 1) / 2;
        value = a;
    }

    void next()
    {
        value += step;
        err += frac;
        if (err > n) {
            err -= n;
            value += sign;
        }
    }

    // The same as calling next() k times (k >= 0). err stays within 1..n after
    // every step, so the carries of k steps are (err + k x frac - 1) / n.
    void advance(std::int64_t k)
    {
        if (k <= 0) return;
        const std::int64_t total = err + k * frac;
        const std::int64_t carries = (total - 1) / n;
        value += step * k + sign * carries;
        err = total - carries * n;
    }
};

} // namespace kalvenor
