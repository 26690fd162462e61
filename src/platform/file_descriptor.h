#pragma once

// The one place POSIX descriptors are owned and read or written whole. UniqueFd closes
// its descriptor when it goes; ReadAll, ReadAllAt and WriteAll go on after a signal
// (EINTR) and after a short count until the work is done, the file ends or the system
// refuses. A UniqueFd belongs to one thread at a time; the functions keep no state and
// may be called from any thread.

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/expected.h"
#include "platform/result.h"

// An open descriptor, or none (-1), closed when the object goes. Closing on the way out
// leaves errno as it was, so a failure's errno read after its descriptor has gone is
// still that failure's. Movable, not copyable.
class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd(fd) {}
    ~UniqueFd();
    UniqueFd(UniqueFd&& other) noexcept;
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return fd; }
    bool valid() const { return fd >= 0; }

    // Closes now, for callers that must know whether the last bytes were taken: ok, or the
    // failure ("close", from errno, no path). Without a descriptor it does nothing and is
    // ok. A caller to whom a failure means nothing lets the object go, or assigns it none.
    Result Close();

  private:
    int fd = -1;
};

// The failures below, like Close's, come from errno and name their step, "read" or "write", but no
// path: a descriptor does not know its file's name. A caller that reports one names the file it
// read or wrote, as Result::FromErrno(step, path, failure.error()).

// Reads size bytes from the descriptor's position into data, fewer only when the file
// ends first. The count, or the failure.
Expected<std::size_t> ReadAll(int fd, void* data, std::size_t size);

// ReadAll from offset on (pread): the descriptor's position stays where it was. An
// offset no file can have fails with EINVAL.
Expected<std::size_t> ReadAllAt(int fd, std::uint64_t offset, void* data, std::size_t size);

// Writes all of data at the descriptor's position. Ok, or the failure.
Result WriteAll(int fd, std::string_view data);
