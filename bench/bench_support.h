// Shared pieces of the benchmarks.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/frontend.h"

namespace kalvenor {

// Shows nothing, answers every question with its default and never aborts, so
// only the work itself is timed.
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
