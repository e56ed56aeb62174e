// The script keyword table: every keyword with its code, its argument pattern,
// the handler that applies it, the handler's parameter and the derived data it
// invalidates.
//
// The codes are internal to the interpreter. They start at 1000 and follow the
// table order; aliases share the code of their first spelling. Nothing outside
// the script subsystem stores them.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "script/script_args.h"

namespace kalvenor {

struct App;
struct Landscape;
struct SceneSettings;
class Frontend;

// What executing one line came to. RenderFrame and RewriteFrame end a frame:
// the frame is rendered (and saved) now, or the current image is saved again.
// PathFrames: the line stands for the frame lines in ScriptPlace::insertedLines
// (the camera path's flight), which the runner runs in its place.
enum class LineResult { Done, Stop, RenderFrame, RewriteFrame, PathFrames };

// Where the line being run comes from, and the script errors its run met so far.
struct ScriptPlace {
    std::string file; // the script as the user named it; empty for a line from elsewhere
    int line = 0;     // counted from 1
    int errors = 0;   // lines that could not be run as written
    int failures = 0; // lines whose work failed (a load, save, export or setting refused)
    bool stoppedAtError = false; // a script error was answered Cancel
    bool replaying = false; // lines that write files or start programs are passed over (see writesOutside)
    int spawnAnswer = 0; // asked at the script's first Spawn: 1 it may start programs, -1 it may not
    std::vector<std::string> insertedLines; // the frame lines of a PathFrames result
};

// "FILE:LINE: " (or "line LINE: " without a file; nothing without a line).
std::string placePrefix(const ScriptPlace& place);

// What a handler gets: the state to change, the user, the arguments read with
// the keyword's pattern, the prepared line (for messages), the entry's
// parameter and where the line comes from.
struct ScriptContext {
    App& app;
    Frontend& ui;
    const ScriptArgs& args;
    std::string_view line;
    int param = 0;
    ScriptPlace& place;
    // Cleared by a handler that changed nothing, so the table's marks are not applied.
    bool applyMarks = true;
};

// Returns Done, Stop when the script must stop, or a frame-ending result.
using ScriptHandler = LineResult (*)(ScriptContext&);

// A script error: counted in the run, reported with its place and reason
// ("demo.scr:27: unknown keyword \"Tree4PineAll\""), then question is asked with
// Continue (Done) and Cancel (Stop).
LineResult scriptError(ScriptContext& ctx, const std::string& reason, const std::string& question);
LineResult scriptError(Frontend& ui, ScriptPlace& place, const std::string& reason, const std::string& question);

// A line whose work failed (the classic message, if any, has been shown): it
// is counted in the run and reported with its place, the line and why
// ("demo.scr:9: SaveSession out/a.k4s: Permission denied"). The run goes on.
void scriptFailure(ScriptContext& ctx, const std::string& reason);

// True when value lies in least .. most; otherwise a failed line that says
// "takes a whole number from least to most" followed by note.
bool argumentInRange(ScriptContext& ctx, std::int32_t value, std::int32_t least, std::int32_t most,
                     const std::string& note = {});

// The reason a load or a save of path failed: what the system says stands in
// the way, else fallback.
std::string loadFailureReason(const std::string& path, const std::string& fallback);
std::string saveFailureReason(const std::string& path, const std::string& fallback);

// Derived data that a keyword invalidates.
enum ScriptMark : std::uint8_t {
    kMarkS = 1,  // terrain shading: landscape.shadowValidAt = sizeX
    kMarkC = 2,  // terrain colours: terrainValidAt and cliffValidAt = sizeX
    kMarkP = 4,  // 8-bit palette: paletteStale = 1
    kMarkL = 8,  // landscape changed since loaded or saved
    kMarkM = 16, // topographic map to be redrawn
};

// A setting that a keyword stores as it is, with no handler: the field, and
// where the value comes from (the entry's parameter, or the keyword's first
// number converted to a 32-bit integer).
using SettingField = std::int32_t& (*)(SceneSettings&);
enum class SettingSource : std::uint8_t { Param, Argument };

struct Keyword {
    std::string_view name;
    int code = 0;
    ArgPattern pattern = ArgPattern::None;
    ScriptHandler handler = nullptr; // null for a setting row
    int param = 0;
    std::uint8_t marks = 0;
    bool extension = false; // one of our keywords beyond the classic table
    SettingField field = nullptr;
    SettingSource source = SettingSource::Param;
    // The range an argument must lie in; a value outside it is a failed line and changes nothing.
    std::int32_t least = INT32_MIN;
    std::int32_t most = INT32_MAX;
};

constexpr std::uint8_t kMarkAll = kMarkS | kMarkC | kMarkP | kMarkL | kMarkM;

// Applies the marks to the landscape's validity flags.
void applyScriptMarks(Landscape& land, std::uint8_t marks);

// The classic table holds this many names; the extensions follow them.
constexpr int kClassicKeywordCount = 310;
constexpr int kFirstKeywordCode = 1000;

// The whole table in table order.
std::span<const Keyword> keywordTable();

// True for a keyword whose work reaches beyond the program's memory: it
// writes, appends to or exports a file, or starts a program. A batch run that
// continues an animation replays the lines before its first new frame without
// these, so that nothing made earlier is written over.
bool writesOutside(const Keyword& entry);

// The first entry whose name equals word ignoring case; ";" matches any word
// that begins with ";". Nothing when no entry matches.
const Keyword* findKeyword(std::string_view word);

} // namespace kalvenor
