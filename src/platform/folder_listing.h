#pragma once

// One folder's entries, read one at a time while the folder stays open, and closed when the
// listing goes. Entries come in the order the file system hands them out, "." and ".." left
// out; callers that want an order sort. Not thread-safe: one listing belongs to one thread.

#include <dirent.h>

#include <string>

struct FolderEntry {
    std::string name;
    // DT_DIR, DT_REG, DT_LNK, ... as the file system tells it; DT_UNKNOWN where it does not.
    unsigned char type = DT_UNKNOWN;
};

class FolderListing {
  public:
    // Opens folder as given ("." for the current folder). When it cannot be opened, IsOpen is
    // false and errno says why.
    explicit FolderListing(const std::string& folder);
    ~FolderListing();
    FolderListing(const FolderListing&) = delete;
    FolderListing& operator=(const FolderListing&) = delete;

    bool IsOpen() const { return m_dir != nullptr; }

    // The next entry into entry; false after the last one, and always on a listing that is
    // not open.
    bool Next(FolderEntry& entry);

    // The entry's type, from its own status (a link not followed) where the file system did
    // not tell; DT_UNKNOWN when that status cannot be had either, as for an entry gone
    // meanwhile.
    unsigned char TypeOf(const FolderEntry& entry) const;

    // The open folder, for calls relative to it (fstatat, unlinkat).
    int Descriptor() const;

  private:
    DIR* m_dir;
};
