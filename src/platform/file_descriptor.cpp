#include "platform/file_descriptor.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <utility>

namespace {

// The one read loop: readSome(at, wanted, done) reads up to wanted bytes into at, the
// done bytes before it being in already.
template <typename ReadSome>
Expected<std::size_t> Fill(void* data, std::size_t size, ReadSome readSome) {
    char* const bytes = static_cast<char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = readSome(bytes + done, size - done, done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return Result::FromErrno("read", "", errno);
        }
        if (got == 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    return done;
}

}  // namespace

UniqueFd::~UniqueFd() {
    if (fd >= 0) {
        const int saved = errno;
        ::close(fd);
        errno = saved;
    }
}

UniqueFd::UniqueFd(UniqueFd&& other) noexcept : fd(std::exchange(other.fd, -1)) {}

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
        const UniqueFd old(std::exchange(fd, std::exchange(other.fd, -1)));  // closes ours
    }
    return *this;
}

Result UniqueFd::Close() {
    if (fd < 0) {
        return Result::Ok();
    }
    // Never retried: Linux releases the descriptor even when close reports EINTR.
    if (::close(std::exchange(fd, -1)) != 0) {
        return Result::FromErrno("close", "", errno);
    }
    return Result::Ok();
}

Expected<std::size_t> ReadAll(int fd, void* data, std::size_t size) {
    return Fill(data, size,
                [fd](char* at, std::size_t wanted, std::size_t) { return ::read(fd, at, wanted); });
}

Expected<std::size_t> ReadAllAt(int fd, std::uint64_t offset, void* data, std::size_t size) {
    constexpr auto kLargest = static_cast<std::uint64_t>(LLONG_MAX);
    if (size > kLargest || offset > kLargest - size) {
        return Result::FromErrno("read", "", EINVAL);
    }
    return Fill(data, size, [fd, offset](char* at, std::size_t wanted, std::size_t done) {
        return ::pread(fd, at, wanted, static_cast<off_t>(offset + done));
    });
}

Result WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0) {
            return Result::FromErrno("write", "", errno);
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    return Result::Ok();
}
