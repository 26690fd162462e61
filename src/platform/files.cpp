#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <limits>
#include <new>
#include <optional>
#include <utility>

#include "platform/file_descriptor.h"
#include "platform/format.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "platform/temporary_files.h"

namespace {

// The path a write should replace: the target of a symbolic link, so the link survives.
std::string ResolveLink(const std::string& path) {
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat status;
        if (::lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            return current;
        }
        std::string target(static_cast<std::size_t>(status.st_size > 0 ? status.st_size : 4096),
                           '\0');
        const ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
        if (length < 0) {
            return current;
        }
        target.resize(static_cast<std::size_t>(length));
        if (!target.empty() && target.front() != '/') {
            target = JoinPath(PathFolder(current), target);
        }
        current = target;
    }
    return current;
}

// "16 MB" for a whole number of megabytes, else the bytes.
std::string SizeLimitText(std::size_t limit) {
    constexpr std::size_t kMegabyte = 1024 * 1024;
    return limit % kMegabyte == 0 ? StringPrintf("%zu MB", limit / kMegabyte)
                                  : ByteCountText(static_cast<std::int64_t>(limit));
}

// The refusal of a file over a reader's limit.
std::string TooLargeText(const std::string& path, std::size_t limit, long long size) {
    return StringPrintf("'%s' is larger than %s (%s) and is not read\n", path.c_str(),
                        SizeLimitText(limit).c_str(), ByteCountText(size).c_str());
}

// Writes in place; used only where no temporary file may be made beside the target.
Result OverwriteInPlace(const std::string& path, std::string_view data, bool sync) {
    UniqueFd fd(::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC));
    if (!fd.valid()) {
        return Result::FromErrno("open", path, errno);
    }
    if (const Result written = WriteAll(fd.get(), data); !written.ok()) {
        return Result::FromErrno("write", path, written.error());
    }
    if (sync && ::fsync(fd.get()) != 0) {
        return Result::FromErrno("sync", path, errno);
    }
    if (const Result closed = fd.Close(); !closed.ok()) {
        return Result::FromErrno("close", path, closed.error());
    }
    return Result::Ok();
}

// Gives the new temporary file fd its mode (when given) and data, closes it and renames it
// over path; on failure the temporary file goes and the step is named.
Result FillAndRename(UniqueFd& fd, const std::string& temporary, const std::string& path,
                     std::string_view data, bool sync, std::optional<mode_t> mode) {
    auto fail = [&temporary, &path](const char* step, int error) {
        ::unlink(temporary.c_str());
        return Result::FromErrno(step, path, error);
    };
    if (mode && ::fchmod(fd.get(), *mode) != 0) {
        return fail("chmod", errno);
    }
    if (const Result written = WriteAll(fd.get(), data); !written.ok()) {
        return fail("write", written.error());
    }
    if (sync && ::fsync(fd.get()) != 0) {
        return fail("sync", errno);
    }
    if (const Result closed = fd.Close(); !closed.ok()) {
        return fail("close", closed.error());
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        return fail("rename", errno);
    }
    return Result::Ok();
}

// The text of a read that could not open its file.
Result CannotOpen(const std::string& path, int error) {
    return Result::FromErrno("open", path, error)
        .WithText(StringPrintf("Cannot open '%s' for reading (errno %d)\n", path.c_str(), error));
}

}  // namespace

Result ReplaceFileContents(const std::string& requested, std::string_view data, bool sync) {
    const std::string path = ResolveLink(requested);
    struct stat existing;
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) {
        return Result::FromErrno("open", path, EISDIR);
    }
    std::string temporary;
    Expected<UniqueFd> fd = CreateTemporaryBeside(path, temporary);
    if (!fd.ok()) {
        // A writable file in a folder we may not create files in: write it in place.
        if (exists && fd.failure().kind() == Result::Kind::Permission &&
            ::access(path.c_str(), W_OK) == 0) {
            return OverwriteInPlace(path, data, sync);
        }
        return Result::FromErrno("open", path, fd.failure().error());
    }
    return FillAndRename(*fd, temporary, path, data, sync,
                         exists ? std::optional<mode_t>(existing.st_mode & 07777) : std::nullopt);
}

