// The sun: its azimuth and declination turned into the light vector that all
// lighting uses, the brightness of a surface under it, and the grid step of a
// ray toward it.
#pragma once

#include <array>
#include <cstdint>

#include "model/scene_settings.h"

namespace kalvenor {

// Derived from the sun settings; recomputed by recomputeSun (the integer vector
// also by every shade pass) and read by the renderer. The start values are the
// program's own until the first sun setting is applied.
struct SunLight {
    std::array<float, 3> vector = {0.7f, 0.0f, 0.71f};   // unit vector toward the sun; +Y north, +X east
    std::array<std::int32_t, 3> integer = {179, 0, 182}; // vector x 256, truncated
    std::array<float, 3> position = {106100000000.0f, 0.0f, 106100000000.0f}; // metres, for the sun disc
    std::int32_t lightLevel = 248; // brightness of flat ground; auto exposure reads it
};

// Degrees to radians, the one conversion factor used throughout.
constexpr double kRadiansPerDegree = 0.017453292519943295;
constexpr double kSunDistance = 1.5e11; // metres

// L = (-sin A cos D, cos A cos D, sin D) from the lighting settings, then the
// integer vector and the sun position.
void recomputeSun(const LightingSettings& lighting, SunLight& sun);

// trunc(256 x L), component by component.
std::array<std::int32_t, 3> integerLightVector(const std::array<float, 3>& vector);

// Light panel presets: declination 45 and an azimuth per button.
struct SunPreset {
    int commandId;
    const char* label;
    float azimuth;
};
inline constexpr SunPreset kSunPresets[] = {
    {1064, "N", 0.0f},
    {1065, "S", 180.0f},
    {1066, "E", -90.0f},
    {1067, "W", 90.0f},
};
inline constexpr float kPresetDeclination = 45.0f;

// The preset of a command id, or nullptr.
const SunPreset* findSunPreset(int commandId);

// A tangent vector of the ground, in metres.
struct Tangent {
    double x, y, z;
};

// Brightness 0..255 of a surface spanned by a and b under L: 255 when contrast is
// 0; otherwise the unit normal a x b (a zero length counts as 1) dotted with L,
// negative as 0, with exaggeration 1 - acos(d) x 2/pi, then trunc(d x 256) clamped.
int surfaceBrightness(const Tangent& a, const Tangent& b, const std::array<float, 3>& light, std::int32_t contrast,
                      bool exaggeration);

// The same under the dim light (0, 0, 0.1) that reaches points in shadow, with
// no exaggeration: a flat point in shadow gets 25.
int shadowedBrightness(const Tangent& a, const Tangent& b, std::int32_t contrast);

// The step of a ray toward the sun, one polygon step g along the dominant grid
// axis, and the same in fixed point with 10 fraction bits.
struct ShadowStep {
    double dx = 0, dy = 0, dz = 0;
    std::int64_t idx = 0, idy = 0, idz = 0; // trunc(1024 x value)
};

ShadowStep shadowStepFor(const std::array<float, 3>& light, float spacingX, float spacingY, int g);

} // namespace kalvenor
