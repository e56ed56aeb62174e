// Start-up: the one-time initialisation of landscape and scene, the default
// directories, and the start-up script.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/app.h"
#include "files/landscape_file.h"
#include "script/runner.h"

namespace kalvenor {

class Frontend;

// Everything the program sets up before the first command: a 258 x 258
// "Flatland", the scene reset, trees off, vertical factors 1.0, the overview
// camera and the default thresholds and texture levels.
void initialiseApp(App& app, Frontend& ui);

// All default directories become programDir, but the quality presets of an
// installed program (installedPresetDirectory); then each known subdirectory of
// programDir that exists ("DEM", "SCHEME", "CLOUD", "PCX", "TGA", "BMP", "JPG",
// "Script", "ANIM", "BAT", "IQ") becomes the directory of its family.
void setDefaultDirectories(DefaultDirs& dirs, const std::string& programDir);

// Runs "STARTUP.SCR" from firstDir, or else from the script directory, when it
// exists there. Returns the runner's outcome; a run completed without errors
// when there is no such script.
ScriptOutcome runStartupScript(App& app, Frontend& ui, const std::string& firstDir);

// The start-up landscape: the file named on the command line, or else
// "STARTUP.DEM" from firstDir or the landscape directory. A file that brought
// no settings is followed by the new-landscape reset. Returns what the load
// brought, or nothing when there was nothing to load.
std::optional<Loaded> loadStartupLandscape(App& app, Frontend& ui, const std::string& argument, const std::string& firstDir);

// The directory of the running program, with a trailing separator.
std::string programDirectory(const char* argv0);

// A command without a window: work on a fresh App, set up as at start-up,
// with the headless front end (answers preset from 'QUESTION=ANSWER' texts,
// an interrupt asking for abort). Returns work's exit code, or a fatal
// error's after its message.
int runHeadlessApp(const std::vector<std::string>& answers, const char* argv0,
                   const std::function<int(App&, Frontend&)>& work);

} // namespace kalvenor
