// The vehicle dynamics of a camera path: how the points follow the ground,
// which way they look, and how the camera banks and pitches. Each step works
// on the whole point list; the generation pipeline (path_generate.h) runs them
// in order. A closed loop wraps at its ends; an open path keeps its end points
// out of every three-point smoothing pass.
#pragma once

#include <vector>

#include "model/landscape.h"
#include "model/path_layout.h"

namespace kalvenor {

class Frontend;

// The ground under a position in metres: the elevation of the cell
// (x / spacingX, y / spacingY), each truncated toward zero, or 0 outside the grid.
double groundElevation(const Landscape& land, double x, double y);

// Ground vehicles: every point at the ground under it plus the clearance.
void followGround(std::vector<PathPoint>& points, const Landscape& land, double clearance);

// One altitude smoothing pass: z'[i] = (z[i - 1] + 2 z[i] + z[i + 1]) / 4.
void smoothAltitudes(std::vector<PathPoint>& points, bool closed);

// Air vehicles: lifts the path where it comes closer than 0.9 x minimum to the
// ground, in smooth bumps of half-width max(1, min(point count, smoothness)),
// until no point is that low or the lowest height stays the same (in whole
// metres) for 25 rounds. Shows "Adj Height...(%d/%d) Min=%d" each round.
// Returns the greatest height above ground of the last round.
double adjustClearance(std::vector<PathPoint>& points, const Landscape& land, double minimum, int smoothness,
                       bool closed, Frontend& ui);

// The heading of every point (degrees, 0 .. 360): toward its target, else
// toward the next point (the last of a closed loop toward point 0). The last
// point of an open path without a target carries on the turn of the two
// before it.
void computeHeadings(std::vector<PathPoint>& points, bool closed);

// One circular three-point mean pass over headings or banks (angle names
// &PathPoint::heading or &PathPoint::bank).
void smoothAngles(std::vector<PathPoint>& points, float PathPoint::*angle, bool closed);

// Banks from the horizontal turn at each interior point: with u = P[i-1] - P[i]
// and v = P[i] - P[i+1] taken horizontally, the sideways pull p = (u x v)z /
// |P[i] - P[i+1]| (three-dimensional length; s^2 / R for a steady turn of
// radius R at s metres a frame) gives bank = -atan(p x coefficient / 3 m) in
// degrees, within -90 .. 90. A left turn (counter-clockwise seen from above)
// banks negative for a positive coefficient. The end points copy their neighbours.
void computeBanks(std::vector<PathPoint>& points, double coefficient);

// A barrel roll of roll frames (+ clockwise, - counter-clockwise) from point
// start: 360 (k + 1) / |roll| degrees added to (subtracted from) the bank of
// point start + k. A closed loop carries it on from point 0, at most once round.
void applyRoll(std::vector<PathPoint>& points, int start, int roll, bool closed);

// Each node's roll at the first point of its segment.
void applyNodeRolls(std::vector<PathPoint>& points, const std::vector<PathNode>& nodes, bool closed);

// Pitches toward the target, else toward the next point (the last point using
// the direction from the one before), plus the extra pitch, in 0 .. 360.
void computePitches(std::vector<PathPoint>& points, double extraPitch);

// One pitch smoothing pass: every pitch above 90 first loses 360, then every
// pitch below -90 gains 360, so that a slight descent (near 360) averages with
// level flight; then the three-point mean of the altitudes.
void smoothPitches(std::vector<PathPoint>& points, bool closed);

} // namespace kalvenor
