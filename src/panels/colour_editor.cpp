#include "panels/colour_editor.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "panels/font.h"
#include "panels/key_codes.h"
#include "panels/panel_style.h"
#include "panels/toolkit.h"
#include "render/palette_selection.h"

namespace kalvenor {

namespace {

namespace pc = panel_colour;

constexpr int kPanelX = 80, kPanelY = 10, kPanelWidth = 640, kPanelHeight = 524;

// Gadget identifiers: the swatches report their colour code.
constexpr int kCancel = 2000, kAccept = 2001, kRestore = 2002, kRender = 1061;
constexpr int kCopy = 2004, kSwap = 2005, kSpread = 2006;
constexpr int kFirstColourSlider = 2007; // red, green, blue, hue, saturation, brightness
constexpr int kFirstColourField = 2013;
constexpr int kFirstAttributeSlider = 2019; // the five attributes: slider 2019 + 2a, field 2020 + 2a
constexpr int kFirstAttributeField = 2020;
constexpr int kGroundGroup = 2029;          // the group tabs, 2029 .. 2034
constexpr int kColoursPage = 2035, kAttributesPage = 2036;

// The groups: their tab, label and the positions of their entries in the editor's order.
struct Group {
    int id;
    const char* label;
    int first, last;
};
constexpr Group kGroups[] = {
    {2031, "  Water ", 16, 21}, {2029, " Ground ", 0, 11},  {2030, "  Cliff ", 12, 15},
    {2032, "  Tree  ", 22, 29}, {2033, "  House ", 30, 34}, {2034, "  Sky   ", 35, 42},
};

const Group& groupOf(int position)
{
    for (const Group& g : kGroups)
        if (position >= g.first && position <= g.last) return g;
    return kGroups[1];
}

constexpr int kSwatchColumns = 5, kSwatchWidth = 124, kSwatchHeight = 20, kSwatchRowStep = 22;
constexpr int kSwatchLeft = 10, kSwatchTop = 82;
constexpr int kFieldTop = 262, kFieldStep = 26;
constexpr int kPreviewLeft = 12, kPreviewTop = 428, kPreviewRight = 320, kPreviewBottom = 512;

constexpr std::array<std::string_view, 43> kNames = {
    "Snow 4",    "Snow 3",      "Snow 2",   "Snow 1",    "Bare 4",  "Bare 3",  "Bare 2",  "Bare 1",  "Tree 4",
    "Tree 3",    "Tree 2",      "Tree 1",   "Cliff 4",   "Cliff 3", "Cliff 2", "Cliff 1", "Water 5", "Water 4",
    "Water 3",   "Water 2",     "Water 1",  "Beach",     "Pine",    "Cactus",  "Oak",     "Palm",    "Pine bark",
    "Cactus bark", "Oak bark",  "Palm bark", "House 4",  "House 3", "House 2", "House 1", "Road",    "Sun",
    "Ambient",   "Moon",        "Sky",      "Horizon",   "Clouds",  "SkyHaze", "Haze"};

constexpr std::array<std::string_view, 6> kColourLabels = {"Red", "Green", "Blue", "Hue", "Saturation", "Brightness"};
constexpr std::array<std::string_view, 6> kColourHelp = {
    "Red part of the selected color.",   "Green part of the selected color.",
    "Blue part of the selected color.",  "Hue (shade) of the selected color.",
    "Saturation (purity) of the selected color.", "Brightness of the selected color."};
constexpr std::array<std::string_view, 5> kAttributeLabels = {"Phong intensity:", "Phong sharpness:",
                                                              "Flare intensity:", "Flare radius:", "Terrain roughness:"};
constexpr std::array<std::string_view, 5> kAttributeHelp = {
    "Brightness of specular reflections.", "Sharpness of specular reflections.", "Brightness of flare effect.",
    "Radius (size) of flare effect.", "Roughness of selected terrain type."};
constexpr std::array<int, 5> kAttributeLeast = {0, 1, 0, 1, 0};
constexpr std::array<int, 5> kAttributeMost = {255, 255, 100, 100, 255};

std::size_t colourAt(int code) { return static_cast<std::size_t>(code) * 4; }
std::size_t attributesAt(int code) { return static_cast<std::size_t>(code) * 5; }

// The bytes an operation on `page` works on: bytes 1..3 of a colour entry, or all five attributes.
template <typename F>
void forEachByte(SchemeTable& scheme, AttributeTable& attributes, EditorPage page, int code, F&& f)
{
    if (page == EditorPage::Colours) {
        for (std::size_t i = 1; i < 4; ++i) f(scheme[colourAt(code) + i], i);
    } else {
        for (std::size_t i = 0; i < 5; ++i) f(attributes[attributesAt(code) + i], i);
    }
}

struct Editor {
    Surface& s;
    InputSource& input;
    SchemeTable& scheme;
    AttributeTable& attributes;
    SchemeTable savedScheme;
    AttributeTable savedAttributes;
    PanelInstance panel;
    int current = 45;
    EditorPage page = EditorPage::Colours;
    int pending = 0; // kCopy, kSwap, kSpread or 0
    int remembered = 0;
    int group = kGroundGroup; // whose swatches are shown
    Hsv hsv{};       // as the fields show it: set from the colour, or as typed

