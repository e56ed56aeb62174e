#include "app/image_commands.h"

#include <cstddef>

#include "base/file_requests.h"
#include "codecs/jpeg.h"

namespace kalvenor {

namespace {

// The status line's box: the text centred in 16 columns, the odd space on the right.
std::string boxed(const std::string& text)
{
    constexpr std::size_t kBox = 16;
    if (text.size() >= kBox) return text;
    const std::size_t left = (kBox - text.size()) / 2;
    return std::string(left, ' ') + text + std::string(kBox - text.size() - left, ' ');
}

// The 24-bit picture alone: the 8-bit one and its palette have commands of their own.
ImageFileContext pictureContext(ImagePlane<std::uint32_t>& vidmem24, ImageSize size)
{
    ImageFileContext context;
    context.vidmem24 = &vidmem24;
    context.size = size;
    return context;
}

} // namespace

int commandLoadImage(Frontend& ui, ImageFormat format, ImagePlane<std::uint32_t>& vidmem24, ImageSize size,
                     LoadedImageInfo& info, const std::string& directory)
{
    const ImageFormatRow& row = imageFormatRow(format);
    if (row.family != ImageFamily::Still24 || row.load == nullptr) return 0;
    const PixelView view = viewOf(vidmem24, size);
    if (!view.valid()) {
        ui.message(kNeeds24Bit);
        return 0;
    }
    const std::string title = row.title;
    const auto path = askLoadPath(ui, "Load " + title + " file", directory, std::string("*") + row.extension);
    if (!path) return -1;
    ui.status(boxed("Load " + title));
    clearView(view);
    if (row.load(*path, pictureContext(vidmem24, size), info) != ImageStatus::Ok) {
        info = {};
        ui.message(fileMessage(kErrorReadingFile, *path));
        return 0;
    }
    return 1;
}

int commandSaveImage(Frontend& ui, ImageFormat format, ImagePlane<std::uint32_t>& vidmem24, ImageSize size,
                     RenderSettings& render, bool shiftHeld, const std::string& directory)
{
    const ImageFormatRow& row = imageFormatRow(format);
    if (row.family != ImageFamily::Still24 || row.save == nullptr) return 0;
    if (!vidmem24.allocated()) {
        ui.message(kNeeds24Bit);
        return 0;
    }
    if (row.setting == WriterSetting::RunLength && shiftHeld)
        render.targaCompress = ui.ask("Save Targa: Use run-length compression?", "Yes", "No") ? 1 : 0;
    const std::string title = row.title;
    const auto path = askSavePath(ui, "Save " + title + " file", directory, std::string("*") + row.extension,
                                  row.extension);
    if (!path) return -1;
    if (row.setting == WriterSetting::Quality) {
        // The prompt has only "OK": an answer that does not come keeps the current quality.
        const auto answer = ui.askNumber("Select JPEG quality (25-100):", render.jpegQuality);
        render.jpegQuality = clampJpegQuality(answer.value_or(render.jpegQuality));
    }
    ui.status(boxed("Save " + title));
    ImageFileContext context = pictureContext(vidmem24, size);
    context.targaCompress = render.targaCompress != 0;
    context.jpegQuality = render.jpegQuality;
    if (row.save(*path, context) == ImageStatus::Ok) return 1;
    ui.message(fileMessage(kErrorWritingFile, *path));
    return 0;
}

} // namespace kalvenor
