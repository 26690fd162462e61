#include "upload/upload_worker.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <exception>

#include "platform/file_descriptor.h"
#include "platform/files.h"
#include "platform/format.h"
#include "upload/ftp_profiles.h"
#include "upload/internet_errors.h"
#include "upload/remote_paths.h"
#include "upload/site_files.h"
#include "upload/upload_check.h"
#include "upload/upload_connect.h"
#include "upload/upload_delete.h"
#include "upload/upload_messages.h"
#include "upload/upload_send.h"

namespace upload_run {
namespace {

// One run of the worker: it reads the site, connects, has the check find what the server
// needs (upload_check.h), the sending send it (upload_send.h), keeps the record, and has
// the deletion take away what the site no longer has (upload_delete.h). The counts and
// the texts that report them are an UploadTally (upload_tally.h).
class UploadRun {
  public:
    UploadRun(const UploadJob& job, const FtpConnector& connect)
        : job(job),
          connect(connect),
          messages(job),
          tally(job.dryRun),
          check(job, messages, tally, kept) {}

    UploadOutcome Run();
    // Ends after an unexpected failure (out of memory, say).
    UploadOutcome Abandon(const char* reason);

  private:
    bool ReadSite();
    // Reads the record of the last upload into the remote folder, unless the job ignores it.
    void LoadRecord();
    // Keeps what the server now has for certain.
    void SaveRecord();
    // Connects again when the first connection was lost for good while the others sent
    // the rest; false after a box.
    bool Reconnected();
    UploadOutcome Delete();
    std::string SummaryText() const;
    // Ends after a failure the user was told of in a box.
    UploadOutcome FtpFailure();
    // Ends after a stop request: nothing more is reported than that the work is done.
    UploadOutcome Stopped();
    void Status(const std::string& text) const { messages.Status(text); }
    bool StopRequested() const { return messages.StopRequested(); }
    // A walked folder as status lines name it: the top one by its own path.
    std::string ShownFolder(const std::string& path) const {
        return path.empty() ? job.localFolder : ShownPath(path);
    }

    const UploadJob& job;
    const FtpConnector& connect;
    const UploadMessages messages;
    UploadTally tally;
    KeptFiles kept;  // for the record this upload leaves
    UploadCheck check;
    LocalSite site;                         // what goes, and what the walk left out
    std::unique_ptr<FtpClient> connection;  // the checking one, and the first to send
    DeletionCounts deletion;

