#pragma once

// The sending of what the check found (upload_check.h), over up to job.connections
// connections at once, each on a thread of its own but the first, which is the checking
// one, handed over and given back. A file whose connection is lost goes again on a fresh
// one after a growing pause; a cut file over 1 MB goes on where the server's part of it
// ends when that part is what this upload sent; every file sent whole is checked in one
// listing of its folder, which each connection makes at least every 30 seconds and at its
// end, and what the server kept otherwise goes again whole. Only a file that passed is
// kept for the next record. A rate limit holds all connections together.

#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/mutex.h"
#include "upload/content_hash.h"
#include "upload/ftp_client.h"
#include "upload/kept_files.h"
#include "upload/rate_limiter.h"
#include "upload/sent_files_check.h"
#include "upload/upload_check.h"
#include "upload/upload_messages.h"
#include "upload/upload_tally.h"
#include "upload/upload_worker.h"

namespace upload_run {

// Larger than the classic 1 KiB for speed; a stop request is seen while a block is on its
// way too, so the size does not delay a stop.
inline constexpr std::size_t kBlockSize = 512 * 1024;
// A file whose connection was lost is tried this many times more, on a fresh one.
inline constexpr int kRetries = 3;
// Only a file larger than this goes on where a cut transfer left it; a smaller one is
// sent whole again, which costs about what asking for its size does.
inline constexpr std::int64_t kResumeAbove = 1024 * 1024;
// How often a sending connection checks what the server kept of the files it sent whole.
inline constexpr int kCheckSeconds = 30;

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
    std::int64_t counted = 0;  // bytes of the file the tally has
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
    // What it sent whole since it last checked (one listing a folder for all of them).
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

class UploadSending {
  public:
    // remoteRoot: the remote folder's full path, below which every file goes.
    UploadSending(const UploadJob& job, const FtpConnector& connect, const UploadMessages& messages,
                  UploadTally& tally, KeptFiles& kept, std::string remoteRoot);

    // Sends the files, then checks what the server kept of them, sending again whole what
    // it did not keep, until all is there or a file went too often. first: the checking
    // connection, which the first lane uses and gives back (null when it was lost for good).
    UploadOutcome SendAll(std::vector<Outgoing> files, std::unique_ptr<FtpClient>& first);
    // The status line of a failed sending, once SendAll has returned.
    const char* HaltStatus() const EXCLUDES(mutex) {
        const MutexLock lock(mutex);
        return haltStatus;
    }

  private:
    UploadOutcome SendRounds();
    UploadOutcome SendOutgoing();
    // Checks the files sent whole that a lane could not check; those to go again become
    // outgoing.
    UploadOutcome CheckSentWhole();
    void RunLane(Lane& lane, bool own);
    // Checks the files the lane sent whole, sending those the server did not keep again
    // until all passed; false when the lane is to end (after a box, a stop or a halt).
    bool CheckLane(Lane& lane);
    // Takes the findings of a check: a file that passed is kept, one that did not goes to
    // again (counted once more) with the pause before it; false after the box of a file
    // that went too often.
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
    // Opens a fresh connection for the lane; the reason when none came, of kind Refused when
    // the server refused the login.
    Result Reconnect(Lane& lane);
    void SayFewerConnections(const std::string& failure);
    void Halt(UploadOutcome outcome, const char* status) EXCLUDES(mutex);
    void CountFile(std::int64_t size, FileEnd end) { messages.Show(tally.CountFile(size, end)); }
    void ShowSending(const std::string& name, std::int64_t fileSize, std::int64_t sent);
    bool StopRequested() const { return messages.StopRequested(); }

    const UploadJob& job;
    UploadJob furtherJob;  // for the connections after the first
    const FtpConnector& connect;
    const UploadMessages& messages;
    UploadTally& tally;
    KeptFiles& kept;
    const std::string remoteRoot;
    RateLimiter limiter;

    std::unique_ptr<FtpClient> connection;  // the first, while no lane has it
    std::vector<Outgoing> outgoing;
    std::atomic<std::size_t> nextOutgoing{0};
    std::atomic<bool> halted{false};  // a sending thread failed or saw a stop: all end
    std::once_flag fewerConnectionsSaid;

    // Shared by the sending threads.
    mutable Mutex mutex;
    std::vector<SentWhole> sentWhole GUARDED_BY(mutex);  // that a lane could not check
    UploadOutcome haltOutcome GUARDED_BY(mutex) = UploadOutcome::Finished;
    const char* haltStatus GUARDED_BY(mutex) = "FTP Error.";
};

}  // namespace upload_run
