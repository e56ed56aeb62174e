#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <vector>

#include "platform/scripted_frontend.h"
#include "render/palette_selection.h"

namespace kalvenor {
namespace {

struct Colour {
    int r, g, b;
    bool operator==(const Colour&) const = default;
};

Colour entryOf(const DisplayPalette& p, int i)
{
    const std::size_t at = static_cast<std::size_t>(i) * 4;
    return {p.entries[at + 1], p.entries[at + 2], p.entries[at + 3]};
}

int cell(int r, int g, int b) { return (r << 10) | (g << 5) | b; }

std::unique_ptr<ColourHistogram> emptyHistogram()
{
    auto h = std::make_unique<ColourHistogram>();
    h->fill(0);
    return h;
}

// Each key worked out from the integer formulas: / truncates, h / 6 of a
// negative h wraps by 256.
TEST(PaletteHue, KeysOfColours)
{
    struct Case {
        Colour c;
        HueKey key;
    };
    const Case cases[] = {
        {{0, 0, 0}, {0, 0, 0}},
        {{128, 128, 128}, {0, 0, 128}},      // grey: no saturation, no hue
        {{255, 0, 0}, {0, 255, 255}},        // saturation 256 is held at 255
        {{0, 255, 0}, {85, 255, 255}},       // 512 / 6
        {{0, 0, 255}, {170, 255, 255}},      // 1024 / 6
        {{255, 255, 0}, {42, 255, 255}},     // red is tested first: 256 / 6
        {{200, 100, 50}, {14, 192, 200}},    // h = 12800 / 150 = 85
        {{255, 0, 128}, {235, 255, 255}},    // h = -32768 / 255 = -128, / 6 = -21, + 256
        {{8, 0, 8}, {214, 255, 8}},          // red wins the tie with blue: h = -256, / 6 = -42
        {{100, 200, 150}, {106, 128, 200}},  // 128 + 512 = 640
        {{40, 30, 200}, {173, 217, 200}},    // 2560 / 170 = 15, + 1024 = 1039
    };
    for (const Case& c : cases) {
        const HueKey k = hueKey(c.c.r, c.c.g, c.c.b);
        EXPECT_EQ(k.hue, c.key.hue) << c.c.r << "," << c.c.g << "," << c.c.b;
        EXPECT_EQ(k.saturation, c.key.saturation) << c.c.r << "," << c.c.g << "," << c.c.b;
        EXPECT_EQ(k.value, c.key.value) << c.c.r << "," << c.c.g << "," << c.c.b;
    }
}

TEST(PaletteHue, SortsByHueThenSaturationAndValueDescending)
{
    DisplayPalette p;
    const std::vector<Colour> before = {
        {8, 8, 8}, // entry 0 never moves
        {0, 0, 255}, {255, 2, 0}, {128, 128, 128}, {128, 0, 0}, {255, 128, 128}, {200, 200, 200}, {255, 0, 0},
    };
    for (std::size_t i = 0; i < before.size(); ++i)
        setPaletteEntry(p, static_cast<int>(i), before[i].r, before[i].g, before[i].b);
    // Entry 8 lies beyond the palette size and must not take part.
    setPaletteEntry(p, 8, 1, 1, 1);
    sortPaletteByHue(p, 8);
    const std::vector<Colour> after = {
        {8, 8, 8},
        {255, 2, 0}, {255, 0, 0}, // equal keys (hue 2 / 6 = 0): kept in their order
        {128, 0, 0},              // same hue and saturation, lower value
        {255, 128, 128},          // saturation 127
        {200, 200, 200}, {128, 128, 128}, // greys by value
        {0, 0, 255},
    };
    for (std::size_t i = 0; i < after.size(); ++i) EXPECT_EQ(entryOf(p, static_cast<int>(i)), after[i]) << i;
    EXPECT_EQ(entryOf(p, 8), (Colour{1, 1, 1}));
}

// Every cell holds 1; count what the removal empties around a cell.
TEST(PaletteSelection, NeighbourhoodRemoval)
{
    struct Case {
        Colour at;
        std::uint32_t q;
        std::uint32_t cleared;
    };
    const Case cases[] = {
        {{10, 10, 10}, 0, 1},   {{10, 10, 10}, 1, 4},   {{10, 10, 10}, 2, 7},
        {{10, 10, 10}, 3, 27},  // radius trunc(1 / 2) = 0 is raised to 1
        {{10, 10, 10}, 15, 27}, {{10, 10, 10}, 16, 125}, {{10, 10, 10}, 35, 125}, {{10, 10, 10}, 36, 343},
        {{0, 0, 0}, 1, 1},      // the lower neighbours lie outside the cube
        {{0, 0, 0}, 2, 4},      {{0, 0, 0}, 16, 27},    {{31, 31, 31}, 1, 4},     {{31, 31, 31}, 2, 4},
        {{31, 0, 15}, 3, 2 * 2 * 3},
    };
    for (const Case& c : cases) {
        auto h = std::make_unique<ColourHistogram>();
        h->fill(1);
        SelectionCounts counts = countHistogram(*h);
        ASSERT_EQ(counts.cells, 32768u);
        clearNeighbourhood(*h, cell(c.at.r, c.at.g, c.at.b), c.q, counts);
        EXPECT_EQ(32768u - counts.cells, c.cleared) << c.at.r << "," << c.at.g << "," << c.at.b << " q " << c.q;
        EXPECT_EQ(countHistogram(*h).cells, counts.cells);
        EXPECT_EQ(counts.weight, counts.cells);
    }

    // q = 1 takes the lower neighbours only; empty cells do not count.
    auto h = emptyHistogram();
    const int around[][3] = {{5, 5, 5}, {4, 5, 5}, {5, 4, 5}, {6, 5, 5}, {5, 5, 6}};
    for (const auto& a : around) (*h)[static_cast<std::size_t>(cell(a[0], a[1], a[2]))] = 10;
    SelectionCounts counts = countHistogram(*h);
    clearNeighbourhood(*h, cell(5, 5, 5), 1, counts);
    EXPECT_EQ(counts.cells, 2u);
    EXPECT_EQ(counts.weight, 20u);
    EXPECT_EQ((*h)[static_cast<std::size_t>(cell(6, 5, 5))], 10);
    EXPECT_EQ((*h)[static_cast<std::size_t>(cell(5, 5, 6))], 10);
}

TEST(PaletteSelection, PicksHeaviestAndEveryFourthTheRarest)
{
    auto h = emptyHistogram();
    EXPECT_EQ(pickCell(*h, 1), 0); // all empty
    EXPECT_EQ(pickCell(*h, 4), 0);
    (*h)[100] = 32767; // too heavy to count as rare
    (*h)[200] = 40000;
    EXPECT_EQ(pickCell(*h, 4), 0);
    (*h)[300] = 40000;
    EXPECT_EQ(pickCell(*h, 1), 200); // first of the tie
    (*h)[400] = 7;
    (*h)[500] = 7;
    (*h)[600] = 32766;
    EXPECT_EQ(pickCell(*h, 8), 400);
    EXPECT_EQ(pickCell(*h, 5), 200);
}

// cells 5, colours left 4: q = 5 / 4 - 1 = 0 for the first picks, so only the
// picked cells go; entry 4 takes the rarest cell although a heavier one is left.
TEST(PaletteSelection, ChoosesByPopularityAndSortsByHue)
{
    auto h = emptyHistogram();
    const int green = cell(0, 31, 0), blue = cell(5, 5, 30), grey = cell(10, 10, 10), red = cell(20, 5, 5),
              white = cell(30, 30, 30);
    (*h)[static_cast<std::size_t>(green)] = 40000;
    (*h)[static_cast<std::size_t>(blue)] = 40000;
    (*h)[static_cast<std::size_t>(grey)] = 100;
    (*h)[static_cast<std::size_t>(red)] = 80;
    (*h)[static_cast<std::size_t>(white)] = 5;
    DisplayPalette p;
    setPaletteEntry(p, 0, 9, 9, 9);
    ScriptedFrontend ui;
    ASSERT_EQ(selectPalette(*h, 5, p, ui), 1);
    // Picked green, blue, grey, white; sorted: greys by value, then hue 85, hue 170.
    const Colour expected[] = {{0, 0, 0}, {240, 240, 240}, {80, 80, 80}, {0, 248, 0}, {40, 40, 240}};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(entryOf(p, i), expected[i]) << i;
    EXPECT_EQ(ui.polls, 4);
    EXPECT_EQ(ui.progressLines.front(), "Palette: 20%");
    EXPECT_EQ(ui.progressLines.back(), "Palette: 80%");
}

// cells 4, colours left 2: q = 4 / 2 - 1 = 1, so the first pick also empties
// its r - 1 neighbour, and the second pick is the b + 1 neighbour instead.
TEST(PaletteSelection, RemovalSpreadsThePicks)
{
    auto h = emptyHistogram();
    (*h)[static_cast<std::size_t>(cell(2, 2, 20))] = 100;
    (*h)[static_cast<std::size_t>(cell(1, 2, 20))] = 90;
    (*h)[static_cast<std::size_t>(cell(2, 2, 21))] = 80;
    (*h)[static_cast<std::size_t>(cell(25, 25, 25))] = 10;
    DisplayPalette p;
    ScriptedFrontend ui;
    ASSERT_EQ(selectPalette(*h, 3, p, ui), 1);
    // Picked (16,16,160) then (16,16,168); both hue 170, the second more saturated (231 > 230).
    EXPECT_EQ(entryOf(p, 1), (Colour{16, 16, 168}));
    EXPECT_EQ(entryOf(p, 2), (Colour{16, 16, 160}));
}

TEST(PaletteSelection, TwoColoursAreBlackAndTheMostFrequent)
{
    auto h = emptyHistogram();
    (*h)[static_cast<std::size_t>(cell(3, 7, 31))] = 9;
    (*h)[static_cast<std::size_t>(cell(31, 31, 31))] = 8;
    DisplayPalette p;
    ScriptedFrontend ui;
    ASSERT_EQ(selectPalette(*h, 2, p, ui), 1);
    EXPECT_EQ(entryOf(p, 0), (Colour{0, 0, 0}));
    EXPECT_EQ(entryOf(p, 1), (Colour{24, 56, 248}));
    // A size outside 2..256 is held there.
    EXPECT_EQ(clampPaletteColours(1), 2);
    EXPECT_EQ(clampPaletteColours(300), 256);
}

TEST(PaletteSelection, AbortLeavesThePicksSoFarUnsorted)
{
    auto h = emptyHistogram();
    (*h)[static_cast<std::size_t>(cell(0, 0, 31))] = 50; // blue first, red second: the sort would swap them
    (*h)[static_cast<std::size_t>(cell(31, 0, 0))] = 40;
    (*h)[static_cast<std::size_t>(cell(0, 31, 0))] = 30;
    DisplayPalette p;
    ScriptedFrontend ui;
    ui.abortOnPoll = 3;
    EXPECT_EQ(selectPalette(*h, 256, p, ui), -1);
    EXPECT_EQ(entryOf(p, 1), (Colour{0, 0, 248}));
    EXPECT_EQ(entryOf(p, 2), (Colour{248, 0, 0}));
    EXPECT_EQ(entryOf(p, 3), (Colour{0, 0, 0}));
}

} // namespace
} // namespace kalvenor
