#include "platform/installed_desktop_entry.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <sstream>
#include <string_view>

#include "platform/files.h"
#include "platform/folder_listing.h"
#include "platform/paths.h"
#include "platform/xdg_folders.h"

namespace {

// Larger files in the applications folder are no desktop entries worth reading.
constexpr std::size_t kLargestEntry = 1 << 20;

std::string RealPath(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : std::string();
}

// The program an Exec value starts: its first argument, unquoted.
std::string ExecProgram(std::string_view exec) {
    std::string program;
    if (exec.starts_with('"')) {
        for (std::size_t i = 1; i < exec.size() && exec[i] != '"'; ++i) {
            if (exec[i] == '\\' && i + 1 < exec.size()) {
                ++i;
            }
            program += exec[i];
        }
        return program;
    }
    return std::string(exec.substr(0, exec.find(' ')));
}

std::string FoundOnPath(const std::string& name) {
    if (name.empty() || name.find('/') != std::string::npos) {
        return name;
    }
    const char* path = std::getenv("PATH");
    std::stringstream folders(path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const std::string candidate = JoinPath(folder.empty() ? "." : folder, name);
        if (::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return {};
}

bool ListsType(std::string_view list, std::string_view type) {
    while (!list.empty()) {
        const std::size_t semicolon = list.find(';');
        if (list.substr(0, semicolon) == type) {
            return true;
        }
        list =
            semicolon == std::string_view::npos ? std::string_view() : list.substr(semicolon + 1);
    }
    return false;
}

// Whether the entry's main group opens type with the program whose real path is given.
bool EntryOpens(const std::string& text, const std::string& type, const std::string& real) {
    std::stringstream lines(text);
    std::string line;
    bool mainGroup = false;
    bool listsType = false;
    std::string exec;
    while (std::getline(lines, line)) {
        if (line.starts_with('[')) {
            mainGroup = line == "[Desktop Entry]";
        } else if (mainGroup && line.starts_with("MimeType=")) {
            listsType = ListsType(std::string_view(line).substr(9), type);
        } else if (mainGroup && line.starts_with("Exec=")) {
            exec = line.substr(5);
        }
    }
    return listsType && !exec.empty() && RealPath(FoundOnPath(ExecProgram(exec))) == real;
}

}  // namespace

bool InstalledEntryOpens(const std::string& type, const std::string& program) {
    const std::string real = RealPath(program);
    if (real.empty()) {
        return false;
    }
    for (const std::string& data : XdgDataDirs()) {
        const std::string folder = data + "/applications";
        FolderListing listing(folder);
        for (FolderEntry entry; listing.Next(entry);) {
            const std::string& name = entry.name;
            std::string text;
            if (name.ends_with(".desktop") &&
                ReadFileBytes(JoinPath(folder, name), kLargestEntry, text).ok() &&
                EntryOpens(text, type, real)) {
                return true;
            }
        }
    }
    return false;
}

bool InstalledMimePackage(const std::string& name) {
    for (const std::string& data : XdgDataDirs()) {
        struct stat status;
        const std::string package = data + "/mime/packages/" + name + ".xml";
        if (::stat(package.c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
            return true;
        }
    }
    return false;
}
