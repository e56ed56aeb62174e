// A condition the program cannot continue from. The command line and the
// window catch it at the top, show the message with both answers "Oh no!" and
// end the process with exit code 10.
#pragma once

#include <stdexcept>
#include <string>

namespace kalvenor {

constexpr int kFatalExitCode = 10;

struct FatalError : std::runtime_error {
    explicit FatalError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace kalvenor
