#include "panels/requesters.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

#include "panels/font.h"
#include "panels/key_codes.h"

namespace kalvenor {

namespace {

constexpr int kOk = 1000;
constexpr int kCancel = 1001;
constexpr int kFirstField = 1002;
constexpr int kMargin = 8;
constexpr int kNumberChars = 11;
constexpr int kDecimalChars = 16;
constexpr int kButtonGap = 8;
constexpr int kRowHeight = 24; // a field or a button row

// How many digits after the point show a value as given, up to six.
int decimalsOf(double value)
{
    char text[64];
    for (int d = 0; d < 6; ++d) {
        std::snprintf(text, sizeof text, "%.*f", d, value);
        if (std::strtod(text, nullptr) == value) return d;
    }
    return 6;
}

// A box of fields over "OK" and "Cancel": the fields are edited in turn
// (Tab goes on, a click picks one); true when answered, false when cancelled.
bool runFieldBox(Surface& s, InputSource& input, RequesterPlace& place, std::string_view prompt,
                 std::vector<Gadget> fields, int pointerX, int pointerY, std::vector<Gadget>& answered)
{
    const int longestField = kDecimalChars * kCharWidth + 4;
    const int width = std::max({320, static_cast<int>(prompt.size()) * kCharWidth + 2 * kMargin,
                                longestField + 2 * kMargin});
    const int fieldsTop = kMargin + kCharHeight + 6;
    const int buttonsTop = fieldsTop + static_cast<int>(fields.size()) * kRowHeight + 6;
    const int height = buttonsTop + kRowHeight + kMargin;
    const RequesterPlace box = requesterBox(place, width, height, pointerX, pointerY);
    PanelInstance panel = openPanel(s, box.left, box.top, box.width, box.height, true);
    panel.gadgets.push_back(Gadget{.kind = kGadgetLabel, .x = kMargin, .y = kMargin, .text = std::string(prompt)});
    for (std::size_t i = 0; i < fields.size(); ++i) {
        Gadget field = fields[i];
        field.x = kMargin;
        field.y = fieldsTop + static_cast<int>(i) * kRowHeight;
        field.id = kFirstField + static_cast<int>(i);
        panel.gadgets.push_back(field);
    }
    Gadget ok{.kind = kGadgetButton, .x = 16, .y = buttonsTop, .id = kOk, .text = buttonLabel("OK")};
    Gadget cancel{.kind = kGadgetButton, .y = buttonsTop, .id = kCancel, .text = buttonLabel("Cancel")};
    cancel.x = box.width - 16 - buttonWidth(cancel.text);
    panel.gadgets.push_back(ok);
    panel.gadgets.push_back(cancel);
    drawGadgets(s, panel);
    input.present();

    const auto fieldAt = [&](std::size_t i) -> Gadget& { return panel.gadgets[1 + i]; };
    const auto next = [&](std::size_t i) { return (i + 1) % fields.size(); };
    std::size_t editing = 0;
    bool answer = false;
    for (;;) {
        // The current field is edited until a key or a click ends it; a click is then read where it landed.
        if (!fields.empty() && !panel.pending) {
            const FieldEnd end = editField(s, panel, fieldAt(editing), input, INT_MAX);
            if (end.code == -1 || end.key == kKeyEscape) break;
            if (end.code == 0) continue; // a right click put the text back: editing goes on
            if (end.key == kKeyEnter) {
                answer = true;
                break;
            }
            if (end.key == kKeyTab) {
                editing = next(editing);
                continue;
            }
        }
        const GadgetResult r = readGadget(s, panel, input);
        if (r.code >= kFirstField && r.code < kFirstField + static_cast<int>(fields.size())) {
            const std::size_t at = static_cast<std::size_t>(r.code - kFirstField);
            if (r.key == kKeyEnter) {
                answer = true;
                break;
            }
            editing = r.key == kKeyTab ? next(at) : at;
            continue;
        }
        if (r.code == kOk || r.code == keyResult(kKeyEnter)) {
            answer = true;
            break;
        }
        if (r.code == kCancel || r.code == keyResult(kKeyEscape) || r.code == -1) break;
    }
    answered.assign(panel.gadgets.begin() + 1, panel.gadgets.begin() + 1 + static_cast<std::ptrdiff_t>(fields.size()));
    closePanel(s, panel);
    input.present();
    place = box;
    return answer;
}

} // namespace

std::optional<long> numberRequester(Surface& s, InputSource& input, RequesterPlace& place, std::string_view prompt,
                                    long value, int pointerX, int pointerY)
{
    Gadget field{.kind = kGadgetInteger, .chars = kNumberChars};
    setFieldValue(field, value);
    std::vector<Gadget> answered;
    if (!runFieldBox(s, input, place, prompt, {field}, pointerX, pointerY, answered)) return std::nullopt;
    return answered.front().value;
}

std::optional<std::vector<double>> numbersRequester(Surface& s, InputSource& input, RequesterPlace& place,
                                                    std::string_view prompt, const std::vector<double>& values,
                                                    int pointerX, int pointerY)
{
    std::vector<Gadget> fields;
    for (const double v : values) {
        Gadget field{.kind = kGadgetDecimal, .chars = kDecimalChars, .decimals = decimalsOf(v)};
        setFieldNumber(field, v);
        fields.push_back(field);
    }
    std::vector<Gadget> answered;
    if (!runFieldBox(s, input, place, prompt, fields, pointerX, pointerY, answered)) return std::nullopt;
    std::vector<double> numbers;
    for (const Gadget& g : answered) numbers.push_back(g.number);
    return numbers;
}

std::optional<std::vector<double>> labelledNumbersRequester(Surface& s, InputSource& input, RequesterPlace& place,
                                                            std::string_view prompt,
                                                            const std::vector<std::string>& labels,
                                                            const std::vector<double>& values, int pointerX,
                                                            int pointerY)
{
    std::size_t widest = 0;
    for (const std::string& l : labels) widest = std::max(widest, l.size());
    const int fieldX = 16 + static_cast<int>(widest + 1) * kCharWidth;
    std::vector<Gadget> gadgets;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const int y = static_cast<int>(i) * kRowHeight;
        if (i < labels.size())
            gadgets.push_back(Gadget{.kind = kGadgetLabel, .x = 16, .y = y + 2, .text = labels[i]});
        Gadget field{.kind = kGadgetDecimal, .x = fieldX, .y = y, .chars = kDecimalChars, .decimals = decimalsOf(values[i])};
        setFieldNumber(field, values[i]);
        gadgets.push_back(field);
    }
    const std::optional<std::vector<Gadget>> answered =
        formRequester(s, input, place, prompt, std::move(gadgets), pointerX, pointerY);
    if (!answered) return std::nullopt;
    std::vector<double> numbers;
    for (const Gadget& g : *answered)
        if (g.kind == kGadgetDecimal) numbers.push_back(g.number);
    return numbers;
}

