// Files built to cost: a few bytes that claim a huge picture or landscape,
// a long run of empty scans, a count with no end. Each is loaded by its
// script line in a child process, which must finish within its time limit,
// grow by no more than the memory bound, and report the line as failed.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "script_fixture.h"
#include "shell/startup.h"

namespace kalvenor {
namespace {

constexpr long kMiB = 1024 * 1024;

struct Cost {
    bool finished = false; // within the time limit, by a normal exit
    int exitCode = -1;
    long grownBytes = 0; // peak resident size above the size at the start
};

long residentBytes()
{
    long pages = 0, resident = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * ::sysconf(_SC_PAGESIZE);
}

// Runs work in a child; its exit code is work's result.
Cost measure(const std::function<int()>& work, std::chrono::seconds limit)
{
    int pipe[2];
    if (::pipe(pipe) != 0) return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe[0]);
        const long start = residentBytes();
        const int code = work();
        rusage usage{};
        ::getrusage(RUSAGE_SELF, &usage);
        const long grown = usage.ru_maxrss * 1024 - start;
        if (::write(pipe[1], &grown, sizeof grown) != sizeof grown) ::_exit(99);
        ::_exit(code);
    }
    ::close(pipe[1]);
    Cost cost;
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            ::close(pipe[0]);
            return cost;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (::read(pipe[0], &cost.grownBytes, sizeof cost.grownBytes) == sizeof cost.grownBytes && WIFEXITED(status)) {
        cost.finished = true;
        cost.exitCode = WEXITSTATUS(status);
    }
    ::close(pipe[0]);
    return cost;
}

std::string bytes(std::initializer_list<int> values)
{
    std::string s;
    for (int v : values) s.push_back(static_cast<char>(v));
    return s;
}

// A Targa header of 8192 x 8192 true colour and nothing after it.
std::string targaHeaderOnly() { return bytes({0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x20, 0, 0x20, 24, 0x20}); }

// A BMP header of 8192 x 8192 at 24 bits and nothing after it.
std::string bmpHeaderOnly()
{
    std::string s = "BM";
    s += bytes({0x36, 0, 0, 0, 0, 0, 0, 0, 0x36, 0, 0, 0, 40, 0, 0, 0, 0, 0x20, 0, 0, 0, 0x20, 0, 0, 1, 0, 24, 0});
    s.append(54 - s.size(), '\0');
    return s;
}

// A progressive JPEG frame of 8000 x 8000 in three components, then a first
// scan and the end: every coefficient of the picture is held by a progressive
// decoder before any data arrives.
std::string progressiveClaim()
{
    return bytes({0xFF, 0xD8,                                                       // start
                  0xFF, 0xC2, 0, 17, 8, 0x1F, 0x40, 0x1F, 0x40, 3,                  // frame
                  1, 0x11, 0, 2, 0x11, 0, 3, 0x11, 0,                               // components
                  0xFF, 0xDA, 0, 12, 3, 1, 0, 2, 0, 3, 0, 0, 0, 0,                  // scan
                  0xFF, 0xD9});                                                     // end
}

