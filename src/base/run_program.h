// Starting other programs: the Spawn script keyword and the shell command.
#pragma once

#include <string>

namespace kalvenor {

// Splits the command text at its first blank into program and arguments, runs
// the program through the shell and waits for it. Returns its exit status, or
// the negated error number when it could not be started.
int runProgram(const std::string& commandText);

} // namespace kalvenor
