#pragma once

// The counts of one upload, shared by its sending threads under one mutex: the bytes and
// files done, on their way and left, how each file ended, and the texts that report them
// on the status lines and in the closing summary line.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/mutex.h"
#include "work/progress_pacing.h"
#include "work/progress_tracker.h"

// How a counted file ended, for the summary.
enum class FileEnd {
    Passed,     // left out when its turn came (gone, or not a regular file)
    Unchanged,  // the server has it already
    Sent,       // its bytes went to the server (or would, in a dry run)
    Failed,     // the server refused it
};

// What the window shows of the whole upload after a count.
struct UploadShown {
    int percent = 0;
    std::string timing;  // "12 files (1,200,000 bytes) left - 300 bytes in 2 seconds - ..."
};

// What the summary says besides the counts, known to the run alone.
struct UploadSummaryFacts {
    bool dryRun = false;
    std::string wouldBeDeleted;  // a dry run's "; 2 files would be deleted", or empty
    std::int64_t leftOut = 0;    // left out by the walk of the site
    std::int64_t notPartOfSite = 0;
    std::int64_t foldersNotRead = 0;
    std::int64_t filesNotDeleted = 0;
};

class UploadTally {
  public:
    // dryRun: sent files only would be sent, so their bytes are not counted on their way.
    // The tracker measures the time (tests give one with a clock of their own).
    explicit UploadTally(bool dryRun, std::unique_ptr<ProgressTracker> tracker =
                                          std::make_unique<ProgressTracker>());

    // The clock starts for a site of files with bytes in all.
    void Start(std::int64_t files, std::int64_t bytes) EXCLUDES(mutex);
    // A file whose size changed since the sizes were summed: the totals follow it.
    void Resize(std::int64_t from, std::int64_t to) EXCLUDES(mutex);
    // The first percentage while files are on their way waits a second from now.
    void HoldSending() EXCLUDES(mutex);

    // Counts a file as done, how it ended, and what the window shows now.
    UploadShown CountFile(std::int64_t size, FileEnd end) EXCLUDES(mutex);
    // Takes back the count of a file sent whole that goes again.
    void Uncount(std::int64_t size) EXCLUDES(mutex);
    // Counts bytes of a file as on the server (fewer again after a lost connection).
    void CountBytes(std::int64_t amount) EXCLUDES(mutex);
    // What the window shows while a file is on its way, at most once a second: empty when
    // it is not due.
    std::optional<UploadShown> SendingDue() EXCLUDES(mutex);

    std::int64_t failedFiles() const EXCLUDES(mutex);
    // The closing line: the bytes sent and the time, or that nothing had to go, then what
    // else happened ("; 3 files unchanged").
    std::string SummaryText(const UploadSummaryFacts& facts) const EXCLUDES(mutex);

  private:
    UploadShown Shown() const REQUIRES(mutex);
    std::string TimingText() const REQUIRES(mutex);

    const bool dryRun;
    mutable Mutex mutex;
    std::int64_t files GUARDED_BY(mutex) = 0;
    // Counts the bytes sent; files left as they were drop out of its total.
    std::unique_ptr<ProgressTracker> tracker GUARDED_BY(mutex);
    std::int64_t total GUARDED_BY(mutex) = 0;
    std::int64_t bytesDone GUARDED_BY(mutex) = 0;      // of files sent or left as they were
    std::int64_t bytesOnTheWay GUARDED_BY(mutex) = 0;  // of files being sent
    std::int64_t filesDone GUARDED_BY(mutex) = 0;
    std::int64_t unchangedFiles GUARDED_BY(mutex) = 0;
    std::int64_t sentFiles GUARDED_BY(mutex) = 0;
    std::int64_t failed GUARDED_BY(mutex) = 0;
    StatusPacer sendingPacer GUARDED_BY(mutex);  // the percentages while files are on their way
};
