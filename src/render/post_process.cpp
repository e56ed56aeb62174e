#include "render/post_process.h"

#include <algorithm>

#include "base/frontend.h"
#include "base/worker_pool.h"

namespace kalvenor {

namespace {

constexpr const char* kReducingLabel = "Reducing image";

// Gaussian weights over source rows 2y-1..2y+2 and columns 2x-1..2x+2.
constexpr int kGaussWeights[4][4] = {
    {10, 20, 20, 10},
    {20, 100, 100, 20},
    {20, 100, 100, 20},
    {10, 20, 20, 10},
};

bool planeHolds(const ImagePlane<std::uint32_t>& plane, int width, int height)
{
    return plane.allocated() && plane.width >= width && plane.height >= height;
}

// Reports progress only when the percentage changes, as the status line would show it.
struct Progress {
    Frontend& ui;
    const char* label;
    int total;
    int shown = -1;
    void at(int done)
    {
        const int percent = done * 100 / std::max(total, 1);
        if (percent != shown) ui.progress(label, percent);
        shown = percent;
    }
};

std::uint32_t linearPixel(const ImagePlane<std::uint32_t>& plane, int sx, int sy)
{
    const std::uint32_t a = plane[sy][sx], b = plane[sy][sx + 1];
    const std::uint32_t c = plane[sy + 1][sx], d = plane[sy + 1][sx + 1];
    std::uint32_t out = a & 0xFF000000u; // the class of the top-left source pixel
    for (int shift = 0; shift < 24; shift += 8) {
        const std::uint32_t sum = ((a >> shift) & 255u) + ((b >> shift) & 255u) + ((c >> shift) & 255u) + ((d >> shift) & 255u);
        out |= ((sum + 2) >> 2) << shift;
    }
    return out;
}

// Weighted 4 x 4 mean; pixels outside the srcW x srcH image and their weights are left out.
std::uint32_t gaussianPixel(const ImagePlane<std::uint32_t>& plane, int sx, int sy, int srcW, int srcH)
{
    int sum[3] = {0, 0, 0};
    int total = 0;
    for (int j = 0; j < 4; ++j) {
        const int y = sy - 1 + j;
        if (y < 0 || y >= srcH) continue;
        const std::uint32_t* row = plane[y];
        for (int i = 0; i < 4; ++i) {
            const int x = sx - 1 + i;
            if (x < 0 || x >= srcW) continue;
            const int w = kGaussWeights[j][i];
            const std::uint32_t p = row[x];
            sum[0] += w * static_cast<int>(p & 255u);
            sum[1] += w * static_cast<int>((p >> 8) & 255u);
            sum[2] += w * static_cast<int>((p >> 16) & 255u);
            total += w;
        }
    }
    std::uint32_t out = plane[sy][sx] & 0xFF000000u;
    for (int c = 0; c < 3; ++c) out |= static_cast<std::uint32_t>((sum[c] + total / 2) / total) << (8 * c);
    return out;
}

template <typename Pixel>
void shiftRow(Pixel* row, int width, int shift)
{
    // Walk against the shift so every source pixel is read before it is overwritten.
    const auto value = [&](int x) -> Pixel {
        const int from = x - shift, mirror = x + shift;
        if (from < 0 || from >= width || mirror < 0 || mirror >= width) return 0;
        return row[from];
    };
    if (shift > 0)
        for (int x = width - 1; x >= 0; --x) row[x] = value(x);
    else
        for (int x = 0; x < width; ++x) row[x] = value(x);
}

} // namespace

bool beginOversize(ImageBuffers& images, ImageGeometry& geometry)
{
    const int w = geometry.width, h = geometry.height;
    ImagePlane<std::uint32_t>& plane = images.vidmem24;
    if (geometry.oversize || !planeHolds(plane, 2 * w, 2 * h)) return false;
    geometry.width = 2 * w;
    geometry.height = 2 * h;
    geometry.projWidth *= 2;
    geometry.projHeight *= 2;
    geometry.oversize = true;
    recomputeScroll(geometry);
    // From the last row and column backwards: each 2 x 2 block lies at or beyond its source.
    const auto enlargeRow = [&](int y) {
        const std::uint32_t* source = plane[y];
        std::uint32_t* top = plane[2 * y];
        std::uint32_t* bottom = plane[2 * y + 1];
        for (int x = w - 1; x >= 0; --x) {
            const std::uint32_t p = source[x];
            top[2 * x] = top[2 * x + 1] = p;
            bottom[2 * x] = bottom[2 * x + 1] = p;
        }
    };
    // Rows (end + 1) / 2 .. end - 1 write rows from end + 1 down, none of
    // them a row another of them reads: each such run is shared among the
    // threads, the runs taken from the bottom up as the rows were.
    for (int end = h; end > 1;) {
        const int first = (end + 1) / 2;
        parallelFor(end - first, [&](int i) { enlargeRow(end - 1 - i); });
        end = first;
    }
    if (h > 0) enlargeRow(0);
    return true;
}

void endOversize(ImageBuffers& images, ImageGeometry& geometry, bool completed, int type, Frontend& ui)
{
    if (!geometry.oversize) return;
    const int srcW = geometry.width, srcH = geometry.height;
    const int outW = srcW / 2, outH = srcH / 2;
    ImagePlane<std::uint32_t>& plane = images.vidmem24;
    if (planeHolds(plane, srcW, srcH)) {
        Progress progress{ui, kReducingLabel, outH};
        // In place: output (x, y) reads no row above 2y - 1 and no column left of 2x - 1, all still unwritten.
        const auto reduceRow = [&](int y) {
            std::uint32_t* out = plane[y];
            const int sy = 2 * y;
            for (int x = 0; x < outW; ++x) {
                const int sx = 2 * x;
                if (!completed) out[x] = plane[sy][sx];
                else if (type == kAntialiasGaussian) out[x] = gaussianPixel(plane, sx, sy, srcW, srcH);
                else out[x] = linearPixel(plane, sx, sy);
            }
        };
        // Rows y .. 2y - 2 read nothing above row 2y - 1, so they write no row
        // another of them reads: each such run is shared among the threads.
        for (int y = 0; y < outH;) {
            const int end = y < 2 ? y + 1 : std::min(2 * y - 1, outH);
            progress.at(y);
            parallelFor(end - y, [&](int i) { reduceRow(y + i); });
            y = end;
        }
    }
    geometry.width = outW;
    geometry.height = outH;
    geometry.projWidth /= 2;
    geometry.projHeight /= 2;
    geometry.oversize = false;
    recomputeScroll(geometry);
}

void stereoShift(ImageBuffers& images, const ImageGeometry& geometry, int shift)
{
    const int width = geometry.width;
    shift = std::clamp(shift, -width, width);
    if (shift == 0) return;
    if (images.vidmem24.allocated() && images.vidmem24.width >= width)
        for (int y = 0; y < std::min(geometry.height, images.vidmem24.height); ++y)
            shiftRow(images.vidmem24[y], width, shift);
    if (images.vidmem8.allocated() && images.vidmem8.width >= width)
        for (int y = 0; y < std::min(geometry.height, images.vidmem8.height); ++y)
            shiftRow(images.vidmem8[y], width, shift);
}

} // namespace kalvenor
