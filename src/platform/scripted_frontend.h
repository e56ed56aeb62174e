// A Frontend for tests: answers come from queues, everything shown is recorded,
// and an abort can be requested after a given number of polls.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "base/frontend.h"

namespace kalvenor {

class ScriptedFrontend : public Frontend {
public:
    // Queued answers, taken in order. When a queue is empty the default is used:
    // the first button, the offered number(s), the first answer, no file, no point.
    std::deque<bool> askAnswers;
    std::deque<std::optional<long>> numberAnswers;
    std::deque<std::optional<std::vector<double>>> numbersAnswers;
    std::deque<std::optional<int>> choiceAnswers;
    std::deque<std::optional<std::string>> fileAnswers;
    std::deque<std::optional<MapPoint>> pointAnswers;

    // Everything the operation showed, in order. Questions are recorded as
    // "QUESTION [FIRST|SECOND]", messages as their text.
    std::vector<std::string> questions;
    std::vector<std::vector<double>> offeredNumbers; // what each askNumbers offered
    std::vector<std::string> messages;
    std::vector<std::string> statuses;
    std::vector<std::string> reports;
    std::vector<std::string> progressLines;
    std::vector<FileRequest> fileRequests;
    std::vector<MapRect> plots;
    // What a window would have been told, in order: "render started",
    // "render ended", "image shown", "busy", "idle".
    std::vector<std::string> windowEvents;
    bool shift = false;      // what shiftHeld answers
    bool imageDrawn = false; // a render has started: showImage has an image to show

    // pollAbort returns true on the poll with this number (1 = the first poll); 0 never.
    int abortOnPoll = 0;
    int polls = 0;

    bool ask(const std::string& question, const std::string& first, const std::string& second) override;
    std::optional<long> askNumber(const std::string& prompt, long defaultValue) override;
    std::optional<std::vector<double>> askNumbers(const std::string& prompt, const std::vector<double>& values) override;
    std::optional<int> choose(const std::string& question, const std::vector<std::string>& answers) override;
    std::optional<std::string> chooseFile(const FileRequest& request) override;
    void message(const std::string& text, const std::string& button) override;
    void status(const std::string& text) override;
    void report(const std::string& text) override;
    void progress(const std::string& label, int percent) override;
    bool pollAbort() override;
    std::optional<MapPoint> mapPoint(const std::string& prompt) override;
    void mapPlot(const MapRect& rect) override;
    void renderStarted() override
    {
        windowEvents.emplace_back("render started");
        imageDrawn = true;
    }
    void renderEnded() override { windowEvents.emplace_back("render ended"); }
    bool showImage() override
    {
        windowEvents.emplace_back("image shown");
        return imageDrawn;
    }
    void setBusy(bool busy) override { windowEvents.emplace_back(busy ? "busy" : "idle"); }
    bool shiftHeld() override { return shift; }
};

} // namespace kalvenor
