// Everything one frame of the scene is drawn with: the pieces of state it
// reads and changes, the values derived from the settings once per frame, and
// the path every polygon of the frame takes to the image (submitPolygon).
#pragma once

#include "model/landscape.h"
#include "model/scene_settings.h"
#include "render/lit_colour.h"
#include "render/polygon.h"
#include "render/polygon_batch.h"
#include "render/rasteriser.h"
#include "render/scene_state.h"
#include "render/span.h"
#include "render/terrain_vertex.h"
#include "render/view_transform.h"
#include "render/waves.h"
#include "terrain/cliffs.h"
#include "terrain/sun.h"

namespace kalvenor {

class Frontend;

// Altitude texture (3-D surface detail): a quad is split while its size on
// screen reaches maxPolygonSize and its depth does not pass maxDepth.
struct SubdivisionLimits {
    int maxPolygonSize = 32000;
    int maxDepth = 0;
};

// Off, Low, Medium, High, Ultra: (32000, 0), (20, 4), (15, 6), (10, 8), (7, 8).
// The level comes from the texture kind and level (altitude kind, levels 1..4);
// any other kind is Off.
SubdivisionLimits subdivisionLimits(const TextureSettings& texture);

// Derived once per frame from the settings and the landscape.
struct TerrainParams {
    int step = 1;                     // the polygon size
    int firstCol = 0, firstRow = 0;   // bounds of the walk, multiples of the step
    int lastCol = 0, lastRow = 0;
    VertexContext vertex;
    ClassContext classes;
    WaveField waves;
    SubdivisionLimits limits;
    Vec3 light;                       // unit vector toward the sun
    float imageSide = 320.0f;         // the larger of the image width and height
    int roughness = 0;                // lighting roughness
    float cosCliffThreshold = 0.0f;   // a normal steeper than this may be cliff
    bool phong = true, blend = true, gouraud = false, exaggeration = false;
    bool backFaceCulling = true;
    bool detailMargin = true;         // cells near the image edge are kept for their detail
    bool exactCells = true;           // no deformation or detail can move a cell's corners
    bool anyTexture = false;          // some class is drawn with a texture map
    bool holdBack = false;            // triangles of whole cells are held a line (held_triangles.h)
};

struct SceneFrame {
    const Landscape& land;
    const SceneSettings& scene;
    const SunLight& sun;
    const StrataTable& strata;
    ViewState& view;
    SurfaceLight& light;
    RasterState& raster;
    const RasterTarget& target;
    Frontend& ui;
    SceneDrawState& state;
    TerrainParams terrain = {};
    int cellsSincePoll = 0;
    // When set, polygons are recorded here instead of rasterised (a helper
    // thread working out a piece of the frame).
    PolygonBatch* record = nullptr;
};

// Fills frame.terrain from the settings, the landscape and the view.
void prepareTerrainParams(SceneFrame& frame);

// True once the user asked to stop: a request seen by the rasteriser, or one
// this poll sees now (which is then kept for the rest of the frame).
bool pollFrameAbort(SceneFrame& frame);

// True when an abort was seen already; no poll.
inline bool frameAborted(const SceneFrame& frame) { return frame.raster.abortRequested; }

// The way of every polygon to the image: with cull set (objects with back-face
// culling on) a polygon whose first three view-space vertices turn away from
// the eye is dropped; then trivial reject, clipping (skipped when wholly in
// view), projection and rasterising. polygon is changed on the way.
void submitPolygon(SceneFrame& frame, Polygon& polygon, bool cull);

// The last step of that way, for a polygon already wholly in view and
// projected: rasterised, or recorded when the frame records.
void submitProjected(SceneFrame& frame, const Polygon& polygon);

// The same for an untextured polygon in view already packed for the rasteriser.
void submitPacked(SceneFrame& frame, const PackedEntry* entries, int count);

// True when the first three vertices p0, p1, p2 turn away from the eye:
// ((p1 - p0) x (p2 - p1)) . p1 >= 0.
bool facesAway(const Polygon& polygon);

} // namespace kalvenor
