#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/headless_frontend.h"

namespace kalvenor {
namespace {

// Captures what the adapter writes.
struct Capture {
    char* data = nullptr;
    std::size_t size = 0;
    std::FILE* file = open_memstream(&data, &size);
    ~Capture()
    {
        if (file) std::fclose(file);
        std::free(data);
    }
    std::string text()
    {
        std::fflush(file);
        return std::string(data, size);
    }
};

TEST(HeadlessFrontend, DefaultsToFirstAnswerExceptListedQuestions)
{
    Capture out;
    HeadlessFrontend ui(out.file);
    EXPECT_TRUE(ui.ask("Script error: Remark", "Continue", "Cancel"));
    EXPECT_EQ(ui.choose("Choose placement mode:", {"Manual", "Auto"}), 1);
    EXPECT_FALSE(ui.ask("Error: FLC size = 4x2, image size = 320x200", "Erase FLC", "Cancel")); // keeps the file
    EXPECT_EQ(ui.askNumber("Subsample rate:", 4), 4);
    EXPECT_FALSE(ui.chooseFile({"Save Ascii Z File", "", "*.TXT", "", true}).has_value());
    EXPECT_FALSE(ui.mapPoint("Select Region:").has_value());
    const std::string text = out.text();
    EXPECT_NE(text.find("Script error: Remark -> Continue"), std::string::npos);
    EXPECT_NE(text.find("Choose placement mode: -> Auto"), std::string::npos);
}

TEST(HeadlessFrontend, PresetAnswersMatchByPrefixAndLongestWins)
{
    Capture out;
    HeadlessFrontend ui(out.file);
    const char* presets[] = {"Script error=Cancel", "Replace=cancel", "Replace /tmp/keep.txt ?=Replace",
                             "Subsample rate:=3", "Save Ascii Z File=/tmp/z.txt", "Select Region:=12,34",
                             "Choose placement mode:=&Manual"};
    for (const char* text : presets) {
        PresetAnswer answer;
        ASSERT_TRUE(parsePresetAnswer(text, answer)) << text;
        ui.addAnswer(answer);
    }
    EXPECT_FALSE(ui.ask("Script error: Remark", "Continue", "Cancel"));
    EXPECT_FALSE(ui.ask("Replace /tmp/other.txt ?", "Replace", "Cancel"));
    EXPECT_TRUE(ui.ask("Replace /tmp/keep.txt ?", "Replace", "Cancel"));
    EXPECT_EQ(ui.askNumber("Subsample rate:", 1), 3);
    EXPECT_EQ(ui.chooseFile({"Save Ascii Z File", "", "*.TXT", "", true}), "/tmp/z.txt");
    const auto point = ui.mapPoint("Select Region:");
    ASSERT_TRUE(point.has_value());
    EXPECT_EQ(point->column, 12);
    EXPECT_EQ(point->row, 34);
    EXPECT_EQ(ui.choose("Choose placement mode:", {"Manual", "Auto"}), 0);
}

TEST(HeadlessFrontend, AnswerThatFitsNoButtonKeepsTheDefaultAndSaysSo)
{
    Capture out;
    HeadlessFrontend ui(out.file);
    ui.addAnswer({"Accept river?", "Maybe"});
    EXPECT_TRUE(ui.ask("Accept river?", "Yes", "No"));
    EXPECT_NE(out.text().find("does not fit"), std::string::npos);
}

TEST(HeadlessFrontend, PresetAnswerNeedsAnEqualsSign)
{
    PresetAnswer answer;
    EXPECT_FALSE(parsePresetAnswer("Replace", answer));
    EXPECT_FALSE(parsePresetAnswer("=Yes", answer));
    ASSERT_TRUE(parsePresetAnswer("Base elevation:=a=b", answer));
    EXPECT_EQ(answer.question, "Base elevation:");
    EXPECT_EQ(answer.answer, "a=b");
}

// In a log: a verbose run writes a progress line per tenth and every status
// text; a normal one only the milestones; a quiet one none of them. Messages
// are written at every level.
TEST(HeadlessFrontend, WhatALogHoldsAtEachVerbosity)
{
    const auto logOf = [](Verbosity verbosity) {
        Capture out;
        HeadlessFrontend ui(out.file, verbosity);
        ui.status("  Initializing  ");
        for (int percent = 0; percent <= 100; ++percent) ui.progress("Generate", percent);
        ui.milestone("Frame 1 of 2 took 00:00:01, 00:00:01 to go");
        ui.message("Script completed successfully.", "OK");
        return out.text();
    };
    const std::string verbose = logOf(Verbosity::Verbose);
    EXPECT_NE(verbose.find("  Initializing  \n"), std::string::npos);
    EXPECT_NE(verbose.find("Generate:  0%\n"), std::string::npos);
    EXPECT_NE(verbose.find("Generate: 50%\n"), std::string::npos);
    EXPECT_NE(verbose.find("Generate: 100%\n"), std::string::npos);
    EXPECT_EQ(std::count(verbose.begin(), verbose.end(), '\n'), 14);
    EXPECT_EQ(logOf(Verbosity::Normal),
              "Frame 1 of 2 took 00:00:01, 00:00:01 to go\nScript completed successfully.\n");
    EXPECT_EQ(logOf(Verbosity::Quiet), "Script completed successfully.\n");
}

} // namespace
} // namespace kalvenor
