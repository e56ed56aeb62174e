#include "script/interpreter.h"

#include <algorithm>
#include <string>

#include "app/app.h"
#include "model/scene_settings.h"
#include "model/setting_limits.h"
#include "script/exec_handlers.h"
#include "script/keyword_table.h"
#include "script/script_args.h"

namespace kalvenor {

LineResult executeLine(App& app, Frontend& ui, std::string_view text, ScriptPlace& place)
{
    const std::string line = prepareLine(text);
    if (isBlankLine(line)) return LineResult::Done;

    const Keyword* entry = findKeyword(firstWord(line));
    const ScriptArgs args = parseArgs(line, entry != nullptr ? entry->pattern : ArgPattern::None);
    ScriptContext ctx{app, ui, args, line, entry != nullptr ? entry->param : 0, place};
    if (entry == nullptr) return execUnknown(ctx);
    if (place.replaying && writesOutside(*entry)) return LineResult::Done;
    if (entry->field != nullptr) {
        // A setting row: the value is stored as it is; such rows carry no marks.
        const bool fromParam = entry->source == SettingSource::Param;
        const std::int32_t value = fromParam ? entry->param : toInt32(args.number[0]);
        const std::string stays = "; the setting stays " + std::to_string(entry->field(app.scene));
        std::int32_t least = entry->least, most = entry->most;
        if (const SettingLimit* limit = limitOf(app.scene, &entry->field(app.scene))) {
            least = std::max(least, static_cast<std::int32_t>(limit->least));
            most = std::min(most, static_cast<std::int32_t>(limit->most));
        }
        if (argumentInRange(ctx, value, least, most, stays)) entry->field(app.scene) = value;
        return LineResult::Done;
    }

    // Whatever a handler sets stays within the settings' limits: a value
    // beyond them is refused, and the line leaves every setting as it was
    // (not only the refused one: what was derived from it, such as the camera
    // angles re-aimed at a refused target, goes back too).
    const SettingValues before = settingValues(app.scene);
    const SceneSettings sceneBefore = app.scene;
    const LineResult result = entry->handler(ctx);
    if (const std::string refused = restoreWithinLimits(app.scene, before); !refused.empty()) {
        app.scene = sceneBefore;
        scriptFailure(ctx, refused + "; the setting keeps its value");
    }
    if (result == LineResult::Done && ctx.applyMarks) applyScriptMarks(app.landscape, entry->marks);
    return result;
}

LineResult executeLine(App& app, Frontend& ui, std::string_view text)
{
    ScriptPlace nowhere;
    return executeLine(app, ui, text, nowhere);
}

LineResult classifyLine(std::string_view text)
{
    const std::string line = prepareLine(text);
    const Keyword* entry = findKeyword(firstWord(line));
    if (entry == nullptr) return LineResult::Done;
    if (entry->handler == execRender) return LineResult::RenderFrame;
    if (entry->handler == execRewriteImage) return LineResult::RewriteFrame;
    return LineResult::Done;
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

void placeFrameCamera(CameraSettings& camera, const std::array<float, 6>& values)
{
    camera.cameraX = values[0];
    camera.cameraY = values[1];
    camera.cameraZ = values[2];
    camera.bank = values[3];
    camera.heading = values[4];
    camera.pitch = values[5];
}

} // namespace kalvenor
