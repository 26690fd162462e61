#pragma once

// One run of the upload worker (upload_worker.h), for the files that hold its phases:
// upload_worker.cpp the run itself, the remote folder and the record; upload_check.cpp what
// the server needs; upload_send.cpp the sending over several connections, its retries and
// the check of what the server kept; upload_attempt.cpp one attempt at one file;
// upload_delete.cpp the deletion of what the site no longer has. The counts and the texts
// that report them are an UploadTally (upload_tally.h). Only those files include it.

#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/format.h"
#include "platform/message_box.h"
#include "platform/mutex.h"
#include "platform/paths.h"
#include "upload/content_hash.h"
#include "upload/ftp_client.h"
#include "upload/rate_limiter.h"
#include "upload/sent_files_check.h"
#include "upload/upload_mirror.h"
#include "upload/upload_record.h"
#include "upload/upload_tally.h"
#include "upload/upload_walk.h"
#include "upload/upload_worker.h"

namespace upload_run {

// Larger than the classic 1 KiB for speed; a stop request is seen while a block is on its
// way too, so the size does not delay a stop.
inline constexpr std::size_t kBlockSize = 512 * 1024;
// A server's or libcurl's message is cut to this length in the boxes.
inline constexpr std::size_t kMessageLimit = 259;
// A file whose connection was lost is tried this many times more, on a fresh one.
inline constexpr int kRetries = 3;
// Only a file larger than this goes on where a cut transfer left it; a smaller one is
// sent whole again, which costs about what asking for its size does.
inline constexpr std::int64_t kResumeAbove = 1024 * 1024;
// How often a sending connection checks what the server kept of the files it sent whole.
inline constexpr int kCheckSeconds = 30;

inline std::string Cut(const std::string& text) {
    return text.substr(0, kMessageLimit);
}

inline std::int64_t ModifiedNanoseconds(const struct stat& status) {
    return static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
}

// A server that refused the login (FTP's 530, SSH's authentication) refuses it again.
inline bool LoginRefused(const std::string& failure) {
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

// A file sent whole whose copy on the server is still to be checked, and what the record
// keeps of it once it is.
struct SentWhole {
    Outgoing file;
    RecordedFile record;
};

// One connection of the sending, and what belongs to it alone.
struct Lane {
    std::unique_ptr<FtpClient> connection;
    std::string folder = std::string(1, '\0');  // local subfolder whose twin is current; none
    std::vector<char> buffer;
    std::string lost;  // why its last attempt lost the connection
    // What it sent whole since it last checked (one listing a folder for all of them): at
    // least every kCheckSeconds, so a stop leaves little that the next upload sends again.
    std::vector<SentWhole> unchecked;
    std::chrono::steady_clock::time_point checked = std::chrono::steady_clock::now();
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
class UploadRun {
  public:
    UploadRun(const UploadJob& job, const FtpConnector& connect)
        : job(job), furtherJob(job), connect(connect), limiter(job.rateLimit), tally(job.dryRun) {
        furtherJob.furtherConnection = true;
    }

    UploadOutcome Run();
    // Ends after an unexpected failure (out of memory, say).
    UploadOutcome Abandon(const char* reason);

  private:
    bool ReadSite();
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
    // Checks the files sent whole that a lane could not check; those to go again become
    // outgoing.
    UploadOutcome CheckSentWhole();
    void RunLane(Lane& lane, bool own);
    // Checks the files the lane sent whole, sending those the server did not keep again
    // until all passed; false when the lane is to end (after a box, a stop or a halt).
    bool CheckLane(Lane& lane);
    // Takes the findings of a check: a file that passed enters the record, one that did
    // not goes to again (counted once more) with the pause before it; false after the box
    // of a file that went too often.
    bool TakeFindings(std::vector<SentWhole>& checked, const SentFileFindings& findings,
                      std::vector<Outgoing>& again, int& pause);
    // Waits seconds unless a stop comes first; false on a stop.
    bool Pause(int seconds) const;
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
    // The status line of the halt, once the sending threads ended.
    const char* HaltStatus() const {
        const MutexLock lock(mutex);
        return haltStatus;
    }
    UploadOutcome DeleteExtraEntries();
    // Asks before deleting the extras (or refuses above the limit); true to go ahead.
    bool ConfirmDeletion(const std::vector<RemoteExtra>& extras, std::int64_t files,
                         const std::string& over);
    void CountFile(std::int64_t size, FileEnd end) { Show(tally.CountFile(size, end)); }
    void ShowSending(const std::string& name, std::int64_t fileSize, std::int64_t sent);
    void Show(const UploadShown& shown) {
        PostProgress(job.window, shown.percent);
        TimingStatus(shown.timing);
    }
    std::string SummaryText() const;
    // "; 2 files and 1 folder would be deleted" ("would not be" above the limit), or empty
    // when a dry run found nothing to delete.
    std::string WouldBeDeletedText() const;
    UploadOutcome FtpFailure();
    UploadOutcome Stopped();
    // A failure or notice for the window to show; the upload does not wait for it.
    void Box(const std::string& text, unsigned flags = MB_OK) {
        PostErrorText(job.window, text, flags);
    }
    void Report(UploadAction action, const std::string& path, std::int64_t bytes = 0) const {
        if (job.report) {
            const MutexLock lock(reportMutex);
            job.report(action, path, bytes);
        }
    }

    bool CancelRequested() const { return IsStopRequested(job.stop); }
    void Status(const std::string& text) { PostStatusText(job.window, text); }
    void TimingStatus(const std::string& text) { PostTimingText(job.window, text); }
    std::string Local(const std::string& path) const { return JoinPath(job.localFolder, path); }
    // A walked folder as status lines name it: the top one by its own path.
    std::string ShownFolder(const std::string& path) const {
        return path.empty() ? job.localFolder : ShownPath(path);
    }

    const UploadJob& job;
    UploadJob furtherJob;  // for the connections after the first
    const FtpConnector& connect;
    LocalSite site;                         // what goes, and what the walk left out
    std::unique_ptr<FtpClient> connection;  // the checking one, and the first to send
    std::string remoteRoot;   // absolute: the profile's folder taken from the login folder
    std::string folderDoubt;  // what the server said instead of naming remoteRoot
    std::set<std::string> madeFolders;  // subfolders this upload made, relative
    std::int64_t filesNotDeleted = 0;   // above the limit of a deletion
    // Dry run: what the site no longer has, and whether it is too much to delete.
    std::int64_t filesToDelete = 0;
    std::int64_t foldersToDelete = 0;
    bool deletionOverLimit = false;
    std::string currentFolder;   // relative local subfolder whose remote twin is current
    bool remoteMissing = false;  // dry run: the remote folder (or subfolder) is not there
    // The files of the current folder by one listing of it, when one was made.
    std::optional<std::map<std::string, RemoteFileStatus>> folderFiles;
    bool rootMissing = false;  // dry run: the profile's folder itself is not there

    // The record of the last upload, and the one this upload leaves.
    std::string recordPath;
    UploadRecord lastRecord;
    bool recordInUse = false;

    std::vector<Outgoing> outgoing;  // what the check found to send
    std::atomic<std::size_t> nextOutgoing{0};
    RateLimiter limiter;
    std::atomic<bool> halted{false};  // a sending thread failed or saw a stop: all end
    std::once_flag fewerConnectionsSaid;
    UploadTally tally;  // the counts, under a mutex of its own

    // Shared by the sending threads.
    mutable Mutex mutex;
    UploadRecord newRecord GUARDED_BY(mutex);
    std::vector<SentWhole> sentWhole GUARDED_BY(mutex);  // that a lane could not check
    UploadOutcome haltOutcome GUARDED_BY(mutex) = UploadOutcome::Finished;
    const char* haltStatus GUARDED_BY(mutex) = "FTP Error.";

    mutable Mutex reportMutex;  // one report at a time, whichever thread makes it
};

}  // namespace upload_run
