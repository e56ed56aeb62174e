#include "files/resume_record.h"

#include <cinttypes>
#include <cstdio>
#include <string_view>

#include "base/atomic_file.h"
#include "codecs/image_io.h"

namespace kalvenor {

namespace {

constexpr std::string_view kHeading = "Kalvenor resume record 1\n";
constexpr std::size_t kLongestRecord = 2400;

// Reads the text of a record line by line.
struct RecordText {
    std::string_view text;
    std::size_t pos = 0;

    // "word" and a blank at pos; pos moves past them.
    bool word(std::string_view name)
    {
        if (text.substr(pos, name.size()) != name || pos + name.size() >= text.size() || text[pos + name.size()] != ' ')
            return false;
        pos += name.size() + 1;
        return true;
    }

    // A decimal number, "-" allowed when least is below 0, within least..most.
    bool number(std::int64_t least, std::int64_t most, std::int64_t& value)
    {
        const bool negative = pos < text.size() && text[pos] == '-' && least < 0;
        if (negative) ++pos;
        const std::size_t start = pos;
        std::int64_t magnitude = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && pos - start < 10)
            magnitude = magnitude * 10 + (text[pos++] - '0');
        value = negative ? -magnitude : magnitude;
        return pos > start && value >= least && value <= most;
    }

    // The palette's bytes as hex digits, two to a byte.
    bool palette(DisplayPalette& out)
    {
        for (std::uint8_t& byte : out.entries) {
            int value = 0;
            for (int digit = 0; digit < 2; ++digit) {
                if (pos >= text.size()) return false;
                const char c = text[pos++];
                const int v = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
                if (v < 0) return false;
                value = value * 16 + v;
            }
            byte = static_cast<std::uint8_t>(value);
        }
        return true;
    }

    bool blank() { return pos < text.size() && text[pos++] == ' '; }
    bool lineEnd() { return pos < text.size() && text[pos++] == '\n'; }
};

} // namespace

bool writeResumeRecord(const std::string& path, const ResumeRecord& record)
{
    AtomicFile file;
    if (!file.open(path, FileMode::Binary)) return false;
    file.write(kHeading);
    file.print("frame %d\ndither %" PRIu32 "\n", record.frame, record.dither);
    if (record.table) file.print("table %" PRIu32 " %" PRId32 "\n", record.tableSeed, record.tableAmount);
    else file.write("table none\n");
    file.write("palette ");
    for (const std::uint8_t byte : record.palette.entries) file.print("%02x", byte);
    file.write("\n");
    return file.commit();
}

std::optional<ResumeRecord> readResumeRecord(const std::string& path)
{
    const MappedFile file(path);
    if (!file.ok() || file.bytes().size() > kLongestRecord) return std::nullopt;
    RecordText in{std::string_view(reinterpret_cast<const char*>(file.bytes().data()), file.bytes().size())};
    if (in.text.substr(0, kHeading.size()) != kHeading) return std::nullopt;
    in.pos = kHeading.size();
    std::int64_t frame = 0, dither = 0, tableSeed = 0, amount = 0;
    if (!in.word("frame") || !in.number(0, 100000, frame) || !in.lineEnd()) return std::nullopt;
    if (!in.word("dither") || !in.number(0, UINT32_MAX, dither) || !in.lineEnd()) return std::nullopt;
    ResumeRecord record;
    record.frame = static_cast<int>(frame);
    record.dither = static_cast<std::uint32_t>(dither);
    if (!in.word("table")) return std::nullopt;
    if (in.text.substr(in.pos, 5) == "none\n") {
        in.pos += 5;
    } else {
        if (!in.number(0, UINT32_MAX, tableSeed) || !in.blank() || !in.number(INT32_MIN, INT32_MAX, amount) ||
            !in.lineEnd())
            return std::nullopt;
        record.table = true;
        record.tableSeed = static_cast<std::uint32_t>(tableSeed);
        record.tableAmount = static_cast<std::int32_t>(amount);
    }
    if (!in.word("palette") || !in.palette(record.palette) || !in.lineEnd() || in.pos != in.text.size())
        return std::nullopt;
    return record;
}

} // namespace kalvenor
