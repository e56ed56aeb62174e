// The first step of a path generation: the curve through the nodes, sampled
// into points one frame apart, with the targets the camera looks at.
//
// A segment draws the curve between its second and third node, so an open
// path of n nodes runs from node 1 to node n - 2 (segments i = 0 .. n - 4 over
// nodes i .. i + 3); a closed loop has one segment per node, its nodes taken
// modulo n. With a fixed speed each segment is a cubic Bezier through its two
// middle nodes; with variable speed a uniform cubic B-spline whose spacing
// follows the speeds of the middle nodes.
#pragma once

#include <cstddef>
#include <vector>

#include "model/path_layout.h"

namespace kalvenor {

// The frame spacing in centimetres: the speed setting, or in fixed frame count
// mode (when the frame count is not 0) 100 x the summed straight distances
// between the consecutive nodes 1 .. n - 2, divided by the frame count.
double frameSpacing(const std::vector<PathNode>& nodes, const PathSettings& settings);

// The points of one segment lie at first .. last in the point list.
struct SegmentSpan {
    int segment = 0; // i: the segment over nodes i .. i + 3
    int first = 0;
    int last = 0;
};

// Samples every segment into points (positions and node numbers; the first
// sample of all is always kept, each further one only at least the minimum
// distance from the last kept point) and gives the points their targets.
// At most capacity - 1 points are made; further samples are dropped. Needs four
// nodes or more; fewer give no points.
void buildSplinePoints(const std::vector<PathNode>& nodes, const PathSettings& settings, std::size_t capacity,
                       std::vector<PathPoint>& points);

// The targets of the points of one segment, from the target states of its
// nodes A = i + 1 and B = i + 2 (modulo the node count). Exposed for tests.
void assignSegmentTargets(const std::vector<PathNode>& nodes, const SegmentSpan& span, bool closed,
                          std::vector<PathPoint>& points);

} // namespace kalvenor
