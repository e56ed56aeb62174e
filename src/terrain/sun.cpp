#include "terrain/sun.h"

#include <algorithm>
#include <cmath>

#include "terrain/colouring_common.h"

namespace kalvenor {

namespace {

// 2 / pi: with exaggerated shading brightness falls linearly with the angle to the light.
constexpr double kExaggerationSlope = 0.6366182836771072;
constexpr float kShadowLightZ = 0.1f; // the dim light that reaches points in shadow

struct Normal {
    double x, y, z;
};

// a x b divided by its length; a zero length counts as 1.
Normal unitNormal(const Tangent& a, const Tangent& b)
{
    const double nx = a.y * b.z - a.z * b.y;
    const double ny = a.z * b.x - a.x * b.z;
    const double nz = a.x * b.y - a.y * b.x;
    double length = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (length == 0.0) length = 1.0;
    return {nx / length, ny / length, nz / length};
}

int brightnessByte(double d) { return static_cast<int>(std::clamp<std::int64_t>(truncSaturated(d * 256.0), 0, 255)); }

} // namespace

std::array<std::int32_t, 3> integerLightVector(const std::array<float, 3>& vector)
{
    std::array<std::int32_t, 3> out{};
    for (std::size_t i = 0; i < 3; ++i) out[i] = static_cast<std::int32_t>(truncSaturated(vector[i] * 256.0));
    return out;
}

void recomputeSun(const LightingSettings& lighting, SunLight& sun)
{
    const double a = lighting.sunAzimuth * kRadiansPerDegree;
    const double d = lighting.sunDeclination * kRadiansPerDegree;
    sun.vector = {static_cast<float>(-std::sin(a) * std::cos(d)), static_cast<float>(std::cos(a) * std::cos(d)),
                  static_cast<float>(std::sin(d))};
    sun.integer = integerLightVector(sun.vector);
    for (std::size_t i = 0; i < 3; ++i) sun.position[i] = static_cast<float>(sun.vector[i] * kSunDistance);
}

const SunPreset* findSunPreset(int commandId)
{
    for (const SunPreset& preset : kSunPresets)
        if (preset.commandId == commandId) return &preset;
    return nullptr;
}

int surfaceBrightness(const Tangent& a, const Tangent& b, const std::array<float, 3>& light, std::int32_t contrast,
                      bool exaggeration)
{
    if (contrast == 0) return 255;
    const Normal n = unitNormal(a, b);
    double d = n.x * light[0] + n.y * light[1] + n.z * light[2];
    if (d < 0.0) d = 0.0;
    // A light vector rounded to floats can be a hair longer than 1; acos needs d <= 1.
    if (exaggeration) d = 1.0 - std::acos(std::min(d, 1.0)) * kExaggerationSlope;
    return brightnessByte(d);
}

int shadowedBrightness(const Tangent& a, const Tangent& b, std::int32_t contrast)
{
    if (contrast == 0) return 255;
    const Normal n = unitNormal(a, b);
    return brightnessByte(n.z * kShadowLightZ);
}

ShadowStep shadowStepFor(const std::array<float, 3>& light, float spacingX, float spacingY, int g)
{
    const double lx = light[0];
    const double ly = light[1];
    const double lz = light[2];
    const double sx = spacingX;
    const double sy = spacingY;
    ShadowStep step;
    // One grid step along the axis the sun lies closer to, the other two scaled to it.
    if (std::fabs(ly) > std::fabs(lx)) {
        step.dy = ly > 0.0 ? 1.0 : -1.0;
        step.dx = lx * sy / (std::fabs(ly) * sx);
        step.dz = lz * sy / std::fabs(ly);
    } else {
        step.dx = lx >= 0.0 ? 1.0 : -1.0;
        step.dy = ly * sx / (std::fabs(lx) * sy);
        step.dz = lz * sx / std::fabs(lx);
    }
    step.dx *= g;
    step.dy *= g;
    step.dz *= g;
    step.idx = truncSaturated(1024.0 * step.dx);
    step.idy = truncSaturated(1024.0 * step.dy);
    step.idz = truncSaturated(1024.0 * step.dz);
    return step;
}

} // namespace kalvenor
