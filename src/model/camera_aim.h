// Aiming the camera: placing the camera and its target, the heading and pitch
// that follow from them, and the lens settings that follow from the field of
// view. Placing either end re-aims the camera.
#pragma once

#include "model/scene_settings.h"

namespace kalvenor {

constexpr double kDegreesToRadians = 0.017453292519943295;
constexpr double kRadiansToDegrees = 57.29577951308232;

// Direction of the vector (a, b) in degrees, in [0, 360).
double vectorAngle(double a, double b);

// Heading and pitch from the camera toward the target; bank is left alone.
void reaim(CameraSettings& camera);

// The distance from the camera to its target, in metres.
double targetDistance(const CameraSettings& camera);

// Places the target distance metres ahead of the camera along its heading and
// pitch (so re-aiming keeps them), then re-aims; the locks do not apply.
void placeTargetAhead(CameraSettings& camera, double distance);

// Stores each coordinate whose lock is clear, then re-aims.
void setCamera(CameraSettings& camera, float x, float y, float z);
void setTarget(CameraSettings& camera, float x, float y, float z);

// Field of view in degrees, clamped to [1, 172].
void setFieldOfView(CameraSettings& camera, float degrees);
// Focal length as shown to the user: focal factor = value / 16.
void setFocalLength(CameraSettings& camera, float value);

} // namespace kalvenor
