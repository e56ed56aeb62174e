// Row access to the image buffers for the rasteriser's display path and the
// image files: n pixels of row y from column x, clipped to the buffer, so a
// caller can never read or write outside it. Each returns the pixels moved.
#pragma once

#include <algorithm>
#include <cstring>

#include "codecs/image_buffers.h"

namespace kalvenor {

namespace detail {
// How many of n pixels from (x, y) lie inside the plane; 0 when none or the row is outside.
template <typename Pixel>
int rowRun(const ImagePlane<Pixel>& plane, int x, int y, int n)
{
    if (!plane.allocated() || y < 0 || y >= plane.height || x < 0 || x >= plane.width || n <= 0) return 0;
    return std::min(n, plane.width - x);
}
} // namespace detail

template <typename Pixel>
int readRow(const ImagePlane<Pixel>& plane, int x, int y, int n, Pixel* out)
{
    const int run = detail::rowRun(plane, x, y, n);
    if (run > 0) std::memcpy(out, plane[y] + x, static_cast<std::size_t>(run) * sizeof(Pixel));
    return run;
}

template <typename Pixel>
int writeRow(ImagePlane<Pixel>& plane, int x, int y, int n, const Pixel* in)
{
    const int run = detail::rowRun(plane, x, y, n);
    if (run > 0) std::memcpy(plane[y] + x, in, static_cast<std::size_t>(run) * sizeof(Pixel));
    return run;
}

} // namespace kalvenor
