// Filling one span of a polygon (interpolated colour, alpha, class and, for
// textured polygons, texture coordinates) and compositing it into the image
// buffers: opaque pixels replace, translucent ones blend, clouds do not pile
// up on clouds.
#pragma once

#include <cstdint>

#include "codecs/image_buffers.h"
#include "render/dither.h"
#include "render/lit_colour.h"
#include "render/polygon.h"
#include "render/projection.h"

namespace kalvenor {

class Frontend;

// One end of a span: x and the attributes interpolated along the polygon's edge.
struct EdgeRecord {
    int x = 0;
    int red = 0, green = 0, blue = 0, alpha = 0, classCode = 0, intensity = 0;
    std::int64_t s = 0, t = 0, third = 0;
};

// Whether two corners or edge ends look alike to the spans: colour, alpha
// and class (intensity and texture coordinates aside).
template <typename Corner>
bool sameLook(const Corner& a, const Corner& b)
{
    return a.red == b.red && a.green == b.green && a.blue == b.blue && a.alpha == b.alpha && a.classCode == b.classCode;
}

// Whether the first count corners all look alike.
template <typename Corner>
bool allLookAlike(const Corner* corners, int count)
{
    for (int i = 1; i < count; ++i)
        if (!sameLook(corners[0], corners[i])) return false;
    return true;
}

// Called after a span is written, so a window can show it as it is drawn:
// image row and the columns written (x1 already within the image).
using SpanDisplay = void (*)(void* context, int row, int x0, int x1);

// Where spans go and what they are drawn with. Built by the render driver
// for a frame; the pointers must outlive it. Every member but images,
// geometry and dither may be left empty.
struct RasterTarget {
    ImageBuffers* images = nullptr;
    const ImageGeometry* geometry = nullptr;
    PixelDither* dither = nullptr;
    int ditherAmount = 0;            // the PixelDither setting (0 = none)
    int ditherKind = kDitherRandom;  // kDitherOrdered or kDitherRandom
    const SurfaceLight* light = nullptr; // textured spans; without it texels are lit by a default light
    Frontend* ui = nullptr;          // abort polls of the rasteriser
    const char* progressLabel = "Render"; // "Render", or "Frame 3 of 10" during an animation
    SpanDisplay display = nullptr;
    void* displayContext = nullptr;
    // The projected rows drawn (a band of the image when threads share it);
    // rows outside the image are never drawn whatever these say.
    int firstTableRow = 0;
    int lastTableRow = kRasterLimit - 1;
};

// Fills the span of projected row y between two edge records into the span
// buffer and composites it. texture is null for an untextured polygon.
// Rows outside the image and spans wholly left or right of it are dropped.
void fillSpan(const RasterTarget& target, int y, const EdgeRecord& left, const EdgeRecord& right,
              const TextureView* texture, SpanPixel* spanBuffer);

// The spans of a one-coloured polygon (look gives colour, alpha and class;
// its x is not read): row y from left[y] to right[y] for y in firstRow ..
// lastRow, rows with right < left skipped. The same pixels as fillSpan row by
// row, with what does not change between rows worked out once.
void fillFlatSpans(const RasterTarget& target, int firstRow, int lastRow, const int* left, const int* right,
                   const EdgeRecord& look, SpanPixel* spanBuffer);

// Composites pixels x0..x1 of image row `row` (span[0] is column x0) into the
// 24-bit and 8-bit rows after dithering; x1 is cut to the image width and
// nothing is written outside the buffers.
void outputHzline(const RasterTarget& target, int row, int x0, int x1, SpanPixel* span);

} // namespace kalvenor
