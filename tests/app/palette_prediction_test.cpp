#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/palette_prediction.h"
#include "base/byte_order.h"
#include "model/random_streams.h"
#include "platform/scripted_frontend.h"
#include "render/palette_map.h"
#include "render/palette_steps.h"
#include "render/terrain_lighting.h"

namespace kalvenor {
namespace {

using Scheme = std::array<std::uint8_t, 1024>;
using Attributes = std::array<std::uint8_t, 1280>;

void setColour(Scheme& s, int entry, int r, int g, int b)
{
    s[static_cast<std::size_t>(entry) * 4 + 1] = static_cast<std::uint8_t>(r);
    s[static_cast<std::size_t>(entry) * 4 + 2] = static_cast<std::uint8_t>(g);
    s[static_cast<std::size_t>(entry) * 4 + 3] = static_cast<std::uint8_t>(b);
}

int cube(int r, int g, int b) { return ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3); }

std::uint32_t stepsFrom(std::uint32_t seed, int steps)
{
    for (int i = 0; i < steps; ++i) seed = seed * 1103515245u + 12345u;
    return seed;
}

std::unique_ptr<ColourHistogram> emptyHistogram()
{
    auto h = std::make_unique<ColourHistogram>();
    h->fill(0);
    return h;
}

std::uint64_t totalWeight(const ColourHistogram& h)
{
    std::uint64_t sum = 0;
    for (std::uint16_t w : h) sum += w;
    return sum;
}

// A light that returns every base colour unchanged whenever the haze colour
// equals it: no direct light, ambient 256 (x 1), exposure factor 128 (x 1).
// Haze then mixes a colour with itself, so each shade lands in the base colour's cell.
SurfaceLight identityLight()
{
    SurfaceLight s;
    for (int c = 0; c < 3; ++c) {
        s.light[c] = 0;
        s.ambient[c] = 256;
    }
    s.exposureFactor = 128;
    return s;
}

TEST(PalettePrediction, CloudLiningAndHazeWeight)
{
    // Alpha 8 leaves room for the whole lining; alpha 250 only for 5; channels stop at 255.
    EXPECT_EQ(liningColour(0x08102030u, 20), 0x08243444u);
    EXPECT_EQ(liningColour(0xFAFE0001u, 20), 0xFAFF0506u);
    EXPECT_EQ(liningColour(0xFF646464u, 20), 0xFF646464u);
    EXPECT_FLOAT_EQ(predictionHazeWeight(0), 0.0f);
    EXPECT_FLOAT_EQ(predictionHazeWeight(340), 231.2f);
    EXPECT_FLOAT_EQ(predictionHazeWeight(31000), 1922000.0f);
}

// One entry with a red component: 21 distances x 37 intensities x 11, all in one
// cell; Phong doubles it with one draw of the dither stream per shade.
TEST(PalettePrediction, SchemeStepWeights)
{
    Scheme scheme = {};
    Attributes attributes = {};
    setColour(scheme, 26, 200, 100, 50); // also the haze colour
    setColour(scheme, 25, 0, 10, 10);    // red 0: not sampled
    attributes[26 * 5] = 50;
    TextureSlots textures;
    PredictionScene scene{scheme, attributes, false, 248, 248, 20, 100, identityLight()};
    auto h = emptyHistogram();
    PixelDither stream;
    predictSchemeColours(scene, textures, *h, stream);
    EXPECT_EQ((*h)[static_cast<std::size_t>(cube(200, 100, 50))], 21 * 37 * 11);
    EXPECT_EQ(totalWeight(*h), 21u * 37u * 11u);
    EXPECT_EQ(stream.seed, 1u);

    scene.phong = true;
    h->fill(0);
    predictSchemeColours(scene, textures, *h, stream);
    EXPECT_EQ((*h)[static_cast<std::size_t>(cube(200, 100, 50))], 2 * 21 * 37 * 11);
    EXPECT_EQ(stream.seed, stepsFrom(1, 21 * 37));

    // Additions wrap modulo 2^16 rather than saturate.
    (*h)[static_cast<std::size_t>(cube(200, 100, 50))] = 65535;
    addWeight(*h, cube(200, 100, 50), 11);
    EXPECT_EQ((*h)[static_cast<std::size_t>(cube(200, 100, 50))], 10);
}

// Every point carries palm leaves (34), predicted as the ground under trees (56):
// 32 x 32 samples of a 256 grid, each 24 + 20 shades and two draws.
TEST(PalettePrediction, TerrainStepSamplesTheGrid)
{
    Scheme scheme = {};
    Attributes attributes = {};
    setColour(scheme, 56, 200, 100, 50);
    setColour(scheme, 26, 200, 100, 50);
    setColour(scheme, 34, 10, 250, 10);
    Landscape land;
    ASSERT_EQ(allocateGrid(land, 258, 258), 1);
    for (int r = 0; r < land.gridHeight; ++r)
        for (int c = 0; c < land.gridWidth; ++c) land.terrain[r][c] = 0x0100 | 34; // an object byte too
    PredictionScene scene{scheme, attributes, true, 248, 248, 20, 100, identityLight()};
    auto h = emptyHistogram();
    PixelDither stream;
    predictTerrainColours(scene, land, *h, stream);
    EXPECT_EQ((*h)[static_cast<std::size_t>(cube(200, 100, 50))], 1024 * (24 + 20));
    EXPECT_EQ(totalWeight(*h), 1024u * 44u);
    EXPECT_EQ(stream.seed, stepsFrom(1, 2 * 1024));
}

// The sky uses the sky haze (25), the horizon the haze (26); with the identity
// light every distance lands in the one cell of its colour.
TEST(PalettePrediction, SkyAndHorizonWeights)
{
    Scheme scheme = {};
    Attributes attributes = {};
    setColour(scheme, 33, 64, 128, 192);
    setColour(scheme, 25, 64, 128, 192);
    setColour(scheme, 32, 48, 112, 16);
    setColour(scheme, 26, 48, 112, 16);
    PredictionScene scene{scheme, attributes, false, 248, 248, 20, 100, identityLight()};
    auto h = emptyHistogram();
    predictSkyColours(scene, *h);
    EXPECT_EQ((*h)[static_cast<std::size_t>(cube(64, 128, 192))], 32 * 555);
    predictHorizonColours(scene, *h);
    EXPECT_EQ((*h)[static_cast<std::size_t>(cube(48, 112, 16))], 32 * 444);
    EXPECT_EQ(totalWeight(*h), 32u * (555 + 444));
}

// Stream D from 1 draws 70, -2, 1: alphas 70 >> 3 = 8 (lining 20 added) and
// -2 >> 3 = -1, byte 255 (nothing added). Black sky haze fades the second
// sample (d 1000, weight 2000 x 100 / 25600 = 7.8, taken as 7) to
// 100 x 256 / 263 = 97; the third (d 2000, alpha 0, weight 31) is 120 x 256 / 287 = 107.
TEST(PalettePrediction, CloudStepDrawsTheAlpha)
{
    Scheme scheme = {};
    Attributes attributes = {};
    setColour(scheme, 76, 100, 100, 100);
    PredictionScene scene{scheme, attributes, false, 248, 248, 20, 100, identityLight()};
    auto h = emptyHistogram();
    PixelDither stream;
    predictCloudColours(scene, *h, stream);
    EXPECT_EQ((*h)[static_cast<std::size_t>(cube(120, 120, 120))], 555);
    EXPECT_EQ((*h)[static_cast<std::size_t>(cube(97, 97, 97))], 555);
    EXPECT_EQ((*h)[static_cast<std::size_t>(cube(107, 107, 107))], 555);
    EXPECT_EQ(totalWeight(*h), 32u * 555u);
    EXPECT_EQ(stream.seed, stepsFrom(1, 32));
}

// Samples are hazed as a render hazes them: the view weight d x d x 0.002
// scaled by haze / 25600. Horizon (200, 200, 200) under black haze with the
// identity light: a sample of weight k becomes 200 x 256 / (k + 256).
//   haze 0:   no sample is hazed, all 32 stay 200.
//   haze 100: d 1000 has 2000 x 100 / 25600 = 7.8 -> 51200 / 263 = 194; the far
//             samples 29000, 30000, 31000 (k 6570, 7031, 7507) fall below 8, 28000 (k 6125) gives 8.
//   haze 200: d 1000 has k 15 -> 51200 / 271 = 188; from 20000 (k 6250 -> 7) on,
//             12 samples fall below 8, 19000 (k 5640) gives 8.
// Unscaled, d 1000 would have k 2000 and become 22.
TEST(PalettePrediction, SamplesAreHazedByTheHazeAmount)
{
    const struct {
        int haze;
        int shadeAt1000;
        int samplesAt1000; // samples in that shade's cell
        int farSamples;    // samples hazed below 8
    } cases[] = {{0, 200, 32, 0}, {100, 194, 1, 3}, {200, 188, 1, 12}};
    for (const auto& c : cases) {
        Scheme scheme = {};
        Attributes attributes = {};
        setColour(scheme, 32, 200, 200, 200); // the horizon; the haze (26) stays black
        PredictionScene scene{scheme, attributes, false, 248, 248, 20, c.haze, identityLight()};
        auto h = emptyHistogram();
        predictHorizonColours(scene, *h);
        const int shade = c.shadeAt1000;
        EXPECT_EQ((*h)[static_cast<std::size_t>(cube(shade, shade, shade))], c.samplesAt1000 * 444) << c.haze;
        EXPECT_EQ((*h)[static_cast<std::size_t>(cube(0, 0, 0))], c.farSamples * 444) << c.haze;
        EXPECT_EQ(totalWeight(*h), 32u * 444u);
    }
}

// ---- A plain reference of the six steps, written from the description ----

struct RefTexture {
    int entry;
    std::vector<std::array<int, 3>> level0;
    int w0, h0;
    std::vector<std::array<int, 3>> level1; // empty when absent
    int w1, h1;
};

struct RefStream {
    std::uint32_t s = 1;
    int draw()
    {
        s = s * 1103515245u + 12345u;
        return static_cast<int>((s >> 16) & 255) - 128;
    }
};

void refAdd(std::vector<std::uint16_t>& h, SurfaceLight& l, int d, int r, int g, int b, int i, int s, int hv,
            int weight)
{
    l.hazeWeight = static_cast<float>(d * d * 0.002) * 100.0f / 25600.0f; // at the default haze amount
    const std::uint32_t c = litColour(l, r, g, b, i, s, hv);
    const int index = cube(static_cast<int>(c & 255), static_cast<int>((c >> 8) & 255), static_cast<int>((c >> 16) & 255));
    h[static_cast<std::size_t>(index)] = static_cast<std::uint16_t>(h[static_cast<std::size_t>(index)] + weight);
}

std::vector<std::uint16_t> referencePrediction(const Scheme& sc, const Attributes& at, bool phong, int level,
                                               int lining, SurfaceLight l, const Landscape& land,
                                               const std::vector<RefTexture>& tex, RefStream& D)
{
    std::vector<std::uint16_t> h(32768, 0);
    auto col = [&](int e, int k) { return static_cast<int>(sc[static_cast<std::size_t>(e) * 4 + 1 + static_cast<std::size_t>(k)]); };
    auto haze = [&](int e) {
        for (int k = 0; k < 3; ++k) l.haze[k] = col(e, k);
    };
    auto textured = [&](int e) {
        return std::any_of(tex.begin(), tex.end(), [e](const RefTexture& t) { return t.entry == e; });
    };
    haze(26);
    for (int e = 0; e < 256; ++e) {
        if (textured(e) || col(e, 0) == 0) continue;
        for (int d = 7; d < 7000; d += 333)
            for (int i = 1; i < 256; i += 7) {
                refAdd(h, l, d, col(e, 0), col(e, 1), col(e, 2), i, 0, 0, 11);
                if (phong && at[static_cast<std::size_t>(e) * 5] != 0) {
                    const int hv = D.draw();
                    refAdd(h, l, d, col(e, 0), col(e, 1), col(e, 2), i, at[static_cast<std::size_t>(e) * 5], hv, 11);
                }
            }
    }
    auto leaf = [](int code) { return code >= 34 && code <= 37 ? code + 22 : code; };
    for (int y = 0; y < land.sizeY; y += std::max(1, land.sizeY / 32))
        for (int x = 0; x < land.sizeX; x += std::max(1, land.sizeX / 32)) {
            const int a = D.draw(), b = D.draw();
            const int d = std::abs(a * b / 2);
            const int code = leaf(land.terrain[y][x] & 255);
            const int right = leaf(land.terrain[y][std::min(x + 8, land.gridWidth - 1)] & 255);
            for (int i = 0; i < 256; i += 11) refAdd(h, l, d, col(code, 0), col(code, 1), col(code, 2), i, 0, 0, 1);
            const int r = (col(code, 0) + col(right, 0)) / 2, g = (col(code, 1) + col(right, 1)) / 2,
                      bl = (col(code, 2) + col(right, 2)) / 2;
            for (int i = 0; i < 256; i += 13) refAdd(h, l, d, r, g, bl, i, 0, 0, 1);
        }
    for (const RefTexture& t : tex) {
        auto sample = [&](const std::vector<std::array<int, 3>>& texels, int w, int ht, int div) {
            const int colStep = w / div == 0 ? 15 : w / div;
            for (int y = 0; y < ht; y += std::max(1, ht / div))
                for (int x = 0; x < w; x += colStep) {
                    const int a = D.draw(), b = D.draw();
                    const auto& c = texels[static_cast<std::size_t>(y * w + x)];
                    for (int i = 0; i < 256; i += 17) refAdd(h, l, std::abs(a * b / 2), c[0], c[1], c[2], i, 0, 0, 1);
                }
        };
        sample(t.level0, t.w0, t.h0, 15);
        if (!t.level1.empty()) sample(t.level1, t.w1, t.h1, 5);
    }
    haze(25);
    for (int d = 0; d < 32000; d += 1000) refAdd(h, l, d, col(33, 0), col(33, 1), col(33, 2), level, 0, 0, 555);
    for (int d = 0; d < 32000; d += 1000) {
        const int alpha = (D.draw() >> 3) & 255;
        const int add = std::min(lining, 255 - alpha);
        refAdd(h, l, d, std::min(255, col(76, 0) + add), std::min(255, col(76, 1) + add),
               std::min(255, col(76, 2) + add), level, 0, 0, 555);
    }
    haze(26);
    for (int d = 0; d < 32000; d += 1000) refAdd(h, l, d, col(32, 0), col(32, 1), col(32, 2), level, 0, 0, 444);
    return h;
}

// A texture slot as sessions carry it: level records of width, height, size and
// the level's start in the data, texels as red, green, blue, alpha.
void fillSlot(TextureSlot& slot, const RefTexture& t)
{
    slot.entry.fill(0);
    slot.entry[0] = static_cast<std::uint8_t>(t.entry);
    slot.entry[kTextureNameOffset] = 'x';
    auto put = [&](int level, int w, int h, std::size_t start, std::size_t size) {
        std::uint8_t* rec = slot.entry.data() + textureLevelRecord(level);
        put32le(rec, static_cast<std::uint32_t>(w));
        put32le(rec + 4, static_cast<std::uint32_t>(h));
        put32le(rec + 8, static_cast<std::uint32_t>(size));
        put32le(rec + kTextureLevelWord, static_cast<std::uint32_t>(start));
    };
    auto append = [&](const std::vector<std::array<int, 3>>& texels) {
        for (const auto& c : texels)
            for (int v : {c[0], c[1], c[2], 255}) slot.data.push_back(static_cast<std::uint8_t>(v));
    };
    put(0, t.w0, t.h0, 0, t.level0.size() * 4);
    append(t.level0);
    if (!t.level1.empty()) {
        put(1, t.w1, t.h1, slot.data.size(), 0);
        append(t.level1);
    }
}

std::vector<std::array<int, 3>> texels(int w, int h, int seed)
{
    std::vector<std::array<int, 3>> out;
    for (int i = 0; i < w * h; ++i) out.push_back({(i * 37 + seed) & 255, (i * 11 + seed * 3) & 255, (i * 5 + 7) & 255});
    return out;
}

TEST(PalettePrediction, AllStepsMatchAPlainReference)
{
    Scheme scheme = {};
    Attributes attributes = {};
    for (int e = 0; e < 256; ++e) {
        setColour(scheme, e, e % 5 == 0 ? 0 : (e * 53) & 255, (e * 29 + 17) & 255, (e * 71 + 5) & 255);
        attributes[static_cast<std::size_t>(e) * 5] = static_cast<std::uint8_t>(e % 3 == 0 ? 0 : e);
    }
    setColour(scheme, 77, 255, 248, 240);
    setColour(scheme, 78, 240, 248, 255);
    SceneSettings settings;
    settings.colourScheme = scheme;
    SurfaceLight light;
    setFrameLight(light, settings, 230);

    // A 40 x 70 grid: every column sampled, every second row; the neighbour
    // eight to the right is held inside the 42 columns of the row.
    Landscape land;
    ASSERT_EQ(allocateGrid(land, 42, 72), 1);
    const int codes[] = {34, 35, 36, 37, 38, 41, 42, 45, 46, 49, 50, 51, 55, 56, 59, 88};
    for (int r = 0; r < land.gridHeight; ++r)
        for (int c = 0; c < land.gridWidth; ++c) land.terrain[r][c] = static_cast<std::uint16_t>(codes[(c * 7 + r * 3) % 16]);

    // Entry 46 has two levels, 50 one narrow level; 51 names a texture without data, so it counts as plain.
    const std::vector<RefTexture> tex = {
        {46, texels(20, 7, 1), 20, 7, texels(10, 3, 2), 10, 3},
        {50, texels(5, 5, 3), 5, 5, {}, 0, 0},
    };
    TextureSlots slots;
    for (const RefTexture& t : tex) fillSlot(slots[static_cast<std::size_t>(t.entry)], t);
    slots[51].entry[0] = 51;
    slots[51].entry[kTextureNameOffset] = 'y';

    PredictionScene scene{scheme, attributes, true, 230, 230, 20, 100, light};
    auto h = std::make_unique<ColourHistogram>();
    h->fill(7); // cleared first
    PixelDither stream;
    RandomStreams random;
    ScriptedFrontend ui;
    predictColours(scene, land, slots, *h, stream, random, ui);

    RefStream D;
    const auto expected = referencePrediction(scheme, attributes, true, 230, 20, light, land, tex, D);
    for (int i = 0; i < 32768; ++i) ASSERT_EQ((*h)[static_cast<std::size_t>(i)], expected[static_cast<std::size_t>(i)]) << i;
    EXPECT_EQ(stream.seed, D.s);
    EXPECT_EQ(random.a, 0u); // streams seeded with 0 by the first step
    const std::vector<std::string> labels = {"Predicting colors (CMAP)",   "Predicting colors (terrain)",
                                             "Predicting colors (textures)", "Predicting colors (sky)",
                                             "Predicting colors (clouds)", "Predicting colors (horizon)"};
    EXPECT_EQ(ui.statuses, labels);
}

TEST(PalettePrediction, TextureLevelsMustLieInsideTheirData)
{
    TextureSlot slot;
    fillSlot(slot, {46, texels(4, 4, 0), 4, 4, texels(2, 2, 0), 2, 2});
    EXPECT_EQ(textureLevel(slot, 0).width, 4);
    EXPECT_EQ(textureLevel(slot, 1).height, 2);
    EXPECT_EQ(textureLevel(slot, 2).width, 0); // no record
    slot.data.resize(slot.data.size() - 1);    // level 1 now ends past the data
    EXPECT_EQ(textureLevel(slot, 1).width, 0);
    put32le(slot.entry.data() + textureLevelRecord(0), 0x40000000u); // a lying width
    EXPECT_FALSE(hasTextureMap(slot));
}

// ---- The whole operation on the App ----

std::unique_ptr<App> sceneApp(int grid)
{
    auto app = std::make_unique<App>();
    Scheme& s = app->scene.colourScheme;
    setColour(s, 25, 192, 192, 192);
    setColour(s, 26, 192, 192, 192);
    setColour(s, 32, 48, 112, 16);
    setColour(s, 33, 64, 128, 192);
    setColour(s, 56, 40, 120, 40);
    setColour(s, 76, 255, 255, 255);
    setColour(s, 77, 255, 248, 240);
    setColour(s, 78, 240, 248, 255);
    EXPECT_EQ(allocateGrid(app->landscape, grid, grid), 1);
    for (int r = 0; r < app->landscape.gridHeight; ++r)
        for (int c = 0; c < app->landscape.gridWidth; ++c) app->landscape.terrain[r][c] = 56;
    app->landscape.paletteStale = 1;
    return app;
}

bool sortedByHue(const DisplayPalette& p, int colours)
{
    for (int i = 2; i < colours; ++i) {
        const std::uint8_t* a = &p.entries[static_cast<std::size_t>(i - 1) * 4];
        const std::uint8_t* b = &p.entries[static_cast<std::size_t>(i) * 4];
        const HueKey ka = hueKey(a[1], a[2], a[3]), kb = hueKey(b[1], b[2], b[3]);
        if (ka.hue > kb.hue) return false;
        if (ka.hue == kb.hue && ka.saturation < kb.saturation) return false;
        if (ka.hue == kb.hue && ka.saturation == kb.saturation && ka.value < kb.value) return false;
    }
    return true;
}

TEST(PalettePrediction, BuildsAStalePaletteOnce)
{
    auto app = sceneApp(258);
    app->paletteMap.nearest[5] = 3; // a cached entry of the old palette
    for (int i = 0; i < 256; ++i) setPaletteEntry(app->palette, i, 1, 2, 3);
    ScriptedFrontend ui;
    ASSERT_EQ(predictPalette(*app, ui), Outcome::Done);
    EXPECT_EQ(app->landscape.paletteStale, 0);
    EXPECT_EQ(app->paletteMap.nearest[5], kUnmapped);
    EXPECT_EQ(app->paletteMap.colours, 256);
    EXPECT_EQ(ui.statuses.size(), 6u);
    EXPECT_EQ(ui.progressLines.back(), "Palette: 99%");
    const DisplayPalette& p = app->palette;
    EXPECT_EQ(p.entries[1] | p.entries[2] | p.entries[3], 0); // entry 0 black
    for (std::size_t i = 4; i < 1024; i += 4) {
        EXPECT_EQ(p.entries[i], 0);
        EXPECT_EQ(p.entries[i + 1] % 8 + p.entries[i + 2] % 8 + p.entries[i + 3] % 8, 0) << i / 4;
    }
    EXPECT_TRUE(sortedByHue(p, 256));
    // Black maps to a chosen colour, never to entry 0.
    EXPECT_NE(nearestEntry(app->paletteMap, p, 0), 0);

    // Not stale: nothing runs, nothing is drawn.
    const std::uint32_t seed = app->dither.seed;
    ScriptedFrontend again;
    EXPECT_EQ(predictPalette(*app, again), Outcome::Done);
    EXPECT_TRUE(again.statuses.empty());
    EXPECT_EQ(app->dither.seed, seed);
}

TEST(PalettePrediction, LockedPaletteIsKept)
{
    auto app = sceneApp(258);
    app->scene.render.paletteLocked = 1;
    for (int i = 0; i < 256; ++i) setPaletteEntry(app->palette, i, 1, 2, 3);
    const DisplayPalette before = app->palette;
    setColour(app->scene.colourScheme, 56, 200, 0, 0); // a colour change marks the palette stale
    ScriptedFrontend ui;
    EXPECT_EQ(predictPalette(*app, ui), Outcome::Done);
    EXPECT_EQ(app->palette.entries, before.entries);
    EXPECT_EQ(app->landscape.paletteStale, 1);
    EXPECT_TRUE(ui.statuses.empty());
}

TEST(PalettePrediction, AbortKeepsThePaletteStale)
{
    auto app = sceneApp(258);
    ScriptedFrontend ui;
    ui.abortOnPoll = 10;
    EXPECT_EQ(predictPalette(*app, ui), Outcome::Cancelled);
    EXPECT_EQ(app->landscape.paletteStale, 1);
    EXPECT_EQ(ui.polls, 10);

    ScriptedFrontend next; // the next render predicts again and completes
    EXPECT_EQ(predictPalette(*app, next), Outcome::Done);
    EXPECT_EQ(app->landscape.paletteStale, 0);
}

// Two colours: black and the heaviest cell of the prediction, whatever it is.
// The rest of the palette is black.
TEST(PalettePrediction, TwoColoursOnAMegaGrid)
{
    auto app = sceneApp(2050);
    app->paletteMap.colours = 2;
    setPaletteEntry(app->palette, 7, 9, 9, 9);

    // The same prediction on copies of the state tells the heaviest cell.
    auto copy = sceneApp(2050);
    SurfaceLight light;
    setFrameLight(light, copy->scene, 248);
    PredictionScene scene{copy->scene.colourScheme, copy->scene.surfaceAttributes, true, 248, 248, 20, copy->scene.sky.haze, light};
    auto h = std::make_unique<ColourHistogram>();
    ScriptedFrontend quiet;
    predictColours(scene, copy->landscape, copy->textures, *h, copy->dither, copy->random, quiet);
    const auto heaviest = static_cast<int>(std::max_element(h->begin(), h->end()) - h->begin());

    ScriptedFrontend ui;
    ASSERT_EQ(predictPalette(*app, ui), Outcome::Done);
    EXPECT_EQ(app->palette.entries[5], ((heaviest >> 10) & 31) * 8);
    EXPECT_EQ(app->palette.entries[6], ((heaviest >> 5) & 31) * 8);
    EXPECT_EQ(app->palette.entries[7], (heaviest & 31) * 8);
    EXPECT_EQ(app->palette.entries[7 * 4 + 1], 0);
    EXPECT_EQ(app->dither.seed, copy->dither.seed);
    EXPECT_EQ(app->paletteMap.colours, 2);
}

// The palette is predicted under the scene's haze amount: the palette of a
// scene without haze is the one chosen from a prediction without haze, which
// differs from the one at the default amount.
TEST(PalettePrediction, PaletteFollowsTheSceneHaze)
{
    const auto paletteAt = [](int haze) {
        auto copy = sceneApp(258);
        const int level = copy->colouring.sun.lightLevel;
        SurfaceLight light;
        setFrameLight(light, copy->scene, level);
        PredictionScene scene{copy->scene.colourScheme, copy->scene.surfaceAttributes, true, level, level, 20, haze, light};
        auto h = std::make_unique<ColourHistogram>();
        ScriptedFrontend quiet;
        predictColours(scene, copy->landscape, copy->textures, *h, copy->dither, copy->random, quiet);
        EXPECT_EQ(selectPalette(*h, 256, copy->palette, quiet), 1);
        return copy->palette.entries;
    };
    const auto clear = paletteAt(0);
    ASSERT_NE(clear, paletteAt(100));

    auto app = sceneApp(258);
    app->scene.sky.haze = 0;
    ScriptedFrontend ui;
    ASSERT_EQ(predictPalette(*app, ui), Outcome::Done);
    EXPECT_EQ(app->palette.entries, clear);
}

} // namespace
} // namespace kalvenor
