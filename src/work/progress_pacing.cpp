#include "work/progress_pacing.h"

#include <algorithm>

int PercentDone(std::int64_t done, std::int64_t total) {
    if (total <= 0) {
        return 100;
    }
    done = std::clamp<std::int64_t>(done, 0, total);
    // Multiplied before the division: 29 of 50 is 58, where 29.0 / 50 * 100 gives 57.99...
    return static_cast<int>(100.0 * static_cast<double>(done) / static_cast<double>(total));
}

bool StatusPacer::Due(Clock::time_point now) {
    if (reported && now < last + kInterval) {
        return false;
    }
    Hold(now);
    return true;
}

void StatusPacer::Hold(Clock::time_point now) {
    reported = true;
    last = now;
}
