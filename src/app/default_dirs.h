// The starting directory of each family's file requester. All start as the
// program directory (the image-quality presets may come from an installed
// share folder instead); the start-up sequence and the DefaultDir script
// keywords change them.
#pragma once

#include <array>
#include <string>

namespace kalvenor {

enum class TextureFamily { Ground, Water, Tree, House, Sky };

struct DefaultDirs {
    std::string landscape;
    std::string scheme;
    std::string cloud;
    std::string palette;
    std::string pcx;
    std::string targa;
    std::string bmp;
    std::string jpeg;
    std::string script;
    std::string animation;
    std::string batch;
    std::string imageQuality;
    std::string binary;
    std::string foreground;
    std::string background;
    std::string stereo;
    std::array<std::string, 5> texture; // ground, water, tree, house, sky

    // Every directory set to one path.
    void setAll(const std::string& dir);
};

// A directory as the requesters keep it: with a trailing separator.
std::string withTrailingSeparator(std::string dir);

// The quality presets of an installed program: for a program in PREFIX/bin/
// that has no "IQ" folder of its own (in any letter case),
// PREFIX/share/kalvenor/IQ/ when that directory exists. Empty otherwise, and
// the presets are looked for beside the program as before.
std::string installedPresetDirectory(const std::string& programDir);

} // namespace kalvenor
