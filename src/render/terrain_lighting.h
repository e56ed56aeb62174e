// Light for lit surfaces: the frame's light and ambient colours from the
// colour scheme and the contrast, the per-class surface attributes (Phong
// hilites, flare, roughness) with their defaults, and the diffuse intensity
// and hilite of a face under the sun.
#pragma once

#include <array>
#include <cstdint>

#include "model/scene_settings.h"
#include "model/surface_attributes.h"
#include "render/lit_colour.h"
#include "render/view_transform.h"

namespace kalvenor {



struct Rgb {
    int r = 0, g = 0, b = 0;
};

// Entry i of the scheme: bytes 4i+1, 4i+2, 4i+3. Inline: it is read for
// every vertex and triangle of a render.
inline Rgb schemeColour(const SchemeBytes& scheme, int entry)
{
    const std::size_t at = static_cast<std::size_t>(entry & 0xFF) * 4;
    return {scheme[at + 1], scheme[at + 2], scheme[at + 3]};
}

// The colour brought to full HSV value (the largest channel becomes 255, hue
// and saturation kept): each channel x 255 / max, truncated. Black has no hue
// and becomes white.
Rgb fullValue(Rgb c);

// Light = full-value sun colour x contrast / 255 and ambient = full-value
// ambient colour x (255 - contrast) / 255, both truncated; the exposure factor
// from the auto-exposure switch, the light level and the exposure. The haze
// colour and weight are left to the drawing stage.
void setFrameLight(SurfaceLight& light, const SceneSettings& scene, int lightLevel);

// The haze colour of a drawing stage: entry 25 (sky haze) while the sky is
// drawn, entry 26 (haze) from the horizon ground on.
void setDrawingStage(SurfaceLight& light, const SchemeBytes& scheme, int hazeEntry);

// The haze weight a lit surface is drawn with: the weight of the view
// transform scaled by the haze amount, haze / 25600, so the default amount 100
// reads the weight in 256ths (the unit of the lit colour's haze blend) and the
// amount thins or thickens the air; 0 is no haze.
float frameHazeWeight(float weight, int haze);


// Diffuse intensity of unit normal n under unit light l: trunc((n . l) x 256),
// or with exaggeration trunc((1 - acos(max(n . l, 0)) x 2/pi) x 256); negative gives 0.
int diffuseIntensity(Vec3 n, Vec3 l, bool exaggeration);

// The slope of a face whose unit normal has upward part nz (0 ... 1), in
// whole degrees: acos(min(nz, 1)) in floats, times 180 / pi, truncated.
int slopeDegrees(float nz);

struct Hilite {
    int strength = 0; // S
    int value = 0;    // H
};

// The Phong hilite of unit normal n under light l seen along unit v (from the
// surface to the eye): s = R . v with R = 2 (n . l) n - l, held to
// [0.001, 1]; H = trunc(s^sharpness x 256), S = intensity. Water adds its
// sheen: s2 = 1 - max(0, 2 (n . v) nz - vz), at least 0.001, H2 =
// s2^(sharpness x 0.05) x 128; a larger H2 replaces H and halves S.
Hilite phongHilite(Vec3 n, Vec3 l, Vec3 v, const SurfaceAttributes& attributes, bool water);

} // namespace kalvenor
