#pragma once

// What one upload tells its window and its caller, from whichever of its threads: status
// and timing lines, the percentage, boxes the upload does not wait for, and the report of
// each file, one at a time. Also where a file of the site is at home.

#include <cstdint>
#include <string>

#include "platform/message_box.h"
#include "platform/mutex.h"
#include "platform/paths.h"
#include "upload/upload_tally.h"
#include "upload/upload_worker.h"

namespace upload_run {

// A server's or libcurl's message is cut to this length in the boxes.
inline constexpr std::size_t kMessageLimit = 259;

inline std::string Cut(const std::string& text) {
    return text.substr(0, kMessageLimit);
}

class UploadMessages {
  public:
    explicit UploadMessages(const UploadJob& job) : job(job) {}

    bool StopRequested() const { return IsStopRequested(job.stop); }
    void Status(const std::string& text) const { PostStatusText(job.window, text); }
    void Timing(const std::string& text) const { PostTimingText(job.window, text); }
    void Show(const UploadShown& shown) const {
        PostProgress(job.window, shown.percent);
        Timing(shown.timing);
    }
    // A failure or notice for the window to show; the upload does not wait for it.
    void Box(const std::string& text, unsigned flags = MB_OK) const {
        PostErrorText(job.window, text, flags);
    }
    void Report(UploadAction action, const std::string& path, std::int64_t bytes = 0) const
        EXCLUDES(reportMutex) {
        if (job.report) {
            const MutexLock lock(reportMutex);
            job.report(action, path, bytes);
        }
    }
    // The local file of a path relative to the site's folder: never through the process's
    // current folder, which other threads rely on.
    std::string Local(const std::string& path) const { return JoinPath(job.localFolder, path); }

  private:
    const UploadJob& job;
    mutable Mutex reportMutex;  // one report at a time, whichever thread makes it
};

}  // namespace upload_run
