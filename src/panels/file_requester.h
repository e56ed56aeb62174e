// The program's own file requester, in the panel style: the directory and
// its subdirectories and files (those the filter lets through), a typed file
// name, and buttons for the parent, home, program and default directories.
// Open requesters accept only a file that exists; save requesters any name in
// an existing directory (the caller asks before replacing a file).
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/frontend.h"
#include "panels/input.h"
#include "panels/surface.h"

namespace kalvenor {

// Whether a file name matches one of a filter's patterns ("*.K4S;*.DEM"),
// letter case aside; "*" stands for any run of characters, "?" for one.
bool matchesFilter(std::string_view name, std::string_view filter);

// A directory's subdirectories (hidden ones left out) and the regular files
// the filter lets through, each sorted letter case aside.
struct DirectoryListing {
    std::vector<std::string> directories;
    std::vector<std::string> files;
    bool readable = true;
};
DirectoryListing listDirectory(const std::string& directory, std::string_view filter);

// Where each kind of file (told apart by its filter) was last chosen: directory and name.
struct FileRequesterMemory {
    std::map<std::string, std::pair<std::string, std::string>> byFilter;
};

// Runs the requester; the chosen path, or nothing when cancelled.
std::optional<std::string> fileRequester(Surface& s, InputSource& input, const FileRequest& request,
                                         const std::string& programDir, FileRequesterMemory& memory);

} // namespace kalvenor
