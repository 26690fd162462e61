#include "upload/upload_check.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/file_descriptor.h"
#include "platform/files.h"
#include "platform/format.h"
#include "upload/internet_errors.h"
#include "upload/remote_paths.h"

namespace upload_run {

bool UploadCheck::FindRemoteRoot(FtpClient& connection) {
    // Asked before any change of folder: later answers are checked against what was asked.
    std::string login;
    if (const Result asked = connection.GetCurrentDirectory(login); !asked.ok()) {
        if (!messages.StopRequested()) {
            messages.Box(MessageBoxText("Failed to get directory on FTP server\n\nReason: %s",
                                        asked.text().c_str()));
        }
        return false;
    }
    remoteRoot = RemoteFolderPath(RemoteFolderPath("/", login), job.remoteFolder);
    return true;
}

bool UploadCheck::OpenRemoteFolder(FtpClient& connection, const UploadRecord* lastRecord) {
    last = lastRecord;
    const std::string& remote = job.remoteFolder;
    messages.Status(StringPrintf("Setting directory to \"%s\" ...", remote.c_str()));
    // With a record the sizes are all the check needs, and a listing of the folder by its
    // path tells that it is there too. A deletion wants the server to confirm the folder
    // (below), which takes the change into it.
    if (last != nullptr && !job.deleteExtra && ListFiles(connection, remoteRoot)) {
        return true;
    }
    if (Result entered = connection.SetCurrentDirectory(remote); !entered.ok()) {
        if (entered.kind() == Result::Kind::Refused && job.dryRun) {
            // Nothing is made in a dry run: everything would go into a new folder.
            messages.Status(StringPrintf("\"%s\" would be created", remote.c_str()));
            remoteMissing = rootMissing = true;
            return true;
        }
        if (entered.kind() == Result::Kind::Refused && !messages.StopRequested() &&
            ShowMessageBox(StringPrintf("Cannot change to FTP directory \"%s\".\n\n"
                                        "Would you like to create it?",
                                        remote.c_str()),
                           MB_YESNO | MB_ICONQUESTION) == IDYES) {
            entered = CreateRemotePath(connection, remote);
            if (entered.ok()) {
                entered = connection.SetCurrentDirectory(remoteRoot);
            }
        }
        if (!entered.ok()) {
            if (!messages.StopRequested()) {
                messages.Box(MessageBoxText(
                    "Failed to change directory on FTP server\n\nDirectory: %s\n\nReason: %s",
                    remote.c_str(), entered.text().c_str()));
            }
            return false;
        }
    }
    if (!job.deleteExtra) {
        return true;  // files go by the full path whatever the server would say here
    }
    // A server that names another folder than the one asked for is not trusted to delete
    // anything.
    std::string said;
    if (const Result asked = connection.GetCurrentDirectory(said); !asked.ok()) {
        if (asked.kind() != Result::Kind::Refused) {
            if (!messages.StopRequested()) {
                messages.Box(MessageBoxText("Failed to get directory on FTP server\n\nReason: %s",
                                            asked.text().c_str()));
            }
            return false;
        }
        folderDoubt = "did not say where it is";
    } else if (!SameRemoteFolder(said, remoteRoot)) {
        folderDoubt = "said it is in \"" + said + "\"";
    }
    return true;
}

// Makes the remote twin of a local subfolder ("" for the local folder itself) current,
// making it (and every missing level) when it is not there.
bool UploadCheck::EnterSubfolder(FtpClient& connection, const std::string& folder) {
    if (folder == currentFolder || rootMissing) {
        return true;
    }
    currentFolder = folder;
    remoteMissing = false;
    folderFiles.reset();
    if (!folder.empty()) {
        messages.Status(StringPrintf("Setting directory to \"%s\" ...", folder.c_str()));
    }
    const std::string target = RemoteFolderPath(remoteRoot, folder);
    // Object storage lists each file's time to the second: its listing serves a full
    // check too, where FTP's (to the minute, or the day) would not.
    if ((last != nullptr || IsObjectStorage(job.protocol)) && ListFiles(connection, target)) {
        return true;
    }
    Result entered = connection.SetCurrentDirectory(target);
    if (entered.ok()) {
        return true;
    }
    if (entered.kind() == Result::Kind::Refused && job.dryRun) {
        // Nothing is made in a dry run: a missing folder means all of its files would go.
        remoteMissing = true;
        return true;
    }
    if (entered.kind() == Result::Kind::Refused && !folder.empty()) {
        std::vector<std::string> made;
        entered = connection.SetCurrentDirectory(remoteRoot);
        if (entered.ok()) {
            entered = CreateRemotePath(connection, folder, &made);
        }
        madeFolders.insert(made.begin(), made.end());
        if (entered.ok()) {
            entered = connection.SetCurrentDirectory(target);
        }
    }
    if (!entered.ok()) {
        if (!messages.StopRequested()) {
            messages.Box(MessageBoxText(
                "Failed to change directory on FTP server\n\nDirectory: %s\n\nReason %s",
                folder.empty() ? remoteRoot.c_str() : folder.c_str(), entered.text().c_str()));
        }
        return false;
    }
    return true;
}

bool UploadCheck::ListFiles(FtpClient& connection, const std::string& target) {
    folderFiles.reset();
    std::vector<RemoteEntry> entries;
    if (!connection.ListFolderAt(target, entries).ok()) {
        return false;  // changing into the folder tells more: missing, or the connection
    }
    folderFiles.emplace();
    for (const RemoteEntry& entry : entries) {
        if (!entry.folder && !entry.link) {
            (*folderFiles)[entry.name] = entry.status;
        }
    }
    return true;
}

bool UploadCheck::CheckFile(FtpClient& connection, const std::string& path,
                            std::int64_t listedSize) {
    const std::string name = PathFileName(path);
    if (!EnterSubfolder(connection, PathFolder(path))) {
        return false;
    }
    struct stat local;
    if (::stat(messages.Local(path).c_str(), &local) != 0) {
        messages.Status(
            StringPrintf("Skipping \"%s\" (%s)", name.c_str(), ErrorCodeText(errno).c_str()));
        messages.Show(tally.CountFile(listedSize, FileEnd::Passed));
        return true;
    }
    if (!S_ISREG(local.st_mode)) {
        // A pipe or a device would never end.
        messages.Status(StringPrintf("Skipping \"%s\" (not a regular file)", name.c_str()));
        messages.Show(tally.CountFile(listedSize, FileEnd::Passed));
        return true;
    }
    const std::int64_t size = local.st_size;
    if (size != listedSize) {
        // Changed since the sizes were summed: the totals follow the file as it is now.
        tally.Resize(listedSize, size);
    }

    messages.Status(StringPrintf("Checking \"%s\" ...", name.c_str()));
    RemoteFileStatus remote;
    bool found = false;
    if (folderFiles) {
        const auto listed = folderFiles->find(name);
        found = listed != folderFiles->end();
        remote = found ? listed->second : RemoteFileStatus{};
    } else {
        // A server that could not say is taken not to have the file, which is then sent.
        found = !remoteMissing && connection.FindFile(name, remote, found).ok() && found;
    }
    RecordedFile record;
    if (Unchanged(path, local, found ? &remote : nullptr, record)) {
        messages.Status(StringPrintf("Skipping \"%s\" (%s)", name.c_str(),
                                     last != nullptr ? "unchanged since the last upload"
                                                     : "sizes and modification times match"));
        messages.Report(UploadAction::Skip, path);
        kept.Keep(path, std::move(record));
        messages.Show(tally.CountFile(size, FileEnd::Unchanged));
        return true;
    }
    if (messages.StopRequested()) {
        return false;
    }
    if (job.dryRun) {
        messages.Report(UploadAction::Send, path, size);
        messages.Show(tally.CountFile(size, FileEnd::Sent));
        return true;
    }
    outgoing.push_back(Outgoing{path, size, found, remote});
    return true;
}

bool UploadCheck::Unchanged(const std::string& path, const struct stat& local,
                            const RemoteFileStatus* remote, RecordedFile& record) const {
    const std::int64_t size = local.st_size;
    const RecordedFile* recorded = nullptr;
    record.size = size;
    record.modified = ModifiedNanoseconds(local);
    if (remote == nullptr || remote->size != size) {
        return false;
    }
    if (last != nullptr) {
        // The server's clock plays no part: what was sent is known, and the listing's size
        // tells whether the server's copy is still that.
        const auto found = last->files.find(path);
        if (found == last->files.end() || found->second.size != size) {
            return false;
        }
        recorded = &found->second;
        if (recorded->modified == record.modified && !recorded->hash.empty()) {
            record.hash = recorded->hash;
            return true;
        }
    } else if (remote->lastWriteTime < 0 || local.st_mtim.tv_sec > remote->lastWriteTime) {
        return false;
    }
    // Written again since (a page generated anew), or first seen: the content decides, and
    // the next record remembers it.
    const UniqueFd file(::open(messages.Local(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file.valid() || !HashFileContent(file.get(), record.hash).ok()) {
        return false;
    }
    return recorded == nullptr || record.hash == recorded->hash;
}

}  // namespace upload_run
