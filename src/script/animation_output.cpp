#include "script/animation_output.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/app.h"
#include "app/render_driver.h"
#include "base/atomic_file.h"
#include "base/frontend.h"
#include "base/paths.h"
#include "codecs/kanim.h"
#include "codecs/pcx.h"
#include "files/resume_record.h"
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
    ui.milestone("Frame " + std::to_string(next) + " of " + std::to_string(request.total) + " took " +
              clock(frameSeconds) + ", " + clock(toGo) + " to go");
}

// A numbered frame is saved by its format's writer; the animation files take
// the frame in their own streams.
ImageStatus saveFrame(App& app, const SeriesOutput& output, AnimationFiles& files, const std::string& path)
{
    const ImageSize size{app.geometry.width, app.geometry.height};
    if (const ImageSaver save = imageFormatRow(output.format).save)
        return save(path, imageFileContext(app.images, app.palette, size, app.scene.render));
    switch (output.format) {
    case ImageFormat::Kanim:
        return appendKanimFrame(path, app.images.vidmem8, size, app.scene.render.imageSizeMode,
                                paletteFromDisplay(app.palette));
    case ImageFormat::Flc:
        return appendFlcFrame(files.flc, app.images.vidmem8, size, paletteFromDisplay(app.palette), output.frameRate,
                              dosDateTimeNow());
    case ImageFormat::Avi:
        files.avi.jpegQuality = app.scene.render.jpegQuality; // the quality of the JPEG files, as it stands
        return writeAviFrame(files.avi, app.images.vidmem24, size);
    default: break;
    }
    return ImageStatus::BadArgument;
}

// Why a frame could not be saved, in the words the user needs.
std::string saveFailureText(ImageFormat format, ImageStatus status, const std::string& path, const AviWriter& avi)
{
    if (status == ImageStatus::TooLarge && format == ImageFormat::Avi && avi.layout.openDml)
        return "The AVI file is full (" + std::to_string(avi.layout.superIndexRoom) + " RIFFs of 1 GiB): " + path;
    if (status == ImageStatus::TooLarge && format == ImageFormat::Flc)
        return "The FLC file is full (65535 frames or 4 GiB): " + path;
    if (status == ImageStatus::TooLarge && format == ImageFormat::Avi)
        return "The AVI file is full (2 GiB): " + path;
    if (status == ImageStatus::NoBuffer && format == ImageFormat::Avi) return kNeeds24Bit;
    if (status == ImageStatus::Unsupported && format == ImageFormat::Kanim)
        return fileMessage("Wrong image size for KANIM!", path);
    if (status == ImageStatus::Unsupported && format == ImageFormat::Flc)
        return "The image size differs from the FLC's: " + path;
    return fileMessage(kErrorWritingFile, path);
}

std::string dimensions(int width, int height, const char* between)
{
    return std::to_string(width) + between + std::to_string(height);
}

// The message of an AVI that cannot be continued or created.
std::string aviOpenText(AviOpenStatus status, const AviLayout& found, const std::string& path)
{
    switch (status) {
    case AviOpenStatus::Ok: break;
    case AviOpenStatus::OpenFailed: return "Unable to open " + path + " for appending.";
    case AviOpenStatus::WrongSize: return "Incorrect dimensions: " + dimensions(found.width, found.height, " x ");
    case AviOpenStatus::NotDirectColour: return "AVI is not direct-color.";
    case AviOpenStatus::WrongCodec: return "Wrong CODEC?";
    case AviOpenStatus::WriteFailed: return fileMessage(kErrorWritingFile, path);
    }
    return {};
}

constexpr const char* kContinueQuestion = "Continue existing animation or delete it?";

// The existing file is removed (Delete, Erase FLC); 0 when it stays.
AnimationStart startAnew(const std::string& path, Frontend& ui)
{
    if (!removeFile(path)) {
        ui.message(fileMessage(kErrorWritingFile, path));
        return {0, 0};
    }
    return {1, 0};
}

// A size of 0 x 0: not known before the script runs (a script may set it);
// the file is then checked against the image when the first frame is saved.
bool sizeKnown(ImageSize image) { return image.width > 0 && image.height > 0; }

int framesToStart(std::uint64_t frames) { return static_cast<int>(std::min<std::uint64_t>(frames, kMostFrames)); }

