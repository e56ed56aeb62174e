// The shade pass: every sampled point gets a brightness from the sun and a mark
// when the terrain hides the sun from it. Also the per-frame marks of the
// shadows that trees and buildings cast.
#pragma once

#include <cstdint>

#include "model/landscape.h"
#include "model/random_streams.h"
#include "model/scene_settings.h"
#include "terrain/sun.h"

namespace kalvenor {

class Frontend;

// Shadow-map cell bits above the brightness byte.
constexpr std::uint16_t kTerrainShadowBit = 1u << 8;
constexpr std::uint16_t kObjectShadowBit = 1u << 9;

// No shadows are cast by a sun this high or higher (degrees).
constexpr float kShadowlessDeclination = 85.0f;

// 1 when the terrain hides the sun from point (row, column), else 0. Marches a
// ray in 10-bit fixed point by `step` until it leaves the grid, rises above the
// highest point, or passes below the ground.
int shadowTest(const Landscape& land, const ShadowStep& step, float declination, int row, int column);

// The brightness of flat ground under the sun, which auto exposure, the sky and
// the palette read: set by the shade pass, and again whenever shades come
// ready-made from a file.
std::int32_t flatGroundLightLevel(const Landscape& land, const LightingSettings& lighting, const SunLight& sun);

// Fills the shadow map at every g-th row and column, then the last column and
// row from their neighbours, and updates the integer light vector and the light
// level. Lazy: does nothing while shadowValidAt <= g or the shadow map is frozen.
// Reseeds all streams with the landscape seed. Returns 1, or -1 when aborted
// before a row (shadowValidAt unchanged).
int shadePass(Landscape& land, const LightingSettings& lighting, SunLight& sun, std::uint32_t landscapeSeed,
              RandomStreams& random, Frontend& ui);

// Before each frame at polygon size 1 (at other sizes it does nothing): clears
// bit 9 of the shadow map, then, when trees are on, marks the cell beside every
// tree or building that casts a shadow, on the side away from the sun.
void markObjectShadows(Landscape& land, const SunLight& sun, bool treesOn);

} // namespace kalvenor
