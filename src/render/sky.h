// The background of a frame: the sky dome around the camera, shaded from the
// sky colour at the top into the sky haze toward the horizon, and the flat
// ground ring at the landscape's lowest elevation reaching to the horizon.
// Both are ordinary polygons through the same path as the terrain.
#pragma once

namespace kalvenor {

struct SceneFrame;

constexpr float kDomeRadius = 600000.0f;
constexpr float kDomeDrop = 500000.0f;   // the dome's centre lies this far below the camera
constexpr int kDomeBandsWithHorizon = 37; // degrees of polar angle drawn when the ground ring covers the rest
constexpr int kDomeBandsAlone = 180;
constexpr int kDomeSector = 5;           // degrees of azimuth
constexpr float kHorizonReach = 340000.0f;
constexpr int kHorizonSector = 3;        // degrees

// The sky dome (drawing stage: sky haze). Nothing when the sky is off.
// 1 when done, -1 when aborted (polled once per band).
int drawSky(SceneFrame& frame);

// The ground ring (drawing stage: haze from here on). Nothing when the
// horizon is off. 1 when done, -1 when aborted (polled once per ring).
int drawHorizon(SceneFrame& frame);

// Elevation in degrees above the camera's level of the dome band at polar
// angle a: 90 overhead, 0 at the band level with the camera (a of about 33.6),
// negative below it.
double domeElevation(double polarDegrees);

// How much of the sky haze colour the dome takes at that elevation, 0 .. 1:
// all of it at and below the level, none with no haze, and in between
// (1 - e / span)^2 with span = min(90, 10 + 0.3 haze) degrees, so the sky
// colour shows overhead and the haze climbs higher as the haze thickens; from
// a haze of 300 on, the whole dome takes a growing share of haze as well.
double domeHazeFraction(double elevationDegrees, int haze);

// Inner radius of horizon ring k (k = 1, 2, ...): 15 k (k - 1), so the rings
// start at 0, 30, 90, 180, 300, ...
float horizonRingStart(int k);

} // namespace kalvenor
