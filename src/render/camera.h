// Placing the camera and its target, and the lens settings that follow from
// the field of view. Placing either end re-aims the camera.
#pragma once

#include "landscape/scene_settings.h"
#include "render/view_transform.h"

namespace kalvenor {

constexpr double kDegreesToRadians = 0.017453292519943295;
constexpr double kRadiansToDegrees = 57.29577951308232;

// Direction of the vector (a, b) in degrees, in [0, 360).
double vectorAngle(double a, double b);

// Heading and pitch from the camera toward the target; bank is left alone.
void reaim(CameraSettings& camera);

// Stores each coordinate whose lock is clear, then re-aims.
void setCamera(CameraSettings& camera, float x, float y, float z);
void setTarget(CameraSettings& camera, float x, float y, float z);

// Field of view in degrees, clamped to [1, 172].
void setFieldOfView(CameraSettings& camera, float degrees);
// Focal length as shown to the user: focal factor = value / 16.
void setFocalLength(CameraSettings& camera, float value);

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
