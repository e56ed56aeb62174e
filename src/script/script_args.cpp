#include "script/script_args.h"

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace kalvenor {

namespace {

// White space as the C conversions skip it, independent of the locale.
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

void skipSpace(std::string_view text, std::size_t& pos)
{
    while (pos < text.size() && isSpace(text[pos])) ++pos;
}

// "%s": the next word, white space skipped before it.
std::string_view readWord(std::string_view text, std::size_t& pos)
{
    skipSpace(text, pos);
    const std::size_t start = pos;
    while (pos < text.size() && !isSpace(text[pos])) ++pos;
    return text.substr(start, pos - start);
}

// "nan" and "inf" would convert, but a setting has no use for them.
bool startsNotANumber(std::string_view text, std::size_t pos)
{
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
    if (pos >= text.size()) return false;
    const char c = text[pos];
    return c == 'n' || c == 'N' || c == 'i' || c == 'I';
}

// "%d": an optional sign and decimal digits; a value beyond int32 saturates.
bool readInteger(std::string_view text, std::size_t& pos, std::int32_t& value)
{
    std::size_t p = pos;
    skipSpace(text, p);
    bool negative = false;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) negative = text[p++] == '-';
    if (p >= text.size() || !isDigit(text[p])) return false;
    constexpr std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    for (; p < text.size() && isDigit(text[p]); ++p) magnitude = std::min(limit, magnitude * 10 + (text[p] - '0'));
    const std::int64_t signedValue = negative ? -magnitude : std::min(magnitude, limit - 1);
    value = static_cast<std::int32_t>(signedValue);
    pos = p;
    return true;
}

// Up to n numbers, stopping at the first that does not convert.
void readNumbers(std::string_view text, std::size_t& pos, int n, ScriptArgs& args)
{
    for (int i = 0; i < n; ++i) {
        if (!readNumber(text, pos, args.number[static_cast<std::size_t>(i)], args.single[static_cast<std::size_t>(i)]))
            return;
        args.count = i + 1;
    }
}

} // namespace

std::string prepareLine(std::string_view raw)
{
    const std::size_t end = raw.find_first_of(std::string_view("\r\n\0", 3));
    std::string line(raw.substr(0, end));
    for (char& c : line)
        if (c == '\t') c = ' ';
    return line;
}

bool isBlankLine(std::string_view line)
{
    for (const char c : line)
        if (static_cast<unsigned char>(c) > 32) return false;
    return true;
}

std::string_view firstWord(std::string_view line)
{
    std::size_t pos = 0;
    return readWord(line, pos);
}

bool readNumber(std::string_view text, std::size_t& pos, double& value, float& single)
{
    std::size_t p = pos;
    skipSpace(text, p);
    if (p >= text.size() || startsNotANumber(text, p)) return false;

    // strtod needs a terminated string; a line is at most a few hundred bytes.
    const std::string tail(text.substr(p));
    char* end = nullptr;
    const double parsed = std::strtod(tail.c_str(), &end);
    if (end == tail.c_str() || !std::isfinite(parsed)) return false;

    // A float setting gets the text rounded once to float, not twice through double.
    float asFloat = std::strtof(tail.c_str(), nullptr);
    if (std::isinf(asFloat)) asFloat = std::copysign(FLT_MAX, asFloat);

    value = parsed;
    single = asFloat;
    pos = p + static_cast<std::size_t>(end - tail.c_str());
    return true;
}

ScriptArgs parseArgs(std::string_view line, ArgPattern pattern)
{
    ScriptArgs args;
    std::size_t pos = 0;
    args.keyword = std::string(readWord(line, pos));
    switch (pattern) {
    case ArgPattern::None: break;
    case ArgPattern::Number: readNumbers(line, pos, 1, args); break;
    case ArgPattern::TwoNumbers: readNumbers(line, pos, 2, args); break;
    case ArgPattern::ThreeNumbers: readNumbers(line, pos, 3, args); break;
    case ArgPattern::FourNumbers: readNumbers(line, pos, 4, args); break;
    case ArgPattern::Integer:
        if (readInteger(line, pos, args.integer)) args.count = 1;
        break;
    case ArgPattern::Word: args.word = std::string(readWord(line, pos)); break;
    case ArgPattern::WordTwoNumbers:
        args.word = std::string(readWord(line, pos));
        if (!args.word.empty()) readNumbers(line, pos, 2, args);
        break;
    case ArgPattern::WordFourNumbers:
        args.word = std::string(readWord(line, pos));
        if (!args.word.empty()) readNumbers(line, pos, 4, args);
        break;
    case ArgPattern::RestOfLine:
        while (pos < line.size() && line[pos] == ' ') ++pos;
        args.rest = std::string(line.substr(pos));
        break;
    }
    return args;
}

std::int32_t toInt32(double value)
{
    if (std::isnan(value)) return 0;
    const double t = std::trunc(value);
    if (t <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
    if (t >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(t);
}

std::uint32_t toSeed(double value)
{
    // Signed and unsigned spellings of the same 32 bits give the same seed.
    if (std::isnan(value)) return 0;
    const double t = std::trunc(value);
    if (t <= -2147483648.0) return 0x80000000u;
    if (t >= 4294967295.0) return 0xFFFFFFFFu;
    return static_cast<std::uint32_t>(static_cast<std::int64_t>(t));
}

std::uint8_t toByte(double value)
{
    return static_cast<std::uint8_t>(static_cast<std::uint32_t>(toInt32(value)) & 0xFFu);
}

} // namespace kalvenor
