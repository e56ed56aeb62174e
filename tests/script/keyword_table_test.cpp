#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <string>

#include "script/keyword_table.h"

namespace kalvenor {
namespace {

std::string lowered(std::string_view s)
{
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// Every keyword, classic or ours, is documented for users.
TEST(KeywordTable, EveryKeywordIsDocumented)
{
    std::ifstream in(std::string(KALVENOR_SOURCE_DIR) + "/docs/script-keywords.md");
    const std::string docs((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(docs.empty());
    const auto index = docs.find("## Index");
    ASSERT_NE(index, std::string::npos);
    for (const Keyword& k : keywordTable()) {
        const std::string quoted = "`" + std::string(k.name) + "`" + (k.extension ? " (ext)" : "");
        EXPECT_NE(docs.find(quoted, index), std::string::npos) << k.name << " is missing from the index";
    }
}

// Guards the transcription of the table: the classic names, then our extensions,
// no name twice, codes from 1000 in table order, and aliases that agree.
TEST(KeywordTable, HoldsTheClassicNamesThenTheExtensionsWithoutDuplicates)
{
    const auto table = keywordTable();
    ASSERT_GT(table.size(), 310u);
    for (std::size_t i = 0; i < table.size(); ++i)
        EXPECT_EQ(table[i].extension, i >= 310u) << table[i].name;

    std::set<std::string> names;
    std::map<int, const Keyword*> firstOfCode;
    int highest = kFirstKeywordCode - 1;
    for (const Keyword& k : table) {
        EXPECT_TRUE(names.insert(lowered(k.name)).second) << "duplicate " << k.name;
        // A row runs a handler or stores one setting as it is, and a setting invalidates nothing.
        EXPECT_NE(k.handler == nullptr, k.field == nullptr) << k.name;
        if (k.field != nullptr) {
            EXPECT_EQ(k.marks, 0) << k.name;
        }
        const auto [it, isNew] = firstOfCode.emplace(k.code, &k);
        if (isNew) {
            EXPECT_EQ(k.code, highest + 1) << k.name; // new codes follow the table order
            highest = k.code;
        } else {
            const Keyword& first = *it->second; // an alias does exactly what its first spelling does
            EXPECT_EQ(k.handler, first.handler) << k.name;
            EXPECT_EQ(k.field, first.field) << k.name;
            EXPECT_EQ(k.source, first.source) << k.name;
            EXPECT_EQ(k.param, first.param) << k.name;
            EXPECT_EQ(k.pattern, first.pattern) << k.name;
            EXPECT_EQ(k.marks, first.marks) << k.name;
        }
    }
}

TEST(KeywordTable, SpotChecksOfTheTranscription)
{
    struct Case {
        const char* alias;
        const char* name;
    };
    for (const Case& c : {Case{"ExaggerationOn", "ExagerationOn"}, Case{"UnLockPalette", "LockUnPalette"},
                          Case{"FeatureSize4", "FractalDivisor4"}, Case{"SetColorPineBark", "SetColorBark4"},
                          Case{"Tree3Off", "Tree3None"}, Case{"DefaultDirJPG", "DefaultDirJPG24"},
                          Case{"MeanTreeDensity", "TreeDensity"}, Case{";", "Rem"}}) {
        ASSERT_NE(findKeyword(c.alias), nullptr) << c.alias;
        ASSERT_NE(findKeyword(c.name), nullptr) << c.name;
        EXPECT_EQ(findKeyword(c.alias)->code, findKeyword(c.name)->code) << c.alias;
    }
    EXPECT_NE(findKeyword("Tree1OakOn")->code, findKeyword("Tree1OakOff")->code);
    EXPECT_EQ(findKeyword("LandscapeSizeHuge")->marks, kMarkAll);
    EXPECT_EQ(findKeyword("SetAltitude")->marks, kMarkS | kMarkC);
    EXPECT_EQ(findKeyword("Spawn")->pattern, ArgPattern::RestOfLine);
    EXPECT_EQ(findKeyword("DefaultDirBatch")->pattern, ArgPattern::RestOfLine);
    EXPECT_EQ(findKeyword("RedrawRate")->pattern, ArgPattern::Integer);
    EXPECT_EQ(findKeyword("LoadBinaryDEM")->pattern, ArgPattern::WordTwoNumbers);
}

TEST(KeywordTable, MatchesWholeWordsIgnoringCaseAndSemicolonPrefixes)
{
    struct Case {
        const char* word;
        const char* expected; // nullptr: no match
    };
    for (const Case& c : {Case{"cameraxyz", "CameraXYZ"}, Case{"CAMERAXYZ", "CameraXYZ"},
                          Case{"CameraXYZ5", nullptr}, Case{"CameraXY", nullptr}, Case{";note", ";"},
                          Case{";", ";"}, Case{"rem", "Rem"}, Case{"Remark", nullptr}, Case{"x;", nullptr},
                          Case{"", nullptr}, Case{"loadpcx", "LoadPCX"},
                          Case{"landscapesizemega", "LandscapeSizeMega"}}) {
        const Keyword* k = findKeyword(c.word);
        if (c.expected == nullptr) {
            EXPECT_EQ(k, nullptr) << c.word;
        } else {
            ASSERT_NE(k, nullptr) << c.word;
            EXPECT_EQ(k->name, c.expected) << c.word;
        }
    }
}

} // namespace
} // namespace kalvenor
