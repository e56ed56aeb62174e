#include "codecs/png.h"

#include <csetjmp>
#include <vector>

#include <png.h>
#include <zlib.h>

#include "base/atomic_file.h"

// As with JPEG, the function that calls setjmp holds only plain locals; the
// file and the row belong to its caller.

namespace kalvenor {

namespace {

void writeToFile(png_structp png, png_bytep data, png_size_t length)
{
    static_cast<AtomicFile*>(png_get_io_ptr(png))->write(data, length); // failures are sticky, seen at commit
}

void flushNothing(png_structp) {}

void quietWarning(png_structp, png_const_charp) {}

bool runPngWrite(png_structp png, png_infop info, AtomicFile& file, const PixelView& source, png_bytep line, int level)
{
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, &file, writeToFile, flushNothing);
    png_set_compression_level(png, level);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, level <= 3 ? PNG_FILTER_SUB : PNG_ALL_FILTERS);
    if (level >= 1 && level <= 3) png_set_compression_strategy(png, Z_RLE); // runs of the filtered rows only: fast
    png_set_IHDR(png, info, static_cast<png_uint_32>(source.width), static_cast<png_uint_32>(source.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < source.height; ++y) {
        unpackRgbRow(source.row(y), source.width, line);
        png_write_row(png, line);
    }
    png_write_end(png, nullptr);
    return true;
}

} // namespace

ImageStatus savePng(const PixelView& source, const std::string& path, int level)
{
    if (level < 0 || level > 9) level = kPngDefaultLevel;
    if (!source.valid()) return ImageStatus::NoBuffer;
    std::vector<png_byte> line(static_cast<std::size_t>(source.width) * 3);
    AtomicFile file;
    if (!file.open(path, FileMode::Binary)) return ImageStatus::WriteFailed;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, quietWarning);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    const bool written = info != nullptr && runPngWrite(png, info, file, source, line.data(), level);
    png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
    if (!written) return ImageStatus::WriteFailed;
    return file.commit() ? ImageStatus::Ok : ImageStatus::WriteFailed;
}

ImageStatus savePng(ImagePlane<std::uint32_t>& vidmem24, ImageSize size, const std::string& path, int level)
{
    return savePng(viewOf(vidmem24, size), path, level);
}

} // namespace kalvenor
