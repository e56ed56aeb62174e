// A quick wire-frame picture of the landscape for the previews that must keep
// up with the mouse (walking about, flying a camera path): the grid sampled
// every few cells, the edges of each sampled cell drawn as one-pixel lines
// through the render's own camera and projection, brighter near the eye and
// dimmer far off, water in blue, over a plain sky and ground split at the
// horizon.
#pragma once

#include <cstdint>
#include <vector>

#include "model/landscape.h"
#include "model/scene_settings.h"
#include "render/projection.h"

namespace kalvenor {

// The background colours (0x00RRGGBB). No terrain line is ever drawn in one of them.
inline constexpr std::uint32_t kWireSky = 0x00101838;
inline constexpr std::uint32_t kWireGround = 0x00000000;
inline constexpr std::uint32_t kWireHorizon = 0x00405070;
inline constexpr std::uint32_t kWireTarget = 0x00FF4040; // the cross on the camera's target

// Sides beyond this are held to it.
constexpr int kMaxWireFrameSide = 8192;

// One sampled grid point of a frame: view space (w already divided by the
// focal factor), and its pixel position when it lies in front of the near plane.
struct WireFramePoint {
    float u = 0.0f, v = 0.0f, w = 0.0f;
    float x = 0.0f, y = 0.0f;
    bool water = false;
};

// The picture and what drawing it needs from frame to frame. The caller keeps
// one and hands it to every frame: once sized, a frame allocates nothing.
struct WireFrameView {
    int width = 0, height = 0;
    // Projection extents, as ImageGeometry's PW and PH: the image shows
    // projected columns 0..width-1 and the height rows centred in projHeight.
    int projWidth = 0, projHeight = 0;
    std::vector<std::uint32_t> pixels; // width x height, row by row, 0x00RRGGBB
    std::vector<WireFramePoint> points; // scratch of the sampled grid
};

// Sizes the picture (each side held to 0..kMaxWireFrameSide) with the extents
// the renderer gives an image of that size: the larger side, across and down.
void resizeWireFrameView(WireFrameView& view, int width, int height);

// Takes the extents of the render the picture previews, scaled by the ratio of
// the widths, so that the picture frames what the render does (the preset 8:5
// display modes see less far down than across). The picture should have the
// render's aspect; call after resizeWireFrameView.
void matchRenderFraming(WireFrameView& view, const ImageGeometry& render);

struct WireFrameOptions {
    // Grid cells per sampled cell; 0 picks one that puts about 80 cells along
    // the longer side of the landscape.
    int step = 0;
    // Lines whose ends are both at or below this elevation are water. The sea
    // pass lowers the landscape by its level, so a finished sea lies at 0.
    int seaLevel = 0;
    bool markTarget = true; // a small cross on the camera's target point
};

// Draws one frame of the landscape seen by camera (its lens direction applied)
// into view, overwriting every pixel. Parts of lines nearer than a metre in
// front of the eye are cut off; the rest is clipped to the picture. A picture
// whose pixels do not match its size is resized first; an unusable landscape
// or lens gives the background alone.
void drawWireFrame(const Landscape& land, const CameraSettings& camera, const WireFrameOptions& options,
                   WireFrameView& view);

} // namespace kalvenor
