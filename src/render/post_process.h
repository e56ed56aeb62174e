// The whole-image passes around a render: the oversize render for
// antialiasing and its reduction, and the sideways shift of a stereo eye.
// Flare has its own file.
#pragma once

#include "codecs/image_buffers.h"
#include "render/projection.h"

namespace kalvenor {

class Frontend;

enum AntialiasType : int { kAntialiasLinear = 1, kAntialiasGaussian = 2 };

// Doubles W, H, PW and PH and blows the current 24-bit image up in place to
// double size (each pixel a 2 x 2 block), so a background survives. Does
// nothing and returns false without a 24-bit buffer large enough for it.
bool beginOversize(ImageBuffers& images, ImageGeometry& geometry);

// Reduces the double-size 24-bit image to half size and halves W, H, PW and
// PH again. A completed frame is filtered (Linear: the 2 x 2 mean, rounded;
// Gaussian: a 4 x 4 weighted mean over the pixels inside the image); an
// aborted one takes every other pixel. The class byte is always that of the
// top-left source pixel. Shows "Reducing image" progress. Does nothing when
// no oversize frame is running.
void endOversize(ImageBuffers& images, ImageGeometry& geometry, bool completed, int type, Frontend& ui);

// Shifts every row of both images sideways by shift pixels (negative: to the
// left). Pixel x takes pixel x - shift; it is black when x - shift or
// x + shift lies outside the row, so both borders of width |shift| are black.
void stereoShift(ImageBuffers& images, const ImageGeometry& geometry, int shift);

} // namespace kalvenor
