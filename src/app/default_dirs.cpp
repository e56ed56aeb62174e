#include "app/default_dirs.h"

#include <filesystem>
#include <system_error>

#include "base/paths.h"

namespace kalvenor {

void DefaultDirs::setAll(const std::string& dir)
{
    for (std::string* d : {&landscape, &scheme, &cloud, &palette, &pcx, &targa, &bmp, &jpeg, &script, &animation,
                           &batch, &imageQuality, &binary, &foreground, &background, &stereo})
        *d = dir;
    texture.fill(dir);
}

std::string withTrailingSeparator(std::string dir)
{
    if (dir.empty() || (dir.back() != '/' && dir.back() != '\\')) dir += '/';
    return dir;
}

std::string installedPresetDirectory(const std::string& programDir)
{
    if (programDir.empty()) return {};
    const std::string base = withTrailingSeparator(programDir);
    if (directoryExists(base + "IQ")) return {};
    // The layout make install writes: PREFIX/bin/kalvenor beside PREFIX/share/kalvenor/.
    const std::filesystem::path shared = (std::filesystem::path(base) / "../share/kalvenor/IQ").lexically_normal();
    std::error_code ec;
    if (!std::filesystem::is_directory(shared, ec)) return {};
    return withTrailingSeparator(shared.string());
}

} // namespace kalvenor
