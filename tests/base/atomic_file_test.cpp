#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/atomic_file.h"
#include "support/file_size_limit.h"
#include "support/temp_dir.h"

namespace kalvenor {
namespace {

namespace fs = std::filesystem;

using kalvenor::testing::FileSizeLimit;
using kalvenor::testing::readFile;
using kalvenor::testing::writeFile;

struct TempDir : kalvenor::testing::TempDir {
    TempDir() : kalvenor::testing::TempDir("atomic") {}
};

// Every name in the directory tree, relative to it, sorted.
std::vector<std::string> entries(const fs::path& dir)
{
    std::vector<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(dir)) names.push_back(e.path().lexically_relative(dir).string());
    std::sort(names.begin(), names.end());
    return names;
}

using Names = std::vector<std::string>;

TEST(AtomicFile, TextModeStoresLineEndsAsCrLfAndBinaryModeKeepsBytes)
{
    TempDir dir;
    const std::string bytes("a\nb\n\n\r\n\0z", 9);
    {
        AtomicFile f;
        ASSERT_TRUE(f.open(dir / "t.txt", FileMode::Text));
        EXPECT_TRUE(f.write(bytes.data(), bytes.size()));
        EXPECT_TRUE(f.write(nullptr, 0));
        EXPECT_TRUE(f.print("%d %s\n", -42, "x"));
        ASSERT_TRUE(f.commit());
    }
    EXPECT_EQ(readFile(dir / "t.txt"), std::string("a\r\nb\r\n\r\n\r\r\n\0z-42 x\r\n", 20));
    {
        AtomicFile f;
        ASSERT_TRUE(f.open(dir / "b.bin", FileMode::Binary));
        EXPECT_TRUE(f.write(bytes));
        ASSERT_TRUE(f.commit());
    }
    EXPECT_EQ(readFile(dir / "b.bin"), bytes);
    EXPECT_EQ(entries(dir.path), (Names{"b.bin", "t.txt"}));
}

TEST(AtomicFile, LargeWritesAndLongFormattedLinesArriveWhole)
{
    TempDir dir;
    std::string big;
    for (int i = 0; i < 50000; ++i) big += std::to_string(i) + "\n";
    const std::string wide(3000, 'w');
    AtomicFile f;
    ASSERT_TRUE(f.open(dir / "big.txt", FileMode::Text));
    for (std::size_t at = 0; at < big.size(); at += 1000) EXPECT_TRUE(f.write(std::string_view(big).substr(at, 1000)));
    EXPECT_TRUE(f.write(big)); // larger than the buffer in one call
    EXPECT_TRUE(f.print("[%s]\n", wide.c_str()));
    ASSERT_TRUE(f.commit());

    std::string expected;
    for (int i = 0; i < 50000; ++i) expected += std::to_string(i) + "\r\n";
    expected += expected;
    expected += "[" + wide + "]\r\n";
    EXPECT_EQ(readFile(dir / "big.txt"), expected);
}

TEST(AtomicFile, ReplacesTheOldFileOnlyOnCommit)
{
    TempDir dir;
    const std::string path = dir / "out.txt";
    writeFile(path, "old");
    ::chmod(path.c_str(), 0640);

    AtomicFile f;
    ASSERT_TRUE(f.open(path, FileMode::Binary));
    ASSERT_TRUE(f.write("new contents", 12));
    EXPECT_EQ(readFile(path), "old"); // not yet
    ASSERT_TRUE(f.commit());
    EXPECT_EQ(readFile(path), "new contents");
    EXPECT_EQ(entries(dir.path), Names{"out.txt"});
    // The replacement keeps the permissions of the file it replaced.
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    // Nothing more can be written once committed.
    EXPECT_FALSE(f.write("x", 1));
    EXPECT_FALSE(f.commit());
}

TEST(AtomicFile, DiscardOrDestructionWithoutCommitKeepsTheOldFile)
{
    TempDir dir;
    const std::string path = dir / "out.txt";
    writeFile(path, "old");
    {
        AtomicFile f;
        ASSERT_TRUE(f.open(path, FileMode::Text));
        ASSERT_TRUE(f.write("half a"));
        f.discard();
        EXPECT_FALSE(f.commit());
    }
    {
        AtomicFile f;
        ASSERT_TRUE(f.open(path, FileMode::Text));
        ASSERT_TRUE(f.write(std::string(100000, 'y'))); // past the buffer: bytes reach the disk
    }
    EXPECT_EQ(readFile(path), "old");
    EXPECT_EQ(entries(dir.path), Names{"out.txt"});
}

TEST(AtomicFile, FailedWriteKeepsTheOldFileAndLeavesNoTemporaryFile)
{
    TempDir dir;
    const std::string path = dir / "out.txt";
    writeFile(path, "old");
    AtomicFile f;
    ASSERT_TRUE(f.open(path, FileMode::Binary));
    {
        FileSizeLimit limit(1000);
        const std::string chunk(200000, 'z');
        EXPECT_FALSE(f.write(chunk));
    }
    // The failure is remembered: later writes fail and so does the commit.
    EXPECT_TRUE(f.failed());
    EXPECT_FALSE(f.write("more", 4));
    EXPECT_FALSE(f.commit());
    EXPECT_EQ(readFile(path), "old");
    EXPECT_EQ(entries(dir.path), Names{"out.txt"});
}

TEST(AtomicFile, FailureFoundOnlyWhenFlushingAtCommit)
{
    TempDir dir;
    const std::string path = dir / "out.txt";
    writeFile(path, "old");
    AtomicFile f;
    ASSERT_TRUE(f.open(path, FileMode::Binary));
    {
        FileSizeLimit limit(1000);
        EXPECT_TRUE(f.write(std::string(5000, 'z'))); // still in the buffer
        EXPECT_FALSE(f.commit());
    }
    EXPECT_EQ(readFile(path), "old");
    EXPECT_EQ(entries(dir.path), Names{"out.txt"});
}

// Two files replaced together: both prepared, then both committed; when the
// second cannot be written, neither previous file changes.
TEST(AtomicFile, FilesPreparedTogetherReplaceTheirPredecessorsOnlyTogether)
{
    TempDir dir;
    const std::string mesh = dir / "a.obj", library = dir / "a.mtl";
    writeFile(mesh, "old mesh");
    writeFile(library, "old library");
    {
        AtomicFile first, second;
        ASSERT_TRUE(first.open(mesh, FileMode::Binary));
        ASSERT_TRUE(second.open(library, FileMode::Binary));
        first.write("new mesh");
        ASSERT_TRUE(first.prepare());
        EXPECT_EQ(readFile(mesh), "old mesh"); // prepared, not yet in place
        FileSizeLimit limit(4);
        second.write(std::string(5000, 'z'));
        EXPECT_FALSE(second.prepare());
    } // the prepared first file is dropped with its owner
    EXPECT_EQ(readFile(mesh), "old mesh");
    EXPECT_EQ(readFile(library), "old library");
    EXPECT_EQ(entries(dir.path), (Names{"a.mtl", "a.obj"}));

    AtomicFile first, second;
    ASSERT_TRUE(first.open(mesh, FileMode::Binary));
    ASSERT_TRUE(second.open(library, FileMode::Binary));
    first.write("new mesh");
    second.write("new library");
    ASSERT_TRUE(first.prepare());
    ASSERT_TRUE(second.prepare());
    EXPECT_TRUE(first.commit());
    EXPECT_TRUE(second.commit());
    EXPECT_EQ(readFile(mesh), "new mesh");
    EXPECT_EQ(readFile(library), "new library");
    EXPECT_EQ(entries(dir.path), (Names{"a.mtl", "a.obj"}));
}

TEST(AtomicFile, CreatesEveryDirectoryOfThePathWithEitherSeparator)
{
    TempDir dir;
    AtomicFile f;
    ASSERT_TRUE(f.open(dir / "one\\two/three\\z.txt", FileMode::Text));
    ASSERT_TRUE(f.write("z\n"));
    ASSERT_TRUE(f.commit());
    EXPECT_EQ(readFile(dir / "one/two/three/z.txt"), "z\r\n");
    EXPECT_EQ(entries(dir.path), (Names{"one", "one/two", "one/two/three", "one/two/three/z.txt"}));
}

TEST(AtomicFile, ExistingNamesAreMatchedIgnoringCase)
{
    TempDir dir;
    fs::create_directory(dir.path / "DEM");
    writeFile(dir / "DEM/OUT.TXT", "old");
    AtomicFile f;
    ASSERT_TRUE(f.open(dir / "dem\\out.txt", FileMode::Binary));
    EXPECT_EQ(f.targetPath(), dir / "DEM/OUT.TXT");
    ASSERT_TRUE(f.write("new"));
    ASSERT_TRUE(f.commit());
    EXPECT_EQ(readFile(dir / "DEM/OUT.TXT"), "new");
    EXPECT_EQ(entries(dir.path), (Names{"DEM", "DEM/OUT.TXT"}));

    // Asked without creating, the path is resolved as far as it exists and nothing appears.
    EXPECT_EQ(prepareOutputPath(dir / "dem\\New\\x.txt", false), dir / "DEM/New/x.txt");
    EXPECT_EQ(entries(dir.path), (Names{"DEM", "DEM/OUT.TXT"}));
}

TEST(AtomicFile, ALinkedTargetIsReplacedThroughTheLink)
{
    TempDir dir;
    fs::create_directory(dir.path / "real");
    writeFile(dir / "real/data.txt", "old");
    fs::create_symlink(dir.path / "real" / "data.txt", dir.path / "link.txt");
    AtomicFile f;
    ASSERT_TRUE(f.open(dir / "link.txt", FileMode::Binary));
    ASSERT_TRUE(f.write("new"));
    ASSERT_TRUE(f.commit());
    EXPECT_TRUE(fs::is_symlink(dir.path / "link.txt"));
    EXPECT_EQ(readFile(dir / "real/data.txt"), "new");
    EXPECT_EQ(entries(dir.path), (Names{"link.txt", "real", "real/data.txt"}));
}

TEST(AtomicFile, OpenFailsWhereNoFileCanBe)
{
    TempDir dir;
    writeFile(dir / "plain", "keep");
    fs::create_directory(dir.path / "folder");
    const std::string paths[] = {
        dir / "plain/sub/z.txt", // a file where a directory should be
        dir / "plain/z.txt",
        dir / "folder",          // a directory where the file should be
        dir / "folder/",         // no file name
        "",
    };
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        AtomicFile f;
        EXPECT_FALSE(f.open(path, FileMode::Text));
        EXPECT_FALSE(f.write("x"));
        EXPECT_FALSE(f.commit());
    }
    EXPECT_EQ(entries(dir.path), (Names{"folder", "plain"}));
    EXPECT_EQ(readFile(dir / "plain"), "keep");
}

