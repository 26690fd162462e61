#pragma once

// One folder's entries, read one at a time while the folder stays open, and closed when the
// listing goes. Entries come in the order the file system hands them out, "." and ".." left
// out; callers that want an order sort. A listing that breaks off says so: a folder read only
// in part is never taken for the whole folder. Not thread-safe: one listing belongs to one
// thread.

#include <dirent.h>

#include <string>

#include "platform/result.h"

struct FolderEntry {
    std::string name;
    // DT_DIR, DT_REG, DT_LNK, ... as the file system tells it; DT_UNKNOWN where it does not.
    unsigned char type = DT_UNKNOWN;
};

class FolderListing {
  public:
    // Opens folder as given ("." for the current folder). When it cannot be opened, IsOpen is
    // false and failure() says why.
    explicit FolderListing(const std::string& folder);
    ~FolderListing();
    FolderListing(const FolderListing&) = delete;
    FolderListing& operator=(const FolderListing&) = delete;

    bool IsOpen() const { return m_dir != nullptr; }

    // The next entry into entry; false after the last one, when reading the folder failed
    // (failure() then says why), and always on a listing that is not open.
    bool Next(FolderEntry& entry);

    // The failure that ended the listing, from errno: "open" of the folder, or "list" of it
    // for a read that broke off part way; ok while every read so far succeeded.
    const Result& failure() const { return m_failure; }

    // The entry's type, from its own status (a link not followed) where the file system did
    // not tell; DT_UNKNOWN when that status cannot be had either, as for an entry gone
    // meanwhile.
    unsigned char TypeOf(const FolderEntry& entry) const;

    // The open folder, for calls relative to it (fstatat, unlinkat).
    int Descriptor() const;

  private:
    std::string m_folder;
    DIR* m_dir;
    Result m_failure = Result::Ok();
};
