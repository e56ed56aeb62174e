// How the panels' controls are written down: each control a row of a table
// on the panel's character grid (columns of 8 pixels, rows of 24), with the
// setting or operation it drives. The tab panels and the panels their buttons
// open are all tables of these.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "panels/gadget.h"

namespace kalvenor {

struct App;
struct WindowContext;

// The grid: columns of 8 pixels from x = 8, rows of 24 pixels from y = 32 (below the title).
constexpr int kGridLeft = 8, kGridTop = 32, kRowHeight = 24;
inline constexpr char kLeader = static_cast<char>(0xFA);

// One control of a panel's table. A field's label stands at `column` with dot
// leaders up to `fieldColumn`; a toggle's label likewise, its button showing
// "  Off " or "  On  ".
struct Control {
    int kind = kGadgetButton;
    int id = 0;
    int row = 0, column = 0;
    std::string_view label;
    std::string_view help;
    std::uint32_t flags = 0;
    int fieldColumn = 0;
    int chars = 0;
    int decimals = 0;
    bool toggle = false;
    int travel = 0; // sliders: their length in pixels
    int range = 0;  // sliders: the setting's value at the far end
    std::span<const MenuItem> items = {}; // drop-down lists
};

constexpr int kFieldAt = 22; // where the fields of a column of them start

// Shorthands for the tables below.
constexpr Control field(int kind, int id, int row, std::string_view label, std::string_view help, int chars = 11,
                        int decimals = 0)
{
    return {.kind = kind, .id = id, .row = row, .column = 0, .label = label, .help = help, .flags = 0,
            .fieldColumn = kFieldAt, .chars = chars, .decimals = decimals};
}
constexpr Control whole(int id, int row, std::string_view label, std::string_view help)
{
    return field(kGadgetInteger, id, row, label, help);
}
constexpr Control decimal(int id, int row, std::string_view label, std::string_view help, int decimals = 2)
{
    return field(kGadgetDecimal, id, row, label, help, 11, decimals);
}
constexpr Control toggle(int id, int row, std::string_view label, std::string_view help)
{
    return {.kind = kGadgetButton, .id = id, .row = row, .column = 0, .label = label, .help = help, .flags = 0,
            .fieldColumn = kFieldAt + 5, .chars = 0, .decimals = 0, .toggle = true};
}
constexpr Control button(int id, int row, int column, std::string_view label, std::string_view help,
                         std::uint32_t group = 0)
{
    return {.kind = kGadgetButton, .id = id, .row = row, .column = column, .label = label, .help = help,
            .flags = group};
}
constexpr Control slider(int id, int row, std::string_view help, int range)
{
    return {.kind = kGadgetHSlider, .id = id, .row = row, .column = 0, .label = {}, .help = help, .flags = 0,
            .fieldColumn = 0, .chars = 0, .decimals = 0, .toggle = false, .travel = 216, .range = range};
}
constexpr Control compass(int id, int row, int column, std::string_view help)
{
    return {.kind = kGadgetCompass, .id = id, .row = row, .column = column, .label = {}, .help = help};
}
constexpr Control text(int row, int column, std::string_view label)
{
    return {.kind = kGadgetLabel, .id = 0, .row = row, .column = column, .label = label, .help = {}};
}

// The gadgets of a table, laid out (labels with their dot leaders, fields,
// toggles, buttons, sliders); not filled.
std::vector<Gadget> layoutControls(std::span<const Control> controls);

// A setting a control reads; for buttons, whether it is on.
using ControlReader = double (*)(const App&);
// A control's own operation, where no keyword does it: 1, 0 or -1.
using ControlOperation = int (*)(WindowContext&, const Gadget&);

struct Binding {
    int id;
    std::string_view keyword;    // run with the field's value, or alone; a toggle's "on" keyword
    std::string_view offKeyword; // a toggle's "off" keyword
    ControlReader read = nullptr;
    ControlOperation run = nullptr;
};

} // namespace kalvenor
