#include "render/sky.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "base/frontend.h"
#include "render/camera.h"
#include "render/clipping.h"
#include "render/scene_frame.h"
#include "render/terrain_lighting.h"

namespace kalvenor {

namespace {

constexpr int kDomePoints = 360 / kDomeSector + 1;
constexpr int kRingPoints = 360 / kHorizonSector + 1;

struct RingColour {
    std::uint32_t packed = 0;
};

void setColour(PolygonVertex& e, std::uint32_t colour, int classCode)
{
    e.red = static_cast<std::uint16_t>((colour & 0xFF) << 8);
    e.green = static_cast<std::uint16_t>(((colour >> 8) & 0xFF) << 8);
    e.blue = static_cast<std::uint16_t>(((colour >> 16) & 0xFF) << 8);
    e.alpha = kOpaque;
    e.classCode = static_cast<std::uint16_t>(classCode);
    e.intensity = 0;
    e.s = e.t = e.third = 0.0f;
}

void setCorner(PolygonVertex& e, Vec3 p, std::uint32_t colour, int classCode)
{
    e.u = p.x, e.v = p.y, e.w = p.z;
    e.seed = 0;
    setColour(e, colour, classCode);
}

// One band or ring sector as two triangles: upper (inner) corners u0, u1 with
// colour cu, lower (outer) corners l0, l1 with colour cl.
void drawSector(SceneFrame& frame, Vec3 u0, Vec3 u1, Vec3 l0, Vec3 l1, std::uint32_t cu0, std::uint32_t cu1,
                std::uint32_t cl0, std::uint32_t cl1, int classCode)
{
    Polygon& p = frame.state.work;
    p.texture = nullptr;
    p.count = 4;
    setCorner(p.vertices[0], u0, cu0, classCode);
    setCorner(p.vertices[1], u1, cu1, classCode);
    setCorner(p.vertices[2], l1, cl1, classCode);
    p.vertices[3] = p.vertices[0];
    submitPolygon(frame, p, false);
    p.count = 4;
    setCorner(p.vertices[0], u0, cu0, classCode);
    setCorner(p.vertices[1], l1, cl1, classCode);
    setCorner(p.vertices[2], l0, cl0, classCode);
    p.vertices[3] = p.vertices[0];
    submitPolygon(frame, p, false);
}

// The dome ring at polar angle a, in view space.
void domeRing(const SceneFrame& frame, int polarDegrees, std::array<Vec3, kDomePoints>& ring)
{
    const double a = polarDegrees * kDegreesToRadians;
    const float across = static_cast<float>(kDomeRadius * std::sin(a));
    const float up = static_cast<float>(kDomeRadius * std::cos(a)) - kDomeDrop;
    const ViewState& view = frame.view;
    for (int i = 0; i < kDomePoints; ++i) {
        const double b = (-180 + i * kDomeSector) * kDegreesToRadians;
        ring[static_cast<std::size_t>(i)] =
            rotateDirection(view, {across * static_cast<float>(std::cos(b)), across * static_cast<float>(std::sin(b)), up});
    }
}

std::uint32_t domeColour(SceneFrame& frame, int polarDegrees, Rgb sky)
{
    // The band's share f of the sky haze colour, as the weight k of the lit
    // colour's blend, which takes k / (k + 256) of the haze.
    const double f = domeHazeFraction(domeElevation(polarDegrees), frame.scene.sky.haze);
    frame.light.hazeWeight = f >= 1.0 ? kMaxHazeWeight : static_cast<float>(256.0 * f / (1.0 - f));
    return litColour(frame.light, sky.r, sky.g, sky.b, frame.sun.lightLevel, 0, 0);
}

// The horizon ring at radius r, in view space, centred on the camera's whole metres.
void horizonRing(const SceneFrame& frame, float radius, std::array<Vec3, kRingPoints>& ring)
{
    const ViewState& view = frame.view;
    const float cx = std::trunc(view.eyeX), cy = std::trunc(view.eyeY);
    const float z = static_cast<float>(frame.land.lowestElevation);
    for (int i = 0; i < kRingPoints; ++i) {
        const double b = (-180 + i * kHorizonSector) * kDegreesToRadians;
        ring[static_cast<std::size_t>(i)] = toViewSpace(view, cx + radius * static_cast<float>(std::cos(b)),
                                                        cy + radius * static_cast<float>(std::sin(b)), z);
    }
}

// Colour of the ring at radius r; with a hilite for the corner direction b when the class shines.
std::uint32_t horizonColour(SceneFrame& frame, float radius, Rgb colour, const SurfaceAttributes& attributes,
                            double b)
{
    const ViewState& view = frame.view;
    const float z = static_cast<float>(frame.land.lowestElevation);
    distanceAndHaze(frame.view, view.eyeX + radius, view.eyeY, z, frame.scene.sky.haze, z);
    frame.light.hazeWeight = frameHazeWeight(frame.view.hazeWeight, frame.scene.sky.haze);
    Hilite hilite;
    if (frame.terrain.phong && attributes.phongIntensity != 0 && b >= -1000.0) {
        const float px = std::trunc(view.eyeX) + radius * static_cast<float>(std::cos(b));
        const float py = std::trunc(view.eyeY) + radius * static_cast<float>(std::sin(b));
        Vec3 toEye = {view.eyeX - px, view.eyeY - py, view.eyeZ - z};
        float length = std::sqrt(toEye.x * toEye.x + toEye.y * toEye.y + toEye.z * toEye.z);
        if (length == 0.0f) length = 1.0f;
        toEye = {toEye.x / length, toEye.y / length, toEye.z / length};
        hilite = phongHilite({0.0f, 0.0f, 1.0f}, frame.terrain.light, toEye, attributes, false);
    }
    return litColour(frame.light, colour.r, colour.g, colour.b, frame.sun.lightLevel, hilite.strength, hilite.value);
}

} // namespace

double domeElevation(double polarDegrees)
{
    const double a = polarDegrees * kDegreesToRadians;
    const double up = kDomeRadius * std::cos(a) - kDomeDrop;
    const double across = kDomeRadius * std::sin(a);
    return std::atan2(up, across) * kRadiansToDegrees;
}

double domeHazeFraction(double elevationDegrees, int haze)
{
    if (haze <= 0) return 0.0;
    if (elevationDegrees <= 0.0) return 1.0;
    const double span = std::min(90.0, 10.0 + 0.3 * haze);
    const double rise = std::max(0.0, 1.0 - elevationDegrees / span);
    const double everywhere = std::clamp((haze - 300) / 700.0, 0.0, 1.0);
    return everywhere + (1.0 - everywhere) * rise * rise;
}

float horizonRingStart(int k) { return 15.0f * static_cast<float>(k) * static_cast<float>(k - 1); }

int drawSky(SceneFrame& frame)
{
    // The stage is set even with the sky off: the sun, moon and stars drawn
    // next are hazed with the sky's haze colour.
    setDrawingStage(frame.light, frame.scene.colourScheme, kEntrySkyHaze);
    if (frame.scene.sky.sky == 0) return 1;
    frame.ui.status("Sky");
    const Rgb sky = schemeColour(frame.scene.colourScheme, kEntrySky);
    const int bands = frame.scene.sky.horizon != 0 ? kDomeBandsWithHorizon : kDomeBandsAlone;
    std::array<Vec3, kDomePoints> upper, lower;
    domeRing(frame, 0, upper);
    std::uint32_t upperColour = domeColour(frame, 0, sky);
    for (int a = 0; a < bands; ++a) {
        if (pollFrameAbort(frame)) return -1;
        domeRing(frame, a + 1, lower);
        const std::uint32_t lowerColour = domeColour(frame, a + 1, sky);
        for (int i = 0; i + 1 < kDomePoints; ++i)
            drawSector(frame, upper[static_cast<std::size_t>(i)], upper[static_cast<std::size_t>(i + 1)],
                       lower[static_cast<std::size_t>(i)], lower[static_cast<std::size_t>(i + 1)], upperColour,
                       upperColour, lowerColour, lowerColour, kEntrySky);
        upper = lower;
        upperColour = lowerColour;
    }
    return frameAborted(frame) ? -1 : 1;
}

int drawHorizon(SceneFrame& frame)
{
    setDrawingStage(frame.light, frame.scene.colourScheme, kEntryHaze);
    if (frame.scene.sky.horizon == 0) return 1;
    frame.ui.status("Horizon");
    const Rgb colour = schemeColour(frame.scene.colourScheme, kEntryHorizon);
    const SurfaceAttributes attributes = surfaceAttributes(frame.scene.surfaceAttributes, kEntryHorizon);
    const bool shiny = frame.terrain.phong && attributes.phongIntensity != 0;
    std::array<Vec3, kRingPoints> inner, outer;
    std::array<std::uint32_t, kRingPoints> innerColour{}, outerColour{};
    horizonRing(frame, 0.0f, inner);
    const auto ringColours = [&](float radius, std::array<std::uint32_t, kRingPoints>& colours) {
        if (!shiny) {
            colours.fill(horizonColour(frame, radius, colour, attributes, -2000.0));
            return;
        }
        for (int i = 0; i < kRingPoints; ++i)
            colours[static_cast<std::size_t>(i)] =
                horizonColour(frame, radius, colour, attributes, (-180 + i * kHorizonSector) * kDegreesToRadians);
    };
    ringColours(0.0f, innerColour);
    // Most sectors lie behind the eye or beside the view. A sector none of
    // whose corners passes one of the clipper's reject tests gives two
    // triangles the clipper drops whole, so it is passed over at once.
    const auto testsPassed = [](const std::array<Vec3, kRingPoints>& ring, std::array<unsigned, kRingPoints>& passed) {
        for (std::size_t i = 0; i < ring.size(); ++i) passed[i] = viewTestsPassed(ring[i].x, ring[i].y, ring[i].z);
    };
    std::array<unsigned, kRingPoints> innerPassed{}, outerPassed{};
    testsPassed(inner, innerPassed);
    for (int k = 1; horizonRingStart(k) < kHorizonReach; ++k) {
        if (pollFrameAbort(frame)) return -1;
        const float radius = horizonRingStart(k + 1);
        horizonRing(frame, radius, outer);
        testsPassed(outer, outerPassed);
        ringColours(radius, outerColour);
        for (int i = 0; i + 1 < kRingPoints; ++i) {
            const auto at = [](int j) { return static_cast<std::size_t>(j); };
            if ((innerPassed[at(i)] | innerPassed[at(i + 1)] | outerPassed[at(i)] | outerPassed[at(i + 1)]) != kAllViewTests)
                continue;
            drawSector(frame, inner[at(i)], inner[at(i + 1)], outer[at(i)], outer[at(i + 1)], innerColour[at(i)],
                       innerColour[at(i + 1)], outerColour[at(i)], outerColour[at(i + 1)], kEntryHorizon);
        }
        inner = outer;
        innerColour = outerColour;
        innerPassed = outerPassed;
    }
    return frameAborted(frame) ? -1 : 1;
}

} // namespace kalvenor