    EditorRgb colour() const
    {
        const std::size_t at = colourAt(current);
        return {scheme[at + 1], scheme[at + 2], scheme[at + 3]};
    }

    Gadget* find(int id)
    {
        for (Gadget& g : panel.gadgets)
            if (g.id == id) return &g;
        return nullptr;
    }

    void layout()
    {
        std::vector<Gadget>& g = panel.gadgets;
        g.clear();
        g.push_back(Gadget{.kind = kGadgetLabel, .x = (kPanelWidth - 12 * kCharWidth) / 2, .y = 8, .text = "Color editor"});
        g.push_back(Gadget{.kind = kGadgetPageTab, .flags = kFlagPageTab, .x = 12, .y = 28, .id = kColoursPage,
                           .text = "   Colors   ", .help = "Edit the colors."});
        g.push_back(Gadget{.kind = kGadgetPageTab, .flags = kFlagPageTab, .x = 130, .y = 28, .id = kAttributesPage,
                           .text = " Attributes ", .help = "Edit the surface attributes."});
        int x = 12;
        for (const Group& grp : kGroups) {
            g.push_back(Gadget{.kind = kGadgetPageTab, .flags = kFlagPageTab, .x = x, .y = 54, .id = grp.id,
                               .text = grp.label, .help = "Show the colors of this group."});
            x += 100;
        }
        for (const Group& grp : kGroups) {
            if (grp.id != group) continue;
            for (int i = grp.first; i <= grp.last; ++i) {
                const int column = (i - grp.first) % kSwatchColumns, row = (i - grp.first) / kSwatchColumns;
                g.push_back(Gadget{.kind = kGadgetArea, .x = kSwatchLeft + column * kSwatchWidth,
                                   .y = kSwatchTop + row * kSwatchRowStep, .id = kEditorOrder[static_cast<std::size_t>(i)],
                                   .text = std::string(kNames[static_cast<std::size_t>(i)]),
                                   .help = "Select this color.", .width = kSwatchWidth - 4, .height = kSwatchHeight});
            }
        }
        const bool colours = page == EditorPage::Colours;
        const std::size_t rows = colours ? kColourLabels.size() : kAttributeLabels.size();
        for (std::size_t i = 0; i < rows; ++i) {
            const int y = kFieldTop + static_cast<int>(i) * kFieldStep;
            const int step = colours ? 1 : 2;
            const int id = static_cast<int>(i) * step + (colours ? kFirstColourField : kFirstAttributeField);
            const int slider = static_cast<int>(i) * step + (colours ? kFirstColourSlider : kFirstAttributeSlider);
            const std::string_view help = colours ? kColourHelp[i] : kAttributeHelp[i];
            g.push_back(Gadget{.kind = kGadgetLabel, .x = 12, .y = y + 2,
                               .text = std::string(colours ? kColourLabels[i] : kAttributeLabels[i])});
            g.push_back(Gadget{.kind = kGadgetInteger, .x = 172, .y = y, .id = id, .help = help, .chars = 4});
            g.push_back(Gadget{.kind = kGadgetHSlider, .x = 224, .y = y + 2, .id = slider, .help = help,
                               .width = 300, .height = 14,
                               .range = colours ? 255 : kAttributeMost[i]});
        }
        const auto button = [&](int id, int x, int y, const char* text, std::string_view help) {
            g.push_back(Gadget{.kind = kGadgetButton, .x = x, .y = y, .id = id, .text = text, .help = help});
        };
        button(kCopy, 336, kPreviewTop, "  Copy  ", "Copy the selected color onto the next one selected.");
        button(kSwap, 432, kPreviewTop, "  Swap  ", "Swap the selected color with the next one selected.");
        button(kSpread, 528, kPreviewTop, " Spread ", "Spread the colors between this one and the next one selected.");
        button(kRestore, 336, kPreviewTop + 30, "Restore ", "Restore the colors as they were.");
        button(kRender, 432, kPreviewTop + 30, " Render ", "Render with these colors.");
        button(kAccept, 336, kPreviewTop + 60, "Accept", "Keep the colors.");
        button(kCancel, 432, kPreviewTop + 60, "Cancel", "Put the colors back and close.");
    }

