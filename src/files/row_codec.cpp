#include "files/row_codec.h"

#include <algorithm>
#include <cstring>

namespace kalvenor {

namespace {

constexpr std::size_t kMaxRun = 127;
constexpr std::uint8_t kDeltaEscape = 0x80;

// The first offset from in where three equal bytes begin, looking only at
// offsets before the last three bytes; n when there is none.
std::size_t findTriple(const std::uint8_t* in, std::size_t n)
{
    for (std::size_t i = 0; i + 3 < n; ++i)
        if (in[i] == in[i + 1] && in[i] == in[i + 2]) return i;
    return n;
}

} // namespace

std::size_t packBitsEncode(const std::uint8_t* in, std::size_t n, std::uint8_t* out)
{
    std::size_t pos = 0;
    std::size_t written = 0;
    while (pos < n) {
        // Literals up to the next triple, in runs of at most 127 bytes.
        std::size_t literal = findTriple(in + pos, n - pos);
        while (literal > 0) {
            const std::size_t count = std::min(literal, kMaxRun);
            out[written++] = static_cast<std::uint8_t>(count - 1);
            std::memcpy(out + written, in + pos, count);
            written += count;
            pos += count;
            literal -= count;
        }
        if (pos >= n) break;

        // The repeat run from here, in pieces of at most 127 bytes.
        std::size_t run = 1;
        while (pos + run < n && in[pos + run] == in[pos]) ++run;
        while (run > 0) {
            const std::size_t count = std::min(run, kMaxRun);
            out[written++] = static_cast<std::uint8_t>(1 - static_cast<int>(count));
            out[written++] = in[pos];
            pos += count;
            run -= count;
        }
    }
    return written;
}

CodecStatus packBitsDecode(const std::uint8_t* in, std::size_t n, std::uint8_t* out, std::size_t capacity,
                           std::size_t& produced)
{
    std::size_t pos = 0;
    produced = 0;
    while (pos < n) {
        const int control = static_cast<std::int8_t>(in[pos++]);
        if (control >= 0) {
            const std::size_t count = static_cast<std::size_t>(control) + 1;
            if (count > n - pos) return CodecStatus::Truncated;
            if (count > capacity - produced) return CodecStatus::Overflow;
            std::memcpy(out + produced, in + pos, count);
            pos += count;
            produced += count;
        } else {
            // -128 is never written but repeats 129 times when read.
            const std::size_t count = static_cast<std::size_t>(1 - control);
            if (pos >= n) return CodecStatus::Truncated;
            if (count > capacity - produced) return CodecStatus::Overflow;
            std::memset(out + produced, in[pos++], count);
            produced += count;
        }
    }
    return CodecStatus::Ok;
}

std::size_t deltaEncodeRow(const std::int16_t* samples, std::size_t count, std::uint8_t* out)
{
    if (count == 0) return 0;
    std::size_t written = 0;
    auto putSample = [&](std::int16_t s) {
        const auto u = static_cast<std::uint16_t>(s);
        out[written++] = static_cast<std::uint8_t>(u >> 8);
        out[written++] = static_cast<std::uint8_t>(u & 0xFF);
    };
    putSample(samples[0]);
    for (std::size_t i = 1; i < count; ++i) {
        const int d = samples[i] - samples[i - 1];
        if (d >= -127 && d <= 127) {
            out[written++] = static_cast<std::uint8_t>(static_cast<std::int8_t>(d));
        } else {
            out[written++] = kDeltaEscape;
            putSample(samples[i]);
        }
    }
    return written;
}

CodecStatus deltaDecodeRow(const std::uint8_t* in, std::size_t n, std::int16_t* out, std::size_t capacity,
                           std::size_t& count)
{
    count = 0;
    std::size_t pos = 0;
    auto getSample = [&](std::int16_t& s) {
        if (n - pos < 2) return false;
        s = static_cast<std::int16_t>(static_cast<std::uint16_t>((in[pos] << 8) | in[pos + 1]));
        pos += 2;
        return true;
    };
    if (n == 0) return CodecStatus::Ok;
    std::int16_t previous = 0;
    if (!getSample(previous)) return CodecStatus::Truncated;
    if (capacity == 0) return CodecStatus::Overflow;
    out[count++] = previous;
    while (pos < n) {
        std::int16_t sample = 0;
        if (in[pos] == kDeltaEscape) {
            ++pos;
            if (!getSample(sample)) return CodecStatus::Truncated;
        } else {
            // Sums wrap to 16 bits like the samples they rebuild.
            sample = static_cast<std::int16_t>(previous + static_cast<std::int8_t>(in[pos++]));
        }
        if (count >= capacity) return CodecStatus::Overflow;
        out[count++] = sample;
        previous = sample;
    }
    return CodecStatus::Ok;
}

} // namespace kalvenor
