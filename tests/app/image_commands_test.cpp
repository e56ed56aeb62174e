#include "app/image_commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "codecs/image_test_support.h"
#include "codecs/targa.h"
#include "platform/scripted_frontend.h"
#include "support/temp_dir.h"

namespace kalvenor {
namespace {

using testing::Picture;
using testing::TempDir;

TEST(ImageCommands, EachFormatShowsItsRequesterStatusAndMessages)
{
    const struct {
        ImageFormat format;
        const char* saveTitle;
        const char* saveStatus;
        const char* pattern;
        const char* savedAs;    // what "p" becomes
        const char* loadTitle;  // null: the format is not read
        const char* loadStatus;
    } cases[] = {
        {ImageFormat::Targa, "Save Targa24 file", "  Save Targa24  ", "*.TGA", "p.TGA", "Load Targa24 file",
         "  Load Targa24  "},
        {ImageFormat::Bmp, "Save BMP file", "    Save BMP    ", "*.BMP", "p.BMP", "Load BMP file", "    Load BMP    "},
        {ImageFormat::Jpeg, "Save JPEG file", "   Save JPEG    ", "*.JPG", "p.JPG", "Load JPEG file",
         "   Load JPEG    "},
        {ImageFormat::Png, "Save PNG file", "    Save PNG    ", "*.PNG", "p.PNG", nullptr, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.saveTitle);
        TempDir dir("imgcmd");
        Picture p(5, 3, 0x00336699);
        RenderSettings render;
        ScriptedFrontend ui;

        ui.fileAnswers.push_back(dir / "p");
        EXPECT_EQ(commandSaveImage(ui, c.format, p.plane, {5, 3}, render, false, "pictures"), 1);
        ASSERT_EQ(ui.fileRequests.size(), 1u);
        EXPECT_EQ(ui.fileRequests[0].title, c.saveTitle);
        EXPECT_EQ(ui.fileRequests[0].pattern, c.pattern);
        EXPECT_EQ(ui.fileRequests[0].directory, "pictures");
        EXPECT_TRUE(ui.fileRequests[0].save);
        EXPECT_EQ(ui.statuses, std::vector<std::string>{c.saveStatus});
        EXPECT_TRUE(std::filesystem::exists(dir / c.savedAs));
        EXPECT_TRUE(ui.messages.empty());

        // No file chosen: cancelled, nothing shown.
        EXPECT_EQ(commandSaveImage(ui, c.format, p.plane, {5, 3}, render, false, ""), -1);
        EXPECT_EQ(ui.statuses.size(), 1u);

        // A file that cannot be written: its message.
        testing::writeFile(dir / "block", "x");
        ui.fileAnswers.push_back(dir / "block/q");
        EXPECT_EQ(commandSaveImage(ui, c.format, p.plane, {5, 3}, render, false, ""), 0);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0], "Error writing file: \"" + (dir / "block/q") + "." + (c.pattern + 2) + "\"");

        ImagePlane<std::uint32_t> none;
        EXPECT_EQ(commandSaveImage(ui, c.format, none, {5, 3}, render, false, ""), 0);
        EXPECT_EQ(ui.messages.back(), "This function requires 24-bit mode.");

        const std::size_t requests = ui.fileRequests.size();
        LoadedImageInfo info{1, 1, 1};
        ui.fileAnswers.push_back(dir / c.savedAs);
        if (c.loadTitle == nullptr) {
            EXPECT_EQ(commandLoadImage(ui, c.format, p.plane, {5, 3}, info, ""), 0);
            EXPECT_EQ(ui.fileRequests.size(), requests) << "no requester for a format that is not read";
            EXPECT_EQ(info.bits, 1);
            continue;
        }
        EXPECT_EQ(commandLoadImage(ui, c.format, p.plane, {5, 3}, info, "pictures"), 1);
        EXPECT_EQ(ui.fileRequests.back().title, c.loadTitle);
        EXPECT_EQ(ui.fileRequests.back().pattern, c.pattern);
        EXPECT_FALSE(ui.fileRequests.back().save);
        EXPECT_EQ(ui.statuses.back(), c.loadStatus);
        EXPECT_EQ(info.width, 5);
        EXPECT_EQ(info.height, 3);
        EXPECT_EQ(info.bits, 24);
        EXPECT_EQ(commandLoadImage(ui, c.format, p.plane, {5, 3}, info, ""), -1);
        EXPECT_EQ(commandLoadImage(ui, c.format, none, {5, 3}, info, ""), 0);
        EXPECT_EQ(ui.messages.back(), "This function requires 24-bit mode.");
    }
}

