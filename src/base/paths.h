// Paths as users write them in scripts and sessions: either separator works,
// and a name that does not exist as written is looked up without regard to
// letter case before it counts as missing.
#pragma once

#include <cstdio>
#include <string>

namespace kalvenor {

// Turns every "\" into "/".
std::string normaliseSeparators(std::string path);

// The path of an existing file or directory that matches path, each component
// compared case-insensitively where the exact name is missing. Returns the
// normalised path unchanged when nothing matches.
std::string resolveExisting(const std::string& path);

// True when path names an existing regular file (after resolveExisting).
bool fileExists(const std::string& path);
bool directoryExists(const std::string& path);

// Opens an existing regular file (flags as for open, O_CLOEXEC added). Anything
// else (a FIFO, a device, a directory) is refused without waiting for it:
// the open does not block, and the descriptor is made blocking again only
// once it is known to be a regular file. -1 on failure.
int openRegularFile(const std::string& path, int flags);

// The same as a stream opened for reading ("rb"); null on failure.
std::FILE* openRegularStream(const std::string& path);

// Removes a file (not a directory); false when it cannot be, or may not be
// touched (a confined run).
bool removeFile(const std::string& path);

// The extension of the path's file name with its dot, in small letters
// (".tif"); empty when the name has none (a dot in a directory name does not count).
std::string lowerExtension(const std::string& path);

// Why a file cannot be read, as the system says it ("No such file or
// directory", "Permission denied"); empty when nothing stops it from being opened.
std::string readProblem(const std::string& path);

// Why a file cannot be written there: its directory missing or not writable,
// or the file itself read-only; empty when nothing in the way is found.
std::string writeProblem(const std::string& path);

} // namespace kalvenor
