#include "files/landscape_pcx.h"

#include <gtest/gtest.h>

#include <fstream>

#include <filesystem>
#include <memory>

#include "base/byte_order.h"
#include "codecs/image_test_support.h"
#include "platform/scripted_frontend.h"
#include "support/temp_dir.h"

namespace kalvenor {
namespace {

using testing::TempDir;

Landscape grid(int w, int h)
{
    Landscape land;
    EXPECT_EQ(allocateGrid(land, w, h), 1);
    return land;
}

std::string readAll(const std::string& path) { return testing::readFile(path); }

// The pixels of a PCX we wrote, decoded by the shared row decoder.
std::vector<std::vector<std::uint8_t>> pixelsOf(const std::string& file)
{
    const auto bytes = testing::bytesOf(file);
    PcxHeader header;
    EXPECT_EQ(parsePcxHeader(bytes, header), ImageStatus::Ok);
    std::vector<std::vector<std::uint8_t>> rows;
    decodePcxRows(bytes, header, header.height, [&](int, std::span<const std::uint8_t> line) {
        rows.emplace_back(line.begin(), line.begin() + header.width);
    });
    return rows;
}

TEST(ElevationPixel, TruncatesTowardZeroAndClamps)
{
    struct Case {
        int e, base, interval, pixel;
    };
    const Case cases[] = {
        {0, 0, 10, 0},   {9, 0, 10, 0},     {10, 0, 10, 1},   {2550, 0, 10, 255}, {2560, 0, 10, 255},
        {-9, 0, 10, 0},  {-15, 0, 10, 0},   {105, 100, 2, 2}, {99, 100, 1, 0},    {300, 0, -4, 255},
        {7, 0, -4, 7},   {-32768, 0, 1, 0}, {32767, 32000, 3, 255},
    };
    for (const Case& c : cases)
        EXPECT_EQ(elevationPixel(c.e, c.base, c.interval), c.pixel) << c.e << " " << c.base << " " << c.interval;
}

TEST(ElevationsPcx, ZeroToTwoFiftyFiveHundredRoundTripsInIndexMode)
{
    TempDir dir("elev");
    Landscape land = grid(16, 17); // 272 cells: every level 0..255 appears
    for (int r = 0; r < 17; ++r)
        for (int c = 0; c < 16; ++c) land.elevation[r][c] = static_cast<std::int16_t>(((r * 16 + c) % 256) * 10 + (c % 3));
    ASSERT_EQ(saveElevationsPcx(land, dir / "e.pcx", ElevationPcxMode::Index, 0, 10), ImageStatus::Ok);

    const std::string file = readAll(dir / "e.pcx");
    const auto rows = pixelsOf(file);
    ASSERT_EQ(rows.size(), 17u);
    // File row 0 is the last grid row.
    EXPECT_EQ(rows[0][5], (16 * 16 + 5) % 256);
    EXPECT_EQ(rows[16][15], 15);
    // Palette: entry 0 black, entry 255 carries the interval.
    const auto* pal = reinterpret_cast<const std::uint8_t*>(file.data()) + file.size() - 768;
    EXPECT_EQ(pal[0] | pal[1] | pal[2], 0);
    EXPECT_EQ(pal[3 * 255], 10);
    EXPECT_EQ(pal[3 * 255 + 1], 0);
    EXPECT_EQ(pal[3 * 255 + 2], 0);

    Landscape back = grid(16, 17);
    ASSERT_EQ(loadElevationsPcx(dir / "e.pcx", back, ElevationPcxMode::Index, 0, 10), ImageStatus::Ok);
    for (int r = 0; r < 17; ++r)
        for (int c = 0; c < 16; ++c) ASSERT_EQ(back.elevation[r][c], ((r * 16 + c) % 256) * 10) << r << "," << c;
}

TEST(ElevationsPcx, GreyPicturesGiveLevelsFromBrightness)
{
    // A 2 x 1 picture by hand: pixel 0 is grey 25, pixel 1 the colour (10, 20, 30).
    const auto header = pcxHeaderBytes(2, 1);
    std::vector<std::uint8_t> file(header.begin(), header.end());
    file.push_back(0);
    file.push_back(1);
    file.push_back(12);
    for (int e = 0; e < 256; ++e) {
        const bool second = e == 1;
        file.push_back(second ? 10 : 25);
        file.push_back(second ? 20 : 25);
        file.push_back(second ? 30 : 25);
    }
    Landscape land = grid(4, 3);
    land.elevation[0][3] = 777;
    ASSERT_EQ(decodeElevationsPcx(file, land, ElevationPcxMode::Grey, 0, 10), ImageStatus::Ok);
    EXPECT_EQ(land.elevation[0][0], 250); // 10 x (30 + 59 + 11) x 25 / 100
    // 3 x (300 + 1180 + 330) / 100 = 5430 / 100 = 54, plus base 7
    ASSERT_EQ(decodeElevationsPcx(file, land, ElevationPcxMode::Grey, 7, 3), ImageStatus::Ok);
    EXPECT_EQ(land.elevation[0][1], 61);
    EXPECT_EQ(land.elevation[0][3], 777) << "columns past the picture stay";
    // Index mode, pixel 1 with base 7 and interval 3.
    ASSERT_EQ(decodeElevationsPcx(file, land, ElevationPcxMode::Index, 7, 3), ImageStatus::Ok);
    EXPECT_EQ(land.elevation[0][1], 10);
    // Index levels beyond 16 bits are held at the largest elevation.
    ASSERT_EQ(decodeElevationsPcx(file, land, ElevationPcxMode::Index, 32000, 1000), ImageStatus::Ok);
    EXPECT_EQ(land.elevation[0][1], 32767);
}

TEST(ElevationsPcx, ZeroIntervalIsRefusedBeforeAnythingHappens)
{
    TempDir dir("elev0");
    Landscape land = grid(5, 5);
    land.elevation[2][2] = 40;
    EXPECT_EQ(saveElevationsPcx(land, dir / "z.pcx", ElevationPcxMode::Grey, 0, 0), ImageStatus::BadArgument);
    EXPECT_FALSE(std::filesystem::exists(dir / "z.pcx"));
    ASSERT_EQ(saveElevationsPcx(land, dir / "z.pcx", ElevationPcxMode::Grey, 0, 1), ImageStatus::Ok);
    EXPECT_EQ(loadElevationsPcx(dir / "z.pcx", land, ElevationPcxMode::Grey, 0, 0), ImageStatus::BadArgument);
    EXPECT_EQ(land.elevation[2][2], 40);

    ScriptedFrontend ui;
    ElevationPcxSettings settings;
    ui.fileAnswers.push_back(dir / "c.pcx");
    ui.numberAnswers = {5, 0};
    EXPECT_EQ(commandSaveElevationsPcx(ui, land, settings, true, ""), 0);
    EXPECT_EQ(ui.messages, std::vector<std::string>{kZeroInterval});
    EXPECT_EQ(settings.base, 5);
    EXPECT_FALSE(std::filesystem::exists(dir / "c.pcx"));
}

TEST(ElevationsPcx, FileRowsMapFromTheBottomOfASmallerGrid)
{
    // A 2 x 4 picture into a 3 x 3 grid: h = 3, file row k to grid row 2 - k, the fourth row unused.
    const auto header = pcxHeaderBytes(2, 4);
    std::vector<std::uint8_t> file(header.begin(), header.end());
    for (const std::uint8_t v : {1, 1, 2, 2, 3, 3, 4, 4}) file.push_back(v);
    Landscape land = grid(3, 3);
    ASSERT_EQ(decodeElevationsPcx(file, land, ElevationPcxMode::Index, 0, 1), ImageStatus::Ok);
    EXPECT_EQ(land.elevation[2][0], 1);
    EXPECT_EQ(land.elevation[1][1], 2);
    EXPECT_EQ(land.elevation[0][0], 3);
    EXPECT_EQ(land.elevation[0][2], 0);
}

// A picture cut short leaves the elevations, the ground codes and the scheme as they were.
TEST(LandscapePcx, ACutPictureChangesNothing)
{
    TempDir dir("cutpcx");
    Landscape land = grid(16, 17);
    for (int r = 0; r < 17; ++r)
        for (int c = 0; c < 16; ++c) {
            land.elevation[r][c] = static_cast<std::int16_t>(r * 16 + c);
            land.terrain[r][c] = static_cast<std::uint16_t>('3');
        }
    ASSERT_EQ(saveElevationsPcx(land, dir / "e.pcx", ElevationPcxMode::Index, 0, 10), ImageStatus::Ok);
    ASSERT_EQ(saveGroundColoursPcx(land, dir / "g.pcx"), ImageStatus::Ok);
    // The elevations cut in their rows, the ground colours in the palette they are matched by.
    const std::string elevations = readAll(dir / "e.pcx");
    const std::string colours = readAll(dir / "g.pcx");
    std::ofstream(dir / "cut-e.pcx", std::ios::binary) << elevations.substr(0, 128 + 10);
    std::ofstream(dir / "cut-g.pcx", std::ios::binary) << colours.substr(0, colours.size() - 100);

    Landscape back = grid(16, 17);
    for (int r = 0; r < 17; ++r)
        for (int c = 0; c < 16; ++c) {
            back.elevation[r][c] = 7;
            back.terrain[r][c] = 9;
        }
    back.terrainValidAt = 1;
    ColourScheme scheme{};
    scheme.fill(5);
    EXPECT_NE(loadElevationsPcx(dir / "cut-e.pcx", back, ElevationPcxMode::Index, 0, 10), ImageStatus::Ok);
    EXPECT_NE(loadGroundColoursPcx(dir / "cut-g.pcx", back, scheme, GroundPcxMode::Colours), ImageStatus::Ok);
    for (int r = 0; r < 17; ++r)
        for (int c = 0; c < 16; ++c) {
            ASSERT_EQ(back.elevation[r][c], 7) << r << "," << c;
            ASSERT_EQ(back.terrain[r][c], 9) << r << "," << c;
        }
    EXPECT_EQ(back.terrainValidAt, 1);
    EXPECT_EQ(scheme[4 * 200 + 1], 5);
}

TEST(GroundColourIndex, FollowsTheCodeTable)
{
    struct Case {
        char first;
        char second;
        int index;
    };
    const Case cases[] = {
        {'3', 0, 2},   {'7', 0, 6},    {'2', 0, 7},   {'8', 0, 8},   {';', 0, 8},   {'"', 0, 9},   {'%', 0, 9},
        {'&', 0, 16},  {')', 0, 16},   {'*', 0, 20},  {'-', 0, 20},  {'.', 0, 24},  {'1', 0, 24},  {'X', 0, 32},
        {'[', 0, 35},  {'8', '<', 12}, {'8', '?', 15}, {'&', 'H', 28}, {'3', 'K', 31}, {'8', 'L', 8}, {'A', 0, 0},
        {0, 0, 0},     {'\\', 0, 0},
    };
    for (const Case& c : cases) {
        const auto cell = static_cast<std::uint16_t>(static_cast<std::uint8_t>(c.first) |
                                                     (static_cast<std::uint8_t>(c.second) << 8));
        EXPECT_EQ(groundColourIndex(cell), c.index) << c.first << c.second;
    }
}

TEST(GroundColourPcx, PaletteHasTheMapColoursOverTheRamp)
{
    const PcxPalette p = groundColourPalette();
    const PcxPalette ramp = indexRampPalette();
    const auto colour = [&](int e) { return std::array<int, 3>{p[3 * e], p[3 * e + 1], p[3 * e + 2]}; };
    EXPECT_EQ(colour(0), (std::array<int, 3>{0, 0, 0}));
    EXPECT_EQ(colour(1), (std::array<int, 3>{240, 240, 240}));
    EXPECT_EQ(colour(7), (std::array<int, 3>{144, 128, 80}));
    EXPECT_EQ(colour(11), (std::array<int, 3>{80, 48, 0}));
    EXPECT_EQ(colour(12), (std::array<int, 3>{48, 80, 16}));
    EXPECT_EQ(colour(29), (std::array<int, 3>{192, 192, 0}));
    EXPECT_EQ(colour(35), (std::array<int, 3>{80, 80, 80}));
    EXPECT_EQ(p[3 * 36], ramp[3 * 36]);
    EXPECT_EQ(p[3 * 255 + 2], ramp[3 * 255 + 2]);
}

TEST(GroundColourPcx, TerrainTypesRoundTripAndOtherPixelsLeaveCells)
{
    TempDir dir("ground");
    Landscape land = grid(6, 4);
    const std::uint16_t codes[] = {'3', '7', '2', 'X', '[', '8' | ('<' << 8), '8' | ('K' << 8), '&'};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 6; ++c) land.terrain[r][c] = codes[(r * 6 + c) % 8];
    ASSERT_EQ(saveGroundColoursPcx(land, dir / "g.pcx"), ImageStatus::Ok);
    const auto rows = pixelsOf(readAll(dir / "g.pcx"));
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[3][0], 2);  // grid row 0 is the last file row
    EXPECT_EQ(rows[3][5], 12); // "8" under "<": the second byte decides
    EXPECT_EQ(rows[2][0], 31); // grid row 1 column 0: code 6, "8" under "K"
    EXPECT_EQ(rows[2][1], 16); // "&"