TEST(ImageCommands, OnlyThe24BitPicturesHaveTheseCommands)
{
    for (const ImageFormat format : {ImageFormat::Pcx, ImageFormat::Kanim, ImageFormat::Flc, ImageFormat::Avi}) {
        Picture p(4, 4);
        RenderSettings render;
        LoadedImageInfo info{1, 1, 1};
        ScriptedFrontend ui;
        ui.fileAnswers.push_back("unused");
        EXPECT_EQ(commandSaveImage(ui, format, p.plane, {4, 4}, render, true, ""), 0);
        EXPECT_EQ(commandLoadImage(ui, format, p.plane, {4, 4}, info, ""), 0);
        EXPECT_TRUE(ui.fileRequests.empty());
        EXPECT_TRUE(ui.questions.empty());
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_EQ(info.bits, 1);
    }
}

TEST(ImageCommands, TargaSaveAsksForCompressionOnlyWithShift)
{
    TempDir dir("tgacmd");
    Picture p(6, 4);
    RenderSettings render;
    ScriptedFrontend ui;
    ui.fileAnswers.push_back(dir / "a");
    EXPECT_EQ(commandSaveImage(ui, ImageFormat::Targa, p.plane, {6, 4}, render, false, ""), 1);
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_EQ(testing::readFile(dir / "a.TGA")[kTargaImageType], 2);
    ui.fileAnswers.push_back(dir / "b.tga");
    ui.askAnswers.push_back(true);
    EXPECT_EQ(commandSaveImage(ui, ImageFormat::Targa, p.plane, {6, 4}, render, true, ""), 1);
    EXPECT_EQ(ui.questions[0], "Save Targa: Use run-length compression? [Yes|No]");
    EXPECT_EQ(render.targaCompress, 1);
    EXPECT_EQ(testing::readFile(dir / "b.tga")[kTargaImageType], 10);

    LoadedImageInfo info;
    ui.fileAnswers.push_back(dir / "b.tga");
    EXPECT_EQ(commandLoadImage(ui, ImageFormat::Targa, p.plane, {6, 4}, info, ""), 1);
    EXPECT_EQ(info.width, 6);
    EXPECT_EQ(info.bits, 24);

    ImagePlane<std::uint32_t> none;
    EXPECT_EQ(commandLoadImage(ui, ImageFormat::Targa, none, {6, 4}, info, ""), 0);
    EXPECT_EQ(ui.messages.back(), "This function requires 24-bit mode.");
}

TEST(ImageCommands, BmpLoadClearsAndSetsTheLoadedImage)
{
    TempDir dir("bmpcmd");
    Picture p(4, 4, 0xFF00FF00);
    RenderSettings render;
    ScriptedFrontend ui;
    ui.fileAnswers.push_back(dir / "x");
    EXPECT_EQ(commandSaveImage(ui, ImageFormat::Bmp, p.plane, {2, 2}, render, false, ""), 1);
    ASSERT_TRUE(std::filesystem::exists(dir / "x.BMP"));
    LoadedImageInfo info;
    ui.fileAnswers.push_back(dir / "x.BMP");
    EXPECT_EQ(commandLoadImage(ui, ImageFormat::Bmp, p.plane, {4, 4}, info, ""), 1);
    EXPECT_EQ(p.at(3, 3), 0u) << "cleared before loading";
    EXPECT_EQ(p.at(1, 1), 0x0000FF00u);
    EXPECT_EQ(info.width, 2);
    EXPECT_EQ(info.bits, 24);
    ui.fileAnswers.push_back(dir / "none.bmp");
    EXPECT_EQ(commandLoadImage(ui, ImageFormat::Bmp, p.plane, {4, 4}, info, ""), 0);
    EXPECT_EQ(ui.messages.back(), "Error reading file: \"" + (dir / "none.bmp") + "\"");
    EXPECT_EQ(info.width, 0);
}

TEST(ImageCommands, JpegSaveAsksTheQualityAndKeepsIt)
{
    TempDir dir("jpgcmd");
    Picture src(8, 8);
    RenderSettings render;
    ScriptedFrontend ui;
    ui.fileAnswers.push_back(dir / "q");
    ui.numberAnswers.push_back(10);
    EXPECT_EQ(commandSaveImage(ui, ImageFormat::Jpeg, src.plane, {8, 8}, render, false, ""), 1);
    EXPECT_EQ(render.jpegQuality, 25);
    EXPECT_TRUE(std::filesystem::exists(dir / "q.JPG"));
    ui.fileAnswers.push_back(dir / "r.jpeg");
    ui.numberAnswers.push_back(100);
    EXPECT_EQ(commandSaveImage(ui, ImageFormat::Jpeg, src.plane, {8, 8}, render, false, ""), 1);
    EXPECT_EQ(render.jpegQuality, 100);
    EXPECT_TRUE(std::filesystem::exists(dir / "r.jpeg")) << "an existing extension is kept";

    LoadedImageInfo info;
    ui.fileAnswers.push_back(dir / "r.jpeg");
    EXPECT_EQ(commandLoadImage(ui, ImageFormat::Jpeg, src.plane, {8, 8}, info, ""), 1);
    EXPECT_EQ(info.width, 8);
    EXPECT_EQ(info.bits, 24);
}

} // namespace
} // namespace kalvenor
