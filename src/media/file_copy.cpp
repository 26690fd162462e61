#include "media/file_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <string_view>

#include "platform/file_descriptor.h"
#include "platform/temporary_files.h"

namespace {

// Copies what is left of in to out with plain reads and writes.
bool CopyByReading(int in, int out) {
    static constexpr std::size_t kBlock = 1 << 17;
    auto buffer = std::make_unique_for_overwrite<char[]>(kBlock);
    while (true) {
        const ssize_t got = ReadAll(in, buffer.get(), kBlock);
        if (got <= 0) {
            return got == 0;
        }
        if (!WriteAll(out, std::string_view(buffer.get(), static_cast<std::size_t>(got)))) {
            return false;
        }
    }
}

// Copies in to out inside the kernel where the file systems allow it, else by reading.
bool CopyContents(int in, int out) {
    while (true) {
        const ssize_t copied = ::copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
        if (copied > 0) {
            continue;
        }
        if (copied == 0) {
            return true;
        }
        if (errno == EINTR) {
            continue;
        }
        // Both offsets have moved past what was copied, so reading carries on from there.
        if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP ||
            errno == EBADF) {
            return CopyByReading(in, out);
        }
        return false;
    }
}

bool CopyKeepingTime(const std::string& source, const std::string& destination) {
    const UniqueFd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat status;
    if (!in.valid() || ::fstat(in.get(), &status) != 0) {
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        errno = S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
        return false;
    }
    std::string temporary;
    UniqueFd out = CreateTemporaryBeside(destination, temporary);
    if (!out.valid()) {
        return false;
    }
    const struct timespec times[2] = {status.st_atim, status.st_mtim};
    const bool written = ::fchmod(out.get(), status.st_mode & 0777) == 0 &&
                         CopyContents(in.get(), out.get()) && ::futimens(out.get(), times) == 0;
    if (written && out.Close() == 0 && ::rename(temporary.c_str(), destination.c_str()) == 0) {
        return true;
    }
    const int error = errno;
    ::unlink(temporary.c_str());
    errno = error;
    return false;
}

}  // namespace

Result CopyIfChanged(const std::string& source, const std::string& destination) {
    struct stat sourceStatus;
    struct stat destinationStatus;
    if (::stat(source.c_str(), &sourceStatus) == 0 &&
        ::stat(destination.c_str(), &destinationStatus) == 0 &&
        S_ISREG(destinationStatus.st_mode) && sourceStatus.st_size == destinationStatus.st_size &&
        sourceStatus.st_mtim.tv_sec == destinationStatus.st_mtim.tv_sec) {
        return Result::Ok();
    }
    return CopyKeepingTime(source, destination) ? Result::Ok()
                                                : Result::FromErrno("copy", destination, errno);
}
