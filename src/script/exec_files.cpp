// Comments, frame ends, the error paths, directories, other programs, exports
// and the script's own switches.
#include <string>

#include "app/app.h"
#include "base/frontend.h"
#include "base/paths.h"
#include "base/run_program.h"
#include "files/ascii_z.h"
#include "script/exec_handlers.h"

namespace kalvenor {

namespace {

// The requester directory a DefaultDir keyword sets (the texture family sets five).
std::string& familyDirectory(DefaultDirs& dirs, int family)
{
    std::string DefaultDirs::* const members[] = {
        &DefaultDirs::landscape,  &DefaultDirs::scheme,     &DefaultDirs::cloud,     &DefaultDirs::binary,
        &DefaultDirs::palette,    &DefaultDirs::pcx,        &DefaultDirs::targa,     &DefaultDirs::bmp,
        &DefaultDirs::jpeg,       &DefaultDirs::script,     &DefaultDirs::animation, &DefaultDirs::foreground,
        &DefaultDirs::background, &DefaultDirs::stereo,     &DefaultDirs::imageQuality,
    };
    if (family == kDirBatch) return dirs.batch;
    return dirs.*members[family];
}

// A directory as written in a script: either separator, trailing blanks dropped
// (names on the systems these scripts come from cannot end in one), and a
// separator appended. An empty one stays empty: the current directory, not the root.
std::string scriptDirectory(std::string text)
{
    while (!text.empty() && text.back() == ' ') text.pop_back();
    if (text.empty()) return text;
    return withTrailingSeparator(normaliseSeparators(text));
}

} // namespace

LineResult execComment(ScriptContext&) { return LineResult::Done; }

LineResult execIgnored(ScriptContext&) { return LineResult::Done; }

LineResult execUnknown(ScriptContext& ctx)
{
    const std::string word(firstWord(ctx.line));
    const std::string reason = findKeyword(word) != nullptr ? word + " cannot be used in a script"
                                                            : "unknown keyword \"" + word + "\"";
    return scriptError(ctx, reason, "Script error: " + std::string(ctx.line));
}

LineResult execRender(ScriptContext&) { return LineResult::RenderFrame; }

LineResult execRewriteImage(ScriptContext&) { return LineResult::RewriteFrame; }

LineResult execDefaultDir(ScriptContext& ctx)
{
    DefaultDirs& dirs = ctx.app.dirs;
    const std::string dir = scriptDirectory(ctx.args.rest);
    if (ctx.param == kDirTexture)
        dirs.texture.fill(dir);
    else
        familyDirectory(dirs, ctx.param) = dir;
    return LineResult::Done;
}

LineResult execSpawn(ScriptContext& ctx)
{
    if (!ctx.app.allowSpawn) {
        scriptFailure(ctx, "Spawn is refused: this run does not let scripts start programs (--allow-spawn)");
        return LineResult::Done;
    }
    int& answer = ctx.place.spawnAnswer;
    if (ctx.app.askBeforeSpawn && answer == 0)
        answer = ctx.ui.ask("Let the script start a program? " + ctx.args.rest, "Allow", "Refuse") ? 1 : -1;
    if (ctx.app.askBeforeSpawn && answer < 0) {
        scriptFailure(ctx, "Spawn is refused: this script was not allowed to start programs");
        return LineResult::Done;
    }
    const int status = runProgram(ctx.args.rest);
    ctx.app.landscape.mapStale = true;
    if (status == 0) return LineResult::Done;
    const std::string line(ctx.line);
    const std::string question = status > 0 ? "Error code " + std::to_string(status) + " from \"" + line + "\""
                                            : "Unable to Spawn: " + line;
    return scriptError(ctx, question, question);
}

// ExportAsciiZ name step. A failure is reported and the script goes on.
LineResult execExportAsciiZ(ScriptContext& ctx)
{
    const std::string& name = ctx.args.word;
    const ExportResult result = exportAsciiZ(ctx.app.landscape, ctx.app.scene.render.box, normaliseSeparators(name),
                                             intArg(ctx), ctx.ui);
    if (result == ExportResult::OpenFailed) ctx.ui.message(fileMessage(kErrorOpeningFile, name));
    if (result == ExportResult::WriteFailed) ctx.ui.message(fileMessage(kErrorWritingFile, name));
    if (result == ExportResult::OpenFailed || result == ExportResult::WriteFailed)
        scriptFailure(ctx, saveFailureReason(normaliseSeparators(name), "the file could not be written"));
    return LineResult::Done;
}

} // namespace kalvenor
