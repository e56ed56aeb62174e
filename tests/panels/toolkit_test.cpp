// The panel toolkit on the in-memory surface, driven by scripted input: what
// each gadget kind reports, radio groups, menus, hover help, the two-button
// requester's size, placement and answers, and the main window's tabs.
#include <gtest/gtest.h>

#include <deque>
#include <string>

#include "model/landscape.h"
#include "model/random_streams.h"
#include "panels/key_codes.h"
#include "panels/main_panel.h"
#include "panels/panel_style.h"
#include "panels/toolkit.h"
#include "panels/scripted_input.h"

namespace kalvenor {
namespace {

// The status line as showStatus draws text.
Surface statusOf(std::string_view text)
{
    Surface s;
    showStatus(s, text);
    return s;
}

bool sameStatusLine(const Surface& a, const Surface& b)
{
    for (int y = kStatusY; y < kStatusY + 16; ++y)
        for (int x = kStatusX; x < kSurfaceWidth - kStatusX; ++x)
            if (a.at(x, y) != b.at(x, y)) return false;
    return true;
}

class Toolkit : public ::testing::Test {
protected:
    Surface s;
    ScriptedInput input;
    PanelInstance panel;

    void SetUp() override
    {
        panel = openPanel(s, 100, 50, 300, 200, false);
        panel.gadgets = {
            Gadget{.kind = kGadgetButton, .x = 10, .y = 10, .id = 1091, .text = "Smooth", .help = "Smooth it."},
            Gadget{.kind = kGadgetButton, .flags = 1, .x = 10, .y = 40, .id = 1192, .state = 1,
                   .text = "  Draw as 2D  "},
            Gadget{.kind = kGadgetButton, .flags = 1, .x = 10, .y = 70, .id = 1193, .text = "  Draw as 3D  "},
            Gadget{.kind = kGadgetButton, .flags = 8, .x = 150, .y = 40, .id = 1196, .state = 1, .text = "L"},
            Gadget{.kind = kGadgetButton, .x = 150, .y = 70, .id = 1212, .text = "  Off ", .alternate = "  On  "},
            Gadget{.kind = kGadgetArea, .x = 150, .y = 120, .id = 1500, .width = 40, .height = 30},
            Gadget{.kind = kGadgetLabel, .x = 10, .y = 150, .text = "Shadows"},
        };
        drawGadgets(s, panel);
    }

