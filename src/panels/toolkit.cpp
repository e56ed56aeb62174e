#include "panels/toolkit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "panels/font.h"
#include "panels/key_codes.h"
#include "panels/panel_style.h"

namespace kalvenor {

namespace {

namespace pc = panel_colour;

constexpr int kButtonPadding = 4;  // pixels left and right of a button's text
constexpr int kButtonHeight = kCharHeight + 4;
constexpr int kMenuItemHeight = kCharHeight;
constexpr int kStatusWidth = kSurfaceWidth - 2 * kStatusX;

int textWidth(std::string_view text) { return static_cast<int>(text.size()) * kCharWidth; }

// A raised box (light top and left, shadow bottom and right), or a sunken one.
void bevel(Surface& s, int x0, int y0, int x1, int y1, bool raised)
{
    const Colour topLeft = raised ? pc::kLight : pc::kShadow;
    const Colour bottomRight = raised ? pc::kShadow : pc::kLight;
    fillRect(s, x0, y0, x1, y0, topLeft);
    fillRect(s, x0, y0, x0, y1, topLeft);
    fillRect(s, x0, y1, x1, y1, bottomRight);
    fillRect(s, x1, y0, x1, y1, bottomRight);
}

void setHitRect(Gadget& g, int width, int height)
{
    g.x0 = g.x;
    g.y0 = g.y;
    g.x1 = g.x + width - 1;
    g.y1 = g.y + height - 1;
}

bool holds(const PanelInstance& panel, const Gadget& g, int x, int y)
{
    const int px = x - panel.left, py = y - panel.top;
    return g.x1 >= g.x0 && px >= g.x0 && px <= g.x1 && py >= g.y0 && py <= g.y1;
}

// A button, toggle or tab: a raised box around its label, filled in the
// selected colours while its state is 1.
void drawBox(Surface& s, const PanelInstance& panel, Gadget& g, std::string_view label)
{
    const int width = buttonWidth(label);
    setHitRect(g, width, kButtonHeight);
    const int x = panel.left + g.x, y = panel.top + g.y;
    const bool on = g.state != 0;
    fillRect(s, x, y, x + width - 1, y + kButtonHeight - 1, on ? pc::kSelected : pc::kFace);
    bevel(s, x, y, x + width - 1, y + kButtonHeight - 1, !on);
    drawText(s, x + kButtonPadding, y + 2, label, on ? pc::kSelectedText : pc::kText, pc::kFace, true);
}

constexpr int kThumb = 12; // a slider's thumb, in pixels along its travel

// The pixels a slider's thumb can move, and where its position puts it.
int thumbTravel(const Gadget& g) { return std::max((g.kind == kGadgetHSlider ? g.width : g.height) - kThumb, 1); }
int thumbOffset(const Gadget& g)
{
    if (g.range <= 0) return thumbTravel(g) / 2;
    const long at = std::clamp<long>(g.value, 0, g.range) * thumbTravel(g) / g.range;
    return static_cast<int>(at);
}

// A direction picker: a small dial whose needle points the way its value
// says, in degrees from north (up) toward the west (left), as the sun's
// azimuth is counted.
void drawCompass(Surface& s, const PanelInstance& panel, Gadget& g)
{
    constexpr int kSize = 22;
    setHitRect(g, kSize, kSize);
    const int x = panel.left + g.x, y = panel.top + g.y;
    fillRect(s, x, y, x + kSize - 1, y + kSize - 1, pc::kField);
    bevel(s, x, y, x + kSize - 1, y + kSize - 1, false);
    const int cx = x + kSize / 2, cy = y + kSize / 2;
    fillRect(s, cx, y + 2, cx, y + 3, pc::kShadow); // north mark
    const double a = static_cast<double>(g.value) * 3.14159265358979323846 / 180.0;
    for (int step = 0; step <= 8; ++step) {
        const int px = cx - static_cast<int>(std::lround(std::sin(a) * step));
        const int py = cy - static_cast<int>(std::lround(std::cos(a) * step));
        fillRect(s, px, py, px, py, pc::kSelected);
    }
    fillRect(s, cx - 1, cy - 1, cx + 1, cy + 1, pc::kText);
}

constexpr int kFieldPadding = 2;
constexpr std::size_t kTextFieldLongest = 255; // a text field's text, in characters

// A field: its text in a sunken white box as wide as its characters; while
// it is edited the text starts at the left and the cursor cell is inverted.
void drawField(Surface& s, const PanelInstance& panel, Gadget& g, int cursor, std::size_t offset = 0)
{
    const int chars = std::max(g.chars, 1);
    const int width = chars * kCharWidth + 2 * kFieldPadding, height = kCharHeight + 2 * kFieldPadding;
    setHitRect(g, width, height);
    const int x = panel.left + g.x, y = panel.top + g.y;
    fillRect(s, x, y, x + width - 1, y + height - 1, pc::kField);
    bevel(s, x, y, x + width - 1, y + height - 1, false);
    const std::string_view all(g.text);
    const std::string_view text = all.substr(std::min(offset, all.size()), static_cast<std::size_t>(chars));
    drawText(s, x + kFieldPadding, y + kFieldPadding, text, pc::kText, pc::kField, true);
    if (cursor >= 0 && cursor < chars) {
        const int cx = x + kFieldPadding + cursor * kCharWidth;
        const char under = cursor < static_cast<int>(text.size()) ? text[static_cast<std::size_t>(cursor)] : ' ';
        fillRect(s, cx, y + kFieldPadding, cx + kCharWidth - 1, y + kFieldPadding + kCharHeight - 1, pc::kSelected);
        drawText(s, cx, y + kFieldPadding, std::string_view(&under, 1), pc::kSelectedText, pc::kSelected, true);
    }
}

// The text into the field's value; an empty or bare "-" text is 0, a decimal
// that is not a finite number keeps the old value.
void storeField(Gadget& g, const std::string& text)
{
    if (g.kind == kGadgetText) {
        g.text = text;
    } else if (g.kind == kGadgetInteger) {
        setFieldValue(g, std::strtol(text.c_str(), nullptr, 10));
    } else {
        const double parsed = std::strtod(text.c_str(), nullptr);
        setFieldNumber(g, std::isfinite(parsed) ? parsed : g.number);
    }
}

void saveUnder(const Surface& s, PanelInstance& p)
{
    p.saved.clear();
    for (int y = p.top; y <= p.bottom(); ++y)
        for (int x = p.left; x <= p.right(); ++x)
            p.saved.push_back(x >= 0 && y >= 0 && x < s.width && y < s.height ? s.at(x, y) : 0);
}

// A menu title's list, opened below it: the chosen item's identifier, or 0.
int runMenu(Surface& s, PanelInstance& panel, Gadget& title, InputSource& input)
{
    std::size_t longest = 0;
    for (const MenuItem& item : title.items) longest = std::max(longest, item.label.size());
    const int width = static_cast<int>(longest) * kCharWidth + 16;
    const int height = static_cast<int>(title.items.size()) * kMenuItemHeight + 8;
    const int left = std::clamp(panel.left + title.x0, 0, kSurfaceWidth - width);
    const int top = std::clamp(panel.top + title.y1 + 2, 0, kSurfaceHeight - height);
    PanelInstance list = openPanel(s, left, top, width, height, true);

    int lit = -1;
    const auto itemAt = [&](int x, int y) {
        if (x <= list.left || x >= list.right() || y < list.top + 4 || y >= list.bottom() - 3) return -1;
        const int index = (y - list.top - 4) / kMenuItemHeight;
        if (index < 0 || index >= static_cast<int>(title.items.size())) return -1;
        return title.items[static_cast<std::size_t>(index)].id != 0 ? index : -1;
    };
    const auto drawItems = [&] {
        for (std::size_t i = 0; i < title.items.size(); ++i) {
            const MenuItem& item = title.items[i];
            const int y = list.top + 4 + static_cast<int>(i) * kMenuItemHeight;
            const bool on = static_cast<int>(i) == lit;
            fillRect(s, list.left + 2, y, list.right() - 2, y + kMenuItemHeight - 1, on ? pc::kSelected : pc::kFace);
            if (item.id == 0) {
                fillRect(s, list.left + 4, y + 7, list.right() - 4, y + 7, pc::kShadow);
                fillRect(s, list.left + 4, y + 8, list.right() - 4, y + 8, pc::kLight);
            } else {
                drawText(s, list.left + 8, y, item.label, on ? pc::kSelectedText : pc::kText, pc::kFace, true);
            }
        }
    };
    drawItems();
    input.present();

    int chosen = 0;
    bool pressed = true; // the press that opened the list may end on an item
    for (;;) {
        const std::optional<InputEvent> e = input.next();
        if (!e || e->kind == InputKind::Close) break;
        if (e->kind == InputKind::Key) {
            if (e->key == kKeyEscape) break;
            continue;
        }
        if (e->kind == InputKind::Move) {
            const int now = itemAt(e->x, e->y);
            if (now != lit) {
                lit = now;
                drawItems();
                showStatus(s, lit >= 0 ? title.items[static_cast<std::size_t>(lit)].help : std::string_view());
                input.present();
            }
            continue;
        }
        if (e->kind == InputKind::LeftUp && pressed) {
            pressed = false;
            const int at = itemAt(e->x, e->y);
            if (at >= 0) {
                chosen = title.items[static_cast<std::size_t>(at)].id;
                break;
            }
            continue;
        }
        if (e->kind == InputKind::LeftDown) {
            const int at = itemAt(e->x, e->y);
            if (at < 0) break; // a click beside the list closes it
            pressed = true;
        }
        if (e->kind == InputKind::RightDown) break;
    }
    closePanel(s, list);
    showStatus(s, {});
    input.present();
    return chosen;
}

// A button held down: pressed while the pointer is inside, reported when released inside.
int runButton(Surface& s, PanelInstance& panel, Gadget& g, InputSource& input)
{
    const int old = g.state;
    g.state = old != 0 ? 0 : 1;
    drawGadget(s, panel, g);
    input.present();
    for (;;) {
        const std::optional<InputEvent> e = input.next();
        if (!e || e->kind == InputKind::Close) {
            g.state = old;
            drawGadget(s, panel, g);
            return -1;
        }
        if (e->kind != InputKind::LeftUp) continue;
        if (!holds(panel, g, e->x, e->y)) {
            g.state = old; // released outside: as it was, nothing reported
            drawGadget(s, panel, g);
            input.present();
            return 0;
        }
        const std::uint32_t group = g.flags & kGroupBits;
        if (group != 0) {
            // Radio: this one on, the other members of its groups off.
            g.state = 1;
            for (Gadget& other : panel.gadgets)
                if (&other != &g && other.kind == kGadgetButton && (other.flags & group) != 0 && other.state != 0) {
                    other.state = 0;
                    drawGadget(s, panel, other);
                }
        } else if (g.alternate.empty()) {
            g.state = old; // a push button springs back
        }
        drawGadget(s, panel, g);
        input.present();
        return g.id;
    }
}

// A slider or scroll bar held down: the thumb follows the pointer (jumping
// to it at the press) until the button is released; the new position is then
// reported. Closing the program puts the old position back.
int runSlider(Surface& s, PanelInstance& panel, Gadget& g, InputSource& input, int pointerX, int pointerY)
{
    const long old = g.value;
    const auto follow = [&](int px, int py) {
        const bool across = g.kind == kGadgetHSlider;
        const int along = across ? px - (panel.left + g.x) : py - (panel.top + g.y);
        const int offset = std::clamp(along - kThumb / 2, 0, thumbTravel(g));
        const long value = g.range > 0 ? (static_cast<long>(offset) * g.range + thumbTravel(g) / 2) / thumbTravel(g) : 0;
        if (value != g.value || g.x1 < g.x0) {
            g.value = value;
            drawGadget(s, panel, g);
            input.present();
        }
    };
    follow(pointerX, pointerY);
    for (;;) {
        const std::optional<InputEvent> e = input.next();
        if (!e || e->kind == InputKind::Close) {
            g.value = old;
            drawGadget(s, panel, g);
            return -1;
        }
        if (e->kind == InputKind::Move) follow(e->x, e->y);
        if (e->kind == InputKind::LeftUp) {
            follow(e->x, e->y);
            return g.id;
        }
    }
}

} // namespace

PanelInstance openPanel(Surface& s, int x, int y, int width, int height, bool withSaveUnder)
{
    PanelInstance p;
    p.left = x;
    p.top = y;
    p.width = width;
    p.height = height;
    p.saveUnder = withSaveUnder;
    if (withSaveUnder) saveUnder(s, p);
    fillRect(s, x, y, p.right(), p.bottom(), pc::kFace);
    outlineRect(s, x, y, p.right(), p.bottom(), pc::kDark);
    bevel(s, x + 1, y + 1, p.right() - 1, p.bottom() - 1, true);
    return p;
}

void closePanel(Surface& s, PanelInstance& p)
{
    if (p.saveUnder && p.saved.size() == static_cast<std::size_t>(p.width) * static_cast<std::size_t>(p.height)) {
        std::size_t i = 0;
        for (int y = p.top; y <= p.bottom(); ++y)
            for (int x = p.left; x <= p.right(); ++x, ++i)
                if (x >= 0 && y >= 0 && x < s.width && y < s.height) s.row(y)[x] = p.saved[i];
    } else {
        fillRect(s, p.left, p.top, p.right(), p.bottom(), pc::kFace);
    }
    p.saved.clear();
}

void drawGadget(Surface& s, const PanelInstance& panel, Gadget& g)
{
    const int x = panel.left + g.x, y = panel.top + g.y;
    switch (g.kind) {
    case kGadgetButton:
    case kGadgetTab:
    case kGadgetPageTab:
        drawBox(s, panel, g, g.state != 0 && !g.alternate.empty() ? g.alternate : g.text);
        break;
    case kGadgetLabel:
        setHitRect(g, textWidth(g.text), kCharHeight);
        drawText(s, x, y, g.text, pc::kText, pc::kFace, true);
        break;
    case kGadgetMenu:
        if ((g.flags & kFlagDropDown) != 0) {
            drawBox(s, panel, g, g.text);
            break;
        }
        setHitRect(g, textWidth(g.text), kCharHeight);
        drawText(s, x, y, g.text, pc::kText, pc::kFace);
        break;
    case kGadgetVScroll:
    case kGadgetHSlider: {
        setHitRect(g, g.width, g.height);
        fillRect(s, x, y, x + g.width - 1, y + g.height - 1, pc::kShadow);
        bevel(s, x, y, x + g.width - 1, y + g.height - 1, false);
        // The thumb where the position puts it along the travel.
        const bool across = g.kind == kGadgetHSlider;
        const int at = thumbOffset(g);
        if (across) {
            fillRect(s, x + at, y + 1, x + at + kThumb - 1, y + g.height - 2, pc::kFace);
            bevel(s, x + at, y + 1, x + at + kThumb - 1, y + g.height - 2, true);
        } else {
            fillRect(s, x + 1, y + at, x + g.width - 2, y + at + kThumb - 1, pc::kFace);
            bevel(s, x + 1, y + at, x + g.width - 2, y + at + kThumb - 1, true);
        }
        break;
    }
    case kGadgetText:
    case kGadgetInteger:
    case kGadgetDecimal: drawField(s, panel, g, -1); break;
    case kGadgetCompass: drawCompass(s, panel, g); break;
    default:
        // Areas and the kinds a panel draws itself keep their size as given.
        setHitRect(g, g.width, g.height);
        break;
    }
}

void drawGadgets(Surface& s, PanelInstance& panel)
{
    for (Gadget& g : panel.gadgets) drawGadget(s, panel, g);
}

Gadget* gadgetAt(PanelInstance& panel, int x, int y)
{
    for (auto it = panel.gadgets.rbegin(); it != panel.gadgets.rend(); ++it)
        if (it->kind != kGadgetLabel && holds(panel, *it, x, y)) return &*it;
    return nullptr;
}

void showStatus(Surface& s, std::string_view text)
{
    fillRect(s, kStatusX - 2, kStatusY, kStatusX + kStatusWidth + 1, kStatusY + kCharHeight - 1, pc::kStatus);
    const std::size_t fits = static_cast<std::size_t>(kStatusWidth / kCharWidth);
    drawText(s, kStatusX, kStatusY, text.substr(0, fits), pc::kText, pc::kStatus, true);
}

void showProgress(Surface& s, std::string_view label, int percent)
{
    char number[16];
    std::snprintf(number, sizeof number, ": %2d%%", std::clamp(percent, 0, 100));
    const std::string text = std::string(label) + number;
    showStatus(s, {});
    const int barLeft = kStatusX + 320, barRight = kStatusX + kStatusWidth;
    const int filled = barLeft + (barRight - barLeft) * std::clamp(percent, 0, 100) / 100;
    fillRect(s, barLeft, kStatusY + 3, barRight, kStatusY + kCharHeight - 4, pc::kShadow);
    if (filled > barLeft) fillRect(s, barLeft, kStatusY + 3, filled, kStatusY + kCharHeight - 4, pc::kProgress);
    drawText(s, kStatusX, kStatusY, std::string_view(text).substr(0, 39), pc::kText, pc::kStatus, true);
}

void setFieldValue(Gadget& field, long value)
{
    field.value = value;
    char text[32];
    std::snprintf(text, sizeof text, "%*ld", std::clamp(field.chars, 1, 24), value);
    field.text = text;
}

void setFieldNumber(Gadget& field, double number)
{
    field.number = number;
    char digits[400];
    std::snprintf(digits, sizeof digits, "%.*f", std::clamp(field.decimals, 0, 10), number);
    char text[420];
    std::snprintf(text, sizeof text, "%*s", std::clamp(field.chars, 1, 24), digits);
    field.text = text;
}

FieldEnd editField(Surface& s, PanelInstance& panel, Gadget& field, InputSource& input, int surfaceX)
{
    const std::string old = field.text;
    const bool isText = field.kind == kGadgetText;
    std::string text = isText ? field.text : std::string(withoutBlanks(field.text));
    const int chars = std::max(field.chars, 1);
    // Numbers hold no more than the field shows; text scrolls within it.
    const std::size_t longest = isText ? kTextFieldLongest : static_cast<std::size_t>(chars);
    std::size_t offset = 0;
    const auto column = [&](int x) {
        const int at = (x - (panel.left + field.x + kFieldPadding)) / kCharWidth + static_cast<int>(offset);
        return static_cast<std::size_t>(std::clamp(at, 0, static_cast<int>(text.size())));
    };
    std::size_t cursor = column(surfaceX);
    const auto show = [&] {
        field.text = text;
        const std::size_t visible = static_cast<std::size_t>(chars);
        if (cursor < offset) offset = cursor;
        if (cursor >= offset + visible) offset = cursor - visible + 1;
        if (!isText) offset = 0;
        const std::size_t at = std::min(cursor - offset, visible - 1);
        drawField(s, panel, field, static_cast<int>(at), offset);
        input.present();
    };
    const auto restore = [&] {
        field.text = old;
        drawField(s, panel, field, -1);
        input.present();
    };
    const auto store = [&] {
        storeField(field, text);
        drawField(s, panel, field, -1);
        input.present();
    };
    show();
    for (;;) {
        const std::optional<InputEvent> e = input.next();
        if (!e || e->kind == InputKind::Close) {
            restore();
            return {-1, 0};
        }
        if (e->kind == InputKind::RightDown) {
            restore();
            return {0, 0};
        }
        if (e->kind == InputKind::LeftDown) {
            if (holds(panel, field, e->x, e->y)) {
                cursor = column(e->x);
                show();
                continue;
            }
            store();
            panel.pending = *e; // the click also counts where it landed
            return {field.id, 0};
        }
        if (e->kind != InputKind::Key) continue;
        const int key = e->key;
        const char c = static_cast<char>(key & 0xFF);
        if (key == kKeyEscape) {
            restore();
            return {0, key};
        }
        if (key == kKeyEnter || key == kKeyTab) {
            store();
            return {field.id, key};
        }
        const bool room = text.size() < longest;
        if (key == kKeyBackspace) {
            if (cursor > 0) text.erase(--cursor, 1);
        } else if (key == kKeyDelete) {
            if (cursor < text.size()) text.erase(cursor, 1);
        } else if (key == kKeyLeft) {
            if (cursor > 0) --cursor;
        } else if (key == kKeyRight) {
            if (cursor < text.size()) ++cursor;
        } else if (key == kKeyHome) {
            cursor = 0;
        } else if (key == kKeyEnd) {
            cursor = text.size();
        } else if (room && isText && (key < 0x100 || key == kKeyMinus || key == kKeySpace || key == kKeyEquals) &&
                   c >= 32 && c < 127) {
            text.insert(cursor++, 1, c);
        } else if (room && key < 0x100 && c >= '0' && c <= '9') {
            text.insert(cursor++, 1, c);
        } else if (room && c == '-' && (key == '-' || key == kKeyMinus) && cursor == 0 &&
                   (text.empty() || text[0] != '-')) {
            text.insert(cursor++, 1, c);
        } else if (room && key == '.' && field.kind == kGadgetDecimal && text.find('.') == std::string::npos &&
                   (cursor > 0 || text.empty() || text[0] != '-')) {
            text.insert(cursor++, 1, c);
        } else {
            continue;
        }
        show();
    }
}

namespace {

// The gadget under a position and the panel it belongs to: an open child panel's first.
struct Hit {
    PanelInstance* panel = nullptr;
    Gadget* gadget = nullptr;
};

Hit hitAt(PanelInstance& panel, int x, int y)
{
    if (panel.child != nullptr)
        if (const Hit inner = hitAt(*panel.child, x, y); inner.gadget != nullptr) return inner;
    return {&panel, gadgetAt(panel, x, y)};
}

} // namespace

GadgetResult readGadget(Surface& s, PanelInstance& panel, InputSource& input)
{
    for (;;) {
        std::optional<InputEvent> e;
        if (panel.pending) {
            e = panel.pending;
            panel.pending.reset();
        } else {
            e = input.next();
        }
        if (!e || e->kind == InputKind::Close) return {-1};
        switch (e->kind) {
        case InputKind::Move: {
            const Gadget* under = hitAt(panel, e->x, e->y).gadget;
            if (under == nullptr && panel.moveArea) {
                const auto& [x0, y0, x1, y1] = *panel.moveArea;
                if (e->x >= x0 && e->x <= x1 && e->y >= y0 && e->y <= y1) {
                    panel.hovered = nullptr;
                    return {kPointerMoved, e->x, e->y};
                }
            }
            if (under != panel.hovered) {
                panel.hovered = under;
                showStatus(s, under != nullptr ? under->help : std::string_view());
                input.present();
            }
            break;
        }
        case InputKind::Key: return {keyResult(e->key)};
        case InputKind::RightDown: return {3, e->x, e->y};
        case InputKind::LeftDown: {
            const Hit hit = hitAt(panel, e->x, e->y);
            Gadget* g = hit.gadget;
            if (g == nullptr) return {0, e->x, e->y};
            PanelInstance& owner = *hit.panel;
            switch (g->kind) {
            case kGadgetButton: {
                const int code = runButton(s, owner, *g, input);
                if (code != 0) return {code, e->x, e->y, g};
                break;
            }
            case kGadgetMenu: {
                const int chosen = runMenu(s, owner, *g, input);
                if (chosen != 0) return {chosen, e->x, e->y, g};
                break;
            }
            case kGadgetHSlider:
            case kGadgetVScroll: {
                const int code = runSlider(s, owner, *g, input, e->x, e->y);
                if (code != 0) return {code, e->x, e->y, g};
                break;
            }
            case kGadgetText:
            case kGadgetInteger:
            case kGadgetDecimal: {
                const FieldEnd end = editField(s, owner, *g, input, e->x);
                if (end.code != 0) return {end.code, e->x, e->y, g, end.key};
                if (end.key == kKeyEscape) return {keyResult(kKeyEscape), e->x, e->y, g};
                break;
            }
            default: return {g->id, e->x, e->y, g};
            }
            break;
        }
        default: break;
        }
    }
}

RequesterPlace requesterBox(const RequesterPlace& last, std::string_view message, int pointerX, int pointerY)
{
    return requesterBox(last, std::max(320, textWidth(message) + 16), 84, pointerX, pointerY);
}

int buttonWidth(std::string_view label) { return textWidth(label) + 2 * kButtonPadding; }

std::string_view withoutBlanks(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string buttonLabel(std::string_view label)
{
    if (label.size() >= 6) return std::string(label);
    const std::size_t before = (6 - label.size()) / 2;
    return std::string(before, ' ') + std::string(label) + std::string(6 - label.size() - before, ' ');
}

RequesterPlace requesterBox(const RequesterPlace& last, int width, int height, int pointerX, int pointerY)
{
    RequesterPlace box;
    box.known = true;
    box.width = width;
    box.height = height;
    const bool insideLast = last.known && pointerX >= last.left && pointerX < last.left + last.width &&
                            pointerY >= last.top && pointerY < last.top + last.height;
    if (insideLast && last.left + box.width <= kSurfaceWidth && last.top + box.height <= kSurfaceHeight) {
        box.left = last.left;
        box.top = last.top;
    } else {
        box.left = pointerX - box.width / 2;
        box.top = pointerY - box.height / 2;
    }
    box.left = std::clamp(box.left, 0, std::max(0, kSurfaceWidth - box.width));
    box.top = std::clamp(box.top, 0, std::max(0, kSurfaceHeight - box.height));
    return box;
}

int twoButtonRequester(Surface& s, InputSource& input, RequesterPlace& place, std::string_view message,
                       std::string_view first, std::string_view second, int pointerX, int pointerY)
{
    RequesterPlace box = requesterBox(place, message, pointerX, pointerY);
    PanelInstance panel;
    const auto open = [&] {
        panel = openPanel(s, box.left, box.top, box.width, box.height, true);
        Gadget text{.kind = kGadgetLabel, .x = 8, .y = 14, .text = std::string(message)};
        Gadget yes{.kind = kGadgetButton, .x = 16, .y = 52, .id = 1000, .text = buttonLabel(first)};
        Gadget no{.kind = kGadgetButton, .y = 52, .id = 1001, .text = buttonLabel(second)};
        no.x = box.width - 16 - buttonWidth(no.text);
        panel.gadgets = {text, yes, no};
        drawGadgets(s, panel);
        input.present();
    };
    open();
    int answer = 0;
    for (bool done = false; !done;) {
        const GadgetResult r = readGadget(s, panel, input);
        switch (r.code) {
        case 1000: answer = 1, done = true; break;
        case 1001:
        case -1: answer = 0, done = true; break;
        case keyResult(kKeyEnter): answer = 1, done = true; break;
        case keyResult(kKeyEscape): answer = 0, done = true; break;
        case 0: {
            // A click beside the box: the box moves so that the click lies 8 pixels inside it.
            const bool inside = r.x >= box.left && r.x < box.left + box.width && r.y >= box.top &&
                                r.y < box.top + box.height;
            if (inside) break;
            closePanel(s, panel);
            if (r.x < box.left) box.left = r.x - 8;
            else if (r.x >= box.left + box.width) box.left = r.x + 8 - box.width + 1;
            if (r.y < box.top) box.top = r.y - 8;
            else if (r.y >= box.top + box.height) box.top = r.y + 8 - box.height + 1;
            box.left = std::clamp(box.left, 0, std::max(0, kSurfaceWidth - box.width));
            box.top = std::clamp(box.top, 0, std::max(0, kSurfaceHeight - box.height));
            open();
            break;
        }
        default: break;
        }
    }
    closePanel(s, panel);
    input.present();
    place = box;
    return answer;
}

} // namespace kalvenor