AnimationStart continueKanim(const std::string& path, ImageSize image, Frontend& ui)
{
    KanimHeader header;
    std::uint64_t frames = 0;
    const ImageStatus st = readKanimInfo(path, header, frames);
    if (st == ImageStatus::OpenFailed) {
        ui.message(fileMessage(kErrorOpeningFile, path));
        return {0, 0};
    }
    if (st != ImageStatus::Ok) {
        ui.message(fileMessage("Not a valid KANIM file!", path));
        return {-1, 0};
    }
    if (sizeKnown(image) && (header.width != image.width || header.height != image.height)) {
        ui.message(fileMessage("Wrong image size for KANIM!", path));
        return {-1, 0};
    }
    return {1, framesToStart(frames)};
}

AnimationStart continueFlc(SeriesOutput& output, const std::string& path, ImageSize image, Frontend& ui)
{
    const MappedFile file(path);
    FlcHeader header;
    if (!file.ok() || parseFlcHeader(file.bytes(), header) != ImageStatus::Ok) {
        ui.message(fileMessage(kErrorReadingFile, path));
        return {0, 0};
    }
    if (sizeKnown(image) && (header.width != image.width || header.height != image.height)) {
        const std::string text = "Error: FLC size = " + dimensions(header.width, header.height, "x") +
                                 ", image size = " + dimensions(image.width, image.height, "x");
        if (!ui.ask(text, "Erase FLC", "Cancel")) return {-1, 0};
        return startAnew(path, ui);
    }
    // The frames themselves are checked too: new frames must go after whole ones.
    FlcFileInfo info;
    if (scanFlc(file.bytes(), info) != ImageStatus::Ok) {
        ui.message(fileMessage(kErrorReadingFile, path));
        return {0, 0};
    }
    if (const int rate = flcFrameRate(header.speed); rate > 0) output.frameRate = rate;
    return {1, framesToStart(static_cast<std::uint64_t>(header.frames))};
}

AnimationStart continueAvi(SeriesOutput& output, const std::string& path, ImageSize image, Frontend& ui)
{
    AviWriter probe;
    AviOpenStatus st = AviOpenStatus::OpenFailed;
    if (sizeKnown(image)) {
        st = appendAvi(probe, path, image.width, image.height);
    } else {
        // Checked against its own size now; against the image's at the first frame.
        const MappedFile file(path);
        AviLayout layout;
        if (file.ok() && parseAvi(file.bytes(), layout) == AviOpenStatus::Ok)
            st = appendAvi(probe, path, layout.width, layout.height);
    }
    closeAvi(probe);
    if (st != AviOpenStatus::Ok) {
        ui.message(aviOpenText(st, probe.layout, path));
        return {0, 0};
    }
    const AviLayout& found = probe.layout;
    if (found.rate > 0 && found.scale > 0)
        output.frameRate = std::max(1, static_cast<int>((found.rate + found.scale / 2) / found.scale));
    return {1, framesToStart(found.frames.size())};
}

// Opens the animation file for the run: the FLC's palette is read, the AVI
// opened for appending or created. 1, or 0 with the message shown.
int openAnimationFile(App& app, Frontend& ui, const SeriesOutput& output, AnimationFiles& files)
{
    if (!isAnimationFile(output.format)) return 1;
    files.path = prepareOutputPath(animationFileName(output), true);
    if (files.path.empty()) {
        ui.message(fileMessage(kErrorWritingFile, animationFileName(output)));
        return 0;
    }
    if (output.format == ImageFormat::Flc && openFlcStream(files.path, files.flc) != ImageStatus::Ok) {
        ui.message(fileMessage(kErrorReadingFile, files.path));
        return 0;
    }
    if (output.format != ImageFormat::Avi) return 1;
    const ImageSize s = clippedSize(app.images.vidmem24, {app.geometry.width, app.geometry.height});
    if (s.width <= 0 || s.height <= 0) {
        ui.message(kNeeds24Bit);
        return 0;
    }
    const AviOpenStatus st = fileExists(files.path)
                                 ? appendAvi(files.avi, files.path, s.width, s.height)
                                 : createAvi(files.avi, files.path, s.width, s.height, output.frameRate, output.codec);
    if (st == AviOpenStatus::Ok) return 1;
    ui.message(aviOpenText(st, files.avi.layout, files.path));
    closeAvi(files.avi);
    return 0;
}

} // namespace

