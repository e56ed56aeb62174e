// kalvenor path FILE -o SCRIPT: the camera path stored in a session exported
// as a script without a window, so that a render farm can fly it with
// "kalvenor run SCRIPT --out BASE".
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kalvenor {

struct App;
class Frontend;

struct PathCommandLine {
    std::string file;                 // the session or landscape file
    std::string script;               // -o: the script to write
    std::vector<std::string> answers; // --answer 'QUESTION=ANSWER'
};

// Parses the arguments after "path". On bad usage returns nothing and fills error.
std::optional<PathCommandLine> parsePathCommandLine(const std::vector<std::string>& args, std::string& error);

// Loads file into app, generates its stored path and writes it as script.
// Returns the exit code: 0 written, 1 the file could not be loaded, carries no
// path, makes no points or the script could not be written.
int exportStoredPath(App& app, Frontend& ui, const std::string& file, const std::string& script);

// The whole subcommand; args[0] is "path". Returns the process exit code.
int runPathCommand(const std::vector<std::string>& args, const char* argv0);

} // namespace kalvenor
