#include "render/waves.h"

#include <cmath>

#include "render/camera.h"

namespace kalvenor {

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kSourceDistance = 10000000.0;
// The three sources sit at the wave direction plus these angles (degrees).
constexpr double kSourceTurns[3] = {90.0, 91.0, 87.0};
// Each source's wave length divisor, and the weak wave from the highest point.
constexpr double kSourceDivisors[3] = {23.0, 19.0, 13.0};
constexpr double kPeakDivisor = 51.0;
constexpr double kPeakWeight = 0.14;

} // namespace

WaveField makeWaveField(const WaveSettings& waves, const Landscape& land)
{
    WaveField f;
    f.on = waves.enabled != 0;
    f.k = 80.0 / (waves.length == 0 ? 1.0 : static_cast<double>(waves.length));
    f.amplitude = waves.amplitude * 0.1;
    f.phase = waves.phase * kTwoPi * 0.01;
    f.speedFactor = kTwoPi / (waves.speed == 0 ? 1.0 : static_cast<double>(waves.speed));
    for (int i = 0; i < 3; ++i) {
        const double t = (waves.source + kSourceTurns[i]) * kDegreesToRadians;
        f.sourceX[i] = std::cos(t) * -kSourceDistance;
        f.sourceY[i] = std::sin(t) * kSourceDistance;
    }
    f.peakX = land.highestColumn * static_cast<double>(land.spacingX);
    f.peakY = land.highestRow * static_cast<double>(land.spacingY);
    return f;
}

double waveHeight(const WaveField& f, double x, double y)
{
    double sum = 0.0;
    for (int i = 0; i < 3; ++i) {
        const double d = std::hypot(x - f.sourceX[i], y - f.sourceY[i]);
        sum += std::sin(d * f.k / kSourceDivisors[i] + f.phase);
    }
    const double d4 = std::hypot(x - f.peakX, y - f.peakY);
    sum += kPeakWeight * std::sin(d4 * f.k / kPeakDivisor + f.phase);
    return sum * f.amplitude / f.k;
}

void advanceWavePhase(WaveSettings& waves)
{
    const double speed = waves.speed == 0 ? 1.0 : static_cast<double>(waves.speed);
    // Wrapped into one cycle so that a long animation keeps the float's precision.
    double next = std::fmod(static_cast<double>(waves.phase) + 100.0 / speed, 100.0);
    if (next < 0.0) next += 100.0;
    waves.phase = static_cast<float>(next);
}

} // namespace kalvenor
