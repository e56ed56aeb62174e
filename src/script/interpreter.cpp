#include "script/interpreter.h"

#include <string>

#include "app/app.h"
#include "script/exec_handlers.h"
#include "script/keyword_table.h"
#include "script/script_args.h"

namespace kalvenor {

static_assert(kLineRender == kScriptRenderFrame && kLineRewrite == kScriptRewriteFrame);

int executeLine(App& app, Frontend& ui, std::string_view text)
{
    const std::string line = prepareLine(text);
    if (isBlankLine(line)) return 1;

    const Keyword* entry = findKeyword(firstWord(line));
    const ScriptArgs args = parseArgs(line, entry != nullptr ? entry->pattern : ArgPattern::None);
    ScriptContext ctx{app, ui, args, line, entry != nullptr ? entry->param : 0};
    if (entry == nullptr) return execUnknown(ctx);

    const int result = entry->handler(ctx);
    if (result == 1 && ctx.applyMarks) applyScriptMarks(app.landscape, entry->marks);
    return result;
}

int classifyLine(std::string_view text)
{
    const std::string line = prepareLine(text);
    const Keyword* entry = findKeyword(firstWord(line));
    if (entry == nullptr) return 0;
    if (entry->handler == execRender) return kLineRender;
    if (entry->handler == execRewriteImage) return kLineRewrite;
    return 0;
}

bool isFrameLine(std::string_view text)
{
    for (const char c : text) {
        if (c == '-' || c == '+' || c == ' ' || c == '\t') continue;
        return c >= '0' && c <= '9';
    }
    return false;
}

int readFrameLine(std::string_view text, std::array<float, 6>& values)
{
    const std::string line = prepareLine(text);
    std::size_t pos = 0;
    for (std::size_t i = 0; i < values.size(); ++i) {
        double value = 0.0;
        if (!readNumber(line, pos, value, values[i])) return static_cast<int>(i);
        if (i + 1 == values.size()) break;
        if (pos >= line.size() || line[pos] != ',') return static_cast<int>(i + 1);
        ++pos;
    }
    return static_cast<int>(values.size());
}

} // namespace kalvenor
