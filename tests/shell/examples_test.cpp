// Every example script runs clean with the command its header gives, and every
// command README shows works as written: each is run from a fresh directory
// that sees the examples where a clone has them.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace kalvenor {
namespace {

namespace fs = std::filesystem;

const fs::path kSource = KALVENOR_SOURCE_DIR;

// The argument part of every line of file that starts with prefix (a trailing "# comment" dropped).
std::vector<std::string> commandsIn(const fs::path& file, const std::string& prefix)
{
    std::vector<std::string> commands;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        if (!line.starts_with(prefix)) continue;
        std::string args = line.substr(prefix.size());
        if (const std::size_t hash = args.find(" #"); hash != std::string::npos) args.erase(hash);
        while (!args.empty() && args.back() == ' ') args.pop_back();
        commands.push_back(args);
    }
    return commands;
}

struct Run {
    int exitCode = -1;
    std::string output;
};

// Runs "kalvenor ARGS" with the program under test, any other command (the
// texture maps' drawing script) as written.
Run runIn(const fs::path& dir, const std::string& args)
{
    const std::string program = args.starts_with("kalvenor ") ? std::string(KALVENOR_BINARY) + args.substr(8) : args;
    const std::string command = "cd '" + dir.string() + "' && " + program + " 2>&1";
    Run run;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    std::array<char, 512> buffer{};
    while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr) run.output += buffer.data();
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// A directory in which "examples/" is the source tree's.
struct Workspace {
    testing::TempDir dir{"examples"};
    Workspace() { fs::create_directory_symlink(kSource / "examples", dir.path / "examples"); }
};

void expectClean(const Run& run, const std::string& what)
{
    EXPECT_EQ(run.exitCode, 0) << what << "\n" << run.output;
    EXPECT_EQ(run.output.find("script error"), std::string::npos) << what << "\n" << run.output;
    EXPECT_EQ(run.output.find("failed line"), std::string::npos) << what << "\n" << run.output;
}

std::vector<std::string> exampleScripts()
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(kSource / "examples"))
        if (entry.path().extension() == ".scr") names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class Example : public ::testing::TestWithParam<std::string> {};

TEST_P(Example, RunsCleanWithTheCommandItsHeaderGives)
{
    const std::vector<std::string> commands = commandsIn(kSource / "examples" / GetParam(), "Rem Run: ");
    ASSERT_TRUE(std::any_of(commands.begin(), commands.end(), [](const std::string& c) { return c.starts_with("kalvenor "); }))
        << GetParam() << " says nowhere how to run it (a \"Rem Run: kalvenor ...\" line)";
    Workspace space;
    for (const std::string& args : commands) expectClean(runIn(space.dir.path, args), args);
}

INSTANTIATE_TEST_SUITE_P(Scripts, Example, ::testing::ValuesIn(exampleScripts()),
                         [](const auto& info) {
                             std::string name = info.param.substr(0, info.param.find('.'));
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

TEST(Readme, EveryCommandWorksAsWritten)
{
    const std::vector<std::string> commands = commandsIn(kSource / "README.md", "./build/kalvenor ");
    ASSERT_FALSE(commands.empty());
    Workspace space;
    for (const std::string& args : commands) expectClean(runIn(space.dir.path, "kalvenor " + args), args);
}

} // namespace
} // namespace kalvenor
