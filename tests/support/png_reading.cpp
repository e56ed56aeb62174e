#include "support/png_reading.h"

#include <png.h>

#include <cstring>

namespace kalvenor::testing {

std::optional<RgbPicture> readPng(const std::string& path)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) return std::nullopt;
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> bytes(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr) == 0) {
        png_image_free(&image);
        return std::nullopt;
    }
    RgbPicture picture{static_cast<int>(image.width), static_cast<int>(image.height), {}};
    picture.pixels.resize(static_cast<std::size_t>(image.width) * image.height);
    for (std::size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] = static_cast<std::uint32_t>(bytes[3 * i]) << 16 |
                            static_cast<std::uint32_t>(bytes[3 * i + 1]) << 8 | bytes[3 * i + 2];
    return picture;
}

bool writePng(const std::string& path, const RgbPicture& picture)
{
    std::vector<png_byte> bytes(picture.pixels.size() * 3);
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
        bytes[3 * i] = static_cast<png_byte>(picture.pixels[i] >> 16);
        bytes[3 * i + 1] = static_cast<png_byte>(picture.pixels[i] >> 8);
        bytes[3 * i + 2] = static_cast<png_byte>(picture.pixels[i]);
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(picture.width);
    image.height = static_cast<png_uint_32>(picture.height);
    image.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&image, path.c_str(), 0, bytes.data(), 0, nullptr) != 0;
}

} // namespace kalvenor::testing
