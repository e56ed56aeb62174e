// The window adapter: the program's two windows on the screen through SDL2.
// The main window shows the panel surface at an integer scale and turns mouse
// and keys into panel input; the render window shows the image with its pan
// keys. As a Frontend, questions become the toolkit's requesters, status and
// progress go to the status line, and pollAbort keeps both windows alive
// during long work (Esc or the right button abort; closing is refused). This
// is the only code that includes SDL.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/frontend.h"
#include "panels/input.h"
#include "panels/render_view.h"
#include "panels/surface.h"
#include "panels/toolkit.h"

namespace kalvenor {

struct App;

struct WindowOptions {
    int scale = 0; // 0: the largest integer scale that fits the screen's usable area
    // Told of events a test waits for: "render started", "render ended", "close refused",
    // "ask QUESTION", "message TEXT".
    std::function<void(const std::string&)> trace;
};

class SdlWindow : public Frontend, public InputSource {
public:
    // Opens the windows (the render window hidden); error() says why when ok() is false.
    SdlWindow(App& app, Surface& surface, const WindowOptions& options);
    ~SdlWindow() override;
    SdlWindow(const SdlWindow&) = delete;
    SdlWindow& operator=(const SdlWindow&) = delete;

    bool ok() const;
    // The windows' identifiers, for events made by tests.
    unsigned mainWindowId() const;
    unsigned renderWindowId() const;
    const std::string& error() const;
    int scale() const;

    // InputSource: events of the main window in surface coordinates; the
    // render window's own keys and clicks are handled here.
    std::optional<InputEvent> next() override;
    void present() override;

    // The render window: shown for a render of the current image size
    // ("Kalvenor Image") and updated by the redraw mode while it draws; at
    // the end the image is shown as it stands. showImage shows the last image again.
    void renderStarted() override;
    void renderEnded() override;
    bool showImage() override;
    bool renderWindowShown() const;
    const RenderView& renderView() const;

    // While busy, only painting, the render window's panning and the abort
    // are served; closing the main window is refused.
    void setBusy(bool busy) override;
    bool busy() const;
    bool shiftHeld() override;

    // Frontend.
    bool ask(const std::string& question, const std::string& first, const std::string& second) override;
    std::optional<long> askNumber(const std::string& prompt, long defaultValue) override;
    std::optional<std::vector<double>> askNumbers(const std::string& prompt, const std::vector<double>& values) override;
    std::optional<std::vector<double>> askLabelledNumbers(const std::string& prompt, const std::vector<std::string>& labels,
                                                          const std::vector<double>& values) override;
    std::optional<int> choose(const std::string& question, const std::vector<std::string>& answers) override;
    std::optional<std::string> chooseFile(const FileRequest& request) override;
    void message(const std::string& text, const std::string& button) override;
    void status(const std::string& text) override;
    void report(const std::string& text) override;
    void progress(const std::string& label, int percent) override;
    bool pollAbort() override;
    std::optional<MapPoint> mapPoint(const std::string& prompt) override;
    void mapPlot(const MapRect& rect) override;

    // What mapPoint and mapPlot do: the shell's map, which owns the view.
    void setMapServices(std::function<std::optional<MapPoint>(const std::string&)> pick,
                        std::function<void(const MapRect&)> plot);

    // Reports kept for the user (script errors and the like), newest last.
    const std::vector<std::string>& reports() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace kalvenor
