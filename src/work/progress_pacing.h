#pragma once

// What the reports of every long job (a generation run, an upload) share: the whole
// percentage of the work done, and the pace of the status lines, at most one a second.
// PercentDone is a pure function; a StatusPacer belongs to the one thread that reports.

#include <chrono>
#include <cstdint>

// done out of total, times 100, truncated, within 0 to 100. A total of 0 or less (nothing
// to do) counts as all done.
int PercentDone(std::int64_t done, std::int64_t total);

// Lets a status line through at most once a second.
class StatusPacer {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kInterval{1000};

    // True when a line is due at now, which then counts as the time of the last one: the
    // first time (unless Hold came before), and after that a second after the last.
    bool Due(Clock::time_point now = Clock::now());

    // The next line waits a whole second from now.
    void Hold(Clock::time_point now = Clock::now());

  private:
    bool reported = false;
    Clock::time_point last;
};
