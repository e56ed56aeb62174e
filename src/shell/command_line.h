// The command line: the interactive program, batch script runs, single renders.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kalvenor {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

constexpr int kMinFrameRate = 1; // --rate
constexpr int kMaxFrameRate = 1000;

enum class Mode { Interactive, Run, Render, Help, Version };

struct CommandLine {
    Mode mode = Mode::Interactive;
    std::string script;                    // run: the script; render: optional settings script
    std::optional<std::string> outputBase; // run --out
    int startFrame = 0;                    // run --start
    bool startGiven = false;               // --start was given: no question about an existing series
    bool framesGiven = false;              // run --frames A-B: startFrame .. lastFrame, frames seeded
    int lastFrame = 99999;                 // run --frames: the last frame made
    std::string format;                    // run --format
    int frameRate = 15;                    // run --rate: frames a second of FLC and AVI files
    std::string codec;                     // run --codec: none or mjpeg, for a new AVI
    std::vector<std::string> images;       // render -o (repeatable: the same render saved in each)
    std::vector<std::string> answers;      // --answer 'QUESTION=ANSWER'
    bool startup = false;                  // --startup: run STARTUP.SCR first
    bool info = false;                     // --info: describe the landscape at the end
    bool allowSpawn = false;               // --allow-spawn: scripts may start programs
    std::string confine;                   // --confine DIR: script files only inside DIR
    std::string landscapeFile;             // the start-up landscape (interactive argument, or --landscape)
    bool view = false;                     // --view: open the result in the desktop's viewer
    int verbosity = 1;                     // --quiet 0, --verbose 2
    std::string helpTopic;                 // help COMMAND, COMMAND --help: the command; empty for all
    int scale = 0;                         // the window: --scale N, 0 for the largest that fits
};

// Parses argv. On bad usage returns nothing and fills error.
std::optional<CommandLine> parseCommandLine(const std::vector<std::string>& args, std::string& error);

// Takes every "--threads N" out of args and sets the thread count; false with
// error filled for a count that is not a whole number from 1 to kMaxThreads.
bool takeThreadsOption(std::vector<std::string>& args, std::string& error);

// The value of an --answer option: added to answers when it reads
// 'QUESTION=ANSWER'; otherwise false with the usage error.
bool takeAnswer(const std::string& value, std::vector<std::string>& answers, std::string& error);

// Runs what the command line asks for and returns the process exit code.
int runCommandLine(const std::vector<std::string>& args, const char* argv0);

// The usage lines printed by --help and after a usage error.
std::string usageText();

// The usage, options and examples of one command (run, render, path); empty
// for a word that is no command.
std::string commandHelp(const std::string& command);

} // namespace kalvenor
