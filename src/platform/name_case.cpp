#include "platform/name_case.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/ascii.h"
#include "platform/file_descriptor.h"
#include "platform/folder_listing.h"
#include "platform/paths.h"
#include "platform/temporary_files.h"

namespace {

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// True when folder lists an entry spelt exactly name.
bool Lists(const std::string& folder, const std::string& name) {
    FolderListing listing(folder.empty() ? "." : folder);
    for (FolderEntry entry; listing.Next(entry);) {
        if (entry.name == name) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool IgnoresLetterCase(const std::string& folder) {
    std::string probe;
    const Expected<UniqueFd> fd = CreateTemporaryBeside(JoinPath(folder, "probe"), probe);
    if (!fd.ok()) {
        return false;
    }
    struct stat made;
    struct stat found;
    const std::string capitals = JoinPath(folder, AsciiUpperCase(PathFileName(probe)));
    const bool ignores = ::fstat(fd->get(), &made) == 0 && ::lstat(capitals.c_str(), &found) == 0 &&
                         SameFile(made, found);
    ::unlink(probe.c_str());
    return ignores;
}

std::string EntryFoundAs(const std::string& folder, const std::string& name) {
    struct stat wanted;
    if (::lstat(JoinPath(folder, name).c_str(), &wanted) != 0) {
        return {};
    }
    FolderListing listing(folder.empty() ? "." : folder);
    std::string found;
    for (FolderEntry entry; listing.Next(entry);) {
        if (entry.name == name) {
            return {};
        }
        struct stat status;
        if (found.empty() &&
            ::fstatat(listing.Descriptor(), entry.name.c_str(), &status, AT_SYMLINK_NOFOLLOW) ==
                0 &&
            SameFile(status, wanted)) {
            found = entry.name;
        }
    }
    return found;
}

Result RenameLetterCase(const std::string& folder, const std::string& from, const std::string& to) {
    const std::string source = JoinPath(folder, from);
    const std::string destination = JoinPath(folder, to);
    if (::rename(source.c_str(), destination.c_str()) != 0) {
        return Result::FromErrno("rename", source, errno);
    }
    if (Lists(folder, to)) {
        return Result::Ok();
    }
    // The kernel skips a rename whose two names find one file (vfat, exFAT): out and back.
    const std::string between =
        JoinPath(folder, std::string(kTemporaryFilePrefix) + std::to_string(::getpid()) + "-case");
    struct stat status;
    if (::lstat(between.c_str(), &status) == 0) {
        return Result::FromErrno("rename", between, EEXIST);
    }
    if (::rename(source.c_str(), between.c_str()) != 0) {
        return Result::FromErrno("rename", source, errno);
    }
    if (::rename(between.c_str(), destination.c_str()) != 0) {
        const int error = errno;
        (void)::rename(between.c_str(), source.c_str());
        return Result::FromErrno("rename", between, error);
    }
    return Result::Ok();
}
