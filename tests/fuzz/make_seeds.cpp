// Writes the seed corpus of every fuzz target: files made by the program's own
// writers, so the fuzzers start from valid input. Usage: make_seeds DIR
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

void write(const fs::path& dir, const std::string& name, const std::string& bytes)
{
    fs::create_directories(dir);
    std::ofstream(dir / name, std::ios::binary) << bytes;
}

void scriptSeeds(const fs::path& dir)
{
    const char* lines[] = {
        "CameraXYZ 100.5 -200 3e2", "GenerateFractal 4294967295", "SetColorSnow1 255 250 -1",
        "-5, 10.25, 30, 0, 90, -45,", "ExportAsciiZ out/z.txt 2", "DefaultDirDEM C:\\land\\", "; comment",
        "LoadBinaryDEM data.bin 300 200", "RedrawRate 5", "Haze",
    };
    int n = 0;
    for (const char* line : lines) write(dir, "line" + std::to_string(n++), line);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds DIR\n");
        return 2;
    }
    const fs::path root = argv[1];
    scriptSeeds(root / "script_line_fuzz");
    return 0;
}
