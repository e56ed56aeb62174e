// What a command printed on its standard output, for tests that check our
// files with other programs' readers.
#pragma once

#include <cstdio>
#include <string>

namespace kalvenor::testing {

// The whole standard output of command (run by the shell); empty when it cannot be started.
inline std::string commandOutput(const std::string& command)
{
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return out;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
    ::pclose(pipe);
    return out;
}

} // namespace kalvenor::testing
