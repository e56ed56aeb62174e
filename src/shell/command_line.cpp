#include "shell/command_line.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <unistd.h>

#include "app/app.h"
#include "app/information.h"
#include "app/render_driver.h"
#include "base/confinement.h"
#include "base/fatal_error.h"
#include "base/paths.h"
#include "base/run_program.h"
#include "base/worker_pool.h"
#include "codecs/image_formats.h"
#include "files/script_file.h"
#include "model/landscape.h"
#include "platform/headless_frontend.h"
#include "script/animation_output.h"
#include "script/runner.h"
#include "shell/convert_command.h"
#include "shell/path_command.h"
#include "shell/startup.h"
#include "shell/window_program.h"
#include "terrain/colouring_inputs.h"

namespace kalvenor {

namespace {

bool parseInt(const std::string& text, int& out)
{
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < 0 || value > 99999) return false;
    out = static_cast<int>(value);
    return true;
}

// "A-B", "A-", "-B" or "A": frames A to B (from 0, up to the last frame number).
bool parseFrameRange(const std::string& text, int& first, int& last)
{
    const std::size_t dash = text.find('-');
    first = 0;
    last = 99999;
    if (dash == std::string::npos) {
        if (!parseInt(text, first)) return false;
        last = first;
        return true;
    }
    const std::string from = text.substr(0, dash), to = text.substr(dash + 1);
    if (from.empty() && to.empty()) return false;
    if (!from.empty() && !parseInt(from, first)) return false;
    if (!to.empty() && !parseInt(to, last)) return false;
    return first <= last;
}

// The landscape as the information panel shows it.
void describeLandscape(const Landscape& land, std::FILE* out)
{
    for (const std::string& line : landscapeInformation(land)) std::fprintf(out, "%s\n", line.c_str());
}

// The format named on the command line (Targa when none was named).
std::optional<ImageFormat> seriesFormat(const std::string& name)
{
    if (name.empty()) return ImageFormat::Targa;
    return imageFormatNamed(name);
}

// The command-line words of the still image formats, or of the animation files, in table order.
std::vector<std::string> formatWords(bool animationFiles)
{
    std::vector<std::string> words;
    for (const ImageFormatRow& row : imageFormatTable())
        if (isAnimationFile(row.format) == animationFiles) words.emplace_back(row.name);
    return words;
}

// The extensions of the still image formats in small letters: ".tga" ...
std::vector<std::string> stillExtensions()
{
    std::vector<std::string> extensions;
    for (const ImageFormatRow& row : imageFormatTable()) {
        if (isAnimationFile(row.format)) continue;
        std::string extension = row.extension;
        for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        extensions.push_back(extension);
    }
    return extensions;
}

// "a, b, c" with lastSeparator before the last item.
std::string listed(const std::vector<std::string>& items, const std::string& lastSeparator)
{
    std::string list;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) list += i + 1 == items.size() ? lastSeparator : ", ";
        list += items[i];
    }
    return list;
}

// The usage lines' descriptions start at this column and end by this one.
constexpr std::size_t kDescriptionColumn = 35;
constexpr std::size_t kUsageWidth = 100;

// The text broken between words into lines of the description column.
std::string described(const std::string& text)
{
    const std::string indent(kDescriptionColumn, ' ');
    std::string out;
    std::string line;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(' ', start);
        if (end == std::string::npos) end = text.size();
        const std::string word = text.substr(start, end - start);
        if (!line.empty() && kDescriptionColumn + line.size() + 1 + word.size() > kUsageWidth) {
            out += indent + line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
        start = end + 1;
    }
    return out + indent + line + "\n";
}