std::optional<int> choiceRequester(Surface& s, InputSource& input, RequesterPlace& place, std::string_view question,
                                   const std::vector<std::string>& answers, int pointerX, int pointerY)
{
    if (answers.empty()) return std::nullopt;
    std::vector<std::string> labels;
    int row = 0;
    for (const std::string& a : answers) {
        labels.push_back(buttonLabel(a));
        row += buttonWidth(labels.back()) + kButtonGap;
    }
    row += 2 * 16 - kButtonGap;
    // The answers side by side when they fit on the surface, else one under the other.
    const bool sideBySide = row <= kSurfaceWidth;
    int widest = 0;
    for (const std::string& l : labels) widest = std::max(widest, buttonWidth(l));
    const int width = std::max({320, static_cast<int>(question.size()) * kCharWidth + 2 * kMargin,
                                sideBySide ? row : widest + 32});
    const int buttonsTop = kMargin + kCharHeight + 12;
    const int rows = sideBySide ? 1 : static_cast<int>(labels.size());
    const int height = buttonsTop + rows * kRowHeight + kMargin;
    const RequesterPlace box = requesterBox(place, width, std::min(height, kSurfaceHeight), pointerX, pointerY);
    PanelInstance panel = openPanel(s, box.left, box.top, box.width, box.height, true);
    panel.gadgets.push_back(Gadget{.kind = kGadgetLabel, .x = kMargin, .y = kMargin, .text = std::string(question)});
    int x = sideBySide ? (box.width - row) / 2 + 16 : 16;
    for (std::size_t i = 0; i < labels.size(); ++i) {
        Gadget b{.kind = kGadgetButton, .x = x, .y = buttonsTop, .id = kOk + static_cast<int>(i), .text = labels[i]};
        if (sideBySide) x += buttonWidth(labels[i]) + kButtonGap;
        else b.y += static_cast<int>(i) * kRowHeight;
        panel.gadgets.push_back(b);
    }
    drawGadgets(s, panel);
    input.present();
    std::optional<int> chosen;
    for (bool done = false; !done;) {
        const GadgetResult r = readGadget(s, panel, input);
        if (r.code >= kOk && r.code < kOk + static_cast<int>(labels.size())) {
            chosen = r.code - kOk;
            done = true;
        } else if (r.code == keyResult(kKeyEnter)) {
            chosen = 0;
            done = true;
        } else if (r.code == keyResult(kKeyEscape) || r.code == -1) {
            done = true;
        }
    }
    closePanel(s, panel);
    input.present();
    place = box;
    return chosen;
}