    // Fields, sliders and buttons show the state; the swatches and the preview are painted.
    void show()
    {
        const EditorRgb c = colour();
        const int values[6] = {c.r, c.g, c.b, hsv.h, hsv.s, hsv.v};
        for (Gadget& g : panel.gadgets) {
            if (g.id == kColoursPage || g.id == kAttributesPage)
                g.state = (g.id == kColoursPage) == (page == EditorPage::Colours) ? 1 : 0;
            if (g.id >= kGroundGroup && g.id < kGroundGroup + 6) g.state = g.id == group ? 1 : 0;
            if (g.id >= kCopy && g.id <= kSpread) g.state = g.id == pending ? 1 : 0;
            int value = -1;
            if (g.id >= kFirstColourField && g.id < kFirstColourField + 6) value = values[g.id - kFirstColourField];
            if (g.id >= kFirstColourSlider && g.id < kFirstColourSlider + 6) value = values[g.id - kFirstColourSlider];
            if (g.id >= kFirstAttributeSlider && g.id < kFirstAttributeSlider + 10)
                value = attributes[attributesAt(current) + static_cast<std::size_t>((g.id - kFirstAttributeSlider) / 2)];
            if (value < 0) continue;
            if (g.kind == kGadgetInteger) setFieldValue(g, value);
            if (g.kind == kGadgetHSlider) g.value = value;
        }
        fillRect(s, panel.left + 4, panel.top + 24, panel.right() - 4, panel.bottom() - 4, pc::kFace);
        drawGadgets(s, panel);
        for (const Gadget& g : panel.gadgets)
            if (g.kind == kGadgetArea) paintSwatch(g);
        const int x0 = panel.left + kPreviewLeft, y0 = panel.top + kPreviewTop;
        fillRect(s, x0, y0, panel.left + kPreviewRight, panel.top + kPreviewBottom, rgb(c.r, c.g, c.b));
        outlineRect(s, x0, y0, panel.left + kPreviewRight, panel.top + kPreviewBottom, pc::kDark);
        input.present();
    }

    void paintSwatch(const Gadget& g)
    {
        const int x = panel.left + g.x, y = panel.top + g.y;
        const std::size_t at = colourAt(g.id);
        const bool selected = g.id == current;
        fillRect(s, x, y, x + g.width - 1, y + g.height - 1, selected ? pc::kSelected : pc::kFace);
        fillRect(s, x + 2, y + 2, x + 17, y + 17, rgb(scheme[at + 1], scheme[at + 2], scheme[at + 3]));
        outlineRect(s, x + 2, y + 2, x + 17, y + 17, pc::kDark);
        drawText(s, x + 22, y + 2, g.text, selected ? pc::kSelectedText : pc::kText, selected ? pc::kSelected : pc::kFace,
                 true);
    }

