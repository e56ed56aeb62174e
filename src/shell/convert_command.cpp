#include "shell/convert_command.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "app/app.h"
#include "app/interchange_commands.h"
#include "app/landscape_commands.h"
#include "base/paths.h"
#include "files/landscape_file.h"
#include "interchange/mesh_export.h"
#include "shell/command_line.h"
#include "shell/startup.h"

namespace kalvenor {

namespace {

// Whether the file starts with the magic of either landscape format.
bool startsLikeLandscape(const std::string& path)
{
    const int fd = openRegularFile(path, O_RDONLY);
    if (fd < 0) return false;
    char head[kMagicBytes] = {};
    const ssize_t got = ::read(fd, head, sizeof head);
    ::close(fd);
    if (got <= 0) return false;
    const std::string_view text(head, static_cast<std::size_t>(got));
    return text.starts_with(kOldMagic) || text.starts_with(kNewMagic);
}

} // namespace

std::optional<ConvertCommandLine> parseConvertCommandLine(const std::vector<std::string>& args, std::string& error)
{
    ConvertCommandLine cl;
    std::vector<std::string> files;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool takesValue = a == "--fit" || a == "--step" || a == "--answer";
        if (takesValue && i + 1 >= args.size()) {
            error = a + " needs a value";
            return std::nullopt;
        }
        if (a == "--fit") {
            const std::optional<RasterFit> fit = rasterFitNamed(args[++i]);
            if (!fit) {
                error = "--fit takes rules, crop, bilinear or nearest";
                return std::nullopt;
            }
            cl.fit = *fit;
        } else if (a == "--step") {
            const std::string& value = args[++i];
            char* end = nullptr;
            const long step = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end != '\0' || step < 1 || step > 2048) {
                error = "--step takes a whole number from 1 to 2048";
                return std::nullopt;
            }
            cl.step = static_cast<int>(step);
        } else if (a == "--answer") {
            if (!takeAnswer(args[++i], cl.answers, error)) return std::nullopt;
        } else if (a.size() > 1 && a[0] == '-') {
            error = "unknown option " + a;
            return std::nullopt;
        } else {
            files.push_back(a);
        }
    }
    if (files.size() != 2) {
        error = files.size() < 2 ? "convert needs an input and an output file" : "unexpected argument " + files[2];
        return std::nullopt;
    }
    cl.input = files[0];
    cl.output = files[1];
    if (!convertWrites(cl.output)) {
        error = "convert writes .tif, .tiff, .png, .ter, .obj, .glb, .stl, .ply, .dem or .k4s, not " + cl.output;
        return std::nullopt;
    }
    return cl;
}

bool convertWrites(const std::string& path)
{
    const std::string ext = lowerExtension(path);
    return isElevationExportExtension(path) || isMeshExportExtension(path) || ext == ".dem" || ext == ".k4s";
}

int convertLandscape(App& app, Frontend& ui, const ConvertCommandLine& cl)
{
    const std::string input = resolveExisting(cl.input);
    if (startsLikeLandscape(input)) {
        if (loadLandscape(app, input, ui) == Loaded::Nothing) return kExitFailed;
    } else if (importElevationRaster(app, input, cl.fit, ui) != Outcome::Done) {
        return kExitFailed;
    }
    const std::string output = normaliseSeparators(cl.output);
    const std::string ext = lowerExtension(output);
    Outcome written = Outcome::Failed;
    if (isElevationExportExtension(output))
        written = exportElevationRaster(app, output, ui);
    else if (isMeshExportExtension(output))
        written = exportLandscapeMesh(app, output, cl.step, ui);
    else if (ext == ".dem")
        written = saveDem(app, output, ui);
    else
        written = saveSession(app, output, ui);
    if (written != Outcome::Done) return kExitFailed;
    std::fprintf(stderr, "Converted %s (%d x %d) to %s\n", input.c_str(), app.landscape.gridWidth,
                 app.landscape.gridHeight, output.c_str());
    return kExitOk;
}

int runConvertCommand(const std::vector<std::string>& args, const char* argv0)
{
    std::string error;
    const std::optional<ConvertCommandLine> cl = parseConvertCommandLine(args, error);
    if (!cl) {
        std::fprintf(stderr, "kalvenor: %s\n%s", error.c_str(), usageText().c_str());
        return kExitUsage;
    }
    return runHeadlessApp(cl->answers, argv0, [&](App& app, Frontend& ui) { return convertLandscape(app, ui, *cl); });
}

} // namespace kalvenor
