// The controls of the panels the tabs open: where each stands on the panel's
// character grid, what it shows, and the setting or command it drives. A
// control that sets something runs the script keyword of that setting, so a
// panel and a script can never disagree about ranges, derived data or what a
// value means; the panel's fields are then filled again from the settings.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "panels/gadget.h"

namespace kalvenor {

struct App;
struct WindowContext;

// The gadgets of a tab's panel (below its title), laid out and filled from the
// current settings. Empty for a tab whose controls are not built yet.
std::vector<Gadget> panelControls(int tabId, const App& app);

// Fills fields, toggles and radio buttons from the current settings.
void fillControls(std::vector<Gadget>& gadgets, const App& app);

// Runs a keyword line as the setter of a panel or key command: 1 when it did
// its work, 0 when it was refused or failed (the reason reported, as for a
// script's line). The window is busy meanwhile.
int runKeywordLine(WindowContext& ctx, const std::string& line);

// The identifiers the panels' controls report.
std::span<const int> controlIds();

// Runs the control last reported (ctx.gadget): 1 done, 0 failed (the reason
// shown), -1 cancelled, or kCommandNotBuilt for a control without an operation yet.
int runControl(WindowContext& ctx, int id);

} // namespace kalvenor