    void select(int code)
    {
        if (pending != 0 && code != remembered) {
            if (pending == kCopy) copyEntry(scheme, attributes, page, remembered, code);
            if (pending == kSwap) swapEntries(scheme, attributes, page, remembered, code);
            if (pending == kSpread) spreadEntries(scheme, attributes, page, remembered, code);
        }
        pending = 0;
        current = code;
        const EditorRgb c = colour();
        hsv = rgbToHsv(c.r, c.g, c.b);
    }

    void setColourPart(int part, long value)
    {
        const int v = static_cast<int>(std::clamp(value, 0L, 255L));
        const std::size_t at = colourAt(current);
        if (part < 3) {
            scheme[at + 1 + static_cast<std::size_t>(part)] = static_cast<std::uint8_t>(v);
            const EditorRgb c = colour();
            hsv = rgbToHsv(c.r, c.g, c.b);
            return;
        }
        (part == 3 ? hsv.h : part == 4 ? hsv.s : hsv.v) = v;
        const EditorRgb c = hsvToRgb(hsv.h, hsv.s, hsv.v);
        scheme[at + 1] = static_cast<std::uint8_t>(c.r);
        scheme[at + 2] = static_cast<std::uint8_t>(c.g);
        scheme[at + 3] = static_cast<std::uint8_t>(c.b);
    }

