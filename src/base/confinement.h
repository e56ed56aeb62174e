// Confinement for runs of scripts from elsewhere: once a directory is set,
// every file the program opens, creates, replaces or removes must lie inside
// it once links are resolved, except the files named on the command line.
// The check sits in the functions every reader and writer opens files with.
#pragma once

#include <string>

namespace kalvenor {

// Confines the process to dir (which must exist). False, with nothing
// changed, when dir is not an existing directory.
bool confineTo(const std::string& dir);

// Lets one file through confinement (a file the command line itself names).
void permitFile(const std::string& path);

// Lets through every file whose name starts with base once its directory's
// links are resolved (the numbered frames of an output series).
void permitPrefix(const std::string& base);

// Lifts the confinement (for tests).
void endConfinement();

// Empty when path may be used; otherwise why not ("outside the directory
// DIR the run is confined to"). A path that does not exist yet is judged by
// the directory it would be made in.
std::string confinementProblem(const std::string& path);

// The same for an open descriptor: where the file it reads really lies.
std::string confinementProblemOf(int fd);

} // namespace kalvenor
