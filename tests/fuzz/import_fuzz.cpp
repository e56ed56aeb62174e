// The imports that read from a file path (Scenery Animator landscapes and
// old-layout colour schemes) as hostile input, through an in-memory file.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "files/scenery_import.h"
#include "model/colour_scheme.h"
#include "model/random_streams.h"
#include "memory_file.h"
#include "platform/scripted_frontend.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kalvenor;
    const fuzzing::MemoryFile file(data, size);
    if (!file.ok()) return 0;
    const std::string& path = file.path();

    static Landscape* land = nullptr;
    static RandomStreams random;
    if (land == nullptr) land = new Landscape;
    if (land->gridWidth != kSmallGrid || !land->elevation.allocated())
        resizeLandscape(*land, random, kSmallGrid, kSmallGrid);
    ScriptedFrontend ui;
    (void)importSceneryAnimator(*land, random, path, ui, nullptr);

    std::array<std::uint8_t, 1024> scheme{};
    (void)loadSchemeOldLayout(path, scheme);
    return 0;
}
