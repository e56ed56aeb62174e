#include <gtest/gtest.h>

#include "render/image_size.h"

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/byte_order.h"
#include "codecs/avi.h"
#include "codecs/flc.h"
#include "codecs/kanim.h"
#include "script/animation_output.h"
#include "script_fixture.h"
#include "shell/command_line.h"
#include "shell/startup.h"
#include "support/file_size_limit.h"
#include "support/temp_dir.h"

namespace kalvenor {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes readBytes(const std::string& path)
{
    const std::string s = testing::readFile(path);
    return Bytes(s.begin(), s.end());
}

TEST(AnimationFileNames, TheExtensionGivesWayToTheFormats)
{
    const struct {
        const char* base;
        ImageFormat format;
        const char* file;
    } cases[] = {
        {"out/fly", ImageFormat::Flc, "out/fly.FLC"},
        {"out/fly.flc", ImageFormat::Kanim, "out/fly.KAN"},
        {"anim.v2/fly", ImageFormat::Avi, "anim.v2/fly.AVI"}, // a dot in a directory is no extension
        {"C:\\anim\\flight.tga", ImageFormat::Flc, "C:/anim/flight.FLC"},
        {"a.b.c", ImageFormat::Avi, "a.b.AVI"},
    };
    for (const auto& c : cases) EXPECT_EQ(animationFileName({c.base, c.format}), c.file) << c.base;
}

// The rows of the last frame of an FLC, decoded from its byte-run chunk
// (top row first): each row a packet count, then packets until the row is full.
Bytes lastFlcImage(const Bytes& file, int width, int height)
{
    std::size_t frame = 128, last = 0;
    while (frame < file.size()) {
        last = frame;
        frame += get32le(&file[frame]);
    }
    std::size_t chunk = last + 16;
    while (get16le(&file[chunk + 4]) != kFlcByteRun) chunk += get32le(&file[chunk]);
    Bytes image;
    std::size_t at = chunk + 6;
    for (int y = 0; y < height; ++y) {
        ++at; // the packet count is not needed to decode
        for (int x = 0; x < width;) {
            const auto count = static_cast<std::int8_t>(file[at++]);
            if (count > 0) {
                image.insert(image.end(), static_cast<std::size_t>(count), file[at++]);
                x += count;
            } else {
                image.insert(image.end(), file.begin() + static_cast<std::ptrdiff_t>(at),
                             file.begin() + static_cast<std::ptrdiff_t>(at) - count);
                at += static_cast<std::size_t>(-count);
                x -= count;
            }
        }
    }
    return image;
}

Bytes topDown(const ImagePlane<std::uint8_t>& plane, int width, int height)
{
    Bytes out;
    for (int y = 0; y < height; ++y) out.insert(out.end(), plane[y], plane[y] + width);
    return out;
}

// Notes when the run reaches a given status line and then acts: aborts the
// render that follows, or caps the size of files so that the save fails.
class RunWatch : public ScriptedFrontend {
public:
    std::string abortAt;
    std::string failSaveAt;
    std::string file;
    std::optional<testing::FileSizeLimit> limit;

    void status(const std::string& text) override
    {
        if (text == abortAt) abortOnPoll = polls + 1;
        if (text == failSaveAt) limit.emplace(fs::file_size(file) + 10);
        ScriptedFrontend::status(text);
    }
};

class AnimationFile : public ScriptTest {
protected:
    std::string script;
    int width = 0, height = 0;

    void SetUp() override
    {
        ScriptTest::SetUp();
        initialiseApp(app, ui);
        app.scene.render.antialias = 0;
        width = app.geometry.width;
        height = app.geometry.height;
        script = write("flight.scr", "Kalve Script File\ncaption\nGenerateFractal 9\n"
                                     "3840, 100, 900, 0, 0, -10,\n"
                                     "3840, 400, 900, 0, 0, -10,\n"
                                     "RewriteImage\n");
    }

