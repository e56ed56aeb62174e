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
#include <string_view>

#include "script/script_args.h"

namespace kalvenor {

struct App;
struct Landscape;
class Frontend;

// What a handler gets: the state to change, the user, the arguments read with
// the keyword's pattern, the prepared line (for messages) and the entry's parameter.
struct ScriptContext {
    App& app;
    Frontend& ui;
    const ScriptArgs& args;
    std::string_view line;
    int param = 0;
    // Cleared by a handler that changed nothing, so the table's marks are not applied.
    bool applyMarks = true;
};

// Returns 1 when done, -1 when the script must stop, or a frame-ending result.
using ScriptHandler = int (*)(ScriptContext&);

// Derived data that a keyword invalidates.
enum ScriptMark : std::uint8_t {
    kMarkS = 1,  // terrain shading: landscape.shadowValidAt = sizeX
    kMarkC = 2,  // terrain colours: terrainValidAt and cliffValidAt = sizeX
    kMarkP = 4,  // 8-bit palette: paletteStale = 1
    kMarkL = 8,  // landscape changed since loaded or saved
    kMarkM = 16, // topographic map to be redrawn
};

struct Keyword {
    std::string_view name;
    int code = 0;
    ArgPattern pattern = ArgPattern::None;
    ScriptHandler handler = nullptr;
    int param = 0;
    std::uint8_t marks = 0;
    bool extension = false; // one of our keywords beyond the classic table
};

constexpr std::uint8_t kMarkAll = kMarkS | kMarkC | kMarkP | kMarkL | kMarkM;

// Applies the marks to the landscape's validity flags.
void applyScriptMarks(Landscape& land, std::uint8_t marks);

// The classic table holds this many names; the extensions follow them.
constexpr int kClassicKeywordCount = 310;
constexpr int kFirstKeywordCode = 1000;

// The whole table in table order.
std::span<const Keyword> keywordTable();

// The first entry whose name equals word ignoring case; ";" matches any word
// that begins with ";". Nothing when no entry matches.
const Keyword* findKeyword(std::string_view word);

} // namespace kalvenor
