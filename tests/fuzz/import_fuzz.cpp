// The imports that read from a file path (Scenery Animator landscapes and
// old-layout colour schemes) as hostile input, through an in-memory file.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

#include "files/scenery_import.h"
#include "model/colour_scheme.h"
#include "model/random_streams.h"
#include "platform/scripted_frontend.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kalvenor;
    const int fd = memfd_create("kalvenor-fuzz", 0);
    if (fd < 0) return 0;
    std::size_t written = 0;
    while (written < size) {
        const ssize_t n = write(fd, data + written, size - written);
        if (n <= 0) break;
        written += static_cast<std::size_t>(n);
    }
    const std::string path = "/proc/self/fd/" + std::to_string(fd);

    static Landscape* land = nullptr;
    static RandomStreams random;
    if (land == nullptr) land = new Landscape;
    if (land->gridWidth != kSmallGrid || !land->elevation.allocated())
        resizeLandscape(*land, random, kSmallGrid, kSmallGrid);
    ScriptedFrontend ui;
    (void)importSceneryAnimator(*land, random, path, ui, nullptr);

    std::array<std::uint8_t, 1024> scheme{};
    (void)loadSchemeOldLayout(path, scheme);
    close(fd);
    return 0;
}
