// Path generation: from the nodes and the vehicle settings to the point list,
// one point per frame, and the access to the points that previews, playback
// and animation use.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "model/landscape.h"
#include "model/path_state.h"
#include "model/scene_settings.h"

namespace kalvenor {

class Frontend;

inline constexpr const char* kTooFewNodes = "You must place 4 spline nodes first!";
inline constexpr const char* kPointsOutOfMemory = "Out of memory (map)!";
inline constexpr const char* kNoPathToView = "No path to view!";

// Smoothness beyond this is taken as this: every unit costs 3.5 passes over the
// whole point list, and a damaged record may hold billions.
constexpr int kMaxSmoothness = 1000;

enum class PathGeneration {
    Generated,   // the point list is new (it may still be short when the nodes are close together)
    NoNodes,     // no nodes: the list is empty
    TooFewNodes, // one to three nodes: the list is empty
    DamagedNodes,
    OutOfMemory, // not even the smaller point list could be had
};

struct GenerationResult {
    PathGeneration status = PathGeneration::Generated;
    std::string message; // what the generation command shows; empty when nothing
};

// Rebuilds the point list from the nodes: spline, altitudes (ground following
// or clearance), headings, banks and rolls, pitches, each with its smoothing
// passes and status-line texts. Records the closed-loop setting in the
// settings' closed-at-generation word. Clamps the current point into the list.
// Shows no messages; every result other than Generated leaves the list empty.
GenerationResult generatePathPoints(PathState& path, const Landscape& land, Frontend& ui);

// The generation command: generatePathPoints with its message shown. 1 when
// the list has points, 0 otherwise.
int generatePath(PathState& path, const Landscape& land, Frontend& ui);

// The current point, clamped to the list (0 for an empty list).
int currentPathPoint(const PathState& path);

// Puts point i (clamped to the list) into the camera: the position through the
// camera placement (which honours the coordinate locks), then bank, heading
// and pitch as they are. Nothing for an empty list.
void setCameraToPoint(const PathState& path, int i, CameraSettings& camera);

// Plays the path from point first at rate points per second: the camera goes to
// each point in turn, show draws it, and waitMillis(1000 / rate) (integer
// division; a rate below 1 counts as 1) passes between points. Stops at the end
// of the list, when show returns false or when the user interrupts
// (Frontend::pollAbort). Returns the number of points shown; "No path to view!"
// when the list is empty.
int playPath(PathState& path, CameraSettings& camera, int first, int rate, Frontend& ui,
             const std::function<bool(const CameraSettings&)>& show, const std::function<void(int)>& waitMillis);

} // namespace kalvenor
