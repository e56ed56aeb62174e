#include "codecs/image_buffers.h"

#include "base/row_table.h"

namespace kalvenor {

template <typename Pixel>
bool ImagePlane<Pixel>::allocate(int w, int h)
{
    if (w < 1 || h < 1 || w > kMaxImageSide || h > kMaxImageSide) return false;
    if (allocated() && w == width && h == height) return true;
    release();
    if (!allocateRowTable(block, rows, w, h)) return false;
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
