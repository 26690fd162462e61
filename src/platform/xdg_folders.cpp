#include "platform/xdg_folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

std::string AbsoluteFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    // Relative values are invalid by the XDG rules and must be ignored.
    if (value != nullptr && value[0] == '/') {
        return value;
    }
    return {};
}

}  // namespace

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
        return home;
    }
    std::vector<char> buffer(16384);
    struct passwd entry;
    struct passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr) {
        return found->pw_dir;
    }
    return "/";
}

std::string XdgConfigHome() {
    std::string folder = AbsoluteFromEnvironment("XDG_CONFIG_HOME");
    return folder.empty() ? HomeFolder() + "/.config" : folder;
}

std::string XdgDataHome() {
    std::string folder = AbsoluteFromEnvironment("XDG_DATA_HOME");
    return folder.empty() ? HomeFolder() + "/.local/share" : folder;
}

std::vector<std::string> XdgDataDirs() {
    std::vector<std::string> folders;
    const char* value = std::getenv("XDG_DATA_DIRS");
    std::string_view rest = value != nullptr ? value : "";
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        const std::string_view folder = rest.substr(0, colon);
        if (folder.starts_with('/')) {
            folders.emplace_back(folder);
        }
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    }
    if (folders.empty()) {
        folders = {"/usr/local/share", "/usr/share"};
    }
    return folders;
}

Result CreateFolderPath(const std::string& path, unsigned mode) {
    struct stat existing;
    if (::stat(path.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode)) {
        return Result::Ok();
    }
    std::size_t position = 0;
    while (position != std::string::npos) {
        position = path.find('/', position + 1);
        const std::string prefix = path.substr(0, position);
        if (prefix.empty() || ::mkdir(prefix.c_str(), mode) == 0) {
            continue;
        }
        const int error = errno;
        struct stat status;
        if (error != EEXIST || ::stat(prefix.c_str(), &status) != 0) {
            return Result::FromErrno("mkdir", path, error);
        }
        if (!S_ISDIR(status.st_mode)) {
            return Result::FromErrno("mkdir", path, ENOTDIR);
        }
    }
    return Result::Ok();
}
