// Fields edited in place and the requesters built on them, on the in-memory
// surface with scripted input.
#include <gtest/gtest.h>

#include <algorithm>

#include "panels/key_codes.h"
#include "panels/requesters.h"
#include "panels/scripted_input.h"
#include "panels/toolkit.h"

namespace kalvenor {
namespace {

class Fields : public ::testing::Test {
protected:
    Surface s;
    ScriptedInput input;
    PanelInstance panel;

    void SetUp() override
    {
        panel = openPanel(s, 100, 100, 300, 200, false);
        Gadget whole{.kind = kGadgetInteger, .x = 10, .y = 10, .id = 1177, .chars = 6};
        setFieldValue(whole, 42);
        Gadget decimal{.kind = kGadgetDecimal, .x = 10, .y = 40, .id = 1170, .chars = 8, .decimals = 2};
        setFieldNumber(decimal, 1.5);
        Gadget button{.kind = kGadgetButton, .x = 10, .y = 80, .id = 1061, .text = "Render"};
        panel.gadgets = {whole, decimal, button};
        drawGadgets(s, panel);
    }

    // A click on a character cell of a field (its last one at most), or on a button.
    void clickAt(std::size_t i, int cell = 0)
    {
        const Gadget& g = panel.gadgets[i];
        cell = std::min(cell, std::max(g.chars - 1, 0));
        input.click(panel.left + g.x0 + 2 + cell * 8 + 3, panel.top + g.y0 + 5);
    }
    void type(std::string_view keys)
    {
        for (const char c : keys) input.key(c == '-' ? static_cast<int>(kKeyMinus) : c);
    }
};

TEST_F(Fields, IntegerFieldsTakeDigitsAndALeadingMinusOnly)
{
    EXPECT_EQ(panel.gadgets[0].text, "    42"); // right-aligned in its six characters
    clickAt(0);                                  // the cursor before "42"
    type("-");
    input.key(kKeyRight);
    type("-9"); // "-" is refused past the first position: "-492"
    input.key(kKeyEnd);
    type("7");
    input.key(kKeyEnter);
    const GadgetResult r = readGadget(s, panel, input);
    EXPECT_EQ(r.code, 1177);
    EXPECT_EQ(r.key, kKeyEnter);
    EXPECT_EQ(panel.gadgets[0].value, -4927);
    EXPECT_EQ(panel.gadgets[0].text, " -4927");

    // No more text than the field shows; Backspace and Delete edit at the cursor.
    clickAt(0, 9); // right of the text: the cursor at its end
    type("123");   // room for one: "-49271"
    input.key(kKeyHome);
    input.key(kKeyDelete);
    input.key(kKeyEnd);
    input.key(kKeyBackspace);
    input.key(kKeyTab);
    EXPECT_EQ(readGadget(s, panel, input).code, 1177);
    EXPECT_EQ(panel.gadgets[0].value, 4927);
}

TEST_F(Fields, EscAndTheRightButtonPutTheOldTextBack)
{
    clickAt(0);
    type("555");
    input.key(kKeyEscape);
    EXPECT_EQ(readGadget(s, panel, input).code, keyResult(kKeyEscape));
    EXPECT_EQ(panel.gadgets[0].text, "    42");
    EXPECT_EQ(panel.gadgets[0].value, 42);

    clickAt(0);
    type("555");
    input.events.push_back({InputKind::RightDown, 0, 0});
    input.key(kKeyF10);
    EXPECT_EQ(readGadget(s, panel, input).code, keyResult(kKeyF10));
    EXPECT_EQ(panel.gadgets[0].value, 42);
}

TEST_F(Fields, AClickElsewhereStoresTheFieldAndCountsWhereItLanded)
{
    clickAt(0, 9);
    type("0");
    clickAt(2);
    GadgetResult r = readGadget(s, panel, input);
    EXPECT_EQ(r.code, 1177);
    EXPECT_EQ(r.key, 0);
    EXPECT_EQ(panel.gadgets[0].value, 420);
    r = readGadget(s, panel, input); // the same click pressed the button
    EXPECT_EQ(r.code, 1061);
}

TEST_F(Fields, DecimalFieldsTakeOnePointAndShowTheirDigits)
{
    EXPECT_EQ(panel.gadgets[1].text, "    1.50");
    clickAt(1, 9);
    input.key(kKeyBackspace);
    input.key(kKeyBackspace);
    input.key(kKeyBackspace);
    type("..25.");
    input.key(kKeyEnter);
    EXPECT_EQ(readGadget(s, panel, input).code, 1170);
    EXPECT_DOUBLE_EQ(panel.gadgets[1].number, 1.25);
    EXPECT_EQ(panel.gadgets[1].text, "    1.25");
    // A bare "-" is 0.
    clickAt(1);
    for (int i = 0; i < 4; ++i) input.key(kKeyDelete);
    type("-");
    input.key(kKeyEnter);
    EXPECT_EQ(readGadget(s, panel, input).code, 1170);
    EXPECT_DOUBLE_EQ(panel.gadgets[1].number, 0.0);
}

// The requesters answer by keys and by their buttons, and leave the pixels beneath as they were.
TEST(Requesters, NumberTypedAtTheEndOfTheOfferedValue)
{
    Surface s;
    fillRect(s, 0, 0, kSurfaceWidth - 1, kSurfaceHeight - 1, rgb(10, 200, 30));
    const Surface before = s;
    ScriptedInput input;
    RequesterPlace place;
    input.key(kKeyBackspace);
    input.key('5');
    input.key(kKeyEnter);
    EXPECT_EQ(numberRequester(s, input, place, "Set priority:", 0, 400, 300), 5L);
    EXPECT_EQ(s.pixels, before.pixels);

    input.key('7');
    input.key(kKeyEscape);
    EXPECT_EQ(numberRequester(s, input, place, "Set priority:", 0, 400, 300), std::nullopt);

    // Typing then clicking OK (the pointer inside the last box keeps it there).
    input.key('1');
    input.key('2');
    const int okX = place.left + 24, okY = place.top + place.height - 8 - 24 + 8;
    input.click(okX, okY);
    EXPECT_EQ(numberRequester(s, input, place, "Number of frames?", 3, place.left + 5, place.top + 5), 312L);
    EXPECT_EQ(s.pixels, before.pixels);

    // Closing the program cancels.
    EXPECT_EQ(numberRequester(s, input, place, "Number of frames?", 3, 400, 300), std::nullopt);
}

TEST(Requesters, SeveralNumbersWithTabBetweenThem)
{
    Surface s;
    ScriptedInput input;
    RequesterPlace place;
    input.key(kKeyTab); // the first kept
    input.key(kKeyBackspace);
    input.key(kKeyBackspace);
    input.key('7');
    input.key(kKeyTab);
    input.key(kKeyEnter);
    const auto numbers = numbersRequester(s, input, place, "Strata tilt:", {1.5, -2, 0.25}, 400, 300);
    ASSERT_TRUE(numbers.has_value());
    EXPECT_EQ(*numbers, (std::vector<double>{1.5, 7, 0.25}));

    input.key('9');
    input.key(kKeyEscape);
    EXPECT_EQ(numbersRequester(s, input, place, "Strata tilt:", {1.5, -2, 0.25}, 400, 300), std::nullopt);
}

// Labelled numbers (the Manual Node Editor): each label before its field, the
// values as offered on Enter, nothing on Esc.
TEST(Requesters, LabelledNumbersShowTheirLabels)
{
    Surface s;
    std::vector<DrawnText> drawn;
    s.textLog = &drawn;
    ScriptedInput input;
    RequesterPlace place;
    input.key(kKeyEnter);
    const auto numbers =
        labelledNumbersRequester(s, input, place, "Manual Node Editor:", {"  Node X:", "    Roll:"}, {1500.5, -30}, 400, 300);
    ASSERT_TRUE(numbers.has_value());
    EXPECT_EQ(*numbers, (std::vector<double>{1500.5, -30}));
    int labels = 0;
    for (const DrawnText& t : drawn) labels += t.text == "  Node X:" || t.text == "    Roll:" ? 1 : 0;
    EXPECT_EQ(labels, 2);
    input.key(kKeyEscape);
    EXPECT_EQ(labelledNumbersRequester(s, input, place, "Manual Node Editor:", {"  Node X:"}, {1.0}, 400, 300),
              std::nullopt);
}

TEST(Requesters, ChoiceByButtonEnterOrEsc)
{
    Surface s;
    ScriptedInput input;
    RequesterPlace place;
    input.key(kKeyEnter);
    EXPECT_EQ(choiceRequester(s, input, place, "2D or 3D preview?", {"2D", "3D"}, 400, 300), 0);
    input.key(kKeyEscape);
    EXPECT_EQ(choiceRequester(s, input, place, "2D or 3D preview?", {"2D", "3D"}, 400, 300), std::nullopt);
    // Two six-character buttons centred side by side in a 320-pixel box: the second starts 164 pixels in.
    input.click(place.left + 164 + 10, place.top + 8 + 16 + 12 + 6);
    EXPECT_EQ(choiceRequester(s, input, place, "2D or 3D preview?", {"2D", "3D"}, place.left + 1, place.top + 1), 1);
    EXPECT_EQ(choiceRequester(s, input, place, "Empty?", {}, 400, 300), std::nullopt);
}

// Render Viewing Options: Enter keeps the choice, a click picks another, the
// seconds must be 1 to 999 (0 is refused with the message, then 999 taken).
TEST(Requesters, ViewingOptionsCheckTheSeconds)
{
    Surface s;
    ScriptedInput input;
    RequesterPlace place;
    input.key(kKeyEnter);
    auto chosen = viewingOptionsDialog(s, input, place, {1, 5}, 400, 300);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->choice, 1);
    EXPECT_EQ(chosen->seconds, 5);

