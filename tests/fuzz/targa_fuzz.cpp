// Targa files as hostile input, in every loading mode.
#include <cstddef>
#include <cstdint>
#include <span>

#include "codecs/targa.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kalvenor;
    static ImagePlane<std::uint32_t> plane;
    if (!plane.allocated()) plane.allocate(64, 48);
    const PixelView view = viewOf(plane, {64, 48});
    for (const TargaMode mode : {TargaMode::Opaque, TargaMode::Overlay, TargaMode::Keep}) {
        TargaHeader header;
        (void)decodeTarga({data, size}, view, mode, header);
    }
    return 0;
}
