#include "upload/upload_worker.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <exception>

#include "platform/file_descriptor.h"
#include "platform/files.h"
#include "upload/ftp_profiles.h"
#include "upload/internet_errors.h"
#include "upload/remote_paths.h"
#include "upload/site_files.h"
#include "upload/upload_connect.h"
#include "upload/upload_run.h"

namespace upload_run {

UploadOutcome UploadRun::Run() {
    {
        const UniqueFd folder(::open(job.localFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!folder.valid()) {
            const int error = errno;
            Box(MessageBoxText(
                "Failed to change directory on local machine\n\nDirectory: %s\n\nReason: %s",
                job.localFolder.c_str(), ErrorCodeText(error).c_str()));
            Status("Error.");
            return UploadOutcome::Failed;
        }
    }

    Status("Getting filelist ...");
    if (!ReadSite()) {
        Status("Error.");
        return UploadOutcome::Failed;
    }
    const std::vector<std::string>& files = site.files;
    std::vector<std::int64_t> listedSizes(files.size(), 0);
    std::int64_t total = 0;
    for (std::size_t i = 0; i < files.size() && !CancelRequested(); ++i) {
        struct stat status;
        if (::stat(Local(files[i]).c_str(), &status) == 0) {
            listedSizes[i] = status.st_size;
            total += status.st_size;
        }
    }
    tally.Start(static_cast<std::int64_t>(files.size()), total);
    if (CancelRequested()) {
        Status("Canceled.");
        return UploadOutcome::Canceled;
    }

    Status(StringPrintf("Connecting to \"%s\" ...", job.host.c_str()));
    std::string failure;
    connection = connect(job, failure);
    if (!connection && !CancelRequested()) {
        Status("FTP error");
        PostErrorText(job.window, ConnectFailureText(job.host, failure, job.protocol));
    }
    if (CancelRequested() || !connection) {
        if (connection) {
            connection->Close();
        }
        return CancelRequested() ? UploadOutcome::Canceled : UploadOutcome::Failed;
    }
    connection->SetStopFlag(job.stop.get());

    if (!OpenRemoteFolder()) {
        return CancelRequested() ? Stopped() : FtpFailure();
    }
    tally.HoldSending();
    for (std::size_t i = 0; i < files.size() && !CancelRequested(); ++i) {
        const UploadOutcome outcome = CheckFile(files[i], listedSizes[i]);
        if (outcome != UploadOutcome::Finished) {
            return outcome;
        }
    }
    if (CancelRequested()) {
        return Stopped();
    }
    const UploadOutcome sent = SendAll();
    // What the server has for certain is worth keeping whatever happened next.
    SaveRecord();
    if (sent != UploadOutcome::Finished) {
        if (sent == UploadOutcome::Canceled) {
            return Stopped();
        }
        Status(HaltStatus());
        if (connection) {
            connection->Close();
        }
        return UploadOutcome::Failed;
    }
    if (!connection) {
        // The first connection was lost for good while the others sent the rest.
        std::string failure;
        connection = connect(furtherJob, failure);
        if (!connection) {
            Box(ConnectFailureText(job.host, failure, job.protocol));
            return FtpFailure();
        }
        connection->SetStopFlag(job.stop.get());
    }
    // Deleting what the site no longer has only makes sense once the site is all there.
    if (job.deleteExtra && tally.failedFiles() > 0) {
        Status("Nothing was deleted: not every file could be sent.");
    } else if (job.deleteExtra && !site.unread.empty()) {
        // What the walk did not see would look gone from the site.
        Status("Nothing was deleted: not every folder could be read.");
    } else if (job.deleteExtra) {
        const UploadOutcome outcome = DeleteExtraEntries();
        if (outcome != UploadOutcome::Finished) {
            return outcome;
        }
    }
    TimingStatus(SummaryText());
    connection->Close();
    if (!site.unread.empty()) {
        std::string folders;
        for (const SkippedEntry& unread : site.unread) {
            folders += "  " + ShownFolder(unread.path) + " (" + unread.reason + ")\n";
        }
        Box("Not every folder could be read, so the upload is not complete:\n\n" + folders +
                "\nUpload again once the folders can be read.",
            MB_OK | MB_ICONSTOP);
        Status("Error.");
        return UploadOutcome::Failed;
    }
    Status("Done.");
    return tally.failedFiles() == 0 && filesNotDeleted == 0 ? UploadOutcome::Finished
                                                            : UploadOutcome::Failed;
}

// Walks the site and says what it leaves out; false, after a box, when only the site is to
// go and there is none.
bool UploadRun::ReadSite() {
    site = WalkLocalSite(job.localFolder);
    for (const SkippedEntry& unread : site.unread) {
        Status(StringPrintf("Reading the folder \"%s\" broke off: %s",
                            ShownFolder(unread.path).c_str(), unread.reason.c_str()));
    }
    if (job.onlySite && !KeepOnlySiteFiles(site, job.localFolder, job.onlySite)) {
        Box(MessageBoxText("There is no site to upload in \"%s\": no page there was written by "
                           "Mavren.\n\nGenerate the site first, or set Upload-Whole-Folder to Yes "
                           "to upload the whole folder.",
                           job.localFolder.c_str()),
            MB_OK | MB_ICONSTOP);
        return false;
    }
    for (const SkippedEntry& skipped : site.skipped) {
        const std::string shown = ShownPath(skipped.path);
        Status(StringPrintf("Skipping \"%s\" (%s)", shown.c_str(), skipped.reason.c_str()));
        Report(UploadAction::Skip, shown);
    }
    if (!site.leftOut.empty()) {
        const bool one = site.leftOut.size() == 1;
        Status(StringPrintf(
            "Leaving out %s file%s that %s not part of the site (Upload-Whole-Folder=Yes sends "
            "the whole folder)",
            GroupedNumber(static_cast<std::int64_t>(site.leftOut.size())).c_str(), one ? "" : "s",
            one ? "is" : "are"));
        for (const std::string& path : site.leftOut) {
            Report(UploadAction::LeaveOut, ShownPath(path));
        }
    }
    return true;
}

// Changes into the job's remote folder, offering to create it. Its full path is the
// profile's folder taken from the folder the server logged in to.
bool UploadRun::OpenRemoteFolder() {
    const std::string& remote = job.remoteFolder;
    // Asked before any change of folder: later answers are checked against what was asked.
    std::string login;
    if (const Result asked = connection->GetCurrentDirectory(login); !asked.ok()) {
        if (!CancelRequested()) {
            Box(MessageBoxText("Failed to get directory on FTP server\n\nReason: %s",
                               asked.text().c_str()));
        }
        return false;
    }
    remoteRoot = RemoteFolderPath(RemoteFolderPath("/", login), remote);
    LoadRecord();
    Status(StringPrintf("Setting directory to \"%s\" ...", remote.c_str()));
    // With a record the sizes are all the check needs, and a listing of the folder by its
    // path tells that it is there too. A deletion wants the server to confirm the folder
    // (below), which takes the change into it.
    if (recordInUse && !job.deleteExtra && ListFiles(remoteRoot)) {
        return true;
    }
    if (Result entered = connection->SetCurrentDirectory(remote); !entered.ok()) {
        if (entered.kind() == Result::Kind::Refused && job.dryRun) {
            // Nothing is made in a dry run: everything would go into a new folder.
            Status(StringPrintf("\"%s\" would be created", remote.c_str()));
            remoteMissing = rootMissing = true;
            return true;
        }
        if (entered.kind() == Result::Kind::Refused && !CancelRequested() &&
            ShowMessageBox(StringPrintf("Cannot change to FTP directory \"%s\".\n\n"
                                        "Would you like to create it?",
                                        remote.c_str()),
                           MB_YESNO | MB_ICONQUESTION) == IDYES) {
            entered = CreateRemotePath(*connection, remote);
            if (entered.ok()) {
                entered = connection->SetCurrentDirectory(remoteRoot);
            }
        }
        if (!entered.ok()) {
            if (!CancelRequested()) {
                Box(MessageBoxText(
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
    if (const Result asked = connection->GetCurrentDirectory(said); !asked.ok()) {
        if (asked.kind() != Result::Kind::Refused) {
            if (!CancelRequested()) {
                Box(MessageBoxText("Failed to get directory on FTP server\n\nReason: %s",
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

// Reads the record of the last upload into this folder, unless the job ignores it.
void UploadRun::LoadRecord() {
    const MutexLock lock(mutex);
    newRecord.server = StringPrintf("%s://%s %s", FtpProtocolKey(job.protocol), job.host.c_str(),
                                    job.username.c_str());
    newRecord.folder = remoteRoot;
    recordPath = UploadRecordPath(job.profileName, newRecord.server, newRecord.folder);
    if (job.fullCheck) {
        Status(
            "Comparing every file with the server's listing, not with the record of the "
            "last upload.");
        return;
    }
    lastRecord.server = newRecord.server;
    lastRecord.folder = newRecord.folder;
    const Result loaded = LoadUploadRecord(recordPath, lastRecord);
    recordInUse = loaded.ok();
    if (!loaded.ok() && loaded.kind() != Result::Kind::NotFound) {
        Status(loaded.text() + " Every file is compared with the server's listing instead.");
    }
}

// Keeps what the server now has for certain: the files checked unchanged and the files
// sent whole. A file that was on its way when the upload ended is left out, so that the
// next upload sends it.
void UploadRun::SaveRecord() {
    const MutexLock lock(mutex);
    if (job.dryRun || recordPath.empty() || (recordInUse && newRecord.files == lastRecord.files)) {
        return;
    }
    if (const Result saved = SaveUploadRecord(recordPath, newRecord); !saved.ok()) {
        // Without it the next upload only takes longer; an old one would be wrong.
        DeleteUploadRecord(recordPath);
        Status(saved.text());
    }
}

// The percentage of the file the server has, and the overall one, at most once a second.
void UploadRun::ShowSending(const std::string& name, std::int64_t fileSize, std::int64_t sent) {
    const std::optional<UploadShown> shown = tally.SendingDue();
    if (!shown) {
        return;
    }
    Status(StringPrintf("Uploading \"%s\" - %d%%", name.c_str(), PercentDone(sent, fileSize)));
    Show(*shown);
}

// What the run did, for the closing line.
std::string UploadRun::SummaryText() const {
    UploadSummaryFacts facts;
    facts.dryRun = job.dryRun;
    facts.wouldBeDeleted = job.dryRun ? WouldBeDeletedText() : std::string();
    facts.leftOut = static_cast<std::int64_t>(site.skipped.size());
    facts.notPartOfSite = static_cast<std::int64_t>(site.leftOut.size());
    facts.foldersNotRead = static_cast<std::int64_t>(site.unread.size());
    facts.filesNotDeleted = filesNotDeleted;
    return tally.SummaryText(facts);
}

// Ends after a failure the user was told of in a box.
UploadOutcome UploadRun::FtpFailure() {
    if (connection) {
        connection->Close();
    }
    Status("FTP Error.");
    return UploadOutcome::Failed;
}

// Ends after a stop request: nothing more is reported than that the work is done.
UploadOutcome UploadRun::Stopped() {
    if (connection) {
        connection->Close();
    }
    return UploadOutcome::Canceled;
}

UploadOutcome UploadRun::Abandon(const char* reason) {
    if (connection) {
        connection->Close();
    }
    Status("Error.");
    PostErrorText(job.window, StringPrintf("Cannot complete upload.\n\n%s", reason));
    return UploadOutcome::Failed;
}

}  // namespace upload_run

UploadJob MakeUploadJob(const FtpProfile& profile, const std::string& localFolder,
                        std::shared_ptr<WorkerMessageReceiver> window) {
    UploadJob job{profile.host, profile.username,  profile.password,
                  localFolder,  profile.directory, std::move(window)};
    job.protocol = profile.protocol;
    job.region = profile.region;
    job.profileName = profile.name;
    job.passwordProblem = profile.passwordProblem;
    job.connections = profile.connections;
    job.rateLimit = profile.rateLimit;
    return job;
}

UploadOutcome RunUpload(const UploadJob& job) {
    return RunUpload(job, &ConnectForUpload);
}

UploadOutcome RunUpload(const UploadJob& job, const FtpConnector& connect) {
    const WorkDoneNotice notice(job.window);
    upload_run::UploadRun upload(job, connect);
    try {
        return upload.Run();
    } catch (const std::exception& failure) {
        return upload.Abandon(failure.what());
    }
}

Result CreateRemotePath(FtpClient& connection, const std::string& path,
                        std::vector<std::string>* made) {
    std::string remembered;
    if (Result asked = connection.GetCurrentDirectory(remembered); !asked.ok()) {
        return asked;
    }
    std::string rest = path;
    if (!rest.empty() && rest.front() == '/') {
        if (Result entered = connection.SetCurrentDirectory("/"); !entered.ok()) {
            return entered;
        }
        rest.erase(0, rest.find_first_not_of('/'));
    }
    std::string walked;
    do {
        const std::size_t separator = rest.find('/');
        const std::string piece = rest.substr(0, separator);
        rest = separator == std::string::npos ? std::string() : rest.substr(separator + 1);
        walked += (walked.empty() ? "" : "/") + piece;
        if (!connection.SetCurrentDirectory(piece).ok()) {
            if (Result created = connection.CreateDirectory(piece); !created.ok()) {
                // Another upload may have made it meanwhile ("550 File exists"): then it is
                // there to go into, though not ours.
                if (created.kind() != Result::Kind::Refused ||
                    !connection.SetCurrentDirectory(piece).ok()) {
                    return created;
                }
                continue;
            }
            if (made != nullptr) {
                made->push_back(walked);
            }
            if (Result entered = connection.SetCurrentDirectory(piece); !entered.ok()) {
                return entered;
            }
        }
    } while (!rest.empty());
    return connection.SetCurrentDirectory(remembered);
}
