#include "files/path_export.h"

#include <cmath>
#include <cstdio>

#include "base/atomic_file.h"
#include "base/frontend.h"
#include "base/paths.h"
#include "files/script_file.h"

namespace kalvenor {

namespace {

float foldOnce(float degrees)
{
    if (degrees > 180.0f) return degrees - 360.0f;
    if (degrees < -180.0f) return degrees + 360.0f;
    return degrees;
}

void appendFormatted(std::string& out, const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    out += text;
}

double distance(const PathPoint& a, const PathPoint& b)
{
    const double dx = static_cast<double>(b.x) - a.x, dy = static_cast<double>(b.y) - a.y;
    const double dz = static_cast<double>(b.z) - a.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

} // namespace

void foldPointAngles(std::vector<PathPoint>& points)
{
    for (PathPoint& p : points) {
        p.bank = foldOnce(p.bank);
        p.heading = foldOnce(p.heading);
        p.pitch = foldOnce(p.pitch);
    }
}

std::string pathScriptText(const std::vector<PathPoint>& points)
{
    std::string out = std::string(kScriptHeader) + "\n" + kScriptCaption + "\n";
    for (std::size_t i = 0; i < points.size(); ++i) {
        const PathPoint& p = points[i];
        for (float value : {p.x, p.y, p.z, p.bank, p.heading, p.pitch}) appendFormatted(out, "%9.2f, ", value);
        if (i > 0) appendFormatted(out, " (%0.2f)", distance(points[i - 1], p));
        out += "\n";
    }
    return out;
}

PathExportStatus writePathScript(std::vector<PathPoint>& points, const std::string& file)
{
    if (points.empty()) return PathExportStatus::NoPoints;
    foldPointAngles(points);
    AtomicFile out;
    if (!out.open(file, FileMode::Text)) return PathExportStatus::OpenFailed;
    out.write(pathScriptText(points));
    return out.commit() ? PathExportStatus::Ok : PathExportStatus::WriteFailed;
}

int exportPathCommand(PathState& path, const std::string& directory, Frontend& ui)
{
    if (path.points.empty()) {
        ui.message(kNoPoints);
        return 0;
    }
    FileRequest request;
    request.title = "Save Script name:";
    request.directory = directory;
    request.pattern = "*.SCR";
    request.defaultName = "KALVE.SCR";
    request.save = true;
    const std::optional<std::string> chosen = ui.chooseFile(request);
    if (!chosen || chosen->empty()) return -1;
    if (fileExists(*chosen) && !ui.ask("Replace " + *chosen + " ?", "Replace", "Cancel")) return -1;

    switch (writePathScript(path.points, *chosen)) {
    case PathExportStatus::Ok: return 1;
    case PathExportStatus::OpenFailed: ui.message("Error opening motion file " + *chosen); return 0;
    case PathExportStatus::WriteFailed: ui.message(fileMessage(kErrorWritingFile, *chosen)); return 0;
    case PathExportStatus::NoPoints: break;
    }
    return 0;
}

} // namespace kalvenor
