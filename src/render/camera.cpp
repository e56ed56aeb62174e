#include "render/camera.h"

#include <cmath>

namespace kalvenor {

void applyLens(ViewState& view, CameraSettings& camera)
{
    view.lens = {true, camera.heading, camera.pitch, camera.bank};
    const float pitch = camera.pitch;
    const float bank = camera.bank;
    switch (camera.lensDirection) {
    case kLensPort:
        camera.heading -= 90.0f;
        camera.bank = -pitch;
        camera.pitch = bank;
        break;
    case kLensStarboard:
        camera.heading += 90.0f;
        camera.bank = pitch;
        camera.pitch = -bank;
        break;
    case kLensAstern:
        camera.heading += 180.0f;
        camera.bank = -bank;
        camera.pitch = -pitch;
        break;
    default: break; // forward
    }
}

void restoreLens(ViewState& view, CameraSettings& camera)
{
    if (!view.lens.active) return;
    camera.heading = view.lens.heading;
    camera.pitch = view.lens.pitch;
    camera.bank = view.lens.bank;
    view.lens.active = false;
}

Vec3 stereoEyeOffset(const CameraSettings& camera)
{
    if (camera.stereoLens != kLensLeft && camera.stereoLens != kLensRight) return {};
    const double s = camera.stereoLens == kLensLeft ? -camera.cameraSeparation : camera.cameraSeparation;
    const double b = camera.bank * kDegreesToRadians;
    const double h = camera.heading * kDegreesToRadians;
    // (s, 0, 0) turned about the second axis by the bank, then about the vertical axis by the heading.
    return {static_cast<float>(s * std::cos(b) * std::cos(h)), static_cast<float>(s * std::cos(b) * std::sin(h)),
            static_cast<float>(-s * std::sin(b))};
}

void moveToEye(ViewState& view, CameraSettings& camera)
{
    view.eye = {true, camera.cameraX, camera.cameraY, camera.cameraZ};
    const Vec3 offset = stereoEyeOffset(camera);
    camera.cameraX += offset.x;
    camera.cameraY += offset.y;
    camera.cameraZ += offset.z;
    buildViewRotation(view, camera);
}

void restoreEye(ViewState& view, CameraSettings& camera)
{
    if (!view.eye.active) return;
    camera.cameraX = view.eye.x;
    camera.cameraY = view.eye.y;
    camera.cameraZ = view.eye.z;
    view.eye.active = false;
}

} // namespace kalvenor
