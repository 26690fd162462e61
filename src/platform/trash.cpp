#include "platform/trash.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "platform/file_descriptor.h"
#include "platform/format.h"
#include "platform/paths.h"
#include "platform/xdg_folders.h"

namespace {

// A name picked too often (a thousand earlier copies) is a sign of something wrong.
constexpr int kMaxNameTries = 1000;

// "a.jpg", then "a.2.jpg", "a.3.jpg": the number goes before the extension, so the file
// keeps its type.
std::string NumberedName(const std::string& name, int number) {
    if (number == 1) {
        return name;
    }
    const std::size_t dot = name.rfind('.');
    const std::string counter = "." + std::to_string(number);
    if (dot == std::string::npos || dot == 0) {
        return name + counter;
    }
    return name.substr(0, dot) + counter + name.substr(dot);
}

std::string InfoText(const std::string& path, std::time_t deleted) {
    std::tm local{};
    ::localtime_r(&deleted, &local);
    char when[32];
    std::strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%S", &local);
    return "[Trash Info]\nPath=" + TrashInfoPath(path) + "\nDeletionDate=" + when + "\n";
}

// Copies from into to (which must not exist yet) with its mode and times, synced; on
// failure nothing is left at to.
Result CopyDurably(const std::string& from, const std::string& to) {
    const UniqueFd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    struct stat status;
    if (!in.valid() || ::fstat(in.get(), &status) != 0) {
        return Result::FromErrno("open", from, errno);
    }
    UniqueFd out(
        ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, status.st_mode & 07777));
    if (!out.valid()) {
        return Result::FromErrno("open", to, errno);
    }
    Result result = Result::Ok();
    char buffer[1 << 16];
    for (;;) {
        const Expected<std::size_t> got = ReadAll(in.get(), buffer, sizeof buffer);
        if (!got.ok()) {
            result = Result::FromErrno("read", from, got.failure().error());
            break;
        }
        if (*got == 0) {
            break;
        }
        if (const Result written = WriteAll(out.get(), std::string_view(buffer, *got));
            !written.ok()) {
            result = Result::FromErrno("write", to, written.error());
            break;
        }
    }
    const struct timespec times[2] = {status.st_atim, status.st_mtim};
    if (result.ok() && ::futimens(out.get(), times) != 0) {
        result = Result::FromErrno("utimens", to, errno);
    }
    if (result.ok() && ::fsync(out.get()) != 0) {
        result = Result::FromErrno("sync", to, errno);
    }
    if (result.ok()) {
        if (const Result closed = out.Close(); !closed.ok()) {
            result = Result::FromErrno("close", to, closed.error());
        }
    }
    if (!result.ok()) {
        ::unlink(to.c_str());
    }
    return result;
}

// Makes the trash's folders, readable by the user only, as other trash users make them.
Result EnsureTrashFolders(const std::string& trash) {
    for (const std::string& folder : {trash + "/files", trash + "/info"}) {
        if (Result made = CreateFolderPath(folder, 0700); !made.ok()) {
            return made;
        }
    }
    return Result::Ok();
}

}  // namespace

std::string TrashFolder() {
    return XdgDataHome() + "/Trash";
}

std::string TrashInfoPath(const std::string& path) {
    std::string encoded;
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
            (byte >= '0' && byte <= '9') || c == '-' || c == '.' || c == '_' || c == '~' ||
            c == '/') {
            encoded += c;
        } else {
            encoded += StringPrintf("%%%02X", byte);
        }
    }
    return encoded;
}

Result MoveToTrash(const std::string& path, std::string* trashedName, std::time_t deleted) {
    std::error_code error;
    const std::string absolute = std::filesystem::absolute(path, error).lexically_normal().string();
    struct stat status;
    if (error || ::lstat(absolute.c_str(), &status) != 0) {
        return Result::FromErrno("stat", path, error ? error.value() : errno);
    }
    const std::string trash = TrashFolder();
    if (Result folders = EnsureTrashFolders(trash); !folders.ok()) {
        return folders;
    }
    const std::string name = PathFileName(absolute);
    for (int number = 1; number <= kMaxNameTries; ++number) {
        const std::string candidate = NumberedName(name, number);
        const std::string info = trash + "/info/" + candidate + ".trashinfo";
        const std::string file = trash + "/files/" + candidate;
        // The note is made first and exclusively: it reserves the name against another
        // program trashing a file of the same name at the same moment.
        UniqueFd note(::open(info.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (!note.valid()) {
            if (errno == EEXIST) {
                continue;
            }
            return Result::FromErrno("open", info, errno);
        }
        struct stat there;
        if (::lstat(file.c_str(), &there) == 0) {
            note = UniqueFd();       // closed: the note goes anyway
            ::unlink(info.c_str());  // a file without its note holds the name
            continue;
        }
        Result result = Result::Ok();
        if (const Result written = WriteAll(note.get(), InfoText(absolute, deleted));
            !written.ok()) {
            result = Result::FromErrno("write", info, written.error());
        } else if (::fsync(note.get()) != 0) {
            result = Result::FromErrno("write", info, errno);
        } else if (const Result closed = note.Close(); !closed.ok()) {
            result = Result::FromErrno("close", info, closed.error());
        } else if (::rename(absolute.c_str(), file.c_str()) != 0) {
            if (errno != EXDEV) {
                result = Result::FromErrno("rename", absolute, errno);
            } else if (!S_ISREG(status.st_mode)) {
                result = Result::FromErrno("rename", absolute, EXDEV);
            } else if (result = CopyDurably(absolute, file);
                       result.ok() && ::unlink(absolute.c_str()) != 0) {
                result = Result::FromErrno("unlink", absolute, errno);
                ::unlink(file.c_str());
            }
        }
        if (!result.ok()) {
            ::unlink(info.c_str());
            return result;
        }
        if (trashedName != nullptr) {
            *trashedName = candidate;
        }
        return Result::Ok();
    }
    return Result::FromErrno("open", trash + "/info/" + name + ".trashinfo", EEXIST);
}
