// Animation and cloud files as hostile input: what a continued animation
// reads from an FLC, an AVI or a KANIM, and a cloud pattern file.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "codecs/avi.h"
#include "codecs/flc.h"
#include "codecs/kanim.h"
#include "files/cloud_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kalvenor;
    const std::span<const std::uint8_t> file(data, size);
    FlcHeader flcHeader;
    (void)parseFlcHeader(file, flcHeader);
    FlcFileInfo flc;
    (void)scanFlc(file, flc);
    AviLayout avi;
    (void)parseAvi(file, avi);
    KanimHeader kanim;
    if (parseKanimHeader(file, kanim) == ImageStatus::Ok) (void)kanimFrameCount(size, kanim);
    static std::vector<std::uint8_t> pattern(65536);
    decodeCloudPattern(file, pattern);
    return 0;
}
