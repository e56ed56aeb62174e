#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "codecs/image_buffers.h"
#include "script_fixture.h"
#include "support/temp_dir.h"

namespace kalvenor {
namespace {

using ImageFileKeywords = ScriptTest;

TEST_F(ImageFileKeywords, WithoutAnImageTheKeywordsDoNothing)
{
    const std::string path = (dir / "none.tga").string();
    EXPECT_EQ(run("SaveTarga24 " + path), LineResult::Done);
    EXPECT_EQ(run("SavePCX " + path), LineResult::Done);
    EXPECT_EQ(run("LoadBMP " + path), LineResult::Done);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ImageFileKeywords, SavedImagesLoadBackIntoTheBuffer)
{
    ImagePlane<std::uint32_t>& image = app.images.vidmem24;
    ASSERT_TRUE(image.allocate(320, 200));
    ASSERT_TRUE(app.images.vidmem8.allocate(320, 200));
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 320; ++x)
            image[y][x] = packPixel(static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 77);

    for (const char* keyword : {"SaveTarga", "SaveBMP24", "SavePNG", "SaveJPG", "SavePCX"})
        ASSERT_EQ(run(std::string(keyword) + " " + (dir / keyword).string()), LineResult::Done) << keyword;
    EXPECT_TRUE(ui.messages.empty());
    for (const char* keyword : {"SaveTarga", "SaveBMP24", "SavePNG", "SaveJPG", "SavePCX"})
        EXPECT_GT(std::filesystem::file_size(dir / keyword), 500u) << keyword;

    for (const char* pair : {"LoadTarga24 SaveTarga", "LoadBMP SaveBMP24"}) {
        const std::string text(pair);
        const std::string file = (dir / text.substr(text.find(' ') + 1)).string();
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 320; ++x) image[y][x] = 0;
        ASSERT_EQ(run(text.substr(0, text.find(' ')) + " " + file), LineResult::Done);
        EXPECT_EQ(pixelRed(image[10][200]), 200) << pair;
        EXPECT_EQ(pixelGreen(image[150][3]), 150) << pair;
        EXPECT_EQ(pixelBlue(image[199][319]), 77) << pair;
    }
}

TEST_F(ImageFileKeywords, AFailedSaveOrLoadSaysSoAndTheScriptGoesOn)
{
    ASSERT_TRUE(app.images.vidmem24.allocate(320, 200));
    EXPECT_EQ(run("SaveTarga /proc/kalvenor.tga"), LineResult::Done);
    EXPECT_EQ(run("LoadJPG " + (dir / "missing.jpg").string()), LineResult::Done);
    const std::string garbage = write("garbage.bmp", std::string(100, 'x'));
    EXPECT_EQ(run("LoadBMP24 " + garbage), LineResult::Done);
    ASSERT_EQ(ui.messages.size(), 3u);
    EXPECT_EQ(ui.messages[0], "Error writing file: \"/proc/kalvenor.tga\"");
    EXPECT_EQ(ui.messages[1], "Error opening file: \"" + (dir / "missing.jpg").string() + "\"");
    EXPECT_EQ(ui.messages[2], "Error reading file: \"" + garbage + "\"");
}

} // namespace
} // namespace kalvenor
