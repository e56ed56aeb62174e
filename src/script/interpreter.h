// Executing and classifying single script lines, and reading frame lines.
#pragma once

#include <array>
#include <string_view>

namespace kalvenor {

struct App;
class Frontend;

// Results of executeLine beside 1 (done) and -1 (the script must stop).
constexpr int kLineRender = 1061;  // Render: this frame is rendered (and saved) now
constexpr int kLineRewrite = 1062; // RewriteImage: the current image is saved again as this frame

// Executes one command line. A blank line does nothing and returns 1.
int executeLine(App& app, Frontend& ui, std::string_view text);

// kLineRender for Render, kLineRewrite for RewriteImage, 0 for anything else.
// Executes nothing.
int classifyLine(std::string_view text);

// A frame line: after any leading '-', '+', blank or tab, the first other
// character is a decimal digit.
bool isFrameLine(std::string_view text);

// Camera x, y, z, bank, heading and pitch of a frame line, read as
// "%f, %f, %f, %f, %f, %f": each number but the last must be followed directly
// by a comma; blanks after the comma are optional. Returns how many numbers
// were read (6 when the line is complete); anything after the sixth is ignored.
int readFrameLine(std::string_view text, std::array<float, 6>& values);

} // namespace kalvenor
