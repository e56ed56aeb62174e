// Bitmap files as hostile input.
#include <cstddef>
#include <cstdint>
#include <span>

#include "codecs/bmp.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kalvenor;
    static ImagePlane<std::uint32_t> plane;
    if (!plane.allocate(64, 48)) return 0;
    BmpHeader header;
    (void)decodeBmp({data, size}, viewOf(plane, {64, 48}), header);
    return 0;
}
