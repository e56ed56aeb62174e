#include "model/camera_aim.h"

#include <algorithm>
#include <cmath>

namespace kalvenor {

namespace {

// A heading or pitch is folded once into (-180, 180].
float foldOnce(double degrees)
{
    if (degrees > 180.0) degrees += -360.0;
    else if (degrees < -180.0) degrees += 360.0;
    return static_cast<float>(degrees);
}

} // namespace

double vectorAngle(double a, double b)
{
    if (a == 0.0) return b >= 0.0 ? 90.0 : 270.0;
    double angle = std::atan(b / a) * kRadiansToDegrees;
    if (a < 0.0) angle += 180.0;
    if (angle < 0.0) angle += 360.0;
    return angle;
}

void reaim(CameraSettings& camera)
{
    const float dx = camera.targetX - camera.cameraX;
    const float dy = camera.targetY - camera.cameraY;
    const float dz = camera.targetZ - camera.cameraZ;
    const double level = std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy);
    camera.heading = foldOnce(vectorAngle(dx, dy) + -90.0);
    camera.pitch = foldOnce(vectorAngle(level, dz));
}

double targetDistance(const CameraSettings& c)
{
    return std::hypot(c.targetX - c.cameraX, c.targetY - c.cameraY, c.targetZ - c.cameraZ);
}

void placeTargetAhead(CameraSettings& camera, double distance)
{
    const double h = camera.heading * kDegreesToRadians;
    const double p = camera.pitch * kDegreesToRadians;
    camera.targetX = static_cast<float>(camera.cameraX - std::sin(h) * std::cos(p) * distance);
    camera.targetY = static_cast<float>(camera.cameraY + std::cos(h) * std::cos(p) * distance);
    camera.targetZ = static_cast<float>(camera.cameraZ + std::sin(p) * distance);
    reaim(camera);
}

void setCamera(CameraSettings& camera, float x, float y, float z)
{
    if (!camera.lockX) camera.cameraX = x;
    if (!camera.lockY) camera.cameraY = y;
    if (!camera.lockZ) camera.cameraZ = z;
    reaim(camera);
}

void setTarget(CameraSettings& camera, float x, float y, float z)
{
    if (!camera.lockX) camera.targetX = x;
    if (!camera.lockY) camera.targetY = y;
    if (!camera.lockZ) camera.targetZ = z;
    reaim(camera);
}

// A value that is not a number (a script may spell one) cannot be clamped
// and would turn into an undefined integer focal length; it changes nothing.
void setFieldOfView(CameraSettings& camera, float degrees)
{
    if (std::isnan(degrees)) return;
    const double fov = std::clamp(static_cast<double>(degrees), 1.0, 172.0);
    camera.fieldOfView = static_cast<std::int32_t>(std::lround(fov));
    camera.focalFactor = static_cast<float>(1.0 / std::tan(fov * 0.5 * kDegreesToRadians));
    camera.focalLength = static_cast<std::int32_t>(camera.focalFactor * 16.0f);
}

void setFocalLength(CameraSettings& camera, float value)
{
    if (std::isnan(value)) return;
    camera.focalFactor = value * 0.0625f;
    camera.focalLength = static_cast<std::int32_t>(std::clamp(value, -2147483648.0f, 2147483520.0f));
    if (camera.focalFactor > 0.0f)
        camera.fieldOfView =
            static_cast<std::int32_t>(std::lround(2.0 * std::atan(1.0 / camera.focalFactor) * kRadiansToDegrees));
}

} // namespace kalvenor
