// The contents of one frame: the sky, horizon, sun, moon and stars, then the
// landscape cell by cell from the far edges toward the camera, each cell as
// lit, hazed, possibly subdivided polygons handed to the rasteriser.
#pragma once

#include "render/span.h"

namespace kalvenor {

struct App;
class Frontend;

// Draws the frame into target with the view already built (view rotation,
// projection extents, surface light). Returns 1 when done, -1 when aborted
// (the buffers keep what was drawn so far).
int drawScene(App& app, Frontend& ui, const RasterTarget& target);

struct SceneDrawState;

// The same with the renderer's own derived state (star map, grid lines, disc
// textures) kept by the caller, so it lasts from frame to frame.
int drawScene(App& app, SceneDrawState& state, Frontend& ui, const RasterTarget& target);

// The grid walk alone, after the background: rows (or columns) from the far
// edges toward the camera's cell. byRows picks the row walk (heading 0..45 and
// 135..180 after folding); 1 when done, -1 when aborted.
struct SceneFrame;
int walkTerrain(SceneFrame& frame, bool byRows);

// True when the heading asks for the row walk: h = |trunc(heading)| mod 180
// outside 45 < h < 135.
bool walksByRows(float headingDegrees);

} // namespace kalvenor
