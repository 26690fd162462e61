#include <fcntl.h>
#include <sys/stat.h>

#include "platform/file_descriptor.h"
#include "platform/files.h"
#include "upload/internet_errors.h"
#include "upload/remote_paths.h"
#include "upload/upload_run.h"

namespace upload_run {

// Makes the remote twin of a local subfolder ("" for the local folder itself) current,
// making it (and every missing level) when it is not there.
bool UploadRun::EnterSubfolder(const std::string& folder) {
    if (folder == currentFolder || rootMissing) {
        return true;
    }
    currentFolder = folder;
    remoteMissing = false;
    folderFiles.reset();
    if (!folder.empty()) {
        Status(StringPrintf("Setting directory to \"%s\" ...", folder.c_str()));
    }
    const std::string target = RemoteFolderPath(remoteRoot, folder);
    // Object storage lists each file's time to the second: its listing serves a full
    // check too, where FTP's (to the minute, or the day) would not.
    if ((recordInUse || IsObjectStorage(job.protocol)) && ListFiles(target)) {
        return true;
    }
    Result entered = connection->SetCurrentDirectory(target);
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
        entered = connection->SetCurrentDirectory(remoteRoot);
        if (entered.ok()) {
            entered = CreateRemotePath(*connection, folder, &made);
        }
        madeFolders.insert(made.begin(), made.end());
        if (entered.ok()) {
            entered = connection->SetCurrentDirectory(target);
        }
    }
    if (!entered.ok()) {
        if (!CancelRequested()) {
            Box(MessageBoxText(
                "Failed to change directory on FTP server\n\nDirectory: %s\n\nReason %s",
                folder.empty() ? remoteRoot.c_str() : folder.c_str(), entered.text().c_str()));
        }
        return false;
    }
    return true;
}

bool UploadRun::ListFiles(const std::string& target) {
    folderFiles.reset();
    std::vector<RemoteEntry> entries;
    if (!connection->ListFolderAt(target, entries).ok()) {
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

// Finds out whether the server needs the file, making its folder on the way; Finished to
// go on with the next. A file to send joins outgoing.
UploadOutcome UploadRun::CheckFile(const std::string& path, std::int64_t listedSize) {
    const std::string name = PathFileName(path);
    if (!EnterSubfolder(PathFolder(path))) {
        return CancelRequested() ? Stopped() : FtpFailure();
    }
    struct stat local;
    if (::stat(Local(path).c_str(), &local) != 0) {
        Status(StringPrintf("Skipping \"%s\" (%s)", name.c_str(), ErrorCodeText(errno).c_str()));
        CountFile(listedSize, FileEnd::Passed);
        return UploadOutcome::Finished;
    }
    if (!S_ISREG(local.st_mode)) {
        // A pipe or a device would never end.
        Status(StringPrintf("Skipping \"%s\" (not a regular file)", name.c_str()));
        CountFile(listedSize, FileEnd::Passed);
        return UploadOutcome::Finished;
    }
    const std::int64_t size = local.st_size;
    if (size != listedSize) {
        // Changed since the sizes were summed: the totals follow the file as it is now.
        tally.Resize(listedSize, size);
    }

    Status(StringPrintf("Checking \"%s\" ...", name.c_str()));
    RemoteFileStatus remote;
    bool found = false;
    if (folderFiles) {
        const auto listed = folderFiles->find(name);
        found = listed != folderFiles->end();
        remote = found ? listed->second : RemoteFileStatus{};
    } else {
        // A server that could not say is taken not to have the file, which is then sent.
        found = !remoteMissing && connection->FindFile(name, remote, found).ok() && found;
    }
    RecordedFile kept;
    if (Unchanged(path, local, found ? &remote : nullptr, kept)) {
        Status(StringPrintf("Skipping \"%s\" (%s)", name.c_str(),
                            recordInUse ? "unchanged since the last upload"
                                        : "sizes and modification times match"));
        Report(UploadAction::Skip, path);
        {
            const MutexLock lock(mutex);
            newRecord.files[path] = std::move(kept);
        }
        CountFile(size, FileEnd::Unchanged);
        return UploadOutcome::Finished;
    }
    if (CancelRequested()) {
        return Stopped();
    }
    if (job.dryRun) {
        Report(UploadAction::Send, path, size);
        CountFile(size, FileEnd::Sent);
        return UploadOutcome::Finished;
    }
    outgoing.push_back(Outgoing{path, size, found, remote});
    return UploadOutcome::Finished;
}

bool UploadRun::Unchanged(const std::string& path, const struct stat& local,
                          const RemoteFileStatus* remote, RecordedFile& kept) {
    const std::int64_t size = local.st_size;
    const RecordedFile* recorded = nullptr;
    kept.size = size;
    kept.modified = ModifiedNanoseconds(local);
    if (remote == nullptr || remote->size != size) {
        return false;
    }
    if (recordInUse) {
        // The server's clock plays no part: what was sent is known, and the listing's size
        // tells whether the server's copy is still that.
        const auto found = lastRecord.files.find(path);
        if (found == lastRecord.files.end() || found->second.size != size) {
            return false;
        }
        recorded = &found->second;
        if (recorded->modified == kept.modified && !recorded->hash.empty()) {
            kept.hash = recorded->hash;
            return true;
        }
    } else if (remote->lastWriteTime < 0 || local.st_mtim.tv_sec > remote->lastWriteTime) {
        return false;
    }
    // Written again since (a page generated anew), or first seen: the content decides, and
    // the next record remembers it.
    const UniqueFd file(::open(Local(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file.valid() || !HashFileContent(file.get(), kept.hash).ok()) {
        return false;
    }
    return recorded == nullptr || kept.hash == recorded->hash;
}

}  // namespace upload_run
