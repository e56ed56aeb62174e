#include "render/scene_hooks.h"

#include "render/scene_frame.h"

namespace kalvenor {

void drawCellObjects(SceneFrame& frame, int col, int row)
{
    // Trees and buildings are not drawn yet.
    (void)frame, (void)col, (void)row;
}

int drawCloudLayer(SceneFrame& frame)
{
    // Clouds are not drawn yet; an abort seen before still ends the frame.
    return frameAborted(frame) ? -1 : 1;
}

} // namespace kalvenor
