// The renderer's own derived state that outlives a frame: the star map, the
// grid lines the terrain walk shares between neighbouring rows of cells, the
// triangles it holds back, the textures of the sun and moon discs, the
// texture maps unpacked for the frame, and scratch polygons. None of it is a
// setting; the terrain walk and the sky change it while they draw.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "model/random_streams.h"
#include "render/polygon.h"
#include "render/rasteriser.h"
#include "render/star_map.h"
#include "render/terrain_vertex.h"
#include "render/textures.h"
#include "render/view_transform.h"

namespace kalvenor {

// One grid row (or column, in the column walk) at every step-th point: the
// view-space transform of the undeformed point, and the vertex records built
// for the cells in view (built marks which).
struct GridLine {
    int index = -1; // the row or column held, -1 for none
    std::vector<Vec3> view;
    std::vector<std::uint8_t> outcode; // viewOutcode of each point
    std::vector<TerrainVertex> vertices;
    std::vector<std::uint8_t> built;
};

// A terrain triangle held back until the next line of the walk is known.
struct HeldTriangle {
    const TerrainVertex* corner[3] = {};
    int firstSpan = 0, spans = 0; // into HeldTriangles::spans: the pixels it would write
    std::uint32_t id = 0;         // its mark in the owner map; 0: its corners were not all in view, its pixels unknown
};

// The triangles of the walk's last two lines, held so that those whose every
// pixel a later triangle writes over are neither shaded nor drawn.
struct HeldTriangles {
    std::vector<HeldTriangle> list;
    std::vector<ImageSpan> spans;
    std::size_t older = 0;        // list[0, older): the line before; the rest: the line being walked
    int olderLines[2] = {-1, -1}; // the grid lines the older triangles' corners lie on
    bool drawing = false;         // they are being drawn: other polygons go straight through
    // Each image pixel's owner: the mark of the last held triangle that
    // writes it. Marks only grow, so an old one never passes for a new one.
    std::vector<std::uint32_t> owner;
    std::uint32_t lastId = 0;
    int ownerWidth = 0, ownerHeight = 0;
    std::vector<int> left, right; // scratch rows for a triangle's extents
    std::uint64_t hiddenCount = 0; // triangles left out so far (by this state's walks)
    int pausedLines = 0;           // lines still to walk without holding (few were hidden lately)
};

// A disc texture: one texel of the body's colour until a texture map is loaded.
struct DiscTexture {
    std::uint32_t texel = 0;
    TextureView view;
};

struct FrameHelpers;

// The grid lines the walk keeps: the two a row of cells lies between, and
// the one before them, where the corners of the held triangles may lie.
constexpr int kWalkSlots = 3;

struct SceneDrawState {
    StarMap stars;
    GridLine lines[kWalkSlots];
    HeldTriangles held;
    DiscTexture sun, moon;
    FrameTextures textures;      // the texture slots unpacked for this frame
    TextureView terrainTexture;  // the level and hilite of the textured triangle being drawn
    TextureView objectTexture;   // the level of the textured tree card or house face being drawn
    RandomStreams scratchRandom; // for the strata codes of triangles; never the shared streams
    RandomStreams treeRandom;    // reseeded from its grid position for every tree; never the shared streams
    Polygon work, scratch;       // the polygon being built and the clipper's second buffer
    // What the helper threads of a frame keep between frames (their own
    // copies of this state, the recorded batches); made at the first frame
    // drawn with more than one thread.
    std::shared_ptr<FrameHelpers> helpers;
};

} // namespace kalvenor
