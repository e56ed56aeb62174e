// The steps every file command shares around the file requester: the default
// extension of save requesters and the "Replace %s ?" confirmation.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/frontend.h"

namespace kalvenor {

// path with extension added when its file name has none (a dot in a directory
// name does not count).
std::string withDefaultExtension(const std::string& path, std::string_view extension);

// A save requester: the chosen name with its default extension, or nothing when
// the requester was cancelled or "Replace %s ?" (with the full path) declined.
std::optional<std::string> askSavePath(Frontend& ui, const std::string& title, const std::string& directory,
                                       const std::string& pattern, std::string_view extension,
                                       const std::string& defaultName = {});

// An open requester: the chosen name, or nothing when cancelled.
std::optional<std::string> askLoadPath(Frontend& ui, const std::string& title, const std::string& directory,
                                       const std::string& pattern, const std::string& defaultName = {});

} // namespace kalvenor
