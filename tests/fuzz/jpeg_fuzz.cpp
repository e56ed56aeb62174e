// JPEG files as hostile input: every library failure must come back as a
// status, and no row may be written outside the target.
#include <cstddef>
#include <cstdint>
#include <span>

#include "codecs/jpeg.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kalvenor;
    static ImagePlane<std::uint32_t> plane;
    if (!plane.allocate(64, 48)) return 0;
    JpegInfo info;
    (void)decodeJpeg({data, size}, viewOf(plane, {64, 48}), info);
    return 0;
}
