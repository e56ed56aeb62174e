// The panel toolkit: panels opened on the surface, their gadgets drawn and
// read, the status line, and the two-button requester. Everything is drawn
// into the in-memory surface; input comes from an InputSource, so the whole
// toolkit runs the same in the window and in a test.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "panels/gadget.h"
#include "panels/input.h"
#include "panels/surface.h"

namespace kalvenor {

// An open panel: its place on the surface, its gadgets, and the pixels it
// covers when it was opened with save-under.
struct PanelInstance {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<Gadget> gadgets;
    bool saveUnder = false;
    std::vector<Colour> saved;
    const Gadget* hovered = nullptr; // the gadget whose help the status line shows
    // An open panel inside this one (the selected tab's): its gadgets are read
    // with these, and found first where the two overlap.
    PanelInstance* child = nullptr;
    // A click that ended a field's editing, read again by the next readGadget.
    std::optional<InputEvent> pending;
    // Pointer moves over no gadget inside this area (x0, y0, x1, y1) are
    // reported as kPointerMoved (the map's read-out); empty: none are.
    std::optional<std::array<int, 4>> moveArea;

    int right() const { return left + width - 1; }
    int bottom() const { return top + height - 1; }
};

// Opens a panel: saves the pixels under it when asked, clears the inside to the
// panel face and draws its border.
PanelInstance openPanel(Surface& s, int x, int y, int width, int height, bool saveUnder);

// Puts back the saved pixels, or clears the area to the panel face.
void closePanel(Surface& s, PanelInstance& panel);

// Draws a gadget (and records where it lies), or all of a panel's.
void drawGadget(Surface& s, const PanelInstance& panel, Gadget& g);
void drawGadgets(Surface& s, PanelInstance& panel);

// The gadget under a surface position (the last drawn one that holds it), or nullptr.
Gadget* gadgetAt(PanelInstance& panel, int x, int y);

// The status line at (8, 536): cleared, then the text.
void showStatus(Surface& s, std::string_view text);

// A progress report in the status line, "%s: %2d%%" and a bar.
void showProgress(Surface& s, std::string_view label, int percent);

// A field's text from its value: integers right-aligned in the field's
// characters, decimals with the field's digits after the point.
void setFieldValue(Gadget& field, long value);
void setFieldNumber(Gadget& field, double number);

// How editing a field ended: the code (the field's identifier when the text
// was stored, 0 when Esc or the right button restored it, -1 when the program
// closes) and the key that ended it (Enter, Tab, Esc), 0 for a click.
struct FieldEnd {
    int code = 0;
    int key = 0;
};

// Edits an integer, decimal or text field in place, the cursor at the
// character under surfaceX (at the end for a position right of the text).
// Digits go in at the cursor, "-" only as the first character, "." once in
// decimal fields, every printable character in text fields; Backspace,
// Delete, Left, Right, Home and End edit; numbers hold no more than the
// field shows, text up to 255 characters, scrolled to keep the cursor in view. Enter, Tab or a left click outside convert the text
// into the value and report the identifier (the click is read again by the
// next readGadget); Esc or a right click put the old text back.
FieldEnd editField(Surface& s, PanelInstance& panel, Gadget& field, InputSource& input, int surfaceX);

// What reading a panel's gadgets came to.
// What readGadget returns for a pointer move inside PanelInstance::moveArea.
constexpr int kPointerMoved = 0x20000;

struct GadgetResult {
    int code = 0;   // a gadget's identifier; keyResult(key); 0 a click on no gadget; 3 a right click;
                    // kPointerMoved; -1 closing
    int x = 0, y = 0; // for a click on no gadget: its position on the surface
    Gadget* gadget = nullptr;
    int key = 0; // for a field: the key that stored it (Enter, Tab), 0 for a click
};

// Waits for the next activation: a left press on a gadget runs its activation
// (buttons: pressed while held, reported when released inside; radio groups
// keep one member on; toggles switch; menu titles open their list and report
// the chosen item; areas and tabs report at once); keys come back as
// keyResult(code); integer and decimal fields are edited in place and report
// when stored (Esc in a field puts its text back and comes back as the Esc
// key); moving the pointer shows the help text of the gadget under it
// in the status line.
GadgetResult readGadget(Surface& s, PanelInstance& panel, InputSource& input);

// Where the last two-button requester stood, for the next one.
struct RequesterPlace {
    bool known = false;
    int left = 0, top = 0, width = 0, height = 0;
};

// The two-button requester: message, first and second answer. 1 for the first
// (its button, or Enter), 0 for the second (its button, or Esc). Labels shorter
// than six characters are centred in six; the box is as wide as the message in
// characters x 8 + 16, at least 320. It opens where the last one stood when
// the pointer lies inside that rectangle and the box still fits, otherwise
// centred on the pointer, always inside the surface. A left click outside
// moves the box so that the click lies 8 pixels inside its nearest edge. The
// pixels under it come back when it closes. Closing the program answers 0.
int twoButtonRequester(Surface& s, InputSource& input, RequesterPlace& place, std::string_view message,
                       std::string_view first, std::string_view second, int pointerX, int pointerY);

// The requester's box for a message and a pointer position (placement only).
RequesterPlace requesterBox(const RequesterPlace& last, std::string_view message, int pointerX, int pointerY);
// The same for a box of a given size.
RequesterPlace requesterBox(const RequesterPlace& last, int width, int height, int pointerX, int pointerY);

// A label centred in six characters when shorter (the requesters' buttons).
std::string buttonLabel(std::string_view label);

// The width a button takes for its label, in pixels.
int buttonWidth(std::string_view label);

// A text without the blanks at either end (fields, typed names, filters).
std::string_view withoutBlanks(std::string_view text);

} // namespace kalvenor
