// The colour editor: its conversions and entry operations worked out by hand,
// and the modal panel driven by clicks and keys (Cancel gives everything back).
#include <gtest/gtest.h>

#include <vector>

#include "panels/colour_editor.h"
#include "panels/key_codes.h"
#include "panels/scripted_input.h"

namespace kalvenor {
namespace {

void setColour(SchemeTable& scheme, int code, int r, int g, int b)
{
    const std::size_t at = static_cast<std::size_t>(code) * 4;
    scheme[at + 1] = static_cast<std::uint8_t>(r);
    scheme[at + 2] = static_cast<std::uint8_t>(g);
    scheme[at + 3] = static_cast<std::uint8_t>(b);
}

std::vector<int> colourOf(const SchemeTable& scheme, int code)
{
    const std::size_t at = static_cast<std::size_t>(code) * 4;
    return {scheme[at + 1], scheme[at + 2], scheme[at + 3]};
}

TEST(ColourEditor, ConversionsBetweenRgbAndHsv)
{
    const struct {
        int r, g, b, h, s, v;
        int backR, backG, backB;
    } cases[] = {
        {255, 0, 0, 0, 255, 255, 255, 0, 0},      // pure red, and back
        {100, 100, 100, 0, 0, 100, 100, 100, 100}, // grey: no hue, no saturation
        {0, 0, 0, 0, 0, 0, 0, 0, 0},
        // Green: h = 512 / 6 = 85; back: sector 1, f 42, q = ((256 - 251) x 255) >> 8 = 4.
        {0, 255, 0, 85, 255, 255, 4, 255, 0},
    };
    for (const auto& c : cases) {
        const Hsv hsv = rgbToHsv(c.r, c.g, c.b);
        EXPECT_EQ(hsv.h, c.h) << c.r << "," << c.g << "," << c.b;
        EXPECT_EQ(hsv.s, c.s);
        EXPECT_EQ(hsv.v, c.v);
        const EditorRgb back = hsvToRgb(hsv.h, hsv.s, hsv.v);
        EXPECT_EQ(back.r, c.backR);
        EXPECT_EQ(back.g, c.backG);
        EXPECT_EQ(back.b, c.backB);
    }
    EXPECT_EQ(hsvToRgb(255, 255, 255).r, 255); // hue 255 is hue 0
    EXPECT_EQ(hsvToRgb(255, 255, 255).g, 0);
}

// Snow 4 (position 0) to Bare 4 (position 4): Snow 3, 2 and 1 take a + ((b - a) x k) / 4.
TEST(ColourEditor, SpreadCopyAndSwapBetweenEntries)
{
    SchemeTable scheme{};
    AttributeTable attributes{};
    setColour(scheme, 45, 0, 0, 0);
    setColour(scheme, 41, 200, 100, 40);
    SchemeTable other = scheme;
    spreadEntries(scheme, attributes, EditorPage::Colours, 45, 41);
    EXPECT_EQ(colourOf(scheme, 44), (std::vector<int>{50, 25, 10}));
    EXPECT_EQ(colourOf(scheme, 43), (std::vector<int>{100, 50, 20}));
    EXPECT_EQ(colourOf(scheme, 42), (std::vector<int>{150, 75, 30}));
    EXPECT_EQ(colourOf(scheme, 41), (std::vector<int>{200, 100, 40}));
    spreadEntries(other, attributes, EditorPage::Colours, 41, 45); // the other click order
    EXPECT_EQ(other, scheme);
    const SchemeTable before = scheme;
    spreadEntries(scheme, attributes, EditorPage::Colours, 44, 43); // neighbours: nothing
    EXPECT_EQ(scheme, before);

    // Attributes: all five bytes, the colours untouched.
    for (std::size_t i = 0; i < 5; ++i) attributes[45 * 5 + i] = static_cast<std::uint8_t>(10 * (i + 1));
    copyEntry(scheme, attributes, EditorPage::Attributes, 45, 88);
    for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(attributes[88 * 5 + i], 10 * (i + 1));
    EXPECT_EQ(scheme, before);
    swapEntries(scheme, attributes, EditorPage::Colours, 45, 41);
    EXPECT_EQ(colourOf(scheme, 45), (std::vector<int>{200, 100, 40}));
    EXPECT_EQ(colourOf(scheme, 41), (std::vector<int>{0, 0, 0}));

    // Attribute ranges: 0 radius or sharpness is 1; 150 flare brightness is 100.
    EXPECT_EQ(clampAttribute(3, 0), 1);
    EXPECT_EQ(clampAttribute(1, 0), 1);
    EXPECT_EQ(clampAttribute(2, 150), 100);
    EXPECT_EQ(clampAttribute(0, 300), 255);
    EXPECT_EQ(clampAttribute(4, -3), 0);
    EXPECT_EQ(editorPosition(26), 42);
    EXPECT_EQ(editorPosition(27), -1);
}

// The panel at (80, 10): swatch i of the group shown at (90 + 124 (i % 5), 92 + 22 (i / 5)).
class EditorPanel : public ::testing::Test {
protected:
    Surface s;
    ScriptedInput input;
    SchemeTable scheme{};
    AttributeTable attributes{};