// Saves the rendered image by the extension of path (its directories are made
// first); BadArgument for an extension of no still image format.
// The still format of an image name, by the extension of its file name (a dot
// in a directory name does not count); nothing when it names no still format.
std::optional<ImageFormat> stillFormatOf(const std::string& path)
{
    const std::string normal = normaliseSeparators(path);
    const std::string name = normal.substr(normal.find_last_of('/') + 1);
    const std::size_t dot = name.find_last_of('.');
    if (dot == std::string::npos) return std::nullopt;
    const std::optional<ImageFormat> format = imageFormatOfExtension(std::string_view(name).substr(dot));
    if (!format || imageFormatRow(*format).save == nullptr) return std::nullopt;
    return format;
}

ImageStatus saveImageByExtension(App& app, const std::string& path)
{
    const std::optional<ImageFormat> format = stillFormatOf(path);
    if (!format) return ImageStatus::BadArgument;
    const ImageSize size{app.geometry.width, app.geometry.height};
    return imageFormatRow(*format).save(path, imageFileContext(app.images, app.palette, size, app.scene.render));
}

// Script errors and failed lines of every script a batch run ran: any of them
// makes the run fail, after everything else it was asked for was done.
struct RunTally {
    int errors = 0;
    int failures = 0;
    void add(const ScriptOutcome& run)
    {
        errors += run.errors;
        failures += run.failures;
    }
};

// A batch run without an output renders at each Render line, so that the save
// keywords after it write the picture (the window only moves the camera there).
FrameCallback renderAtRenderLines(App& app, Frontend& ui)
{
    return [&app, &ui](const FrameRequest&) { return renderImage(app, ui); };
}

// The message of a run that did not complete. A stop that nobody asked for
// in a batch run (an answer given in advance to a script error) says so.
void showRunEnd(Frontend& ui, const App& app, const ScriptOutcome& run)
{
    // A script that could not be read has said why; there is no frame to report.
    if (run.end == RunEnd::Completed || run.notRead) return;
    if (run.end == RunEnd::Stopped && run.stoppedAtError) {
        ui.message("Script stopped at a script error (answered Cancel).");
        return;
    }
    ui.message(animationResultText(run.end, app.scriptProgress.currentFrame, app.scriptProgress.totalFrames));
}

// --view: the finished work opened in the desktop's viewer. Its failure is
// reported but does not fail the run: the pictures are made.
void viewResult(Frontend& ui, const std::string& path)
{
    const int status = openWithViewer(path);
    if (status < 0) ui.report("--view: xdg-open could not be started (" + std::string(std::strerror(-status)) + ")");
    else if (status > 0) ui.report("--view: xdg-open could not open " + path + " (exit status " + std::to_string(status) + ")");
}

// kalvenor render: the script's settings, one render, the image saved by its extension.
int renderOne(App& app, Frontend& ui, const CommandLine& cl, RunTally& tally)
{
    if (!cl.script.empty()) {
        const ScriptOutcome run = runScript(app, ui, cl.script, std::nullopt, 0, renderAtRenderLines(app, ui));
        tally.add(run);
        if (run.end != RunEnd::Completed) {
            showRunEnd(ui, app, run);
            return kExitFailed;
        }
    }
    const Outcome rendered = renderImage(app, ui);
    if (rendered != Outcome::Done) {
        if (rendered == Outcome::Cancelled) ui.message("Render aborted.");
        return kExitFailed;
    }
    const RenderSettings& render = app.scene.render;
    std::fprintf(stderr, "Rendered %d x %d: %d polygons in %.3f s\n", app.geometry.width, app.geometry.height,
                 render.polygonCount, (render.renderEndMillis - render.renderStartMillis) * 0.001);
    int code = kExitOk;
    for (const std::string& image : cl.images) {
        const std::string path = normaliseSeparators(image);
        const ImageStatus saved = saveImageByExtension(app, path);
        if (saved == ImageStatus::BadArgument) {
            ui.message("Unknown image type: " + image + " (use " + listed(stillExtensions(), " or ") + ")");
            code = kExitFailed;
        } else if (saved != ImageStatus::Ok) {
            ui.message(fileMessage(kErrorWritingFile, path));
            code = kExitFailed;
        } else {
            std::fprintf(stderr, "Saved %s\n", path.c_str());
        }
    }
    if (code == kExitOk && cl.view && !cl.images.empty()) viewResult(ui, normaliseSeparators(cl.images.front()));
    return code;
}

