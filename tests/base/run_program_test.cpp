#include <gtest/gtest.h>

#include <cerrno>

#include "base/run_program.h"

namespace kalvenor {
namespace {

TEST(RunProgram, ReturnsExitStatusOrNegatedErrorWhenNotStarted)
{
    EXPECT_EQ(runProgram("true"), 0);
    EXPECT_EQ(runProgram("false"), 1);
    EXPECT_EQ(runProgram("sh -c 'exit 7'"), 7);
    EXPECT_EQ(runProgram("kalvenor-no-such-program --flag"), -ENOENT);
    EXPECT_EQ(runProgram("/nonexistent/dir/prog"), -ENOENT);
    EXPECT_EQ(runProgram(""), -ENOENT);
}

TEST(RunProgram, ArgumentsAfterTheFirstBlankReachTheProgram)
{
    EXPECT_EQ(runProgram("test 3 -eq 3"), 0);
    EXPECT_EQ(runProgram("test 3 -eq 4"), 1);
}

} // namespace
} // namespace kalvenor
