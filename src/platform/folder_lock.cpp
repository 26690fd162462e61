#include "platform/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>

FolderLock::FolderLock(const std::string& folder)
    : fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (!fd.valid()) {
        outcome = Result::FromErrno("lock", folder, errno);
        return;
    }
    while (::flock(fd.get(), LOCK_EX) != 0) {
        if (errno != EINTR) {
            outcome = Result::FromErrno("lock", folder, errno);
            return;
        }
    }
}