// kalvenor run --out BASE: every frame rendered and saved as a numbered file,
// or appended to one animation file.
int runSeries(App& app, Frontend& ui, const CommandLine& cl, RunTally& tally)
{
    const std::optional<ImageFormat> format = seriesFormat(cl.format);
    if (!format) return kExitUsage; // the parser let through only known names
    SeriesOutput output{normaliseSeparators(*cl.outputBase), *format, cl.frameRate};
    output.frameSeeded = cl.framesGiven;
    output.codec = cl.codec == "mjpeg" ? AviCodec::MotionJpeg : AviCodec::Uncompressed;
    FrameRange range{cl.startFrame, cl.lastFrame, BeforeFirstFrame::Replay};
    if (cl.framesGiven) {
        range.first = existingSeriesStart(output, ui, cl.startFrame, cl.lastFrame);
    } else if (!cl.startGiven) {
        // The script may set the image size: an existing file's size is checked at the first frame.
        const AnimationStart begin = existingAnimationStart(output, {0, 0}, ui);
        if (begin.result != 1) return kExitFailed; // its message is shown; nothing was rendered
        range.first = begin.frame;
    }
    const int start = range.first;
    if (start > range.last) {
        std::fprintf(stderr, "Frames %d to %d are there already: nothing to render\n", cl.startFrame, range.last);
        return kExitOk;
    }
    const ScriptOutcome run = runAnimation(app, ui, cl.script, output, range);
    tally.add(run);
    if (run.notRead) {
        // Its message is shown: nothing was run.
    } else if (run.end == RunEnd::Completed || !run.stoppedAtError) {
        ui.message(animationResultText(run.end, app.scriptProgress.currentFrame, app.scriptProgress.totalFrames));
    } else {
        showRunEnd(ui, app, run);
    }
    if (run.end == RunEnd::Completed && cl.view)
        viewResult(ui, isAnimationFile(*format) ? animationFileName(output) : frameFileName(output, start));
    return run.end == RunEnd::Completed ? kExitOk : kExitFailed;
}

// From here on the script reaches only files inside the directory, besides
// those the command line names: the script, the images and the output series.
bool confineRun(const CommandLine& cl)
{
    if (!confineTo(cl.confine)) return false;
    if (!cl.script.empty()) permitFile(cl.script);
    for (const std::string& image : cl.images) permitFile(image);
    if (cl.outputBase) permitPrefix(normaliseSeparators(*cl.outputBase));
    return true;
}

int runBatch(const CommandLine& cl, const char* argv0)
{
    HeadlessFrontend ui(stderr, static_cast<Verbosity>(cl.verbosity));
    for (const std::string& text : cl.answers) {
        PresetAnswer answer;
        parsePresetAnswer(text, answer);
        ui.addAnswer(answer);
    }
    HeadlessFrontend::installInterruptHandler();
    Frontend& port = ui;

    App app;
    app.frontend = &ui;
    app.programDir = programDirectory(argv0);
    initialiseApp(app, ui);
    app.allowSpawn = cl.allowSpawn;
    setDefaultDirectories(app.dirs, app.programDir);
    // Script errors and failed lines do not stop a batch run (a script error's
    // question is answered Continue), but a run that met any ends with a failure.
    RunTally tally;
    if (cl.startup) tally.add(runStartupScript(app, ui, app.programDir));
    if (cl.startup || !cl.landscapeFile.empty()) {
        if (loadStartupLandscape(app, ui, cl.landscapeFile, app.programDir) == Loaded::Nothing && !cl.landscapeFile.empty())
            return kExitFailed;
    }

    if (!cl.confine.empty() && !confineRun(cl)) {
        port.report("--confine: " + cl.confine + " is not a directory");
        return kExitUsage;
    }

    int code = kExitOk;
    if (cl.mode == Mode::Render) {
        code = renderOne(app, port, cl, tally);
    } else if (cl.outputBase) {
        code = runSeries(app, port, cl, tally);
    } else {
        const ScriptOutcome run =
            runScript(app, ui, cl.script, std::nullopt, cl.startFrame, renderAtRenderLines(app, port));
        tally.add(run);
        showRunEnd(port, app, run);
        code = run.end == RunEnd::Completed ? kExitOk : kExitFailed;
    }
    if (cl.info) describeLandscape(app.landscape, stdout);
    if (tally.errors > 0 || tally.failures > 0) {
        port.report(scriptErrorSummary(tally.errors, tally.failures));
        code = kExitFailed;
    }
    return code;
}

} // namespace

