#include "shell/command_line.h"

#include <cstdio>
#include <cstdlib>

#include "landscape/landscape.h"
#include "platform/fatal_error.h"
#include "platform/headless_frontend.h"
#include "script/runner.h"
#include "shell/app.h"
#include "shell/startup.h"

namespace kalvenor {

const char* const kUsageText =
    "usage:\n"
    "  kalvenor                         the interactive program\n"
    "  kalvenor run SCRIPT [--out BASE] [--start N] [--format FORMAT] [--startup] [--landscape FILE] [--info]\n"
    "                                   run a script without a window\n"
    "  kalvenor render [SCRIPT] -o IMAGE\n"
    "                                   run SCRIPT for its settings, render one image\n"
    "  kalvenor --help | --version\n"
    "options of run and render:\n"
    "  --answer 'QUESTION=ANSWER'       answer a question in advance (repeatable)\n"
    "  --startup                        run STARTUP.SCR and load STARTUP.DEM from the program directory first\n"
    "  --landscape FILE                 load this landscape or session before the script\n"
    "  --info                           describe the landscape when the script has run\n";

namespace {

bool parseInt(const std::string& text, int& out)
{
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < 0 || value > 99999) return false;
    out = static_cast<int>(value);
    return true;
}

// The landscape as the information panel shows it.
void describeLandscape(const Landscape& land, std::FILE* out)
{
    std::fprintf(out, "LandScape Name: %s\n", land.name.c_str());
    std::fprintf(out, "Comment: %s\n", land.comment.c_str());
    std::fprintf(out, "Grid: %d x %d cells\n", land.gridWidth, land.gridHeight);
    std::fprintf(out, "Extent: %0.0lf x %0.0lf meters\n", static_cast<double>(land.sizeX) * land.spacingX,
                 static_cast<double>(land.sizeY) * land.spacingY);
    std::fprintf(out, "UTM X: %d  UTM Y: %d\n", land.utmX, land.utmY);
    std::fprintf(out, "Lowest point: %d m\n", land.lowestElevation);
    std::fprintf(out, "Highest point: %d m at column %d, row %d\n", land.highestElevation, land.highestColumn,
                 land.highestRow);
}

// The words the animation commands use for a script's result.
const char* scriptResultText(int result, const ScriptProgress& progress, std::string& buffer)
{
    switch (result) {
    case 1: return "Script completed successfully.";
    case -1: return "User aborted script!";
    case -3: return "Format error in script!";
    default:
        buffer = "Error running script! (frame " + std::to_string(progress.currentFrame + 1) + " of " +
                 std::to_string(progress.totalFrames) + ")";
        return buffer.c_str();
    }
}

int runBatch(const CommandLine& cl, const char* argv0)
{
    HeadlessFrontend ui;
    for (const std::string& text : cl.answers) {
        PresetAnswer answer;
        parsePresetAnswer(text, answer);
        ui.addAnswer(answer);
    }
    HeadlessFrontend::installInterruptHandler();
    Frontend& port = ui;

    App app;
    app.frontend = &ui;
    app.programDir = programDirectory(argv0);
    initialiseApp(app, ui);
    setDefaultDirectories(app.dirs, app.programDir);
    if (cl.startup) runStartupScript(app, ui, app.programDir);
    if (cl.startup || !cl.landscapeFile.empty()) {
        if (loadStartupLandscape(app, ui, cl.landscapeFile, app.programDir) == 0 && !cl.landscapeFile.empty())
            return kExitFailed;
    }

    if (cl.mode == Mode::Render || cl.outputBase) {
        port.message("not available yet: rendering images (the renderer is not built yet)");
        return kExitFailed;
    }

    const int result = runScript(app, ui, cl.script, std::nullopt, cl.startFrame, nullptr);
    std::string buffer;
    if (result != 1) port.message(scriptResultText(result, app.scriptProgress, buffer));
    if (cl.info) describeLandscape(app.landscape, stdout);
    return result == 1 ? kExitOk : kExitFailed;
}

} // namespace

