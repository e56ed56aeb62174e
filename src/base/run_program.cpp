#include "base/run_program.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace kalvenor {

namespace {


bool isExecutableFile(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

// Finds the program as execvp would: a name with a slash as given, else along PATH.
// Returns 0 when found, else the error number that starting it would give.
int locateProgram(const std::string& name)
{
    if (name.empty()) return ENOENT;
    if (name.find('/') != std::string::npos) {
        if (isExecutableFile(name)) return 0;
        return access(name.c_str(), F_OK) == 0 ? EACCES : ENOENT;
    }
    const char* path = std::getenv("PATH");
    std::string dirs = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    // Each PATH entry, an empty one meaning the current directory.
    std::size_t begin = 0;
    while (begin <= dirs.size()) {
        const auto end = dirs.find(':', begin);
        const std::size_t length = (end == std::string::npos ? dirs.size() : end) - begin;
        const std::filesystem::path dir(length == 0 ? std::string(".") : dirs.substr(begin, length));
        if (isExecutableFile((dir / name).string())) return 0;
        if (end == std::string::npos) break;
        begin = end + 1;
    }
    return ENOENT;
}

} // namespace

bool programFound(const std::string& name) { return locateProgram(name) == 0; }

int startDetached(const std::vector<std::string>& words)
{
    if (words.empty()) return -ENOENT;
    if (const int missing = locateProgram(words.front()); missing != 0) return -missing;
    // setsid -f forks the program into a session of its own and returns at once.
    std::vector<std::string> detached = {"setsid", "-f"};
    detached.insert(detached.end(), words.begin(), words.end());
    return runProgramWords(detached);
}

std::vector<std::string> commandWords(const std::string& commandText)
{
    std::vector<std::string> words;
    std::size_t at = 0;
    while ((at = commandText.find_first_not_of(' ', at)) != std::string::npos) {
        const std::size_t end = commandText.find(' ', at);
        words.push_back(commandText.substr(at, end == std::string::npos ? std::string::npos : end - at));
        at = end;
    }
    return words;
}

int runProgram(const std::string& commandText)
{
    // No shell reads the line: the program gets the other words as its arguments.
    return runProgramWords(commandWords(commandText));
}

int openWithViewer(const std::string& path) { return runProgramWords({"xdg-open", path}); }

int runProgramWords(const std::vector<std::string>& words)
{
    // A program that cannot be found is reported as not started.
    if (const int error = locateProgram(words.empty() ? std::string() : words.front()); error != 0) return -error;
    std::vector<char*> argv;
    for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (const int error = posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ); error != 0)
        return -error;

    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -errno;
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return status;
}

} // namespace kalvenor
