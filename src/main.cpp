#include <string>
#include <vector>

#include "shell/command_line.h"

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    return kalvenor::runCommandLine(args, argv[0]);
}
