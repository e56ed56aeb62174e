// Where the scene objects of other parts of the renderer join the frame: the
// trees and buildings standing on a grid point, drawn right after the point's
// cell so they are ordered with the terrain, and the cloud layer, drawn before
// the terrain when the camera is below it and after it otherwise.
//
// Trees are drawn when the tree switch is on; buildings are not placed by
// anything yet, so their object codes draw nothing.
#pragma once

namespace kalvenor {

struct SceneFrame;

// The objects (object byte of the terrain map) standing on grid point (col, row).
void drawCellObjects(SceneFrame& frame, int col, int row);

// The cloud layer. 1 when done, -1 when aborted.
int drawCloudLayer(SceneFrame& frame);

} // namespace kalvenor
