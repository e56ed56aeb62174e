// The input the panels read: pointer and key events in surface coordinates,
// from the window adapter (or from a test), and the way back to the screen.
#pragma once

#include <optional>

namespace kalvenor {

enum class InputKind { Move, LeftDown, LeftUp, RightDown, RightUp, Key, Close, Timer };

struct InputEvent {
    InputKind kind = InputKind::Move;
    int x = 0, y = 0; // pointer position on the surface
    int key = 0;      // for Key: the 16-bit key code (key_codes.h)
    bool shift = false;
};

class InputSource {
public:
    virtual ~InputSource() = default;
    // The next event, waiting for one; nothing when the program is closing.
    // Timer events come at least every few tenths of a second while nothing happens.
    virtual std::optional<InputEvent> next() = 0;
    // Shows the surface as it stands.
    virtual void present() = 0;
};

} // namespace kalvenor
