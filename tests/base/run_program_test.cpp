#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "base/run_program.h"

namespace kalvenor {
namespace {

TEST(RunProgram, ReturnsExitStatusOrNegatedErrorWhenNotStarted)
{
    EXPECT_EQ(runProgram("true"), 0);
    EXPECT_EQ(runProgram("false"), 1);
    EXPECT_EQ(runProgram("ls /kalvenor-no-such-directory"), 2);
    EXPECT_EQ(runProgram("kalvenor-no-such-program --flag"), -ENOENT);
    EXPECT_EQ(runProgram("/nonexistent/dir/prog"), -ENOENT);
    EXPECT_EQ(runProgram(""), -ENOENT);
}

TEST(RunProgram, ArgumentsAfterTheFirstBlankReachTheProgram)
{
    EXPECT_EQ(runProgram("test 3 -eq 3"), 0);
    EXPECT_EQ(runProgram("  test   3  -eq 4 "), 1);
    EXPECT_EQ(commandWords("  a  b c "), (std::vector<std::string>{"a", "b", "c"}));
}

// No shell reads the line: "&&", "||" and ";" are arguments of the program.
TEST(RunProgram, NoShellReadsTheLine)
{
    EXPECT_EQ(runProgram("true && false"), 0);
    EXPECT_EQ(runProgram("false || true"), 1);
    EXPECT_EQ(runProgram("test x = x ; false"), 2); // test itself refuses the extra words
}

} // namespace
} // namespace kalvenor
