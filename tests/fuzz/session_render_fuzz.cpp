// Sessions and colour-scheme files as hostile input, followed by a small
// render: whatever settings a file brings in, the frame draws or is refused
// without a fault. A fresh program state per input, at a small image size.
#include <cstddef>
#include <cstdint>

#include "app/app.h"
#include "app/landscape_commands.h"
#include "app/render_driver.h"
#include "files/landscape_file.h"
#include "platform/scripted_frontend.h"
#include "script/interpreter.h"
#include "shell/startup.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kalvenor;
    App app;
    ScriptedFrontend ui;
    initialiseApp(app, ui);
    app.landscape.sizeMode = SizeMode::Fixed;
    LoadTarget target = loadTargetOf(app);
    if (parseLandscapeFile({data, size}, target, ui, "fuzz").status != LoadStatus::Ok) return 0;
    // The image stays small so that every input renders quickly; the settings are the file's.
    (void)executeLine(app, ui, "ImageSize 24 16");
    ui.abortOnPoll = 200000; // an input that makes the frame very long is cut short
    (void)renderImage(app, ui);
    return 0;
}
