#include "shell/window_program.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/app.h"
#include "base/fatal_error.h"
#include "panels/key_codes.h"
#include "panels/main_panel.h"
#include "panels/toolkit.h"
#include "platform/sdl_window.h"
#include "shell/command_line.h"
#include "shell/startup.h"
#include "shell/map_commands.h"
#include "shell/window_commands.h"

namespace kalvenor {

namespace {

// Key codes the main window takes to commands (65536 + scan code x 256 + character).
constexpr int kKeyF2 = 0x3C00;
constexpr int kKeyF5 = 0x3F00;

// The trace a test reads.
class Trace {
public:
    Trace()
    {
        if (const char* path = std::getenv("KALVENOR_TRACE"); path != nullptr && *path != '\0')
            file_ = std::fopen(path, "a");
    }
    ~Trace()
    {
        if (file_ != nullptr) std::fclose(file_);
    }
    Trace(const Trace&) = delete;
    Trace& operator=(const Trace&) = delete;

    void line(const std::string& text)
    {
        if (file_ == nullptr) return;
        std::fprintf(file_, "%s\n", text.c_str());
        std::fflush(file_);
    }

private:
    std::FILE* file_ = nullptr;
};

} // namespace

int runWindowProgram(const CommandLine& cl, const char* argv0)
{
    Trace trace;
    Surface surface;
    auto app = std::make_unique<App>();
    SdlWindow window(*app, surface, WindowOptions{cl.scale, [&trace](const std::string& event) { trace.line(event); }});
    if (!window.ok()) {
        std::fprintf(stderr, "kalvenor: %s\n", window.error().c_str());
        trace.line("exit 1");
        return kExitFailed;
    }
    try {
        app->frontend = &window;
        app->programDir = programDirectory(argv0);
        MainPanel main;
        drawMainSurface(surface, main, app->landscape);
        showStatus(surface, "  Initializing  ");
        window.present();
        initialiseApp(*app, window);
        setDefaultDirectories(app->dirs, app->programDir);

        WindowContext ctx{*app, window, window, surface, main, app->programDir, cl.landscapeFile};
        ctx.trace = [&trace](const std::string& event) { trace.line(event); };
        app->askBeforeSpawn = true;
        // Operations that ask for a place on the map, or show the cells they work on, use the map.
        window.setMapServices([&ctx](const std::string& prompt) { return pickMapPoint(ctx, prompt); },
                              [&ctx](const MapRect& cells) { plotOnMap(ctx, cells); });
        runWindowCommand(ctx, 1409);
        window.present();
        trace.line("ready");

        while (!ctx.quit) {
            const GadgetResult r = readGadget(surface, main.frame, window);
            if (r.code == -1) break; // the window was closed
            int id = r.code;
            if (id == kPointerMoved) {
                const std::string readout = mapHover(ctx, r.x, r.y);
                window.present();
                if (!readout.empty()) trace.line("read-out " + readout);
                continue;
            }
            if (id == 0) { // a click on no gadget: the map's, when it lies on the map
                ctx.gadget = nullptr;
                const int result = mapClick(ctx, r.x, r.y);
                window.present();
                if (insideMap(r.x, r.y)) trace.line("map click result " + std::to_string(result));
                continue;
            }
            if (id == keyResult(kKeyEscape) && ctx.mapMode != 0) {
                endMapMode(ctx);
                window.present();
                continue;
            }
            if (id == keyResult(kKeyF5)) {
                drawMainSurface(surface, main, app->landscape);
                window.present();
                continue;
            }
            if (id == keyResult(kKeyF2)) id = 1410;
            if (const int key = keyCommand(id); key != 0) id = key;
            if (!isWindowCommand(id)) continue;
            ctx.gadget = r.gadget;
            ctx.pointerX = r.x;
            ctx.pointerY = r.y;
            const int result = runWindowCommand(ctx, id);
            ctx.gadget = nullptr;
            window.present();
            trace.line("command " + std::to_string(id) + " result " + std::to_string(result));
        }
    } catch (const FatalError& fatal) {
        window.message(fatal.what(), "Oh no!");
        trace.line("exit " + std::to_string(fatal.exitCode));
        return fatal.exitCode;
    }
    trace.line("exit 0");
    return kExitOk;
}

} // namespace kalvenor
