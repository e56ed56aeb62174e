// Script files as the program writes them: the first two lines the runner
// requires, the frame line that places the current camera, and straight
// flights from the camera toward the target.
#pragma once

#include <string>
#include <string_view>

#include "model/scene_settings.h"

namespace kalvenor {

inline constexpr const char* kScriptHeader = "Kalve Script File";

inline constexpr const char* kScriptCaption =
    "  CameraX,   CameraY,   CameraZ,      Bank,   Heading,     Pitch,  (delta)";

// True for the header line with its line end ("\n" or "\r\n"); blanks or tabs
// before the line end are allowed, since no editor shows them.
bool isScriptHeaderLine(std::string_view line);

// The frame line of the camera: X, Y and Z truncated, "%5d, %5d, %5d, ",
// then bank, heading and pitch truncated, "%4d, %4d, %4d,".
std::string cameraFrameLine(const CameraSettings& camera);

// A whole script: the header, the caption and frames frame lines, frame i at
// camera + (target - camera) x i / frames ("%f, %f, %f, ") with the camera's
// bank, heading and pitch ("%f, %f, %f,"); the camera moves toward the target
// without reaching it.
std::string straightFlightScript(const CameraSettings& camera, int frames);

enum class ScriptWrite { Ok, OpenFailed, NotScript, WriteFailed };

// Appends the camera's frame line to an existing script, whole or not at all
// (a file that is not a script is left as it is).
ScriptWrite appendCameraLine(const std::string& path, const CameraSettings& camera);

// Writes a straight flight as a new script (replacing any file of that name).
ScriptWrite writeStraightFlight(const std::string& path, const CameraSettings& camera, int frames);

} // namespace kalvenor
