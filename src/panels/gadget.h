// Gadgets: the controls of the panels, each a record of a panel's table. A
// gadget reports its command identifier when activated; the dispatcher takes it
// from there, as it takes a menu choice.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kalvenor {

enum GadgetKind : int {
    kGadgetButton = 1,  // push button, toggle (with an alternate label) or radio button (with group bits)
    kGadgetText = 2,    // text field of the requesters (file names, filters)
    kGadgetLabel = 4,   // static text
    kGadgetArea = 5,    // inert area: reports its identifier at once
    kGadgetInteger = 6,
    kGadgetDecimal = 7,
    kGadgetMenu = 8,    // menu title: opens its item list
    kGadgetVScroll = 9,
    kGadgetHSlider = 10,
    kGadgetTab = 12,    // panel tab
    kGadgetPageTab = 13,
    kGadgetCompass = 14,
};

constexpr std::uint32_t kFlagMainTab = 0x200; // the tabs of the main window
constexpr std::uint32_t kFlagPageTab = 0x400; // page tabs inside a panel
constexpr std::uint32_t kFlagDropDown = 0x800; // a menu title inside a panel, drawn as a box (a drop-down list)
constexpr std::uint32_t kGroupBits = ~(kFlagMainTab | kFlagPageTab | kFlagDropDown);

// One item of a menu's list; identifier 0 is a separator line.
struct MenuItem {
    int id = 0;
    std::string_view label;
    std::string_view help;
};

// What a tab opens: a panel at (x, y) of width x height with its title.
struct PanelDescriptor {
    int x = 372, y = 8, width = 300, height = 500;
    std::string_view title;
};

struct Gadget {
    int kind = kGadgetLabel;
    std::uint32_t flags = 0; // group bits: buttons sharing one are exclusive; tab marks
    int x = 0, y = 0;        // relative to the panel
    int id = 0;              // reported when activated; 0 for labels
    int state = 0;           // 1 when selected or on
    std::string text{};      // the label
    std::string alternate{}; // a toggle's label for the other state (shown while state is 1)
    std::string_view help{}; // the status-line text
    int width = 0, height = 0; // areas and scroll bars: their size in pixels (0: from the text)
    const PanelDescriptor* panel = nullptr; // tabs
    std::span<const MenuItem> items{};      // menu titles
    // Integer, decimal and text fields: the text is the field's, edited in place.
    int chars = 0;       // visible characters (a text field's text may be longer and scrolls)
    int decimals = 0;    // decimal fields: digits after the point
    long value = 0;      // integer fields: the stored value; sliders and scroll bars: the position
    int range = 0;       // sliders and scroll bars: the position at the far end (from 0)
    double number = 0.0; // decimal fields: the stored value
    // Where it was last drawn, relative to the panel (x1 < x0: not drawn).
    int x0 = 0, y0 = 0, x1 = -1, y1 = -1;
};

} // namespace kalvenor
