// Small texture maps for render tests, written as 32-bit Targa files.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>

#include "temp_dir.h"

namespace kalvenor::testing {

// A 32-bit Targa of w x h texels, top row first, every texel from texel(x, y)
// as 0xAARRGGBB; returns its path in dir.
template <typename Texel>
std::string writeTextureMap(const TempDir& dir, const std::string& name, int w, int h, Texel texel)
{
    std::string bytes(18, '\0');
    bytes[2] = 2;
    bytes[12] = static_cast<char>(w & 255), bytes[13] = static_cast<char>(w >> 8);
    bytes[14] = static_cast<char>(h & 255), bytes[15] = static_cast<char>(h >> 8);
    bytes[16] = 32;
    bytes[17] = 0x28;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint32_t c = texel(x, y);
            bytes += static_cast<char>(c & 255);
            bytes += static_cast<char>((c >> 8) & 255);
            bytes += static_cast<char>((c >> 16) & 255);
            bytes += static_cast<char>(c >> 24);
        }
    const std::string path = (dir.path / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

} // namespace kalvenor::testing
