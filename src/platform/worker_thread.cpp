#include "platform/worker_thread.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <system_error>
#include <thread>

#include "platform/mutex.h"

namespace {

std::atomic<int> g_running{0};

}  // namespace

struct WorkerThread::State {
    Mutex mutex;
    std::condition_variable ended;
    bool done GUARDED_BY(mutex) = false;
};

bool WorkerThread::Start(std::function<void()> work) {
    if (IsRunning()) {
        return false;
    }
    auto started = std::make_shared<State>();
    g_running.fetch_add(1);
    try {
        std::thread([started, work = std::move(work)]() mutable {
            work();
            work = nullptr;  // what the work holds goes before anyone hears of the end
            // Counted down before the waiter hears of it, so that a waiter that saw the
            // end never counts this thread as running.
            g_running.fetch_sub(1);
            const MutexLock lock(started->mutex);
            started->done = true;
            started->ended.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        g_running.fetch_sub(1);
        return false;
    }
    state = std::move(started);
    return true;
}

bool WorkerThread::WaitFor(int milliseconds) const {
    if (!state) {
        return true;
    }
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    const MutexLock lock(state->mutex);
    while (!state->done) {
        if (!state->mutex.WaitUntil(state->ended, deadline)) {
            return state->done;
        }
    }
    return true;
}

bool WorkerThread::IsRunning() const {
    if (!state) {
        return false;
    }
    const MutexLock lock(state->mutex);
    return !state->done;
}

int RunningWorkerThreads() {
    return g_running.load();
}
