#include "document/program_file_lock.h"

#include <filesystem>
#include <map>

#include "platform/folder_lock.h"
#include "platform/paths.h"

namespace {

// The folders whose lock this thread holds, with how many holders each.
thread_local std::map<std::string, int> t_held;

// The folder of the file a save replaces: ReplaceFileContents follows links to it.
std::string LockFolder(const std::string& path) {
    std::error_code error;
    const std::filesystem::path real =
        std::filesystem::weakly_canonical(std::filesystem::absolute(path, error), error);
    if (!error && real.has_parent_path()) {
        return real.parent_path().string();
    }
    const std::string folder = PathFolder(path);
    return folder.empty() ? std::string(".") : folder;
}

}  // namespace

ProgramFileLock::ProgramFileLock(const std::string& path) : folder(LockFolder(path)) {
    if (t_held[folder]++ == 0) {
        lock = std::make_unique<FolderLock>(folder);
    }
}

ProgramFileLock::~ProgramFileLock() {
    if (--t_held[folder] == 0) {
        t_held.erase(folder);
    }
}

bool ProgramFileStamp::operator==(const ProgramFileStamp& other) const {
    return exists == other.exists && device == other.device && inode == other.inode &&
           size == other.size && modified.tv_sec == other.modified.tv_sec &&
           modified.tv_nsec == other.modified.tv_nsec;
}

ProgramFileStamp StampProgramFile(const std::string& path) {
    ProgramFileStamp stamp;
    struct stat status;
    if (::stat(path.c_str(), &status) == 0) {
        stamp.exists = true;
        stamp.device = status.st_dev;
        stamp.inode = status.st_ino;
        stamp.size = status.st_size;
        stamp.modified = status.st_mtim;
    }
    return stamp;
}
