#include "platform/folder_stats.h"

#include <fcntl.h>

bool FolderStats::Stat(const std::string& path, struct stat& status) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash + 1 == path.size()) {
        return ::stat(path.c_str(), &status) == 0;
    }
    const std::string folder = slash == 0 ? "/" : path.substr(0, slash);
    auto found = folders.find(folder);
    if (found == folders.end()) {
        // Few folders per caller; an unbounded map would keep a descriptor per folder.
        if (folders.size() >= 16) {
            folders.clear();
        }
        found =
            folders
                .emplace(folder, UniqueFd(::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC)))
                .first;
    }
    if (!found->second.valid()) {
        return ::stat(path.c_str(), &status) == 0;
    }
    return ::fstatat(found->second.get(), path.c_str() + slash + 1, &status, 0) == 0;
}
