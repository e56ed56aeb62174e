// Reading a script line: the prepared text, its first word, and the arguments
// a keyword's pattern asks for.
//
// Numbers are read the way a C "%f" conversion reads them (blanks skipped, the
// longest number prefix taken, reading stops at the first one that does not
// convert, missing numbers are 0), but at full double precision: a setting that
// is a float reads the same text again as a float, an integer setting truncates
// toward zero and saturates, and the fractal seed takes the whole signed and
// unsigned 32-bit range. "nan" and "inf" (and values beyond double range) are
// not numbers.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kalvenor {

// The shape of a keyword's arguments after the keyword itself.
enum class ArgPattern : std::uint8_t {
    None,           // nothing is read
    Number,         // "%s %f"
    TwoNumbers,     // "%s %f %f"
    ThreeNumbers,   // "%s %f %f %f"
    FourNumbers,    // "%s %f %f %f %f" (extension keywords)
    Integer,        // "%s %d"
    Word,           // "%s %s": a name without blanks
    WordTwoNumbers, // "%s %s %f %f"
    WordFourNumbers, // "%s %s %f %f %f %f" (extension keywords with more settings)
    RestOfLine,     // everything after the keyword and the blanks that follow it
};

struct ScriptArgs {
    std::string keyword;
    std::string word;                 // empty when absent
    std::string rest;                 // RestOfLine only
    std::array<double, 4> number = {}; // 0 where missing
    std::array<float, 4> single = {};  // the same numbers read as floats
    int count = 0;                    // numbers actually read
    std::int32_t integer = 0;         // "%d", 0 when missing
};

// Cuts the line at its first CR, LF (or NUL) and turns tabs into blanks.
std::string prepareLine(std::string_view raw);

// A line holding only characters with codes up to 32.
bool isBlankLine(std::string_view line);

// The first word of a prepared line: leading white space skipped, up to the next one.
std::string_view firstWord(std::string_view line);

// Reads the arguments of a prepared line; the keyword is read again first.
ScriptArgs parseArgs(std::string_view line, ArgPattern pattern);

// One "%f" conversion at text[pos]: white space skipped, the longest number
// prefix taken. On success pos moves past the number.
bool readNumber(std::string_view text, std::size_t& pos, double& value, float& single);

// Conversions of a number read at full precision to a setting's type.
std::int32_t toInt32(double value); // truncates toward zero, saturates at the int32 range
std::uint32_t toSeed(double value); // -1 and 4294967295 both give 0xFFFFFFFF
std::uint8_t toByte(double value);  // truncated, then its low eight bits

} // namespace kalvenor
