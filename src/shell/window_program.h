// The interactive program: the main window and the render window, the
// start-up script and landscape, and the main loop that takes each gadget,
// menu choice and key to the command dispatch.
//
// When the environment variable KALVENOR_TRACE names a file, the program
// appends a line there at each step a test may wait for: "ready" when the
// start-up is done, "command ID result R" after each command, "exit CODE".
#pragma once

namespace kalvenor {

struct CommandLine;

// Runs the window until it is closed; the process exit code.
int runWindowProgram(const CommandLine& cl, const char* argv0);

} // namespace kalvenor
