#pragma once

// Holds the connections of one upload together below a rate: each asks before it hands
// a block to its server, and waits its turn, so that the blocks of all of them go out
// evenly spread at no more than the rate. Safe from any thread.

#include <chrono>
#include <cstddef>
#include <cstdint>

#include "platform/mutex.h"
#include "work/stop_flag.h"

class RateLimiter {
  public:
    // bytesPerSecond 0 or less for no limit.
    explicit RateLimiter(std::int64_t bytesPerSecond) : rate(bytesPerSecond) {}

    // Waits until size more bytes may go. False when stop was set first; a stop is seen
    // within a tenth of a second.
    bool Take(std::int64_t size, const StopFlag& stop);

    // A block size that keeps each wait short at the rate, and at most largest.
    std::size_t BlockSize(std::size_t largest) const;

  private:
    using Clock = std::chrono::steady_clock;

    const std::int64_t rate;
    Mutex mutex;
    Clock::time_point next GUARDED_BY(mutex) = {};  // when the next block may go
};
