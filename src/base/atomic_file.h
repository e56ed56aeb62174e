// The one way the program writes an output file.
//
// A save either replaces the file whole or leaves the previous one exactly as
// it was: the bytes go to a temporary file in the target's own directory,
// which is renamed over the target only after the last byte is written,
// flushed and closed. A failed write, an abort or an AtomicFile that goes out
// of scope uncommitted removes the temporary file, so no partial file is ever
// left behind.
//
// Paths may use "\" or "/". Every directory named in the path is created in
// turn before the file; a component that does not exist as written but exists
// with other letter case is used as found, so "dem\out.txt" lands in "DEM".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kalvenor {

enum class FileMode {
    Binary, // bytes as given
    Text,   // every "\n" stored as CR LF
};

// Temporary files are written without a name where the file system allows
// it; they are named this prefix and six characters, in the target's own
// directory, otherwise, and for the moment of the rename.
inline constexpr const char* kTemporaryPrefix = ".kalvenor-";

// Removes the temporary files that saves killed part way left in dir (written
// with a trailing "/", or empty for the current directory): only regular files
// of this user named like ours and last written before this process started.
// The first save into each directory sweeps it.
void sweepStaleTemporaries(const std::string& dir);

class AtomicFile {
public:
    AtomicFile() = default;
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile(); // discards when not committed

    // Creates the directories and the temporary file. False when either fails.
    bool open(const std::string& path, FileMode mode);

    // Each returns false once any write has failed; the failure is sticky, so a
    // caller may write a whole file and check only commit().
    bool write(const void* data, std::size_t bytes);
    bool write(std::string_view text);
    bool print(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // Flushes, closes and renames over the target. False (and the previous file
    // untouched, the temporary file gone) when anything failed on the way.
    bool commit();

    // Everything of commit() but the rename: the bytes on disk in the
    // temporary file beside the target. Files that must be replaced together
    // (a mesh and its material library, an image and its sidecar) are all
    // prepared first and committed only when every one was, so a full disk
    // replaces none of them. False, as commit(), when anything failed.
    bool prepare();

    // Drops everything written; the previous file stays as it was.
    void discard();

    bool isOpen() const { return fd_ >= 0; }
    bool failed() const { return failed_; }
    // The file that commit() replaces, as resolved by open().
    const std::string& targetPath() const { return target_; }

private:
    bool flushBuffer();
    bool linkTemporary();
    bool append(const char* data, std::size_t bytes);
    bool appendText(const char* data, std::size_t bytes);

    int fd_ = -1;
    FileMode mode_ = FileMode::Binary;
    bool failed_ = false;
    std::string target_;
    std::string dir_;       // the target's directory, with its "/"
    std::string temporary_; // empty while the file has no name
    std::vector<char> buffer_;
    std::size_t used_ = 0;
    bool prepared_ = false; // written out and closed; only the rename is left
};

// The path a save will write: separators normalised, existing components
// matched ignoring letter case. Creates the missing directories when create is
// set. Empty when a directory could not be created or the name is empty.
std::string prepareOutputPath(const std::string& path, bool create);

} // namespace kalvenor
