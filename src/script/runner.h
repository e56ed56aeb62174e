// Running a script file: the start-up script, the quality presets, user
// scripts, and animations made from scripts.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "base/outcome.h"
#include "files/script_file.h"

namespace kalvenor {

struct App;
class Frontend;

// One frame of an animation, handed to the frame callback by the runner.
struct FrameRequest {
    bool render = true;      // false for RewriteImage: the current image is saved again
    int frame = 0;           // frame number, counted from 0
    int total = 0;           // frames in the whole script
    bool save = true;        // the save-frames setting
    bool replay = false;     // a frame before the run's first: its lines ran, it is neither drawn nor saved
    int framesMade = 0;      // frames completed earlier in this run (replayed ones not counted)
    std::uint32_t runStartMillis = 0;   // tick count when the run started
    std::uint32_t frameStartMillis = 0; // tick count at the end of the previous frame (or the run start)
};

// Renders and saves one frame: Done, Failed when the frame could not be saved,
// Cancelled when the render failed or was aborted.
using FrameCallback = std::function<Outcome(const FrameRequest&)>;

// Lines are read whole up to this many characters; a longer one is a script error.
constexpr std::size_t kLongestScriptLine = 65536;

// The last frame number a run makes.
constexpr int kLastScriptFrame = 99999;


// What a run with an output does with the frames before its first one.
enum class BeforeFirstFrame {
    Skip,   // their lines are passed over unexecuted: the window, whose landscape and settings are still in memory
    Replay, // their lines run (but those that write files or start programs) and each frame is handed to the
            // frame callback as a replay: a batch run, which starts from nothing
};

// The frames a run with an output makes: first to last, counted from 0.
struct FrameRange {
    int first = 0;
    int last = kLastScriptFrame;
    BeforeFirstFrame before = BeforeFirstFrame::Skip;
};

// How a run ended.
enum class RunEnd {
    Completed,   // at the end of the file, or after the last frame number
    Failed,      // the file could not be opened, or a frame was not saved
    Stopped,     // the user stopped it, or a render failed or was aborted
    FormatError, // the file is not a script, or a frame line lacks numbers
};

struct ScriptOutcome {
    RunEnd end = RunEnd::Completed;
    int errors = 0;   // script errors met on the way, each reported with its file and line
    int failures = 0; // lines whose load, save, export or setting failed, each reported the same way
    bool stoppedAtError = false; // Stopped because a script error was answered Cancel
    bool notRead = false;        // the file could not be opened or is not a script (its message is shown)
};

// The classic result of a run: 1 completed, 0 failed, -1 stopped, -3 format error.
int classicRunResult(RunEnd end);

// Runs the script at path (either separator; a name missing as written is
// looked up ignoring case). Without an output base, frame lines only set the
// camera and RewriteImage does nothing; Render calls onFrame, when there is
// one, with save false (a batch run renders there so that later save keywords
// write the picture). With an output base, every frame line, Render and
// RewriteImage calls onFrame. The frames before range.first are skipped or
// replayed as range.before says; the run completes after frame range.last.
// Publishes the total and the current
// frame in app.scriptProgress. Script errors are reported as "PATH:LINE: reason"
// with path as given.
ScriptOutcome runScript(App& app, Frontend& ui, const std::string& path, const std::optional<std::string>& outputBase,
                        const FrameRange& range, const FrameCallback& onFrame);

// The same from frame startFrame on, the lines before it skipped.
ScriptOutcome runScript(App& app, Frontend& ui, const std::string& path, const std::optional<std::string>& outputBase,
                        int startFrame, const FrameCallback& onFrame);

// "1 script error", "2 script errors", "1 failed line", "2 script errors and 1 failed line".
std::string scriptErrorSummary(int errors, int failures = 0);

} // namespace kalvenor