    void restore()
    {
        scheme = savedScheme;
        attributes = savedAttributes;
        pending = 0;
        const EditorRgb c = colour();
        hsv = rgbToHsv(c.r, c.g, c.b);
    }
};

} // namespace

int editorPosition(int code)
{
    for (std::size_t i = 0; i < kEditorOrder.size(); ++i)
        if (kEditorOrder[i] == code) return static_cast<int>(i);
    return -1;
}

// The same conversion the palette is sorted by.
Hsv rgbToHsv(int r, int g, int b)
{
    const HueKey key = hueKey(r, g, b);
    return {key.hue, key.saturation, key.value};
}

EditorRgb hsvToRgb(int h, int s, int v)
{
    if (s == 0) return {v, v, v};
    if (h == 255) h = 0;
    const int sector = h / 43, f = h % 43;
    const int p = ((256 - s) * v) >> 8;
    const int q = ((256 - ((f * 6 * s) >> 8)) * v) >> 8;
    const int t = ((256 - (((256 - f * 6) * s) >> 8)) * v) >> 8;
    switch (sector) {
    case 0: return {v, t, p};
    case 1: return {q, v, p};
    case 2: return {p, v, t};
    case 3: return {p, q, v};
    case 4: return {t, p, v};
    default: return {v, p, q};
    }
}

void copyEntry(SchemeTable& scheme, AttributeTable& attributes, EditorPage page, int from, int to)
{
    if (page == EditorPage::Colours) {
        std::copy_n(&scheme[colourAt(from)], 4, &scheme[colourAt(to)]);
    } else {
        std::copy_n(&attributes[attributesAt(from)], 5, &attributes[attributesAt(to)]);
    }
}

void swapEntries(SchemeTable& scheme, AttributeTable& attributes, EditorPage page, int a, int b)
{
    if (page == EditorPage::Colours) {
        std::swap_ranges(&scheme[colourAt(a)], &scheme[colourAt(a)] + 4, &scheme[colourAt(b)]);
    } else {
        std::swap_ranges(&attributes[attributesAt(a)], &attributes[attributesAt(a)] + 5, &attributes[attributesAt(b)]);
    }
}

void spreadEntries(SchemeTable& scheme, AttributeTable& attributes, EditorPage page, int a, int b)
{
    int i = editorPosition(a), j = editorPosition(b);
    if (i < 0 || j < 0) return;
    if (i > j) std::swap(i, j);
    const int n = j - i;
    if (n < 2) return;
    const int first = kEditorOrder[static_cast<std::size_t>(i)], last = kEditorOrder[static_cast<std::size_t>(j)];
    std::array<int, 5> from{}, to{};
    forEachByte(scheme, attributes, page, first, [&](std::uint8_t& byte, std::size_t k) { from[k] = byte; });
    forEachByte(scheme, attributes, page, last, [&](std::uint8_t& byte, std::size_t k) { to[k] = byte; });
    for (int k = 1; k < n; ++k) {
        const int code = kEditorOrder[static_cast<std::size_t>(i + k)];
        forEachByte(scheme, attributes, page, code, [&](std::uint8_t& byte, std::size_t c) {
            byte = static_cast<std::uint8_t>(from[c] + ((to[c] - from[c]) * k) / n);
        });
    }
}

int clampAttribute(int attribute, long value)
{
    const std::size_t a = static_cast<std::size_t>(std::clamp(attribute, 0, 4));
    return static_cast<int>(std::clamp<long>(value, kAttributeLeast[a], kAttributeMost[a]));
}

int firstEntryOfGroup(int colorsButton)
{
    switch (colorsButton) {
    case 1347: return 49; // cliffs
    case 1348: return 55; // water and beach
    case 1349: return 37; // trees
    case 1350: return 71; // houses and the road
    case 1351: return 77; // sun, moon and sky
    default: return 45;   // the ground
    }
}

int runColourEditor(Surface& s, InputSource& input, SchemeTable& scheme, AttributeTable& attributes,
                    int firstEntry, const std::function<void()>& render)
{
    Editor e{s, input, scheme, attributes, scheme, attributes,
             openPanel(s, kPanelX, kPanelY, kPanelWidth, kPanelHeight, true), 45, EditorPage::Colours, 0, 0,
             kGroundGroup, Hsv{}};
    e.select(editorPosition(firstEntry) >= 0 ? firstEntry : kEditorOrder.front());
    e.group = groupOf(editorPosition(e.current)).id;
    e.layout();
    e.show();
    int result = 0;
    for (bool open = true; open;) {
        const GadgetResult r = readGadget(s, e.panel, input);
        const int id = r.code;
        if (id == -1 || id == kCancel || (id == keyResult(kKeyEscape) && r.gadget == nullptr)) {
            e.restore();
            open = false;
        } else if (id == kAccept || id == keyResult(kKeyEnter)) {
            result = 1;
            open = false;
        } else if (editorPosition(id) >= 0) {
            e.select(id);
        } else if (id == kColoursPage || id == kAttributesPage) {
            e.page = id == kColoursPage ? EditorPage::Colours : EditorPage::Attributes;
            e.pending = 0;
            e.layout();
        } else if (id == kCopy || id == kSwap || id == kSpread) {
            // Pressed: arm it from the selected entry; pressed again: disarm.
            e.pending = e.pending == id ? 0 : id;
            e.remembered = e.current;
        } else if (id == kRestore) {
            e.restore();
        } else if (id == kRender) {
            if (render) render();
        } else if (id >= kGroundGroup && id < kGroundGroup + 6) {
            e.group = id; // the selection and a pending operation stay
            e.layout();
        } else if (r.gadget != nullptr && id >= kFirstColourSlider && id < kFirstColourField + 6) {
            e.setColourPart((id - kFirstColourSlider) % 6, r.gadget->value);
        } else if (r.gadget != nullptr && id >= kFirstAttributeSlider && id < kFirstAttributeSlider + 10) {
            const int a = (id - kFirstAttributeSlider) / 2;
            attributes[attributesAt(e.current) + static_cast<std::size_t>(a)] =
                static_cast<std::uint8_t>(clampAttribute(a, r.gadget->value));
        } else {
            continue;
        }
        if (open) e.show();
    }
    closePanel(s, e.panel);
    input.present();
    return result;
}

} // namespace kalvenor