    // A point inside gadget i.
    std::pair<int, int> inside(std::size_t i) const
    {
        const Gadget& g = panel.gadgets[i];
        return {panel.left + (g.x0 + g.x1) / 2, panel.top + (g.y0 + g.y1) / 2};
    }
};

TEST_F(Toolkit, ButtonsReportWhenReleasedInsideAndRadioGroupsKeepOneOn)
{
    auto [x, y] = inside(0);
    input.click(x, y);
    EXPECT_EQ(readGadget(s, panel, input).code, 1091);
    EXPECT_EQ(panel.gadgets[0].state, 0); // a push button springs back

    // Released outside: as it was, nothing reported (the reading goes on to the next event).
    input.click(x, y, 5, 5);
    input.key(kKeyEscape);
    EXPECT_EQ(readGadget(s, panel, input).code, keyResult(kKeyEscape));
    EXPECT_EQ(panel.gadgets[0].state, 0);

    // "Draw as 3D" clears "Draw as 2D" (group 1) and leaves "L" (group 8) alone.
    std::tie(x, y) = inside(2);
    input.click(x, y);
    EXPECT_EQ(readGadget(s, panel, input).code, 1193);
    EXPECT_EQ(panel.gadgets[2].state, 1);
    EXPECT_EQ(panel.gadgets[1].state, 0);
    EXPECT_EQ(panel.gadgets[3].state, 1);
    // Clicking the one that is on keeps it on.
    input.click(x, y);
    EXPECT_EQ(readGadget(s, panel, input).code, 1193);
    EXPECT_EQ(panel.gadgets[2].state, 1);

    // A toggle switches and shows its other label.
    std::tie(x, y) = inside(4);
    input.click(x, y);
    EXPECT_EQ(readGadget(s, panel, input).code, 1212);
    EXPECT_EQ(panel.gadgets[4].state, 1);
    input.click(x, y);
    EXPECT_EQ(readGadget(s, panel, input).code, 1212);
    EXPECT_EQ(panel.gadgets[4].state, 0);

    // An area reports at once; a click on no gadget gives 0 and where; a right click 3; keys 0x10000 + code.
    std::tie(x, y) = inside(5);
    input.events.push_back({InputKind::LeftDown, x, y});
    EXPECT_EQ(readGadget(s, panel, input).code, 1500);
    input.events.push_back({InputKind::LeftDown, 120, 230});
    const GadgetResult none = readGadget(s, panel, input);
    EXPECT_EQ(none.code, 0);
    EXPECT_EQ(none.x, 120);
    input.events.push_back({InputKind::RightDown, 120, 230});
    EXPECT_EQ(readGadget(s, panel, input).code, 3);
    input.key(kKeyEnter);
    EXPECT_EQ(readGadget(s, panel, input).code, 0x11C0D);
    EXPECT_EQ(readGadget(s, panel, input).code, -1); // nothing more: closing
}

// A slider: pressed, the thumb jumps to the pointer and follows it while the
// button is held; the position (0 at the left end, range at the right) is
// reported at the release.
TEST(Slider, FollowsThePointerAndReportsAtTheRelease)
{
    Surface s;
    ScriptedInput input;
    PanelInstance panel = openPanel(s, 100, 100, 300, 100, false);
    // 216 pixels long: the 12-pixel thumb travels 204 pixels for positions 0 to 255.
    panel.gadgets = {Gadget{.kind = kGadgetHSlider, .x = 10, .y = 10, .id = 1318, .width = 216, .height = 14,
                            .value = 192, .range = 255}};
    drawGadgets(s, panel);
    input.events.push_back({InputKind::LeftDown, 110 + 6, 115}); // the thumb's centre at the left end
    input.move(110 + 6 + 102, 115);                              // half way
    input.move(900, 115);                                        // beyond the right end
    input.events.push_back({InputKind::LeftUp, 110 + 6 + 102, 140});
    EXPECT_EQ(readGadget(s, panel, input).code, 1318);
    EXPECT_EQ(panel.gadgets[0].value, 128); // 102 of 204 pixels: (102 x 255 + 102) / 204
    input.events.push_back({InputKind::LeftDown, 0, 115}); // outside: nothing
    input.click(110 + 214, 115);                           // near the right end: the thumb goes to the end
    EXPECT_EQ(readGadget(s, panel, input).code, 0);
    EXPECT_EQ(readGadget(s, panel, input).code, 1318);
    EXPECT_EQ(panel.gadgets[0].value, 255);
}

TEST_F(Toolkit, ThePointerShowsTheHelpOfTheGadgetUnderIt)
{
    auto [x, y] = inside(0);
    input.move(x, y);
    input.key(kKeyEnter);
    readGadget(s, panel, input);
    EXPECT_TRUE(sameStatusLine(s, statusOf("Smooth it.")));
    input.move(5, 5); // over no gadget: the line is cleared
    input.key(kKeyEnter);
    readGadget(s, panel, input);
    EXPECT_TRUE(sameStatusLine(s, statusOf("")));
}

TEST(TwoButtonRequester, SizeAndPlacement)
{
    const RequesterPlace none;
    // 20 characters: the least width; 60: 60 x 8 + 16.
    EXPECT_EQ(requesterBox(none, std::string(20, 'x'), 400, 300).width, 320);
    EXPECT_EQ(requesterBox(none, std::string(60, 'x'), 400, 300).width, 496);
    // Centred on the pointer, and kept on the surface.
    const RequesterPlace centred = requesterBox(none, "Accept river?", 400, 300);
    EXPECT_EQ(centred.left, 400 - 160);
    EXPECT_EQ(centred.top, 300 - 42);
    const RequesterPlace corner = requesterBox(none, "Accept river?", 780, 5);
    EXPECT_EQ(corner.left, kSurfaceWidth - 320);
    EXPECT_EQ(corner.top, 0);
    // The pointer inside the last box: the new one opens there.
    const RequesterPlace again = requesterBox(centred, "Replace out.scr ?", 300, 290);
    EXPECT_EQ(again.left, centred.left);
    EXPECT_EQ(again.top, centred.top);
    // Outside it: centred on the pointer again.
    EXPECT_NE(requesterBox(centred, "Replace out.scr ?", 700, 100).left, centred.left);
}

TEST(TwoButtonRequester, AnswersAndLeavesThePixelsAsTheyWere)
{
    Surface s;
    fillRect(s, 0, 0, kSurfaceWidth - 1, kSurfaceHeight - 1, rgb(10, 20, 30));
    const Surface before = s;
    ScriptedInput input;
    RequesterPlace place;

    input.key(kKeyEnter);
    EXPECT_EQ(twoButtonRequester(s, input, place, "Accept river?", "Yes", "No", 400, 300), 1);
    EXPECT_EQ(s.pixels, before.pixels);
    input.key(kKeyEscape);
    EXPECT_EQ(twoButtonRequester(s, input, place, "Accept river?", "Yes", "No", 400, 300), 0);
    EXPECT_EQ(twoButtonRequester(s, input, place, "Accept river?", "Yes", "No", 400, 300), 0); // closing

    // The buttons: the first at 16 from the left, the second 16 from the right, both 52 down.
    const RequesterPlace box = requesterBox(place, "Accept river?", 400, 300);
    input.click(box.left + 20, box.top + 60);
    EXPECT_EQ(twoButtonRequester(s, input, place, "Accept river?", "Yes", "No", 400, 300), 1);
    input.click(box.left + box.width - 20, box.top + 60);
    EXPECT_EQ(twoButtonRequester(s, input, place, "Accept river?", "Yes", "No", 400, 300), 0);
    EXPECT_EQ(s.pixels, before.pixels);

    // A click beside the box moves it so the click lies 8 pixels inside; it stays there for the next one.
    input.events.push_back({InputKind::LeftDown, box.left - 50, box.top + 10});
    input.key(kKeyEnter);
    EXPECT_EQ(twoButtonRequester(s, input, place, "Accept river?", "Yes", "No", 400, 300), 1);
    EXPECT_EQ(place.left, box.left - 58);
    EXPECT_EQ(place.top, box.top);
    EXPECT_EQ(s.pixels, before.pixels);
}

// Over the map the pointer's moves come back for the read-out, a click as a
// click on no gadget; over a gadget beside the map its help shows as before,
// and a redrawn surface keeps it so.
TEST(MainWindow, MovesOverTheMapAreReportedForTheReadOut)
{
    Surface s;
    MainPanel main;
    Landscape land;
    RandomStreams random;
    ASSERT_EQ(resizeLandscape(land, random, kSmallGrid, kSmallGrid), 1);
    computeElevationStatistics(land);
    drawMainSurface(s, main, land);
    drawMainSurface(s, main, land);
    std::vector<DrawnText> drawn;
    s.textLog = &drawn;
    ScriptedInput input;
    input.move(100, 120);
    input.move(36, 145); // the map's "+"
    input.click(120, 130);
    const GadgetResult moved = readGadget(s, main.frame, input);
    EXPECT_EQ(moved.code, kPointerMoved);
    EXPECT_EQ(moved.x, 100);
    EXPECT_EQ(moved.y, 120);
    const GadgetResult clicked = readGadget(s, main.frame, input);
    EXPECT_EQ(clicked.code, 0);
    EXPECT_EQ(clicked.x, 120);
    ASSERT_FALSE(drawn.empty());
    EXPECT_EQ(drawn.back().text, "Zoom in on topographic map.");
}

TEST(MainWindow, TabsOpenTheirPanelsAndShowTheirHelp)
{
    Surface s;
    MainPanel main;
    Landscape land;
    RandomStreams random;
    ASSERT_EQ(resizeLandscape(land, random, kSmallGrid, kSmallGrid), 1);
    computeElevationStatistics(land);
    drawMainSurface(s, main, land);

    // Every tab at x = 673, in its place, with its help.
    int tabs = 0;
    for (const Gadget& g : main.frame.gadgets)
        if (g.kind == kGadgetTab) {
            ++tabs;
            EXPECT_EQ(g.x, 673);
            EXPECT_NE(tabPanel(g.id), nullptr);
            EXPECT_FALSE(g.help.empty());
        }
    EXPECT_EQ(tabs, 14);

    ScriptedInput input;
    const auto at = [&](int id) {
        for (const Gadget& g : main.frame.gadgets)
            if (g.id == id) return std::pair{(g.x0 + g.x1) / 2, (g.y0 + g.y1) / 2};
        return std::pair{-1, -1};
    };
    auto [x, y] = at(1288); // "Tree"
    input.move(x, y);
    input.events.push_back({InputKind::LeftDown, x, y});
    const GadgetResult r = readGadget(s, main.frame, input);
    EXPECT_EQ(r.code, 1288);
    EXPECT_TRUE(sameStatusLine(s, statusOf("Tree controls.")));

    ASSERT_TRUE(openTab(s, main, 1288));
    ASSERT_TRUE(main.open);
    EXPECT_EQ(main.open->left, 372);
    EXPECT_EQ(main.open->top, 8);
    EXPECT_EQ(main.open->width, 300);
    EXPECT_EQ(main.open->gadgets.front().text, "        Tree controls        ");
    // The title is drawn: the panel is not blank where it stands.
    bool inked = false;
    for (int px = 372 + 40; px < 372 + 260; ++px) inked |= s.at(px, 8 + 8 + 6) == panel_colour::kText;
    EXPECT_TRUE(inked);

    // Another tab: the first one cleared, its panel replaced.
    ASSERT_TRUE(openTab(s, main, 1283));
    for (const Gadget& g : main.frame.gadgets)
        if (g.kind == kGadgetTab) {
            EXPECT_EQ(g.state, g.id == 1283 ? 1 : 0) << g.id;
        }
    EXPECT_EQ(main.open->gadgets.front().text, "Camera controls");
    EXPECT_FALSE(openTab(s, main, 1061));

    // The menus: a click on "Project", then on "Exit".
    std::tie(x, y) = at(1000);
    input.events.push_back({InputKind::LeftDown, x, y});
    input.events.push_back({InputKind::LeftUp, x, y});
    // The list opens below the title: nine items of 16 pixels from 4 below its top, Exit the last.
    const int listTop = 8 + 15 + 2 + 1;
    input.move(20, listTop + 4 + 8 * 16 + 8);
    input.click(20, listTop + 4 + 8 * 16 + 8);
    EXPECT_EQ(readGadget(s, main.frame, input).code, 1075);
}

} // namespace
} // namespace kalvenor
