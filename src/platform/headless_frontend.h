// The Frontend of batch runs: nothing waits for a person. Every question gets
// its documented default unless the command line answered it in advance
// (--answer 'QUESTION=ANSWER'); messages, questions and progress go to
// standard error; Ctrl+C aborts the running operation as Esc does.
#pragma once

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "base/frontend.h"

namespace kalvenor {

// One answer given in advance. The question matches when the text asked starts
// with it, ignoring letter case; the longest matching question wins.
struct PresetAnswer {
    std::string question;
    std::string answer;
};

// Splits 'QUESTION=ANSWER' at the first "="; false when there is none.
bool parsePresetAnswer(const std::string& text, PresetAnswer& out);

// Exactly count finite numbers separated by spaces or commas; nothing otherwise.
std::optional<std::vector<double>> parseNumberList(const std::string& text, std::size_t count);

// How much of a run's course reaches standard error. Messages, reports and
// questions with their answers always do.
//   Quiet:   nothing else;
//   Normal:  on a terminal, one line updated in place with the status and the
//            progress; in a log, a line per milestone (each frame);
//   Verbose: every status text and a progress line per tenth, also in a log.
enum class Verbosity { Quiet, Normal, Verbose };

class HeadlessFrontend : public Frontend {
public:
    explicit HeadlessFrontend(std::FILE* out = stderr, Verbosity verbosity = Verbosity::Normal);
    ~HeadlessFrontend() override;

    void addAnswer(PresetAnswer answer) { answers_.push_back(std::move(answer)); }

    // Installs the Ctrl+C handler: the first Ctrl+C requests an abort, a second
    // one before the abort was seen ends the program.
    static void installInterruptHandler();

    bool ask(const std::string& question, const std::string& first, const std::string& second) override;
    std::optional<long> askNumber(const std::string& prompt, long defaultValue) override;
    std::optional<std::vector<double>> askNumbers(const std::string& prompt, const std::vector<double>& values) override;
    std::optional<int> choose(const std::string& question, const std::vector<std::string>& answers) override;
    std::optional<std::string> chooseFile(const FileRequest& request) override;
    void message(const std::string& text, const std::string& button) override;
    void status(const std::string& text) override;
    void report(const std::string& text) override;
    void progress(const std::string& label, int percent) override;
    void milestone(const std::string& text) override;
    bool pollAbort() override;
    std::optional<MapPoint> mapPoint(const std::string& prompt) override;
    void mapPlot(const MapRect& rect) override;

private:
    const PresetAnswer* presetFor(const std::string& question) const;
    void endProgressLine();

    std::FILE* out_;
    Verbosity verbosity_;
    bool terminal_;
    bool progressLineOpen_ = false;
    std::string lastStatus_;
    std::string lastProgressLabel_;
    int lastProgressPercent_ = -1;
    std::vector<PresetAnswer> answers_;
};

// The default answer of a two-button question asked in a batch run: the first
// button unless the question is listed among the exceptions. Returns the index.
int defaultAnswerIndex(const std::string& question, const std::vector<std::string>& answers);

} // namespace kalvenor