Result ReadWholeFile(const std::string& path, std::string& contents) {
    return ReadLimitedFile(path, contents, std::numeric_limits<std::size_t>::max(),
                           OverLimit::Refuse);
}

Result ReadLimitedFile(const std::string& path, std::string& contents, std::size_t limit,
                       OverLimit over) {
    contents.clear();
    struct stat status;
    if (::stat(path.c_str(), &status) != 0) {
        return Result::FromErrno("stat", path, errno)
            .WithText(StringPrintf("Cannot get status of '%s'\n", path.c_str()));
    }
    if (S_ISDIR(status.st_mode)) {
        return CannotOpen(path, EISDIR);
    }
    // Non-blocking, so a named pipe in place of a file cannot hang the reader.
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd.valid()) {
        return CannotOpen(path, errno);
    }
    // The size of the file opened, not of the one named a moment ago: a writer may have
    // renamed another file into its place in between.
    if (::fstat(fd.get(), &status) != 0) {
        return Result::FromErrno("stat", path, errno)
            .WithText(StringPrintf("Cannot get status of '%s'\n", path.c_str()));
    }
    std::size_t size = static_cast<std::size_t>(status.st_size);
    if (static_cast<unsigned long long>(status.st_size) > limit) {
        if (over == OverLimit::Refuse) {
            return Result::Failure(
                TooLargeText(path, limit, static_cast<long long>(status.st_size)));
        }
        size = limit;
    }
    std::string buffer;
    try {
        buffer.resize(size);
    } catch (const std::bad_alloc&) {
        return Result::Failure(StringPrintf("Cannot allocate %s for '%s'\n",
                                            ByteCountText(static_cast<std::int64_t>(size)).c_str(),
                                            path.c_str()));
    }
    const Expected<std::size_t> got = ReadAll(fd.get(), buffer.data(), size);
    if (!got.ok() || *got != size) {
        const int error = got.failure().error();
        const std::string text = StringPrintf(
            "Failed to read %s from '%s' (errno %d)\n",
            ByteCountText(static_cast<std::int64_t>(size)).c_str(), path.c_str(), error);
        return error != 0 ? Result::FromErrno("read", path, error).WithText(text)
                          : Result::Failure(text);
    }
    if (std::memchr(buffer.data(), '\0', size) != nullptr) {
        return Result::Failure(StringPrintf("'%s' contains binary characters\n", path.c_str()));
    }
    contents = std::move(buffer);
    return Result::Ok();
}

namespace {

Result ReadRegularFile(const std::string& path, std::size_t limit, std::string& bytes, int flags) {
    bytes.clear();
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | flags));
    struct stat status;
    int error = 0;
    if (!fd.valid() || ::fstat(fd.get(), &status) != 0) {
        error = errno;
    } else if (!S_ISREG(status.st_mode)) {
        error = S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
    } else if (static_cast<unsigned long long>(status.st_size) > limit) {
        return Result::FromErrno("read", path, EFBIG)
            .WithText(TooLargeText(path, limit, static_cast<long long>(status.st_size)));
    } else {
        bytes.resize(static_cast<std::size_t>(status.st_size));
        const Expected<std::size_t> got = ReadAll(fd.get(), bytes.data(), bytes.size());
        if (got.ok()) {
            bytes.resize(*got);
            return Result::Ok();
        }
        error = got.failure().error();
        bytes.clear();
    }
    return Result::FromErrno(fd.valid() ? "read" : "open", path, error);
}

}  // namespace

Result ReadFileBytes(const std::string& path, std::size_t limit, std::string& bytes) {
    return ReadRegularFile(path, limit, bytes, 0);
}

Result ReadOwnFile(const std::string& path, std::size_t limit, std::string& bytes) {
    return ReadRegularFile(path, limit, bytes, O_NOFOLLOW);
}

Result ReplaceOwnFile(const std::string& path, std::string_view data, mode_t mode) {
    std::string temporary;
    Expected<UniqueFd> fd = CreateTemporaryBeside(path, temporary);
    if (!fd.ok()) {
        return Result::FromErrno("open", path, fd.failure().error());
    }
    return FillAndRename(*fd, temporary, path, data, true, mode);
}

