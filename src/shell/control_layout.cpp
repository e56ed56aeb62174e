#include "shell/control_layout.h"

#include <algorithm>
#include <string>

#include "panels/font.h"

namespace kalvenor {

std::vector<Gadget> layoutControls(std::span<const Control> controls)
{
    std::vector<Gadget> gadgets;
    for (const Control& c : controls) {
        const int x = kGridLeft + c.column * kCharWidth, y = kGridTop + c.row * kRowHeight;
        const bool labelled = c.kind == kGadgetInteger || c.kind == kGadgetDecimal || c.toggle;
        if (c.kind == kGadgetLabel || labelled) {
            std::string text(c.label);
            if (labelled) {
                text += ' ';
                const int leaders = c.fieldColumn - c.column - static_cast<int>(text.size()) - 1;
                text.append(static_cast<std::size_t>(std::max(leaders, 0)), kLeader);
            }
            gadgets.push_back(Gadget{.kind = kGadgetLabel, .x = x, .y = y + 2, .text = text});
            if (c.kind == kGadgetLabel) continue;
        }
        const int at = labelled ? kGridLeft + c.fieldColumn * kCharWidth : x;
        Gadget g{.kind = c.kind, .flags = c.flags, .x = at, .y = y, .id = c.id, .help = c.help,
                 .chars = c.chars, .decimals = c.decimals};
        if (c.kind == kGadgetHSlider) {
            g.y += 3;
            g.width = c.travel;
            g.height = 14;
            g.range = c.range;
        }
        if (c.toggle) {
            g.text = "  Off ";
            g.alternate = "  On  ";
        } else if (c.kind == kGadgetButton || c.kind == kGadgetMenu) {
            g.text = std::string(c.label);
            g.items = c.items;
        }
        gadgets.push_back(std::move(g));
    }
    return gadgets;
}

} // namespace kalvenor