namespace {

const char* const kBatchOptions =
    "options of run and render:\n"
    "  --answer 'QUESTION=ANSWER'       answer a question in advance (repeatable)\n"
    "  --startup                        run STARTUP.SCR and load STARTUP.DEM from the program directory first\n"
    "  --allow-spawn                    let scripts start programs with Spawn (refused otherwise)\n"
    "  --confine DIR                    the script may read and write files only inside DIR\n"
    "  --landscape FILE                 load this landscape or session before the script\n"
    "  --info                           describe the landscape when the script has run\n"
    "  --quiet | --verbose              no progress at all | every status text, also in a log\n"
    "  --view                           open the finished picture or animation in the desktop's viewer\n"
    "  --threads N                      threads for rendering and the long operations (any command;\n"
    "                                   default: every core); the pictures are the same with any number\n";

const char* const kDocsPointer =
    "More: docs/getting-started.md (first steps), docs/command-line.md (every option), "
    "docs/script-keywords.md.\n";

std::string runUsage()
{
    const SeriesOutput frames{"BASE", ImageFormat::Targa};
    const SeriesOutput animation{"BASE", ImageFormat::Kanim};
    return "  kalvenor run SCRIPT [--out BASE] [--start N | --frames A-B] [--format FORMAT] [--rate N]\n"
           "                      [--codec none|mjpeg] [--startup] [--landscape FILE] [--info]\n" +
           described("run a script without a window; with --out every frame is saved, FORMAT " +
                     listed(formatWords(false), ", ") + " (" + frameFileName(frames, 0) + " ...) or " +
                     listed(formatWords(true), ", ") + " (one file, " + animationFileName(animation) +
                     " ...; --rate N frames a second, " + std::to_string(kDefaultFrameRate) +
                     "; --codec mjpeg for Motion JPEG AVI frames); --frames A-B renders only those frames, the same "
                     "whichever range renders them (A-, -B and A too)");
}

std::string renderUsage()
{
    return "  kalvenor render [SCRIPT] -o IMAGE\n" +
           described("run SCRIPT for its settings, render one image and save it by its extension (" +
                     listed(stillExtensions(), ", ") + ")");
}

} // namespace

std::string usageText()
{
    return "usage:\n"
           "  kalvenor [FILE] [--scale N]      the interactive program, with a landscape or session FILE\n" +
           runUsage() + renderUsage() +
           "  kalvenor path FILE -o SCRIPT     export the camera path stored in a session as a script\n"
           "  kalvenor path FILE --out BASE    render it as an animation (with the options of run)\n"
           "  kalvenor convert IN OUT          a landscape or elevation raster into a raster, mesh or landscape\n"
           "  kalvenor help [COMMAND]          this text, or one command's with examples\n"
           "  kalvenor --help | --version\n" +
           kBatchOptions + kDocsPointer;
}

