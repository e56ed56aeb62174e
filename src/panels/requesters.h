// The requesters that ask for more than yes or no: a number, several numbers
// with decimals, or one of several answers. Each is a modal box over the
// surface, placed as the two-button requester is (where the last one stood
// when the pointer lies inside it, else centred on the pointer), and closed
// with the pixels beneath put back. Enter answers (OK, or the first answer),
// Esc cancels; closing the program cancels too.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "panels/input.h"
#include "panels/surface.h"
#include "panels/toolkit.h"

namespace kalvenor {

// The prompt over an integer field holding value, "OK" and "Cancel". Typing
// starts at once at the end of the value.
std::optional<long> numberRequester(Surface& s, InputSource& input, RequesterPlace& place, std::string_view prompt,
                                    long value, int pointerX, int pointerY);

// The prompt over one decimal field for each value, "OK" and "Cancel"; Tab
// goes on to the next field. As many numbers come back as were offered.
std::optional<std::vector<double>> numbersRequester(Surface& s, InputSource& input, RequesterPlace& place,
                                                    std::string_view prompt, const std::vector<double>& values,
                                                    int pointerX, int pointerY);

// The prompt over one labelled decimal field for each value (labels[i] before
// values[i]), "OK" and "Cancel"; Tab goes on to the next field.
std::optional<std::vector<double>> labelledNumbersRequester(Surface& s, InputSource& input, RequesterPlace& place,
                                                            std::string_view prompt,
                                                            const std::vector<std::string>& labels,
                                                            const std::vector<double>& values, int pointerX,
                                                            int pointerY);

// The question over one button for each answer; the index of the one chosen.
std::optional<int> choiceRequester(Surface& s, InputSource& input, RequesterPlace& place, std::string_view question,
                                   const std::vector<std::string>& answers, int pointerX, int pointerY);

// A form: a title over the given gadgets (labels and fields, placed relative
// to the box below the title), "OK" and, when any field can be edited,
// "Cancel". Fields are edited in place (Tab goes on to the next); Enter or OK
// answers with the gadgets as edited, Esc or Cancel gives nothing.
std::optional<std::vector<Gadget>> formRequester(Surface& s, InputSource& input, RequesterPlace& place,
                                                 std::string_view title, std::vector<Gadget> gadgets, int pointerX,
                                                 int pointerY);

// The render viewing options ("Render Viewing Options"): how the render
// window shows a render, as one of three choices (0 as it is drawn, 1 every
// so many seconds, 2 on completion) with the seconds. Choosing the seconds
// field picks the second; OK with the second checks the seconds are a whole
// number from 1 to 999, else says "Invalid number of seconds. It must be
// between 1 and 999." and goes back to the field. Nothing when cancelled.
struct ViewingOptions {
    int choice = 1;
    long seconds = 5;
};
std::optional<ViewingOptions> viewingOptionsDialog(Surface& s, InputSource& input, RequesterPlace& place,
                                                   ViewingOptions current, int pointerX, int pointerY);

} // namespace kalvenor
