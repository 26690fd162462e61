#include "platform/folder_listing.h"

#include <fcntl.h>
#include <sys/stat.h>

FolderListing::FolderListing(const std::string& folder) : m_dir(::opendir(folder.c_str())) {}

FolderListing::~FolderListing() {
    if (m_dir != nullptr) {
        ::closedir(m_dir);
    }
}

bool FolderListing::Next(FolderEntry& entry) {
    if (m_dir == nullptr) {
        return false;
    }
    while (const dirent* item = ::readdir(m_dir)) {
        const std::string_view name = item->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        entry.name = name;
        entry.type = item->d_type;
        return true;
    }
    return false;
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
