// Key codes: every modal loop of the panels reads a key as a 16-bit code, the
// keyboard scan code in the high byte and the character in the low byte. The
// window adapter turns its key events into these.
#pragma once

namespace kalvenor {

enum KeyCode : int {
    kKeyDelete = 0x5300,
    kKeyInsert = 0x5200,
    kKeyLeft = 0x4B00,
    kKeyRight = 0x4D00,
    kKeyUp = 0x4800,
    kKeyDown = 0x5000,
    kKeyHome = 0x4700,
    kKeyEnd = 0x4F00,
    kKeyPageUp = 0x4900,
    kKeyPageDown = 0x5100,
    kKeyF10 = 0x4400,
    kKeyPadPlus = 0x4E2B,
    kKeyEquals = 0x0D3D,
    kKeyPadStar = 0x372A,
    kKeyEscape = 0x011B,
    kKeyEnter = 0x1C0D,
    kKeyMinus = 0x0C2D,
    kKeyBackspace = 0x0E08,
    kKeySpace = 0x3920,
    kKeyTab = 0x0F09,
};

// What a gadget-reading loop returns for a key: the code with bit 16 set, so
// that keys never collide with gadget identifiers (Esc is 0x1011B).
constexpr int keyResult(int code) { return 0x10000 + code; }

} // namespace kalvenor
