// The first two lines of a script file: the header line the runner requires
// and the caption line that script writers put under it.
#pragma once

namespace kalvenor {

inline constexpr const char* kScriptHeader = "Kalve Script File";

inline constexpr const char* kScriptCaption =
    "  CameraX,   CameraY,   CameraZ,      Bank,   Heading,     Pitch,  (delta)";

} // namespace kalvenor
