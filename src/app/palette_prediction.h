// The 8-bit display palette predicted from the colours a render will use.
#pragma once

#include "base/outcome.h"

namespace kalvenor {

struct App;
class Frontend;

// The last step of the render preparation: when the palette is stale and not
// locked, predicts it from the scene and stores it in the display palette.
// Done when done or not needed, Cancelled when aborted (the palette stays stale).
Outcome predictPalette(App& app, Frontend& ui);

} // namespace kalvenor
