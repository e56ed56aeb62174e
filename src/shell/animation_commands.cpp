#include "shell/animation_commands.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <optional>
#include <unistd.h>

#include "app/app.h"
#include "base/atomic_file.h"
#include "base/file_requests.h"
#include "base/frontend.h"
#include "base/paths.h"
#include "base/run_program.h"
#include "files/path_export.h"
#include "files/script_file.h"
#include "model/camera_aim.h"
#include "panels/input.h"
#include "panels/main_panel.h"
#include "script/animation_output.h"
#include "script/interpreter.h"
#include "shell/map_commands.h"
#include "shell/window_commands.h"
#include "shell/wire_view.h"

namespace kalvenor {

namespace {

constexpr const char* kNeeds8Bit = "This function requires 8-bit mode.";
constexpr int kRenderPath = 1387;

struct AnimationKind {
    int id;
    ImageFormat format;
    const char* pattern;
};

constexpr AnimationKind kKinds[] = {
    {1099, ImageFormat::Targa, "*.TGA"}, {1100, ImageFormat::Bmp, "*.BMP"}, {1101, ImageFormat::Jpeg, "*.JPG"},
    {1102, ImageFormat::Pcx, "*.PCX"},   {1103, ImageFormat::Kanim, "*.KAN"}, {1104, ImageFormat::Flc, "*.FLC"},
    {1105, ImageFormat::Avi, "*.AVI"},
};

struct Viewer {
    int id;
    const char* title;
    const char* pattern;
};

constexpr Viewer kViewers[] = {
    {1106, "View FLC animation", "*.FLC"},
    {1107, "View AVI animation", "*.AVI"},
    {1278, "View KAN animation", "*.KAN"},
};

constexpr std::array kAnimationIds = {1099, 1100, 1101, 1102, 1103, 1104, 1105, 1106, 1107, 1278, kRenderPath};
constexpr std::array kScriptIds = {1095, 1096, 1097, 1098, 1149};

// The panels show the settings again and the map the camera where the run left it.
void afterRun(WindowContext& ctx)
{
    refillPanel(ctx);
    refreshMap(ctx);
    ctx.input.present();
}

// The name of the temporary script that carries the path: beside the output,
// a name no user file has (the process number in it), so that removing it
// afterwards can take nothing of the user's.
std::string pathScriptName(const std::string& base)
{
    return base + "-path" + std::to_string(static_cast<long>(::getpid())) + ".SCR";
}

// The base of the output without the extension of its file name.
std::string withoutExtension(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return path;
    return path.substr(0, dot);
}

int animate(WindowContext& ctx, const AnimationKind& kind)
{
    App& app = ctx.app;
    Frontend& ui = ctx.ui;
    if (kind.format == ImageFormat::Pcx && !app.images.vidmem8.allocated()) {
        ui.message(kNeeds8Bit);
        return 0;
    }
    // The source: the camera path when it has points, else a script.
    const bool usePath = !app.path.points.empty();
    std::string script;
    if (!usePath) {
        const std::optional<std::string> chosen = askLoadPath(ui, "Script Name:", app.dirs.script, "*.SCR", "KALVE.SCR");
        if (!chosen) return -1;
        script = *chosen;
    }
    FileRequest request;
    request.title = "Base Picture Name:";
    request.directory = app.dirs.animation;
    request.pattern = kind.pattern;
    request.save = true;
    const std::optional<std::string> chosen = ui.chooseFile(request);
    if (!chosen || chosen->empty()) return -1;

    SeriesOutput output;
    output.format = kind.format;
    output.frameRate = app.animationRate;
    output.base = isAnimationFile(kind.format) ? normaliseSeparators(*chosen) : seriesBaseFromChoice(*chosen);
    if (kind.format == ImageFormat::Avi) {
        const std::optional<int> codec = ui.choose("AVI compression:", {"Uncompressed", "Motion JPEG"});
        if (!codec) return -1;
        output.codec = *codec == 1 ? AviCodec::MotionJpeg : AviCodec::Uncompressed;
    }
    const AnimationStart start = existingAnimationStart(output, {app.geometry.width, app.geometry.height}, ui);
    if (start.result != 1) return start.result;

    if (usePath) {
        script = pathScriptName(withoutExtension(output.base));
        std::vector<PathPoint> points = app.path.points;
        if (writePathScript(points, script) != PathExportStatus::Ok) {
            ui.message("Error opening motion file " + script);
            return 0;
        }
    }
    ctx.lastAnimation = kind.id;
    ui.setBusy(true);
    const ScriptOutcome run = runAnimation(app, ui, script, output, start.frame);
    ui.setBusy(false);
    if (usePath) removeFile(script);
    if (!run.notRead)
        ui.message(animationResultText(run.end, app.scriptProgress.currentFrame, app.scriptProgress.totalFrames));
    afterRun(ctx);
    const int result = classicRunResult(run.end);
    return result == -3 ? 0 : result;
}

int viewAnimation(WindowContext& ctx, const Viewer& viewer)
{
    const std::optional<std::string> chosen = askLoadPath(ctx.ui, viewer.title, ctx.app.dirs.animation, viewer.pattern);
    if (!chosen) return -1;
    const std::string path = resolveExisting(normaliseSeparators(*chosen));
    if (!fileExists(path)) {
        ctx.ui.message(fileMessage(kErrorOpeningFile, path));
        return 0;
    }
    const int status = openWithViewer(path);
    if (status != 0) {
        ctx.ui.message("Could not open " + path + " with xdg-open" +
                       (status < 0 ? std::string(" (it could not be started).") : std::string(".")));
        return 0;
    }
    ctx.ui.status("Opened " + path);
    return 1;
}

// ---- script files ----

// The "Script Name:" requester. A script to write gets ".SCR" when its name
// has none, and an existing one asks "Replace %s ?".
std::optional<std::string> askScript(WindowContext& ctx, bool write)
{
    const std::string& dir = ctx.app.dirs.script;
    if (write) return askSavePath(ctx.ui, "Script Name:", dir, "*.SCR", ".SCR", "KALVE.SCR");
    return askLoadPath(ctx.ui, "Script Name:", dir, "*.SCR", "KALVE.SCR");
}

enum class ScriptCheck { Ok, NotOpened, NotScript };

ScriptCheck checkScript(const std::string& path)
{
    std::FILE* f = openRegularStream(path);
    if (f == nullptr) return ScriptCheck::NotOpened;
    char line[256] = {};
    const bool read = std::fgets(line, sizeof line, f) != nullptr;
    std::fclose(f);
    return read && isScriptHeaderLine(line) ? ScriptCheck::Ok : ScriptCheck::NotScript;
}

// Says what is wrong with a script that cannot be used; true when it can.
bool usableScript(WindowContext& ctx, const std::string& path)
{
    switch (checkScript(path)) {
    case ScriptCheck::Ok: return true;
    case ScriptCheck::NotOpened: ctx.ui.message(fileMessage(kErrorOpeningFile, path)); return false;
    case ScriptCheck::NotScript: ctx.ui.message("\"" + path + "\" is not a script file"); return false;
    }
    return false;
}

// The outcome of a write, said as the script keywords say it.
int scriptWritten(WindowContext& ctx, ScriptWrite status, const std::string& path, const std::string& done)
{
    switch (status) {
    case ScriptWrite::Ok: ctx.ui.status(done + path); return 1;
    case ScriptWrite::NotScript: ctx.ui.message("\"" + path + "\" is not a script file"); return 0;
    case ScriptWrite::OpenFailed: ctx.ui.message(fileMessage(kErrorOpeningFile, path)); return 0;
    case ScriptWrite::WriteFailed: ctx.ui.message(fileMessage(kErrorWritingFile, path)); return 0;
    }
    return 0;
}

int newScript(WindowContext& ctx)
{
    const std::optional<std::string> path = askScript(ctx, true);
    if (!path) return -1;
    AtomicFile out;
    ScriptWrite status = ScriptWrite::OpenFailed;
    if (out.open(*path, FileMode::Text)) {
        out.write(std::string(kScriptHeader) + "\n" + kScriptCaption + "\n");
        status = out.commit() ? ScriptWrite::Ok : ScriptWrite::WriteFailed;
    }
    const int result = scriptWritten(ctx, status, *path, "New script ");
    if (result == 1) ctx.selectedScript = *path;
    return result;
}

int selectScript(WindowContext& ctx)
{
    const std::optional<std::string> path = askScript(ctx, false);
    if (!path) return -1;
    if (!usableScript(ctx, *path)) return 0;
    ctx.selectedScript = *path;
    ctx.ui.status("Script " + *path);
    return 1;
}

// Append camera: the selected script, or one chosen now when none is.
int appendCamera(WindowContext& ctx)
{
    if (ctx.selectedScript.empty()) {
        const int selected = selectScript(ctx);
        if (selected != 1) return selected;
    }
    return scriptWritten(ctx, appendCameraLine(ctx.selectedScript, ctx.app.scene.camera), ctx.selectedScript,
                         "Camera appended to ");
}

int straightFlight(WindowContext& ctx)
{
    const std::optional<std::string> path = askScript(ctx, true);
    if (!path) return -1;
    const std::optional<long> frames = ctx.ui.askNumber("Number of frames?", ctx.straightFrames);
    if (!frames) return -1;
    ctx.straightFrames = static_cast<int>(std::clamp<long>(*frames, 0, kLastScriptFrame));
    const int result = scriptWritten(ctx, writeStraightFlight(*path, ctx.app.scene.camera, ctx.straightFrames),
                                     *path, "Straight flight written to ");
    if (result == 1) ctx.selectedScript = *path;
    return result;
}

// The camera of a frame line on the map: its position, and a target ahead of
// it along the heading so that the marks show where it looks.
void showOnMap(WindowContext& ctx)
{
    CameraSettings shown = ctx.app.scene.camera;
    shown.pitch = 0.0f; // level: the marks show where it heads
    placeTargetAhead(shown, 1000.0);
    ctx.main.marks = MapMarks{&shown, nullptr, nullptr};
    redrawMap(ctx.surface, ctx.main, ctx.app.landscape);
    ctx.main.marks = MapMarks{};
    ctx.input.present();
}

int previewScript(WindowContext& ctx)
{
    const std::optional<std::string> path = askScript(ctx, false);
    if (!path) return -1;
    if (!usableScript(ctx, *path)) return 0;
    const bool flat = ctx.ui.ask("2D or 3D preview?", "2D", "3D");
    std::ifstream in(resolveExisting(*path), std::ios::binary);
    std::string line;
    std::getline(in, line); // the header, checked above
    std::getline(in, line); // the caption
    CameraSettings& camera = ctx.app.scene.camera;
    bool stopped = false;
    while (!stopped && std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!isFrameLine(line)) continue;
        std::array<float, 6> v{};
        if (readFrameLine(line, v) != 6) {
            ctx.ui.message("Data format error!");
            continue;
        }
        placeFrameCamera(camera, v);
        if (flat) showOnMap(ctx);
        else showWireView(ctx, "Preview: " + *path);
        stopped = !previewWait(ctx, 1000 / std::max(1, ctx.app.animationRate));
    }
    if (!flat) closeWireView(ctx);
    if (!stopped) ctx.ui.message("End of script.");
    afterRun(ctx);
    return stopped ? -1 : 1;
}

} // namespace

std::span<const int> animationCommandIds() { return kAnimationIds; }
std::span<const int> scriptFileCommandIds() { return kScriptIds; }

int runAnimationCommand(WindowContext& ctx, int id)
{
    if (id == kRenderPath) {
        if (ctx.app.path.points.empty()) {
            ctx.ui.message("No path to view!");
            return 0;
        }
        id = ctx.lastAnimation;
    }
    for (const AnimationKind& kind : kKinds)
        if (kind.id == id) return animate(ctx, kind);
    for (const Viewer& viewer : kViewers)
        if (viewer.id == id) return viewAnimation(ctx, viewer);
    return 0;
}

int runScriptFileCommand(WindowContext& ctx, int id)
{
    switch (id) {
    case 1095: return newScript(ctx);
    case 1096: return selectScript(ctx);
    case 1097: return appendCamera(ctx);
    case 1098: return previewScript(ctx);
    case 1149: return straightFlight(ctx);
    default: return 0;
    }
}

} // namespace kalvenor
