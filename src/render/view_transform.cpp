#include "render/view_transform.h"

#include <algorithm>
#include <cmath>

#include "render/camera.h"
#include "render/lit_colour.h"

namespace kalvenor {

namespace {

constexpr float kHazeCeiling = 1000.0f;       // air above base + 1000 is the clearest

} // namespace

ViewRotation viewRotation(float bankDegrees, float headingDegrees, float pitchDegrees)
{
    const double b = bankDegrees * kDegreesToRadians;
    const double p = pitchDegrees * kDegreesToRadians;
    const double h = -headingDegrees * kDegreesToRadians; // the rows are built for the negated heading
    const float sB = static_cast<float>(std::sin(b)), cB = static_cast<float>(std::cos(b));
    const float sP = static_cast<float>(std::sin(p)), cP = static_cast<float>(std::cos(p));
    const float sH = static_cast<float>(std::sin(h)), cH = static_cast<float>(std::cos(h));

    ViewRotation r;
    r.r11 = cB * cH + sH * sP * sB;
    r.r12 = sH * sP * cB - cH * sB;
    r.r21 = cH * sP * sB - sH * cB;
    r.r22 = sH * sB + cH * sP * cB;
    r.f1 = sH * cP;
    r.f2 = cH * cP;
    r.f3 = -sP;
    r.q1 = cP * sB;
    r.q2 = cP * cB;
    return r;
}

void buildViewRotation(ViewState& view, const CameraSettings& camera)
{
    view.rotation = viewRotation(camera.bank, camera.heading, camera.pitch);
    view.eyeX = camera.cameraX;
    view.eyeY = camera.cameraY;
    view.eyeZ = camera.cameraZ;
    view.focalFactor = camera.focalFactor;
}

Vec3 toViewSpace(const ViewState& view, float x, float y, float z)
{
    const ViewRotation& r = view.rotation;
    const float dx = x - view.eyeX;
    const float dy = y - view.eyeY;
    const float dd = view.eyeZ - z; // depth grows downward
    return {dx * r.r11 + dd * r.q1 + dy * r.r21, dx * r.r12 + dd * r.q2 + dy * r.r22,
            (dx * r.f1 + dy * r.f2 + dd * r.f3) / view.focalFactor};
}

Vec3 rotateDirection(const ViewState& view, Vec3 d)
{
    const ViewRotation& r = view.rotation;
    const float dd = -d.z;
    return {d.x * r.r11 + dd * r.q1 + d.y * r.r21, d.x * r.r12 + dd * r.q2 + d.y * r.r22,
            (d.x * r.f1 + d.y * r.f2 + dd * r.f3) / view.focalFactor};
}

bool insideViewVolume(Vec3 p) { return p.z > 0.0f && -p.z < p.x && p.x < p.z && -p.z < p.y && p.y < p.z; }

float distanceAndHaze(ViewState& view, float x, float y, float z, int haze, float baseElevation)
{
    const float dX = x - view.eyeX, dY = y - view.eyeY, dZ = z - view.eyeZ;
    const float distance = std::sqrt(dX * dX + dY * dY + dZ * dZ);
    view.lastDistance = distance;
    if (haze == 0) {
        view.hazeWeight = 0.0f;
        return distance;
    }
    // Low air is hazier than high air; long level sight lines hazier than steep ones.
    const float h = std::clamp((view.eyeZ + z) * 0.5f - baseElevation, 0.0f, kHazeCeiling);
    const float weight = ((kHazeCeiling - h) * 0.0008f + 0.2f) * (distance * distance) * 10.0f / (std::fabs(view.eyeZ - z) + 2500.0f);
    view.hazeWeight = std::min(weight, kMaxHazeWeight);
    return distance;
}

} // namespace kalvenor