std::optional<std::vector<Gadget>> formRequester(Surface& s, InputSource& input, RequesterPlace& place,
                                                 std::string_view title, std::vector<Gadget> gadgets, int pointerX,
                                                 int pointerY)
{
    constexpr int kBodyTop = kMargin + kCharHeight + 8;
    int right = static_cast<int>(title.size()) * kCharWidth + 2 * kMargin, bottom = 0;
    bool editable = false;
    for (const Gadget& g : gadgets) {
        const bool field = g.kind == kGadgetInteger || g.kind == kGadgetDecimal || g.kind == kGadgetText;
        editable = editable || field;
        const int width = field ? std::max(g.chars, 1) * kCharWidth + 4 : static_cast<int>(g.text.size()) * kCharWidth;
        right = std::max(right, g.x + width + kMargin);
        bottom = std::max(bottom, g.y + (field ? kCharHeight + 4 : kCharHeight));
    }
    const int width = std::max(320, right), buttonsTop = kBodyTop + bottom + 10;
    const int height = buttonsTop + kRowHeight + kMargin;
    const RequesterPlace box = requesterBox(place, std::min(width, kSurfaceWidth), std::min(height, kSurfaceHeight),
                                            pointerX, pointerY);
    PanelInstance panel = openPanel(s, box.left, box.top, box.width, box.height, true);
    panel.gadgets.push_back(Gadget{.kind = kGadgetLabel, .x = kMargin, .y = kMargin, .text = std::string(title)});
    const std::size_t first = panel.gadgets.size();
    for (Gadget& g : gadgets) {
        g.y += kBodyTop;
        panel.gadgets.push_back(std::move(g));
    }
    const std::size_t end = panel.gadgets.size();
    panel.gadgets.push_back(Gadget{.kind = kGadgetButton, .x = 16, .y = buttonsTop, .id = kOk, .text = buttonLabel("OK")});
    if (editable) {
        Gadget cancel{.kind = kGadgetButton, .y = buttonsTop, .id = kCancel, .text = buttonLabel("Cancel")};
        cancel.x = box.width - 16 - buttonWidth(cancel.text);
        panel.gadgets.push_back(cancel);
    }
    drawGadgets(s, panel);
    input.present();

    bool answered = false;
    for (bool done = false; !done;) {
        const GadgetResult r = readGadget(s, panel, input);
        if (r.key == kKeyTab && r.gadget != nullptr) {
            // On to the next field, round to the first.
            std::size_t at = static_cast<std::size_t>(r.gadget - panel.gadgets.data());
            for (std::size_t step = 1; step <= end - first; ++step) {
                const std::size_t i = first + (at - first + step) % (end - first);
                Gadget& g = panel.gadgets[i];
                if (g.kind == kGadgetInteger || g.kind == kGadgetDecimal || g.kind == kGadgetText) {
                    // As a click at its right end: the field edited with the cursor after its text.
                    panel.pending = InputEvent{InputKind::LeftDown, panel.left + g.x1 - 1, panel.top + g.y0 + 2};
                    break;
                }
            }
            continue;
        }
        if (r.code == kOk || r.code == keyResult(kKeyEnter) || r.key == kKeyEnter) answered = done = true;
        else if (r.code == kCancel || r.code == keyResult(kKeyEscape) || r.code == -1) done = true;
    }
    std::optional<std::vector<Gadget>> out;
    if (answered) {
        out.emplace();
        for (std::size_t i = first; i < end; ++i) {
            Gadget g = panel.gadgets[i];
            g.y -= kBodyTop;
            out->push_back(std::move(g));
        }
    }
    closePanel(s, panel);
    input.present();
    place = box;
    return out;
}

