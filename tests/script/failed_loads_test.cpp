// A load that fails changes nothing: every kind of file the scripts read is
// cut short and loaded over a known landscape and session, and a session saved
// before and after the failed load must be byte for byte the same.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/byte_order.h"
#include "files/dem_file.h"
#include "files/session_file.h"
#include "script_fixture.h"

namespace kalvenor {
namespace {

std::string readBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A 16 x 16 Targa (uncompressed, 24 bits, bottom-up) of a colour ramp.
std::string smallTarga()
{
    std::string t(18, '\0');
    t[2] = 2;
    t[12] = 16;
    t[14] = 16;
    t[16] = 24;
    for (int i = 0; i < 16 * 16; ++i) {
        t += static_cast<char>(i);
        t += static_cast<char>(255 - i);
        t += static_cast<char>(i * 7);
    }
    return t;
}

class FailedLoads : public ScriptTest {
protected:
    // The session the tests start from: a generated landscape with its maps,
    // changed settings, a texture and a cloud pattern.
    void SetUp() override
    {
        ScriptTest::SetUp();
        texture = write("ramp.tga", smallTarga());
        for (const std::string& line : std::vector<std::string>{"GenerateFractal 4242", "SeaLevel 20 0", "Haze 17", "SetColorSky 10 20 30",
                                       "CloudNumber 3", "TextureLoad 51 " + texture})
            ASSERT_EQ(run(line), LineResult::Done) << line;
    }

    std::string sessionNow(const std::string& name)
    {
        const std::string path = (dir / name).string();
        EXPECT_EQ(run("SaveSession " + path), LineResult::Done);
        return readBytes(path);
    }

    // A copy of a good file cut to keep bytes.
    std::string cutCopy(const std::string& good, std::size_t keep, const std::string& name)
    {
        return write(name, readBytes(good).substr(0, keep));
    }

