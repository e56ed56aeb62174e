// Lens directions and stereo eyes: turning and moving the camera for one
// frame and putting it back afterwards.
#pragma once

#include "model/camera_aim.h"
#include "model/scene_settings.h"
#include "render/view_transform.h"

namespace kalvenor {

// Turns the camera for the lens direction of one frame (port, starboard,
// astern) after saving heading, pitch and bank in the view state; forward
// changes nothing. restoreLens puts the saved angles back and may be called
// whatever the frame's outcome (it does nothing when no lens is in force).
void applyLens(ViewState& view, CameraSettings& camera);
void restoreLens(ViewState& view, CameraSettings& camera);

// How far a stereo eye sits from the centre camera: (s cos B cos H,
// s cos B sin H, -s sin B) with s = -separation for the left lens and
// +separation for the right one; zero for the centre lens.
Vec3 stereoEyeOffset(const CameraSettings& camera);

// Moves the camera to the eye of the stereo lens (saving its position in the
// view state) and rebuilds the view rotation; restoreEye puts the camera back.
void moveToEye(ViewState& view, CameraSettings& camera);
void restoreEye(ViewState& view, CameraSettings& camera);

} // namespace kalvenor
