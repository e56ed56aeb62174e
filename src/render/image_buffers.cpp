#include "render/image_buffers.h"

#include <new>

namespace kalvenor {

template <typename Pixel>
bool ImagePlane<Pixel>::allocate(int w, int h)
{
    if (w < 1 || h < 1 || w > kMaxImageSide || h > kMaxImageSide) return false;
    if (allocated() && w == width && h == height) return true;
    release();
    const std::size_t pixels = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    Pixel* raw = new (std::nothrow) Pixel[pixels]();
    if (raw == nullptr) return false;
    try {
        rows.assign(static_cast<std::size_t>(h) + 1, nullptr);
    } catch (const std::bad_alloc&) {
        delete[] raw;
        return false;
    }
    block.reset(raw);
    for (int r = 0; r < h; ++r) rows[static_cast<std::size_t>(r)] = raw + static_cast<std::size_t>(r) * w;
    width = w;
    height = h;
    return true;
}

template <typename Pixel>
void ImagePlane<Pixel>::release()
{
    block.reset();
    rows.clear();
    width = 0;
    height = 0;
}

template struct ImagePlane<std::uint32_t>;
template struct ImagePlane<std::uint8_t>;

} // namespace kalvenor
