#include "platform/folder_listing.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

FolderListing::FolderListing(const std::string& folder)
    : m_folder(folder), m_dir(::opendir(folder.c_str())) {
    if (m_dir == nullptr) {
        m_failure = Result::FromErrno("open", m_folder, errno != 0 ? errno : EIO);
    }
}

FolderListing::~FolderListing() {
    if (m_dir != nullptr) {
        ::closedir(m_dir);
    }
}

bool FolderListing::Next(FolderEntry& entry) {
    if (m_dir == nullptr || !m_failure.ok()) {
        return false;
    }
    for (;;) {
        // readdir tells the end of the folder from a failed read only by errno.
        errno = 0;
        const dirent* item = ::readdir(m_dir);
        if (item == nullptr) {
            if (errno != 0) {
                m_failure = Result::FromErrno("list", m_folder, errno);
            }
            return false;
        }
        const std::string_view name = item->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        entry.name = name;
        entry.type = item->d_type;
        return true;
    }
}

unsigned char FolderListing::TypeOf(const FolderEntry& entry) const {
    if (entry.type != DT_UNKNOWN) {
        return entry.type;
    }
    struct stat status;
    if (::fstatat(Descriptor(), entry.name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
        return DT_UNKNOWN;
    }
    return IFTODT(status.st_mode);
}

int FolderListing::Descriptor() const {
    return ::dirfd(m_dir);
}
