// Landscape files of both formats, sessions and colour-scheme files as hostile
// input. A fresh program state per input, in automatic size mode, so a file
// may resize the grid; the scripted frontend answers every question.
#include <cstddef>
#include <cstdint>
#include <span>

#include "app/app.h"
#include "app/landscape_commands.h"
#include "files/landscape_file.h"
#include "platform/scripted_frontend.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kalvenor;
    static App* app = nullptr;
    if (app == nullptr) {
        app = new App;
        resizeLandscape(app->landscape, app->random, kSmallGrid, kSmallGrid);
    }
    // Keep the grid small between inputs so that a large file does not make every later one slow.
    if (app->landscape.gridWidth != kSmallGrid || app->landscape.gridHeight != kSmallGrid)
        resizeLandscape(app->landscape, app->random, kSmallGrid, kSmallGrid);
    app->landscape.sizeMode = (size % 2) ? SizeMode::Automatic : SizeMode::Fixed;
    ScriptedFrontend ui;
    LoadTarget target = loadTargetOf(*app);
    (void)parseLandscapeFile({data, size}, target, ui, "fuzz");
    return 0;
}
