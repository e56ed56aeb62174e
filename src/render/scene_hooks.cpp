#include "render/scene_hooks.h"

#include "render/clouds.h"
#include "render/scene_frame.h"
#include "render/trees.h"
#include "terrain/colouring_common.h"

namespace kalvenor {

void drawCellObjects(SceneFrame& frame, int col, int row)
{
    if (frame.scene.trees.trees == 0) return;
    // Only trees are drawn: nothing places buildings (objects 60..63, 72..75) yet.
    const int object = ground::object(frame.land.terrain[row][col]);
    if (isTreeObject(object)) drawTree(frame, object, col, row);
}

int drawCloudLayer(SceneFrame& frame)
{
    if (frameAborted(frame)) return -1;
    return drawClouds(frame);
}

} // namespace kalvenor
