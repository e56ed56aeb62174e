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

LineResult execCloudDensity(ScriptContext& ctx)
{
    setCloudDensity(ctx.app.scene.clouds, intArg(ctx));
    return LineResult::Done;
}

LineResult execCloudHardness(ScriptContext& ctx)
{
    setCloudHardness(ctx.app.scene.clouds, intArg(ctx));
    return LineResult::Done;
}

LineResult execCloudTexture(ScriptContext& ctx)
{
    setCloudDetail(ctx.app.scene.clouds, ctx.param != 0);
    return LineResult::Done;
}

// CloudNumber n: the cloud seed, and the pattern made from it.
LineResult execCloudNumber(ScriptContext& ctx)
{
    ctx.app.scene.clouds.number = intArg(ctx);
    regenerateClouds(ctx.app.scene.clouds, ctx.app.random);
    return LineResult::Done;
}

// CloudRandom: a new seed from the clock, as a new fractal seed is made.
LineResult execCloudRandom(ScriptContext& ctx)
{
    App& app = ctx.app;
    app.scene.clouds.number = static_cast<std::int32_t>(newFractalSeed(app.random, app.clock.millis()));
    regenerateClouds(app.scene.clouds, app.random);
    return LineResult::Done;
}

LineResult execCloudLoad(ScriptContext& ctx)
{
    const std::string path = resolveExisting(ctx.args.word);
    const ImageStatus status = loadCloudPattern(path, ctx.app.scene.clouds.pattern);
    if (status != ImageStatus::Ok) {
        ctx.ui.message(fileMessage(status == ImageStatus::OpenFailed ? kErrorOpeningFile : kErrorReadingFile, path));
        scriptFailure(ctx, loadFailureReason(path, "the file is cut short or not a cloud pattern"));
    }
    return LineResult::Done;
}

// CloudSave name: the pattern as a .CLD file, without the requester's questions.
LineResult execCloudSave(ScriptContext& ctx)
{
    const std::string path = withDefaultExtension(normaliseSeparators(ctx.args.word), ".CLD");
    if (saveCloudPattern(path, ctx.app.scene.clouds.pattern) != ImageStatus::Ok) {
        ctx.ui.message(fileMessage(kErrorWritingFile, path));
        scriptFailure(ctx, saveFailureReason(path, "the file could not be written"));
    }
    return LineResult::Done;
}

LineResult execCloudsFromLandscape(ScriptContext& ctx)
{
    cloudsFromLandscape(ctx.app.scene.clouds, ctx.app.landscape);
    return LineResult::Done;
}

// CloudSize S, M, L or X: the size of the clouds the next generated pattern has.
LineResult execCloudSize(ScriptContext& ctx)
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
        return LineResult::Done;
    }
    ctx.app.scene.clouds.sizeDivisor = divisor;
    return LineResult::Done;
}

} // namespace kalvenor
