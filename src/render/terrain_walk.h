// The contents of one frame: the sky, horizon, sun, moon and stars, then the
// landscape cell by cell from the far edges toward the camera, each cell as
// lit, hazed, possibly subdivided polygons handed to the rasteriser.
#pragma once

#include "model/texture_slots.h"
#include "render/span.h"

namespace kalvenor {

class Frontend;
struct ColouringState;
struct Landscape;
struct RasterState;
struct SceneDrawState;
struct SceneSettings;
struct SurfaceLight;
struct ViewState;

// The records one frame reads and changes.
struct SceneRecords {
    const Landscape& landscape;
    SceneSettings& scene; // the cloud colours are rebuilt for every frame
    const ColouringState& colouring;
    const TextureSlots& textures; // unpacked for the frame; named maps are loaded before it
    ViewState& view;
    SurfaceLight& light;
    RasterState& raster;
};

// Draws the frame into target with the view already built (view rotation,
// projection extents). The renderer's own derived state (star map, grid lines,
// disc textures) is kept by the caller, so it lasts from frame to frame.
// Returns 1 when done, -1 when aborted (the buffers keep what was drawn so far).
int drawScene(const SceneRecords& records, SceneDrawState& state, Frontend& ui, const RasterTarget& target);

// The grid walk alone, after the background: rows (or columns) from the far
// edges toward the camera's cell. byRows picks the row walk (heading 0..45 and
// 135..180 after folding); 1 when done, -1 when aborted.
struct SceneFrame;
int walkTerrain(SceneFrame& frame, bool byRows);

// True when the heading asks for the row walk: h = |trunc(heading)| mod 180
// outside 45 < h < 135.
bool walksByRows(float headingDegrees);

} // namespace kalvenor
