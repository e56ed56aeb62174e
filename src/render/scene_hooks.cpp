#include "render/scene_hooks.h"

#include "render/clouds.h"
#include "render/scene_frame.h"

namespace kalvenor {

void drawCellObjects(SceneFrame& frame, int col, int row)
{
    // Trees and buildings are not drawn yet.
    (void)frame, (void)col, (void)row;
}

int drawCloudLayer(SceneFrame& frame)
{
    if (frameAborted(frame)) return -1;
    return drawClouds(frame);
}

} // namespace kalvenor
