// Executing and classifying single script lines, and reading frame lines.
#pragma once

#include <array>
#include <string_view>

#include "model/scene_settings.h"
#include "script/keyword_table.h"

namespace kalvenor {

struct App;
class Frontend;

// Executes one command line from place (its errors are counted there and
// reported with its file and line). A blank line does nothing and is Done.
LineResult executeLine(App& app, Frontend& ui, std::string_view text, ScriptPlace& place);

// The same for a line that comes from no file.
LineResult executeLine(App& app, Frontend& ui, std::string_view text);

// RenderFrame for Render, RewriteFrame for RewriteImage, Done for anything
// else. Executes nothing.
LineResult classifyLine(std::string_view text);

// A frame line: after any leading '-', '+', blank or tab, the first other
// character is a decimal digit.
bool isFrameLine(std::string_view text);

// Camera x, y, z, bank, heading and pitch of a frame line, read as
// "%f, %f, %f, %f, %f, %f": each number but the last must be followed directly
// by a comma; blanks after the comma are optional. Returns how many numbers
// were read (6 when the line is complete); anything after the sixth is ignored.
int readFrameLine(std::string_view text, std::array<float, 6>& values);

// Sets the camera from a frame line's six numbers as they stand: no locks, no re-aiming.
void placeFrameCamera(CameraSettings& camera, const std::array<float, 6>& values);

} // namespace kalvenor
