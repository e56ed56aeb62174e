#include "base/file_requests.h"

#include "base/paths.h"

namespace kalvenor {

std::string withDefaultExtension(const std::string& path, std::string_view extension)
{
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    if (path.find('.', nameStart) != std::string::npos) return path;
    return path + std::string(extension);
}

std::optional<std::string> askSavePath(Frontend& ui, const std::string& title, const std::string& directory,
                                       const std::string& pattern, std::string_view extension,
                                       const std::string& defaultName)
{
    FileRequest request;
    request.title = title;
    request.directory = directory;
    request.pattern = pattern;
    request.defaultName = defaultName;
    request.save = true;
    const std::optional<std::string> chosen = ui.chooseFile(request);
    if (!chosen || chosen->empty()) return std::nullopt;
    const std::string path = withDefaultExtension(*chosen, extension);
    if (fileExists(path) && !ui.ask("Replace " + path + " ?", "Replace", "Cancel")) return std::nullopt;
    return path;
}

std::optional<std::string> askLoadPath(Frontend& ui, const std::string& title, const std::string& directory,
                                       const std::string& pattern, const std::string& defaultName)
{
    FileRequest request;
    request.title = title;
    request.directory = directory;
    request.pattern = pattern;
    request.defaultName = defaultName;
    const std::optional<std::string> chosen = ui.chooseFile(request);
    if (!chosen || chosen->empty()) return std::nullopt;
    return chosen;
}

} // namespace kalvenor
