#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "files/row_codec.h"

namespace kalvenor {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes pack(const Bytes& in)
{
    Bytes out(packBitsBound(in.size()));
    out.resize(packBitsEncode(in.data(), in.size(), out.data()));
    return out;
}

Bytes repeat(std::size_t n, std::uint8_t b) { return Bytes(n, b); }

Bytes concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

TEST(PackBits, EncoderFollowsTheTripleRule)
{
    Bytes literal130;
    for (int i = 0; i < 130; ++i) literal130.push_back(static_cast<std::uint8_t>(i));
    Bytes expected130 = {126};
    expected130.insert(expected130.end(), literal130.begin(), literal130.begin() + 127);
    expected130.insert(expected130.end(), {2, 127, 128, 129});

    const struct {
        const char* name;
        Bytes in;
        Bytes out;
    } cases[] = {
        // 127 + 127 + 46: control bytes 1 - 127 = -126 (0x82) and 1 - 46 = -45 (0xD3).
        {"300 equal bytes", repeat(300, 7), {0x82, 7, 0x82, 7, 0xD3, 7}},
        {"three bytes, no triple searched", {'A', 'B', 'C'}, {2, 'A', 'B', 'C'}},
        {"a triple at the very end is not found", {'A', 'A', 'A'}, {2, 'A', 'A', 'A'}},
        {"four equal bytes start with a repeat run", {'A', 'A', 'A', 'A'}, {0xFD, 'A'}},
        {"literal then run", {'A', 'B', 'B', 'B', 'B'}, {0, 'A', 0xFD, 'B'}},
        // 128 equal bytes: a piece of 127, then a piece of 1 with control byte 0.
        {"run of 128", repeat(128, 9), {0x82, 9, 0, 9}},
        {"literals split at 127", literal130, expected130},
        {"empty row", {}, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(pack(c.in), c.out) << c.name;
}

TEST(PackBits, DecodesWhatItEncodes)
{
    const Bytes rows[] = {
        repeat(300, 1),
        concat({{1, 2, 3}, repeat(5, 4), {5, 6}, repeat(200, 0), {9}}),
        concat({repeat(2, 8), {1}, repeat(3, 8)}),
    };
    for (const Bytes& row : rows) {
        const Bytes packed = pack(row);
        Bytes out(row.size());
        std::size_t produced = 0;
        ASSERT_EQ(packBitsDecode(packed.data(), packed.size(), out.data(), out.size(), produced), CodecStatus::Ok);
        EXPECT_EQ(produced, row.size());
        EXPECT_EQ(out, row);
    }
}

TEST(PackBits, DecoderChecksEveryRun)
{
    const struct {
        const char* name;
        Bytes in;
        std::size_t capacity;
        CodecStatus status;
        std::size_t produced;
    } cases[] = {
        {"-128 repeats 129 times", {0x80, 0x41}, 129, CodecStatus::Ok, 129},
        {"-128 past the end of the row", {0x80, 0x41}, 128, CodecStatus::Overflow, 0},
        {"literal longer than the input", {5, 1, 2}, 100, CodecStatus::Truncated, 0},
        {"repeat without its byte", {0xFE}, 100, CodecStatus::Truncated, 0},
        {"literal past the end of the row", {0, 1, 3, 1, 2, 3, 4}, 3, CodecStatus::Overflow, 1},
    };
    for (const auto& c : cases) {
        Bytes out(c.capacity + 1, 0xEE);
        std::size_t produced = 99;
        EXPECT_EQ(packBitsDecode(c.in.data(), c.in.size(), out.data(), c.capacity, produced), c.status) << c.name;
        EXPECT_EQ(produced, c.produced) << c.name;
        EXPECT_EQ(out[c.capacity], 0xEE) << c.name << ": wrote past the end";
    }
}

TEST(DeltaRow, EscapesDifferencesOutsideOneSignedByte)
{
    // 127 fits one byte; -128 is always escaped; 1 fits.
    const std::int16_t samples[] = {100, 227, 99, 100, -32768, 32767};
    Bytes out(2 + 3 * 5);
    out.resize(deltaEncodeRow(samples, 6, out.data()));
    const Bytes expected = {0x00, 0x64, 0x7F, 0x80, 0x00, 0x63, 0x01, 0x80, 0x80, 0x00, 0x80, 0x7F, 0xFF};
    EXPECT_EQ(out, expected);

    std::int16_t back[6] = {};
    std::size_t count = 0;
    ASSERT_EQ(deltaDecodeRow(out.data(), out.size(), back, 6, count), CodecStatus::Ok);
    ASSERT_EQ(count, 6u);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(back[i], samples[i]);
}

TEST(DeltaRow, DecoderRejectsShortAndOverlongRows)
{
    std::int16_t out[3] = {};
    std::size_t count = 0;
    const Bytes oneByte = {0x01};
    EXPECT_EQ(deltaDecodeRow(oneByte.data(), oneByte.size(), out, 3, count), CodecStatus::Truncated);
    const Bytes cutEscape = {0x00, 0x01, 0x80, 0x12};
    EXPECT_EQ(deltaDecodeRow(cutEscape.data(), cutEscape.size(), out, 3, count), CodecStatus::Truncated);
    const Bytes fourSamples = {0x00, 0x01, 1, 1, 1};
    EXPECT_EQ(deltaDecodeRow(fourSamples.data(), fourSamples.size(), out, 3, count), CodecStatus::Overflow);
    EXPECT_EQ(count, 3u);
}

TEST(RowBuffers, WorstCaseRowFitsTheFixedBuffers)
{
    // Alternating extremes escape every difference; the packed form must fit the fixed row buffer.
    std::vector<std::int16_t> row(kMaxRowSamples);
    for (std::size_t i = 0; i < row.size(); ++i) row[i] = (i % 2) ? 32767 : -32768;
    Bytes delta(kMaxDeltaBytes);
    const std::size_t coded = deltaEncodeRow(row.data(), row.size(), delta.data());
    EXPECT_EQ(coded, kMaxDeltaBytes);
    Bytes packed(packBitsBound(coded));
    EXPECT_LE(packBitsEncode(delta.data(), coded, packed.data()) + 2, kMaxPackedRowBytes);
}

} // namespace
} // namespace kalvenor
