// The row encoding shared by both landscape formats and the cloud files:
// PackBits runs, with elevation rows delta-coded first.
//
// Every function works on caller-owned buffers and checks each length and run
// against the space left before it copies a byte.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kalvenor {

constexpr std::size_t kMaxRowSamples = 2050;
constexpr std::size_t kMaxRowBytes = kMaxRowSamples * 2;            // a decoded row of 16-bit cells
constexpr std::size_t kMaxDeltaBytes = 2 + (kMaxRowSamples - 1) * 3; // every difference escaped

// The largest PackBits output for n input bytes: one control byte per 127 literals.
constexpr std::size_t packBitsBound(std::size_t n) { return n + (n + 126) / 127; }

// Largest stored row: a delta-coded elevation row packed, plus its 2-byte length.
constexpr std::size_t kMaxPackedRowBytes = packBitsBound(kMaxDeltaBytes) + 2;

// Packs n bytes into out, which holds at least packBitsBound(n) bytes. Returns the packed length.
std::size_t packBitsEncode(const std::uint8_t* in, std::size_t n, std::uint8_t* out);

enum class CodecStatus { Ok, Overflow, Truncated };

// Unpacks n bytes into out (capacity bytes). Overflow: a run would pass the end
// of out. Truncated: a run needs more input than there is.
CodecStatus packBitsDecode(const std::uint8_t* in, std::size_t n, std::uint8_t* out, std::size_t capacity,
                           std::size_t& produced);

// Delta-codes count samples into out (at least 2 + 3 * (count - 1) bytes). Returns the coded length.
std::size_t deltaEncodeRow(const std::int16_t* samples, std::size_t count, std::uint8_t* out);

// Decodes a delta-coded row of n bytes into at most capacity samples.
CodecStatus deltaDecodeRow(const std::uint8_t* in, std::size_t n, std::int16_t* out, std::size_t capacity,
                           std::size_t& count);

} // namespace kalvenor