std::string animationFileName(const SeriesOutput& output)
{
    std::string name = normaliseSeparators(output.base);
    const std::size_t slash = name.find_last_of('/');
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) name.resize(dot);
    return name + imageFormatRow(output.format).extension;
}

std::string frameFileName(const SeriesOutput& output, int frame)
{
    char number[16];
    std::snprintf(number, sizeof number, "%05d", frame);
    return output.base + number + imageFormatRow(output.format).extension;
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

int existingSeriesStart(const SeriesOutput& output, Frontend& ui, int first, int last)
{
    std::error_code ec;
    const fs::path firstName(frameFileName(output, first));
    if (firstName.has_parent_path()) fs::create_directories(firstName.parent_path(), ec);
    if (!fs::exists(firstName, ec)) return first;
    const int end = std::min(last, kMostFrames - 1);
    if (ui.ask(kContinueQuestion, "Continue", "Delete")) {
        int n = first;
        while (n <= end && fs::exists(frameFileName(output, n), ec)) ++n;
        return n;
    }
    for (int n = first; n <= end; ++n)
        if (!removeFile(frameFileName(output, n))) break;
    return first;
}

AnimationStart existingAnimationStart(SeriesOutput& output, ImageSize image, Frontend& ui)
{
    if (!isAnimationFile(output.format)) return {1, existingSeriesStart(output, ui)};
    const std::string path = prepareOutputPath(animationFileName(output), true);
    if (path.empty()) {
        ui.message(fileMessage(kErrorWritingFile, animationFileName(output)));
        return {0, 0};
    }
    if (!fileExists(path)) return {1, 0};
    if (!ui.ask(kContinueQuestion, "Continue", "Delete")) return startAnew(path, ui);
    switch (output.format) {
    case ImageFormat::Kanim: return continueKanim(path, image, ui);
    case ImageFormat::Flc: return continueFlc(output, path, image, ui);
    case ImageFormat::Avi: return continueAvi(output, path, image, ui);
    default: break;
    }
    return {1, 0};
}

Outcome makeAnimationFrame(App& app, Frontend& ui, const SeriesOutput& output, AnimationFiles& files,
                       const FrameRequest& request)
{
    ui.status(std::to_string(request.frame + 1) + " of " + std::to_string(request.total));
    if (request.render) {
        setPolygonSize(app.landscape, 1);
        if (const Outcome rendered = renderImage(app, ui, request.frame, request.total); rendered != Outcome::Done)
            return rendered;
    }
    if (request.save) {
        // The file is opened at the first frame saved, when the script has set the image size.
        if (!files.opened) {
            if (openAnimationFile(app, ui, output, files) != 1) return Outcome::Failed;
            files.opened = true;
        }
        ui.status("Saving frame " + std::to_string(request.frame + 1));
        const std::string path = isAnimationFile(output.format) ? files.path : frameFileName(output, request.frame);
        if (const ImageStatus saved = saveFrame(app, output, files, path); saved != ImageStatus::Ok) {
            ui.message(saveFailureText(output.format, saved, path, files.avi));
            return Outcome::Failed;
        }
    }
    showTiming(app, ui, request);
    return Outcome::Done;
}

std::string resumeRecordName(const SeriesOutput& output)
{
    return (isAnimationFile(output.format) ? animationFileName(output) : output.base) + ".resume";
}

namespace {

// How the frames before the first are brought up to date, and what the first takes over.
struct Replay {
    bool renderAgain = false;                 // no record to start from: the frames are rendered, unsaved
    std::optional<ResumeRecord> record;       // the dither stream at the start of the first frame
    bool recordFailed = false;                // the record could not be written (said once)
};

Replay planReplay(const SeriesOutput& output, const FrameRange& range, const std::string& record, Frontend& ui)
{
    Replay plan;
    if (range.before != BeforeFirstFrame::Replay || range.first <= 0 || output.frameSeeded) return plan;
    const std::optional<ResumeRecord> found = readResumeRecord(record);
    if (found && found->frame == range.first) {
        plan.record = found;
        return plan;
    }
    plan.renderAgain = true;
    ui.report("No resume record for frame " + std::to_string(range.first) + " (" + record + "): the " +
              std::to_string(range.first) +
              " frames before it are rendered again, unsaved, so that the new frames match an uninterrupted run");
    return plan;
}

// A frame before the first: its lines have run; it is brought up to date without being saved.
Outcome replayAnimationFrame(App& app, Frontend& ui, const SeriesOutput& output, const Replay& plan,
                             const FrameRequest& request)
{
    ui.status("Replaying frame " + std::to_string(request.frame + 1) + " of " + std::to_string(request.total));
    if (!request.render) return Outcome::Done;
    // A seeded frame's palette is predicted with the frame's own stream, as when it is rendered.
    if (output.frameSeeded) restoreDither(app.dither, frameDitherSeed(request.frame), false, 0, 0);
    setPolygonSize(app.landscape, 1);
    return plan.renderAgain ? renderImage(app, ui, request.frame, request.total) : replayFrame(app, ui);
}

} // namespace

ScriptOutcome runAnimation(App& app, Frontend& ui, const std::string& script, const SeriesOutput& output, int startFrame)
{
    return runAnimation(app, ui, script, output, FrameRange{startFrame, kLastScriptFrame, BeforeFirstFrame::Skip});
}

ScriptOutcome runAnimation(App& app, Frontend& ui, const std::string& script, const SeriesOutput& output,
                           const FrameRange& range)
{
    // An AVI holds true-colour frames: without the 24-bit image there is nothing to put in it.
    if (output.format == ImageFormat::Avi && !app.images.vidmem24.allocated()) {
        ui.message(kNeeds24Bit);
        return {RunEnd::Failed, 0};
    }
    const std::string record = resumeRecordName(output);
    const bool keepRecord = range.before == BeforeFirstFrame::Replay && !output.frameSeeded;
    // A run from frame 0 starts a new record; one left by an earlier animation is void.
    if (keepRecord && range.first == 0 && fileExists(record)) removeFile(record);
    Replay plan = planReplay(output, range, record, ui);

    AnimationFiles files;
    const FrameCallback onFrame = [&](const FrameRequest& request) {
        if (request.replay) return replayAnimationFrame(app, ui, output, plan, request);
        PixelDither& dither = app.dither;
        if (output.frameSeeded && request.render) {
            // The stream and its tables start anew from the frame's number.
            restoreDither(dither, frameDitherSeed(request.frame), false, 0, 0);
        } else if (plan.record && request.frame == range.first) {
            // The stream, and the palette predicted with it, as the earlier run left them.
            const ResumeRecord& r = *plan.record;
            restoreDither(dither, r.dither, r.table, r.tableSeed, r.tableAmount);
            app.palette = r.palette;
        }
        const Outcome made = makeAnimationFrame(app, ui, output, files, request);
        const ResumeRecord now{request.frame + 1, dither.seed,          dither.built,
                               dither.tableSeed,  dither.builtAmount, app.palette};
        if (made == Outcome::Done && keepRecord && !writeResumeRecord(record, now) && !plan.recordFailed) {
            plan.recordFailed = true;
            ui.report("The resume record " + record + " could not be written: " +
                      "a continued run will render the frames before its first again");
        }
        return made;
    };
    // Frames are saved, not watched: nothing is shown while the series runs.
    RenderSettings& render = app.scene.render;
    const std::int32_t displayMode = render.displayMode;
    render.displayMode = 0;
    const ScriptOutcome result = runScript(app, ui, script, output.base, range, onFrame);
    render.displayMode = displayMode;
    closeAvi(files.avi);
    app.scene.camera.bank = 0.0f;
    ui.status(kProductTitle);
    return result;
}

std::string animationResultText(RunEnd end, int currentFrame, int totalFrames)
{
    switch (end) {
    case RunEnd::Completed: return "Script completed successfully.";
    case RunEnd::Stopped: return "User aborted script!";
    case RunEnd::FormatError: return "Format error in script!";
    case RunEnd::Failed: break;
    }
    return "Error running script! (frame " + std::to_string(currentFrame + 1) + " of " + std::to_string(totalFrames) +
           ")";
}

} // namespace kalvenor
