// The panels that buttons of the tab panels open over them: the Cloud Control
// Panel (Sky), the Tree Control Panel ("Type, size, density", Tree) and the
// texture-map panels of the ground, the water and the sky with their file
// boxes. Each is modal until "Done" or Esc; its controls drive the same
// keywords a script uses.
#pragma once

#include <span>

#include "shell/control_layout.h"

namespace kalvenor {

struct WindowContext;

// The settings the secondary panels' controls read and the keywords they run.
std::span<const Binding> secondaryBindings();

// The buttons that open a secondary panel.
std::span<const int> secondaryPanelButtons();

// Opens the panel of `button` over the tab's panel and runs it: 1 when it was
// shown, kCommandNotBuilt for a button whose panel is not built yet.
int runSecondaryPanel(WindowContext& ctx, int button);

} // namespace kalvenor