    // The box stands at (200, 226) for the pointer at (400, 300); the third choice lies at y 226 + 80.
    input.click(220, 226 + 80 + 8);
    input.key(kKeyEnter);
    chosen = viewingOptionsDialog(s, input, place, {1, 5}, 400, 300);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->choice, 2);

    input.click(220, 226 + 32 + 8); // the first choice, then the seconds field picks the second
    input.click(400, 226 + 56 + 8);
    input.key(kKeyBackspace);
    input.key('0');
    input.key(kKeyEnter); // 0 seconds: refused
    input.key(kKeyEnter); // the message's OK
    input.key(kKeyBackspace);
    for (const char c : {'9', '9', '9'}) input.key(c);
    input.key(kKeyEnter);
    chosen = viewingOptionsDialog(s, input, place, {2, 5}, 400, 300);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->choice, 1);
    EXPECT_EQ(chosen->seconds, 999);

    input.key(kKeyEscape);
    EXPECT_EQ(viewingOptionsDialog(s, input, place, {2, 5}, 400, 300), std::nullopt);
}

// A form: text and number fields edited in turn (Tab goes on), answered with
// Enter; labels only give a box with OK alone; Esc gives nothing.
TEST(Requesters, FormsGiveTheirFieldsBackAsEdited)
{
    Surface s;
    ScriptedInput input;
    RequesterPlace place;
    Gadget name{.kind = kGadgetText, .x = 136, .y = 0, .id = 1, .text = "Flatland", .chars = 31};
    Gadget utm{.kind = kGadgetInteger, .x = 136, .y = 24, .id = 2, .chars = 11};
    setFieldValue(utm, 0);
    const std::vector<Gadget> form = {Gadget{.kind = kGadgetLabel, .x = 8, .y = 2, .text = "Name:"}, name,
                                      Gadget{.kind = kGadgetLabel, .x = 8, .y = 26, .text = "UTM X:"}, utm};
    // The box for the pointer at (400, 300): the name field is its first field.
    const RequesterPlace box = requesterBox(place, std::max(320, 136 + 31 * 8 + 4 + 8), 8 + 16 + 8 + 44 + 10 + 24 + 8,
                                            400, 300);
    input.click(box.left + 136 + 200, box.top + 32 + 4); // right of the text: the cursor at its end
    for (const char c : std::string(" Valley")) input.key(c == ' ' ? static_cast<int>(kKeySpace) : c);
    input.key(kKeyTab);
    input.key(kKeyBackspace);
    for (const char c : std::string("4500")) input.key(c);
    input.key(kKeyEnter);
    const auto edited = formRequester(s, input, place, "Landscape Information Panel", form, 400, 300);
    ASSERT_TRUE(edited);
    ASSERT_EQ(edited->size(), 4u);
    EXPECT_EQ((*edited)[1].text, "Flatland Valley");
    EXPECT_EQ((*edited)[3].value, 4500);
    EXPECT_EQ((*edited)[1].y, 0); // handed back where they were given

    input.key(kKeyEscape);
    EXPECT_EQ(formRequester(s, input, place, "Landscape Information Panel", form, 400, 300), std::nullopt);
    input.key(kKeyEnter);
    EXPECT_TRUE(formRequester(s, input, place, "About Kalvenor", {form[0]}, 400, 300));
}

} // namespace
} // namespace kalvenor
