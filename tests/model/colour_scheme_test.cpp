#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "model/colour_scheme.h"
#include "support/temp_dir.h"

namespace kalvenor {
namespace {

using kalvenor::testing::writeBytes;

struct TempDir : kalvenor::testing::TempDir {
    TempDir() : kalvenor::testing::TempDir("scheme") {}
};

std::vector<std::uint8_t> entry(const ColourScheme& scheme, std::size_t offset)
{
    return {scheme.begin() + static_cast<std::ptrdiff_t>(offset),
            scheme.begin() + static_cast<std::ptrdiff_t>(offset + 4)};
}

// An old-format header: magic (with stray bytes after its terminator, which
// must not matter), then every scheme entry set except the one at 308.
std::vector<std::uint8_t> oldLayoutFile(const std::string& magic = "Kalve DEM File")
{
    std::vector<std::uint8_t> bytes(2048, 0);
    for (std::size_t i = 0; i < magic.size(); ++i) bytes[i] = static_cast<std::uint8_t>(magic[i]);
    bytes[20] = 'x';
    bytes[40] = 'n'; // a name field, ignored
    for (std::size_t e = 0; e < 256; ++e) {
        const std::size_t at = 1024 + 4 * e;
        bytes[at + 1] = static_cast<std::uint8_t>(e);
        bytes[at + 2] = static_cast<std::uint8_t>(255 - e);
        bytes[at + 3] = static_cast<std::uint8_t>(e ^ 0x55);
    }
    for (std::size_t i = 0; i < 4; ++i) bytes[1024 + 308 + i] = 0;
    return bytes;
}

TEST(ColourSchemeDefaults, FillsOnlyUnsetEntries)
{
    ColourScheme scheme{};
    // Set entries are kept, even one whose only non-zero byte is the first.
    const std::vector<std::uint8_t> mine = {0, 1, 2, 3};
    std::copy(mine.begin(), mine.end(), scheme.begin() + 312);
    scheme[136] = 1;

    fillUnsetSchemeEntries(scheme);

    EXPECT_EQ(entry(scheme, 308), (std::vector<std::uint8_t>{0, 255, 248, 240}));
    EXPECT_EQ(entry(scheme, 312), mine);
    EXPECT_EQ(entry(scheme, 136), (std::vector<std::uint8_t>{1, 0, 0, 0}));
    EXPECT_EQ(entry(scheme, 140), (std::vector<std::uint8_t>{0, 64, 96, 48}));
    EXPECT_EQ(entry(scheme, 268), (std::vector<std::uint8_t>{0, 80, 64, 48}));
    EXPECT_EQ(entry(scheme, 284), (std::vector<std::uint8_t>{0, 128, 128, 128}));
    EXPECT_EQ(entry(scheme, 304), (std::vector<std::uint8_t>{0, 192, 192, 192}));
    EXPECT_EQ(entry(scheme, 364), (std::vector<std::uint8_t>{0, 48, 48, 48}));
    // Entries without a default stay unset.
    for (std::size_t offset : {0u, 152u, 316u, 348u, 368u, 1020u})
        EXPECT_EQ(entry(scheme, offset), (std::vector<std::uint8_t>{0, 0, 0, 0})) << offset;
}

TEST(ColourSchemeOldLayout, LoadsSchemeFromHeaderAndFillsDefaults)
{
    TempDir dir;
    std::vector<std::uint8_t> bytes = oldLayoutFile();
    // A whole landscape file works too: rows follow the header.
    bytes.resize(bytes.size() + 500, 0x11);
    writeBytes(dir / "land.dem", bytes);

    ColourScheme scheme;
    scheme.fill(0xAA);
    ASSERT_EQ(loadSchemeOldLayout(dir / "land.dem", scheme), SchemeLoadStatus::Ok);

    for (std::size_t offset = 0; offset < 1024; offset += 4) {
        if (offset == 308) continue;
        EXPECT_EQ(entry(scheme, offset),
                  std::vector<std::uint8_t>(bytes.begin() + 1024 + static_cast<std::ptrdiff_t>(offset),
                                            bytes.begin() + 1028 + static_cast<std::ptrdiff_t>(offset)))
            << offset;
    }
    EXPECT_EQ(entry(scheme, 308), (std::vector<std::uint8_t>{0, 255, 248, 240}));
}

TEST(ColourSchemeOldLayout, RefusedFilesLeaveSchemeUntouched)
{
    TempDir dir;
    std::vector<std::uint8_t> shortFile = oldLayoutFile();
    shortFile.resize(2047);
    std::vector<std::uint8_t> unterminated = oldLayoutFile("Kalve DEM File");
    unterminated[14] = 's'; // "Kalve DEM Files"

    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        SchemeLoadStatus expected;
    };
    const std::vector<Case> cases = {
        {"new_magic", oldLayoutFile("KN4 DEM File"), SchemeLoadStatus::NotOldLayout},
        {"short", shortFile, SchemeLoadStatus::NotOldLayout},
        {"longer_magic", unterminated, SchemeLoadStatus::NotOldLayout},
        {"empty", {}, SchemeLoadStatus::NotOldLayout},
    };
    for (const Case& c : cases) {
        writeBytes(dir / c.name, c.bytes);
        ColourScheme scheme;
        scheme.fill(0xAA);
        EXPECT_EQ(loadSchemeOldLayout(dir / c.name, scheme), c.expected) << c.name;
        EXPECT_TRUE(std::all_of(scheme.begin(), scheme.end(), [](std::uint8_t b) { return b == 0xAA; })) << c.name;
    }

    ColourScheme scheme;
    scheme.fill(0xAA);
    EXPECT_EQ(loadSchemeOldLayout(dir / "missing.scm", scheme), SchemeLoadStatus::OpenFailed);
    EXPECT_TRUE(std::all_of(scheme.begin(), scheme.end(), [](std::uint8_t b) { return b == 0xAA; }));
}

} // namespace
} // namespace kalvenor
