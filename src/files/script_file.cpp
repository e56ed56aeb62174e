#include "files/script_file.h"

#include <cmath>
#include <cstdio>
#include <cstdint>
#include <vector>

#include "base/atomic_file.h"
#include "base/paths.h"
#include "files/landscape_file.h"

namespace kalvenor {

namespace {

int truncated(float v) { return static_cast<int>(std::trunc(v)); } // settings lie well inside int

} // namespace

bool isScriptHeaderLine(std::string_view line)
{
    if (!line.ends_with('\n')) return false;
    line.remove_suffix(1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    return line == kScriptHeader;
}

std::string cameraFrameLine(const CameraSettings& c)
{
    char text[128];
    std::snprintf(text, sizeof text, "%5d, %5d, %5d, %4d, %4d, %4d,", truncated(c.cameraX), truncated(c.cameraY),
                  truncated(c.cameraZ), truncated(c.bank), truncated(c.heading), truncated(c.pitch));
    return text;
}

std::string straightFlightScript(const CameraSettings& c, int frames)
{
    std::string text = std::string(kScriptHeader) + "\n" + kScriptCaption + "\n";
    for (int i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / frames;
        char line[256];
        std::snprintf(line, sizeof line, "%f, %f, %f, %f, %f, %f,\n", c.cameraX + (c.targetX - c.cameraX) * t,
                      c.cameraY + (c.targetY - c.cameraY) * t, c.cameraZ + (c.targetZ - c.cameraZ) * t, c.bank,
                      c.heading, c.pitch);
        text += line;
    }
    return text;
}

ScriptWrite appendCameraLine(const std::string& path, const CameraSettings& camera)
{
    const std::string resolved = resolveExisting(path);
    std::vector<std::uint8_t> bytes;
    if (readWholeFile(resolved, bytes) != LoadStatus::Ok) return ScriptWrite::OpenFailed;
    const std::string existing(bytes.begin(), bytes.end());
    const std::size_t firstEnd = existing.find('\n');
    if (firstEnd == std::string::npos || !isScriptHeaderLine(std::string_view(existing).substr(0, firstEnd + 1)))
        return ScriptWrite::NotScript;
    AtomicFile out;
    if (!out.open(resolved, FileMode::Binary)) return ScriptWrite::OpenFailed;
    out.write(existing);
    if (!existing.ends_with('\n')) out.write("\r\n");
    out.write(cameraFrameLine(camera) + "\r\n");
    return out.commit() ? ScriptWrite::Ok : ScriptWrite::WriteFailed;
}

ScriptWrite writeStraightFlight(const std::string& path, const CameraSettings& camera, int frames)
{
    AtomicFile out;
    if (!out.open(path, FileMode::Text)) return ScriptWrite::OpenFailed;
    out.write(straightFlightScript(camera, frames));
    return out.commit() ? ScriptWrite::Ok : ScriptWrite::WriteFailed;
}

} // namespace kalvenor
