#include "script/animation_output.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "imagefile/bmp.h"
#include "imagefile/jpeg.h"
#include "imagefile/pcx.h"
#include "imagefile/png.h"
#include "imagefile/targa.h"
#include "platform/frontend.h"
#include "platform/paths.h"
#include "render/render_driver.h"
#include "shell/app.h"
#include "terrain/colouring_inputs.h"

namespace kalvenor {

namespace fs = std::filesystem;

namespace {

constexpr int kMostFrames = 100000; // frames counted or deleted when continuing

std::string clock(double seconds)
{
    const long total = seconds > 0 ? static_cast<long>(seconds) : 0;
    char text[32];
    std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
    return text;
}

// "Frame %d of %d took hh:mm:ss, hh:mm:ss to go".
void showTiming(App& app, Frontend& ui, const FrameRequest& request)
{
    const std::uint32_t now = app.clock.millis();
    const double frameSeconds = (now - request.frameStartMillis) * 0.001;
    const double totalSeconds = (now - request.runStartMillis) * 0.001;
    const int made = request.framesMade + 1;
    const int next = request.frame + 1;
    const double toGo = request.total != 0 ? totalSeconds / made * (request.total - next) : 0.0;
    ui.status("Frame " + std::to_string(next) + " of " + std::to_string(request.total) + " took " +
              clock(frameSeconds) + ", " + clock(toGo) + " to go");
}

ImageStatus saveFrame(App& app, const SeriesOutput& output, const std::string& path)
{
    const ImageSize size{app.geometry.width, app.geometry.height};
    switch (output.format) {
    case SeriesFormat::Pcx: return savePcx(app.images.vidmem8, size, app.palette, path);
    case SeriesFormat::Targa:
        return saveTarga(app.images.vidmem24, size, path, app.scene.render.targaCompress != 0);
    case SeriesFormat::Jpeg: return saveJpeg(app.images.vidmem24, size, app.scene.render.jpegQuality, path);
    case SeriesFormat::Bmp: return saveBmp(app.images.vidmem24, size, path);
    case SeriesFormat::Png: return savePng(app.images.vidmem24, size, path);
    }
    return ImageStatus::BadArgument;
}

} // namespace

const char* seriesExtension(SeriesFormat format)
{
    switch (format) {
    case SeriesFormat::Pcx: return ".PCX";
    case SeriesFormat::Targa: return ".TGA";
    case SeriesFormat::Jpeg: return ".JPG";
    case SeriesFormat::Bmp: return ".BMP";
    case SeriesFormat::Png: return ".PNG";
    }
    return "";
}

std::string frameFileName(const SeriesOutput& output, int frame)
{
    char number[16];
    std::snprintf(number, sizeof number, "%05d", frame);
    return output.base + number + seriesExtension(output.format);
}

std::string seriesBaseFromChoice(const std::string& chosen)
{
    const std::string path = normaliseSeparators(chosen);
    const std::size_t slash = path.find_last_of('/');
    const std::string directory = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    // Only the last dot starts the extension: "my.flight.tga" is the name "my.flight".
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos) name.resize(dot);
    return directory + name.substr(0, 3);
}

int existingSeriesStart(const SeriesOutput& output, Frontend& ui)
{
    std::error_code ec;
    const fs::path first(frameFileName(output, 0));
    if (first.has_parent_path()) fs::create_directories(first.parent_path(), ec);
    if (!fs::exists(first, ec)) return 0;
    if (ui.ask("Continue existing animation or delete it?", "Continue", "Delete")) {
        int n = 0;
        while (n < kMostFrames && fs::exists(frameFileName(output, n), ec)) ++n;
        return n;
    }
    for (int n = 0; n < kMostFrames; ++n)
        if (!fs::remove(frameFileName(output, n), ec)) break;
    return 0;
}

int makeSeriesFrame(App& app, Frontend& ui, const SeriesOutput& output, const FrameRequest& request)
{
    ui.status(std::to_string(request.frame + 1) + " of " + std::to_string(request.total));
    if (request.render) {
        setPolygonSize(app.landscape, 1);
        if (renderImage(app, ui, request.frame, request.total) != 1) return -1;
    }
    if (request.save) {
        ui.status("Saving frame " + std::to_string(request.frame + 1));
        const std::string path = frameFileName(output, request.frame);
        if (saveFrame(app, output, path) != ImageStatus::Ok) {
            ui.message(fileMessage(kErrorWritingFile, path));
            return 0;
        }
    }
    showTiming(app, ui, request);
    return 1;
}

int runAnimation(App& app, Frontend& ui, const std::string& script, const SeriesOutput& output, int startFrame)
{
    const FrameCallback onFrame = [&](const FrameRequest& request) {
        return makeSeriesFrame(app, ui, output, request);
    };
    // Frames are saved, not watched: nothing is shown while the series runs.
    RenderSettings& render = app.scene.render;
    const std::int32_t displayMode = render.displayMode;
    render.displayMode = 0;
    const int result = runScript(app, ui, script, output.base, startFrame, onFrame);
    render.displayMode = displayMode;
    app.scene.camera.bank = 0.0f;
    ui.status(kProductTitle);
    return result;
}

std::string animationResultText(int result, int currentFrame, int totalFrames)
{
    switch (result) {
    case 1: return "Script completed successfully.";
    case -1: return "User aborted script!";
    case -3: return "Format error in script!";
    default:
        return "Error running script! (frame " + std::to_string(currentFrame + 1) + " of " +
               std::to_string(totalFrames) + ")";
    }
}

} // namespace kalvenor
