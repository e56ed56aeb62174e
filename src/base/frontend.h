// The port through which every operation talks to the user.
//
// Operations that may ask a question, report progress or be aborted take a
// Frontend&. The windowed program, the headless runner and the tests each
// provide their own adapter, so the same operation runs unchanged in all three.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kalvenor {

// A grid position picked on the topographic map.
struct MapPoint {
    int column = 0;
    int row = 0;
};

// A rectangle outlined on the topographic map, in grid columns and rows.
struct MapRect {
    int firstColumn = 0;
    int firstRow = 0;
    int lastColumn = 0;
    int lastRow = 0;
};

// What a file requester is asked for.
struct FileRequest {
    std::string title;       // e.g. "Save Ascii Z File"
    std::string directory;   // starting directory
    std::string pattern;     // e.g. "*.TXT"
    std::string defaultName; // proposed file name, may be empty
    bool save = false;       // a save requester (the file need not exist)
};

class Frontend {
public:
    virtual ~Frontend() = default;

    // Two-button requester. Returns true for the first button, false for the second.
    virtual bool ask(const std::string& question, const std::string& first, const std::string& second) = 0;

    // Number prompt with "OK" and "Cancel"; nothing when cancelled.
    virtual std::optional<long> askNumber(const std::string& prompt, long defaultValue) = 0;

    // Several numbers with decimals edited together under one prompt, offered
    // with values; as many numbers come back as were offered, or nothing when
    // cancelled.
    virtual std::optional<std::vector<double>> askNumbers(const std::string& prompt,
                                                         const std::vector<double>& values) = 0;

    // The same with a label before each number (a form); a front end without
    // forms asks them as askNumbers does.
    virtual std::optional<std::vector<double>> askLabelledNumbers(const std::string& prompt,
                                                                 const std::vector<std::string>& labels,
                                                                 const std::vector<double>& values)
    {
        (void)labels;
        return askNumbers(prompt, values);
    }

    // Choice among several answers; the index of the answer, or nothing when cancelled.
    virtual std::optional<int> choose(const std::string& question, const std::vector<std::string>& answers) = 0;

    // File requester; the chosen path, or nothing when cancelled.
    virtual std::optional<std::string> chooseFile(const FileRequest& request) = 0;

    // One-button message ("OK" unless another label is given).
    virtual void message(const std::string& text, const std::string& button = "OK") = 0;

    // Status line text.
    virtual void status(const std::string& text) = 0;

    // A report for the record that needs no answer, such as a script error
    // with its file and line: a batch run writes it to its log, the window
    // keeps it where the user can read it after the run.
    virtual void report(const std::string& text) = 0;

    // Progress of a long operation: shown as "%s: %2d%%".
    virtual void progress(const std::string& label, int percent) = 0;

    // A step of a long run worth a line in a log ("Frame 3 of 24 took ..."):
    // the status line unless the adapter keeps a log.
    virtual void milestone(const std::string& text) { status(text); }

    // Polled between rows and cells of long operations. True once per abort request.
    virtual bool pollAbort() = 0;

    // A render begins drawing into the image buffers (their size is settled),
    // and has ended (finished or aborted). A window shows the image while it
    // draws and as it stands at the end; adapters without a screen ignore both.
    virtual void renderStarted() {}
    virtual void renderEnded() {}
    // Shows the last image again (the Display command); false when no render
    // has drawn one yet (or the adapter has no screen).
    virtual bool showImage() { return false; }

    // A long operation (render, animation, script) runs: until it ends a window
    // serves only painting, panning the image and the abort, and refuses to close.
    virtual void setBusy(bool) {}

    // Whether Shift is held: some commands have a Shift variant.
    virtual bool shiftHeld() { return false; }

    // Lets the user mark a grid position on the topographic map; nothing when cancelled.
    virtual std::optional<MapPoint> mapPoint(const std::string& prompt) = 0;

    // Outlines a rectangle on the topographic map (export objects, regions).
    virtual void mapPlot(const MapRect& rect) = 0;
};

// The status-line text of a progress report, "%s: %2d%%".
std::string progressText(const std::string& label, int percent);

// File messages name the file after the message: "%s \"%s\"".
inline constexpr const char* kErrorOpeningFile = "Error opening file:";
inline constexpr const char* kErrorReadingFile = "Error reading file:";
inline constexpr const char* kErrorWritingFile = "Error writing file:";
std::string fileMessage(const std::string& message, const std::string& path);

// Shows nothing, answers every question with its default and never aborts:
// for work that must not reach the user (helper threads, benchmarks).
class SilentFrontend : public Frontend {
public:
    bool ask(const std::string&, const std::string&, const std::string&) override { return true; }
    std::optional<long> askNumber(const std::string&, long defaultValue) override { return defaultValue; }
    std::optional<std::vector<double>> askNumbers(const std::string&, const std::vector<double>& values) override
    {
        return values;
    }
    std::optional<int> choose(const std::string&, const std::vector<std::string>&) override { return 0; }
    std::optional<std::string> chooseFile(const FileRequest&) override { return std::nullopt; }
    void message(const std::string&, const std::string&) override {}
    void status(const std::string&) override {}
    void report(const std::string&) override {}
    void progress(const std::string&, int) override {}
    bool pollAbort() override { return false; }
    std::optional<MapPoint> mapPoint(const std::string&) override { return std::nullopt; }
    void mapPlot(const MapRect&) override {}
};

} // namespace kalvenor