// A small progressive picture followed by scan after scan with no data.
std::string emptyScans(int count)
{
    std::string s = bytes({0xFF, 0xD8, 0xFF, 0xDB, 0, 67, 0});
    s.append(64, '\1');
    s += bytes({0xFF, 0xC2, 0, 11, 8, 0, 8, 0, 8, 1, 1, 0x11, 0});
    // One DC table: a single code of length 1 for category 0.
    s += bytes({0xFF, 0xC4, 0, 20, 0x00, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    for (int i = 0; i < count; ++i) s += bytes({0xFF, 0xDA, 0, 8, 1, 1, 0, 0, 0, 0});
    s += bytes({0xFF, 0xD9});
    return s;
}

class CostlyFiles : public ScriptTest {
protected:
    void SetUp() override
    {
        ScriptTest::SetUp();
        initialiseApp(app, ui); // with its picture buffers
    }

    // Runs one script line on the file in a child: 0 when the line failed as it should.
    Cost load(const std::string& keyword, const std::string& name, const std::string& content,
              std::chrono::seconds limit = std::chrono::seconds(20))
    {
        const std::string path = write(name, content);
        return measure(
            [&] {
                ScriptPlace place;
                const LineResult r = executeLine(app, ui, keyword + " " + path, place);
                return r == LineResult::Done && place.failures == 1 ? 0 : 1;
            },
            limit);
    }
};

// The gauge itself: memory the child touches is seen, a child that hangs is stopped.
TEST(CostGauge, SeesMemoryAndStopsAHang)
{
    const Cost touched = measure(
        [] {
            std::vector<char> block(100 * kMiB, 1);
            return block[12345] - 1;
        },
        std::chrono::seconds(20));
    EXPECT_TRUE(touched.finished);
    EXPECT_EQ(touched.exitCode, 0);
    EXPECT_GT(touched.grownBytes, 90 * kMiB);
    const Cost hung = measure(
        [] {
            ::pause();
            return 0;
        },
        std::chrono::seconds(1));
    EXPECT_FALSE(hung.finished);
}

TEST_F(CostlyFiles, FilesClaimingHugePicturesFailCheaply)
{
    const struct {
        const char* keyword;
        const char* name;
        std::string content;
    } cases[] = {
        {"TextureLoad 51", "claim.tga", targaHeaderOnly()},
        {"LoadTarga", "claim.tga", targaHeaderOnly()},
        {"LoadBMP", "claim.bmp", bmpHeaderOnly()},
        {"LoadJPG", "claim.jpg", progressiveClaim()},
        {"TextureLoad 52", "claim.jpg", progressiveClaim()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.keyword) + " " + c.name);
        ASSERT_LE(c.content.size(), 64u);
        const Cost cost = load(c.keyword, c.name, c.content);
        EXPECT_TRUE(cost.finished);
        EXPECT_EQ(cost.exitCode, 0);
        EXPECT_LE(cost.grownBytes, 64 * kMiB);
    }
}

TEST_F(CostlyFiles, AJpegOfEmptyScansEndsSoon)
{
    const std::string file = emptyScans(100000);
    const Cost cost = load("LoadJPG", "scans.jpg", file);
    EXPECT_TRUE(cost.finished);
    EXPECT_EQ(cost.exitCode, 0);
    EXPECT_LE(cost.grownBytes, 64 * kMiB);
}

// A script cannot be stopped by hand, so Erode has an end: a count beyond it
// fails the line at once and the landscape is untouched.
TEST_F(CostlyFiles, ErosionWithoutEndIsRefused)
{
    const auto elevations = [&] {
        const ElevationMap& e = app.landscape.elevation;
        return std::vector<std::int16_t>(e.block.get(), e.block.get() + e.cellCount());
    };
    const std::vector<std::int16_t> before = elevations();
    ScriptPlace place;
    EXPECT_EQ(executeLine(app, ui, "Erode 2147483647", place), LineResult::Done);
    EXPECT_EQ(place.failures, 1);
    ASSERT_FALSE(ui.reports.empty());
    EXPECT_NE(ui.reports.back().find("takes a whole number from 0 to 100000"), std::string::npos) << ui.reports.back();
    EXPECT_TRUE(elevations() == before);

    ui.askAnswers.push_back(true); // accept the erosion
    EXPECT_EQ(executeLine(app, ui, "Erode 3", place), LineResult::Done);
    EXPECT_EQ(place.failures, 1);
    EXPECT_FALSE(elevations() == before);
    ASSERT_FALSE(ui.progressLines.empty());
    EXPECT_EQ(ui.progressLines.back(), progressText("Erode", 66));
}

} // namespace
} // namespace kalvenor
