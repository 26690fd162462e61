#pragma once

// What the page generators' reports share: the total bytes of the sources, a status line at
// most once a second (the first one at once), and the whole percentage of bytes done.
// One per job, used by its worker thread.

#include <chrono>
#include <cstdint>
#include <vector>

#include "media/source_record.h"

class StatusPacer {
  public:
    // True when a status line is due now: the first time, then a second after the last.
    bool Due() {
        const auto now = std::chrono::steady_clock::now();
        if (reported && now < last + std::chrono::milliseconds(1000)) {
            return false;
        }
        reported = true;
        last = now;
        return true;
    }

  private:
    bool reported = false;
    std::chrono::steady_clock::time_point last;
};

// Bytes done out of total, times 100, truncated. When every file is empty the share of
// items done stands in, rather than a division by zero.
inline int PercentDone(std::int64_t bytesDone, std::int64_t totalBytes, std::int64_t itemsDone,
                       std::int64_t items) {
    if (totalBytes <= 0) {
        return items > 0 ? static_cast<int>(100.0 * static_cast<double>(itemsDone) /
                                            static_cast<double>(items))
                         : 100;
    }
    return static_cast<int>(static_cast<double>(bytesDone) / static_cast<double>(totalBytes) *
                            100.0);
}

// The bytes of all sources: the work a page generator's tracker expects.
inline std::int64_t TotalSize(const std::vector<SourceRecord>& records) {
    std::int64_t total = 0;
    for (const SourceRecord& record : records) {
        total += record.size;
    }
    return total;
}
