#include "platform/worker_thread.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

std::atomic<int> g_running{0};

}  // namespace

struct WorkerThread::State {
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
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
            std::lock_guard lock(started->mutex);
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
    std::unique_lock lock(state->mutex);
    return state->ended.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                 [this] { return state->done; });
}

bool WorkerThread::IsRunning() const {
    if (!state) {
        return false;
    }
    std::lock_guard lock(state->mutex);
    return !state->done;
}

int RunningWorkerThreads() {
    return g_running.load();
}
