#include "codecs/image_formats.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <iterator>

#include "codecs/bmp.h"
#include "codecs/jpeg.h"
#include "codecs/pcx.h"
#include "codecs/png.h"
#include "codecs/targa.h"

namespace kalvenor {

namespace {

// The 24-bit picture at the image size; invalid without the plane.
PixelView picture24(const ImageFileContext& context)
{
    return context.vidmem24 != nullptr ? viewOf(*context.vidmem24, context.size) : PixelView{};
}

ImageStatus loadTargaPicture(const std::string& path, const ImageFileContext& context, LoadedImageInfo& info)
{
    const PixelView view = picture24(context);
    if (!view.valid()) return ImageStatus::NoBuffer;
    TargaHeader header;
    const ImageStatus status = loadTarga(path, view, TargaMode::Opaque, header);
    if (status == ImageStatus::Ok) info = {header.width, header.height, header.depth};
    return status;
}

ImageStatus loadBmpPicture(const std::string& path, const ImageFileContext& context, LoadedImageInfo& info)
{
    const PixelView view = picture24(context);
    if (!view.valid()) return ImageStatus::NoBuffer;
    BmpHeader header;
    const ImageStatus status = loadBmp(path, view, header);
    if (status == ImageStatus::Ok) info = {header.width, header.height, 24};
    return status;
}

ImageStatus loadJpegPicture(const std::string& path, const ImageFileContext& context, LoadedImageInfo& info)
{
    const PixelView view = picture24(context);
    if (!view.valid()) return ImageStatus::NoBuffer;
    JpegInfo jpeg;
    const ImageStatus status = loadJpeg(path, view, jpeg);
    if (status == ImageStatus::Ok) info = {jpeg.width, jpeg.height, 24};
    return status;
}

// The file's palette, when it has one, becomes the display palette.
ImageStatus loadPcxPicture(const std::string& path, const ImageFileContext& context, LoadedImageInfo& info)
{
    if (context.vidmem8 == nullptr || context.palette == nullptr) return ImageStatus::NoBuffer;
    PcxHeader header;
    const ImageStatus status = loadPcx(path, *context.vidmem8, context.size, *context.palette, header);
    if (status == ImageStatus::Ok) info = {header.width, header.height, 8};
    return status;
}

ImageStatus saveTargaPicture(const std::string& path, const ImageFileContext& context)
{
    if (context.vidmem24 == nullptr) return ImageStatus::NoBuffer;
    return saveTarga(*context.vidmem24, context.size, path, context.targaCompress);
}

ImageStatus saveBmpPicture(const std::string& path, const ImageFileContext& context)
{
    if (context.vidmem24 == nullptr) return ImageStatus::NoBuffer;
    return saveBmp(*context.vidmem24, context.size, path);
}

ImageStatus saveJpegPicture(const std::string& path, const ImageFileContext& context)
{
    if (context.vidmem24 == nullptr) return ImageStatus::NoBuffer;
    return saveJpeg(*context.vidmem24, context.size, context.jpegQuality, path);
}

ImageStatus savePngPicture(const std::string& path, const ImageFileContext& context)
{
    if (context.vidmem24 == nullptr) return ImageStatus::NoBuffer;
    return savePng(*context.vidmem24, context.size, path, context.pngLevel);
}

ImageStatus savePcxPicture(const std::string& path, const ImageFileContext& context)
{
    if (context.vidmem8 == nullptr || context.palette == nullptr) return ImageStatus::NoBuffer;
    return savePcx(*context.vidmem8, context.size, *context.palette, path);
}

using enum ImageFamily;

constexpr ImageFormatRow kImageFormats[] = {
    {ImageFormat::Targa, "tga", ".TGA", nullptr, Still24, "Targa24", WriterSetting::RunLength, loadTargaPicture,
     saveTargaPicture},
    {ImageFormat::Bmp, "bmp", ".BMP", nullptr, Still24, "BMP", WriterSetting::None, loadBmpPicture, saveBmpPicture},
    {ImageFormat::Jpeg, "jpg", ".JPG", ".JPEG", Still24, "JPEG", WriterSetting::Quality, loadJpegPicture,
     saveJpegPicture},
    {ImageFormat::Pcx, "pcx", ".PCX", nullptr, Still8, "PCX", WriterSetting::None, loadPcxPicture, savePcxPicture},
    {ImageFormat::Png, "png", ".PNG", nullptr, Still24, "PNG", WriterSetting::None, nullptr, savePngPicture},
    {ImageFormat::Kanim, "kan", ".KAN", nullptr, Animation, "KANIM", WriterSetting::None, nullptr, nullptr},
    {ImageFormat::Flc, "flc", ".FLC", nullptr, Animation, "FLC", WriterSetting::None, nullptr, nullptr},
    {ImageFormat::Avi, "avi", ".AVI", nullptr, Animation, "AVI", WriterSetting::None, nullptr, nullptr},
};

// Rows are found by their format's value.
constexpr bool rowsInFormatOrder()
{
    for (std::size_t i = 0; i < std::size(kImageFormats); ++i)
        if (static_cast<std::size_t>(kImageFormats[i].format) != i) return false;
    return true;
}
static_assert(rowsInFormatOrder());
static_assert(std::size(kImageFormats) == static_cast<std::size_t>(ImageFormat::Avi) + 1);

bool sameLetters(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

std::span<const ImageFormatRow> imageFormatTable() { return kImageFormats; }

const ImageFormatRow& imageFormatRow(ImageFormat format) { return kImageFormats[static_cast<std::size_t>(format)]; }

std::optional<ImageFormat> imageFormatNamed(std::string_view name)
{
    for (const ImageFormatRow& row : kImageFormats)
        if (name == row.name) return row.format;
    return std::nullopt;
}

std::optional<ImageFormat> imageFormatOfExtension(std::string_view extension)
{
    for (const ImageFormatRow& row : kImageFormats) {
        if (sameLetters(extension, row.extension)) return row.format;
        if (row.otherExtension != nullptr && sameLetters(extension, row.otherExtension)) return row.format;
    }
    return std::nullopt;
}

bool isAnimationFile(ImageFormat format) { return imageFormatRow(format).family == ImageFamily::Animation; }

ImageFileContext imageFileContext(ImageBuffers& images, DisplayPalette& palette, ImageSize size,
                                  const RenderSettings& render)
{
    return {&images.vidmem24, &images.vidmem8, size, &palette, render.targaCompress != 0, render.jpegQuality,
            render.pngLevel};
}

} // namespace kalvenor
