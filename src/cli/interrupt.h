#pragma once

// Ctrl-C for mavren-cli's long jobs. While a ScopedInterruptFlag lives, the first SIGINT
// or SIGTERM sets the stop flag of the running request (work/stop_flag.h), so the job
// stops at its next check as it would after "Stop!"; a second one ends the process at
// once with the signal's own status (130 for Ctrl-C at a shell). A blocking read of the
// terminal (a question) is interrupted rather than restarted, so a question waiting for
// an answer is declined.
//
// One at a time, created and destroyed on the main thread; the handler only stores to
// lock-free atomics. The object keeps the flag alive while it may be set.

#include <memory>

#include "work/stop_flag.h"

// The exit status of a job stopped by Ctrl-C, as a shell reports a program it ended.
constexpr int kExitInterrupted = 130;

class ScopedInterruptFlag {
  public:
    explicit ScopedInterruptFlag(std::shared_ptr<StopFlag> flag);
    ~ScopedInterruptFlag();  // puts the previous handlers back
    ScopedInterruptFlag(const ScopedInterruptFlag&) = delete;
    ScopedInterruptFlag& operator=(const ScopedInterruptFlag&) = delete;

    // True once a signal arrived.
    bool Interrupted() const;

  private:
    std::shared_ptr<StopFlag> flag;
};
