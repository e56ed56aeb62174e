// Generation and Roughen compared cell for cell with a deliberately plain
// second implementation: a flat vector of ints, its own stream, explicit
// 16- and 32-bit wraps and a floor division that does not rely on shifts.
// It is written from the algorithm's description, not from the production
// loops, so the two only agree when both follow it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "model/landscape.h"
#include "model/random_streams.h"
#include "platform/scripted_frontend.h"
#include "terrain/fractal.h"

namespace kalvenor {
namespace {

namespace ref {

long long wrap(long long v, long long bits)
{
    const long long span = 1LL << bits;
    long long m = ((v % span) + span) % span;
    return m >= span / 2 ? m - span : m;
}
int wrap16(long long v) { return static_cast<int>(wrap(v, 16)); }
int wrap32(long long v) { return static_cast<int>(wrap(v, 32)); }

long long truncDiv(long long a, long long b) { return a / b; } // C++ division truncates
long long floorDiv(long long a, long long b)
{
    long long q = a / b;
    if (a % b != 0 && ((a < 0) != (b < 0))) --q;
    return q;
}

struct Stream {
    std::uint32_t state;
    int draw()
    {
        state = static_cast<std::uint32_t>((static_cast<unsigned long long>(state) * 1103515245ULL + 12345ULL) &
                                           0xFFFFFFFFULL);
        return static_cast<int>((state >> 16) & 255) - 128;
    }
};

// D(s): one draw discarded, a, b; t = trunc(ab/64) + 32; u = trunc(st/64) to 16 bits; trunc(ru/32).
int displace(Stream& g, long long s, long long roughness)
{
    g.draw();
    const long long a = g.draw();
    const long long b = g.draw();
    const long long t = truncDiv(a * b, 64) + 32;
    const long long u = wrap16(truncDiv(wrap16(s) * t, 64));
    return static_cast<int>(truncDiv(wrap16(roughness) * u, 32));
}

struct Grid {
    int w = 0, h = 0; // sample intervals; the grid holds (w + 2) x (h + 2) cells
    std::vector<int> cells;
    int& at(int y, int x) { return cells.at(static_cast<std::size_t>(y) * (w + 2) + x); }
};

void put(Grid& g, int y, int x, long long v) { g.at(y, x) = wrap16(v); }

int neighbour(Grid& g, Stream& rng, int y, int x, int s)
{
    const int h = s / 2;
    const int pick = rng.draw() & 3;
    if (pick == 0) return g.at(y + h, x);
    if (pick == 1) return g.at(y + h, x + s);
    if (pick == 2) return g.at(y, x + h);
    return g.at(y + s, x + h);
}

struct Result {
    Grid grid;
    std::uint32_t streamA;
};

Result generate(int w, std::uint32_t seed, int roughness, int featureSize, bool island)
{
    Grid g{w, w, std::vector<int>(static_cast<std::size_t>(w + 2) * (w + 2), 0)};
    Stream rng{seed};
    const int H = w, W = w;
    const int d = 8 / featureSize;
    const int s0 = W / d;
    if (island) {
        for (int s = s0; s > 1; s /= 2) {
            const int h = s / 2;
            for (int y = 0; y < H - 1; y += s) {
                for (int x = 0; x < W - 1; x += s) {
                    if (y + s < H)
                        put(g, y + s, x + h,
                            floorDiv(g.at(y + s, x) + g.at(y + s, x + s), 2) + displace(rng, s, roughness));
                    if (x + s < W)
                        put(g, y + h, x + s,
                            floorDiv(g.at(y, x + s) + g.at(y + s, x + s), 2) + displace(rng, s, roughness));
                    g.at(y + h, x + h) = neighbour(g, rng, y, x, s);
                }
            }
        }
        return {g, rng.state};
    }
    // Edge pre-pass: corners.
    put(g, 0, 0, displace(rng, W, roughness));
    put(g, 0, W, displace(rng, W, roughness));
    put(g, H, 0, displace(rng, W, roughness));
    put(g, H, W, displace(rng, W, roughness));
    // Left column, then top row, truncating averages.
    for (int s = s0; s > 1; s /= 2) {
        const int h = s / 2;
        for (int y = 0; y < H - 1; y += s)
            put(g, y + h, 0, truncDiv(g.at(y, 0) + g.at(y + s, 0), 2) + displace(rng, s, roughness));
        for (int x = 0; x < W - 1; x += s)
            put(g, 0, x + h, truncDiv(g.at(0, x) + g.at(0, x + s), 2) + displace(rng, s, roughness));
    }
    // Coarse interpolation without randomness.
    for (int s = W; s >= s0; s /= 2) {
        const int h = s / 2;
        for (int y = 0; y < H - 1; y += s) {
            for (int x = 0; x < W - 1; x += s) {
                if (y + s <= H) put(g, y + s, x + h, floorDiv(g.at(y + s, x) + g.at(y + s, x + s), 2));
                if (x + s <= W) put(g, y + h, x + s, floorDiv(g.at(y, x + s) + g.at(y + s, x + s), 2));
                put(g, y + h, x + h,
                    floorDiv(g.at(y + h, x + s) + g.at(y + h, x) + g.at(y, x + h) + g.at(y + s, x + h), 4));
            }
        }
    }
    // Mountain pass.
    for (int s = s0; s > 1; s /= 2) {
        const int h = s / 2;
        for (int y = 0; y < H - 1; y += s) {
            for (int x = 0; x < W - 1; x += s) {
                if (y + s <= H)
                    put(g, y + s, x + h,
                        floorDiv(g.at(y + s, x) + g.at(y + s, x + s), 2) + displace(rng, s, roughness));
                if (x + s <= W)
                    put(g, y + h, x + s,
                        floorDiv(g.at(y, x + s) + g.at(y + s, x + s), 2) + displace(rng, s, roughness));
                put(g, y + h, x + h,
                    floorDiv(g.at(y + h, x) + g.at(y + h, x + s) + g.at(y, x + h) + g.at(y + s, x + h), 4) +
                        displace(rng, s, roughness));
            }
        }
    }
    return {g, rng.state};
}

// Roughen: cell by cell for F = 1 (stream A as found), else squares from 2F
// with all streams reseeded. Squares that would reach past the allocation are
// left out (they only occur on grids whose size is not a multiple of the step).
Result roughen(Grid g, std::uint32_t streamA, std::uint32_t seed, long long r0, int featureSize)
{
    if (featureSize == 1) {
        Stream rng{streamA};
        const Grid copy = g;
        auto c = [&](int y, int x) { return copy.cells.at(static_cast<std::size_t>(y) * (copy.w + 2) + x); };
        for (int y = 1; y <= g.h - 1; ++y) {
            for (int x = 1; x <= g.w - 1; ++x) {
                const int m = std::max({std::abs(c(y, x) - c(y, x - 1)), std::abs(c(y, x) - c(y, x + 1)),
                                        std::abs(c(y, x) - c(y - 1, x)), std::abs(c(y, x) - c(y + 1, x))});
                const long long rough = r0 != 0 ? truncDiv(wrap32((4LL * m + 3) * r0), 128) + truncDiv(r0, 4) : 0;
                put(g, y, x, g.at(y, x) + displace(rng, 1, rough));
            }
        }
        return {g, rng.state};
    }
    Stream rng{seed};
    for (int s = 2 * featureSize; s > 1; s /= 2) {
        const int h = s / 2;
        for (int y = 0; y < g.h - 1; y += s) {
            for (int x = 0; x < g.w - 1; x += s) {
                if (y + s > g.h + 1 || x + s > g.w + 1) continue;
                const int tl = g.at(y, x), tr = g.at(y, x + s), bl = g.at(y + s, x), br = g.at(y + s, x + s);
                const long long gsum = std::abs(tr - tl) + std::abs(bl - br) + std::abs(tl - bl) + std::abs(tr - br);
                const long long rough = r0 != 0 ? truncDiv(wrap32(truncDiv(gsum, s) * r0), 128) + truncDiv(r0, 4) : 0;
                if (y + s < g.h) put(g, y + s, x + h, floorDiv(bl + br, 2) + displace(rng, s, rough));
                if (x + s < g.w)
                    put(g, y + h, x + s, floorDiv(g.at(y, x + s) + g.at(y + s, x + s), 2) + displace(rng, s, rough));
                g.at(y + h, x + h) = neighbour(g, rng, y, x, s);
            }
        }
    }
    return {g, rng.state};
}

} // namespace ref

ref::Grid gridOf(const Landscape& land)
{
    ref::Grid g{land.sizeX, land.sizeY, {}};
    for (int y = 0; y < land.gridHeight; ++y)
        for (int x = 0; x < land.gridWidth; ++x) g.cells.push_back(land.elevation[y][x]);
    return g;
}

// Compares the whole allocation and stops at the first difference.
void expectSameGrid(const Landscape& land, const ref::Grid& expected)
{
    ASSERT_EQ(land.sizeX, expected.w);
    ASSERT_EQ(land.sizeY, expected.h);
    for (int y = 0; y < land.gridHeight; ++y)
        for (int x = 0; x < land.gridWidth; ++x) {
            const int want = expected.cells[static_cast<std::size_t>(y) * land.gridWidth + x];
            if (land.elevation[y][x] != want) {
                ADD_FAILURE() << "cell row " << y << " column " << x << ": " << land.elevation[y][x] << " != " << want;
                return;
            }
        }
}

Landscape smallPreset()
{
    Landscape land;
    RandomStreams random;
    EXPECT_EQ(resizeLandscape(land, random, kSmallGrid, kSmallGrid), 1);
    return land;
}

// Roughness 40000 and 70000 only work through their low 16 bits (-25536 and
// 4464); 40000 also drives elevations far enough to wrap.
constexpr std::int32_t kRoughnesses[] = {100, 0, -100, 1000, 40000, 70000};
constexpr std::uint32_t kSeeds[] = {0u, 6u, 12345u, 0xDEADBEEFu};
constexpr int kFeatureSizes[] = {1, 2, 4, 8};

TEST(FractalReference, GenerateMatchesCellForCell)
{
    for (const std::uint32_t seed : kSeeds)
        for (const int island : {1, 0})
            for (const int featureSize : kFeatureSizes)
                for (const std::int32_t roughness : kRoughnesses) {
                    SCOPED_TRACE(testing::Message() << "seed " << seed << " island " << island << " F " << featureSize
                                                    << " roughness " << roughness);
                    Landscape land = smallPreset();
                    RandomStreams random;
                    ScriptedFrontend ui;
                    GenerationSettings settings;
                    settings.seed = seed;
                    settings.roughness = roughness;
                    settings.featureSize = featureSize;
                    settings.islandMode = island;
                    generateLandscape(land, settings, random, ui);

                    const ref::Result want = ref::generate(256, seed, roughness, featureSize, island != 0);
                    expectSameGrid(land, want.grid);
                    // Only stream A is drawn from; all three were seeded.
                    EXPECT_EQ(random.a, want.streamA);
                    EXPECT_EQ(random.b, seed);
                    EXPECT_EQ(random.c, seed);
                }
}

// Elevations over the full 16-bit range, so that relief and roughness products overflow.
void fillWithNoise(Landscape& land, std::uint32_t seed)
{
    for (int y = 0; y < land.gridHeight; ++y)
        for (int x = 0; x < land.gridWidth; ++x) {
            seed = lcgStep(seed);
            land.elevation[y][x] = static_cast<std::int16_t>(seed >> 16);
        }
}

TEST(FractalReference, RoughenMatchesCellForCell)
{
    enum class Start { Generated, Flatland, Noise };
    for (const Start start : {Start::Generated, Start::Flatland, Start::Noise})
        for (const int featureSize : kFeatureSizes)
            for (const std::int32_t roughness : {100, 0, -100, 40000, 3000000}) {
                SCOPED_TRACE(testing::Message() << "start " << static_cast<int>(start) << " F " << featureSize
                                                << " roughness " << roughness);
                Landscape land = smallPreset();
                RandomStreams random;
                ScriptedFrontend ui;
                GenerationSettings settings;
                settings.seed = 33;
                settings.islandMode = 0;
                settings.roughness = 300;
                if (start == Start::Generated) generateLandscape(land, settings, random, ui);
                if (start == Start::Noise) fillWithNoise(land, 99);
                settings.seed = 4242;
                settings.roughness = roughness;
                settings.featureSize = featureSize;
                random.a = 0x1234567u; // the cell-by-cell pass continues from whatever A holds

                const ref::Result want = ref::roughen(gridOf(land), random.a, settings.seed, roughness, featureSize);
                roughenLandscape(land, settings, random, ui);
                expectSameGrid(land, want.grid);
                EXPECT_EQ(random.a, want.streamA);
            }
}

TEST(FractalReference, RoughenOnGridsThatAreNotMultiplesOfTheStep)
{
    // 300 x 200 cells: W = 298, H = 198, so squares of 16 overhang the last rows
    // and columns; 17 x 17 cells: a square of 16 reaches exactly the spare column.
    struct Size {
        int width, height;
    };
    for (const Size size : {Size{300, 200}, Size{17, 17}, Size{259, 261}})
        for (const int featureSize : kFeatureSizes) {
            SCOPED_TRACE(testing::Message() << size.width << "x" << size.height << " F " << featureSize);
            Landscape land;
            ASSERT_EQ(allocateGrid(land, size.width, size.height), 1);
            fillWithNoise(land, 7);
            RandomStreams random;
            ScriptedFrontend ui;
            GenerationSettings settings;
            settings.seed = 5;
            settings.roughness = 100;
            settings.featureSize = featureSize;
            const ref::Result want = ref::roughen(gridOf(land), random.a, settings.seed, 100, featureSize);
            roughenLandscape(land, settings, random, ui);
            expectSameGrid(land, want.grid);
        }
}

} // namespace
} // namespace kalvenor