    void SetUp() override
    {
        for (std::size_t i = 0; i < 256; ++i) setColour(scheme, static_cast<int>(i), 7, 8, 9);
        for (std::size_t i = 0; i < attributes.size(); ++i) attributes[i] = 50;
        setColour(scheme, 45, 0, 0, 0);
        setColour(scheme, 41, 200, 100, 40);
    }

    void swatch(int position) { input.click(100 + 124 * (position % 5), 102 + 22 * (position / 5)); }
    void button(int x, int y) { input.click(80 + x + 12, 10 + y + 8); }
};

TEST_F(EditorPanel, SpreadByClicksThenCancelGivesEverythingBack)
{
    const SchemeTable scheme0 = scheme;
    const AttributeTable attributes0 = attributes;
    swatch(4);           // Bare 4
    button(528, 428);    // Spread
    swatch(0);           // Snow 4
    // The red field of Snow 4: emptied and typed.
    input.click(80 + 172 + 20, 10 + 262 + 6);
    for (int i = 0; i < 4; ++i) input.key(kKeyBackspace);
    input.key('1');
    input.key('7');
    input.key(kKeyEnter);
    button(130, 28);     // Attributes page
    input.click(80 + 172 + 20, 10 + 262 + 26 * 3 + 6); // flare radius
    for (int i = 0; i < 4; ++i) input.key(kKeyBackspace);
    input.key('0');
    input.key(kKeyEnter);
    int renders = 0;
    SchemeTable seen{};
    input.events.push_back({InputKind::LeftDown, 80 + 432 + 12, 10 + 458 + 8});
    input.events.push_back({InputKind::LeftUp, 80 + 432 + 12, 10 + 458 + 8});
    button(432, 488);    // Cancel
    EXPECT_EQ(runColourEditor(s, input, scheme, attributes, 45, [&] {
                  ++renders;
                  seen = scheme;
              }),
              0);
    EXPECT_EQ(renders, 1);
    EXPECT_EQ(colourOf(seen, 44), (std::vector<int>{50, 25, 10})); // the render saw the spread
    EXPECT_EQ(colourOf(seen, 45), (std::vector<int>{17, 0, 0}));    // and the typed red
    EXPECT_EQ(scheme, scheme0);
    EXPECT_EQ(attributes, attributes0);
}

TEST_F(EditorPanel, AcceptKeepsTheEditsAndEscCancels)
{
    swatch(4);
    button(528, 428); // Spread from Bare 4 ...
    swatch(0);        // ... to Snow 4
    button(130, 28);  // Attributes
    input.click(80 + 172 + 20, 10 + 262 + 26 * 2 + 6); // flare intensity of Snow 4
    for (int i = 0; i < 4; ++i) input.key(kKeyBackspace);
    for (const char c : {'1', '5', '0'}) input.key(c);
    input.key(kKeyEnter);
    button(336, 488); // Accept
    EXPECT_EQ(runColourEditor(s, input, scheme, attributes, 45, {}), 1);
    EXPECT_EQ(colourOf(scheme, 43), (std::vector<int>{100, 50, 20}));
    EXPECT_EQ(attributes[45 * 5 + 2], 100); // 150 held to the flare's range

    const SchemeTable kept = scheme;
    swatch(1);
    button(336, 428); // Copy Snow 3 ...
    swatch(2);        // ... onto Snow 2
    input.key(kKeyEscape);
    EXPECT_EQ(runColourEditor(s, input, scheme, attributes, 45, {}), 0);
    EXPECT_EQ(scheme, kept);
}

// The group tabs show each group's swatches; a spread armed in one group
// goes on to an entry of another (Bare 1 at position 7 to Cliff 2 at 14).
TEST_F(EditorPanel, ASpreadReachesAcrossGroups)
{
    setColour(scheme, 38, 0, 0, 0);     // Bare 1
    setColour(scheme, 47, 140, 70, 210); // Cliff 2
    swatch(7);                          // Bare 1
    button(528, 428);                   // Spread
    input.click(80 + 212 + 12, 10 + 54 + 8); // the Cliff tab
    swatch(2);                          // Cliff 2, the third of its group
    button(336, 488);                   // Accept
    EXPECT_EQ(runColourEditor(s, input, scheme, attributes, 45, {}), 1);
    // Positions 8 .. 13 (Tree 4 .. 1, Cliff 4, Cliff 3): a + (b - a) k / 7.
    EXPECT_EQ(colourOf(scheme, 59), (std::vector<int>{20, 10, 30}));
    EXPECT_EQ(colourOf(scheme, 48), (std::vector<int>{120, 60, 180}));
}

} // namespace
} // namespace kalvenor
