#include "shell/path_command.h"

#include <cstdio>

#include "app/app.h"
#include "app/landscape_commands.h"
#include "base/paths.h"
#include "files/landscape_file.h"
#include "files/path_export.h"
#include "model/path_layout.h"
#include "path/path_generate.h"
#include "shell/command_line.h"
#include "shell/startup.h"

namespace kalvenor {

std::optional<PathCommandLine> parsePathCommandLine(const std::vector<std::string>& args, std::string& error)
{
    PathCommandLine cl;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool takesValue = a == "-o" || a == "--answer";
        if (takesValue && i + 1 >= args.size()) {
            error = a + " needs a value";
            return std::nullopt;
        }
        if (a == "-o") {
            cl.script = args[++i];
        } else if (a == "--answer") {
            if (!takeAnswer(args[++i], cl.answers, error)) return std::nullopt;
        } else if (a.size() > 1 && a[0] == '-') {
            error = "unknown option " + a;
            return std::nullopt;
        } else if (cl.file.empty()) {
            cl.file = a;
        } else {
            error = "unexpected argument " + a;
            return std::nullopt;
        }
    }
    if (cl.file.empty()) error = "path needs a session or landscape file";
    else if (cl.script.empty()) error = "path needs -o SCRIPT";
    if (!error.empty()) return std::nullopt;
    return cl;
}

int exportStoredPath(App& app, Frontend& ui, const std::string& file, const std::string& script)
{
    if (loadLandscape(app, file, ui) == Loaded::Nothing) return kExitFailed;
    if (pathNodeCount(app.path) == 0) {
        ui.message(file + " carries no camera path.");
        return kExitFailed;
    }
    const GenerationResult generated = generatePathPoints(app.path, app.landscape, ui);
    if (!generated.message.empty()) {
        ui.message(generated.message);
        return kExitFailed;
    }
    if (app.path.points.empty()) {
        ui.message("The camera path of " + file + " makes no frames.");
        return kExitFailed;
    }
    const std::string target = normaliseSeparators(script);
    switch (writePathScript(app.path.points, target)) {
    case PathExportStatus::Ok: break;
    case PathExportStatus::OpenFailed: ui.message("Error opening motion file " + target); return kExitFailed;
    case PathExportStatus::WriteFailed: ui.message(fileMessage(kErrorWritingFile, target)); return kExitFailed;
    case PathExportStatus::NoPoints: return kExitFailed;
    }
    std::fprintf(stderr, "Exported %zu frames to %s\n", app.path.points.size(), target.c_str());
    return kExitOk;
}

int runPathCommand(const std::vector<std::string>& args, const char* argv0)
{
    std::string error;
    const std::optional<PathCommandLine> cl = parsePathCommandLine(args, error);
    if (!cl) {
        std::fprintf(stderr, "kalvenor: %s\n%s", error.c_str(), usageText().c_str());
        return kExitUsage;
    }
    return runHeadlessApp(cl->answers, argv0, [&](App& app, Frontend& ui) { return exportStoredPath(app, ui, cl->file, cl->script); });
}

} // namespace kalvenor
