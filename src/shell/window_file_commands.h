// The window's file commands: the Load, Save and ImpExp menus and the panel
// buttons that do the same, each through the file requester to the operation
// the script keywords share.
#pragma once

#include <span>

namespace kalvenor {

struct WindowContext;

// The identifiers of the file commands built so far.
std::span<const int> fileCommandIds();

// Runs one: 1 done, 0 failed (its message shown), -1 cancelled.
int runFileCommand(WindowContext& ctx, int id);

} // namespace kalvenor
