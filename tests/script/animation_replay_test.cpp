// Continuing and splitting batch animations: a run that starts past frame 0
// replays the lines before its first frame, so every frame it makes is the
// one an uninterrupted run makes, byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "app/app.h"
#include "files/resume_record.h"
#include "model/scene_reset.h"
#include "platform/scripted_frontend.h"
#include "script/animation_output.h"
#include "shell/startup.h"
#include "support/temp_dir.h"

namespace kalvenor {
namespace {

namespace fs = std::filesystem;

// Six frames over a sea with waves, random dithering, the sun and moon drawn;
// erosion between frames 2 and 3 draws from the shared random streams, which a
// render leaves in a state of its own; saves, exports and appends before the
// later frames must not be done again by a continued run.
std::string flightScript(const fs::path& dir)
{
    const std::string d = dir.string() + "/";
    std::string s = "Kalve Script File\nreplay\nLandscapeSizeSmall\nGenerateFractal 77\nSeaLevel 30 0\n"
                    "WaveAmplitude 40\nWaveSpeed 3\nPixelDitherRandom\nPixelDither 300\nSunSize 40\n"
                    "ImageSize 160 120\n";
    s += "3000, 300, 600, 0, 0, -10\n";
    s += "3000, 500, 600, 0, 0, -10\n";
    s += "SaveTarga " + d + "still.tga\nAppendCamera " + d + "camera.scr\n";
    s += "Erode 1\n";
    s += "3000, 700, 600, 0, 0, -10\nRender\n";
    s += "3000, 900, 600, 5, 10, -10\n";
    s += "RewriteImage\n";
    return s;
}
constexpr int kFlightFrames = 6;

// A fresh program: each run of a batch job starts from nothing.
struct Program {
    std::unique_ptr<App> app = std::make_unique<App>();
    ScriptedFrontend ui;
    Program() { initialiseApp(*app, ui); }
};

ScriptOutcome runFrames(const std::string& script, const SeriesOutput& out, FrameRange range)
{
    Program p;
    return runAnimation(*p.app, p.ui, script, out, range);
}

std::string fileText(const fs::path& path) { return testing::readFile(path.string()); }

// The FLC header's creation and update times are the clock's.
std::string withoutFlcTimes(std::string bytes)
{
    for (std::size_t at : {22u, 30u}) bytes.replace(at, 4, 4, '\0');
    return bytes;
}

// Equal frames, or where the first difference lies.
::testing::AssertionResult sameFrames(const std::vector<std::string>& got, const std::vector<std::string>& want)
{
    if (got.size() != want.size())
        return ::testing::AssertionFailure() << got.size() << " frame files, not " << want.size();
    for (std::size_t f = 0; f < got.size(); ++f) {
        const std::string& a = got[f];
        const std::string& b = want[f];
        std::size_t at = 0;
        while (at < a.size() && at < b.size() && a[at] == b[at]) ++at;
        if (at != a.size() || at != b.size())
            return ::testing::AssertionFailure() << "file " << f << " differs at byte " << at << " (sizes " << a.size()
                                                 << " and " << b.size() << ")";
    }
    return ::testing::AssertionSuccess();
}

class AnimationReplay : public ::testing::Test {
protected:
    testing::TempDir dir{"replay"};
    std::string script;

    void SetUp() override
    {
        script = (dir.path / "flight.scr").string();
        testing::writeFile(script, flightScript(dir.path));
    }

    SeriesOutput output(const std::string& name, ImageFormat format) const
    {
        return {(dir.path / name / "fly").string(), format};
    }

