#include "platform/folder_stats.h"

#include <fcntl.h>

#include <cerrno>

namespace {

// Ok for a call that returned 0, else its errno as "stat" of path.
Result Stated(const std::string& path, int returned) {
    return returned == 0 ? Result::Ok() : Result::FromErrno("stat", path, errno);
}

}  // namespace

Result FolderStats::Stat(const std::string& path, struct stat& status) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash + 1 == path.size()) {
        return Stated(path, ::stat(path.c_str(), &status));
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
        return Stated(path, ::stat(path.c_str(), &status));
    }
    return Stated(path, ::fstatat(found->second.get(), path.c_str() + slash + 1, &status, 0));
}
