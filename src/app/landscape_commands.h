// The landscape and session commands: the operations behind the file menu and
// the script's file keywords that read or replace several records of the App.
#pragma once

#include <string>

#include "app/app.h"
#include "base/outcome.h"
#include "files/landscape_file.h"

namespace kalvenor {

// The pieces of the App a load may replace.
LoadTarget loadTargetOf(App& app);

// Open landscape, start-up landscape and the script's LoadLandscape. A file
// that brought its settings brings its image size too.
Loaded loadLandscape(App& app, const std::string& path, Frontend& ui);

// Makes the image the size the render settings name (after a load); a size
// the buffers cannot take keeps the image and the settings as they were.
void applyLoadedImageSize(App& app, Frontend& ui);

// A colour scheme in the new layout (the scheme loader's second try): settings,
// colour blocks and textures; a file without maps leaves grid and placement alone.
// Failed with the reader's message shown.
Outcome loadSchemeNewLayout(App& app, const std::string& path, Frontend& ui);

// Plain saves for scripts; each shows its file message when it fails. A session
// save is Cancelled when the terrain preparation before it was aborted.
Outcome saveDem(App& app, const std::string& path, Frontend& ui);     // old format, whole landscape
Outcome saveSession(App& app, const std::string& path, Frontend& ui); // everything, textures embedded
Outcome saveScheme(App& app, const std::string& path, Frontend& ui);  // new layout colour scheme

// ---- Commands: Done, Failed (the message shown), or Cancelled ----

// "&Save Landscape". shiftHeld asks which maps to include.
Outcome saveSessionCommand(App& app, Frontend& ui, bool shiftHeld);

// "&Open Landscape": either format; a file without settings is followed by the
// new-landscape reset. What the file brought comes with the outcome.
struct LandscapeOpened {
    Outcome outcome = Outcome::Cancelled;
    Loaded loaded = Loaded::Nothing;
};
LandscapeOpened openLandscapeCommand(App& app, Frontend& ui);

// "Load &Color Scheme": the old layout, else the new one.
Outcome loadSchemeCommand(App& app, Frontend& ui);
// "Save &Elevations Only".
Outcome saveElevationsCommand(App& app, Frontend& ui);
// "Save Kalvenor Color Scheme".
Outcome saveSchemeCommand(App& app, Frontend& ui);
// "Open &Region": old-format tiles of one directory placed by their UTM.
Outcome loadRegionCommand(App& app, Frontend& ui);

} // namespace kalvenor
