// Water waves: the height that the wave pattern adds to a water point. Three
// far sources in the wave direction and one at the landscape's highest point
// send sine waves of slightly different lengths across the water.
#pragma once

#include "model/landscape.h"
#include "model/scene_settings.h"

namespace kalvenor {

struct WaveField {
    bool on = false;
    double k = 8.0;            // 80 / wave length
    double amplitude = 1.0;    // amplitude x 0.1
    double phase = 0.0;        // radians
    double speedFactor = 0.0;  // 2 pi / speed, the phase step of one animation frame
    double sourceX[3] = {}, sourceY[3] = {};
    double peakX = 0.0, peakY = 0.0; // the landscape's highest grid point
};

// Derived from the wave settings and the landscape once per frame. A wave
// length or speed of 0 counts as 1.
WaveField makeWaveField(const WaveSettings& waves, const Landscape& land);

// (sin(d1 k/23 + p) + sin(d2 k/19 + p) + sin(d3 k/13 + p) + 0.14 sin(d4 k/51 + p)) x m / k,
// with d1..d3 the distances to the three sources and d4 to the highest point.
double waveHeight(const WaveField& field, double x, double y);

// Moves the phase on by one animation frame: 100 / speed percent (2 pi / speed
// radians), a speed of 0 counting as 1. The phase stays within 0 .. 100.
void advanceWavePhase(WaveSettings& waves);

} // namespace kalvenor
