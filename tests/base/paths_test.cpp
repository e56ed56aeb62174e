#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/paths.h"

namespace kalvenor {
namespace {

namespace fs = std::filesystem;

TEST(Paths, TheExtensionIsTheFileNamesInSmallLetters)
{
    const std::pair<const char*, const char*> cases[] = {
        {"out/island.TIF", ".tif"}, {"a.b/c", ""},          {"dem\\V1.2\\grid", ""}, {"x.tar.GZ", ".gz"},
        {"noextension", ""},        {"dir/name.", "."},     {"C:\\DEM\\Mesh.Obj", ".obj"},
    };
    for (const auto& [path, extension] : cases) EXPECT_EQ(lowerExtension(path), extension) << path;
}

TEST(Paths, BackslashesWorkAndCaseIsIgnoredWhenTheExactNameIsMissing)
{
    const fs::path root = fs::temp_directory_path() / ("kalvenor_paths_" + std::to_string(::getpid()));
    fs::create_directories(root / "Script");
    std::ofstream(root / "Script" / "Demo.scr") << "x";

    const std::string base = root.string();
    EXPECT_EQ(normaliseSeparators("a\\b\\c.scr"), "a/b/c.scr");
    EXPECT_EQ(resolveExisting(base + "\\Script\\Demo.scr"), base + "/Script/Demo.scr");
    EXPECT_EQ(resolveExisting(base + "/SCRIPT/DEMO.SCR"), base + "/Script/Demo.scr");
    EXPECT_TRUE(fileExists(base + "/script/demo.SCR"));
    EXPECT_TRUE(directoryExists(base + "/SCRIPT"));
    EXPECT_FALSE(fileExists(base + "/Script/missing.scr"));
    EXPECT_EQ(resolveExisting(base + "/Script/missing.scr"), base + "/Script/missing.scr");
    fs::remove_all(root);
}

} // namespace
} // namespace kalvenor
