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

// Copies what is left of in to out with plain reads and writes: ok, or the read or write
// that failed.
Result CopyByReading(int in, int out) {
    static constexpr std::size_t kBlock = 1 << 17;
    auto buffer = std::make_unique_for_overwrite<char[]>(kBlock);
    while (true) {
        const Expected<std::size_t> got = ReadAll(in, buffer.get(), kBlock);
        if (!got.ok()) {
            return got.failure();
        }
        if (*got == 0) {
            return Result::Ok();
        }
        if (Result written = WriteAll(out, std::string_view(buffer.get(), *got)); !written.ok()) {
            return written;
        }
    }
}

// Copies in to out inside the kernel where the file systems allow it, else by reading: ok,
// or the step that failed (no path).
Result CopyContents(int in, int out) {
    while (true) {
        const ssize_t copied = ::copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
        if (copied > 0) {
            continue;
        }
        if (copied == 0) {
            return Result::Ok();
        }
        if (errno == EINTR) {
            continue;
        }
        // Both offsets have moved past what was copied, so reading carries on from there.
        if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP ||
            errno == EBADF) {
            return CopyByReading(in, out);
        }
        return Result::FromErrno("copy", "", errno);
    }
}

// The copy of CopyIfChanged; its failure is "copy" of destination, from the errno value of
// the step that failed.
Result CopyKeepingTime(const std::string& source, const std::string& destination) {
    const UniqueFd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat status;
    if (!in.valid() || ::fstat(in.get(), &status) != 0) {
        return Result::FromErrno("copy", destination, errno);
    }
    if (!S_ISREG(status.st_mode)) {
        return Result::FromErrno("copy", destination, S_ISDIR(status.st_mode) ? EISDIR : EINVAL);
    }
    return ReplaceKeepingTime(status, destination, "copy",
                              [&](int out) { return CopyContents(in.get(), out); });
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
    return CopyKeepingTime(source, destination);
}

Result ReplaceKeepingTime(const struct stat& source, const std::string& destination,
                          const std::string& verb, const std::function<Result(int out)>& fill) {
    std::string temporary;
    Expected<UniqueFd> made = CreateTemporaryBeside(destination, temporary);
    if (!made.ok()) {
        return Result::FromErrno(verb, destination, made.failure().error());
    }
    UniqueFd& out = *made;
    const struct timespec times[2] = {source.st_atim, source.st_mtim};
    int error = 0;
    if (::fchmod(out.get(), source.st_mode & 0777) != 0) {
        error = errno;
    } else if (const Result filled = fill(out.get()); !filled.ok()) {
        error = filled.error();
    } else if (::futimens(out.get(), times) != 0) {
        error = errno;
    } else if (const Result closed = out.Close(); !closed.ok()) {
        error = closed.error();
    } else if (::rename(temporary.c_str(), destination.c_str()) != 0) {
        error = errno;
    } else {
        return Result::Ok();
    }
    ::unlink(temporary.c_str());
    return Result::FromErrno(verb, destination, error);
}
