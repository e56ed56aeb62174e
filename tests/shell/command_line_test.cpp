#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>

#include "base/worker_pool.h"
#include "shell/command_line.h"
#include "support/temp_dir.h"

namespace kalvenor {
namespace {

using testing::TempDir;
using testing::writeFile;

TEST(CommandLine, ParsesRunAndRenderOptions)
{
    std::string error;
    const auto run = parseCommandLine({"run", "job.scr", "--out", "o/f", "--start", "10", "--answer", "Script error=Cancel",
                                       "--landscape", "a.k4s", "--info", "--startup"},
                                      error);
    ASSERT_TRUE(run.has_value()) << error;
    EXPECT_EQ(run->mode, Mode::Run);
    EXPECT_EQ(run->script, "job.scr");
    EXPECT_EQ(run->startFrame, 10);
    EXPECT_EQ(run->answers, std::vector<std::string>{"Script error=Cancel"});
    EXPECT_EQ(run->landscapeFile, "a.k4s");
    EXPECT_TRUE(run->info);
    EXPECT_TRUE(run->startup);

    // Frame ranges: A-B, A-, -B and A.
    const struct {
        const char* text;
        int first, last;
    } ranges[] = {{"10-19", 10, 19}, {"20-", 20, 99999}, {"-9", 0, 9}, {"7", 7, 7}, {"0-0", 0, 0}};
    for (const auto& r : ranges) {
        const auto split = parseCommandLine({"run", "job.scr", "--out", "o/f", "--frames", r.text}, error);
        ASSERT_TRUE(split.has_value()) << error;
        EXPECT_TRUE(split->framesGiven);
        EXPECT_EQ(split->startFrame, r.first) << r.text;
        EXPECT_EQ(split->lastFrame, r.last) << r.text;
    }

    const auto render = parseCommandLine({"render", "-o", "x.tga"}, error);
    ASSERT_TRUE(render.has_value()) << error;
    EXPECT_EQ(render->mode, Mode::Render);
    EXPECT_TRUE(render->script.empty());
    EXPECT_EQ(render->images, std::vector<std::string>{"x.tga"});
}

TEST(CommandLine, RefusesBadUsageWithAReason)
{
    const char* const kFramesUsage = "--frames takes A-B, A-, -B or A: frame numbers from 0 to 99999, A not after B";
    const struct {
        std::vector<std::string> args;
        const char* error;
    } cases[] = {
        {{"run"}, "run needs a script"},
        {{"run", "a.scr", "--start", "-1"}, "--start takes a frame number from 0 to 99999"},
        {{"run", "a.scr", "--start", "3"}, "--start needs --out BASE"},
        {{"run", "a.scr", "--frames", "3-4"}, "--frames needs --out BASE"},
        {{"run", "a.scr", "--out", "f", "--frames", "3-4", "--start", "3"},
         "--frames and --start cannot be given together (--frames A- starts at A)"},
        {{"run", "a.scr", "--out", "f", "--frames", "5-4"}, kFramesUsage},
        {{"run", "a.scr", "--out", "f", "--frames", "-"}, kFramesUsage},
        {{"run", "a.scr", "--out", "f", "--frames", "1-2-3"}, kFramesUsage},
        {{"run", "a.scr", "--out", "f", "--frames", "100000"}, kFramesUsage},
        {{"run", "a.scr", "--out", "f", "--frames", "a-b"}, kFramesUsage},
        {{"run", "a.scr", "--out", "f", "--format", "avi", "--frames", "0-9"},
         "--frames is for image series; one avi file cannot be made in parts"},
        {{"run", "a.scr", "--start", "x"}, "--start takes a frame number from 0 to 99999"},
        {{"run", "a.scr", "--format", "gif"}, "unknown format gif"},
        {{"run", "a.scr", "--format", "TGA"}, "unknown format TGA"},
        {{"run", "a.scr", "--format", "jpeg"}, "unknown format jpeg"},
        {{"run", "a.scr", "--format", ""}, "unknown format "},
        {{"run", "a.scr", "--format", "flc", "--start", "3"},
         "--start is for image series; an existing flc file is continued after its last frame"},
        {{"run", "a.scr", "--answer", "NoEquals"}, "--answer takes 'QUESTION=ANSWER'"},
        {{"run", "a.scr", "--out"}, "--out needs a value"},
        {{"run", "a.scr", "b.scr"}, "unexpected argument b.scr"},
        {{"render", "a.scr"}, "render needs -o IMAGE"},
        {{"run", "a.scr", "--bogus"}, "unknown option --bogus"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(parseCommandLine(c.args, error).has_value());
        EXPECT_EQ(error, c.error);
    }
}

// --threads is taken out wherever it stands, for every command; a count that
// is not a whole number from 1 to 64 is a usage error naming the range.
TEST(CommandLine, ThreadsOptionSetsTheCountForAnyCommand)
{
    const int before = threadCount();
    std::vector<std::string> args = {"render", "--threads", "3", "a.scr", "-o", "a.png"};
    std::string error;
    EXPECT_TRUE(takeThreadsOption(args, error));
    EXPECT_EQ(args, (std::vector<std::string>{"render", "a.scr", "-o", "a.png"}));
    EXPECT_EQ(threadCount(), 3);
    args = {"path", "f.ses", "--out", "x", "--threads", "1"};
    EXPECT_TRUE(takeThreadsOption(args, error));
    EXPECT_EQ(args.size(), 4u);
    EXPECT_EQ(threadCount(), 1);
    for (const char* bad : {"0", "65", "two", "-1"}) {
        args = {"run", "s.scr", "--threads", bad};
        EXPECT_FALSE(takeThreadsOption(args, error)) << bad;
        EXPECT_EQ(error, "--threads takes a whole number from 1 to 64");
    }
    args = {"run", "s.scr", "--threads"};
    EXPECT_FALSE(takeThreadsOption(args, error));
    setThreadCount(before);
}

TEST(CommandLine, UsageListsTheFormats)
{
    const std::string usage = usageText();
    EXPECT_NE(usage.find("\n                                   run a script without a window; with --out every frame is "
                         "saved,\n                                   FORMAT tga, bmp, jpg, pcx, png (BASE00000.TGA ...) "
                         "or kan, flc,\n                                   avi (one file, BASE.KAN ...; --rate N frames "
                         "a second, 15;\n                                   --codec mjpeg for Motion JPEG AVI frames); "
                         "--frames A-B renders\n                                   only those frames, the same whichever "
                         "range renders them (A-, -B\n                                   and A too)\n  kalvenor render "
                         "[SCRIPT] -o IMAGE\n"),
              std::string::npos)
        << usage;
    EXPECT_NE(usage.find("\n                                   run SCRIPT for its settings, render one image and save it "
                         "by its\n                                   extension (.tga, .bmp, .jpg, .pcx, .png)\n  kalvenor "
                         "path FILE"),
              std::string::npos)
        << usage;
}

// Runs the real program and returns its exit code; out gets its standard
// output, or with withErrors its standard error as well.
// environment: assignments put before the command ("PATH=... ").
int runKalvenor(const std::string& arguments, std::string& out, bool withErrors = false, int limitSeconds = 0,
                const std::string& environment = "")
{
    const std::string limit = limitSeconds > 0 ? "timeout " + std::to_string(limitSeconds) + " " : "";
    const std::string command = environment + limit + std::string(KALVENOR_BINARY) + " " + arguments +
                                (withErrors ? " 2>&1" : " 2>/dev/null");
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return -1;
    std::array<char, 256> buffer{};
    out.clear();
    while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr) out += buffer.data();
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(CommandLine, BatchRunsReportThroughTheirExitCode)
{
    TempDir dir("cli");
    const std::string header = "Kalve Script File\ncaption\n";
    writeFile(dir / "good.scr", header + "GenerateFractal 7\nExportAsciiZ " + (dir / "z.txt") + " 64\n");
    writeFile(dir / "bad.scr", header + "1, 2, 3\n");
    writeFile(dir / "cancel.scr", header + "Remark\nHaze 5\nBogusWord 3\n");
    std::string out;

    EXPECT_EQ(runKalvenor("run " + (dir / "good.scr") + " --info", out), 0);
    EXPECT_NE(out.find("LandScape Name: Fractal ISLAND #7"), std::string::npos) << out;
    EXPECT_EQ(testing::readFile(dir / "z.txt").substr(0, 2), "0 ");

    EXPECT_EQ(runKalvenor("run " + (dir / "bad.scr"), out), 1);
    EXPECT_EQ(runKalvenor("run " + (dir / "missing.scr"), out), 1);
    EXPECT_EQ(runKalvenor("run " + (dir / "cancel.scr") + " --answer 'Script error=Cancel'", out), 1);
    // Script errors do not stop a batch run (Continue is the default answer), but
    // each is reported with its file and line and the run fails with a summary.
    EXPECT_EQ(runKalvenor("run " + (dir / "cancel.scr"), out, true), 1);
    EXPECT_NE(out.find(dir / "cancel.scr" + ":3: unknown keyword \"Remark\"\n"), std::string::npos) << out;
    EXPECT_NE(out.find(dir / "cancel.scr" + ":5: unknown keyword \"BogusWord\"\n"), std::string::npos) << out;
    EXPECT_NE(out.find("\n2 script errors\n"), std::string::npos) << out;
    EXPECT_EQ(runKalvenor("render " + (dir / "cancel.scr") + " -o " + (dir / "c.tga"), out, true), 1);
    EXPECT_TRUE(std::filesystem::exists(dir / "c.tga")); // the picture is still made
    EXPECT_NE(out.find("2 script errors"), std::string::npos) << out;
    EXPECT_EQ(runKalvenor("run", out), 2);
    EXPECT_EQ(out, "") << "the usage goes to standard error";
    EXPECT_EQ(runKalvenor("--help", out), 0);
    EXPECT_EQ(out, usageText());
    EXPECT_EQ(runKalvenor("--version", out), 0);
    EXPECT_EQ(out.rfind("kalvenor ", 0), 0u);
}

TEST(CommandLine, RenderSavesEachImageByItsExtension)
{
    TempDir dir("cliext");
    writeFile(dir / "small.scr", "Kalve Script File\ncaption\nImageSize 64 48\n");
    std::string out;
    EXPECT_EQ(runKalvenor("render " + (dir / "small.scr") + " -o " + (dir / "a.JPEG") + " -o " + (dir / "b.Tga") +
                              " -o " + (dir / "e.pcx"),
                          out, true),
              0)
        << out;
    EXPECT_EQ(testing::readFile(dir / "a.JPEG").substr(0, 2), "\xFF\xD8");
    EXPECT_EQ(testing::readFile(dir / "b.Tga").substr(0, 3), std::string("\0\0\x02", 3));
    EXPECT_EQ(testing::readFile(dir / "e.pcx").substr(0, 1), "\x0A");

    // A name the picture cannot be saved under is refused before anything is rendered or written,
    // and only the file name's own extension counts.
    for (const std::string unknown : {"c.gif", "d.kan", "dir.tga/x"}) {
        EXPECT_EQ(runKalvenor("render " + (dir / "small.scr") + " -o " + (dir / "f.png") + " -o " + (dir / unknown),
                              out, true),
                  2);
        EXPECT_NE(out.find("unknown image type: " + (dir / unknown) + " (use .tga, .bmp, .jpg, .pcx or .png)\n"),
                  std::string::npos)
            << out;
        EXPECT_FALSE(std::filesystem::exists(dir / "f.png"));
        EXPECT_EQ(out.find("Rendered"), std::string::npos) << out;
    }
}

// Every line whose work fails is reported with the script's line, what it
// was and why, the run goes on, and it ends with exit code 1 and a summary.
TEST(CommandLine, FailedLinesAreReportedAndFailTheRun)
{
    TempDir dir("clifailures");
    writeFile(dir / "afile", "a file where a directory must be");
    const std::string header = "Kalve Script File\ncaption\n";
    const std::string blocked = dir / "afile";
    struct Case {
        std::string line;
        std::string reason;
    };
    const Case cases[] = {
        {"SaveSession " + blocked + "/a.k4s", "Not a directory"},
        {"ExportAsciiZ " + blocked + "/z.txt 1", "Not a directory"},
        {"SaveScheme " + blocked + "/s.scm", "Not a directory"},
        {"SaveTarga24 " + blocked + "/x.tga", "Not a directory"},
        {"LoadLandscape " + (dir / "nosuch.k4s"), "No such file or directory"},
        {"ImageSize 0 0", "a width and a height of 16 to 8192 pixels; the size stays 320 x 200"},
        {"ImageSize 100000 100000", "16 to 8192 pixels"},
        {"ImageSize -5 100", "16 to 8192 pixels"},
        {"ImageSize 640", "16 to 8192 pixels"},
    };
    for (const Case& c : cases) {
        writeFile(dir / "f.scr", header + "GenerateFractal 5\n" + c.line + "\nHaze 3\n");
        std::string out;
        EXPECT_EQ(runKalvenor("run '" + (dir / "f.scr") + "'", out, true), 1) << c.line;
        const std::size_t report = out.find(dir / "f.scr" + ":4: " + c.line + ": ");
        ASSERT_NE(report, std::string::npos) << out;
        EXPECT_NE(out.substr(report, out.find('\n', report) - report).find(c.reason), std::string::npos) << out;
        EXPECT_NE(out.find("\n1 failed line\n"), std::string::npos) << out;
    }

    // A clean run still ends with 0; a script error answered Cancel in advance says so, not "aborted".
    writeFile(dir / "clean.scr", header + "GenerateFractal 5\nImageSize 64 48\n");
    std::string out;
    EXPECT_EQ(runKalvenor("run '" + (dir / "clean.scr") + "'", out, true), 0) << out;
    writeFile(dir / "bogus.scr", header + "Bogus\n");
    EXPECT_EQ(runKalvenor("run '" + (dir / "bogus.scr") + "' --answer 'Script error=Cancel'", out, true), 1);
    EXPECT_NE(out.find("Script stopped at a script error (answered Cancel)."), std::string::npos) << out;
    EXPECT_EQ(out.find("User aborted script!"), std::string::npos) << out;
}

// A FIFO (or anything else that is not a regular file) is refused by name at
// once instead of waiting for a writer: the run ends within its time limit.
TEST(CommandLine, OnlyRegularFilesAreRead)
{
    TempDir dir("clififo");
    const std::string fifo = dir / "f";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    writeFile(dir / "fifo.scr", "Kalve Script File\ncaption\nLoadDEM " + fifo + "\nLoadScheme " + fifo + "\nCloudLoad " +
                                    fifo + "\nLoadBinaryDEM " + fifo + " 10 10\nTextureLoad 51 " + fifo + "\nLoadTarga24 " +
                                    fifo + "\n");
    std::string out;
    EXPECT_EQ(runKalvenor("run '" + (dir / "fifo.scr") + "'", out, true, 30), 1) << out;
    EXPECT_NE(out.find("LoadDEM " + fifo + ": not a regular file"), std::string::npos) << out;
    EXPECT_NE(out.find("\n6 failed lines\n"), std::string::npos) << out;
    EXPECT_EQ(runKalvenor("run '" + fifo + "'", out, true, 30), 1) << out; // the script itself
    EXPECT_EQ(runKalvenor("render -o " + (dir / "x.png") + " --landscape '" + fifo + "'", out, true, 30), 1) << out;
}

// A batch run refuses Spawn unless --allow-spawn is given; then the program
// runs with its arguments and no shell reads the line.
TEST(CommandLine, SpawnNeedsAllowSpawnAndRunsNoShell)
{
    TempDir dir("clispawn");
    const std::string made = dir / "made";
    writeFile(dir / "spawn.scr", "Kalve Script File\ncaption\nSpawn true && touch " + made + "\nSpawn touch " + made +
                                     "\n");
    std::string out;
    EXPECT_EQ(runKalvenor("run '" + (dir / "spawn.scr") + "'", out, true), 1);
    EXPECT_NE(out.find(":3: Spawn true && touch " + made + ": Spawn is refused"), std::string::npos) << out;
    EXPECT_FALSE(std::filesystem::exists(made));

    EXPECT_EQ(runKalvenor("run '" + (dir / "spawn.scr") + "' --allow-spawn", out, true), 0) << out;
    EXPECT_TRUE(std::filesystem::exists(made)); // by the second line alone: "&&" reached true as an argument
    EXPECT_FALSE(std::filesystem::exists(dir / "&&"));
}

// A confined run reads and writes only inside its directory, whether a script
// names a file outside by an absolute path, by "..", or through a link.
TEST(CommandLine, AConfinedRunStaysInsideItsDirectory)
{
    TempDir dir("cliconfine");
    const std::string job = dir / "job";
    std::filesystem::create_directories(job);
    writeFile(dir / "secret.tga", "keep");
    std::filesystem::create_symlink("/etc/passwd", job + "/passwd");
    std::filesystem::create_symlink(dir / "secret.tga", job + "/secret.tga");
    std::filesystem::create_directory_symlink(dir.path, job + "/up");
    writeFile(job + "/job.scr", "Kalve Script File\ncaption\nGenerateFractal 5\nImageSize 32 24\nRender\n"
                                "LoadDEM /etc/passwd\nLoadDEM passwd\nLoadDEM ../secret.tga\nLoadTarga up/secret.tga\n"
                                "SaveTarga24 " + (dir / "absolute.tga") + "\nSaveTarga24 ../dotdot.tga\n"
                                "SaveTarga24 up/linked.tga\nSaveTarga24 secret.tga\nSaveTarga24 inside.tga\n");
    // A farm runs the job in its directory: names without a directory are made there.
    const std::filesystem::path was = std::filesystem::current_path();
    std::filesystem::current_path(job);
    std::string out;
    EXPECT_EQ(runKalvenor("run job.scr --confine .", out, true), 1) << out;
    std::filesystem::current_path(was);
    const std::string outside = ": outside the directory " + std::filesystem::canonical(job).string() +
                                " the run is confined to";
    for (const char* line : {":6: LoadDEM /etc/passwd", ":7: LoadDEM passwd", ":8: LoadDEM ../secret.tga",
                             ":9: LoadTarga up/secret.tga", ":11: SaveTarga24 ../dotdot.tga",
                             ":12: SaveTarga24 up/linked.tga", ":13: SaveTarga24 secret.tga"})
        EXPECT_NE(out.find(line + outside), std::string::npos) << line << "\n" << out;
    EXPECT_NE(out.find("\n8 failed lines\n"), std::string::npos) << out;
    for (const char* name : {"absolute.tga", "dotdot.tga", "linked.tga"})
        EXPECT_FALSE(std::filesystem::exists(dir / name)) << name;
    EXPECT_EQ(testing::readFile(dir / "secret.tga"), "keep");
    EXPECT_TRUE(std::filesystem::exists(job + "/inside.tga"));
    // Nothing was made in the parent either, not even a temporary file.
    EXPECT_EQ(testing::entries(dir.path), (std::vector<std::string>{"job", "secret.tga"}));

    // What the command line names is the operator's own: an image outside is written.
    writeFile(job + "/still.scr", "Kalve Script File\ncaption\nGenerateFractal 5\nImageSize 32 24\n");
    EXPECT_EQ(runKalvenor("render '" + job + "/still.scr' -o " + (dir / "out.png") + " --confine '" + job + "'", out,
                          true),
              0)
        << out;
    EXPECT_TRUE(std::filesystem::exists(dir / "out.png"));
    EXPECT_EQ(runKalvenor("run x.scr --confine " + (dir / "missing"), out, true), 2) << out;
    EXPECT_EQ(runKalvenor("run x.scr --confine " + job + " --allow-spawn", out, true), 2) << out;
}

// Help for each command with its examples, and words that are no command.
TEST(CommandLine, HelpForEachCommandAndUnknownWords)
{
    std::string error;
    for (const auto& [args, topic] : {std::pair{std::vector<std::string>{"help", "run"}, "run"},
                                      std::pair{std::vector<std::string>{"run", "--help"}, "run"},
                                      std::pair{std::vector<std::string>{"render", "x.scr", "-h"}, "render"},
                                      std::pair{std::vector<std::string>{"help"}, ""}}) {
        const auto cl = parseCommandLine(args, error);
        ASSERT_TRUE(cl.has_value()) << error;
        EXPECT_EQ(cl->mode, Mode::Help);
        EXPECT_EQ(cl->helpTopic, topic);
    }
    EXPECT_FALSE(parseCommandLine({"help", "fly"}, error).has_value());
    EXPECT_EQ(error, "no help for fly: the commands are run, render and path");
    for (const char* command : {"run", "render", "path"}) {
        const std::string help = commandHelp(command);
        EXPECT_NE(help.find("example"), std::string::npos) << command;
        EXPECT_NE(help.find("docs/getting-started.md"), std::string::npos) << command;
    }
    EXPECT_NE(usageText().find("kalvenor help [COMMAND]"), std::string::npos);

    std::string out;
    EXPECT_EQ(runKalvenor("run --help", out), 0);
    EXPECT_NE(out.find("--out out/flyover --format avi"), std::string::npos) << out;
    EXPECT_EQ(runKalvenor("path --help", out), 0);
    EXPECT_NE(out.find("kalvenor path out/valley.k4s -o"), std::string::npos) << out;
    EXPECT_EQ(runKalvenor("fly", out, true), 2);
    EXPECT_NE(out.find("fly is neither a command nor a landscape file"), std::string::npos) << out;
}

// In a log a run writes a line a frame and no window decoration; --quiet
// leaves only what went wrong, --verbose every status text.
TEST(CommandLine, LogsHoldALineAFrame)
{
    TempDir dir("clilog");
    writeFile(dir / "fly.scr", "Kalve Script File\ncaption\nImageSize 32 24\n0, 0, 500, 0, 0, -5\n"
                               "0, 100, 500, 0, 0, -5\n0, 200, 500, 0, 0, -5\nBogusWord\n");
    const auto count = [](const std::string& text, const std::string& what) {
        std::size_t n = 0;
        for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
        return n;
    };
    std::string out;
    EXPECT_EQ(runKalvenor("run '" + (dir / "fly.scr") + "' --out " + (dir / "f"), out, true), 1);
    EXPECT_EQ(count(out, " took "), 3u) << out;
    EXPECT_EQ(out.find("Initializing"), std::string::npos) << out;
    EXPECT_EQ(out.find("Render:"), std::string::npos) << out;
    EXPECT_NE(out.find("unknown keyword \"BogusWord\""), std::string::npos) << out;

    std::filesystem::remove_all(dir.path / "f00000.TGA");
    EXPECT_EQ(runKalvenor("run '" + (dir / "fly.scr") + "' --out " + (dir / "g") + " --quiet", out, true), 1);
    EXPECT_EQ(count(out, " took "), 0u) << out;
    EXPECT_NE(out.find("unknown keyword \"BogusWord\""), std::string::npos) << out;

    EXPECT_EQ(runKalvenor("run '" + (dir / "fly.scr") + "' --out " + (dir / "h") + " --verbose", out, true), 1);
    EXPECT_EQ(count(out, " took "), 3u) << out;
    EXPECT_NE(out.find("Initializing"), std::string::npos) << out;
}

// A missing script says so once; a file whose first line is not the header
// says what it must be.
TEST(CommandLine, ScriptsThatCannotBeReadSayWhy)
{
    TempDir dir("cliscript");
    std::string out;
    EXPECT_EQ(runKalvenor("run '" + (dir / "none.scr") + "'", out, true), 1);
    EXPECT_NE(out.find("Error opening file: \"" + (dir / "none.scr") + "\""), std::string::npos) << out;
    EXPECT_EQ(out.find("Error running script"), std::string::npos) << out;
    writeFile(dir / "notes.scr", "My script\ncaption\nHaze 5\n");
    EXPECT_EQ(runKalvenor("run '" + (dir / "notes.scr") + "'", out, true), 1);
    EXPECT_NE(out.find("is not a script file: its first line must read \"Kalve Script File\""), std::string::npos)
        << out;
    EXPECT_EQ(out.find("Format error in script!"), std::string::npos) << out;
}

// --view hands the finished file to the desktop's viewer as one argument, with
// no shell between: a stand-in xdg-open on PATH records what it was given.
TEST(CommandLine, ViewOpensTheFinishedFileInTheViewer)
{
    TempDir dir("cliview");
    const std::string bin = dir / "bin", record = dir / "opened";
    std::filesystem::create_directories(bin);
    writeFile(bin + "/xdg-open", "#!/bin/sh\nfor a in \"$@\"; do echo \"[$a]\" >> '" + record + "'; done\n");
    std::filesystem::permissions(bin + "/xdg-open", std::filesystem::perms::owner_all);
    const std::string path = "PATH='" + bin + "':\"$PATH\" ";
    writeFile(dir / "fly.scr", "Kalve Script File\ncaption\nImageSize 32 24\n0, 0, 500, 0, 0, -5\n0, 100, 500, 0, 0, -5\n");
    const std::string image = dir / "a picture; rm -rf x.png";
    std::string out;
    const auto run = [&](const std::string& args) { return runKalvenor(args, out, true, 0, path); };
    EXPECT_EQ(run("render -o '" + image + "' --view"), 0) << out;
    EXPECT_EQ(run("run '" + (dir / "fly.scr") + "' --out " + (dir / "f") + " --format avi --view"), 0) << out;
    EXPECT_EQ(run("run '" + (dir / "fly.scr") + "' --out " + (dir / "g") + " --view"), 0) << out;
    EXPECT_EQ(testing::readFile(record),
              "[" + image + "]\n[" + (dir / "f.AVI") + "]\n[" + (dir / "g00000.TGA") + "]\n");

    // Without a viewer the run still succeeds and says so.
    std::filesystem::remove(bin + "/xdg-open");
    EXPECT_EQ(runKalvenor("render -o '" + (dir / "b.png") + "' --view", out, true, 0, "PATH='" + bin + "' "), 0);
    EXPECT_NE(out.find("--view: xdg-open could not be started"), std::string::npos) << out;
}

// Without --out, Render renders, so the image keywords after it save the picture.
TEST(CommandLine, RenderInABatchRunWithoutOutputRenders)
{
    TempDir dir("clirender");
    writeFile(dir / "r.scr", "Kalve Script File\ncaption\nGenerateFractal 5\nImageSize 64 48\nRender\nSaveTarga24 " +
                                 (dir / "x.tga") + "\n");
    std::string out;
    ASSERT_EQ(runKalvenor("run '" + (dir / "r.scr") + "'", out, true), 0) << out;
    const std::string tga = testing::readFile(dir / "x.tga");
    ASSERT_EQ(tga.size(), 18u + 64u * 48u * 3u);
    // A rendered picture: sky and ground, not one colour.
    std::set<std::string> colours;
    for (std::size_t at = 18; at + 3 <= tga.size(); at += 3) colours.insert(tga.substr(at, 3));
    EXPECT_GT(colours.size(), 50u);
}

} // namespace
} // namespace kalvenor

namespace kalvenor {
namespace {

bool haveProgram(const char* name)
{
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

std::string commandOutput(const std::string& command)
{
    std::string out;
    if (std::FILE* pipe = popen(command.c_str(), "r")) {
        std::array<char, 256> buffer{};
        while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr) out += buffer.data();
        pclose(pipe);
    }
    return out;
}

// 300 frames of 640 x 480 (ten rendered views, each saved thirty times): as
// Motion JPEG the AVI is a tenth of the uncompressed one or less, and ffmpeg
// reads every frame of both.
TEST(CommandLine, MotionJpegAvisAreSmallAndDecode)
{
    if (!haveProgram("ffprobe") || !haveProgram("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed (make test-deps)";
    TempDir dir("mjpeg");
    std::string script = "Kalve Script File\nflight\nLandscapeSizeSmall\nGenerateFractal 4242\nSeaLevel 20 0\n"
                         "ShadowsOn\nImageSize 640 480\n";
    for (int view = 0; view < 10; ++view) {
        script += "3840, " + std::to_string(300 + 150 * view) + ", 700, 0, 0, -12\n";
        for (int again = 1; again < 30; ++again) script += "RewriteImage\n";
    }
    writeFile(dir / "flight.scr", script);
    std::string out;
    ASSERT_EQ(runKalvenor("run " + (dir / "flight.scr") + " --out " + (dir / "raw") + " --format avi --quiet", out), 0);
    ASSERT_EQ(runKalvenor("run " + (dir / "flight.scr") + " --out " + (dir / "small") +
                              " --format avi --codec mjpeg --quiet",
                          out),
              0);
    const auto raw = std::filesystem::file_size(dir / "raw.AVI");
    const auto small = std::filesystem::file_size(dir / "small.AVI");
    EXPECT_GE(raw, 10 * small) << raw << " and " << small << " bytes";

    for (const auto& [name, codec] : {std::pair{"raw.AVI", "rawvideo"}, std::pair{"small.AVI", "mjpeg"}}) {
        const std::string file = "'" + (dir / name) + "'";
        EXPECT_EQ(commandOutput("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                                "stream=codec_name,width,height,r_frame_rate,nb_read_frames -of csv=p=0 " +
                                file),
                  std::string(codec) + ",640,480,15/1,300\n");
        EXPECT_EQ(commandOutput("ffmpeg -v error -i " + file + " -f null - 2>&1; echo $?"), "0\n") << name;
    }
}

} // namespace
} // namespace kalvenor
