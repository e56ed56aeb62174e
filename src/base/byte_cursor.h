// A bounds-checked read position in a file held in memory. Reading past the
// end yields 0 and sets the sticky failed flag, so a reader may take a whole
// header and check the flag once afterwards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "base/byte_order.h"

namespace kalvenor {

struct ByteCursor {
    std::span<const std::uint8_t> data;
    std::size_t pos = 0;
    bool failed = false;

    explicit ByteCursor(std::span<const std::uint8_t> bytes) : data(bytes) {}

    std::size_t remaining() const { return data.size() - pos; }
    bool atEnd() const { return pos >= data.size(); }

    std::uint8_t get8()
    {
        if (pos >= data.size()) {
            failed = true;
            return 0;
        }
        return data[pos++];
    }

    std::uint16_t get16be()
    {
        const auto b = take(2);
        return b.empty() ? 0 : kalvenor::get16be(b.data());
    }

    std::uint16_t get16le()
    {
        const auto b = take(2);
        return b.empty() ? 0 : kalvenor::get16le(b.data());
    }

    std::uint32_t get32le()
    {
        const auto b = take(4);
        return b.empty() ? 0 : kalvenor::get32le(b.data());
    }

    // The next n bytes, or an empty span with a null data pointer (and failed
    // set, position at the end) when fewer remain or the cursor failed before.
    std::span<const std::uint8_t> take(std::size_t n)
    {
        if (failed || n > remaining()) {
            failed = true;
            pos = data.size();
            return {};
        }
        const auto out = data.subspan(pos, n);
        pos += n;
        return out;
    }

    void skip(std::size_t n) { (void)take(n); }

    // Moves to an absolute offset; an offset past the end fails. False once failed.
    bool seek(std::size_t offset)
    {
        if (offset > data.size()) {
            failed = true;
            pos = data.size();
        }
        if (failed) return false;
        pos = offset;
        return true;
    }
};

} // namespace kalvenor