std::string commandHelp(const std::string& command)
{
    if (command == "run")
        return "usage:\n" + runUsage() + kBatchOptions +
               "examples:\n"
               "  kalvenor run examples/flyover.scr --out out/flyover --format avi\n"
               "      renders every frame of the script into out/flyover.AVI\n"
               "  kalvenor run examples/flyover.scr --out out/flyover --format avi --codec mjpeg\n"
               "      the same as Motion JPEG, about a tenth of the size\n"
               "  kalvenor run examples/flyover.scr --out out/flyover --format png --frames 8-15\n"
               "      renders frames 8 to 15 only, as out/flyover00008.PNG ...; other processes or\n"
               "      machines can render the other frames (docs/render-farm.md)\n"
               "  kalvenor run examples/session.scr\n"
               "      runs the script; its own Save lines write the pictures and the session\n"
               "  cd job && kalvenor run job.scr --confine . --out out/frame\n"
               "      a job from elsewhere: it can touch only files inside job/\n" +
               kDocsPointer;
    if (command == "render")
        return "usage:\n" + renderUsage() + kBatchOptions +
               "examples:\n"
               "  kalvenor render examples/demo.scr -o out/demo.png -o out/demo.jpg --info\n"
               "      the demo island, saved twice, and a description of the landscape\n"
               "  kalvenor render -o out/valley.png --landscape out/valley.k4s\n"
               "      a saved session, exactly as it was saved\n" +
               kDocsPointer;
    if (command == "path")
        return "usage:\n"
               "  kalvenor path FILE -o SCRIPT     export the camera path stored in a session as a script\n"
               "  kalvenor path FILE --out BASE    render it as an animation; every option of run applies\n"
               "examples:\n"
               "  kalvenor path out/valley.k4s -o out/valley-path.scr\n"
               "  kalvenor run out/valley-path.scr --landscape out/valley.k4s --out out/valley --format avi\n"
               "      the path exported, then flown over its session\n"
               "  kalvenor path out/valley.k4s --out out/valley --format avi --codec mjpeg\n"
               "      the same flight in one step\n" +
               std::string(kDocsPointer);
    if (command == "convert")
        return "usage:\n"
               "  kalvenor convert IN OUT [--fit rules|crop|bilinear|nearest] [--step N] [--answer 'Q=A']\n"
               "      IN:  a landscape or session file, or any elevation raster GDAL reads (GeoTIFF,\n"
               "           16-bit PNG, SRTM .hgt, ESRI ASCII grid, ENVI, Terragen ...)\n"
               "      OUT: by its extension: .tif/.tiff (GeoTIFF), .png (16-bit, with its .aux.xml),\n"
               "           .ter (Terragen), .obj/.glb/.stl/.ply (mesh), .dem (landscape), .k4s (session)\n"
               "      --fit   how a raster comes to a grid size the landscape allows (rules by default)\n"
               "      --step  every N-th point of a mesh (1 by default)\n"
               "examples:\n"
               "  kalvenor convert N46E007.hgt alps.k4s --fit bilinear\n"
               "      an SRTM tile resampled to the largest grid, saved as a session\n"
               "  kalvenor convert out/valley.k4s out/valley.glb --step 2\n"
               "      a session's landscape as a glTF mesh with its ground colours and trees\n"
               "  kalvenor convert out/valley.k4s out/valley.tif\n"
               "      its elevations as a GeoTIFF for GIS tools\n" +
               std::string(kDocsPointer);
    return {};
}

