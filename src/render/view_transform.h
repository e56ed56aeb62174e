// The view transform every later stage of the renderer uses: world to view
// rotation, the camera offset and the focal factor, and the distance and haze
// weight of a world point.
#pragma once

#include "model/scene_settings.h"

namespace kalvenor {

struct Vec3 {
    float x = 0.0f, y = 0.0f, z = 0.0f;
};

// The rows of the world-to-view rotation. u and v take the sideways and
// vertical rows, w the forward row; depth is measured downward (camera Z - Z).
struct ViewRotation {
    float r11 = 1.0f, r12 = 0.0f; // u and v from world X
    float r21 = 0.0f, r22 = 1.0f; // u and v from world Y
    float q1 = 0.0f, q2 = 1.0f;   // u and v from depth
    float f1 = 0.0f, f2 = 1.0f, f3 = 0.0f; // the forward row
};

// Lens angles held while a lens direction is in force for one frame.
struct SavedLens {
    bool active = false;
    float heading = 0.0f, pitch = 0.0f, bank = 0.0f;
};

// Camera position held while a stereo eye is in force for one frame.
struct SavedEye {
    bool active = false;
    float x = 0.0f, y = 0.0f, z = 0.0f;
};

// The renderer's view state, rebuilt before every frame and for each stereo
// eye. Only the render driver changes it (through buildViewRotation, the lens
// and eye operations); terrain, sky, clouds and trees read it.
struct ViewState {
    ViewRotation rotation;
    // The eye and lens the rotation was built for.
    float eyeX = 0.0f, eyeY = 0.0f, eyeZ = 0.0f;
    float focalFactor = 2.0f;
    // Distance to the camera and haze weight of the point last given to distanceAndHaze.
    float lastDistance = 0.0f;
    float hazeWeight = 0.0f;
    SavedLens lens;
    SavedEye eye;
};

// Fills the rotation from bank, heading and pitch (degrees) and takes the
// camera position and focal factor as the view's eye and lens.
ViewRotation viewRotation(float bankDegrees, float headingDegrees, float pitchDegrees);
void buildViewRotation(ViewState& view, const CameraSettings& camera);

// World point to view space (u, v, w), w already divided by the focal factor.
Vec3 toViewSpace(const ViewState& view, float x, float y, float z);

// The rotation alone, for directions: the same rows on (x, y, -z).
Vec3 rotateDirection(const ViewState& view, Vec3 direction);

// True when a view-space point lies strictly inside the view volume.
bool insideViewVolume(Vec3 p);

// Distance of a world point to the eye; also leaves it and the point's haze
// weight in the view state. haze is the sky setting (0 = none) and base the
// lowest elevation of the landscape.
float distanceAndHaze(ViewState& view, float x, float y, float z, int haze, float baseElevation);

} // namespace kalvenor
