#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "script/script_args.h"

namespace kalvenor {
namespace {

TEST(ScriptArgs, PreparesTheLine)
{
    EXPECT_EQ(prepareLine("Haze\t50\r\nnext"), "Haze 50");
    EXPECT_EQ(prepareLine("Haze 50\nnext"), "Haze 50");
    EXPECT_EQ(prepareLine(std::string_view("Haze 5\0 0", 9)), "Haze 5");
    EXPECT_TRUE(isBlankLine(" \t\x01\x1f "));
    EXPECT_TRUE(isBlankLine(""));
    EXPECT_FALSE(isBlankLine("  -"));
    EXPECT_FALSE(isBlankLine("\xe9"));
    EXPECT_EQ(firstWord("   CameraX 5"), "CameraX");
    EXPECT_EQ(firstWord(";note text"), ";note");
}

TEST(ScriptArgs, NumbersAreReadLikeScanfAndMissingOnesAreZero)
{
    struct Case {
        const char* line;
        ArgPattern pattern;
        int count;
        double a, b, c;
    };
    const Case cases[] = {
        {"Haze", ArgPattern::Number, 0, 0, 0, 0},
        {"Haze 50x", ArgPattern::Number, 1, 50, 0, 0},
        {"Haze   -2.5e1", ArgPattern::Number, 1, -25, 0, 0},
        {"Haze .5", ArgPattern::Number, 1, 0.5, 0, 0},
        {"Haze abc 7", ArgPattern::Number, 0, 0, 0, 0},
        {"CameraXYZ 1 2", ArgPattern::ThreeNumbers, 2, 1, 2, 0},
        {"CameraXYZ 1,2,3", ArgPattern::ThreeNumbers, 1, 1, 0, 0},
        // A blank between numbers is optional, as in scanf: the sign starts the next one.
        {"CameraXYZ 1-2 3", ArgPattern::ThreeNumbers, 3, 1, -2, 3},
        {"CameraXYZ 1 x 3", ArgPattern::ThreeNumbers, 1, 1, 0, 0},
        {"ImageSize 640 480 999", ArgPattern::TwoNumbers, 2, 640, 480, 0},
        // Not numbers: reading stops there.
        {"Haze nan", ArgPattern::Number, 0, 0, 0, 0},
        {"Haze -inf", ArgPattern::Number, 0, 0, 0, 0},
        {"Haze 1e999", ArgPattern::Number, 0, 0, 0, 0},
        {"CameraXYZ 1 INF 3", ArgPattern::ThreeNumbers, 1, 1, 0, 0},
        {"LoadBinaryDEM a.raw 300 200", ArgPattern::WordTwoNumbers, 2, 300, 200, 0},
    };
    for (const Case& c : cases) {
        const ScriptArgs args = parseArgs(c.line, c.pattern);
        EXPECT_EQ(args.count, c.count) << c.line;
        EXPECT_EQ(args.number[0], c.a) << c.line;
        EXPECT_EQ(args.number[1], c.b) << c.line;
        EXPECT_EQ(args.number[2], c.c) << c.line;
    }
}

TEST(ScriptArgs, FloatSettingsReadTheTextOnceAsFloat)
{
    const ScriptArgs args = parseArgs("CameraXYZ 0.1 16777217 1e39", ArgPattern::ThreeNumbers);
    EXPECT_EQ(args.single[0], 0.1f);
    EXPECT_EQ(args.number[1], 16777217.0); // a float could not hold it
    EXPECT_EQ(args.single[1], 16777216.0f);
    EXPECT_EQ(args.single[2], std::numeric_limits<float>::max()); // beyond float: the largest float
}

TEST(ScriptArgs, IntegerPatternReadsAnIntegerPrefix)
{
    struct Case {
        const char* line;
        int count;
        std::int32_t value;
    };
    for (const Case& c : {Case{"RedrawRate 12.7", 1, 12}, Case{"RedrawRate  -3", 1, -3}, Case{"RedrawRate +4", 1, 4},
                          Case{"RedrawRate", 0, 0}, Case{"RedrawRate -", 0, 0}, Case{"RedrawRate .5", 0, 0},
                          Case{"RedrawRate 99999999999", 1, std::numeric_limits<std::int32_t>::max()},
                          Case{"RedrawRate -2147483648", 1, std::numeric_limits<std::int32_t>::min()},
                          Case{"RedrawRate -99999999999", 1, std::numeric_limits<std::int32_t>::min()}}) {
        const ScriptArgs args = parseArgs(c.line, ArgPattern::Integer);
        EXPECT_EQ(args.count, c.count) << c.line;
        EXPECT_EQ(args.integer, c.value) << c.line;
    }
}

TEST(ScriptArgs, WordsAndTheRestOfTheLine)
{
    EXPECT_EQ(parseArgs("LoadDEM", ArgPattern::Word).word, "");
    EXPECT_EQ(parseArgs("LoadDEM  dem\\a.dem  extra", ArgPattern::Word).word, "dem\\a.dem");
    const ScriptArgs export_ = parseArgs("ExportAsciiZ", ArgPattern::WordTwoNumbers);
    EXPECT_EQ(export_.word, "");
    EXPECT_EQ(export_.count, 0);
    EXPECT_EQ(parseArgs("Spawn   echo  hi  ", ArgPattern::RestOfLine).rest, "echo  hi  ");
    EXPECT_EQ(parseArgs("DefaultDirDEM", ArgPattern::RestOfLine).rest, "");
    EXPECT_EQ(parseArgs("  Spawn x", ArgPattern::RestOfLine).keyword, "Spawn");
}

TEST(ScriptArgs, ConversionsTruncateSaturateAndKeepAllSeedBits)
{
    EXPECT_EQ(toInt32(49.9), 49);
    EXPECT_EQ(toInt32(-0.5), 0);
    EXPECT_EQ(toInt32(-49.9), -49);
    EXPECT_EQ(toInt32(3e9), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(toInt32(-3e9), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(toInt32(2147483647.9), 2147483647);

    EXPECT_EQ(toSeed(123456789.0), 123456789u);
    EXPECT_EQ(toSeed(4294967295.0), 0xFFFFFFFFu);
    EXPECT_EQ(toSeed(-1.0), 0xFFFFFFFFu);
    EXPECT_EQ(toSeed(0.0), 0u);
    EXPECT_EQ(toSeed(-2147483648.0), 0x80000000u);
    EXPECT_EQ(toSeed(2147483648.0), 0x80000000u);
    EXPECT_EQ(toSeed(7.9), 7u);
    EXPECT_EQ(toSeed(1e12), 0xFFFFFFFFu);

    EXPECT_EQ(toByte(255.9), 255);
    EXPECT_EQ(toByte(300.0), 44);
    EXPECT_EQ(toByte(-1.0), 255);
}

} // namespace
} // namespace kalvenor
