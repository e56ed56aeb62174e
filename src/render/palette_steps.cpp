#include "render/palette_steps.h"

#include <algorithm>
#include <cstdlib>

#include "base/byte_order.h"
#include "base/frontend.h"
#include "render/terrain_lighting.h"
#include "terrain/colouring_common.h"

namespace kalvenor {

namespace {

// Scheme colours are sampled at these distances (metres) and intensities.
constexpr int kSchemeFirstDistance = 7;
constexpr int kSchemeDistanceStep = 333;
constexpr int kSchemeDistanceEnd = 7000;
constexpr int kSchemeFirstIntensity = 1;
constexpr int kSchemeIntensityStep = 7;
constexpr int kSchemeWeight = 11;

// The grid is sampled about 32 times along each side.
constexpr int kTerrainSamples = 32;
constexpr int kNeighbourOffset = 8; // the point blended with each sample lies this far to the right
constexpr int kTerrainIntensityStep = 11;
constexpr int kBlendIntensityStep = 13;

constexpr int kTextureIntensityStep = 17;
struct TextureSampling {
    int level;
    int divisor; // about this many samples along each side of the level
};
constexpr TextureSampling kTextureSampling[] = {{0, 15}, {1, 5}};
constexpr int kNarrowTextureStep = 15; // column step of a level narrower than its divisor

constexpr int kSkyDistanceStep = 1000;
constexpr int kSkyDistanceEnd = 32000;
constexpr int kSkyWeight = 555;
constexpr int kCloudWeight = 555;
constexpr int kHorizonWeight = 444;

constexpr int kIntensityEnd = 256;
constexpr int kImageSampleWidth = 640;

// Leaves stand for the ground under their trees: palm, oak, cactus and pine
// leaves (34..37) are predicted as Tree 1..4 (56..59).
constexpr int kFirstLeaf = 34;
constexpr int kLastLeaf = 37;

void useHaze(PredictionScene& scene, int entry) { setDrawingStage(scene.light, scene.scheme, entry); }

void hazeAt(PredictionScene& scene, int d) { scene.light.hazeWeight = frameHazeWeight(predictionHazeWeight(d), scene.haze); }

int packedCube(std::uint32_t packed)
{
    return cubeIndex(static_cast<int>(packed & 255u), static_cast<int>((packed >> 8) & 255u),
                     static_cast<int>((packed >> 16) & 255u));
}

void addShade(ColourHistogram& histogram, const SurfaceLight& light, const Rgb& c, int intensity, int strength,
              int hilite, int weight)
{
    addWeight(histogram, packedCube(litColour(light, c.r, c.g, c.b, intensity, strength, hilite)), weight);
}

// Weight at intensities 0, step, 2 step, ... below 256.
void addIntensityRun(ColourHistogram& histogram, const SurfaceLight& light, const Rgb& c, int step)
{
    for (int i = 0; i < kIntensityEnd; i += step) addShade(histogram, light, c, i, 0, 0, 1);
}

// A distance like that of a random point of the landscape: |a x b / 2| for two draws.
int randomDistance(PixelDither& stream)
{
    const int a = drawDither(stream);
    const int b = drawDither(stream);
    return std::abs(a * b / 2); // truncates
}

int predictionCode(std::uint16_t cell)
{
    const int code = ground::code(cell);
    return code >= kFirstLeaf && code <= kLastLeaf ? code - kFirstLeaf + ground::kTree1 : code;
}

} // namespace

float predictionHazeWeight(int d) { return static_cast<float>(static_cast<double>(std::int64_t{d} * d) * 0.002); }

std::uint32_t liningColour(std::uint32_t packed, int lining)
{
    const int alpha = static_cast<int>(packed >> 24);
    const int add = std::min(lining, 255 - alpha); // thin edges get the brightest lining
    std::uint32_t out = packed & 0xFF000000u;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int c = std::clamp(static_cast<int>((packed >> shift) & 255u) + add, 0, 255);
        out |= static_cast<std::uint32_t>(c) << shift;
    }
    return out;
}

TexelLevel textureLevel(const TextureSlot& slot, int level)
{
    const SlotLevel l = slotLevel(slot, level);
    if (l.width == 0) return {};
    return {l.width, l.height, slot.data.data() + l.start};
}

bool hasTextureMap(const TextureSlot& slot) { return textureLevel(slot, 0).width != 0; }

void predictSchemeColours(PredictionScene& scene, const TextureSlots& textures, ColourHistogram& histogram,
                          PixelDither& stream)
{
    useHaze(scene, kEntryHaze);
    for (int entry = 0; entry < 256; ++entry) {
        if (hasTextureMap(textures[static_cast<std::size_t>(entry)])) continue;
        const Rgb c = schemeColour(scene.scheme, entry);
        if (c.r == 0) continue; // entries in use are told by a red component
        const int phong = scene.phong ? scene.attributes[static_cast<std::size_t>(entry) * 5] : 0;
        for (int d = kSchemeFirstDistance; d < kSchemeDistanceEnd; d += kSchemeDistanceStep) {
            hazeAt(scene, d);
            for (int i = kSchemeFirstIntensity; i < kIntensityEnd; i += kSchemeIntensityStep) {
                addShade(histogram, scene.light, c, i, 0, 0, kSchemeWeight);
                if (phong != 0) addShade(histogram, scene.light, c, i, phong, drawDither(stream), kSchemeWeight);
            }
        }
    }
}

