#include "shell/startup.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/landscape_commands.h"
#include "base/fatal_error.h"
#include "base/frontend.h"
#include "base/paths.h"
#include "files/landscape_file.h"
#include "model/default_scheme.h"
#include "model/scene_reset.h"
#include "path/path_generate.h"
#include "platform/headless_frontend.h"
#include "render/clouds.h"
#include "render/image_size.h"
#include "render/star_map.h"
#include "script/runner.h"

namespace kalvenor {

namespace fs = std::filesystem;

void initialiseApp(App& app, Frontend& ui)
{
    Landscape& land = app.landscape;
    SceneSettings& scene = app.scene;
    ui.status("  Initializing  ");

    // The first display mode: 320 x 200 in true colour, else in 8 bits.
    if (setDisplayMode(app.images, app.geometry, scene.render, ui, displayModeForSize(1, 24)) == 0)
        setDisplayMode(app.images, app.geometry, scene.render, ui, displayModeForSize(1, 8));

    // Taken now rather than at the first night sky, so that a machine without
    // the memory stops here and not in the middle of a render.
    allocateStarMap(app.sceneDraw.stars);

    resizeLandscape(land, app.random, kSmallGrid, kSmallGrid);
    setLandscapeName(land, "Flatland");

    // Maps cleared, cloud defaults, scene reset, tree classes.
    land.elevation.clear();
    land.terrain.clear();
    land.shadow.clear();
    installDefaultScheme(scene);
    if (scene.clouds.number == 0) scene.clouds.number = 8;
    seedAll(app.random, 123456);
    generateCloudPattern(scene.clouds, app.random);
    recomputeCloudThresholds(scene.clouds);
    computeElevationStatistics(land);
    resetScene(land, scene);
    scene.trees.kindMask.fill(kTreeOak);

    scene.trees.trees = 0;
    scene.generation.verticalScale = 1.0f;
    scene.generation.verticalScale2 = 1.0f;

    buildDefaultLandscape(land, app.random);
    resetDerivedMaps(land);
    computeElevationStatistics(land);
    placeOverviewCamera(land, scene.camera);
    setDefaultTerrainThresholds(land, scene.colouring);
    scene.texture.shadeLevel = 1;
    scene.texture.altitudeLevel = 2;
    land.mapStale = true;
}

void setDefaultDirectories(DefaultDirs& dirs, const std::string& programDir)
{
    const std::string base = withTrailingSeparator(programDir);
    dirs.setAll(base);
    // An installed program keeps its presets in PREFIX/share/kalvenor/IQ; an IQ folder beside it wins.
    if (const std::string presets = installedPresetDirectory(base); !presets.empty()) dirs.imageQuality = presets;
    const struct {
        const char* name;
        std::string* dir;
    } subdirectories[] = {
        {"DEM", &dirs.landscape}, {"SCHEME", &dirs.scheme}, {"CLOUD", &dirs.cloud}, {"PCX", &dirs.palette},
        {"PCX", &dirs.pcx},       {"TGA", &dirs.targa},     {"BMP", &dirs.bmp},     {"JPG", &dirs.jpeg},
        {"Script", &dirs.script}, {"ANIM", &dirs.animation}, {"BAT", &dirs.batch},  {"IQ", &dirs.imageQuality},
    };
    for (const auto& sub : subdirectories) {
        const std::string path = resolveExisting(base + sub.name);
        if (directoryExists(path)) *sub.dir = withTrailingSeparator(path);
    }
}

ScriptOutcome runStartupScript(App& app, Frontend& ui, const std::string& firstDir)
{
    for (const std::string& dir : {withTrailingSeparator(firstDir), app.dirs.script}) {
        const std::string path = resolveExisting(dir + "STARTUP.SCR");
        if (fileExists(path)) return runScript(app, ui, path, std::nullopt, 0, nullptr);
    }
    return {};
}

std::optional<Loaded> loadStartupLandscape(App& app, Frontend& ui, const std::string& argument, const std::string& firstDir)
{
    std::string path;
    if (!argument.empty()) {
        path = resolveExisting(argument);
    } else {
        for (const std::string& dir : {withTrailingSeparator(firstDir), app.dirs.landscape}) {
            const std::string candidate = resolveExisting(dir + "STARTUP.DEM");
            if (fileExists(candidate)) {
                path = candidate;
                break;
            }
        }
        if (path.empty()) return std::nullopt;
    }
    const Loaded result = loadLandscape(app, path, ui);
    // A failed load leaves the landscape and what the start-up script set as they were.
    if (result == Loaded::Landscape) resetForNewLandscape(app.landscape, app.scene);
    computeElevationStatistics(app.landscape);
    if (result == Loaded::WithSettings) generatePathPoints(app.path, app.landscape, ui); // the session's camera path
    app.landscape.mapStale = true;
    return result;
}

std::string programDirectory(const char* argv0)
{
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec || self.empty()) self = fs::absolute(argv0 != nullptr ? argv0 : ".", ec);
    return withTrailingSeparator(self.parent_path().string());
}

int runHeadlessApp(const std::vector<std::string>& answers, const char* argv0,
                   const std::function<int(App&, Frontend&)>& work)
{
    HeadlessFrontend ui;
    for (const std::string& text : answers) {
        PresetAnswer answer;
        parsePresetAnswer(text, answer);
        ui.addAnswer(answer);
    }
    HeadlessFrontend::installInterruptHandler();
    try {
        App app;
        app.frontend = &ui;
        app.programDir = programDirectory(argv0);
        initialiseApp(app, ui);
        setDefaultDirectories(app.dirs, app.programDir);
        return work(app, ui);
    } catch (const FatalError& fatal) {
        std::fprintf(stderr, "%s [Oh no!|Oh no!]\n", fatal.what());
        return fatal.exitCode;
    }
}

} // namespace kalvenor
