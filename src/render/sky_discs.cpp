#include "render/sky_discs.h"

#include <cmath>

#include "render/camera.h"
#include "render/scene_frame.h"
#include "render/terrain_lighting.h"

namespace kalvenor {

namespace {

// The disc as a polygon of kDiscSegments corners facing the camera, turned by
// spinDegrees (the body's per-frame counter), textured across its square.
void drawDisc(SceneFrame& frame, Vec3 position, float radius, float spinDegrees, int classCode, DiscTexture& disc)
{
    const Vec3 c = rotateDirection(frame.view, position);
    if (c.z <= 0.0f) return;
    // Haze of the world origin: the bodies are as hazy as the middle distance.
    distanceAndHaze(frame.view, 0.0f, 0.0f, 0.0f, frame.scene.sky.haze, static_cast<float>(frame.land.lowestElevation));
    frame.light.hazeWeight = frameHazeWeight(frame.view.hazeWeight, frame.scene.sky.haze);

    const TextureView& texture = disc.view;
    const float width = static_cast<float>(texture.width) * 256.0f, height = static_cast<float>(texture.height) * 256.0f;
    const std::uint16_t intensity = static_cast<std::uint16_t>((frame.sun.lightLevel & 0xFF) << 8);
    Polygon& p = frame.state.work;
    p.texture = &texture;
    p.count = kDiscSegments + 1;
    for (int i = 0; i < kDiscSegments; ++i) {
        const double angle = (360.0 * i / kDiscSegments) * kDegreesToRadians;
        const float cosA = static_cast<float>(std::cos(angle)), sinA = static_cast<float>(std::sin(angle));
        PolygonVertex& e = p.vertices[static_cast<std::size_t>(i)];
        e.u = c.x + radius * cosA;
        e.v = c.y + radius * sinA;
        e.w = c.z;
        e.seed = 0;
        e.red = e.green = e.blue = 0;
        e.alpha = kOpaque;
        e.classCode = static_cast<std::uint16_t>(classCode);
        e.intensity = intensity;
        const double turned = angle - spinDegrees * kDegreesToRadians;
        e.s = (static_cast<float>(std::cos(turned)) * 0.5f + 0.5f) * (width - 1.0f);
        e.t = (static_cast<float>(std::sin(turned)) * 0.5f + 0.5f) * (height - 1.0f);
        e.third = 0.0f;
    }
    p.vertices[kDiscSegments] = p.vertices[0];
    submitPolygon(frame, p, false);
    p.texture = nullptr;
}

// The loaded map of the body's class (its full-size level), else one texel of its colour.
void chooseDiscTexture(SceneFrame& frame, DiscTexture& disc, int classCode)
{
    if (const ClassTexture* map = frame.state.textures.byClass[static_cast<std::size_t>(classCode)]) {
        disc.view = map->levels[0];
        disc.view.hiliteStrength = disc.view.hiliteValue = 0;
        return;
    }
    const Rgb colour = schemeColour(frame.scene.colourScheme, classCode);
    setPlainDisc(disc, colour.r, colour.g, colour.b);
}

} // namespace

void setPlainDisc(DiscTexture& disc, int r, int g, int b)
{
    disc.texel = static_cast<std::uint32_t>(r & 0xFF) | (static_cast<std::uint32_t>(g & 0xFF) << 8) |
                 (static_cast<std::uint32_t>(b & 0xFF) << 16) | 0xFF000000u;
    disc.view = TextureView{&disc.texel, 1, 1, 0, 0, 0};
}

float discRadius(float radius, int size)
{
    return radius * static_cast<float>(size) / static_cast<float>(kDefaultBodySize);
}

void drawSun(SceneFrame& frame)
{
    const SunMoonSettings& bodies = frame.scene.sky.sunMoon;
    if (bodies.sunSize == 0) return;
    chooseDiscTexture(frame, frame.state.sun, kEntrySun);
    const Vec3 position = {frame.sun.position[0], frame.sun.position[1], frame.sun.position[2]};
    drawDisc(frame, position, discRadius(kSunRadius, bodies.sunSize), static_cast<float>(bodies.sunCounter),
             kEntrySun, frame.state.sun);
}

void drawMoon(SceneFrame& frame)
{
    const SunMoonSettings& bodies = frame.scene.sky.sunMoon;
    if (bodies.starsAndMoon == 0 || bodies.moonSize == 0) return;
    chooseDiscTexture(frame, frame.state.moon, kEntryMoon);
    drawDisc(frame, {bodies.moonX, bodies.moonY, bodies.moonZ}, discRadius(bodies.moonRadius, bodies.moonSize),
             bodies.moonCounter, kEntryMoon, frame.state.moon);
}

} // namespace kalvenor
