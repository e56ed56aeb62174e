// Scripts as hostile input, executed line by line as a batch run executes
// them: confined to an empty directory of their own (nothing outside it is
// read or written), without Spawn, on a small landscape and picture. Lines
// that only make the work large (picture and landscape sizes) are skipped,
// and long work is cut short by the abort poll.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "app/app.h"
#include "base/confinement.h"
#include "platform/scripted_frontend.h"
#include "script/interpreter.h"
#include "script/keyword_table.h"
#include "script/script_args.h"
#include "shell/startup.h"

namespace {

// A frontend whose abort key is pressed once a budget of polls is spent.
struct BudgetFrontend : kalvenor::ScriptedFrontend {
    bool pollAbort() override { return ++polls > 50000; }
};

bool skipped(std::string_view word)
{
    const kalvenor::Keyword* k = kalvenor::findKeyword(word);
    if (k == nullptr) return false;
    const std::string_view name = k->name;
    return name == "ImageSize" || name.starts_with("LandscapeSize") || name.starts_with("Enlarge") ||
           name == "Spawn" || name == "Erode";
}

// A directory of its own, removed with what the scripts wrote when the run ends.
std::string workDirectory()
{
    static char pattern[] = "/tmp/kalvenor-fuzz-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) std::abort();
    std::atexit([] {
        std::error_code ec;
        std::filesystem::remove_all(pattern, ec);
    });
    return pattern;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kalvenor;
    static const std::string dir = [] {
        const std::string d = workDirectory();
        if (!confineTo(d)) std::abort();
        return d;
    }();
    // Inside the directory only while the script runs: the fuzzer's own corpus paths are relative.
    static const int home = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (home < 0 || ::chdir(dir.c_str()) != 0) std::abort();
    App app;
    BudgetFrontend ui;
    initialiseApp(app, ui);
    app.allowSpawn = false;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    ScriptPlace place;
    std::size_t start = 0;
    for (int n = 0; n < 16 && start < text.size(); ++n) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (skipped(firstWord(prepareLine(line)))) continue;
        place.line = n + 1;
        if (executeLine(app, ui, line, place) == LineResult::Stop) break;
    }
    if (::fchdir(home) != 0) std::abort();
    return 0;
}
