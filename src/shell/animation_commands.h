// The Animation panel and the script files of the window: animations made
// from the camera path or from a script (numbered Targa, BMP, JPEG or PCX
// series, KANIM, FLC and AVI files), continued or started anew; the viewers
// for finished animations; and the commands that write scripts (a new one,
// the camera appended, a straight flight) or step through one as a preview.
#pragma once

#include <span>
#include <string>

namespace kalvenor {

struct WindowContext;

// The animation commands: 1099 Targa, 1100 BMP, 1101 JPEG, 1102 PCX series,
// 1103 KANIM, 1104 FLC, 1105 AVI; 1387 the path in the last of these formats
// (a Targa series at first); 1106 View FLC, 1107 View AVI, 1278 View KAN.
std::span<const int> animationCommandIds();

// The script-file commands: 1095 New script, 1096 Select script, 1097 Append
// camera, 1149 Straight flight, 1098 Preview script.
std::span<const int> scriptFileCommandIds();

// Runs one of either list. An animation reports its result with "OK" ("Script
// completed successfully." and its kin). 1 done, 0 failed, -1 cancelled or
// stopped.
int runAnimationCommand(WindowContext& ctx, int id);
int runScriptFileCommand(WindowContext& ctx, int id);

} // namespace kalvenor
