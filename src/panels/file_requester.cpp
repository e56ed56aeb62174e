#include "panels/file_requester.h"

#include <sys/statvfs.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "panels/font.h"
#include "panels/key_codes.h"
#include "panels/panel_style.h"
#include "panels/toolkit.h"

namespace kalvenor {

namespace fs = std::filesystem;

namespace {

namespace pc = panel_colour;

// The box and its parts, relative to the box.
constexpr int kBoxWidth = 560, kBoxHeight = 396;
constexpr int kListTop = 70, kListRows = 14, kListHeight = kListRows * kCharHeight + 4;
constexpr int kDirListX = 8, kDirListWidth = 248;
constexpr int kFileListX = 288, kFileListWidth = 240;
constexpr int kPathChars = 56;

enum : int {
    kOk = 1000,
    kCancel = 1001,
    kDirList = 2001,
    kFileList = 2002,
    kDirUp = 2003,
    kDirDown = 2004,
    kFileUp = 2005,
    kFileDown = 2006,
    kNameField = 2010,
    kFilterField = 2011,
    kParent = 2020,
    kHome = 2021,
    kProgram = 2022,
    kDefault = 2023,
};

bool equalFolded(char a, char b)
{
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

bool matchesPattern(std::string_view name, std::string_view pattern)
{
    // Iterative wildcard match with one backtrack point for the last "*".
    std::size_t n = 0, p = 0, star = std::string_view::npos, mark = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || equalFolded(pattern[p], name[n]))) {
            ++n, ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

bool lessFolded(const std::string& a, const std::string& b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    });
}

bool isDirectory(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && fs::is_directory(path, ec);
}

std::string homeDirectory()
{
    const char* home = std::getenv("HOME");
    return home != nullptr && *home != '\0' ? home : "/";
}

std::string bytesFree(const std::string& directory)
{
    struct statvfs st{};
    if (statvfs(directory.c_str(), &st) != 0) return "Bytes free: ?";
    const unsigned long long bytes =
        static_cast<unsigned long long>(st.f_bavail) * static_cast<unsigned long long>(st.f_frsize);
    return "Bytes free: " + std::to_string(bytes);
}

struct Requester {
    Surface& s;
    InputSource& input;
    const FileRequest& request;
    const std::string& programDir;
    PanelInstance panel;
    std::string directory;
    DirectoryListing listing;
    int dirTop = 0, fileTop = 0;
    int selectedFile = -1;

    Gadget& gadget(int id)
    {
        for (Gadget& g : panel.gadgets)
            if (g.id == id) return g;
        return panel.gadgets.front();
    }
    Gadget& label(std::size_t index) { return panel.gadgets[index]; }

    void build()
    {
        const auto text = [](int x, int y, std::string t) {
            return Gadget{.kind = kGadgetLabel, .x = x, .y = y, .text = std::move(t)};
        };
        const auto button = [](int x, int y, int id, std::string t, std::string_view help = {}) {
            return Gadget{.kind = kGadgetButton, .x = x, .y = y, .id = id, .text = std::move(t), .help = help};
        };
        panel.gadgets = {
            text(8, 8, request.title),
            text(8, 30, "Directory:"),
            text(96, 30, ""), // the directory itself (index 2)
            text(kDirListX, 52, "Directories"),
            text(kFileListX, 52, "Files"),
            text(312, 332, ""), // bytes free (index 5)
            Gadget{.kind = kGadgetArea, .x = kDirListX, .y = kListTop, .id = kDirList, .width = kDirListWidth,
                   .height = kListHeight},
            Gadget{.kind = kGadgetArea, .x = kFileListX, .y = kListTop, .id = kFileList, .width = kFileListWidth,
                   .height = kListHeight},
            button(kDirListX + kDirListWidth + 2, kListTop, kDirUp, "^"),
            button(kDirListX + kDirListWidth + 2, kListTop + kListHeight - 20, kDirDown, "v"),
            button(kFileListX + kFileListWidth + 2, kListTop, kFileUp, "^"),
            button(kFileListX + kFileListWidth + 2, kListTop + kListHeight - 20, kFileDown, "v"),
            text(8, 308, "Filename:"),
            Gadget{.kind = kGadgetText, .x = 96, .y = 306, .id = kNameField, .chars = 56},
            text(8, 332, "Filter:"),
            Gadget{.kind = kGadgetText, .x = 96, .y = 330, .id = kFilterField, .chars = 24},
            button(8, 364, kOk, buttonLabel("OK")),
            button(72, 364, kCancel, buttonLabel("Cancel")),
            button(152, 364, kParent, "Parent", "The directory above this one."),
            button(216, 364, kHome, " Home ", "Your home directory."),
            button(280, 364, kProgram, "Program", "The directory the program lives in."),
            button(352, 364, kDefault, "Default", "The default directory of this kind of file."),
        };
        gadget(kFilterField).text = request.pattern.empty() ? "*" : request.pattern;
    }

