#include "upload/upload_worker.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <exception>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/file_descriptor.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "upload/content_hash.h"
#include "upload/ftp_profiles.h"
#include "upload/internet_errors.h"
#include "upload/rate_limiter.h"
#include "upload/remote_paths.h"
#include "upload/sent_files_check.h"
#include "upload/server_copy_check.h"
#include "upload/upload_connect.h"
#include "upload/upload_mirror.h"
#include "upload/upload_record.h"
#include "upload/upload_walk.h"
#include "work/progress_pacing.h"
#include "work/progress_tracker.h"

namespace {

// Larger than the classic 1 KiB for speed; a stop request is seen while a block is on its
// way too, so the size does not delay a stop.
constexpr std::size_t kBlockSize = 512 * 1024;
// A server's or libcurl's message is cut to this length in the boxes.
constexpr std::size_t kMessageLimit = 259;
// A file whose connection was lost is tried this many times more, on a fresh one.
constexpr int kRetries = 3;
// Only a file larger than this goes on where a cut transfer left it; a smaller one is
// sent whole again, which costs about what asking for its size does.
constexpr std::int64_t kResumeAbove = 1024 * 1024;

std::string Cut(const std::string& text) {
    return text.substr(0, kMessageLimit);
}

std::int64_t ModifiedNanoseconds(const struct stat& status) {
    return static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
}

// A server that refused the login (FTP's 530, SSH's authentication) refuses it again.
bool LoginRefused(const std::string& failure) {
    return failure.rfind("530", 0) == 0 || failure.find("Login denied") != std::string::npos ||
           failure.find("uthentication fail") != std::string::npos;
}

// A file the server needs, found by the check, with what the server had of it then.
struct Outgoing {
    std::string path;
    std::int64_t size = 0;
    bool existed = false;
    RemoteFileStatus before = {};
    int tries = 0;  // tries again it had before
};

// The local file as an attempt opened it: one written to since, or replaced, differs.
struct LocalFileState {
    dev_t device = 0;
    ino_t inode = 0;
    std::int64_t size = -1;
    std::int64_t modified = -1;  // nanoseconds
    std::int64_t changed = -1;   // the status change, which no one can set back

    static LocalFileState Of(const struct stat& status) {
        return {
            status.st_dev, status.st_ino, status.st_size, ModifiedNanoseconds(status),
            static_cast<std::int64_t>(status.st_ctim.tv_sec) * 1000000000 + status.st_ctim.tv_nsec};
    }
    bool operator==(const LocalFileState&) const = default;
};

// One file on its way, over all its attempts.
struct Sending {
    std::int64_t from = 0;     // where the next attempt starts
    std::int64_t counted = 0;  // bytes of the file the tracker has
    std::int64_t reached = 0;  // the most bytes of it this upload handed to the server
    bool reported = false;
    int tries = 0;  // tries again so far
    // The file as the attempts that reached the server's copy sent it: a resumed sending goes
    // on only while the file is still this one.
    std::optional<LocalFileState> sent;
};

// One connection of the sending, and what belongs to it alone.
struct Lane {
    std::unique_ptr<FtpClient> connection;
    std::string folder = std::string(1, '\0');  // local subfolder whose twin is current; none
    std::vector<char> buffer;
    std::string lost;  // why its last attempt lost the connection
};

// A file sent whole whose copy on the server is still to be checked, and what the record
// keeps of it once it is.
struct SentWhole {
    Outgoing file;
    RecordedFile record;
};

// How one attempt at sending a file ended.
enum class Attempt {
    Sent,      // the server has it whole
    Refused,   // the server refused it, or the local file went: the others go on
    Lost,      // the connection dropped or timed out: worth another try
    Mismatch,  // the server kept other bytes than were sent: it goes again whole
    Changed,   // the local file changed while it was sent: it goes again whole
    Failed,    // the user was told in a box; the upload ends
    Stopped,   // a stop was asked for
};

// One run of the worker. The local files are addressed below the job's folder, never
// through the process's current folder, which other threads rely on.
//
// It checks every file on one connection first (making the missing folders on the way),
// then sends what the server needs over up to job.connections connections at once, each
// on a thread of its own but the first, which is the checking one. What the sending
// threads share is guarded by mutex; boxes are shown one at a time.
class Upload {
  public:
    Upload(const UploadJob& job, const FtpConnector& connect)
        : job(job), furtherJob(job), connect(connect), limiter(job.rateLimit) {
        furtherJob.furtherConnection = true;
    }

    UploadOutcome Run();
    // Ends after an unexpected failure (out of memory, say).
    UploadOutcome Abandon(const char* reason);

