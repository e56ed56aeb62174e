// Keywords that save the rendered image or read one into the 24-bit buffer.
// Without the buffer they do nothing. A failed load or save shows the file's
// message, so a batch job does not lose a frame unnoticed; the script goes on.
#include <algorithm>
#include <string>
#include <vector>

#include "app/app.h"
#include "base/frontend.h"
#include "base/paths.h"
#include "codecs/image_formats.h"
#include "codecs/image_io.h"
#include "codecs/stereo.h"
#include "script/exec_handlers.h"

namespace kalvenor {

namespace {

ImageSize currentImageSize(const App& app)
{
    return {app.scene.render.imageWidth, app.scene.render.imageHeight};
}

// The keywords work on the image at the scene's image size.
ImageFileContext contextOf(App& app)
{
    return imageFileContext(app.images, app.palette, currentImageSize(app), app.scene.render);
}

// The picture a file is loaded into exists and has a size.
bool hasPicture(const ImageFileContext& context, ImageFamily family)
{
    if (family != ImageFamily::Still8) return viewOf(*context.vidmem24, context.size).valid();
    const ImageSize size = clippedSize(*context.vidmem8, context.size);
    return size.width > 0 && size.height > 0;
}

template <typename Pixel>
std::vector<Pixel> copyOf(const ImagePlane<Pixel>& plane)
{
    std::vector<Pixel> pixels;
    pixels.reserve(static_cast<std::size_t>(plane.width) * static_cast<std::size_t>(plane.height));
    for (int r = 0; r < plane.height; ++r) pixels.insert(pixels.end(), plane[r], plane[r] + plane.width);
    return pixels;
}

template <typename Pixel>
void putBack(ImagePlane<Pixel>& plane, const std::vector<Pixel>& pixels)
{
    for (int r = 0; r < plane.height; ++r)
        std::copy_n(pixels.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(plane.width), plane.width,
                    plane[r]);
}

void reportSave(ImageStatus status, const std::string& path, Frontend& ui)
{
    if (status != ImageStatus::Ok) ui.message(fileMessage(kErrorWritingFile, path));
}

void reportLoad(ImageStatus status, const std::string& path, Frontend& ui)
{
    if (status == ImageStatus::OpenFailed) ui.message(fileMessage(kErrorOpeningFile, path));
    else if (status != ImageStatus::Ok) ui.message(fileMessage(kErrorReadingFile, path));
}

} // namespace

LineResult execSaveImage(ScriptContext& ctx)
{
    App& app = ctx.app;
    const ImageFormatRow& row = imageFormatRow(static_cast<ImageFormat>(ctx.param));
    const std::string path = normaliseSeparators(ctx.args.word);
    const bool eightBit = row.family == ImageFamily::Still8;
    if (eightBit ? !app.images.vidmem8.allocated() : !app.images.vidmem24.allocated()) return LineResult::Done;
    if (row.save == nullptr) return LineResult::Done;
    const ImageStatus status = row.save(path, contextOf(app));
    reportSave(status, path, ctx.ui);
    if (status != ImageStatus::Ok) scriptFailure(ctx, saveFailureReason(path, "the file could not be written"));
    return LineResult::Done;
}

// Targa in opaque mode; the buffer is not cleared first, and the loaded-image
// information stays that of the last menu load.
LineResult execLoadImage(ScriptContext& ctx)
{
    App& app = ctx.app;
    const ImageFormatRow& row = imageFormatRow(static_cast<ImageFormat>(ctx.param));
    const ImageFileContext context = contextOf(app);
    if (row.load == nullptr || !hasPicture(context, row.family)) return LineResult::Done;
    const std::string path = resolveExisting(ctx.args.word);
    // A file that fails part way must not leave half a picture: what it may
    // touch is kept and put back.
    const std::vector<std::uint32_t> rgb = copyOf(app.images.vidmem24);
    const std::vector<std::uint8_t> indexed = copyOf(app.images.vidmem8);
    const DisplayPalette palette = app.palette;
    LoadedImageInfo info;
    const ImageStatus status = row.load(path, context, info);
    reportLoad(status, path, ctx.ui);
    if (status != ImageStatus::Ok) {
        putBack(app.images.vidmem24, rgb);
        putBack(app.images.vidmem8, indexed);
        app.palette = palette;
        scriptFailure(ctx, loadFailureReason(path, std::string("not a readable ") + row.title + " picture"));
    }
    return LineResult::Done;
}

LineResult execLoadStereoRedBlue(ScriptContext& ctx)
{
    App& app = ctx.app;
    if (!app.images.vidmem24.allocated()) return LineResult::Done;
    loadStereoPair(ctx.ui, app.images.vidmem24, currentImageSize(app), StereoKind::RedBlue, app.loadedImage,
                   app.dirs.stereo);
    return LineResult::Done;
}

} // namespace kalvenor