    // The record of the last upload, and the one this upload leaves, and where.
    std::string recordPath;
    UploadRecord lastRecord;
    UploadRecord nextRecord;
    bool recordInUse = false;
};

UploadOutcome UploadRun::Run() {
    {
        const UniqueFd folder(::open(job.localFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!folder.valid()) {
            const int error = errno;
            messages.Box(MessageBoxText(
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
    for (std::size_t i = 0; i < files.size() && !StopRequested(); ++i) {
        struct stat status;
        if (::stat(messages.Local(files[i]).c_str(), &status) == 0) {
            listedSizes[i] = status.st_size;
            total += status.st_size;
        }
    }
    tally.Start(static_cast<std::int64_t>(files.size()), total);
    if (StopRequested()) {
        Status("Canceled.");
        return UploadOutcome::Canceled;
    }

    Status(StringPrintf("Connecting to \"%s\" ...", job.host.c_str()));
    Expected<std::unique_ptr<FtpClient>> connected = connect(job);
    if (connected.ok()) {
        connection = std::move(*connected);
    } else if (!StopRequested()) {
        Status("FTP error");
        PostErrorText(job.window,
                      ConnectFailureText(job.host, connected.failure().text(), job.protocol));
    }
    if (StopRequested() || !connection) {
        if (connection) {
            connection->Close();
        }
        return StopRequested() ? UploadOutcome::Canceled : UploadOutcome::Failed;
    }
    connection->SetStopFlag(job.stop.get());

    if (!check.FindRemoteRoot(*connection)) {
        return StopRequested() ? Stopped() : FtpFailure();
    }
    LoadRecord();
    if (!check.OpenRemoteFolder(*connection, recordInUse ? &lastRecord : nullptr)) {
        return StopRequested() ? Stopped() : FtpFailure();
    }
    tally.HoldSending();
    for (std::size_t i = 0; i < files.size() && !StopRequested(); ++i) {
        if (!check.CheckFile(*connection, files[i], listedSizes[i])) {
            return StopRequested() ? Stopped() : FtpFailure();
        }
    }
    if (StopRequested()) {
        return Stopped();
    }
    UploadSending sending(job, connect, messages, tally, kept, check.RemoteRoot());
    const UploadOutcome sent = sending.SendAll(std::move(check.Found()), connection);
    // What the server has for certain is worth keeping whatever happened next.
    SaveRecord();
    if (sent != UploadOutcome::Finished) {
        if (sent == UploadOutcome::Canceled) {
            return Stopped();
        }
        Status(sending.HaltStatus());
        if (connection) {
            connection->Close();
        }
        return UploadOutcome::Failed;
    }
    if (!Reconnected()) {
        return FtpFailure();
    }
    // Deleting what the site no longer has only makes sense once the site is all there.
    if (job.deleteExtra && tally.failedFiles() > 0) {
        Status("Nothing was deleted: not every file could be sent.");
    } else if (job.deleteExtra && !site.unread.empty()) {
        // What the walk did not see would look gone from the site.
        Status("Nothing was deleted: not every folder could be read.");
    } else if (job.deleteExtra && !check.RootMissing()) {
        const UploadOutcome deleted = Delete();
        if (deleted != UploadOutcome::Finished) {
            return deleted == UploadOutcome::Canceled ? Stopped() : FtpFailure();
        }
    }
    messages.Timing(SummaryText());
    connection->Close();
    if (!site.unread.empty()) {
        std::string folders;
        for (const SkippedEntry& unread : site.unread) {
            folders += "  " + ShownFolder(unread.path) + " (" + unread.reason + ")\n";
        }
        messages.Box("Not every folder could be read, so the upload is not complete:\n\n" +
                         folders + "\nUpload again once the folders can be read.",
                     MB_OK | MB_ICONSTOP);
        Status("Error.");
        return UploadOutcome::Failed;
    }
    Status("Done.");
    return tally.failedFiles() == 0 && deletion.filesNotDeleted == 0 ? UploadOutcome::Finished
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
        messages.Box(
            MessageBoxText("There is no site to upload in \"%s\": no page there was written by "
                           "Mavren.\n\nGenerate the site first, or set Upload-Whole-Folder to Yes "
                           "to upload the whole folder.",
                           job.localFolder.c_str()),
            MB_OK | MB_ICONSTOP);
        return false;
    }
    for (const SkippedEntry& skipped : site.skipped) {
        const std::string shown = ShownPath(skipped.path);
        Status(StringPrintf("Skipping \"%s\" (%s)", shown.c_str(), skipped.reason.c_str()));
        messages.Report(UploadAction::Skip, shown);
    }
    if (!site.leftOut.empty()) {
        const bool one = site.leftOut.size() == 1;
        Status(StringPrintf(
            "Leaving out %s file%s that %s not part of the site (Upload-Whole-Folder=Yes sends "
            "the whole folder)",
            GroupedNumber(static_cast<std::int64_t>(site.leftOut.size())).c_str(), one ? "" : "s",
            one ? "is" : "are"));
        for (const std::string& path : site.leftOut) {
            messages.Report(UploadAction::LeaveOut, ShownPath(path));
        }
    }
    return true;
}

void UploadRun::LoadRecord() {
    nextRecord.server = StringPrintf("%s://%s %s", FtpProtocolKey(job.protocol), job.host.c_str(),
                                     job.username.c_str());
    nextRecord.folder = check.RemoteRoot();
    recordPath = UploadRecordPath(job.profileName, nextRecord.server, nextRecord.folder);
    if (job.fullCheck) {
        Status(
            "Comparing every file with the server's listing, not with the record of the "
            "last upload.");
        return;
    }
    lastRecord.server = nextRecord.server;
    lastRecord.folder = nextRecord.folder;
    const Result loaded = LoadUploadRecord(recordPath, lastRecord);
    recordInUse = loaded.ok();
    if (!loaded.ok() && loaded.kind() != Result::Kind::NotFound) {
        Status(loaded.text() + " Every file is compared with the server's listing instead.");
    }
}

// A file that was on its way when the upload ended is not kept, so the next upload sends it.
void UploadRun::SaveRecord() {
    nextRecord.files = kept.Files();
    if (job.dryRun || recordPath.empty() || (recordInUse && nextRecord.files == lastRecord.files)) {
        return;
    }
    if (const Result saved = SaveUploadRecord(recordPath, nextRecord); !saved.ok()) {
        // Without it the next upload only takes longer; an old one would be wrong.
        DeleteUploadRecord(recordPath);
        Status(saved.text());
    }
}

bool UploadRun::Reconnected() {
    if (connection) {
        return true;
    }
    UploadJob furtherJob = job;
    furtherJob.furtherConnection = true;
    Expected<std::unique_ptr<FtpClient>> connected = connect(furtherJob);
    if (!connected.ok()) {
        messages.Box(ConnectFailureText(job.host, connected.failure().text(), job.protocol));
        return false;
    }
    connection = std::move(*connected);
    connection->SetStopFlag(job.stop.get());
    return true;
}

UploadOutcome UploadRun::Delete() {
    UploadDeletion deleter(job, messages, MirrorScope{check.RemoteRoot(), check.MadeFolders()},
                           check.FolderDoubt());
    const UploadOutcome outcome = deleter.Run(*connection, site);
    deletion = deleter.Counts();
    return outcome;
}

// What the run did, for the closing line.
std::string UploadRun::SummaryText() const {
    UploadSummaryFacts facts;
    facts.dryRun = job.dryRun;
    facts.wouldBeDeleted = job.dryRun ? WouldBeDeletedText(deletion) : std::string();
    facts.leftOut = static_cast<std::int64_t>(site.skipped.size());
    facts.notPartOfSite = static_cast<std::int64_t>(site.leftOut.size());
    facts.foldersNotRead = static_cast<std::int64_t>(site.unread.size());
    facts.filesNotDeleted = deletion.filesNotDeleted;
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
    messages.Box(StringPrintf("Cannot complete upload.\n\n%s", reason));
    return UploadOutcome::Failed;
}

}  // namespace
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