std::optional<CommandLine> parseCommandLine(const std::vector<std::string>& args, std::string& error)
{
    CommandLine cl;
    std::size_t i = 0;
    if (!args.empty()) {
        if (args[0] == "--help" || args[0] == "-h") {
            cl.mode = Mode::Help;
            return cl;
        }
        if (args[0] == "--version") {
            cl.mode = Mode::Version;
            return cl;
        }
        if (args[0] == "help") {
            cl.mode = Mode::Help;
            if (args.size() > 1) {
                cl.helpTopic = args[1];
                if (commandHelp(cl.helpTopic).empty()) {
                    error = "no help for " + args[1] + ": the commands are run, render and path";
                    return std::nullopt;
                }
            }
            return cl;
        }
        if (args[0] == "run") cl.mode = Mode::Run, i = 1;
        else if (args[0] == "render") cl.mode = Mode::Render, i = 1;
    }

    auto value = [&](const std::string& option) -> const std::string* {
        if (i + 1 >= args.size()) {
            error = option + " needs a value";
            return nullptr;
        }
        return &args[++i];
    };

    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool batch = cl.mode == Mode::Run || cl.mode == Mode::Render;
        if (batch && (a == "--help" || a == "-h")) {
            cl.helpTopic = cl.mode == Mode::Run ? "run" : "render";
            cl.mode = Mode::Help;
            return cl;
        }
        if (batch && a == "--answer") {
            const std::string* v = value(a);
            if (!v) return std::nullopt;
            if (!takeAnswer(*v, cl.answers, error)) return std::nullopt;
        } else if (batch && a == "--startup") {
            cl.startup = true;
        } else if (batch && a == "--landscape") {
            const std::string* v = value(a);
            if (!v) return std::nullopt;
            cl.landscapeFile = *v;
        } else if (batch && a == "--confine") {
            const std::string* v = value(a);
            if (!v) return std::nullopt;
            cl.confine = *v;
        } else if (batch && a == "--allow-spawn") {
            cl.allowSpawn = true;
        } else if (batch && a == "--view") {
            cl.view = true;
        } else if (batch && a == "--quiet") {
            cl.verbosity = static_cast<int>(Verbosity::Quiet);
        } else if (batch && a == "--verbose") {
            cl.verbosity = static_cast<int>(Verbosity::Verbose);
        } else if (batch && a == "--info") {
            cl.info = true;
        } else if (cl.mode == Mode::Run && a == "--out") {
            const std::string* v = value(a);
            if (!v) return std::nullopt;
            cl.outputBase = *v;
        } else if (cl.mode == Mode::Run && a == "--start") {
            const std::string* v = value(a);
            if (!v) return std::nullopt;
            cl.startGiven = true;
            if (!parseInt(*v, cl.startFrame)) {
                error = "--start takes a frame number from 0 to 99999";
                return std::nullopt;
            }
        } else if (cl.mode == Mode::Run && a == "--frames") {
            const std::string* v = value(a);
            if (!v) return std::nullopt;
            cl.framesGiven = true;
            if (!parseFrameRange(*v, cl.startFrame, cl.lastFrame)) {
                error = "--frames takes A-B, A-, -B or A: frame numbers from 0 to 99999, A not after B";
                return std::nullopt;
            }
        } else if (cl.mode == Mode::Run && a == "--codec") {
            const std::string* v = value(a);
            if (!v) return std::nullopt;
            if (*v != "none" && *v != "mjpeg") {
                error = "--codec takes none (uncompressed frames) or mjpeg (Motion JPEG)";
                return std::nullopt;
            }
            cl.codec = *v;
        } else if (cl.mode == Mode::Run && a == "--format") {
            const std::string* v = value(a);
            if (!v) return std::nullopt;
            if (!imageFormatNamed(*v)) {
                error = "unknown format " + *v;
                return std::nullopt;
            }
            cl.format = *v;
        } else if (cl.mode == Mode::Run && a == "--rate") {
            const std::string* v = value(a);
            if (!v) return std::nullopt;
            if (!parseInt(*v, cl.frameRate) || cl.frameRate < kMinFrameRate || cl.frameRate > kMaxFrameRate) {
                error = "--rate takes frames a second from 1 to 1000";
                return std::nullopt;
            }
        } else if (cl.mode == Mode::Render && a == "-o") {
            const std::string* v = value(a);
            if (!v) return std::nullopt;
            cl.images.push_back(*v);
        } else if (cl.mode == Mode::Interactive && a == "--scale") {
            const std::string* v = value(a);
            if (!v) return std::nullopt;
            if (!parseInt(*v, cl.scale) || cl.scale < 1 || cl.scale > 8) {
                error = "--scale takes a whole number from 1 to 8";
                return std::nullopt;
            }
        } else if (!a.empty() && a[0] == '-' && a.size() > 1) {
            error = "unknown option " + a;
            return std::nullopt;
        } else if (cl.mode == Mode::Interactive && cl.landscapeFile.empty()) {
            cl.landscapeFile = a;
        } else if (batch && cl.script.empty()) {
            cl.script = a;
        } else {
            error = "unexpected argument " + a;
            return std::nullopt;
        }
    }
    if (cl.mode == Mode::Run && cl.script.empty()) {
        error = "run needs a script";
        return std::nullopt;
    }
    // An animation file is continued from the frames it holds, never from a
    // number given beside it: frames and file would no longer match.
    if (cl.startGiven && isAnimationFile(seriesFormat(cl.format).value_or(ImageFormat::Targa))) {
        error = "--start is for image series; an existing " + cl.format + " file is continued after its last frame";
        return std::nullopt;
    }
    if (!cl.codec.empty() && seriesFormat(cl.format) != ImageFormat::Avi) {
        error = "--codec is for --format avi";
        return std::nullopt;
    }
    // Split rendering: each job writes its own numbered pictures.
    if (cl.framesGiven && isAnimationFile(seriesFormat(cl.format).value_or(ImageFormat::Targa))) {
        error = "--frames is for image series; one " + cl.format + " file cannot be made in parts";
        return std::nullopt;
    }
    if (cl.framesGiven && cl.startGiven) {
        error = "--frames and --start cannot be given together (--frames A- starts at A)";
        return std::nullopt;
    }
    if ((cl.framesGiven || cl.startGiven) && !cl.outputBase) {
        error = std::string(cl.framesGiven ? "--frames" : "--start") + " needs --out BASE";
        return std::nullopt;
    }
    if (!cl.confine.empty() && cl.allowSpawn) {
        error = "--confine refuses Spawn: it cannot be given with --allow-spawn";
        return std::nullopt;
    }
    if (cl.mode == Mode::Render && cl.images.empty()) {
        error = "render needs -o IMAGE";
        return std::nullopt;
    }
    // A name the picture cannot be saved under is refused before anything is rendered.
    for (const std::string& image : cl.images)
        if (!stillFormatOf(image)) {
            error = "unknown image type: " + image + " (use " + listed(stillExtensions(), " or ") + ")";
            return std::nullopt;
        }
    return cl;
}