    void drawList(int x, int width, const std::vector<std::string>& names, int top, int selected, bool folders)
    {
        const int left = panel.left + x, upper = panel.top + kListTop;
        fillRect(s, left, upper, left + width - 1, upper + kListHeight - 1, pc::kField);
        outlineRect(s, left, upper, left + width - 1, upper + kListHeight - 1, pc::kShadow);
        const std::size_t fits = static_cast<std::size_t>((width - 4) / kCharWidth);
        for (int row = 0; row < kListRows; ++row) {
            const int index = top + row;
            if (index >= static_cast<int>(names.size())) break;
            std::string shown = names[static_cast<std::size_t>(index)] + (folders ? "/" : "");
            if (shown.size() > fits) shown = shown.substr(0, fits - 1) + "~";
            const bool on = index == selected;
            const int y = upper + 2 + row * kCharHeight;
            if (on) fillRect(s, left + 1, y, left + width - 2, y + kCharHeight - 1, pc::kSelected);
            drawText(s, left + 2, y, shown, on ? pc::kSelectedText : pc::kText, on ? pc::kSelected : pc::kField);
        }
    }

    void drawLists()
    {
        drawList(kDirListX, kDirListWidth, listing.directories, dirTop, -1, true);
        drawList(kFileListX, kFileListWidth, listing.files, fileTop, selectedFile, false);
    }

    void relist()
    {
        listing = listDirectory(directory, gadget(kFilterField).text);
        dirTop = fileTop = 0;
        selectedFile = -1;
        std::string shown = directory;
        if (shown.size() > static_cast<std::size_t>(kPathChars))
            shown = "..." + shown.substr(shown.size() - static_cast<std::size_t>(kPathChars - 3));
        label(2).text = shown;
        label(5).text = bytesFree(directory);
        for (const std::size_t i : {std::size_t{2}, std::size_t{5}}) {
            Gadget& g = label(i);
            fillRect(s, panel.left + g.x, panel.top + g.y, panel.right() - 8, panel.top + g.y + kCharHeight - 1,
                     pc::kFace);
            drawGadget(s, panel, g);
        }
        if (!listing.readable) showStatus(s, "Cannot read the directory " + directory);
        drawLists();
        input.present();
    }

    void enter(const std::string& to)
    {
        if (!isDirectory(to)) {
            showStatus(s, "No such directory: " + to);
            input.present();
            return;
        }
        std::error_code ec;
        fs::path p = fs::weakly_canonical(fs::absolute(to, ec), ec);
        directory = ec ? to : p.string();
        relist();
    }

    // The typed name as a path; a directory is entered instead. Nothing until a usable name is given.
    std::optional<std::string> accept()
    {
        std::string name(withoutBlanks(gadget(kNameField).text));
        if (name.empty()) {
            showStatus(s, "Type a file name, or choose one from the list.");
            input.present();
            return std::nullopt;
        }
        if (name == "~" || name.starts_with("~/")) name = homeDirectory() + name.substr(1);
        const fs::path path = fs::path(name).is_absolute() ? fs::path(name) : fs::path(directory) / name;
        if (isDirectory(path.string())) {
            enter(path.string());
            gadget(kNameField).text.clear();
            drawGadget(s, panel, gadget(kNameField));
            input.present();
            return std::nullopt;
        }
        std::error_code ec;
        if (!request.save && !fs::is_regular_file(path, ec)) {
            showStatus(s, "No such file: " + path.string());
            input.present();
            return std::nullopt;
        }
        if (request.save && !isDirectory(path.parent_path().string())) {
            showStatus(s, "No such directory: " + path.parent_path().string());
            input.present();
            return std::nullopt;
        }
        return path.string();
    }

    // A list row under a click, or -1.
    int rowAt(int y, int top, std::size_t count) const
    {
        const int row = (y - (panel.top + kListTop + 2)) / kCharHeight;
        const int index = top + row;
        return row >= 0 && row < kListRows && index < static_cast<int>(count) ? index : -1;
    }

    void scroll(int& top, int by, std::size_t count)
    {
        top = std::clamp(top + by, 0, std::max(0, static_cast<int>(count) - kListRows));
        drawLists();
        input.present();
    }
};

} // namespace