    Landscape back = grid(6, 4);
    back.terrain[1][1] = 0x4141; // an "&" pixel (16) has no single code: the cell stays
    ASSERT_EQ(loadGroundColoursPcx(dir / "g.pcx", back, *std::make_unique<ColourScheme>(), GroundPcxMode::TerrainType),
              ImageStatus::Ok);
    EXPECT_EQ(back.terrain[0][0], '3');
    EXPECT_EQ(back.terrain[0][1], '7');
    EXPECT_EQ(back.terrain[0][2], '2');
    EXPECT_EQ(back.terrain[0][3], 'X');
    EXPECT_EQ(back.terrain[0][4], '[');
    EXPECT_EQ(back.terrain[0][5], '<' << 8);
    EXPECT_EQ(back.terrain[1][0], 'K' << 8);
    EXPECT_EQ(back.terrain[1][1], 0x4141);
    EXPECT_EQ(back.terrainFrozen, 1);
}

TEST(GroundColourPcx, ColoursModeMatchesTheSchemeAndTakesTheUpperPalette)
{
    // Pixels 0, 1 and 200 by hand; palette entry e >= 128 is (e, e, e) except 200.
    const auto header = pcxHeaderBytes(3, 1);
    std::vector<std::uint8_t> file(header.begin(), header.end());
    for (const std::uint8_t v : {0, 1, 193, 200}) file.push_back(v);
    file.push_back(12);
    for (int e = 0; e < 256; ++e) {
        std::array<std::uint8_t, 3> c = {static_cast<std::uint8_t>(e), static_cast<std::uint8_t>(e),
                                         static_cast<std::uint8_t>(e)};
        if (e == 0) c = {10, 10, 10};
        if (e == 1) c = {250, 0, 0};
        if (e == 200) c = {1, 2, 3};
        file.insert(file.end(), c.begin(), c.end());
    }
    ColourScheme scheme{};
    scheme[4 * 5 + 1] = scheme[4 * 5 + 2] = scheme[4 * 5 + 3] = 12;
    scheme[4 * 9 + 1] = 240;
    Landscape land = grid(3, 1 + 2);
    land.terrain[0][0] = 0x4100; // the object byte survives
    ASSERT_EQ(decodeGroundColoursPcx(file, land, scheme, GroundPcxMode::Colours), ImageStatus::Ok);
    EXPECT_EQ(land.terrain[0][0], 0x4105);
    EXPECT_EQ(land.terrain[0][1], 9);
    EXPECT_EQ(land.terrain[0][2], 200);
    EXPECT_EQ(scheme[4 * 200 + 1], 1);
    EXPECT_EQ(scheme[4 * 200 + 3], 3);
    EXPECT_EQ(scheme[4 * 130 + 2], 130);
}

TEST(GroundColourPcx, SavingAsksForCurrentColoursFirst)
{
    TempDir dir("groundcmd");
    Landscape land = grid(4, 4);
    land.terrainValidAt = 256;
    ScriptedFrontend ui;
    ui.askAnswers.push_back(false); // "Quit"
    int recalculated = 0;
    const auto recalc = [&] {
        ++recalculated;
        land.terrainValidAt = 1;
        return true;
    };
    EXPECT_EQ(commandSaveGroundColoursPcx(ui, land, recalc, ""), -1);
    EXPECT_EQ(recalculated, 0);
    EXPECT_EQ(ui.questions.back(), "Need to calculate colors first! [OK|Quit]");

    ui.fileAnswers.push_back(dir / "g");
    EXPECT_EQ(commandSaveGroundColoursPcx(ui, land, recalc, ""), 1);
    EXPECT_EQ(recalculated, 1);
    EXPECT_TRUE(std::filesystem::exists(dir / "g.PCX"));
    EXPECT_EQ(ui.fileRequests.back().title, "Save grounc colors as PCX");
}

} // namespace
} // namespace kalvenor
