// The renderer's own derived state that outlives a frame: the star map, the
// two grid lines the terrain walk shares between neighbouring rows of cells,
// the textures of the sun and moon discs, the texture maps unpacked for the
// frame, and scratch polygons. None of
// it is a setting; the terrain walk and the sky change it while they draw.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "model/random_streams.h"
#include "render/polygon.h"
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

// A disc texture: one texel of the body's colour until a texture map is loaded.
struct DiscTexture {
    std::uint32_t texel = 0;
    TextureView view;
};

struct FrameHelpers;

struct SceneDrawState {
    StarMap stars;
    GridLine lines[2];
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
