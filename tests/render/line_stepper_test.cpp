#include <gtest/gtest.h>

#include <vector>

#include "render/line_stepper.h"

namespace kalvenor {
namespace {

std::vector<std::int64_t> walk(std::int64_t a, std::int64_t b, std::int64_t n)
{
    LineStepper s(a, b, n);
    std::vector<std::int64_t> values{s.value};
    for (std::int64_t i = 0; i < std::max<std::int64_t>(n, 1); ++i) {
        s.next();
        values.push_back(s.value);
    }
    return values;
}

// Worked by hand from step = |b - a| / n x sign, frac = |b - a| % n,
// err = (n + 1) / 2, carry when err > n.
TEST(LineStepper, SequencesWorkedByHand)
{
    struct Case {
        std::int64_t a, b, n;
        std::vector<std::int64_t> values;
    };
    const Case cases[] = {
        {0, 10, 4, {0, 2, 5, 7, 10}},   // step 2, frac 2, err 2: carries on steps 2 and 4
        {10, 0, 4, {10, 8, 5, 3, 0}},   // the same going down
        {0, 3, 5, {0, 1, 1, 2, 2, 3}},  // step 0, frac 3, err 3: err 5 does not carry
        {-3, 4, 2, {-3, 0, 4}},         // step 3, frac 1, err 1
        {5, 5, 0, {5, 5}},              // ends coincide: one step of nothing
        {7, -2, 1, {7, -2}},
        {0, 65280, 3, {0, 21760, 43520, 65280}},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(::testing::Message() << t.a << " -> " << t.b << " in " << t.n);
        EXPECT_EQ(walk(t.a, t.b, t.n), t.values);
    }
}

// advance(k) is k single steps at once, from any point of the walk.
TEST(LineStepper, AdvanceEqualsRepeatedSteps)
{
    const std::int64_t ends[][3] = {{0, 10, 4}, {100, -37, 13}, {-32768, 32767, 65535}, {5, 6, 1000}, {0, 0, 7}};
    for (const auto& e : ends) {
        for (std::int64_t first = 0; first <= 3; ++first) {
            for (std::int64_t k : {0, 1, 2, 5, 12}) {
                if (first + k > e[2]) continue;
                LineStepper stepped(e[0], e[1], e[2]);
                LineStepper jumped(e[0], e[1], e[2]);
                for (std::int64_t i = 0; i < first; ++i) stepped.next(), jumped.next();
                for (std::int64_t i = 0; i < k; ++i) stepped.next();
                jumped.advance(k);
                EXPECT_EQ(jumped.value, stepped.value) << e[0] << " " << e[1] << " " << e[2] << " k " << k;
                EXPECT_EQ(jumped.err, stepped.err);
            }
        }
    }
}

} // namespace
} // namespace kalvenor