// The temporary file's name does not grow with the target's: a name of 255
// characters (the longest a file system takes) saves.
TEST(AtomicFile, TheLongestNamesSave)
{
    TempDir dir;
    const std::string name(255, 'n');
    AtomicFile file;
    ASSERT_TRUE(file.open(dir / name, FileMode::Binary));
    ASSERT_TRUE(file.write("bytes"));
    ASSERT_TRUE(file.commit());
    EXPECT_EQ(readFile(dir / name), "bytes");
    EXPECT_EQ(entries(dir.path), Names{name}); // no temporary file left beside it
}

// Temporary files that saves killed part way left behind are removed by the
// next save in their directory: only names of our pattern that are regular
// files and were last written before this process began.
TEST(AtomicFile, TheNextSaveSweepsStaleTemporaryFiles)
{
    TempDir dir;
    const auto aged = [&](const std::string& name, bool old) {
        writeFile(dir / name, "left");
        if (old)
            fs::last_write_time(dir / name, fs::file_time_type::clock::now() - std::chrono::hours(1));
    };
    aged(".kalvenor-a1B2c3", true);     // a killed save's: swept
    aged(".kalvenor-z9Y8x7", false);    // written since this process began: another save may own it
    aged(".kalvenor-toolong1", true);   // not our pattern
    aged("kalvenor-a1B2c3", true);      // not our pattern
    fs::create_directory(dir / ".kalvenor-dir123");
    AtomicFile file;
    ASSERT_TRUE(file.open(dir / "picture.tga", FileMode::Binary));
    ASSERT_TRUE(file.write("new", 3));
    ASSERT_TRUE(file.commit());
    EXPECT_EQ(entries(dir.path), (Names{".kalvenor-dir123", ".kalvenor-toolong1", ".kalvenor-z9Y8x7",
                                        "kalvenor-a1B2c3", "picture.tga"}));
}

// While a save is written, nothing of it shows in the directory where the
// file system lets a file be made without a name, so a save killed then
// leaves nothing behind.
TEST(AtomicFile, AFileBeingWrittenHasNoNameWhereTheFileSystemAllows)
{
    TempDir dir;
    const int probe = ::open(dir.path.c_str(), O_TMPFILE | O_WRONLY, 0600);
    if (probe < 0) GTEST_SKIP() << "this file system makes no files without a name";
    ::close(probe);
    writeFile(dir / "old.bin", "old");
    AtomicFile file;
    ASSERT_TRUE(file.open(dir / "old.bin", FileMode::Binary));
    ASSERT_TRUE(file.write("new bytes", 9));
    EXPECT_EQ(entries(dir.path), (Names{"old.bin"}));
    ASSERT_TRUE(file.commit());
    EXPECT_EQ(entries(dir.path), (Names{"old.bin"}));
    EXPECT_EQ(readFile(dir / "old.bin"), "new bytes");
}

} // namespace
} // namespace kalvenor