  private:
    bool OpenRemoteFolder();
    void LoadRecord();
    void SaveRecord();
    bool EnterSubfolder(const std::string& folder);
    // Lists the files of the remote folder at the full path target into folderFiles;
    // false (and folderFiles empty) when that cannot be done.
    bool ListFiles(const std::string& target);
    UploadOutcome CheckFile(const std::string& path, std::int64_t listedSize);
    // True when the server's copy of path is the local file, by the record where there is
    // one and by the listing's size and time otherwise; kept gets what the next record
    // holds of the file.
    bool Unchanged(const std::string& path, const struct stat& local,
                   const RemoteFileStatus* remote, RecordedFile& kept);
    // Sends what the check found, then checks what the server kept of it, sending again
    // whole what it did not keep, until all is there or a file went too often.
    UploadOutcome SendAll();
    UploadOutcome SendOutgoing();
    // Checks the files sent whole since the last check; those to go again become outgoing.
    UploadOutcome CheckSentWhole();
    void RunLane(Lane& lane, bool own);
    UploadOutcome SendWithRetries(Lane& lane, const Outgoing& file);
    // Where the next attempt at a cut file starts: where the server's copy ends when that
    // copy is the part this upload sent of the file as it still is, else 0.
    std::int64_t ResumePoint(Lane& lane, const Outgoing& file, Sending& sending);
    Attempt SendOnce(Lane& lane, const Outgoing& file, Sending& sending);
    Attempt CopyBlocks(Lane& lane, FtpRemoteFile& remoteFile, const Outgoing& file, int fd,
                       Sending& sending, ContentHash& hash, std::int64_t& end);
    // After the server confirmed a file whose sending went on where a cut one ended: Sent
    // when its copy has the size sent and ends as the file does.
    Attempt CheckResumed(Lane& lane, const Outgoing& file, int fd, std::int64_t end);
    // Why the connection failed, as an attempt's end: Lost for the connection itself,
    // Failed (after a box that says what failed on name, and the server's reply) for a
    // server's refusal.
    Attempt Broken(Lane& lane, const Result& failure, const char* what, const std::string& name);
    Result EnterLaneFolder(Lane& lane, const std::string& folder);
    bool Reconnect(Lane& lane, std::string& failure);
    void SayFewerConnections(const std::string& failure);
    void Halt(UploadOutcome outcome, const char* status);
    UploadOutcome DeleteExtraEntries();
    // Why deleting files would go past the job's limit ("more than 50 files"); empty when not.
    std::string OverLimit(std::int64_t files, std::int64_t listed) const;
    // Asks before deleting the extras (or refuses above the limit); true to go ahead.
    bool ConfirmDeletion(const std::vector<RemoteExtra>& extras, std::int64_t files,
                         const std::string& over);
    // Counts a file as done; sent tells whether its bytes went to the server, kind (when
    // given) is the count of its kind of files, one more.
    void CountFile(std::int64_t size, bool sent, std::int64_t* kind = nullptr);
    // Counts bytes of a file as on the server (fewer again after a lost connection).
    void CountBytes(std::int64_t amount);
    // Takes back the count of a file sent whole that goes again.
    void Uncount(std::int64_t size);
    void ShowSending(const std::string& name, std::int64_t fileSize, std::int64_t sent);
    // "12 files (1,200,000 bytes) left - 300 bytes in 2 seconds - 5 seconds remaining".
    std::string TimingText() const;
    std::string SummaryText() const;
    UploadOutcome FtpFailure();
    UploadOutcome Stopped();
    // A failure or notice for the window to show; the upload does not wait for it.
    void Box(const std::string& text, unsigned flags = MB_OK) {
        PostErrorText(job.window, text, flags);
    }
    void Report(UploadAction action, const std::string& path, std::int64_t bytes = 0) const {
        if (job.report) {
            const std::lock_guard<std::mutex> lock(reportMutex);
            job.report(action, path, bytes);
        }
    }

    bool CancelRequested() const { return IsStopRequested(job.stop); }
    void Status(const std::string& text) { PostStatusText(job.window, text); }
    void TimingStatus(const std::string& text) { PostTimingText(job.window, text); }
    std::string Local(const std::string& path) const { return JoinPath(job.localFolder, path); }

    const UploadJob& job;
    UploadJob furtherJob;  // for the connections after the first
    const FtpConnector& connect;
    LocalSite site;                         // what goes, and what the walk left out
    std::unique_ptr<FtpClient> connection;  // the checking one, and the first to send
    std::string remoteRoot;   // absolute: the profile's folder taken from the login folder
    std::string folderDoubt;  // what the server said instead of naming remoteRoot
    std::set<std::string> madeFolders;  // subfolders this upload made, relative
    std::int64_t filesNotDeleted = 0;   // above the limit of a deletion
    std::string currentFolder;          // relative local subfolder whose remote twin is current
    bool remoteMissing = false;         // dry run: the remote folder (or subfolder) is not there
    // The files of the current folder by one listing of it, when one was made.
    std::optional<std::map<std::string, RemoteFileStatus>> folderFiles;
    bool rootMissing = false;  // dry run: the profile's folder itself is not there

    // The record of the last upload, and the one this upload leaves.
    std::string recordPath;
    UploadRecord lastRecord;
    bool recordInUse = false;
    UploadRecord newRecord;

    std::vector<Outgoing> outgoing;    // what the check found to send
    std::vector<SentWhole> sentWhole;  // under mutex
    std::atomic<std::size_t> nextOutgoing{0};
    RateLimiter limiter;
    std::atomic<bool> halted{false};  // a sending thread failed or saw a stop: all end
    std::once_flag fewerConnectionsSaid;

    // Shared by the sending threads, under mutex.
    mutable std::mutex mutex;
    ProgressTracker tracker;  // counts the bytes sent; files left as they were drop out
    std::int64_t total = 0;
    std::int64_t bytesDone = 0;      // of files sent or left as they were
    std::int64_t bytesOnTheWay = 0;  // of files being sent
    std::int64_t filesDone = 0;
    std::int64_t unchangedFiles = 0;
    std::int64_t sentFiles = 0;
    std::int64_t failedFiles = 0;
    UploadOutcome haltOutcome = UploadOutcome::Finished;
    const char* haltStatus = "FTP Error.";
    StatusPacer sendingPacer;  // the percentages while files are on their way

