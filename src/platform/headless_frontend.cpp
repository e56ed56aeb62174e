#include "platform/headless_frontend.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <unistd.h>

namespace kalvenor {

namespace {

// Set by the Ctrl+C handler, taken by pollAbort. A signal handler can only
// reach the program through a flag of this kind.
volatile std::sig_atomic_t g_interruptRequested = 0;

extern "C" void onInterrupt(int)
{
    if (g_interruptRequested) {
        // The running operation did not poll since the last Ctrl+C: stop now.
        std::signal(SIGINT, SIG_DFL);
        std::raise(SIGINT);
        return;
    }
    g_interruptRequested = 1;
}

// Questions whose batch default is not the first answer.
struct DefaultException {
    const char* question; // prefix of the question text
    const char* answer;   // the answer chosen
};
constexpr DefaultException kDefaultExceptions[] = {
    {"Choose placement mode:", "Auto"},
    // Nobody is there to see which file would go: a batch run keeps it.
    {"Error: FLC size", "Cancel"},
};

bool startsWithIgnoringCase(const std::string& text, const std::string& prefix)
{
    if (prefix.size() > text.size()) return false;
    return std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
}

// The index of the answer whose label (without "&" markers) equals text, or -1.
int answerIndex(const std::vector<std::string>& answers, const std::string& text)
{
    // Labels compare without their "&" markers and surrounding blanks.
    auto plain = [](std::string s) {
        s.erase(std::remove(s.begin(), s.end(), '&'), s.end());
        const auto b = s.find_first_not_of(' ');
        const auto e = s.find_last_not_of(' ');
        return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
    };
    const std::string wanted = plain(text);
    for (std::size_t i = 0; i < answers.size(); ++i) {
        const std::string label = plain(answers[i]);
        if (label.size() == wanted.size() && startsWithIgnoringCase(label, wanted)) return static_cast<int>(i);
    }
    return -1;
}

} // namespace

bool parsePresetAnswer(const std::string& text, PresetAnswer& out)
{
    const auto equals = text.find('=');
    if (equals == std::string::npos || equals == 0) return false;
    out.question = text.substr(0, equals);
    out.answer = text.substr(equals + 1);
    return true;
}

int defaultAnswerIndex(const std::string& question, const std::vector<std::string>& answers)
{
    for (const DefaultException& e : kDefaultExceptions) {
        if (!startsWithIgnoringCase(question, e.question)) continue;
        const int index = answerIndex(answers, e.answer);
        if (index >= 0) return index;
    }
    return 0;
}

HeadlessFrontend::HeadlessFrontend(std::FILE* out, Verbosity verbosity)
    : out_(out), verbosity_(verbosity), terminal_(isatty(fileno(out)) != 0)
{
}

HeadlessFrontend::~HeadlessFrontend() { endProgressLine(); }

void HeadlessFrontend::installInterruptHandler() { std::signal(SIGINT, onInterrupt); }

const PresetAnswer* HeadlessFrontend::presetFor(const std::string& question) const
{
    const PresetAnswer* best = nullptr;
    for (const PresetAnswer& a : answers_) {
        if (startsWithIgnoringCase(question, a.question) && (best == nullptr || a.question.size() > best->question.size()))
            best = &a;
    }
    return best;
}

void HeadlessFrontend::endProgressLine()
{
    if (progressLineOpen_) {
        std::fputc('\n', out_);
        progressLineOpen_ = false;
    }
}

std::optional<std::vector<double>> parseNumberList(const std::string& text, std::size_t count)
{
    std::vector<double> numbers;
    const char* p = text.c_str();
    for (;;) {
        while (*p == ' ' || *p == ',' || *p == '\t') ++p;
        if (*p == '\0') break;
        char* end = nullptr;
        const double v = std::strtod(p, &end);
        if (end == p || !std::isfinite(v)) return std::nullopt;
        numbers.push_back(v);
        p = end;
    }
    if (numbers.size() != count) return std::nullopt;
    return numbers;
}

bool HeadlessFrontend::ask(const std::string& question, const std::string& first, const std::string& second)
{
    const auto choice = choose(question, {first, second});
    return choice.value_or(1) == 0;
}

std::optional<long> HeadlessFrontend::askNumber(const std::string& prompt, long defaultValue)
{
    endProgressLine();
    long value = defaultValue;
    if (const PresetAnswer* preset = presetFor(prompt)) {
        char* end = nullptr;
        const long parsed = std::strtol(preset->answer.c_str(), &end, 10);
        if (end != preset->answer.c_str()) value = parsed;
        else if (startsWithIgnoringCase(preset->answer, "cancel")) {
            std::fprintf(out_, "%s -> Cancel\n", prompt.c_str());
            return std::nullopt;
        }
    }
    std::fprintf(out_, "%s -> %ld\n", prompt.c_str(), value);
    return value;
}

std::optional<std::vector<double>> HeadlessFrontend::askNumbers(const std::string& prompt,
                                                               const std::vector<double>& values)
{
    endProgressLine();
    std::vector<double> result = values;
    if (const PresetAnswer* preset = presetFor(prompt)) {
        if (startsWithIgnoringCase(preset->answer, "cancel")) {
            std::fprintf(out_, "%s -> Cancel\n", prompt.c_str());
            return std::nullopt;
        }
        const std::optional<std::vector<double>> given = parseNumberList(preset->answer, values.size());
        if (given) result = *given;
        else
            std::fprintf(out_, "kalvenor: answer \"%s\" is not %zu numbers for \"%s\"; using the values offered\n",
                         preset->answer.c_str(), values.size(), prompt.c_str());
    }
    std::string shown;
    for (const double v : result) {
        char number[64];
        std::snprintf(number, sizeof number, "%s%.9g", shown.empty() ? "" : " ", v);
        shown += number;
    }
    std::fprintf(out_, "%s -> %s\n", prompt.c_str(), shown.c_str());
    return result;
}

std::optional<int> HeadlessFrontend::choose(const std::string& question, const std::vector<std::string>& answers)
{
    endProgressLine();
    int index = defaultAnswerIndex(question, answers);
    if (const PresetAnswer* preset = presetFor(question)) {
        const int given = answerIndex(answers, preset->answer);
        if (given >= 0) index = given;
        else
            std::fprintf(out_, "kalvenor: answer \"%s\" does not fit \"%s\"; using the default\n",
                         preset->answer.c_str(), question.c_str());
    }
    if (answers.empty()) return std::nullopt;
    std::fprintf(out_, "%s -> %s\n", question.c_str(), answers[static_cast<std::size_t>(index)].c_str());
    return index;
}

std::optional<std::string> HeadlessFrontend::chooseFile(const FileRequest& request)
{
    endProgressLine();
    if (const PresetAnswer* preset = presetFor(request.title)) {
        std::fprintf(out_, "%s -> %s\n", request.title.c_str(), preset->answer.c_str());
        return preset->answer;
    }
    std::fprintf(out_, "%s -> cancelled (no file given with --answer)\n", request.title.c_str());
    return std::nullopt;
}

void HeadlessFrontend::message(const std::string& text, const std::string&)
{
    endProgressLine();
    std::fprintf(out_, "%s\n", text.c_str());
}

void HeadlessFrontend::report(const std::string& text)
{
    endProgressLine();
    std::fprintf(out_, "%s\n", text.c_str());
    std::fflush(out_);
}

void HeadlessFrontend::status(const std::string& text)
{
    // Status texts decorate a window; a log keeps them only when asked to.
    if (verbosity_ == Verbosity::Quiet || (verbosity_ == Verbosity::Normal && !terminal_)) return;
    if (text == lastStatus_) return;
    lastStatus_ = text;
    lastProgressLabel_.clear();
    if (terminal_) {
        std::fprintf(out_, "\r\033[K%s", text.c_str());
        progressLineOpen_ = true;
    } else {
        std::fprintf(out_, "%s\n", text.c_str());
    }
    std::fflush(out_);
}

void HeadlessFrontend::progress(const std::string& label, int percent)
{
    // On a terminal one line is updated in place; in a verbose log a line is
    // written for each tenth of the work.
    if (verbosity_ == Verbosity::Quiet || (verbosity_ == Verbosity::Normal && !terminal_)) return;
    const bool newLabel = label != lastProgressLabel_;
    if (terminal_) {
        if (!newLabel && percent == lastProgressPercent_) return;
        std::fprintf(out_, "\r\033[K%s", progressText(label, percent).c_str());
        progressLineOpen_ = true;
    } else {
        if (!newLabel && percent / 10 == lastProgressPercent_ / 10) return;
        std::fprintf(out_, "%s\n", progressText(label, percent).c_str());
    }
    lastProgressLabel_ = label;
    lastProgressPercent_ = percent;
    std::fflush(out_);
}

void HeadlessFrontend::milestone(const std::string& text)
{
    if (verbosity_ == Verbosity::Quiet) return;
    endProgressLine();
    std::fprintf(out_, "%s\n", text.c_str());
    std::fflush(out_);
    lastStatus_.clear();
}

bool HeadlessFrontend::pollAbort()
{
    if (!g_interruptRequested) return false;
    g_interruptRequested = 0;
    endProgressLine();
    std::fprintf(out_, "Interrupted: aborting the running operation.\n");
    return true;
}

std::optional<MapPoint> HeadlessFrontend::mapPoint(const std::string& prompt)
{
    endProgressLine();
    if (const PresetAnswer* preset = presetFor(prompt)) {
        MapPoint point;
        if (std::sscanf(preset->answer.c_str(), "%d,%d", &point.column, &point.row) == 2) {
            std::fprintf(out_, "%s -> %d,%d\n", prompt.c_str(), point.column, point.row);
            return point;
        }
    }
    std::fprintf(out_, "%s -> cancelled (give 'COLUMN,ROW' with --answer)\n", prompt.c_str());
    return std::nullopt;
}

void HeadlessFrontend::mapPlot(const MapRect&) {}

} // namespace kalvenor
