// Terrain triangles held back for one line of the walk. Far away, several
// triangles fall on each pixel, and the painter's order writes most of them
// over at once: the next line of cells, nearer the eye, covers the line
// before. A held triangle whose every pixel a later held triangle writes is
// neither shaded nor drawn; what drawing it would have left besides its
// pixels (the polygon counts, the dither stream's draws for its spans) is
// kept, so the picture and everything after it are the same to the bit.
//
// Only untextured triangles of cells that are not split are held, and only
// while every polygon goes to an opaque image plane. Anything else drawn in
// between (a tree, a house, a split cell) first draws what is held, so the
// order of the picture never changes.
#pragma once

#include "render/scene_frame.h"

namespace kalvenor {

// Whether the frame's terrain triangles may be held: holding is allowed, and
// the image's true-colour plane (and the 8-bit one, when there is one) covers
// the whole image, so every span of a triangle writes all of its pixels.
bool mayHoldTriangles(const SceneFrame& frame);

// Holding is allowed unless this turns it off (for the whole process, as the
// thread count): the pictures are the same either way, which is what the
// tests and the benchmarks compare.
void allowHeldTriangles(bool allowed);

// True when the line being walked holds its triangles: the frame may, and
// holding has not been paused. Near the eye, where triangles are large and
// rarely hidden, holding pauses for some lines whenever a line hid few.
bool holdingTriangles(const SceneFrame& frame);

// Holds triangle (a, b, c) of the line being walked; its corners stay where
// they are (in the walk's grid lines) until it is drawn.
void holdTriangle(SceneFrame& frame, const TerrainVertex& a, const TerrainVertex& b, const TerrainVertex& c);

// The walk finished the line between grid lines lineA and lineB: the line
// before it is drawn (what this one covers left out), and this one is held
// until the next.
void finishHeldLine(SceneFrame& frame, int lineA, int lineB);

// Draws everything held, in order (before anything else is drawn, and at the
// end of a walk or a piece of it).
void drawHeldTriangles(SceneFrame& frame);

// Forgets what is held without drawing it (an abandoned frame).
void dropHeldTriangles(SceneFrame& frame);

// A new walk, or a new piece of one: nothing held, holding not paused.
void startHeldTriangles(SceneFrame& frame);

// True when held triangles have corners on grid line `line`.
bool holdsGridLine(const SceneFrame& frame, int line);

} // namespace kalvenor