    // The frames of out, as one string per frame file or the one animation file.
    std::vector<std::string> made(const SeriesOutput& out) const
    {
        if (isAnimationFile(out.format)) {
            const std::string bytes = fileText(animationFileName(out));
            return {out.format == ImageFormat::Flc ? withoutFlcTimes(bytes) : bytes};
        }
        std::vector<std::string> frames;
        for (int n = 0; fs::exists(frameFileName(out, n)); ++n) frames.push_back(fileText(frameFileName(out, n)));
        return frames;
    }
};

constexpr FrameRange everyFrame{0, kLastScriptFrame, BeforeFirstFrame::Replay};

// A run stopped after frame k and continued from what it left is the same as
// one run, in every output format, whether the continued run finds the resume
// record or has to render the earlier frames again.
TEST_F(AnimationReplay, AContinuedRunMakesTheFramesOfAnUninterruptedOne)
{
    const struct {
        ImageFormat format;
        AviCodec codec;
    } formats[] = {{ImageFormat::Targa, AviCodec::Uncompressed}, {ImageFormat::Pcx, AviCodec::Uncompressed},
                   {ImageFormat::Kanim, AviCodec::Uncompressed}, {ImageFormat::Flc, AviCodec::Uncompressed},
                   {ImageFormat::Avi, AviCodec::Uncompressed},   {ImageFormat::Avi, AviCodec::MotionJpeg}};
    int cases = 0;
    for (const auto [format, codec] : formats) {
        const std::string n = std::to_string(++cases); // a directory of its own for each case
        SeriesOutput whole = output("whole" + n, format);
        whole.codec = codec;
        ASSERT_EQ(runFrames(script, whole, everyFrame).end, RunEnd::Completed);
        for (const bool keepRecord : {true, false}) {
            if (!keepRecord && isAnimationFile(format)) continue; // one case of the fallback is enough
            SCOPED_TRACE(std::string(imageFormatRow(format).name) + (codec == AviCodec::MotionJpeg ? " mjpeg" : "") +
                         (keepRecord ? " with" : " without") + " record");
            SeriesOutput part = output((keepRecord ? "part" : "bare") + n, format);
            part.codec = codec;
            fs::remove(dir.path / "still.tga");
            fs::remove(dir.path / "camera.scr");
            ASSERT_EQ(runFrames(script, part, {0, 2, BeforeFirstFrame::Replay}).end, RunEnd::Completed);
            const std::string still = fileText(dir.path / "still.tga"), camera = fileText(dir.path / "camera.scr");
            if (!keepRecord) fs::remove(resumeRecordName(part));

            Program next;
            SeriesOutput again = part;
            const AnimationStart start = existingAnimationStart(again, {0, 0}, next.ui);
            ASSERT_EQ(start.result, 1);
            ASSERT_EQ(start.frame, 3);
            ASSERT_EQ(runAnimation(*next.app, next.ui, script, again, {start.frame, kLastScriptFrame,
                                                                      BeforeFirstFrame::Replay})
                          .end,
                      RunEnd::Completed);
            EXPECT_TRUE(sameFrames(made(part), made(whole)));
            if (!isAnimationFile(format)) {
                EXPECT_EQ(made(part).size(), static_cast<std::size_t>(kFlightFrames));
            }
            // The lines before frame 3 were replayed without writing anything.
            EXPECT_EQ(fileText(dir.path / "still.tga"), still);
            EXPECT_EQ(fileText(dir.path / "camera.scr"), camera);
            const bool said = !next.ui.reports.empty() &&
                              next.ui.reports.front().rfind("No resume record for frame 3", 0) == 0;
            EXPECT_EQ(said, !keepRecord);
        }
    }
}

// Seeded frames are the same whichever range a run makes: three runs of two
// frames each give the frames of one run of all six.
TEST_F(AnimationReplay, SeededFramesDoNotDependOnTheRangeRendered)
{
    // PCX: the 8-bit pictures hold the palette, predicted with draws of the stream too.
    SeriesOutput whole = output("whole", ImageFormat::Pcx);
    whole.frameSeeded = true;
    ASSERT_EQ(runFrames(script, whole, everyFrame).end, RunEnd::Completed);
    SeriesOutput split = output("split", ImageFormat::Pcx);
    split.frameSeeded = true;
    for (const int first : {4, 0, 2})
        ASSERT_EQ(runFrames(script, split, {first, first + 1, BeforeFirstFrame::Replay}).end, RunEnd::Completed);
    EXPECT_TRUE(sameFrames(made(split), made(whole)));
    EXPECT_FALSE(fs::exists(resumeRecordName(split))); // parallel jobs share no record
    EXPECT_FALSE(fs::exists(frameFileName(split, 6)));

    // Frame 0 of a seeded run starts the stream where a plain run does.
    const SeriesOutput plain = output("plain", ImageFormat::Pcx);
    ASSERT_EQ(runFrames(script, plain, {0, 0, BeforeFirstFrame::Replay}).end, RunEnd::Completed);
    EXPECT_EQ(fileText(frameFileName(plain, 0)), fileText(frameFileName(whole, 0)));
    EXPECT_NE(fileText(frameFileName(plain, 0)), fileText(frameFileName(whole, 1)));
}

TEST(ResumeRecord, RoundTripAndHostileRecords)
{
    testing::TempDir dir{"record"};
    const std::string path = (dir.path / "fly.resume").string();
    ResumeRecord record;
    record.frame = 120;
    record.dither = 4294967295u;
    record.table = true;
    record.tableSeed = 1103527590u;
    record.tableAmount = INT32_MIN;
    for (std::size_t i = 0; i < record.palette.entries.size(); ++i)
        record.palette.entries[i] = static_cast<std::uint8_t>(i * 7);
    ASSERT_TRUE(writeResumeRecord(path, record));
    const std::optional<ResumeRecord> back = readResumeRecord(path);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->frame, 120);
    EXPECT_EQ(back->dither, 4294967295u);
    EXPECT_TRUE(back->table);
    EXPECT_EQ(back->tableSeed, 1103527590u);
    EXPECT_EQ(back->tableAmount, INT32_MIN);
    EXPECT_EQ(back->palette.entries, record.palette.entries);

    const std::string head = "Kalvenor resume record 1\n";
    const std::string palette = "palette " + std::string(2048, 'a') + "\n";
    const struct {
        std::string text;
        bool good;
    } cases[] = {
        {head + "frame 3\ndither 7\ntable none\n" + palette, true},
        {head + "frame 3\ndither 7\ntable 9 -5\n" + palette, true},
        {head + "frame 3\ndither 7\ntable none\n", false},                   // cut short
        {head + "frame 3\ndither 7\ntable none\npalette " + std::string(2046, '0') + "\n", false},
        {head + "frame 3\ndither 7\ntable none\npalette " + std::string(2047, '0') + "G\n", false},
        {head + "frame 3\ndither 4294967296\ntable none\n" + palette, false}, // beyond 32 bits
        {head + "frame 100001\ndither 7\ntable none\n" + palette, false},   // beyond the last frame
        {head + "frame -3\ndither 7\ntable none\n" + palette, false},
        {head + "frame 3\ndither 7\ntable 9 -5\n" + palette + "extra\n", false},
        {head + "frame 3\ndither 7\ntable 9\n" + palette, false},
        {"Kalvenor resume record 2\nframe 3\ndither 7\ntable none\n" + palette, false},
        {head + "frame 3\ndither 7\ntable none\n" + palette + std::string(400, ' '), false},
        {"", false},
    };
    for (const auto& c : cases) {
        testing::writeFile(path, c.text);
        EXPECT_EQ(readResumeRecord(path).has_value(), c.good) << c.text;
    }
    EXPECT_FALSE(readResumeRecord((dir.path / "none.resume").string()));
}

} // namespace
} // namespace kalvenor
