// An animation file that grows by one frame at a time, changed in place.
//
// The streams (KANIM, FLC, AVI) append each frame to the file the earlier
// frames are in, so a stopped animation leaves its frames behind and can be
// continued. The writers keep the file whole by writing the new frame first
// and the header fields that count it last, and by cutting the file back to
// its previous length when any write of a frame fails.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace kalvenor {

class GrowingFile {
public:
    GrowingFile() = default;
    GrowingFile(const GrowingFile&) = delete;
    GrowingFile& operator=(const GrowingFile&) = delete;
    GrowingFile(GrowingFile&& other) noexcept;
    GrowingFile& operator=(GrowingFile&& other) noexcept;
    ~GrowingFile();

    // Opens an existing regular file for reading and writing (a name missing
    // as written is looked up ignoring case). False when it cannot be opened.
    bool open(const std::string& path);
    void close();
    bool isOpen() const { return fd_ >= 0; }

    // The current length; false when it cannot be read.
    bool size(std::uint64_t& bytes) const;

    // Each is all or nothing from the caller's view: false unless every byte
    // was read or written.
    bool readAt(std::uint64_t offset, std::span<std::uint8_t> out) const;
    bool writeAt(std::uint64_t offset, std::span<const std::uint8_t> data);
    bool truncate(std::uint64_t bytes);

private:
    int fd_ = -1;
};

} // namespace kalvenor
