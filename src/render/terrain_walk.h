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

} // namespace kalvenor
