#include "platform/temporary_files.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>

#include "platform/folder_listing.h"

namespace {

// The process that wrote a temporary file, from the number after the prefix; 0 when the
// name carries none.
pid_t WriterOf(std::string_view name) {
    name.remove_prefix(kTemporaryFilePrefix.size());
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
    return error == std::errc() && end != name.data() && pid > 0 ? pid : 0;
}

std::atomic<ProcessSignaller> processSignaller{::kill};

bool IsRunning(pid_t pid) {
    return processSignaller.load()(pid, 0) == 0 || errno != ESRCH;
}

bool Before(const std::timespec& a, const std::timespec& b) {
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

}  // namespace

ProcessSignaller SetProcessSignaller(ProcessSignaller signaller) {
    return processSignaller.exchange(signaller);
}

bool IsTemporaryFileName(std::string_view name) {
    return name.size() > kTemporaryFilePrefix.size() && name.starts_with(kTemporaryFilePrefix);
}

Expected<UniqueFd> CreateTemporaryBeside(const std::string& path, std::string& temporary) {
    static std::atomic<unsigned> counter{0};
    std::string start = path.substr(0, path.rfind('/') + 1);  // "" without a folder
    start += kTemporaryFilePrefix;
    start += std::to_string(::getpid()) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = start + std::to_string(counter.fetch_add(1));
        UniqueFd fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (fd.valid()) {
            return fd;
        }
        if (errno != EEXIST) {
            return Result::FromErrno("open", temporary, errno);
        }
    }
    return Result::FromErrno("open", temporary, EEXIST);
}

std::vector<std::string> RemoveLeftoverTemporaryFiles(const std::string& folder,
                                                      const std::timespec& since, Result* broken) {
    std::vector<std::string> removed;
    FolderListing listing(folder.empty() ? "." : folder);
    for (FolderEntry entry; listing.Next(entry);) {
        const std::string& name = entry.name;
        struct stat status;
        if (!IsTemporaryFileName(name) ||
            ::fstatat(listing.Descriptor(), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(status.st_mode) || !Before(status.st_ctim, since)) {
            continue;
        }
        const pid_t writer = WriterOf(name);
        if (writer != 0 && IsRunning(writer)) {
            continue;
        }
        if (::unlinkat(listing.Descriptor(), name.c_str(), 0) == 0) {
            removed.push_back(name);
        }
    }
    if (broken != nullptr) {
        *broken = listing.IsOpen() ? listing.failure() : Result::Ok();
    }
    return removed;
}
