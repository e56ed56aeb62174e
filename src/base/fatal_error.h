// A condition the program cannot continue from. The command line and the
// window catch it at the top, show the message with both answers "Oh no!" and
// end the process with the error's exit code: 10 unless the condition has a
// code of its own (20 when the star map finds no memory).
#pragma once

#include <stdexcept>
#include <string>

namespace kalvenor {

constexpr int kFatalExitCode = 10;

struct FatalError : std::runtime_error {
    explicit FatalError(const std::string& message, int code = kFatalExitCode)
        : std::runtime_error(message), exitCode(code)
    {
    }
    int exitCode;
};

} // namespace kalvenor
