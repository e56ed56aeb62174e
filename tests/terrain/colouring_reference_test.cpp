// A second, deliberately plain implementation of the colour pass, tree
// placement, cliff pass and shade pass, written step by step from the
// description of the passes with its own random streams, its own grids and no
// shortcuts (every point's valley value, both triangle angles, a ray marched
// one step at a time). Whole terrain and shadow maps of generated landscapes
// must come out identical.
//
// Floating-point choices shared with the program, because the description
// leaves them open: the light vector is stored as floats, all other
// floating-point work is done in double.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "base/worker_pool.h"
#include "model/landscape.h"
#include "platform/scripted_frontend.h"
#include "terrain/colouring_state.h"
#include "terrain/fractal.h"
#include "terrain/shading.h"
#include "terrain/terrain_preparation.h"

namespace kalvenor {
namespace {

// ---- random streams, from their definition ----
struct Streams {
    std::uint32_t a = 1, c = 1;
    void seed(std::uint32_t s) { a = c = s; }
    static std::uint32_t next(std::uint32_t s) { return s * 1103515245u + 12345u; }
    int draw8()
    {
        a = next(a);
        return static_cast<int>((a >> 16) & 255u) - 128;
    }
    std::int32_t draw32()
    {
        c = next(c);
        const std::int64_t hi = static_cast<std::int64_t>(c >> 16) - 32768;
        c = next(c);
        const std::int64_t lo = static_cast<std::int64_t>(c >> 16) - 32768;
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(hi * 65536 + lo));
    }
    std::int32_t positionalSeed(std::int32_t x, std::int32_t y)
    {
        if (x == 0) x = 123;
        if (y == 0) y = 234;
        const std::uint32_t left = 3987654321u / static_cast<std::uint32_t>(y);
        const std::uint32_t right = static_cast<std::uint32_t>(1234567890 / x);
        c = (left ^ right) * 192837465u;
        return draw32();
    }
};

int s16(std::int64_t v) { return static_cast<std::int16_t>(v); }

int boundary(Streams& r, int step, int scale)
{
    r.draw8();
    const int a = r.draw8(), b = r.draw8();
    const int t = s16((s16(a * b) >> 6) + 32);
    const int u = s16((s16(step) * t) >> 6);
    return (s16(scale) * u) >> 5;
}

int plain(Streams& r, int v)
{
    r.draw8();
    const int a = r.draw8(), b = r.draw8();
    return static_cast<int>(static_cast<std::int32_t>(static_cast<std::int64_t>(((a * b) >> 6) + 32) * v)) >> 6;
}

// ---- the grids, copied out of the landscape ----
struct Grid {
    int w = 0, h = 0, gw = 0, gh = 0; // sizeX, sizeY, gridWidth, gridHeight
    double sx = 30, sy = 30;
    long lo = 0, hi = 0;
    std::vector<std::vector<int>> e, t, s;
};

Grid copyOf(const Landscape& land)
{
    Grid g;
    g.w = land.sizeX;
    g.h = land.sizeY;
    g.gw = land.gridWidth;
    g.gh = land.gridHeight;
    g.sx = land.spacingX;
    g.sy = land.spacingY;
    g.lo = land.lowestElevation;
    g.hi = land.highestElevation;
    g.e.assign(g.gh, std::vector<int>(g.gw));
    g.t.assign(g.gh, std::vector<int>(g.gw));
    g.s.assign(g.gh, std::vector<int>(g.gw));
    for (int y = 0; y < g.gh; ++y)
        for (int x = 0; x < g.gw; ++x) {
            g.e[y][x] = land.elevation[y][x];
            g.t[y][x] = land.terrain[y][x];
            g.s[y][x] = land.shadow[y][x];
        }
    return g;
}

long divz(long n, long d) { return n / (d == 0 ? 1 : d); }
int band(int first, long k) { return k < 1 ? first : k < 2 ? first + 1 : k < 3 ? first + 2 : first + 3; }

long valley(const Grid& g, const TerrainColourSettings& c, int x, int y)
{
    if (!c.valleys) return 0;
    const long rx = static_cast<long>(c.valleyWidth / g.sx), ry = static_cast<long>(c.valleyWidth / g.sy);
    const int x0 = static_cast<int>(std::max(x - rx, 0L)), x1 = static_cast<int>(std::min(x + rx, static_cast<long>(g.w)));
    const int y0 = static_cast<int>(std::max(y - ry, 0L)), y1 = static_cast<int>(std::min(y + ry, static_cast<long>(g.h)));
    const int cc = g.e[y][x];
    const long sum = (cc - g.e[y][x1]) + (cc - g.e[y][x0]) + (cc - g.e[y1][x]) + (cc - g.e[y0][x]) +
                     (cc - g.e[y0][x0]) + (cc - g.e[y0][x1]) + (cc - g.e[y1][x0]) + (cc - g.e[y1][x1]);
    const long v = static_cast<long>((g.sx + g.sy) * sum / c.valleyWidth);
    return ((v * (g.hi - g.lo) / 128) * c.valleyStrength) >> 11;
}

void placeTreesReference(Grid& g, const TreeSettings& trees, Streams& r, int step)
{
    const auto obj = [&](int y, int x) { return g.t[y][x] >> 8; };
    const auto setObj = [&](int y, int x, int o) { g.t[y][x] = (g.t[y][x] & 255) | (o << 8); };
    for (int y = 0; y < g.h; y += step)
        for (int x = 0; x < g.w; x += step)
            if ((g.t[y][x] & 255) >= 51 && (g.t[y][x] & 255) <= 55 && obj(y, x) >= 34 && obj(y, x) <= 37) setObj(y, x, 0);
    for (int y = 0; y < g.h; y += step)
        for (int x = 0; x < g.w; x += step)
            if (obj(y, x) >= 34 && obj(y, x) <= 37) setObj(y, x, 0);
    int slots[4][4];
    for (int b = 0; b < 4; ++b) {
        std::vector<int> kinds;
        for (int f : {1, 2, 4, 8})
            if (trees.kindMask[b] & f) kinds.push_back(f);
        const int n = static_cast<int>(kinds.size());
        for (int i = 0; i < 4; ++i)
            slots[b][i] = n == 0 ? 0 : n == 1 ? kinds[0] : n == 2 ? kinds[i / 2] : n == 3 ? kinds[std::min(i, 2)] : kinds[i];
    }
    for (int y = 0; y < g.h; y += step)
        for (int x = 0; x < g.w; x += step) {
            const int v[4] = {g.e[y][x], g.e[y][x + step], g.e[y + step][x], g.e[y + step][x + step]};
            const int relief = (*std::max_element(v, v + 4) - *std::min_element(v, v + 4)) / step;
            const int code = g.t[y][x] & 255;
            if (code < 56 || code > 59 || obj(y, x) != 0) continue;
            const int rnd = r.draw8();
            if (rnd + 128 < trees.density[code - 56] && relief < g.sx) {
                const int slot = std::abs(r.draw8()) & 3;
                const int flag = slots[code - 56][slot];
                const int o = flag == 1 ? 34 : flag == 2 ? 35 : flag == 4 ? 36 : flag == 8 ? 37 : 0;
                if (o != 0) setObj(y, x, o);
            }
        }
}

void colourReference(Grid& g, const TerrainColourSettings& c, const TreeSettings& trees, std::uint32_t seed, int step)
{
    Streams r;
    r.seed(seed);
    const int wr = g.w / step * step, hr = g.h / step * step;
    for (int y = 0; y <= hr; y += step)
        for (int x = 0; x <= wr; x += step) {
            const long v = valley(g, c, x, y);
            const int code = g.t[y][x] & 255;
            if ((code >= 50 && code <= 55) || (code >= 88 && code <= 91)) continue;
            const long e = g.e[y][x] + boundary(r, static_cast<int>((g.hi - g.lo) >> 7), c.dither);
            int out;
            if (e - v > c.snowLine) out = band(42, 3 - divz(4 * (g.hi - (e - v)), g.hi - c.snowLine));
            else if (e + v < c.treeLine) out = band(56, divz(4 * (e + v - g.lo), c.treeLine - g.lo));
            else out = band(38, divz(4 * (e + v - c.treeLine), c.snowLine - c.treeLine));
            g.t[y][x] = (g.t[y][x] & 0xFF00) | out;
        }
    placeTreesReference(g, trees, r, step);
}

int triangleSlope(double a, double b, double d1, double d2)
{
    // (a, 0, d1) x (0, b, d2)
    const double n[3] = {0 * d2 - d1 * b, d1 * 0 - a * d2, a * b - 0 * 0};
    const double len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    return static_cast<int>(std::acos(std::fabs(n[2] / len)) * 57.29577951308232);
}

void cliffReference(Grid& g, const TerrainColourSettings& c, std::uint32_t seed, int step)
{
    if (!c.cliffs) return;
    Streams table;
    table.seed(1324354);
    int strata[256];
    for (int i = 0; i < 256;) {
        const int n = std::abs(table.draw8()) % 6;
        const int code = 46 + (table.draw8() & 3);
        for (int j = i; j < i + n && j < 256; ++j) strata[j] = code;
        i += n;
    }
    Streams r;
    r.seed(seed);
    const int t = c.cliffThreshold, w = std::max(1, (67 - t) / 3);
    const int wr = g.w / step * step, hr = g.h / step * step;
    for (int y = 0; y < hr; y += step)
        for (int x = 0; x < wr; x += step) {
            const int code = g.t[y][x] & 255;
            if (code >= 51 && code <= 55) continue;
            const auto& r0 = g.e[y];
            const auto& r1 = g.e[y + step];
            const double a = step * g.sx, b = step * g.sy;
            const int slope = std::max(triangleSlope(a, b, r1[x + step] - r1[x], r1[x] - r0[x]),
                                       triangleSlope(a, b, r0[x + step] - r0[x], r1[x + step] - r0[x + step]));
            if (slope <= t) continue;
            int out;
            if (c.cliffMode == 2) {
                const std::int32_t p = r.positionalSeed(x, y);
                const long jitter = static_cast<long>(c.strataWarp) * (p & 255) / 1024;
                const long k = static_cast<long>(((x * g.sx) * c.strataTilt[0] + (y * g.sy) * c.strataTilt[1] +
                                                  g.e[y][x] * static_cast<double>(c.strataTilt[2]) + jitter) *
                                                 4 / c.strataThickness);
                out = strata[k & 255];
            } else {
                out = slope > t + 3 * w ? 49 : slope > t + 2 * w ? 48 : slope > t + w ? 47 : 46;
            }
            g.t[y][x] = (g.t[y][x] & 0xFF00) | out;
        }
}

int brightness(double n0, double n1, double n2, const float l[3], const LightingSettings& lit, bool inShadow)
{
    if (lit.contrast == 0) return 255;
    double len = std::sqrt(n0 * n0 + n1 * n1 + n2 * n2);
    if (len == 0) len = 1;
    n0 /= len, n1 /= len, n2 /= len;
    double d;
    if (inShadow) {
        d = n2 * 0.1f;
    } else {
        d = n0 * l[0] + n1 * l[1] + n2 * l[2];
        if (d < 0) d = 0;
        if (lit.exaggeration) d = 1 - std::acos(d) * 0.6366182836771072;
    }
    return std::clamp(static_cast<int>(d * 256), 0, 255);
}

void shadeReference(Grid& g, const LightingSettings& lit, std::uint32_t seed, int step, int& lightLevel)
{
    const double az = lit.sunAzimuth * 0.017453292519943295, de = lit.sunDeclination * 0.017453292519943295;
    const float l[3] = {static_cast<float>(-std::sin(az) * std::cos(de)), static_cast<float>(std::cos(az) * std::cos(de)),
                        static_cast<float>(std::sin(de))};
    double dx, dy, dz;
    if (std::fabs(l[1]) > std::fabs(l[0])) {
        dy = l[1] > 0 ? 1 : -1;
        dx = l[0] * g.sy / (std::fabs(l[1]) * g.sx);
        dz = l[2] * g.sy / std::fabs(l[1]);
    } else {
        dx = l[0] >= 0 ? 1 : -1;
        dy = l[1] * g.sx / (std::fabs(l[0]) * g.sy);
        dz = l[2] * g.sx / std::fabs(l[0]);
    }
    dx *= step, dy *= step, dz *= step;
    const long idx = static_cast<long>(1024 * dx), idy = static_cast<long>(1024 * dy), idz = static_cast<long>(1024 * dz);
    const auto shadowTest = [&](int row, int col) {
        if (lit.sunDeclination >= 85) return 0;
        long x = col * 1024L + idx, y = row * 1024L + idy, z = static_cast<long>((g.e[row][col] + dz / 2) * 1024);
        for (;;) {
            z += idz;
            if (x < 0 || y < 0 || x > g.w * 1024L || y > g.h * 1024L || z >= g.hi * 1024) return 0;
            if (g.e[y / 1024][x / 1024] > z / 1024) return 1;
            x += idx, y += idy;
        }
    };
    Streams r;
    r.seed(seed);
    for (int y = 0; y < g.h; y += step) {
        const auto& up = g.e[y + step < g.gh ? y + step : y];
        const auto& down = g.e[y - step >= 0 ? y - step : y];
        for (int x = 0; x < g.w; x += step) {
            const int shadowed = lit.shadows ? shadowTest(y, x) : 0;
            const int dzdx = x - step >= 0 ? (g.e[y][x + step] - g.e[y][x - step]) / (2 * step)
                                           : (g.e[y][x + step] - g.e[y][x]) / step;
            const int dzdy = (up[x] - down[x]) / (2 * step);
            const double s = static_cast<int>(2 * g.sx);
            // a = (s, 0, dzdx), b = (0, s, dzdy): a x b = (-dzdx s, -s dzdy, s s)
            int v = brightness(0 * dzdy - dzdx * s, dzdx * 0 - s * dzdy, s * s - 0, l, lit, shadowed);
            if (lit.lightingRoughness != 0) v += plain(r, lit.lightingRoughness) >> 4;
            v = std::clamp(v, 0, 255);
            g.s[y][x] = v | (shadowed ? 256 : 0);
        }
    }
    for (int y = 0; y <= g.h; ++y) g.s[y][g.w] = g.s[y][g.w - 1];
    for (int x = 0; x <= g.w; ++x) g.s[g.h][x] = g.s[g.h - 1][x];
    const double fx = static_cast<int>(g.sx), fy = static_cast<int>(g.sy);
    lightLevel = brightness(0, 0, fx * fy, l, lit, false);
}

struct Scenario {
    const char* what;
    bool island;
    std::uint32_t seed;
    int featureSize;
    int polygonSize;
    void (*adjust)(SceneSettings&);
};

void defaults(SceneSettings&) {}
void noValleysRough(SceneSettings& s)
{
    s.colouring.valleys = 0;
    s.lighting.lightingRoughness = 300;
    s.lighting.exaggeration = 1;
    s.lighting.sunAzimuth = 30;
    s.lighting.sunDeclination = 20;
}
void stratifiedTrees(SceneSettings& s)
{
    s.colouring.cliffMode = 2;
    s.colouring.cliffThreshold = 20;
    s.colouring.strataTilt = {0.3f, -0.2f, 0.9f};
    s.colouring.valleyWidth = 450;
    s.trees.kindMask = {1 | 8, 2, 1 | 2 | 4, 15};
    s.trees.density = {120, 200, 60, 256};
    s.lighting.sunAzimuth = 160;
    s.lighting.sunDeclination = 12;
}
void lowSunBelowAndWide(SceneSettings& s)
{
    s.lighting.sunAzimuth = -135;
    s.lighting.sunDeclination = -8;
    s.colouring.dither = 400;
    s.colouring.valleyStrength = 300;
    s.lighting.contrast = 0;
}

TEST(ColouringReference, GeneratedLandscapesMatchThePlainImplementation)
{
    static constexpr Scenario scenarios[] = {
        {"island defaults", true, 1, 1, 1, defaults},
        {"mountain, no valleys, rough exaggerated light", false, 7, 2, 1, noValleysRough},
        {"stratified cliffs and trees at step 2", true, 99, 4, 2, stratifiedTrees},
        {"stratified cliffs and trees at step 1", false, 12345, 1, 1, stratifiedTrees},
        {"sun below the horizon at step 8", false, 3, 8, 8, lowSunBelowAndWide},
        {"defaults at step 4", false, 2024, 1, 4, defaults},
    };
    // The passes share rows out among threads: one and several must both match.
    const int threadsBefore = threadCount();
    for (const int threads : {1, 3})
    for (const Scenario& sc : scenarios) {
        setThreadCount(threads);
        RandomStreams random;
        ScriptedFrontend ui;
        Landscape land;
        allocateGrid(land, kSmallGrid, kSmallGrid);
        SceneSettings scene;
        scene.generation.seed = sc.seed;
        scene.generation.islandMode = sc.island;
        scene.generation.featureSize = sc.featureSize;
        generateLandscape(land, scene.generation, random, ui);
        computeElevationStatistics(land);
        resetDerivedMaps(land);
        const int range = land.highestElevation - land.lowestElevation;
        scene.colouring.treeLine = land.lowestElevation + range / 3;
        scene.colouring.snowLine = land.lowestElevation + 2 * range / 3;
        scene.trees.kindMask = {2, 2, 2, 2};
        sc.adjust(scene);
        land.polygonSize = sc.polygonSize;
        // Some water, beach and road, and a building, as other operations leave them.
        for (int x = 20; x < 60; ++x) land.terrain[100][x] = static_cast<std::uint16_t>(51 + x % 5);
        for (int x = 20; x < 60; ++x) land.terrain[120][x] = static_cast<std::uint16_t>(x % 2 ? 50 : 89);
        land.terrain[64][64] = static_cast<std::uint16_t>(60 << 8);

        Grid expected = copyOf(land);
        ColouringState state;
        state.sun = SunLight{};
        recomputeSun(scene.lighting, state.sun);
        ASSERT_EQ(prepareTerrain(land, scene, state, random, ui), 1) << sc.what;

        colourReference(expected, scene.colouring, scene.trees, sc.seed, sc.polygonSize);
        cliffReference(expected, scene.colouring, sc.seed, sc.polygonSize);
        int lightLevel = 0;
        shadeReference(expected, scene.lighting, sc.seed, sc.polygonSize, lightLevel);

        int terrainDiffs = 0, shadowDiffs = 0, trees = 0, shadowed = 0;
        for (int y = 0; y < land.gridHeight; ++y)
            for (int x = 0; x < land.gridWidth; ++x) {
                terrainDiffs += land.terrain[y][x] != expected.t[y][x];
                shadowDiffs += land.shadow[y][x] != expected.s[y][x];
                trees += (land.terrain[y][x] >> 8) >= 34 && (land.terrain[y][x] >> 8) <= 37;
                shadowed += (land.shadow[y][x] & 256) != 0;
            }
        EXPECT_EQ(terrainDiffs, 0) << sc.what << ", " << threads << " threads";
        EXPECT_EQ(shadowDiffs, 0) << sc.what << ", " << threads << " threads";
        EXPECT_EQ(state.sun.lightLevel, lightLevel) << sc.what;
        EXPECT_GT(trees, 0) << sc.what << ": the scenario should grow trees";
        if (scene.lighting.shadows && scene.lighting.sunDeclination < 85) {
            EXPECT_GT(shadowed, 0) << sc.what;
        }
    }
    setThreadCount(threadsBefore);
}

TEST(ColouringReference, ShadePassShadowsEqualTheRayMarchedOneStepAtATime)
{
    // The shade pass may skip ray steps over low ground; grazing rays from a low sun
    // in every direction must still find exactly the shadows of the step-by-step test.
    RandomStreams random;
    ScriptedFrontend ui;
    Landscape land;
    allocateGrid(land, kSmallGrid, kSmallGrid);
    GenerationSettings generation;
    generation.seed = 31337;
    generation.islandMode = 0;
    generateLandscape(land, generation, random, ui);
    computeElevationStatistics(land);
    for (float declination : {3.0f, 11.0f, 30.0f})
        for (float azimuth = -180.0f; azimuth < 180.0f; azimuth += 37.0f) {
            LightingSettings lighting;
            lighting.sunAzimuth = azimuth;
            lighting.sunDeclination = declination;
            SunLight sun;
            recomputeSun(lighting, sun);
            land.shadowValidAt = land.sizeX;
            ASSERT_EQ(shadePass(land, lighting, sun, 0, random, ui), 1);
            const ShadowStep step = shadowStepFor(sun.vector, land.spacingX, land.spacingY, 1);
            int differences = 0;
            for (int y = 0; y < land.sizeY; ++y)
                for (int x = 0; x < land.sizeX; ++x)
                    differences += ((land.shadow[y][x] & kTerrainShadowBit) != 0) !=
                                   (shadowTest(land, step, declination, y, x) == 1);
            EXPECT_EQ(differences, 0) << azimuth << " " << declination;
        }
}

} // namespace
} // namespace kalvenor