void predictTerrainColours(PredictionScene& scene, const Landscape& land, ColourHistogram& histogram,
                           PixelDither& stream)
{
    useHaze(scene, kEntryHaze);
    if (!land.terrain.allocated()) return;
    const int width = std::min(land.sizeX, land.terrain.width);
    const int height = std::min(land.sizeY, land.terrain.height);
    const int stepX = std::max(1, land.sizeX / kTerrainSamples);
    const int stepY = std::max(1, land.sizeY / kTerrainSamples);
    const int lastColumn = land.terrain.width - 1;

    for (int y = 0; y < height; y += stepY) {
        const std::uint16_t* row = land.terrain[y];
        for (int x = 0; x < width; x += stepX) {
            hazeAt(scene, randomDistance(stream));
            const Rgb c = schemeColour(scene.scheme, predictionCode(row[x]));
            addIntensityRun(histogram, scene.light, c, kTerrainIntensityStep);
            // The neighbour is held inside the row: near the right edge it would lie beyond it.
            const Rgb n = schemeColour(scene.scheme, predictionCode(row[std::min(x + kNeighbourOffset, lastColumn)]));
            const Rgb blend = {(c.r + n.r) >> 1, (c.g + n.g) >> 1, (c.b + n.b) >> 1}; // rounds down
            addIntensityRun(histogram, scene.light, blend, kBlendIntensityStep);
        }
    }
}

void predictTextureColours(PredictionScene& scene, const TextureSlots& textures, ColourHistogram& histogram,
                           PixelDither& stream)
{
    useHaze(scene, kEntryHaze);
    for (const TextureSlot& slot : textures) {
        if (!hasTextureMap(slot)) continue;
        for (const TextureSampling& sampling : kTextureSampling) {
            const TexelLevel level = textureLevel(slot, sampling.level);
            if (level.width == 0) continue;
            const int rowStep = std::max(1, level.height / sampling.divisor);
            const int columnStep = level.width / sampling.divisor != 0 ? level.width / sampling.divisor : kNarrowTextureStep;
            for (int y = 0; y < level.height; y += rowStep) {
                for (int x = 0; x < level.width; x += columnStep) {
                    const std::uint8_t* t = level.texels + (static_cast<std::size_t>(y) * level.width + x) * 4;
                    hazeAt(scene, randomDistance(stream));
                    addIntensityRun(histogram, scene.light, {t[0], t[1], t[2]}, kTextureIntensityStep);
                }
            }
        }
    }
}

void predictSkyColours(PredictionScene& scene, ColourHistogram& histogram)
{
    useHaze(scene, kEntrySkyHaze);
    const Rgb sky = schemeColour(scene.scheme, kEntrySky);
    for (int d = 0; d < kSkyDistanceEnd; d += kSkyDistanceStep) {
        hazeAt(scene, d);
        addShade(histogram, scene.light, sky, scene.skyBrightness, 0, 0, kSkyWeight);
    }
}

void predictCloudColours(PredictionScene& scene, ColourHistogram& histogram, PixelDither& stream)
{
    useHaze(scene, kEntrySkyHaze);
    const Rgb cloud = schemeColour(scene.scheme, kCloudEntry);
    const auto rgb = static_cast<std::uint32_t>(cloud.r | (cloud.g << 8) | (cloud.b << 16));
    for (int d = 0; d < kSkyDistanceEnd; d += kSkyDistanceStep) {
        hazeAt(scene, d);
        // A random cloud alpha: the draw >> 3 (floor) kept to its low byte.
        const auto alpha = static_cast<std::uint32_t>(drawDither(stream) >> 3) & 255u;
        const std::uint32_t lined = liningColour(rgb | (alpha << 24), scene.lining);
        const Rgb c = {static_cast<int>(lined & 255u), static_cast<int>((lined >> 8) & 255u),
                       static_cast<int>((lined >> 16) & 255u)};
        addShade(histogram, scene.light, c, scene.skyBrightness, 0, 0, kCloudWeight);
    }
}

void predictHorizonColours(PredictionScene& scene, ColourHistogram& histogram)
{
    useHaze(scene, kEntryHaze);
    const Rgb horizon = schemeColour(scene.scheme, kEntryHorizon);
    for (int d = 0; d < kSkyDistanceEnd; d += kSkyDistanceStep) {
        hazeAt(scene, d);
        addShade(histogram, scene.light, horizon, scene.horizonBrightness, 0, 0, kHorizonWeight);
    }
}

void predictColours(PredictionScene& scene, const Landscape& land, const TextureSlots& textures,
                    ColourHistogram& histogram, PixelDither& stream, RandomStreams& random, Frontend& ui)
{
    histogram.fill(0);
    ui.status("Predicting colors (CMAP)");
    seedAll(random, 0);
    predictSchemeColours(scene, textures, histogram, stream);
    ui.status("Predicting colors (terrain)");
    predictTerrainColours(scene, land, histogram, stream);
    ui.status("Predicting colors (textures)");
    predictTextureColours(scene, textures, histogram, stream);
    ui.status("Predicting colors (sky)");
    predictSkyColours(scene, histogram);
    ui.status("Predicting colors (clouds)");
    predictCloudColours(scene, histogram, stream);
    ui.status("Predicting colors (horizon)");
    predictHorizonColours(scene, histogram);
}

void addImageColours(ColourHistogram& histogram, const ImagePlane<std::uint32_t>& image, int width, int height)
{
    if (!image.allocated()) return;
    width = std::min(width, image.width);
    height = std::min(height, image.height);
    const int step = std::max(1, width / kImageSampleWidth);
    for (int y = 0; y < height; y += step) {
        const std::uint32_t* row = image[y];
        for (int x = 0; x < width; x += step) addWeight(histogram, packedCube(row[x]), 1);
    }
}

} // namespace kalvenor
