#pragma once

// What the page generators' reports add to the shared pacing and percentage: the total
// bytes of the sources, and the percentage of a page step. Pure functions.

#include <cstdint>
#include <vector>

#include "generate/source_record.h"
#include "work/progress_pacing.h"

// The share of the sources' bytes done. When every file is empty the share of items done
// stands in, rather than a jump from 0 to 100.
inline int PageStepPercent(std::int64_t bytesDone, std::int64_t totalBytes, std::int64_t itemsDone,
                           std::int64_t items) {
    return totalBytes > 0 ? PercentDone(bytesDone, totalBytes) : PercentDone(itemsDone, items);
}

// The bytes of all sources: the work a page generator's tracker expects.
inline std::int64_t TotalSize(const std::vector<SourceRecord>& records) {
    std::int64_t total = 0;
    for (const SourceRecord& record : records) {
        total += record.size;
    }
    return total;
}
