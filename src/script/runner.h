// Running a script file: the start-up script, the quality presets, user
// scripts, and animations made from scripts.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

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
    int framesMade = 0;      // frames completed earlier in this run
    std::uint32_t runStartMillis = 0;   // tick count when the run started
    std::uint32_t frameStartMillis = 0; // tick count at the end of the previous frame (or the run start)
};

// Renders and saves one frame: 1 done, 0 the frame could not be saved, -1 the
// render failed or was aborted.
using FrameCallback = std::function<int(const FrameRequest&)>;

// The last frame number a run makes.
constexpr int kLastScriptFrame = 99999;


// Runs the script at path (either separator; a name missing as written is
// looked up ignoring case). Without an output base, frame lines and Render only
// set the camera and the callback is never called. With one, every frame line,
// Render and RewriteImage calls onFrame. startFrame > 0 skips, without executing
// them, the lines before that many frames. Publishes the total and the current
// frame in app.scriptProgress.
// Returns 1 at the end of the file (or after the last frame number), 0 when the
// file cannot be opened or a frame was not saved, -1 when stopped or a render
// failed, -3 when the file is not a script or a frame line lacks numbers.
int runScript(App& app, Frontend& ui, const std::string& path, const std::optional<std::string>& outputBase,
              int startFrame, const FrameCallback& onFrame);

} // namespace kalvenor
