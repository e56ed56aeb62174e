// The sun and moon pickers of the Light and Sky panels. The body's position is
// divided by its distance scale (1.5e11 m for the sun, 3.8e8 m for the moon),
// offered for editing as three numbers under "Set sun position:" or "Set moon
// position:", and multiplied back. Cancel changes nothing.
//
// The sun's lighting follows its azimuth and declination, so the edited
// position is turned into those two angles and set through the sun setter:
// the light vector, the shading and the drawn disc move together. A zero
// vector names no direction and leaves the sun where it is.
//
// Results: 1 when the answer was taken, -1 when cancelled.
#pragma once

#include "model/landscape.h"
#include "model/scene_settings.h"
#include "terrain/colouring_state.h"

namespace kalvenor {

class Frontend;

inline constexpr const char* kSetSunPositionPrompt = "Set sun position:";
inline constexpr const char* kSetMoonPositionPrompt = "Set moon position:";

constexpr double kMoonDistanceScale = 380000000.0; // metres

int setSunPosition(Landscape& land, LightingSettings& lighting, ColouringState& state, Frontend& ui);
int setMoonPosition(SunMoonSettings& bodies, Frontend& ui);

// The same placements without a question, the position given in units of the
// body's distance (the numbers the pickers show). A zero vector leaves the sun
// where it is.
void placeSun(Landscape& land, LightingSettings& lighting, ColouringState& state, double x, double y, double z);
void placeMoon(SunMoonSettings& bodies, double x, double y, double z);

// The direction of a position seen from the origin, in the sun's convention
// (azimuth 0 north, 90 west, 180 south, -90 east; declination 0 on the
// horizon): azimuth atan2(-x, y) in (-180, 180], declination atan2(z,
// horizontal length). The origin gives (0, 0).
struct SkyDirection {
    double azimuth = 0.0;
    double declination = 0.0;
};
SkyDirection directionOf(double x, double y, double z);

} // namespace kalvenor
