#pragma once

// Asking a long job (a generation run, an upload) to stop. The flag lives in the job's
// request (GenerationOptions::stop, UploadJob::stop), shared through a std::shared_ptr by
// the front end that started the job and the worker that runs it, so a worker that
// outlives its window still polls a flag that exists. The front end sets it: the window's
// "Stop!" and its close, mavren-cli's Ctrl-C handler (cli/interrupt.h). The job polls it
// at its checkpoints and hands it down to whatever waits for long (the thumbnail pool,
// curl transfers, the rate limiter).
//
// Request and IsRequested are lock-free and safe from any thread; Request is safe in a
// signal handler.

#include <atomic>
#include <memory>

class StopFlag {
  public:
    void Request() noexcept { requested.store(true, std::memory_order_relaxed); }
    bool IsRequested() const noexcept { return requested.load(std::memory_order_relaxed); }

  private:
    std::atomic<bool> requested{false};
    static_assert(std::atomic<bool>::is_always_lock_free, "a signal handler sets the flag");
};

// True once a stop has been asked of flag; a job without a flag is never stopped.
inline bool IsStopRequested(const StopFlag* flag) {
    return flag != nullptr && flag->IsRequested();
}
inline bool IsStopRequested(const std::shared_ptr<StopFlag>& flag) {
    return IsStopRequested(flag.get());
}
