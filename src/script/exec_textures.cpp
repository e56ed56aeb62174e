// Texture keywords.
#include <cctype>
#include <charconv>
#include <string>

#include "app/app.h"
#include "base/frontend.h"
#include "base/paths.h"
#include "render/textures.h"
#include "script/exec_handlers.h"

namespace kalvenor {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

} // namespace

// TextureLoad CLASS FILE: CLASS a whole number 0..255; the rest of the line is
// the Targa file (blanks allowed). Without a file the class's texture is freed.
LineResult execTextureLoad(ScriptContext& ctx)
{
    const std::string& rest = ctx.args.rest;
    int classCode = -1;
    const char* first = rest.data();
    const char* last = rest.data() + rest.size();
    const auto [end, error] = std::from_chars(first, last, classCode);
    if (error != std::errc() || end == first || (end != last && !isBlank(*end)) || classCode < 0 ||
        classCode >= static_cast<int>(kTextureSlots)) {
        ctx.ui.message("TextureLoad takes a class 0..255 and a Targa file: " + rest);
        scriptFailure(ctx, "the class must be a whole number 0 to 255");
        ctx.applyMarks = false;
        return LineResult::Done;
    }
    std::string name(end, last);
    const auto from = name.find_first_not_of(" \t");
    name = from == std::string::npos ? std::string() : name.substr(from, name.find_last_not_of(" \t") - from + 1);
    const std::string path = name.empty() ? name : normaliseSeparators(name);
    if (loadTexture(ctx.app.textures, classCode, path, ctx.ui) != 1) {
        scriptFailure(ctx, loadFailureReason(path, "not a readable Targa picture"));
        ctx.applyMarks = false;
    }
    return LineResult::Done;
}

} // namespace kalvenor
