#include "app/default_dirs.h"
#include "shell/startup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "../support/temp_dir.h"

namespace kalvenor {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

// An installed program, PREFIX/bin/kalvenor, takes its quality presets from
// PREFIX/share/kalvenor/IQ; every other directory stays the program's.
TEST(DefaultDirs, InstalledProgramFindsItsPresetsUnderShare)
{
    TempDir prefix("dirs");
    fs::create_directories(prefix.path / "bin");
    fs::create_directories(prefix.path / "share/kalvenor/IQ");
    const std::string bin = prefix.path.string() + "/bin/";

    DefaultDirs dirs;
    setDefaultDirectories(dirs, bin);
    EXPECT_EQ(dirs.imageQuality, prefix.path.string() + "/share/kalvenor/IQ/");
    EXPECT_EQ(dirs.script, bin);
    EXPECT_EQ(dirs.landscape, bin);
    EXPECT_EQ(dirs.stereo, bin);
    EXPECT_EQ(dirs.texture[4], bin);

    // The same without the trailing separator.
    EXPECT_EQ(installedPresetDirectory(prefix.path.string() + "/bin"), prefix.path.string() + "/share/kalvenor/IQ/");
}

TEST(DefaultDirs, PresetsBesideTheProgramComeFirst)
{
    TempDir prefix("dirs");
    fs::create_directories(prefix.path / "bin/iq"); // found in any letter case, as the start-up looks for it
    fs::create_directories(prefix.path / "share/kalvenor/IQ");
    const std::string bin = prefix.path.string() + "/bin/";

    DefaultDirs dirs;
    setDefaultDirectories(dirs, bin);
    EXPECT_EQ(dirs.imageQuality, bin + "iq/");
    EXPECT_EQ(installedPresetDirectory(bin), "");
}

TEST(DefaultDirs, WithoutAnInstalledShareEveryDirectoryIsTheGivenOne)
{
    TempDir prefix("dirs");
    fs::create_directories(prefix.path / "bin");
    fs::create_directories(prefix.path / "share/kalvenor"); // no IQ folder in it
    const std::string bin = prefix.path.string() + "/bin/";

    DefaultDirs dirs;
    setDefaultDirectories(dirs, bin);
    EXPECT_EQ(dirs.imageQuality, bin);
    EXPECT_EQ(installedPresetDirectory(bin), "");

    // A file where the folder would be is no preset directory.
    testing::writeFile(prefix / "share/kalvenor/IQ", "not a folder");
    setDefaultDirectories(dirs, bin);
    EXPECT_EQ(dirs.imageQuality, bin);

    // Set to one path, every directory is that path.
    dirs.setAll("");
    EXPECT_EQ(dirs.imageQuality, "");
    EXPECT_EQ(dirs.batch, "");
}

} // namespace
} // namespace kalvenor