namespace {

// kalvenor path FILE --out BASE ...: the camera path of a session flown as an
// animation, with every option of run. The flight is made by a script of one
// line (PathRender) in the output's directory, run with FILE as --landscape,
// and removed afterwards; run again, it continues the animation.
int renderStoredPath(const std::vector<std::string>& args, const char* argv0)
{
    if (std::find(args.begin(), args.end(), "-o") != args.end()) {
        std::fprintf(stderr, "kalvenor: -o exports the path as a script, --out renders it: give one of them\n%s",
                     usageText().c_str());
        return kExitUsage;
    }
    std::vector<std::string> runArgs = args;
    runArgs[0] = "run";
    std::string error;
    std::optional<CommandLine> cl = parseCommandLine(runArgs, error);
    if (cl && !cl->landscapeFile.empty()) error = "path takes its file as FILE, not --landscape";
    if (!cl || !error.empty()) {
        if (error == "run needs a script") error = "path needs a session or landscape file";
        std::fprintf(stderr, "kalvenor: %s\n%s", error.c_str(), usageText().c_str());
        return kExitUsage;
    }
    cl->landscapeFile = cl->script;

    const std::string base = normaliseSeparators(*cl->outputBase);
    const std::size_t slash = base.find_last_of('/');
    const std::string directory = slash == std::string::npos ? std::string(".") : base.substr(0, slash + 1);
    std::error_code ec;
    std::filesystem::create_directories(directory, ec);
    std::string name = directory + (directory.back() == '/' ? "" : "/") + ".kalvenor-path-XXXXXX.scr";
    const int fd = ::mkstemps(name.data(), 4);
    if (fd < 0) {
        std::fprintf(stderr, "kalvenor: %s\n", fileMessage(kErrorWritingFile, name).c_str());
        return kExitFailed;
    }
    const std::string text = std::string(kScriptHeader) + "\nThe camera path of " + cl->landscapeFile + "\nPathRender\n";
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    int code = kExitFailed;
    if (!written) {
        std::fprintf(stderr, "kalvenor: %s\n", fileMessage(kErrorWritingFile, name).c_str());
    } else {
        cl->script = name;
        try {
            code = runBatch(*cl, argv0);
        } catch (const FatalError& fatal) {
            std::fprintf(stderr, "%s [Oh no!|Oh no!]\n", fatal.what());
            code = fatal.exitCode;
        }
    }
    ::unlink(name.c_str());
    return code;
}

} // namespace

