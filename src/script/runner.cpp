#include "script/runner.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <memory>

#include "app/app.h"
#include "base/frontend.h"
#include "base/paths.h"
#include "script/interpreter.h"

namespace kalvenor {

namespace {

// Lines are read through a 256-byte buffer: at most 255 characters of a line
// are seen at once, and the rest of a longer line comes back as the next line.
constexpr int kLineBuffer = 256;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using ScriptFile = std::unique_ptr<std::FILE, FileCloser>;

bool readLine(std::FILE* file, std::string& line)
{
    char buffer[kLineBuffer];
    if (std::fgets(buffer, kLineBuffer, file) == nullptr) return false;
    line.assign(buffer, std::strlen(buffer));
    return true;
}

// Line 1 must be the header and its line end, nothing else.
bool isScriptHeader(const std::string& line)
{
    const std::string header = kScriptHeader;
    return line == header + "\n" || line == header + "\r\n";
}

// How many frames a line ends: a frame line, Render or RewriteImage end one.
int framesEnded(const std::string& line) { return isFrameLine(line) || classifyLine(line) != 0 ? 1 : 0; }

// Skips line 2, then counts the frames of the rest of the file.
int countFrames(std::FILE* file)
{
    std::string line;
    int total = 0;
    if (!readLine(file, line)) return 0;
    while (readLine(file, line)) total += framesEnded(line);
    return total;
}

// Sets the camera from a frame line as it stands: no locks, no re-aiming.
void placeCamera(CameraSettings& camera, const std::array<float, 6>& v)
{
    camera.cameraX = v[0];
    camera.cameraY = v[1];
    camera.cameraZ = v[2];
    camera.bank = v[3];
    camera.heading = v[4];
    camera.pitch = v[5];
}

// The state of one run.
struct ScriptRun {
    App& app;
    Frontend& ui;
    bool output = false;
    const FrameCallback& onFrame;
    FrameRequest frame;
};

// runLine's answer when the run goes on; any other value is the run's result.
constexpr int kGoOn = 2;

// Executes one line; returns kGoOn, or the run's result.
int runLine(ScriptRun& run, const std::string& line)
{
    int ended = 0;
    if (isFrameLine(line)) {
        std::array<float, 6> values{};
        if (readFrameLine(line, values) < 6) return -3;
        placeCamera(run.app.scene.camera, values);
        ended = kLineRender;
    } else {
        const int result = executeLine(run.app, run.ui, line);
        if (result == -1) return -1;
        if (result == kLineRender || result == kLineRewrite) ended = result;
    }
    if (!run.output || ended == 0) return kGoOn;

    run.frame.render = ended == kLineRender;
    run.frame.save = run.app.scene.script.saveFrames != 0;
    const int made = run.onFrame ? run.onFrame(run.frame) : 1;
    if (made != 1) return made == 0 ? 0 : -1;

    ++run.frame.frame;
    ++run.frame.framesMade;
    run.frame.frameStartMillis = run.app.clock.millis();
    run.app.scriptProgress.currentFrame = run.frame.frame;
    return run.frame.frame > kLastScriptFrame ? 1 : kGoOn;
}

} // namespace

int runScript(App& app, Frontend& ui, const std::string& path, const std::optional<std::string>& outputBase,
              int startFrame, const FrameCallback& onFrame)
{
    app.scene.script.saveFrames = 1;
    ScriptFile file(std::fopen(resolveExisting(path).c_str(), "rb"));
    if (!file) {
        ui.message(fileMessage(kErrorOpeningFile, path));
        return 0;
    }

    std::string line;
    if (!readLine(file.get(), line) || !isScriptHeader(line)) {
        ui.message("\"" + path + "\" is not a script file");
        return -3;
    }

    ScriptRun run{app, ui, outputBase.has_value(), onFrame, {}};
    run.frame.total = countFrames(file.get());

    // Back to the first command: lines 1 and 2 are skipped again.
    std::rewind(file.get());
    readLine(file.get(), line);
    readLine(file.get(), line);

    // Continuing an animation: the lines before frame startFrame are passed over unexecuted.
    const int start = std::max(startFrame, 0);
    for (int passed = 0; passed < start && readLine(file.get(), line);) passed += framesEnded(line);

    run.frame.frame = start;
    app.scriptProgress.totalFrames = run.frame.total;
    app.scriptProgress.currentFrame = start;
    run.frame.runStartMillis = run.frame.frameStartMillis = app.clock.millis();

    while (readLine(file.get(), line))
        if (const int result = runLine(run, line); result != kGoOn) return result;
    return 1;
}

} // namespace kalvenor
