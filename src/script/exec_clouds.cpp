// Cloud keywords.
#include <cctype>
#include <string>

#include "app/app.h"
#include "base/file_requests.h"
#include "base/frontend.h"
#include "base/paths.h"
#include "files/cloud_file.h"
#include "render/clouds.h"
#include "script/exec_handlers.h"

namespace kalvenor {

int execClouds(ScriptContext& ctx)
{
    ctx.app.scene.clouds.clouds = ctx.param;
    return 1;
}

int execCloudDensity(ScriptContext& ctx)
{
    setCloudDensity(ctx.app.scene.clouds, intArg(ctx));
    return 1;
}

int execCloudHardness(ScriptContext& ctx)
{
    setCloudHardness(ctx.app.scene.clouds, intArg(ctx));
    return 1;
}

int execCloudAltitude(ScriptContext& ctx)
{
    ctx.app.scene.clouds.altitude = intArg(ctx);
    return 1;
}

int execCloudTexture(ScriptContext& ctx)
{
    setCloudDetail(ctx.app.scene.clouds, ctx.param != 0);
    return 1;
}

// CloudNumber n: the cloud seed, and the pattern made from it.
int execCloudNumber(ScriptContext& ctx)
{
    ctx.app.scene.clouds.number = intArg(ctx);
    regenerateClouds(ctx.app.scene.clouds, ctx.app.random);
    return 1;
}

// CloudRandom: a new seed from the clock, as a new fractal seed is made.
int execCloudRandom(ScriptContext& ctx)
{
    App& app = ctx.app;
    app.scene.clouds.number = static_cast<std::int32_t>(newFractalSeed(app.random, app.clock.millis()));
    regenerateClouds(app.scene.clouds, app.random);
    return 1;
}

int execCloudLoad(ScriptContext& ctx)
{
    const std::string path = resolveExisting(ctx.args.word);
    if (loadCloudPattern(path, ctx.app.scene.clouds.pattern) != ImageStatus::Ok)
        ctx.ui.message(fileMessage(kErrorOpeningFile, path));
    return 1;
}

// CloudSave name: the pattern as a .CLD file, without the requester's questions.
int execCloudSave(ScriptContext& ctx)
{
    const std::string path = withDefaultExtension(normaliseSeparators(ctx.args.word), ".CLD");
    if (saveCloudPattern(path, ctx.app.scene.clouds.pattern) != ImageStatus::Ok)
        ctx.ui.message(fileMessage(kErrorWritingFile, path));
    return 1;
}

int execCloudsFromLandscape(ScriptContext& ctx)
{
    cloudsFromLandscape(ctx.app.scene.clouds, ctx.app.landscape);
    return 1;
}

// CloudSize S, M, L or X: the size of the clouds the next generated pattern has.
int execCloudSize(ScriptContext& ctx)
{
    const std::string& word = ctx.args.word;
    const char size = word.size() == 1 ? static_cast<char>(std::toupper(static_cast<unsigned char>(word[0]))) : '?';
    int divisor = 0;
    switch (size) {
    case 'S': divisor = kCloudSizeSmall; break;
    case 'M': divisor = kCloudSizeMedium; break;
    case 'L': divisor = kCloudSizeLarge; break;
    case 'X': divisor = kCloudSizeExtraLarge; break;
    default:
        ctx.ui.message("CloudSize takes S, M, L or X: " + word);
        ctx.applyMarks = false;
        return 1;
    }
    ctx.app.scene.clouds.sizeDivisor = divisor;
    return 1;
}

} // namespace kalvenor
