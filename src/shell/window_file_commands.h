// The window's file commands: the Load, Save and ImpExp menus and the panel
// buttons that do the same, each through the file requester to the operation
// the script keywords share.
#pragma once

#include <span>

namespace kalvenor {

struct App;
class Frontend;
struct WindowContext;

// The ground colours of the whole map, at polygon size 1 (the map and the
// ground-colour files hold one per cell); false when aborted.
bool colourWholeMap(App& app, Frontend& ui);

// The identifiers of the file commands built so far.
std::span<const int> fileCommandIds();

// Runs one: 1 done, 0 failed (its message shown), -1 cancelled.
int runFileCommand(WindowContext& ctx, int id);

} // namespace kalvenor
