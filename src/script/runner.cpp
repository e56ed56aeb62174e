#include "script/runner.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

#include "app/app.h"
#include "base/frontend.h"
#include "base/paths.h"
#include "files/script_file.h"
#include "script/interpreter.h"
#include "script/script_args.h"

namespace kalvenor {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using ScriptFile = std::unique_ptr<std::FILE, FileCloser>;

// One line of the file, whole, with its line end. A line longer than
// kLongestScriptLine is not kept: line then holds its first characters and
// tooLong is set; the rest of it is read past.
bool readLine(std::FILE* file, std::string& line, bool& tooLong)
{
    line.clear();
    tooLong = false;
    int c = 0;
    while ((c = std::getc(file)) != EOF) {
        if (line.size() < kLongestScriptLine) line.push_back(static_cast<char>(c));
        else tooLong = true;
        if (c == '\n') break;
    }
    return !line.empty();
}

bool readLine(std::FILE* file, std::string& line)
{
    bool tooLong = false;
    return readLine(file, line, tooLong);
}

// How many frames a line ends: a frame line, Render or RewriteImage end one.
int framesEnded(const std::string& line)
{
    return isFrameLine(line) || classifyLine(line) != LineResult::Done ? 1 : 0;
}

// Skips line 2, then counts the frames of the rest of the file.
int countFrames(std::FILE* file)
{
    std::string line;
    int total = 0;
    if (!readLine(file, line)) return 0;
    while (readLine(file, line)) total += framesEnded(line);
    return total;
}

// The state of one run.
struct ScriptRun {
    App& app;
    Frontend& ui;
    bool output = false;
    const FrameCallback& onFrame;
    FrameRequest frame;
    ScriptPlace place;
    FrameRange range;
};

// Without an output, a Render line renders the picture when the caller gave a
// frame callback (nothing is saved, and the frame count stays); frame lines
// and RewriteImage only end their frame.
std::optional<RunEnd> renderWithoutOutput(ScriptRun& run, LineResult ended, bool frameLine)
{
    if (frameLine || ended != LineResult::RenderFrame || !run.onFrame) return std::nullopt;
    FrameRequest request = run.frame;
    request.render = true;
    request.save = false;
    const Outcome made = run.onFrame(request);
    if (made == Outcome::Failed) return RunEnd::Failed;
    if (made == Outcome::Cancelled) return RunEnd::Stopped;
    return std::nullopt;
}

std::optional<RunEnd> runLine(ScriptRun& run, const std::string& line);

// The frame lines a line stands for (PathRender: the camera path's flight), run
// in its place; the run's frame total grows by them.
std::optional<RunEnd> runInsertedFrames(ScriptRun& run, const std::string& line)
{
    const std::vector<std::string> lines = std::move(run.place.insertedLines);
    run.place.insertedLines.clear();
    if (!run.output) {
        ++run.place.failures;
        run.ui.report(placePrefix(run.place) + prepareLine(line) +
                      ": the flight's frames are made only by an animation run (kalvenor run SCRIPT --out BASE)");
        return std::nullopt;
    }
    run.frame.total += static_cast<int>(lines.size());
    run.app.scriptProgress.totalFrames = run.frame.total;
    for (const std::string& frameLine : lines)
        if (const std::optional<RunEnd> ended = runLine(run, frameLine)) return ended;
    return std::nullopt;
}

// Executes one line; nothing while the run goes on, otherwise how it ended.
std::optional<RunEnd> runLine(ScriptRun& run, const std::string& line)
{
    LineResult ended = LineResult::Done;
    const bool frameLine = isFrameLine(line);
    if (frameLine) {
        std::array<float, 6> values{};
        if (readFrameLine(line, values) < 6) {
            run.ui.report(placePrefix(run.place) + "a frame line needs six numbers separated by commas");
            return RunEnd::FormatError;
        }
        placeFrameCamera(run.app.scene.camera, values);
        ended = LineResult::RenderFrame;
    } else {
        ended = executeLine(run.app, run.ui, line, run.place);
        if (ended == LineResult::Stop) return RunEnd::Stopped;
        if (ended == LineResult::PathFrames) return runInsertedFrames(run, line);
    }
    if (ended == LineResult::Done) return std::nullopt;
    if (!run.output) return renderWithoutOutput(run, ended, frameLine);

    run.frame.render = ended == LineResult::RenderFrame;
    run.frame.save = run.app.scene.script.saveFrames != 0;
    run.frame.replay = run.frame.frame < run.range.first;
    const Outcome made = run.onFrame ? run.onFrame(run.frame) : Outcome::Done;
    if (made == Outcome::Failed) return RunEnd::Failed;
    if (made == Outcome::Cancelled) return RunEnd::Stopped;

    if (!run.frame.replay) ++run.frame.framesMade;
    ++run.frame.frame;
    run.frame.frameStartMillis = run.app.clock.millis();
    if (run.frame.frame == run.range.first) {
        // The replay is over: the timing of the frames to go starts here.
        run.frame.runStartMillis = run.frame.frameStartMillis;
        run.place.replaying = false;
    }
    run.app.scriptProgress.currentFrame = run.frame.frame;
    if (run.frame.frame > std::min(run.range.last, kLastScriptFrame)) return RunEnd::Completed;
    return std::nullopt;
}

} // namespace