    SeriesOutput output(ImageFormat format) const { return {(dir / "out" / "fly").string(), format}; }

    // The frames in the file, as its own reader counts them.
    std::uint64_t framesIn(const SeriesOutput& out)
    {
        const std::string path = animationFileName(out);
        if (out.format == ImageFormat::Kanim) {
            KanimHeader h;
            std::uint64_t frames = 0;
            EXPECT_EQ(readKanimInfo(path, h, frames), ImageStatus::Ok);
            return frames;
        }
        if (out.format == ImageFormat::Flc) {
            FlcFileInfo info;
            EXPECT_EQ(readFlcInfo(path, info), ImageStatus::Ok);
            return static_cast<std::uint64_t>(info.header.frames);
        }
        const MappedFile file(path);
        AviLayout layout;
        EXPECT_EQ(parseAvi(file.bytes(), layout), AviOpenStatus::Ok);
        EXPECT_EQ(get32le(&file.bytes()[layout.totalFramesAt]), layout.frames.size());
        EXPECT_EQ(get32le(&file.bytes()[layout.lengthAt]), layout.frames.size());
        return layout.frames.size();
    }
};

constexpr ImageFormat kFileFormats[] = {ImageFormat::Kanim, ImageFormat::Flc, ImageFormat::Avi};

TEST_F(AnimationFile, EveryFrameGoesIntoTheOneFile)
{
    for (const ImageFormat format : kFileFormats) {
        const SeriesOutput out = output(format);
        ui.windowEvents.clear();
        ASSERT_EQ(classicRunResult(runAnimation(app, ui, script, out, 0).end), 1);
        EXPECT_EQ(framesIn(out), 3u);
        // A window shows both rendered frames as they draw (the rewrite renders nothing).
        EXPECT_EQ(ui.windowEvents,
                  (std::vector<std::string>{"render started", "render ended", "render started", "render ended"}));
        const Bytes file = readBytes(animationFileName(out));
        const Bytes image8 = topDown(app.images.vidmem8, width, height);
        if (format == ImageFormat::Kanim) {
            // The last frame (the rewritten second one) is vidmem8 from the bottom row up.
            const std::size_t frame = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
            ASSERT_EQ(file.size(), 1024 + 3 * frame);
            for (int y = 0; y < height; ++y)
                ASSERT_TRUE(std::equal(file.end() - static_cast<std::ptrdiff_t>((y + 1) * width),
                                       file.end() - static_cast<std::ptrdiff_t>(y * width), app.images.vidmem8[y]))
                    << y;
            EXPECT_TRUE(std::equal(file.end() - static_cast<std::ptrdiff_t>(frame), file.end(),
                                   file.end() - static_cast<std::ptrdiff_t>(2 * frame)));
        } else if (format == ImageFormat::Flc) {
            EXPECT_EQ(get32le(&file[16]), 67u);
            EXPECT_EQ(lastFlcImage(file, width, height), image8);
            FlcFileInfo info;
            ASSERT_EQ(readFlcInfo(animationFileName(out), info), ImageStatus::Ok);
            EXPECT_EQ(info.palette, paletteFromDisplay(app.palette));
        } else {
            const MappedFile mapped(animationFileName(out));
            AviLayout layout;
            ASSERT_EQ(parseAvi(mapped.bytes(), layout), AviOpenStatus::Ok);
            EXPECT_EQ(layout.rate, 15u);
            const std::size_t data = layout.frames.back().at + 8;
            const std::uint32_t top = app.images.vidmem24[0][0];
            const std::size_t topRow = data + static_cast<std::size_t>(height - 1) * aviRowBytes(width);
            EXPECT_EQ(file[topRow], pixelBlue(top));
            EXPECT_EQ(file[topRow + 1], pixelGreen(top));
            EXPECT_EQ(file[topRow + 2], pixelRed(top));
        }
    }
}

TEST_F(AnimationFile, ContinueStartsAfterTheFramesInTheFileAndDeleteStartsAnew)
{
    for (const ImageFormat format : kFileFormats) {
        SeriesOutput out = output(format);
        ASSERT_EQ(classicRunResult(runAnimation(app, ui, script, out, 0).end), 1);
        ui.askAnswers = {true};
        const AnimationStart again = existingAnimationStart(out, {width, height}, ui);
        EXPECT_EQ(again.result, 1);
        EXPECT_EQ(again.frame, 3);
        EXPECT_EQ(ui.questions.back(), "Continue existing animation or delete it? [Continue|Delete]");
        ui.askAnswers = {false};
        const AnimationStart anew = existingAnimationStart(out, {width, height}, ui);
        EXPECT_EQ(anew.result, 1);
        EXPECT_EQ(anew.frame, 0);
        EXPECT_FALSE(fs::exists(animationFileName(out)));
    }
}

// An abort between frames, or a frame that cannot be saved, leaves a file of
// the whole frames before it, which a later run continues.
TEST_F(AnimationFile, AStoppedRunLeavesAFileThatCanBeContinued)
{
    for (const ImageFormat format : kFileFormats) {
        for (const bool abort : {true, false}) {
            SeriesOutput out = output(format);
            fs::remove(animationFileName(out));
            RunWatch watch;
            watch.file = animationFileName(out);
            if (abort) watch.abortAt = "2 of 3";
            else watch.failSaveAt = "Saving frame 2";
            EXPECT_EQ(classicRunResult(runAnimation(app, watch, script, out, 0).end), abort ? -1 : 0);
            watch.limit.reset();
            EXPECT_EQ(framesIn(out), 1u);
            if (!abort) {
                ASSERT_FALSE(watch.messages.empty());
                EXPECT_EQ(watch.messages.back().rfind("Error writing file:", 0), 0u) << watch.messages.back();
            }

            const AnimationStart start = existingAnimationStart(out, {width, height}, ui);
            ASSERT_EQ(start.result, 1);
            ASSERT_EQ(start.frame, 1);
            EXPECT_EQ(classicRunResult(runAnimation(app, ui, script, out, start.frame).end), 1);
            EXPECT_EQ(framesIn(out), 3u);
        }
    }
}

TEST_F(AnimationFile, AFileThatCannotBeContinuedSaysWhy)
{
    ASSERT_EQ(width, 320);
    ASSERT_EQ(height, 200);
    ImagePlane<std::uint8_t> small8;
    small8.allocate(4, 2);
    ImagePlane<std::uint32_t> small24;
    small24.allocate(4, 2);
    const PcxPalette palette{};

    // The other size, made by the writers themselves.
    const SeriesOutput kan = output(ImageFormat::Kanim);
    ASSERT_EQ(appendKanimFrame(animationFileName(kan), small8, {4, 2}, 1, palette), ImageStatus::Ok);
    FlcStream flc;
    const SeriesOutput flcOut = output(ImageFormat::Flc);
    ASSERT_EQ(openFlcStream(animationFileName(flcOut), flc), ImageStatus::Ok);
    ASSERT_EQ(appendFlcFrame(flc, small8, {4, 2}, palette, 15, 0), ImageStatus::Ok);
    const SeriesOutput aviOut = output(ImageFormat::Avi);
    AviWriter avi;
    ASSERT_EQ(createAvi(avi, animationFileName(aviOut), 4, 2, 15), AviOpenStatus::Ok);
    closeAvi(avi);

    const struct {
        ImageFormat format;
        int result;
        std::string message;
    } cases[] = {
        {ImageFormat::Kanim, -1, fileMessage("Wrong image size for KANIM!", animationFileName(output(ImageFormat::Kanim)))},
        {ImageFormat::Avi, 0, "Incorrect dimensions: 4 x 2"},
    };
    for (const auto& c : cases) {
        SeriesOutput out = output(c.format);
        const AnimationStart start = existingAnimationStart(out, {width, height}, ui);
        EXPECT_EQ(start.result, c.result) << c.message;
        EXPECT_EQ(ui.messages.back(), c.message);
        EXPECT_TRUE(fs::exists(animationFileName(out)));
    }

    // An FLC of another size: Cancel keeps it, Erase FLC starts anew.
    SeriesOutput out = flcOut;
    ui.askAnswers = {true, false};
    EXPECT_EQ(existingAnimationStart(out, {width, height}, ui).result, -1);
    EXPECT_EQ(ui.questions.back(), "Error: FLC size = 4x2, image size = 320x200 [Erase FLC|Cancel]");
    EXPECT_TRUE(fs::exists(animationFileName(out)));
    ui.askAnswers = {true, true};
    const AnimationStart erased = existingAnimationStart(out, {width, height}, ui);
    EXPECT_EQ(erased.result, 1);
    EXPECT_EQ(erased.frame, 0);
    EXPECT_FALSE(fs::exists(animationFileName(out)));

    // Files that are not animations at all.
    const struct {
        ImageFormat format;
        int result;
        std::string message;
    } garbage[] = {
        {ImageFormat::Kanim, -1, fileMessage("Not a valid KANIM file!", animationFileName(output(ImageFormat::Kanim)))},
        {ImageFormat::Flc, 0, fileMessage(kErrorReadingFile, animationFileName(output(ImageFormat::Flc)))},
        {ImageFormat::Avi, 0, "Unable to open " + animationFileName(output(ImageFormat::Avi)) + " for appending."},
    };
    for (const auto& c : garbage) {
        SeriesOutput o = output(c.format);
        testing::writeFile(animationFileName(o), std::string(2000, 'x'));
        const AnimationStart start = existingAnimationStart(o, {width, height}, ui);
        EXPECT_EQ(start.result, c.result) << c.message;
        EXPECT_EQ(ui.messages.back(), c.message);
    }
}

TEST_F(AnimationFile, AContinuedFileKeepsItsOwnFrameRate)
{
    ImagePlane<std::uint8_t> image8;
    image8.allocate(width, height);
    const SeriesOutput flcOut = output(ImageFormat::Flc);
    FlcStream flc;
    ASSERT_EQ(openFlcStream(animationFileName(flcOut), flc), ImageStatus::Ok);
    ASSERT_EQ(appendFlcFrame(flc, image8, {width, height}, PcxPalette{}, 24, 0), ImageStatus::Ok);
    AviWriter avi;
    ASSERT_EQ(createAvi(avi, animationFileName(output(ImageFormat::Avi)), width, height, 24), AviOpenStatus::Ok);
    closeAvi(avi);

    for (const ImageFormat format : {ImageFormat::Flc, ImageFormat::Avi}) {
        SeriesOutput out = output(format);
        ASSERT_EQ(out.frameRate, 15);
        const AnimationStart start = existingAnimationStart(out, {width, height}, ui);
        EXPECT_EQ(start.result, 1);
        EXPECT_EQ(start.frame, format == ImageFormat::Flc ? 1 : 0);
        EXPECT_EQ(out.frameRate, 24);
    }
}

// A script that sets the image size before its first frame: the file takes
// that size (a batch run does not know it before the script runs). A run at
// another size is refused at its first frame and the file keeps its frames.
TEST_F(AnimationFile, TheFileTakesTheSizeTheScriptSets)
{
    const std::string sized = write("sized.scr", "Kalve Script File\ncaption\nImageSize 64 48\n"
                                                 "3840, 100, 900, 0, 0, -10,\n"
                                                 "3840, 400, 900, 0, 0, -10,\n");
    const std::string other = write("other.scr", "Kalve Script File\ncaption\nImageSize 32 24\n"
                                                 "3840, 100, 900, 0, 0, -10,\n");
    for (const ImageFormat format : kFileFormats) {
        SeriesOutput out = output(format);
        ASSERT_EQ(classicRunResult(runAnimation(app, ui, sized, out, 0).end), 1) << ui.messages.back();
        EXPECT_EQ(framesIn(out), 2u);
        const AnimationStart start = existingAnimationStart(out, {0, 0}, ui); // size not known yet
        ASSERT_EQ(start.result, 1);
        EXPECT_EQ(start.frame, 2);
        EXPECT_EQ(classicRunResult(runAnimation(app, ui, other, out, 0).end), 0);
        EXPECT_EQ(framesIn(out), 2u);
        setImageSize(app.images, app.geometry, app.scene.render, ui, 320, 200);
    }
}

// The AVI holds 24-bit frames: without vidmem24 nothing is created.
TEST_F(AnimationFile, AnAviNeedsTheTwentyFourBitImage)
{
    app.images.vidmem24.release();
    const SeriesOutput out = output(ImageFormat::Avi);
    EXPECT_EQ(classicRunResult(runAnimation(app, ui, script, out, 0).end), 0);
    EXPECT_EQ(ui.messages.back(), kNeeds24Bit);
    EXPECT_FALSE(fs::exists(animationFileName(out)));
}

TEST(AnimationCommandLine, RateAndFormatOptions)
{
    std::string error;
    const auto cl = parseCommandLine({"run", "a.scr", "--out", "o/fly", "--format", "flc", "--rate", "24"}, error);
    ASSERT_TRUE(cl.has_value()) << error;
    EXPECT_EQ(cl->frameRate, 24);
    EXPECT_EQ(cl->format, "flc");
    EXPECT_EQ(parseCommandLine({"run", "a.scr"}, error)->frameRate, 15);

    const struct {
        std::vector<std::string> args;
        const char* error;
    } bad[] = {
        {{"run", "a.scr", "--rate", "0"}, "--rate takes frames a second from 1 to 1000"},
        {{"run", "a.scr", "--rate", "1001"}, "--rate takes frames a second from 1 to 1000"},
        {{"run", "a.scr", "--format", "kan", "--start", "3"},
         "--start is for image series; an existing kan file is continued after its last frame"},
    };
    for (const auto& c : bad) {
        EXPECT_FALSE(parseCommandLine(c.args, error).has_value());
        EXPECT_EQ(error, c.error);
    }
}

int runProgram(const std::string& arguments)
{
    const std::string command = std::string(KALVENOR_BINARY) + " " + arguments + " 2>/dev/null >/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(AnimationCommandLine, BatchRunsWriteTheNamedFile)
{
    testing::TempDir dir("anim-cli");
    testing::writeFile(dir / "job.scr", "Kalve Script File\ncaption\nRender\nRewriteImage\n");
    ASSERT_EQ(runProgram("run " + (dir / "job.scr") + " --out " + (dir / "out/fly") + " --format flc --rate 24"), 0);
    FlcFileInfo info;
    ASSERT_EQ(readFlcInfo(dir / "out/fly.FLC", info), ImageStatus::Ok);
    EXPECT_EQ(info.header.frames, 2);
    EXPECT_EQ(info.header.speed, 42u);

    // Run again: the batch answer continues the file, and there is nothing left to make.
    ASSERT_EQ(runProgram("run " + (dir / "job.scr") + " --out " + (dir / "out/fly") + " --format flc"), 0);
    ASSERT_EQ(readFlcInfo(dir / "out/fly.FLC", info), ImageStatus::Ok);
    EXPECT_EQ(info.header.frames, 2);
    // Delete answered in advance: a new file at the default rate.
    ASSERT_EQ(runProgram("run " + (dir / "job.scr") + " --out " + (dir / "out/fly") +
                         " --format flc --answer 'Continue existing=Delete'"),
              0);
    ASSERT_EQ(readFlcInfo(dir / "out/fly.FLC", info), ImageStatus::Ok);
    EXPECT_EQ(info.header.speed, 67u);
}

} // namespace
} // namespace kalvenor
