#pragma once

// The check of an upload, on its first connection: it finds the remote folder (offering
// to create it), makes the missing subfolders on the way, and tells for each file whether
// the server needs it, by the record of the last upload where there is one and by the
// server's listing otherwise. What it finds unchanged is kept for the next record; what
// is to go becomes outgoing, for the sending (upload_send.h). A dry run makes nothing and
// reports what would go. One thread.

#include <sys/stat.h>

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "upload/ftp_client.h"
#include "upload/kept_files.h"
#include "upload/upload_messages.h"
#include "upload/upload_record.h"
#include "upload/upload_tally.h"
#include "upload/upload_worker.h"

namespace upload_run {

inline std::int64_t ModifiedNanoseconds(const struct stat& status) {
    return static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
}

// A file the server needs, found by the check, with what the server had of it then.
struct Outgoing {
    std::string path;
    std::int64_t size = 0;
    bool existed = false;
    RemoteFileStatus before = {};
    int tries = 0;  // tries again it had before
};

class UploadCheck {
  public:
    UploadCheck(const UploadJob& job, const UploadMessages& messages, UploadTally& tally,
                KeptFiles& kept)
        : job(job), messages(messages), tally(tally), kept(kept) {}

    // Asks where the login put the connection, which gives the remote folder's full path:
    // the profile's folder taken from there. False after a box (or on a stop).
    bool FindRemoteRoot(FtpClient& connection);
    const std::string& RemoteRoot() const { return remoteRoot; }

    // Makes the remote folder current, offering to create it; last: the record of the last
    // upload, or null when there is none to go by. False after a box (or on a stop).
    bool OpenRemoteFolder(FtpClient& connection, const UploadRecord* last);

    // Finds out whether the server needs the file (its size as summed before), making its
    // folder on the way. False after a box (or on a stop): the upload ends.
    bool CheckFile(FtpClient& connection, const std::string& path, std::int64_t listedSize);

    std::vector<Outgoing>& Found() { return outgoing; }
    // The subfolders this upload made, relative: the mirror may enter them.
    const std::set<std::string>& MadeFolders() const { return madeFolders; }
    // A dry run into a remote folder that is not there yet.
    bool RootMissing() const { return rootMissing; }
    // Why the server is not trusted with deletions ("said it is in "/x""), or empty.
    const std::string& FolderDoubt() const { return folderDoubt; }

  private:
    bool EnterSubfolder(FtpClient& connection, const std::string& folder);
    // Lists the files of the remote folder at the full path target into folderFiles;
    // false (and folderFiles empty) when that cannot be done.
    bool ListFiles(FtpClient& connection, const std::string& target);
    // True when the server's copy of path is the local file, by the record where there is
    // one and by the listing's size and time otherwise; record gets what the next record
    // holds of the file.
    bool Unchanged(const std::string& path, const struct stat& local,
                   const RemoteFileStatus* remote, RecordedFile& record) const;

    const UploadJob& job;
    const UploadMessages& messages;
    UploadTally& tally;
    KeptFiles& kept;
    const UploadRecord* last = nullptr;

    std::string remoteRoot;   // absolute
    std::string folderDoubt;  // what the server said instead of naming remoteRoot
    std::set<std::string> madeFolders;
    // The local subfolder whose remote twin is current: at first the remote folder itself.
    std::string currentFolder;
    bool remoteMissing = false;  // dry run: the remote folder (or subfolder) is not there
    bool rootMissing = false;    // dry run: the profile's folder itself is not there
    // The files of the current folder by one listing of it, when one was made.
    std::optional<std::map<std::string, RemoteFileStatus>> folderFiles;
    std::vector<Outgoing> outgoing;
};

}  // namespace upload_run