int classicRunResult(RunEnd end)
{
    switch (end) {
    case RunEnd::Completed: return 1;
    case RunEnd::Failed: return 0;
    case RunEnd::Stopped: return -1;
    case RunEnd::FormatError: return -3;
    }
    return 0;
}

std::string scriptErrorSummary(int errors, int failures)
{
    const std::string errorText = std::to_string(errors) + (errors == 1 ? " script error" : " script errors");
    const std::string failureText = std::to_string(failures) + (failures == 1 ? " failed line" : " failed lines");
    if (failures == 0) return errorText;
    if (errors == 0) return failureText;
    return errorText + " and " + failureText;
}

ScriptOutcome runScript(App& app, Frontend& ui, const std::string& path, const std::optional<std::string>& outputBase,
                        int startFrame, const FrameCallback& onFrame)
{
    return runScript(app, ui, path, outputBase, FrameRange{startFrame, kLastScriptFrame, BeforeFirstFrame::Skip},
                     onFrame);
}

ScriptOutcome runScript(App& app, Frontend& ui, const std::string& path, const std::optional<std::string>& outputBase,
                        const FrameRange& range, const FrameCallback& onFrame)
{
    app.scene.script.saveFrames = 1;
    ScriptFile file(openRegularStream(resolveExisting(path)));
    if (!file) {
        ui.message(fileMessage(kErrorOpeningFile, path));
        ScriptOutcome outcome{RunEnd::Failed, 0};
        outcome.notRead = true;
        return outcome;
    }

    std::string line;
    if (!readLine(file.get(), line) || !isScriptHeaderLine(line)) {
        ui.message("\"" + path + "\" is not a script file: its first line must read \"" + kScriptHeader + "\"");
        ScriptOutcome outcome{RunEnd::FormatError, 0};
        outcome.notRead = true;
        return outcome;
    }

    ScriptRun run{app, ui, outputBase.has_value(), onFrame, {}, {}, range};
    run.range.first = std::max(range.first, 0);
    const bool replay = run.output && range.before == BeforeFirstFrame::Replay;
    if (!replay) run.range.first = 0; // the skipped frames are not counted again below
    run.place.file = path;
    run.frame.total = countFrames(file.get());

    // Back to the first command: lines 1 and 2 are skipped again.
    std::rewind(file.get());
    readLine(file.get(), line);
    readLine(file.get(), line);
    run.place.line = 2;

    // Continuing in the window: the lines before the first frame are passed over unexecuted.
    const int start = replay ? 0 : std::max(range.first, 0);
    for (int passed = 0; passed < start && readLine(file.get(), line);) {
        passed += framesEnded(line);
        ++run.place.line;
    }
    run.place.replaying = replay && run.range.first > 0;

    run.frame.frame = start;
    app.scriptProgress.totalFrames = run.frame.total;
    app.scriptProgress.currentFrame = start;
    run.frame.runStartMillis = run.frame.frameStartMillis = app.clock.millis();

    RunEnd end = RunEnd::Completed;
    bool tooLong = false;
    while (readLine(file.get(), line, tooLong)) {
        ++run.place.line;
        std::optional<RunEnd> ended;
        if (!tooLong) {
            ended = runLine(run, line);
        } else if (scriptError(ui, run.place, "a line longer than " + std::to_string(kLongestScriptLine) +
                                                  " characters is not run",
                               "Script error: " + line.substr(0, 60) + "...") == LineResult::Stop) {
            ended = RunEnd::Stopped;
        }
        if (ended) {
            end = *ended;
            break;
        }
    }
    return {end, run.place.errors, run.place.failures, run.place.stoppedAtError};
}

} // namespace kalvenor
