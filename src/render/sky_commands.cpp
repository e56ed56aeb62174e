#include "render/sky_commands.h"

#include <cmath>
#include <optional>
#include <vector>

#include "base/frontend.h"
#include "terrain/colouring_inputs.h"
#include "terrain/sun.h"

namespace kalvenor {

namespace {

// The position offered in units of the scale, edited, and multiplied back.
std::optional<std::vector<double>> askPosition(Frontend& ui, const char* prompt, double x, double y, double z,
                                               double scale)
{
    std::optional<std::vector<double>> answer = ui.askNumbers(prompt, {x / scale, y / scale, z / scale});
    if (!answer || answer->size() != 3) return std::nullopt;
    for (double& v : *answer) v *= scale;
    return answer;
}

} // namespace

SkyDirection directionOf(double x, double y, double z)
{
    // 0 - x rather than -x: a body due south (x = 0) is at 180, not -180.
    return {std::atan2(0.0 - x, y) / kRadiansPerDegree, std::atan2(z, std::hypot(x, y)) / kRadiansPerDegree};
}

int setSunPosition(Landscape& land, LightingSettings& lighting, ColouringState& state, Frontend& ui)
{
    const std::array<float, 3>& at = state.sun.position;
    const std::optional<std::vector<double>> p = askPosition(ui, kSetSunPositionPrompt, at[0], at[1], at[2], kSunDistance);
    if (!p) return -1;
    const std::vector<double>& v = *p;
    // Taken as offered (the same floats after the round trip): nothing moves.
    if (static_cast<float>(v[0]) == at[0] && static_cast<float>(v[1]) == at[1] && static_cast<float>(v[2]) == at[2])
        return 1;
    if (v[0] == 0.0 && v[1] == 0.0 && v[2] == 0.0) return 1;
    const SkyDirection d = directionOf(v[0], v[1], v[2]);
    setSun(land, lighting, state, static_cast<float>(d.azimuth), static_cast<float>(d.declination));
    return 1;
}

void placeSun(Landscape& land, LightingSettings& lighting, ColouringState& state, double x, double y, double z)
{
    if (x == 0.0 && y == 0.0 && z == 0.0) return;
    const SkyDirection d = directionOf(x, y, z); // the scale does not change the direction
    setSun(land, lighting, state, static_cast<float>(d.azimuth), static_cast<float>(d.declination));
}

void placeMoon(SunMoonSettings& bodies, double x, double y, double z)
{
    bodies.moonX = static_cast<float>(x * kMoonDistanceScale);
    bodies.moonY = static_cast<float>(y * kMoonDistanceScale);
    bodies.moonZ = static_cast<float>(z * kMoonDistanceScale);
}

int setMoonPosition(SunMoonSettings& bodies, Frontend& ui)
{
    const std::optional<std::vector<double>> p =
        askPosition(ui, kSetMoonPositionPrompt, bodies.moonX, bodies.moonY, bodies.moonZ, kMoonDistanceScale);
    if (!p) return -1;
    bodies.moonX = static_cast<float>((*p)[0]);
    bodies.moonY = static_cast<float>((*p)[1]);
    bodies.moonZ = static_cast<float>((*p)[2]);
    return 1;
}

} // namespace kalvenor