    std::string texture;
};

TEST_F(FailedLoads, ACutFileOfAnyKindChangesNothing)
{
    // Good files of every kind, made from other states so that loading them whole would show.
    const std::string dem = (dir / "good.dem").string();
    const std::string session = (dir / "good.k4s").string();
    const std::string scheme = (dir / "good.scm").string();
    const std::string cloud = (dir / "good.cld").string();
    const std::string raster = (dir / "good.tif").string();
    const std::string png = (dir / "good.png").string();
    {
        App other;
        ScriptedFrontend quiet;
        ASSERT_EQ(resizeLandscape(other.landscape, other.random, kSmallGrid, kSmallGrid), 1);
        resetScene(other.landscape, other.scene);
        for (const std::string& line : std::vector<std::string>{"GenerateFractal 77", "Haze 60", "SetColorSky 200 100 0", "CloudNumber 9",
                                       "SaveDEM " + dem, "SaveSession " + session, "SaveScheme " + scheme,
                                       "CloudSave " + cloud, "ExportElevations " + raster, "ExportElevations " + png})
            ASSERT_EQ(executeLine(other, quiet, line), LineResult::Done) << line;
    }
    const std::string binary = write("good.bin", std::string(2 * 300 * 200, '\x07'));

    const std::string before = sessionNow("before.k4s");
    struct Case {
        const char* what;
        std::string line; // the load, given the cut file's path
    };
    auto cut = [&](const std::string& good, double part, const char* name) {
        const std::size_t size = std::filesystem::file_size(good);
        return cutCopy(good, static_cast<std::size_t>(size * part), name);
    };
    // A copy of the same size whose first elevation row claims 65535 packed bytes.
    auto damagedRow = [&](const std::string& good, std::size_t rowAt, const char* name) {
        std::string bytes = readBytes(good);
        bytes[rowAt] = bytes[rowAt + 1] = '\xFF';
        return write(name, bytes);
    };
    const std::string sessionBytes = readBytes(session);
    const std::size_t sessionRows =
        get32le(reinterpret_cast<const std::uint8_t*>(sessionBytes.data()) + kElevationBlockField);
    const std::vector<Case> cases = {
        {"old-format landscape, cut in its rows", "LoadLandscape " + cut(dem, 0.5, "a.dem")},
        {"old-format landscape, cut after the header", "LoadLandscape " + cut(dem, 0.35, "b.dem")},
        {"session, cut in its maps", "LoadLandscape " + cut(session, 0.6, "c.k4s")},
        {"session, cut in its header", "LoadLandscape " + cut(session, 0.01, "d.k4s")},
        {"session, a damaged row", "LoadLandscape " + damagedRow(session, sessionRows, "j.k4s")},
        {"old-format landscape, a damaged row", "LoadLandscape " + damagedRow(dem, kOldHeaderBytes, "k.dem")},
        {"scheme in the new layout, cut", "LoadScheme " + cut(scheme, 0.5, "e.scm")},
        {"scheme in the old layout, cut in its header", "LoadScheme " + cutCopy(dem, 1500, "f.dem")},
        {"cloud pattern, cut", "CloudLoad " + cut(cloud, 0.5, "g.cld")},
        {"binary elevations, short", "LoadBinaryDEM " + cut(binary, 0.5, "h.bin") + " 300 200"},
        {"texture, cut", "TextureLoad 51 " + cut(texture, 0.5, "i.tga")},
        {"GeoTIFF, cut", "ImportElevations " + cut(raster, 0.5, "l.tif")},
        {"GeoTIFF, cut in its header", "ImportElevations " + cut(raster, 0.002, "m.tif")},
        {"16-bit PNG, cut", "ImportElevations " + cut(png, 0.6, "n.png") + " bilinear"},
    };
    for (const Case& c : cases) {
        ui.messages.clear();
        EXPECT_EQ(run(c.line), LineResult::Done) << c.what;
        EXPECT_FALSE(ui.messages.empty()) << c.what << ": the failure was not reported";
        EXPECT_TRUE(sessionNow("after.k4s") == before) << c.what << " changed the session";
    }
}

// An image cut short leaves the picture it was loaded over as it was.
TEST_F(FailedLoads, ACutImageLeavesThePictureAlone)
{
    ASSERT_EQ(run("ImageSize 64 48"), LineResult::Done);
    // A picture to load: a ramp drawn into the image and saved in each format.
    for (int r = 0; r < 48; ++r)
        for (int c = 0; c < 64; ++c) app.images.vidmem24[r][c] = static_cast<std::uint32_t>(r * 5 + (c * 3 << 8));
    struct Kind {
        const char* save;
        const char* load;
        const char* name;
    };
    const Kind kinds[] = {{"SaveTarga24", "LoadTarga24", "p.tga"}, {"SaveBMP24", "LoadBMP24", "p.bmp"},
                          {"SaveJPG24", "LoadJPG24", "p.jpg"}};
    for (const Kind& k : kinds) ASSERT_EQ(run(std::string(k.save) + " " + (dir / k.name).string()), LineResult::Done);

    // The picture the loads go over: another one.
    for (int r = 0; r < 48; ++r)
        for (int c = 0; c < 64; ++c) app.images.vidmem24[r][c] = 0x00204060u + static_cast<std::uint32_t>(c);
    std::vector<std::uint32_t> before;
    for (int r = 0; r < 48; ++r) before.insert(before.end(), app.images.vidmem24[r], app.images.vidmem24[r] + 64);
    for (const Kind& k : kinds) {
        const std::string good = (dir / k.name).string();
        const std::string cut = cutCopy(good, std::filesystem::file_size(good) * 2 / 3, std::string("cut-") + k.name);
        ui.reports.clear();
        EXPECT_EQ(run(std::string(k.load) + " " + cut), LineResult::Done) << k.load;
        EXPECT_EQ(ui.reports.size(), 1u) << k.load;
        std::vector<std::uint32_t> after;
        for (int r = 0; r < 48; ++r) after.insert(after.end(), app.images.vidmem24[r], app.images.vidmem24[r] + 64);
        EXPECT_TRUE(after == before) << k.load << " changed the picture";
    }
}

} // namespace
} // namespace kalvenor
