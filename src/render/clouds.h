// The cloud layer: a 256 x 256 pattern of 8-bit densities at a fixed
// altitude, made by a fractal generator or from the landscape, or loaded from
// a pattern file. At render time each density maps through the coverage
// thresholds to an alpha, takes the cloud colour with its lining, and the
// pattern is drawn as a grid of translucent quads.
#pragma once

#include <cstdint>

#include "model/landscape.h"
#include "model/random_streams.h"
#include "model/scene_settings.h"
#include "render/terrain_lighting.h"

namespace kalvenor {

struct SceneFrame;

constexpr int kCloudPatternSide = 256;
constexpr int kCloudColourEntry = 76; // colour-scheme entry of the clouds

// The size divisors of the size buttons: larger clouds, smaller divisor.
constexpr int kCloudSizeSmall = 16, kCloudSizeMedium = 8, kCloudSizeLarge = 4, kCloudSizeExtraLarge = 2;

// lo = base - half and hi = base + half with base = trunc((100 - density) x 255 / 100)
// and half = trunc((100 - hardness) / 2).
void recomputeCloudThresholds(CloudSettings& clouds);

// The setters of the cloud panel: density and hardness held to 0..100 (the
// thresholds follow), lining to 0..255.
void setCloudDensity(CloudSettings& clouds, int percent);
void setCloudHardness(CloudSettings& clouds, int percent);
void setCloudLining(CloudSettings& clouds, int lining);

// Fractal detail on sets the detail levels to 6 and 11, off sets the first to 0.
void setCloudDetail(CloudSettings& clouds, bool on);

// The generator with initial step 256 / sizeDivisor, drawing from stream A as
// the streams stand (a divisor that leaves no step at all counts as the
// largest that does).
void generateCloudPattern(CloudSettings& clouds, RandomStreams& random);

// Seeds the streams with the cloud number and generates: what CloudNumber and
// the start of the program do.
void regenerateClouds(CloudSettings& clouds, RandomStreams& random);

// The landscape's elevations scaled to 0..255 into the pattern (Landscape -> Clouds).
void cloudsFromLandscape(CloudSettings& clouds, const Landscape& land);

// The cloud colour function: b = min(lining, 255 - alpha) added to each colour
// byte, held to 255; the alpha byte is kept.
std::uint32_t cloudColour(std::uint32_t packed, int lining);

// The 256 packed colours (alpha in the top byte) for the densities, into the
// settings' colour block (little-endian words).
void buildCloudColours(CloudSettings& clouds, const SchemeBytes& scheme);
std::uint32_t cloudColourOf(const CloudSettings& clouds, int density);

// Draws the layer into the frame with the colours built by buildCloudColours
// (the render builds them before every frame): 1, or -1 when the user aborted.
int drawClouds(SceneFrame& frame);

} // namespace kalvenor
