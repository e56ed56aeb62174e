// Image geometry and the projection of view space onto image pixels. The
// field of view spans the projection extents PW across and PH down; the image
// shows projected columns 0..W-1 and the H rows centred in PH.
#pragma once

#include <cstddef>

#include "render/polygon.h"

namespace kalvenor {

// The renderer's image geometry. Changed only by the image-size and
// display-mode operations and, for the length of an antialiased frame, by
// beginOversize / endOversize (which double and halve W, H, PW and PH);
// read by the rasteriser, the render window and the image writers.
struct ImageGeometry {
    int width = 320, height = 200;              // W, H
    int projWidth = 320, projHeight = 280;      // PW, PH
    int displayDepth = 8;                       // 8, 15, 16 or 24 bits per pixel
    int windowWidth = 320, windowHeight = 200;  // client size of the render window
    int scrollX = 0, scrollY = 0;               // where the window starts in a larger image
    int marginX = 0, marginY = 0;               // where the image starts in a larger window
    int largestSide = 320;                      // max(W, H) at the last allocation
    int allocatedWidth = 0, allocatedHeight = 0;
    bool oversize = false;                      // an antialiased frame is being drawn at double size
    // Bytes the two buffers may take together; a larger need fails as an
    // allocation would. 0 means no limit (small machines and tests set one).
    std::size_t memoryLimit = 0;
};

// Projection extents of the preset display sizes. The two 8:5 sizes get a
// vertical extent of 7/8 of the horizontal one; any other size gets the
// larger side for both.
struct ProjectionExtents {
    int width = 0, height = 0;
};
ProjectionExtents presetExtents(int width, int height);
ProjectionExtents sizeByNumberExtents(int width, int height);

// Scroll offsets and margins of the image in the render window.
void recomputeScroll(ImageGeometry& geometry);

// The first projected row the image shows: (PH - H) / 2.
inline int imageRowOffset(const ImageGeometry& g) { return (g.projHeight - g.height) / 2; }

// Maps every entry of a view-space polygon to pixels in place:
// x = PW/2 + u (PW/2) / w, y = PH/2 + v (PH/2) / w, a w of exactly 0 counting as 1.
void projectPolygon(Polygon& polygon, const ImageGeometry& geometry);

// The same for one view-space point (u, v, w): where projectPolygon puts an
// entry there, to the bit.
struct ImagePoint {
    float x = 0, y = 0;
};
inline ImagePoint projectPoint(float u, float v, float w, const ImageGeometry& g)
{
    const float cx = static_cast<float>(g.projWidth / 2);
    const float cy = static_cast<float>(g.projHeight / 2);
    if (w == 0.0f) w = 1.0f;
    return {cx + u * cx / w, cy + v * cy / w};
}

} // namespace kalvenor