std::optional<ViewingOptions> viewingOptionsDialog(Surface& s, InputSource& input, RequesterPlace& place,
                                                   ViewingOptions current, int pointerX, int pointerY)
{
    constexpr int kWidth = 400, kHeight = 148;
    constexpr int kChoice = 1010, kSeconds = 1013;
    const RequesterPlace box = requesterBox(place, kWidth, kHeight, pointerX, pointerY);
    PanelInstance panel = openPanel(s, box.left, box.top, box.width, box.height, true);
    const char* labels[] = {"View rendering as it is drawn", "View rendering every", "View rendering on completion"};
    panel.gadgets.push_back(Gadget{.kind = kGadgetLabel, .x = kMargin, .y = kMargin, .text = "Render Viewing Options"});
    for (int i = 0; i < 3; ++i)
        panel.gadgets.push_back(Gadget{.kind = kGadgetButton, .flags = 1, .x = kMargin, .y = 32 + i * kRowHeight,
                                       .id = kChoice + i, .state = i == current.choice ? 1 : 0, .text = labels[i]});
    Gadget seconds{.kind = kGadgetInteger, .x = kMargin + 22 * kCharWidth, .y = 32 + kRowHeight, .id = kSeconds,
                   .chars = 4};
    setFieldValue(seconds, current.seconds);
    panel.gadgets.push_back(seconds);
    panel.gadgets.push_back(
        Gadget{.kind = kGadgetLabel, .x = kMargin + 27 * kCharWidth, .y = 32 + kRowHeight + 2, .text = "seconds"});
    const int buttonsTop = kHeight - kMargin - kRowHeight;
    panel.gadgets.push_back(Gadget{.kind = kGadgetButton, .x = 16, .y = buttonsTop, .id = kOk, .text = buttonLabel("OK")});
    Gadget cancel{.kind = kGadgetButton, .y = buttonsTop, .id = kCancel, .text = buttonLabel("Cancel")};
    cancel.x = kWidth - 16 - buttonWidth(cancel.text);
    panel.gadgets.push_back(cancel);
    drawGadgets(s, panel);
    input.present();

    const auto gadget = [&](int id) -> Gadget& {
        for (Gadget& g : panel.gadgets)
            if (g.id == id) return g;
        return panel.gadgets.front();
    };
    const auto choose = [&](int choice) {
        for (int i = 0; i < 3; ++i) {
            gadget(kChoice + i).state = i == choice ? 1 : 0;
            drawGadget(s, panel, gadget(kChoice + i));
        }
        input.present();
    };
    std::optional<ViewingOptions> answer;
    bool closing = false;
    while (!answer && !closing) {
        const GadgetResult r = readGadget(s, panel, input);
        int code = r.code;
        if (code == kSeconds) {
            choose(1); // the seconds belong to the second choice
            if (r.key != kKeyEnter) continue;
            code = kOk;
        }
        if (code == keyResult(kKeyEnter)) code = kOk;
        if (code == kCancel || code == keyResult(kKeyEscape) || code == -1) break;
        if (code != kOk) continue;
        // OK: the seconds are checked while the second choice is picked; the field gets them again until they do.
        for (;;) {
            int choice = 0;
            for (int i = 0; i < 3; ++i)
                if (gadget(kChoice + i).state != 0) choice = i;
            const long chosen = gadget(kSeconds).value;
            if (choice != 1 || (chosen >= 1 && chosen <= 999)) {
                answer = ViewingOptions{choice, choice == 1 ? chosen : current.seconds};
                break;
            }
            twoButtonRequester(s, input, place, "Invalid number of seconds. It must be between 1 and 999.", "OK", "OK",
                               pointerX, pointerY);
            const FieldEnd end = editField(s, panel, gadget(kSeconds), input, INT_MAX);
            if (end.code == -1) closing = true;
            if (end.key != kKeyEnter) break; // a click or Esc: back to the dialog
        }
    }
    closePanel(s, panel);
    input.present();
    place = box;
    return answer;
}

} // namespace kalvenor