    mutable std::mutex reportMutex;
};

UploadOutcome Upload::Run() {
    {
        const UniqueFd folder(::open(job.localFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!folder.valid()) {
            const int error = errno;
            Box(MessageBoxText(
                "Failed to change directory on local machine\n\nDirectory: %s\n\nReason: %s",
                job.localFolder.c_str(), ErrorCodeText(error).c_str()));
            Status("Error.");
            PostWorkDone(job.window);
            return UploadOutcome::Failed;
        }
    }

    Status("Getting filelist ...");
    site = WalkLocalSite(job.localFolder);
    for (const SkippedEntry& skipped : site.skipped) {
        const std::string shown = ShownPath(skipped.path);
        Status(StringPrintf("Skipping \"%s\" (%s)", shown.c_str(), skipped.reason.c_str()));
        Report(UploadAction::Skip, shown);
    }
    const std::vector<std::string>& files = site.files;
    std::vector<std::int64_t> listedSizes(files.size(), 0);
    for (std::size_t i = 0; i < files.size() && !CancelRequested(); ++i) {
        struct stat status;
        if (::stat(Local(files[i]).c_str(), &status) == 0) {
            listedSizes[i] = status.st_size;
            total += status.st_size;
        }
    }
    tracker.Start("byte", total);
    if (CancelRequested()) {
        Status("Canceled.");
        PostWorkDone(job.window);
        return UploadOutcome::Canceled;
    }

    Status(StringPrintf("Connecting to \"%s\" ...", job.host.c_str()));
    std::string failure;
    connection = connect(job, failure);
    if (!connection && !CancelRequested()) {
        Status("FTP error");
        PostErrorText(job.window,
                      StringPrintf("Failed to open FTP connection to \"%s\"\n\nReason: %s",
                                   job.host.c_str(), Cut(failure).c_str()));
    }
    if (CancelRequested() || !connection) {
        if (connection) {
            connection->Close();
        }
        PostWorkDone(job.window);
        return CancelRequested() ? UploadOutcome::Canceled : UploadOutcome::Failed;
    }
    connection->SetStopFlag(job.stop.get());

    if (!OpenRemoteFolder()) {
        return CancelRequested() ? Stopped() : FtpFailure();
    }
    sendingPacer.Hold();
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
        Status(haltStatus);
        if (connection) {
            connection->Close();
        }
        PostWorkDone(job.window);
        return UploadOutcome::Failed;
    }
    if (!connection) {
        // The first connection was lost for good while the others sent the rest.
        std::string failure;
        connection = connect(furtherJob, failure);
        if (!connection) {
            Box(MessageBoxText("Failed to open FTP connection to \"%s\"\n\nReason: %s",
                               job.host.c_str(), Cut(failure).c_str()));
            return FtpFailure();
        }
        connection->SetStopFlag(job.stop.get());
    }
    // Deleting what the site no longer has only makes sense once the site is all there.
    if (job.deleteExtra && failedFiles > 0) {
        Status("Nothing was deleted: not every file could be sent.");
    } else if (job.deleteExtra) {
        const UploadOutcome outcome = DeleteExtraEntries();
        if (outcome != UploadOutcome::Finished) {
            return outcome;
        }
    }
    TimingStatus(SummaryText());
    connection->Close();
    Status("Done.");
    PostWorkDone(job.window);
    return failedFiles == 0 && filesNotDeleted == 0 ? UploadOutcome::Finished
                                                    : UploadOutcome::Failed;
}

// Changes into the job's remote folder, offering to create it. Its full path is the
// profile's folder taken from the folder the server logged in to.
bool Upload::OpenRemoteFolder() {
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
        if (entered.error() == ERROR_INTERNET_EXTENDED_ERROR && job.dryRun) {
            // Nothing is made in a dry run: everything would go into a new folder.
            Status(StringPrintf("\"%s\" would be created", remote.c_str()));
            remoteMissing = rootMissing = true;
            return true;
        }
        if (entered.error() == ERROR_INTERNET_EXTENDED_ERROR && !CancelRequested() &&
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
        if (asked.error() != ERROR_INTERNET_EXTENDED_ERROR) {
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
void Upload::LoadRecord() {
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
    std::string problem;
    recordInUse = LoadUploadRecord(recordPath, lastRecord, problem);
    if (!problem.empty()) {
        Status(problem + " Every file is compared with the server's listing instead.");
    }
}

// Keeps what the server now has for certain: the files checked unchanged and the files
// sent whole. A file that was on its way when the upload ended is left out, so that the
// next upload sends it.
void Upload::SaveRecord() {
    if (job.dryRun || recordPath.empty() || (recordInUse && newRecord.files == lastRecord.files)) {
        return;
    }
    std::string problem;
    if (!SaveUploadRecord(recordPath, newRecord, problem)) {
        // Without it the next upload only takes longer; an old one would be wrong.
        DeleteUploadRecord(recordPath);
        Status(problem);
    }
}

// Makes the remote twin of a local subfolder ("" for the local folder itself) current,
// making it (and every missing level) when it is not there.
bool Upload::EnterSubfolder(const std::string& folder) {
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
    if (recordInUse && ListFiles(target)) {
        return true;
    }
    Result entered = connection->SetCurrentDirectory(target);
    if (entered.ok()) {
        return true;
    }
    if (entered.error() == ERROR_INTERNET_EXTENDED_ERROR && job.dryRun) {
        // Nothing is made in a dry run: a missing folder means all of its files would go.
        remoteMissing = true;
        return true;
    }
    if (entered.error() == ERROR_INTERNET_EXTENDED_ERROR && !folder.empty()) {
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

bool Upload::ListFiles(const std::string& target) {
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
UploadOutcome Upload::CheckFile(const std::string& path, std::int64_t listedSize) {
    const std::string name = PathFileName(path);
    if (!EnterSubfolder(PathFolder(path))) {
        return CancelRequested() ? Stopped() : FtpFailure();
    }
    struct stat local;
    if (::stat(Local(path).c_str(), &local) != 0) {
        Status(StringPrintf("Skipping \"%s\" (%s)", name.c_str(), ErrorCodeText(errno).c_str()));
        CountFile(listedSize, false);
        return UploadOutcome::Finished;
    }
    if (!S_ISREG(local.st_mode)) {
        // A pipe or a device would never end.
        Status(StringPrintf("Skipping \"%s\" (not a regular file)", name.c_str()));
        CountFile(listedSize, false);
        return UploadOutcome::Finished;
    }
    const std::int64_t size = local.st_size;
    if (size != listedSize) {
        // Changed since the sizes were summed: the totals follow the file as it is now.
        const std::lock_guard<std::mutex> lock(mutex);
        total += size - listedSize;
        tracker.total += size - listedSize;
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
        newRecord.files[path] = std::move(kept);
        CountFile(size, false, &unchangedFiles);
        return UploadOutcome::Finished;
    }
    if (CancelRequested()) {
        return Stopped();
    }
    if (job.dryRun) {
        Report(UploadAction::Send, path, size);
        CountFile(size, true, &sentFiles);
        return UploadOutcome::Finished;
    }
    outgoing.push_back(Outgoing{path, size, found, remote});
    return UploadOutcome::Finished;
}

bool Upload::Unchanged(const std::string& path, const struct stat& local,
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
    if (!file.valid() || !HashFileContent(file.get(), kept.hash)) {
        return false;
    }
    return recorded == nullptr || kept.hash == recorded->hash;
}

UploadOutcome Upload::SendAll() {
    for (;;) {
        if (const UploadOutcome sent = SendOutgoing(); sent != UploadOutcome::Finished) {
            return sent;
        }
        if (sentWhole.empty()) {
            return UploadOutcome::Finished;
        }
        const UploadOutcome checked = CheckSentWhole();
        if (checked != UploadOutcome::Finished || outgoing.empty()) {
            return checked;
        }
    }
}

UploadOutcome Upload::CheckSentWhole() {
    std::vector<SentWhole> checking = std::move(sentWhole);
    sentWhole.clear();
    outgoing.clear();
    nextOutgoing = 0;
    if (!connection) {
        // The first connection was lost for good while the others sent the rest.
        std::string failure;
        connection = connect(furtherJob, failure);
        if (!connection) {
            if (!CancelRequested()) {
                Box(MessageBoxText("Failed to open FTP connection to \"%s\"\n\nReason: %s",
                                   job.host.c_str(), Cut(failure).c_str()));
            }
            return CancelRequested() ? UploadOutcome::Canceled : UploadOutcome::Failed;
        }
        connection->SetStopFlag(job.stop.get());
    }
    Status("Checking what the server kept ...");
    std::vector<SentFile> files;
    for (const SentWhole& sent : checking) {
        files.push_back({sent.file.path, sent.record.size});
    }
    SentFileFindings findings;
    const Result checked = CheckSentFiles(*connection, remoteRoot, files, findings);
    currentFolder = std::string(1, '\0');  // the check may leave the server anywhere
    if (!checked.ok()) {
        if (CancelRequested()) {
            return UploadOutcome::Canceled;
        }
        // Unchecked files do not enter the record: the next upload sends them again.
        Box(MessageBoxText("Failed to check the files sent to the FTP server\n\nReason: %s",
                           Cut(checked.text()).c_str()));
        return UploadOutcome::Failed;
    }
    int pause = 0;
    for (std::size_t i = 0; i < checking.size(); ++i) {
        Outgoing& file = checking[i].file;
        const std::string name = PathFileName(file.path);
        if (findings[i].empty()) {
            newRecord.files[file.path] = std::move(checking[i].record);
            continue;
        }
        if (++file.tries > kRetries) {
            Box(StringPrintf("Failed to write FTP file \"%s\":\n\n%s", name.c_str(),
                             Cut(findings[i]).c_str()));
            return UploadOutcome::Failed;
        }
        Uncount(file.size);
        const int wait = 1 << (file.tries - 1);
        Status(StringPrintf("Trying \"%s\" again (%d of %d) in %d second%s: %s", name.c_str(),
                            file.tries, kRetries, wait, wait == 1 ? "" : "s",
                            Cut(findings[i]).c_str()));
        pause = std::max(pause, wait);
        outgoing.push_back(std::move(file));
    }
    for (int tenth = 0; tenth < pause * 10; ++tenth) {
        if (CancelRequested()) {
            return UploadOutcome::Canceled;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return UploadOutcome::Finished;
}

// Sends what the check found over up to job.connections connections at once.
UploadOutcome Upload::SendOutgoing() {
    if (outgoing.empty()) {
        return UploadOutcome::Finished;
    }
    const int wanted = std::clamp(job.connections, 1, kMaxUploadConnections);
    const auto count = std::min<std::size_t>(static_cast<std::size_t>(wanted), outgoing.size());
    std::vector<Lane> lanes(count);
    lanes[0].connection = std::move(connection);
    std::vector<std::thread> threads;
    threads.reserve(count - 1);
    for (std::size_t i = 1; i < count; ++i) {
        try {
            threads.emplace_back([this, &lanes, i] { RunLane(lanes[i], true); });
        } catch (const std::system_error&) {
            break;  // the system gives no more threads: the ones started do the work
        }
    }
    RunLane(lanes[0], false);
    for (std::thread& thread : threads) {
        thread.join();
    }
    connection = std::move(lanes[0].connection);
    if (CancelRequested()) {
        return UploadOutcome::Canceled;
    }
    const std::lock_guard<std::mutex> lock(mutex);
    return haltOutcome;
}

// Sends files from outgoing until none is left or the upload ends. own: the lane opens
// (and closes) a connection of its own, on its own thread.
void Upload::RunLane(Lane& lane, bool own) {
    try {
        if (own) {
            std::string failure;
            lane.connection = connect(furtherJob, failure);
            if (!lane.connection) {
                if (!CancelRequested()) {
                    SayFewerConnections(failure);
                }
                return;
            }
            lane.connection->SetStopFlag(job.stop.get());
        }
        lane.buffer.resize(limiter.BlockSize(kBlockSize));
        while (!CancelRequested() && !halted.load()) {
            const std::size_t next = nextOutgoing.fetch_add(1);
            if (next >= outgoing.size()) {
                break;
            }
            const UploadOutcome outcome = SendWithRetries(lane, outgoing[next]);
            if (outcome != UploadOutcome::Finished) {
                Halt(outcome, "FTP Error.");
                break;
            }
        }
    } catch (const std::exception& failure) {
        PostErrorText(job.window, StringPrintf("Cannot complete upload.\n\n%s", failure.what()));
        Halt(UploadOutcome::Failed, "Error.");
    }
    if (own && lane.connection) {
        lane.connection->Close();
        lane.connection.reset();  // on the thread it belongs to
    }
}

void Upload::Halt(UploadOutcome outcome, const char* status) {
    const std::lock_guard<std::mutex> lock(mutex);
    if (!halted.exchange(true)) {
        haltOutcome = outcome;
        haltStatus = status;
    }
}

// A server that takes fewer connections than asked for (421 "Too many connections")
// leaves the upload to the ones it took: said once.
void Upload::SayFewerConnections(const std::string& failure) {
    std::call_once(fewerConnectionsSaid, [&] {
        Status(
            StringPrintf("The server refused another connection (%s); going on with the "
                         "connections it took.",
                         Cut(failure).c_str()));
    });
}

UploadOutcome Upload::SendWithRetries(Lane& lane, const Outgoing& file) {
    const std::string name = PathFileName(file.path);
    Sending sending;
    std::string reason;     // why the last attempt failed
    bool connected = true;  // the last attempt had a connection
    for (int retry = file.tries + 1;; ++retry) {
        sending.tries = retry - 1;
        const Attempt attempt = SendOnce(lane, file, sending);
        switch (attempt) {
            case Attempt::Sent:
            case Attempt::Refused:
                return UploadOutcome::Finished;
            case Attempt::Stopped:
                return UploadOutcome::Canceled;
            case Attempt::Failed:
                return UploadOutcome::Failed;
            case Attempt::Lost:
            case Attempt::Mismatch:
            case Attempt::Changed:
                break;
        }
        if (connected || attempt != Attempt::Lost) {
            reason = lane.lost;
        }
        if (retry > kRetries) {
            if (attempt == Attempt::Changed) {
                // Not the server's fault: the others go on, and the next upload sends it.
                Status(
                    StringPrintf("\"%s\" kept changing while it was sent; the next upload "
                                 "sends it.",
                                 name.c_str()));
                CountBytes(-sending.counted);
                CountFile(file.size, false, &failedFiles);
                return UploadOutcome::Finished;
            }
            Box(StringPrintf("Failed to write FTP file \"%s\":\n\n%s", name.c_str(),
                             Cut(reason).c_str()));
            return UploadOutcome::Failed;
        }
        CountBytes(-sending.counted);
        sending.counted = 0;
        const int pause = 1 << (retry - 1);
        Status(StringPrintf("Trying \"%s\" again (%d of %d) in %d second%s: %s", name.c_str(),
                            retry, kRetries, pause, pause == 1 ? "" : "s", Cut(reason).c_str()));
        for (int tenth = 0; tenth < pause * 10; ++tenth) {
            if (CancelRequested()) {
                return UploadOutcome::Canceled;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        // A connection that only carried a file the server kept wrong, or that changed, is
        // still good.
        if (attempt == Attempt::Lost || !lane.connection) {
            connected = Reconnect(lane, reason);
        }
        if (!connected) {
            if (CancelRequested()) {
                return UploadOutcome::Canceled;
            }
            if (LoginRefused(reason)) {
                // Asking again would only be refused again, and could lock the account.
                Box(StringPrintf("Failed to open FTP connection to \"%s\"\n\nReason: %s",
                                 job.host.c_str(), Cut(reason).c_str()));
                return UploadOutcome::Failed;
            }
            continue;  // the next try connects again
        }
        sending.from = ResumePoint(lane, file, sending);
    }
}

std::int64_t Upload::ResumePoint(Lane& lane, const Outgoing& file, Sending& sending) {
    const std::string name = PathFileName(file.path);
    if (file.size <= kResumeAbove || sending.reached <= 0 || !sending.sent) {
        return 0;
    }
    const UniqueFd fd(::open(Local(file.path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat now;
    if (!fd.valid() || ::fstat(fd.get(), &now) != 0 || LocalFileState::Of(now) != *sending.sent) {
        Status(StringPrintf("\"%s\" changed since its transfer was cut; it goes again whole",
                            name.c_str()));
        sending.reached = 0;
        return 0;
    }
    // A server that could not say is taken to keep nothing: the file starts over.
    RemoteFileStatus remote;
    bool kept = false;
    if (!EnterLaneFolder(lane, PathFolder(file.path)).ok() ||
        !lane.connection->FindFile(name, remote, kept).ok() || !kept || remote.size <= 0 ||
        remote.size >= now.st_size || remote.size > sending.reached) {
        return 0;
    }
    // A server that writes under another name until a file is whole keeps its earlier copy
    // when the transfer is cut.
    if (file.existed && remote.size == file.before.size && remote.lastWriteTime >= 0 &&
        remote.lastWriteTime == file.before.lastWriteTime) {
        Status(StringPrintf("The server kept its earlier copy of \"%s\"; it goes again whole",
                            name.c_str()));
        return 0;
    }
    if (const Result ours = CheckServerCopy(*lane.connection, name, fd.get(), remote.size);
        !ours.ok()) {
        Status(
            StringPrintf("The server's part of \"%s\" is not the part sent (%s); it goes "
                         "again whole",
                         name.c_str(), Cut(ours.text()).c_str()));
        return 0;
    }
    return remote.size;
}

// Opens a fresh connection for the lane; false with the reason when none came.
bool Upload::Reconnect(Lane& lane, std::string& failure) {
    if (lane.connection) {
        lane.connection->Close();
        lane.connection.reset();
    }
    lane.folder = std::string(1, '\0');
    lane.connection = connect(furtherJob, failure);
    if (!lane.connection) {
        return false;
    }
    lane.connection->SetStopFlag(job.stop.get());
    return true;
}

Result Upload::EnterLaneFolder(Lane& lane, const std::string& folder) {
    if (lane.folder == folder) {
        return Result::Ok();
    }
    Result entered = lane.connection->SetCurrentDirectory(RemoteFolderPath(remoteRoot, folder));
    if (entered.ok()) {
        lane.folder = folder;
    }
    return entered;
}

// One attempt at sending the file, from byte sending.from on when the server keeps what
// came before.
Attempt Upload::SendOnce(Lane& lane, const Outgoing& file, Sending& sending) {
    const std::string name = PathFileName(file.path);
    if (!lane.connection) {
        return Attempt::Lost;
    }
    if (const Result entered = EnterLaneFolder(lane, PathFolder(file.path)); !entered.ok()) {
        if (CancelRequested()) {
            return Attempt::Stopped;
        }
        if (entered.error() != ERROR_INTERNET_EXTENDED_ERROR) {
            lane.lost = entered.text();
            return Attempt::Lost;
        }
        const std::string folder = PathFolder(file.path);
        Box(StringPrintf("Failed to change directory on FTP server\n\nDirectory: %s\n\nReason %s",
                         folder.empty() ? remoteRoot.c_str() : folder.c_str(),
                         Cut(entered.text()).c_str()));
        return Attempt::Failed;
    }
    const UniqueFd fd(::open(Local(file.path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat before;
    if (!fd.valid() || ::fstat(fd.get(), &before) != 0) {
        Status(StringPrintf("Skipping \"%s\" (%s)", name.c_str(), ErrorCodeText(errno).c_str()));
        CountFile(file.size, false);
        return Attempt::Refused;
    }
    const LocalFileState state = LocalFileState::Of(before);
    if (sending.from > 0 && state != sending.sent) {
        sending.from =
            0;  // changed since it was looked at: the part on the server is no longer its
    }
    if (sending.from == 0) {
        sending.sent = state;
        sending.reached = 0;
    }

    // What the record keeps is the hash of the bytes as they went, the part before
    // sending.from included.
    ContentHash hash;
    if (sending.from > 0 &&
        !hash.AddFilePart(fd.get(), 0, static_cast<std::uint64_t>(sending.from))) {
        sending.from = 0;
        hash.Finish();  // begins again
    }

    Status(StringPrintf("Opening \"%s\" ...", name.c_str()));
    std::unique_ptr<FtpRemoteFile> remoteFile;
    Result opened = Result::Ok();
    if (sending.from > 0) {
        opened = lane.connection->ResumeFile(name, sending.from, remoteFile);
        if (opened.ok()) {
            Status(StringPrintf("Going on with \"%s\" from byte %s", name.c_str(),
                                GroupedNumber(sending.from).c_str()));
        } else if (opened.error() == ERROR_INTERNET_EXTENDED_ERROR) {
            sending.from = 0;  // the server cannot: the whole file again
            hash.Finish();
        }
    }
    if (sending.from == 0) {
        opened = lane.connection->OpenFile(name, remoteFile);
    }
    if (!opened.ok()) {
        if (CancelRequested()) {
            return Attempt::Stopped;
        }
        // A file the server refuses leaves the others to go; a lost connection is tried again.
        if (opened.error() != ERROR_INTERNET_EXTENDED_ERROR) {
            lane.lost = opened.text();
            return Attempt::Lost;
        }
        Box(StringPrintf("Failed to open FTP file \"%s\":\n\n%s", name.c_str(),
                         Cut(opened.text()).c_str()));
        CountFile(file.size, false, &failedFiles);
        return Attempt::Refused;
    }
    if (!sending.reported) {
        Report(UploadAction::Send, file.path, file.size);
        sending.reported = true;
    }
    CountBytes(sending.from - sending.counted);
    sending.counted = sending.from;
    std::int64_t end = 0;
    const Attempt copied = CopyBlocks(lane, *remoteFile, file, fd.get(), sending, hash, end);
    if (copied != Attempt::Sent) {
        return copied;
    }
    Status(StringPrintf("Closing \"%s\" ...", name.c_str()));
    if (const Result closed = remoteFile->Close(); !closed.ok()) {
        return Broken(lane, closed, "Failed to close FTP file", name);
    }
    remoteFile.reset();
    // Whatever comes of it, a next attempt starts whole: what the server kept is not known
    // to be this file's any more.
    const std::int64_t from = sending.from;
    sending.from = 0;
    sending.reached = 0;
    struct stat after;
    if (::fstat(fd.get(), &after) != 0 || LocalFileState::Of(after) != *sending.sent) {
        lane.lost = StringPrintf("\"%s\" changed while it was sent.", name.c_str());
        return Attempt::Changed;
    }
    if (from > 0) {
        if (const Attempt checked = CheckResumed(lane, file, fd.get(), end);
            checked != Attempt::Sent) {
            return checked;
        }
    }
    CountBytes(file.size - sending.counted);
    sending.counted = file.size;
    {
        RecordedFile record{end, sending.sent->modified, hash.Finish()};
        const std::lock_guard<std::mutex> lock(mutex);
        if (from > 0) {
            newRecord.files[file.path] = std::move(record);
        } else {
            // Checked with the others of its folder, in one listing, once all are sent.
            Outgoing sent = file;
            sent.tries = sending.tries;
            sentWhole.push_back({std::move(sent), std::move(record)});
        }
    }
    CountFile(file.size, true, &sentFiles);
    return Attempt::Sent;
}

Attempt Upload::CheckResumed(Lane& lane, const Outgoing& file, int fd, std::int64_t end) {
    const std::string name = PathFileName(file.path);
    std::int64_t kept = -1;
    bool found = false;
    Result checked = lane.connection->SizeOf(name, kept, found);
    if (checked.ok() && (!found || kept != end)) {
        lane.lost = SentFileFinding(name, found, kept, end);
        return Attempt::Mismatch;
    }
    if (checked.ok()) {
        checked = CheckServerCopy(*lane.connection, name, fd, end);
    }
    if (checked.ok()) {
        return Attempt::Sent;
    }
    if (CancelRequested()) {
        return Attempt::Stopped;
    }
    if (checked.error() != ERROR_INTERNET_EXTENDED_ERROR) {
        lane.lost = checked.text();
        return Attempt::Lost;
    }
    lane.lost = StringPrintf("The server's copy of \"%s\" is not the file sent: %s.", name.c_str(),
                             checked.text().c_str());
    return Attempt::Mismatch;
}

// Hands the local file from byte sending.from on to the open remote file, block by block,
// each into hash too; end gets where the file ended.
Attempt Upload::CopyBlocks(Lane& lane, FtpRemoteFile& remoteFile, const Outgoing& file, int fd,
                           Sending& sending, ContentHash& hash, std::int64_t& end) {
    const std::string name = PathFileName(file.path);
    std::vector<char>& buffer = lane.buffer;
    const std::int64_t from = sending.from;
    auto offset = static_cast<std::uint64_t>(from);
    for (;;) {
        if (CancelRequested()) {
            remoteFile.Abort();
            return Attempt::Stopped;
        }
        const ssize_t got = ReadAllAt(fd, offset, buffer.data(), buffer.size());
        if (got < 0) {
            const int error = errno;
            remoteFile.Abort();
            Box(StringPrintf("Failed to read \"%s\" on local machine\n\nReason: %s",
                             Local(file.path).c_str(), ErrorCodeText(error).c_str()));
            Halt(UploadOutcome::Failed, "Error.");
            return Attempt::Failed;
        }
        if (got == 0) {
            end = static_cast<std::int64_t>(offset);
            return Attempt::Sent;
        }
        hash.Add(std::string_view(buffer.data(), static_cast<std::size_t>(got)));
        Result written = Result::Ok();
        if (!limiter.Take(got, *job.stop) ||
            !(written = remoteFile.Write(buffer.data(), static_cast<std::size_t>(got))).ok()) {
            if (CancelRequested()) {
                remoteFile.Abort();
                return Attempt::Stopped;
            }
            return Broken(lane, written, "Failed to write FTP file", name);
        }
        offset += static_cast<std::uint64_t>(got);
        const std::int64_t sent = from + remoteFile.BytesSent();
        sending.reached = std::max(sending.reached, sent);
        CountBytes(sent - sending.counted);
        sending.counted = sent;
        ShowSending(name, file.size, sent);
    }
}

Attempt Upload::Broken(Lane& lane, const Result& failure, const char* what,
                       const std::string& name) {
    if (CancelRequested()) {
        return Attempt::Stopped;
    }
    if (failure.error() != ERROR_INTERNET_EXTENDED_ERROR) {
        lane.lost = failure.text();
        return Attempt::Lost;
    }
    Box(StringPrintf("%s \"%s\":\n\n%s", what, name.c_str(), Cut(failure.text()).c_str()));
    return Attempt::Failed;
}

// The percentage of the file the server has, and the overall one, at most once a second.
void Upload::ShowSending(const std::string& name, std::int64_t fileSize, std::int64_t sent) {
    std::string timing;
    int percent = 0;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        if (!sendingPacer.Due()) {
            return;
        }
        percent = PercentDone(bytesDone + bytesOnTheWay, total);
        timing = TimingText();
    }
    Status(StringPrintf("Uploading \"%s\" - %d%%", name.c_str(), PercentDone(sent, fileSize)));
    PostProgress(job.window, percent);
    TimingStatus(timing);
}

// Lists what the server has and the site no longer has, asks, and deletes it.
UploadOutcome Upload::DeleteExtraEntries() {
    if (rootMissing) {
        return UploadOutcome::Finished;  // a dry run into a folder still to be made
    }
    if (!folderDoubt.empty()) {
        Box(
            MessageBoxText("Nothing was deleted on the FTP server: after changing into \"%s\" the "
                           "server %s, so Mavren cannot be sure which folder it would delete in.",
                           remoteRoot.c_str(), folderDoubt.c_str()));
        return FtpFailure();
    }
    Status("Looking for files the site no longer has ...");
    currentFolder = std::string(1, '\0');  // the walk leaves the server elsewhere
    MirrorPlan plan;
    MirrorFailure failure;
    if (!FindExtraRemoteEntries(*connection, MirrorScope{remoteRoot, madeFolders}, site, plan,
                                failure)) {
        if (CancelRequested()) {
            return Stopped();
        }
        Box(MessageBoxText(
            "Failed to list directory on FTP server\n\nDirectory: %s\n\nReason: %s\n\n"
            "Nothing was deleted.",
            failure.folder.c_str(), Cut(failure.reason).c_str()));
        return FtpFailure();
    }
    for (const std::string& kept : plan.kept) {
        Status(kept);
    }
    const std::vector<RemoteExtra>& extras = plan.extras;
    if (extras.empty()) {
        return UploadOutcome::Finished;
    }
    const std::int64_t files = std::count_if(
        extras.begin(), extras.end(),
        [](const RemoteExtra& extra) { return extra.kind != RemoteExtra::Kind::Folder; });
    const std::string over = OverLimit(files, plan.filesListed);
    if (job.dryRun) {
        for (const RemoteExtra& extra : extras) {
            Report(UploadAction::Delete, ShownExtra(extra));
        }
        if (!over.empty()) {
            Status("An upload would delete none of these: they are " + over + ".");
        }
        return UploadOutcome::Finished;
    }
    if (!ConfirmDeletion(extras, files, over)) {
        return UploadOutcome::Finished;
    }
    Status(StringPrintf("Deleting %zu files and folders ...", extras.size()));
    if (!DeleteRemoteEntries(*connection, remoteRoot, extras, failure)) {
        if (CancelRequested()) {
            return Stopped();
        }
        Box(MessageBoxText("Failed to delete \"%s\" on FTP server\n\nReason: %s",
                           failure.folder.c_str(), Cut(failure.reason).c_str()));
        return FtpFailure();
    }
    for (const RemoteExtra& extra : extras) {
        Report(UploadAction::Delete, ShownExtra(extra));
    }
    return UploadOutcome::Finished;
}

std::string Upload::OverLimit(std::int64_t files, std::int64_t listed) const {
    constexpr std::int64_t kMostFiles = 50;
    const DeleteLimit& limit = job.deleteLimit;
    switch (limit.kind) {
        case DeleteLimit::Kind::None:
            return {};
        case DeleteLimit::Kind::AtMost:
            return files > limit.count ? StringPrintf("more than the %s allowed",
                                                      GroupedNumber(limit.count).c_str())
                                       : std::string();
        case DeleteLimit::Kind::Default:
            break;
    }
    if (files > kMostFiles) {
        return StringPrintf("more than %s", GroupedNumber(kMostFiles).c_str());
    }
    if (files * 4 > listed) {
        return StringPrintf("more than a quarter of the %s files there",
                            GroupedNumber(listed).c_str());
    }
    return {};
}

bool Upload::ConfirmDeletion(const std::vector<RemoteExtra>& extras, std::int64_t files,
                             const std::string& over) {
    constexpr std::size_t kListed = 30;
    std::string list;
    for (std::size_t i = 0; i < extras.size() && i < kListed; ++i) {
        list += "  " + ShownPath(ShownExtra(extras[i]));
        list += extras[i].kind == RemoteExtra::Kind::Link ? " (a link)\n" : "\n";
    }
    if (extras.size() > kListed) {
        list += StringPrintf("  ... and %zu more\n", extras.size() - kListed);
    }
    const std::string found = StringPrintf(
        "The server has %zu files and folders below \"%s\" that the site no longer "
        "has:\n\n%s\n",
        extras.size(), remoteRoot.c_str(), list.c_str());
    if (over.empty()) {
        return ShowMessageBox(found + "Delete them?", MB_YESNO | MB_ICONQUESTION) == IDYES;
    }
    const std::string count =
        files == 1 ? "That is 1 file, " : "Those are " + GroupedNumber(files) + " files, ";
    if (job.askAboveLimit) {
        return ShowMessageBox(found + count + over + ". Delete them all the same?",
                              MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) == IDYES;
    }
    Box(found + count + over + ", so Mavren deleted none of them." + job.limitAdvice,
        MB_OK | MB_ICONEXCLAMATION);
    filesNotDeleted = files;
    return false;
}

void Upload::CountFile(std::int64_t size, bool sent, std::int64_t* kind) {
    int percent = 0;
    std::string timing;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        bytesDone += size;
        ++filesDone;
        if (kind != nullptr) {
            ++*kind;
        }
        if (!sent) {
            tracker.total -= size;  // nothing to send for it: the time left is for the others
        } else if (!job.dryRun) {
            bytesOnTheWay -= size;  // its bytes were counted on their way
        }
        percent = PercentDone(bytesDone + bytesOnTheWay, total);
        timing = TimingText();
    }
    PostProgress(job.window, percent);
    TimingStatus(timing);
}

void Upload::Uncount(std::int64_t size) {
    const std::lock_guard<std::mutex> lock(mutex);
    bytesDone -= size;
    --filesDone;
    --sentFiles;
    tracker.total += size;  // its bytes go once more
}

void Upload::CountBytes(std::int64_t amount) {
    const std::lock_guard<std::mutex> lock(mutex);
    tracker.Advance(amount);
    bytesOnTheWay += amount;
}

std::string Upload::TimingText() const {
    const auto filesLeft = static_cast<std::int64_t>(site.files.size()) - filesDone;
    const std::int64_t bytesLeft = total - bytesDone - bytesOnTheWay;
    std::string text;
    if (filesLeft > 0) {
        text = StringPrintf("%s file%s (%s bytes) left - ", GroupedNumber(filesLeft).c_str(),
                            filesLeft == 1 ? "" : "s", GroupedNumber(bytesLeft).c_str());
    }
    return text + tracker.DoneText() + " - " + tracker.RemainingText();
}

// What the run did: the bytes sent and the time, or that nothing had to go.
std::string Upload::SummaryText() const {
    std::string text;
    if (job.dryRun) {
        text = StringPrintf("%s files (%s bytes) would be sent", GroupedNumber(sentFiles).c_str(),
                            GroupedNumber(tracker.total).c_str());
    } else if (tracker.done == 0 && failedFiles == 0) {
        text = "0 bytes sent";
    } else {
        text = tracker.DoneText();
    }
    if (unchangedFiles > 0) {
        text += StringPrintf("; %s file%s unchanged", GroupedNumber(unchangedFiles).c_str(),
                             unchangedFiles == 1 ? "" : "s");
    }
    if (failedFiles > 0) {
        text += StringPrintf("; %s file%s could not be sent", GroupedNumber(failedFiles).c_str(),
                             failedFiles == 1 ? "" : "s");
    }
    if (!site.skipped.empty()) {
        text += StringPrintf("; %s left out",
                             GroupedNumber(static_cast<std::int64_t>(site.skipped.size())).c_str());
    }
    if (filesNotDeleted > 0) {
        text += StringPrintf("; %s file%s not deleted", GroupedNumber(filesNotDeleted).c_str(),
                             filesNotDeleted == 1 ? "" : "s");
    }
    return text;
}

// Ends after a failure the user was told of in a box.
UploadOutcome Upload::FtpFailure() {
    if (connection) {
        connection->Close();
    }
    Status("FTP Error.");
    PostWorkDone(job.window);
    return UploadOutcome::Failed;
}

// Ends after a stop request: nothing more is reported.
UploadOutcome Upload::Stopped() {
    if (connection) {
        connection->Close();
    }
    return UploadOutcome::Canceled;
}

UploadOutcome Upload::Abandon(const char* reason) {
    if (connection) {
        connection->Close();
    }
    Status("Error.");
    PostErrorText(job.window, StringPrintf("Cannot complete upload.\n\n%s", reason));
    PostWorkDone(job.window);
    return UploadOutcome::Failed;
}

}  // namespace

UploadJob MakeUploadJob(const FtpProfile& profile, const std::string& localFolder,
                        std::shared_ptr<WorkerMessageReceiver> window) {
    UploadJob job{profile.host, profile.username,  profile.password,
                  localFolder,  profile.directory, std::move(window)};
    job.protocol = profile.protocol;
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
    Upload upload(job, connect);
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
                if (created.error() != ERROR_INTERNET_EXTENDED_ERROR ||
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