std::optional<CommandLine> parseCommandLine(const std::vector<std::string>& args, std::string& error)
{
    CommandLine cl;
    std::size_t i = 0;
    if (!args.empty()) {
        if (args[0] == "--help" || args[0] == "-h") {
            cl.mode = Mode::Help;
            return cl;
        }
        if (args[0] == "--version") {
            cl.mode = Mode::Version;
            return cl;
        }
        if (args[0] == "run") cl.mode = Mode::Run, i = 1;
        else if (args[0] == "render") cl.mode = Mode::Render, i = 1;
    }

    auto value = [&](const std::string& option) -> const std::string* {
        if (i + 1 >= args.size()) {
            error = option + " needs a value";
            return nullptr;
        }
        return &args[++i];
    };

    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool batch = cl.mode == Mode::Run || cl.mode == Mode::Render;
        if (batch && a == "--answer") {
            const std::string* v = value(a);
            if (!v) return std::nullopt;
            PresetAnswer parsed;
            if (!parsePresetAnswer(*v, parsed)) {
                error = "--answer takes 'QUESTION=ANSWER'";
                return std::nullopt;
            }
            cl.answers.push_back(*v);
        } else if (batch && a == "--startup") {
            cl.startup = true;
        } else if (batch && a == "--landscape") {
            const std::string* v = value(a);
            if (!v) return std::nullopt;
            cl.landscapeFile = *v;
        } else if (batch && a == "--info") {
            cl.info = true;
        } else if (cl.mode == Mode::Run && a == "--out") {
            const std::string* v = value(a);
            if (!v) return std::nullopt;
            cl.outputBase = *v;
        } else if (cl.mode == Mode::Run && a == "--start") {
            const std::string* v = value(a);
            if (!v) return std::nullopt;
            if (!parseInt(*v, cl.startFrame)) {
                error = "--start takes a frame number from 0 to 99999";
                return std::nullopt;
            }
        } else if (cl.mode == Mode::Run && a == "--format") {
            const std::string* v = value(a);
            if (!v) return std::nullopt;
            static const char* const formats[] = {"tga", "bmp", "jpg", "pcx", "png", "flc", "kan", "avi"};
            bool known = false;
            for (const char* f : formats) known = known || *v == f;
            if (!known) {
                error = "unknown format " + *v;
                return std::nullopt;
            }
            cl.format = *v;
        } else if (cl.mode == Mode::Render && a == "-o") {
            const std::string* v = value(a);
            if (!v) return std::nullopt;
            cl.image = *v;
        } else if (!a.empty() && a[0] == '-' && a.size() > 1) {
            error = "unknown option " + a;
            return std::nullopt;
        } else if (cl.mode == Mode::Interactive && cl.landscapeFile.empty()) {
            cl.landscapeFile = a;
        } else if (batch && cl.script.empty()) {
            cl.script = a;
        } else {
            error = "unexpected argument " + a;
            return std::nullopt;
        }
    }
    if (cl.mode == Mode::Run && cl.script.empty()) {
        error = "run needs a script";
        return std::nullopt;
    }
    if (cl.mode == Mode::Render && cl.image.empty()) {
        error = "render needs -o IMAGE";
        return std::nullopt;
    }
    return cl;
}

int runCommandLine(const std::vector<std::string>& args, const char* argv0)
{
    std::string error;
    const auto cl = parseCommandLine(args, error);
    if (!cl) {
        std::fprintf(stderr, "kalvenor: %s\n%s", error.c_str(), kUsageText);
        return kExitUsage;
    }
    switch (cl->mode) {
    case Mode::Help: std::fputs(kUsageText, stdout); return kExitOk;
    case Mode::Version: std::printf("kalvenor %s\n", KALVENOR_VERSION); return kExitOk;
    case Mode::Interactive:
        std::fprintf(stderr, "kalvenor: not available yet: the interactive program (windows and panels). "
                             "Use 'kalvenor run SCRIPT'.\n");
        return kExitFailed;
    case Mode::Run:
    case Mode::Render: break;
    }
    try {
        return runBatch(*cl, argv0);
    } catch (const FatalError& fatal) {
        std::fprintf(stderr, "%s [Oh no!|Oh no!]\n", fatal.what());
        return kFatalExitCode;
    }
}

} // namespace kalvenor
