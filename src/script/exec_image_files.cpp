// Keywords that save the rendered image or read one into the 24-bit buffer.
// Without the buffer they do nothing. A failed load or save shows the file's
// message, so a batch job does not lose a frame unnoticed; the script goes on.
#include <string>

#include "app/app.h"
#include "base/frontend.h"
#include "base/paths.h"
#include "codecs/bmp.h"
#include "codecs/image_io.h"
#include "codecs/jpeg.h"
#include "codecs/pcx.h"
#include "codecs/png.h"
#include "codecs/stereo.h"
#include "codecs/targa.h"
#include "script/exec_handlers.h"

namespace kalvenor {

namespace {

ImageSize currentImageSize(const App& app)
{
    return {app.scene.render.imageWidth, app.scene.render.imageHeight};
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
    const ImageSize size = currentImageSize(app);
    const std::string path = normaliseSeparators(ctx.args.word);
    const bool eightBit = ctx.param == kImagePcx;
    if (eightBit ? !app.images.vidmem8.allocated() : !app.images.vidmem24.allocated()) return LineResult::Done;
    ImageStatus status = ImageStatus::Ok;
    switch (ctx.param) {
    case kImagePcx: status = savePcx(app.images.vidmem8, size, app.palette, path); break;
    case kImageTarga:
        status = saveTarga(app.images.vidmem24, size, path, app.scene.render.targaCompress != 0);
        break;
    case kImageBmp: status = saveBmp(app.images.vidmem24, size, path); break;
    case kImageJpeg: status = saveJpeg(app.images.vidmem24, size, app.scene.render.jpegQuality, path); break;
    default: status = savePng(app.images.vidmem24, size, path); break;
    }
    reportSave(status, path, ctx.ui);
    return LineResult::Done;
}

// Targa in opaque mode; the buffer is not cleared first.
LineResult execLoadImage(ScriptContext& ctx)
{
    App& app = ctx.app;
    const PixelView view = viewOf(app.images.vidmem24, currentImageSize(app));
    if (!view.valid()) return LineResult::Done;
    const std::string path = resolveExisting(ctx.args.word);
    ImageStatus status = ImageStatus::Ok;
    switch (ctx.param) {
    case kImageTarga: {
        TargaHeader header;
        status = loadTarga(path, view, TargaMode::Opaque, header);
        break;
    }
    case kImageBmp: {
        BmpHeader header;
        status = loadBmp(path, view, header);
        break;
    }
    default: {
        JpegInfo info;
        status = loadJpeg(path, view, info);
        break;
    }
    }
    reportLoad(status, path, ctx.ui);
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