bool takeThreadsOption(std::vector<std::string>& args, std::string& error)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--threads") continue;
        int count = 0;
        if (i + 1 >= args.size() || !parseInt(args[i + 1], count) || count < 1 || count > kMaxThreads) {
            error = "--threads takes a whole number from 1 to " + std::to_string(kMaxThreads);
            return false;
        }
        setThreadCount(count);
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
        --i;
    }
    return true;
}

bool takeAnswer(const std::string& value, std::vector<std::string>& answers, std::string& error)
{
    PresetAnswer parsed;
    if (!parsePresetAnswer(value, parsed)) {
        error = "--answer takes 'QUESTION=ANSWER'";
        return false;
    }
    answers.push_back(value);
    return true;
}

int runCommandLine(const std::vector<std::string>& given, const char* argv0)
{
    std::vector<std::string> args = given;
    if (std::string error; !takeThreadsOption(args, error)) {
        std::fprintf(stderr, "kalvenor: %s\n%s", error.c_str(), usageText().c_str());
        return kExitUsage;
    }
    if (!args.empty() && args[0] == "convert") {
        if (std::find(args.begin(), args.end(), "--help") != args.end() ||
            std::find(args.begin(), args.end(), "-h") != args.end()) {
            std::fputs(commandHelp("convert").c_str(), stdout);
            return kExitOk;
        }
        return runConvertCommand(args, argv0);
    }
    if (!args.empty() && args[0] == "path") {
        if (std::find(args.begin(), args.end(), "--help") != args.end() ||
            std::find(args.begin(), args.end(), "-h") != args.end()) {
            std::fputs(commandHelp("path").c_str(), stdout);
            return kExitOk;
        }
        if (std::find(args.begin(), args.end(), "--out") != args.end()) return renderStoredPath(args, argv0);
        return runPathCommand(args, argv0);
    }
    std::string error;
    const auto cl = parseCommandLine(args, error);
    if (!cl) {
        std::fprintf(stderr, "kalvenor: %s\n%s", error.c_str(), usageText().c_str());
        return kExitUsage;
    }
    switch (cl->mode) {
    case Mode::Help:
        std::fputs((cl->helpTopic.empty() ? usageText() : commandHelp(cl->helpTopic)).c_str(), stdout);
        return kExitOk;
    case Mode::Version: std::printf("kalvenor %s\n", KALVENOR_VERSION); return kExitOk;
    case Mode::Interactive:
        // A word that names no file was meant as a command.
        if (!cl->landscapeFile.empty() && !fileExists(cl->landscapeFile)) {
            std::fprintf(stderr,
                         "kalvenor: %s is neither a command nor a landscape file; the commands are run, render, "
                         "path, convert and help ('kalvenor help' lists them)\n",
                         cl->landscapeFile.c_str());
            return kExitUsage;
        }
        return runWindowProgram(*cl, argv0);
    case Mode::Run:
    case Mode::Render: break;
    }
    try {
        return runBatch(*cl, argv0);
    } catch (const FatalError& fatal) {
        std::fprintf(stderr, "%s [Oh no!|Oh no!]\n", fatal.what());
        return fatal.exitCode;
    }
}

} // namespace kalvenor
