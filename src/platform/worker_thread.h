#pragma once

// A worker thread that a window starts and may have to leave behind: the window can wait
// for it with a time-out, and when the time runs out the thread goes on by itself (it is
// detached), holding only what its work captured. The handle may be dropped while the
// thread runs. Start, WaitFor and IsRunning belong to the thread that owns the handle;
// RunningWorkerThreads is safe from any thread.

#include <functional>
#include <memory>

class WorkerThread {
  public:
    WorkerThread() = default;

    // Starts work on a new thread, unless one started by this handle is still running.
    // False when the thread could not be created (or one is still running).
    bool Start(std::function<void()> work);

    // Waits until the thread has ended, at most milliseconds. True when it has ended, or
    // none was started.
    bool WaitFor(int milliseconds) const;

    // True from Start until the work has returned.
    bool IsRunning() const;

  private:
    struct State;
    std::shared_ptr<State> state;
};

// How many worker threads of the process have not finished their work yet.
int RunningWorkerThreads();
