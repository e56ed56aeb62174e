#include "platform/scripted_frontend.h"

namespace kalvenor {

namespace {

template <typename T>
std::optional<T> takeFront(std::deque<T>& queue)
{
    if (queue.empty()) return std::nullopt;
    T value = std::move(queue.front());
    queue.pop_front();
    return value;
}

} // namespace

bool ScriptedFrontend::ask(const std::string& question, const std::string& first, const std::string& second)
{
    questions.push_back(question + " [" + first + "|" + second + "]");
    return takeFront(askAnswers).value_or(true);
}

std::optional<long> ScriptedFrontend::askNumber(const std::string& prompt, long defaultValue)
{
    questions.push_back(prompt);
    if (auto answer = takeFront(numberAnswers)) return *answer;
    return defaultValue;
}

std::optional<std::vector<double>> ScriptedFrontend::askNumbers(const std::string& prompt,
                                                               const std::vector<double>& values)
{
    questions.push_back(prompt);
    offeredNumbers.push_back(values);
    if (auto answer = takeFront(numbersAnswers)) return *answer;
    return values;
}

std::optional<int> ScriptedFrontend::choose(const std::string& question, const std::vector<std::string>& answers)
{
    std::string line = question + " [";
    for (std::size_t i = 0; i < answers.size(); ++i) line += (i ? "|" : "") + answers[i];
    questions.push_back(line + "]");
    if (auto answer = takeFront(choiceAnswers)) return *answer;
    return 0;
}

std::optional<std::string> ScriptedFrontend::chooseFile(const FileRequest& request)
{
    fileRequests.push_back(request);
    if (auto answer = takeFront(fileAnswers)) return *answer;
    return std::nullopt;
}

void ScriptedFrontend::message(const std::string& text, const std::string&) { messages.push_back(text); }

void ScriptedFrontend::status(const std::string& text) { statuses.push_back(text); }

void ScriptedFrontend::report(const std::string& text) { reports.push_back(text); }

void ScriptedFrontend::progress(const std::string& label, int percent)
{
    progressLines.push_back(progressText(label, percent));
}

bool ScriptedFrontend::pollAbort()
{
    ++polls;
    return abortOnPoll != 0 && polls == abortOnPoll;
}

std::optional<MapPoint> ScriptedFrontend::mapPoint(const std::string& prompt)
{
    questions.push_back(prompt);
    if (auto answer = takeFront(pointAnswers)) return *answer;
    return std::nullopt;
}

void ScriptedFrontend::mapPlot(const MapRect& rect) { plots.push_back(rect); }

} // namespace kalvenor
