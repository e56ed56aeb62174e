// The colour editor: the modal panel behind every "Colors" button. It edits
// the 43 colour-scheme entries a user can change (ground, cliffs, water,
// trees, houses and the sky, in one fixed order) by red, green and blue or by
// hue, saturation and brightness, and each entry's rendering attributes;
// copies, swaps and spreads colours or attributes between entries; can render
// with the colours being edited; and gives everything back on Cancel.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "panels/input.h"
#include "panels/surface.h"

namespace kalvenor {

using SchemeTable = std::array<std::uint8_t, 1024>;    // 256 entries of 0, red, green, blue
using AttributeTable = std::array<std::uint8_t, 1280>; // 256 entries of five attribute bytes

// The editable entries in the order of the swatches (and of spreading).
constexpr std::array<std::uint8_t, 43> kEditorOrder = {
    45, 44, 43, 42, 41, 40, 39, 38, 59, 58, 57, 56, 49, 48, 47, 46, 55, 54, 53, 52, 51, 50,
    37, 36, 35, 34, 67, 66, 65, 64, 71, 70, 69, 68, 88, 77, 78, 79, 33, 32, 76, 25, 26};

// The position of a colour code in that order, or -1.
int editorPosition(int code);

struct Hsv {
    int h = 0, s = 0, v = 0;
};
struct EditorRgb {
    int r = 0, g = 0, b = 0;
};

// The integer conversions on 0 .. 255 scales.
Hsv rgbToHsv(int r, int g, int b);
EditorRgb hsvToRgb(int h, int s, int v);

// What an operation between two entries works on.
enum class EditorPage { Colours, Attributes };

// Copy: the whole entry (the four colour bytes, or the five attribute bytes)
// of `from` onto `to`. Swap: the two entries exchange. Spread: the entries
// between the two in the editor's order take the straight line between
// theirs, a + ((b - a) x k) / n truncated; entries fewer than two apart
// change nothing. Either order of the two gives the same result.
void copyEntry(SchemeTable& scheme, AttributeTable& attributes, EditorPage page, int from, int to);
void swapEntries(SchemeTable& scheme, AttributeTable& attributes, EditorPage page, int a, int b);
void spreadEntries(SchemeTable& scheme, AttributeTable& attributes, EditorPage page, int a, int b);

// An attribute value as the editor stores it: held to the attribute's range,
// and 0 made 1 for the Phong sharpness and the flare radius.
int clampAttribute(int attribute, long value);

// The group a panel's "Colors" button edits chooses the entry selected first.
int firstEntryOfGroup(int colorsButton);

// Runs the editor over s: 1 when accepted (the tables as edited), 0 when
// cancelled (both tables exactly as they were). `render` draws a picture with
// the colours being edited (the editor's "Render" button).
int runColourEditor(Surface& s, InputSource& input, SchemeTable& scheme, AttributeTable& attributes,
                    int firstEntry, const std::function<void()>& render);

} // namespace kalvenor
