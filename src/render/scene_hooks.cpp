#include "render/scene_hooks.h"

#include "render/buildings.h"
#include "render/clouds.h"
#include "render/held_triangles.h"
#include "render/scene_frame.h"
#include "render/trees.h"
#include "terrain/colouring_common.h"
#include "terrain/object_placement.h"

namespace kalvenor {

void drawCellObjects(SceneFrame& frame, int col, int row)
{
    int object = ground::object(frame.land.terrain[row][col]);
    // Held terrain triangles are drawn first: an object reads the light their shading leaves.
    // Houses stand whether trees are drawn or not.
    if (isHouseObject(object)) {
        drawHeldTriangles(frame);
        drawHouse(frame, object, col, row);
        return;
    }
    if (frame.scene.trees.trees == 0) return;
    // Trees placed by the colouring (34 .. 37) and by hand (60 .. 63, drawn as the same kinds).
    if (object >= kFirstPlacedTree && object < kFirstPlacedTree + 4) object -= kPlacedTreeOffset;
    if (isTreeObject(object)) {
        drawHeldTriangles(frame);
        drawTree(frame, object, col, row);
    }
}

int drawCloudLayer(SceneFrame& frame)
{
    if (frameAborted(frame)) return -1;
    return drawClouds(frame);
}

} // namespace kalvenor