Result WriteWholeFile(const std::string& path, std::string_view text) {
    Result result = ReplaceFileContents(path, text, false);
    if (result.ok()) {
        return result;
    }
    const int error = result.error();
    if (result.what() == "open") {
        return std::move(result).WithText(
            StringPrintf("Cannot open '%s' for writing (errno %d)\n", path.c_str(), error));
    }
    return std::move(result).WithText(StringPrintf(
        "Failed to write %s to '%s' (errno %d)\n",
        ByteCountText(static_cast<std::int64_t>(text.size())).c_str(), path.c_str(), error));
}

namespace {

bool AskToCreateDirectory(const std::string& path) {
    const std::string question =
        "The directory \"" + path + "\" does not exist.\n\nDo you want to create it?";
    return ShowMessageBox(question, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

// Ok for a folder; anything else is in the way, as mkdir would find it.
Result ExistingAsFolder(const std::string& path, const struct stat& status) {
    return S_ISDIR(status.st_mode) ? Result::Ok() : Result::FromErrno("mkdir", path, EEXIST);
}

// The answer No to the question.
Result NotCreated(const std::string& path) {
    return Result::Failure("The directory \"" + path + "\" was not created.");
}

}  // namespace

Result EnsureDirectory(const std::string& path, bool createWithoutAsking) {
    struct stat status;
    if (::stat(path.c_str(), &status) == 0) {
        return ExistingAsFolder(path, status);
    }
    if (errno != ENOENT) {
        return Result::FromErrno("stat", path, errno);
    }
    // Only the last level may be missing: with its parent gone too there is nothing to ask.
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/') {
        trimmed.pop_back();
    }
    if (trimmed.empty()) {
        return Result::FromErrno("mkdir", path, ENOENT);
    }
    std::string parent = PathFolder(trimmed);
    if (parent.empty()) {
        parent = trimmed.front() == '/' ? "/" : ".";
    }
    struct stat parentStatus;
    if (::stat(parent.c_str(), &parentStatus) != 0) {
        return Result::FromErrno("stat", parent, errno);
    }
    if (!S_ISDIR(parentStatus.st_mode)) {
        return Result::FromErrno("stat", parent, ENOTDIR);
    }
    if (!createWithoutAsking && !AskToCreateDirectory(path)) {
        return NotCreated(path);
    }
    return ::mkdir(path.c_str(), 0777) == 0 ? Result::Ok()
                                            : Result::FromErrno("mkdir", path, errno);
}

Result EnsureDirectoryPath(const std::string& path, bool createWithoutAsking) {
    struct stat status;
    if (::stat(path.c_str(), &status) == 0) {
        return ExistingAsFolder(path, status);
    }
    if (errno != ENOENT) {
        return Result::FromErrno("stat", path, errno);
    }
    if (!createWithoutAsking && !AskToCreateDirectory(path)) {
        return NotCreated(path);
    }
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (error) {
        return Result::FromErrno("mkdir", path, error.value());
    }
    if (::stat(path.c_str(), &status) != 0) {
        return Result::FromErrno("stat", path, errno);
    }
    return ExistingAsFolder(path, status);
}

Result CheckRequiredFile(const std::string& path) {
    struct stat status;
    if (::stat(path.c_str(), &status) != 0) {
        const int error = errno;
        std::string text = "The required file \"" + path + "\" does not exist.";
        if (error != ENOENT) {
            text += "\n\nReason: " + ErrorCodeText(error);
        }
        return Result::FromErrno("stat", path, error).WithText(std::move(text));
    }
    if (S_ISDIR(status.st_mode)) {
        return Result::FromErrno("stat", path, EISDIR)
            .WithText("\"" + path + "\" is a directory but should be a file.");
    }
    return Result::Ok();
}

std::string ErrorCodeText(int code) {
    if (code > 0 && ::strerrorname_np(code) != nullptr) {
        char buffer[260];
        return ::strerror_r(code, buffer, sizeof buffer);
    }
    return StringPrintf("Cannot resolve error code %d (FormatMessage() returned %d)", code, EINVAL);
}

bool SameFolder(const std::string& a, const std::string& b) {
    const std::filesystem::path first = a.empty() ? "." : a;
    const std::filesystem::path second = b.empty() ? "." : b;
    if (a == b || first.lexically_normal() == second.lexically_normal()) {
        return true;
    }
    std::error_code error;
    return std::filesystem::equivalent(first, second, error);
}
