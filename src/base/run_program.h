// Starting other programs: the Spawn script keyword and the shell command.
#pragma once

#include <string>
#include <vector>

namespace kalvenor {

// Splits the command text at its first blank into the program and its
// arguments (the arguments split at blanks; no shell reads the line, so
// nothing in it is a redirection, a pipe or a second command), runs the
// program and waits for it. Returns its exit status (128 + the signal for a
// program killed by one), or the negated error number when it could not be
// started.
int runProgram(const std::string& commandText);

// The words of the command text, split at blanks: the program and its arguments.
std::vector<std::string> commandWords(const std::string& commandText);

// The same for a program and its arguments given word by word (a file name
// with blanks stays one argument).
int runProgramWords(const std::vector<std::string>& words);

// Whether a program of that name would start (a name with a slash as given, else along PATH).
bool programFound(const std::string& name);

// Starts the program detached from this process (in a session of its own, not
// waited for): for programs that stay open beside the window, such as a
// terminal. 0 when it was started, else as runProgramWords.
int startDetached(const std::vector<std::string>& words);

// Opens a finished picture or animation with the desktop's default viewer
// (xdg-open), started directly with the path as its one argument. The result
// as runProgramWords gives it.
int openWithViewer(const std::string& path);

} // namespace kalvenor
