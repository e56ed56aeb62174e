#include "render/flare.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

#include "base/frontend.h"
#include "base/worker_pool.h"

namespace kalvenor {

namespace {

constexpr const char* kFlareLabel = "Flare";
constexpr const char* kNoScratch = "Insufficient memory for flare effects.";
constexpr int kSurfaceBytes = 5;
constexpr int kFlareIntensityByte = 2;
constexpr int kFlareRadiusByte = 3;
constexpr int kBrightEnough = 64; // a brightened channel above this blooms

// q = trunc(sqrt((dx^2 + dy^2) / r^2) x 256 + 1) for every offset of a radius,
// row by row over -r..r; rebuilt only when the radius changes.
struct FalloffTable {
    int radius = 0;
    std::vector<int> q;

    void prepare(int r)
    {
        if (r == radius) return;
        radius = r;
        const int side = 2 * r + 1;
        q.assign(static_cast<std::size_t>(side * side), 0);
        for (int dy = -r; dy <= r; ++dy)
            for (int dx = -r; dx <= r; ++dx)
                q[static_cast<std::size_t>((dy + r) * side + dx + r)] =
                    static_cast<int>(std::sqrt(static_cast<double>(dx * dx + dy * dy) / (r * r)) * 256.0 + 1.0);
    }
    int at(int dx, int dy) const { return q[static_cast<std::size_t>((dy + radius) * (2 * radius + 1) + dx + radius)]; }
};

struct Bloom {
    int red, green, blue; // the brightened source colour
    int divisor;          // d
    int radius;
};

// The bloom of a pixel of the copy, if its class flares and it is bright enough.
std::optional<Bloom> bloomOf(const std::array<std::uint8_t, 1280>& surfaces, std::uint32_t p)
{
    const std::size_t entry = static_cast<std::size_t>(p >> 24) * kSurfaceBytes;
    int intensity = surfaces[entry + kFlareIntensityByte];
    if (intensity == 0) return std::nullopt;
    intensity = std::clamp(intensity, 1, 100);
    Bloom b;
    b.radius = std::clamp(static_cast<int>(surfaces[entry + kFlareRadiusByte]), 1, 100);
    b.divisor = std::max((100 - intensity) * 512 / 100, 1);
    // Each channel is brightened by the two others, using the values already brightened.
    const int red = static_cast<int>(p & 255u), green = static_cast<int>((p >> 8) & 255u);
    const int blue = static_cast<int>((p >> 16) & 255u);
    b.red = red + ((green + blue) >> 4);
    b.green = green + ((b.red + blue) >> 4);
    b.blue = blue + ((b.red + b.green) >> 4);
    if (b.red <= kBrightEnough && b.green <= kBrightEnough && b.blue <= kBrightEnough) return std::nullopt;
    return b;
}

std::uint32_t brighten(std::uint32_t pixel, const Bloom& b, int q)
{
    const auto channel = [q, &b](int c, int amount) {
        return static_cast<std::uint32_t>(std::clamp(c + (256 - c) * amount / b.divisor / q, 0, 255));
    };
    return channel(static_cast<int>(pixel & 255u), b.red) | (channel(static_cast<int>((pixel >> 8) & 255u), b.green) << 8) |
           (channel(static_cast<int>((pixel >> 16) & 255u), b.blue) << 16) | (pixel & 0xFF000000u);
}

void bloomAround(ImagePlane<std::uint32_t>& plane, const ImageGeometry& g, int x, int y, const Bloom& bloom,
                 const FalloffTable& falloff)
{
    const int r = falloff.radius;
    for (int dy = -r; dy <= r; ++dy) {
        const int ty = y + dy;
        if (ty < 0 || ty >= g.height) continue;
        std::uint32_t* row = plane[ty];
        for (int dx = -r; dx <= r; ++dx) {
            const int tx = x + dx;
            if ((dx == 0 && dy == 0) || tx < 0 || tx >= g.width) continue;
            const int q = falloff.at(dx, dy);
            if (q < 256) row[tx] = brighten(row[tx], bloom, q);
        }
    }
}

} // namespace

int applyFlare(ImageBuffers& images, const ImageGeometry& geometry, const std::array<std::uint8_t, 1280>& surfaces,
               Frontend& ui)
{
    ImagePlane<std::uint32_t>& plane = images.vidmem24;
    const int w = geometry.width, h = geometry.height;
    if (!plane.allocated() || plane.width < w || plane.height < 2 * h) {
        ui.message(kNoScratch);
        return -1;
    }
    // The copy, and the search for pixels that bloom, go row by row on every
    // thread; the blooms overlap, so they are laid on in order on one.
    std::vector<std::vector<int>> blooming(static_cast<std::size_t>(h));
    parallelFor(h, [&](int y) {
        std::memcpy(plane[h + y], plane[y], static_cast<std::size_t>(w) * sizeof(std::uint32_t));
        const std::uint32_t* copy = plane[h + y];
        for (int x = 0; x < w; ++x)
            if (bloomOf(surfaces, copy[x])) blooming[static_cast<std::size_t>(y)].push_back(x);
    });

    FalloffTable falloff;
    int shown = -1;
    for (int y = 0; y < h; ++y) {
        if (ui.pollAbort()) return -1;
        const int percent = y * 100 / h;
        if (percent != shown) ui.progress(kFlareLabel, percent);
        shown = percent;
        const std::uint32_t* copy = plane[h + y];
        for (const int x : blooming[static_cast<std::size_t>(y)]) {
            const Bloom b = *bloomOf(surfaces, copy[x]);
            falloff.prepare(b.radius);
            bloomAround(plane, geometry, x, y, b, falloff);
        }
    }
    return 1;
}

} // namespace kalvenor
