// The landscape and session commands: the operations behind the file menu and
// the script's file keywords that read or replace several records of the App.
#pragma once

#include <string>

#include "app/app.h"
#include "files/landscape_file.h"

namespace kalvenor {

// The pieces of the App a load may replace.
LoadTarget loadTargetOf(App& app);

// Open landscape, start-up landscape and the script's LoadLandscape: 0, 1 or 2.
int loadLandscape(App& app, const std::string& path, Frontend& ui);

// A colour scheme in the new layout (the scheme loader's second try): settings,
// colour blocks and textures; a file without maps leaves grid and placement alone.
// 1 on success, 0 with the reader's message otherwise.
int loadSchemeNewLayout(App& app, const std::string& path, Frontend& ui);

// Plain saves for scripts; each shows its file message on failure and returns 1 or 0.
int saveDem(App& app, const std::string& path, Frontend& ui);     // old format, whole landscape
int saveSession(App& app, const std::string& path, Frontend& ui); // everything, textures embedded
int saveScheme(App& app, const std::string& path, Frontend& ui);  // new layout colour scheme

// ---- Commands (1 done, 0 failed, -1 cancelled) ----

// "&Save Landscape". shiftHeld asks which maps to include.
int saveSessionCommand(App& app, Frontend& ui, bool shiftHeld);
// "&Open Landscape": either format; a file without settings is followed by the
// new-landscape reset. 0, 1 or 2 as the dispatcher; -1 when cancelled.
int openLandscapeCommand(App& app, Frontend& ui);
// "Load &Color Scheme": the old layout, else the new one. 1, 0, or -1 when cancelled.
int loadSchemeCommand(App& app, Frontend& ui);
// "Save &Elevations Only".
int saveElevationsCommand(App& app, Frontend& ui);
// "Save Kalvenor Color Scheme".
int saveSchemeCommand(App& app, Frontend& ui);
// "Open &Region": old-format tiles of one directory placed by their UTM.
int loadRegionCommand(App& app, Frontend& ui);

} // namespace kalvenor
