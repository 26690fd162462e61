#include "upload/rate_limiter.h"

#include <algorithm>
#include <thread>

bool RateLimiter::Take(std::int64_t size, const StopFlag& stop) {
    if (rate <= 0 || size <= 0) {
        return true;
    }
    Clock::time_point start;
    {
        const MutexLock lock(mutex);
        // Time not used while nobody sent is not saved up for a burst later.
        start = std::max(Clock::now(), next);
        next = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(
                           static_cast<double>(size) / static_cast<double>(rate)));
    }
    constexpr auto kSlice = std::chrono::milliseconds(100);
    for (;;) {
        if (stop.IsRequested()) {
            return false;
        }
        const Clock::time_point now = Clock::now();
        if (now >= start) {
            return true;
        }
        std::this_thread::sleep_for(std::min<Clock::duration>(start - now, kSlice));
    }
}

std::size_t RateLimiter::BlockSize(std::size_t largest) const {
    if (rate <= 0) {
        return largest;
    }
    // About eight blocks a second, so the connections take turns smoothly.
    constexpr std::size_t kSmallest = 4 * 1024;
    return std::clamp(static_cast<std::size_t>(rate / 8), kSmallest, largest);
}
