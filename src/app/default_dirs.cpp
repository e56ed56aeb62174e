#include "app/default_dirs.h"

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

} // namespace kalvenor