bool matchesFilter(std::string_view name, std::string_view filter)
{
    while (true) {
        const std::size_t end = filter.find(';');
        const std::string_view pattern = withoutBlanks(filter.substr(0, end));
        if (!pattern.empty() && matchesPattern(name, pattern)) return true;
        if (end == std::string_view::npos) return false;
        filter.remove_prefix(end + 1);
    }
}

DirectoryListing listDirectory(const std::string& directory, std::string_view filter)
{
    DirectoryListing out;
    std::error_code ec;
    fs::directory_iterator it(directory, fs::directory_options::skip_permission_denied, ec);
    if (ec) {
        out.readable = false;
        return out;
    }
    for (const fs::directory_entry& entry : it) {
        const std::string name = entry.path().filename().string();
        std::error_code kind;
        if (entry.is_directory(kind)) {
            if (!name.starts_with(".")) out.directories.push_back(name);
        } else if (entry.is_regular_file(kind) && matchesFilter(name, filter)) {
            out.files.push_back(name);
        }
    }
    std::sort(out.directories.begin(), out.directories.end(), lessFolded);
    std::sort(out.files.begin(), out.files.end(), lessFolded);
    return out;
}

std::optional<std::string> fileRequester(Surface& s, InputSource& input, const FileRequest& request,
                                         const std::string& programDir, FileRequesterMemory& memory)
{
    Requester r{s, input, request, programDir, {}, {}, {}};
    const auto remembered = memory.byFilter.find(request.pattern);
    std::error_code ec;
    std::string start = fs::current_path(ec).string();
    if (isDirectory(request.directory)) start = request.directory;
    if (remembered != memory.byFilter.end() && isDirectory(remembered->second.first)) start = remembered->second.first;

    r.panel = openPanel(s, (kSurfaceWidth - kBoxWidth) / 2, (kSurfaceHeight - kBoxHeight) / 2, kBoxWidth,
                        kBoxHeight, true);
    r.build();
    if (!request.defaultName.empty()) r.gadget(kNameField).text = request.defaultName;
    else if (remembered != memory.byFilter.end()) r.gadget(kNameField).text = remembered->second.second;
    drawGadgets(s, r.panel);
    r.directory = start;
    r.enter(start);

    std::optional<std::string> chosen;
    for (bool done = false; !done;) {
        const GadgetResult g = readGadget(s, r.panel, input);
        switch (g.code) {
        case kOk:
        case keyResult(kKeyEnter):
            chosen = r.accept();
            done = chosen.has_value();
            break;
        case kCancel:
        case keyResult(kKeyEscape):
        case -1: done = true; break;
        case kNameField:
            if (g.key == kKeyEnter) {
                chosen = r.accept();
                done = chosen.has_value();
            }
            break;
        case kFilterField: r.relist(); break;
        case kDirList:
            if (const int at = r.rowAt(g.y, r.dirTop, r.listing.directories.size()); at >= 0)
                r.enter((fs::path(r.directory) / r.listing.directories[static_cast<std::size_t>(at)]).string());
            break;
        case kFileList: {
            const int at = r.rowAt(g.y, r.fileTop, r.listing.files.size());
            if (at < 0) break;
            if (at == r.selectedFile) { // a second click on the same name takes it
                chosen = r.accept();
                done = chosen.has_value();
                break;
            }
            r.selectedFile = at;
            r.gadget(kNameField).text = r.listing.files[static_cast<std::size_t>(at)];
            drawGadget(s, r.panel, r.gadget(kNameField));
            r.drawLists();
            input.present();
            break;
        }
        case kDirUp: r.scroll(r.dirTop, -kListRows / 2, r.listing.directories.size()); break;
        case kDirDown: r.scroll(r.dirTop, kListRows / 2, r.listing.directories.size()); break;
        case kFileUp: r.scroll(r.fileTop, -kListRows / 2, r.listing.files.size()); break;
        case kFileDown: r.scroll(r.fileTop, kListRows / 2, r.listing.files.size()); break;
        case kParent: r.enter(fs::path(r.directory).parent_path().string()); break;
        case kHome: r.enter(homeDirectory()); break;
        case kProgram: r.enter(programDir); break;
        case kDefault: r.enter(request.directory); break;
        default: break;
        }
    }
    if (chosen) {
        const fs::path path(*chosen);
        memory.byFilter[request.pattern] = {path.parent_path().string(), path.filename().string()};
    }
    closePanel(s, r.panel);
    showStatus(s, {});
    input.present();
    return chosen;
}

} // namespace kalvenor
