#pragma once

// A mutex that Clang's thread safety analysis knows, for data marked GUARDED_BY: the
// analysis sees nothing of libstdc++'s std::mutex. Not recursive.
//
//   Mutex g_mutex;
//   std::string g_text GUARDED_BY(g_mutex);
//   ...
//   MutexLock lock(g_mutex);
//   while (g_text.empty()) {
//       g_mutex.Wait(g_changed);
//   }

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/thread_annotations.h"

class CAPABILITY("mutex") Mutex {
  public:
    Mutex() = default;
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;

    void Lock() ACQUIRE() { mutex.lock(); }
    void Unlock() RELEASE() { mutex.unlock(); }

    // Waits for condition to be notified (or a spurious wake), the mutex released
    // meanwhile and held again on return: the caller loops on what it waits for.
    void Wait(std::condition_variable& condition) REQUIRES(this) {
        std::unique_lock<std::mutex> lock(mutex, std::adopt_lock);
        condition.wait(lock);
        lock.release();
    }

    // As Wait, until deadline at the latest; false once the deadline has passed.
    template <class Clock, class Duration>
    bool WaitUntil(std::condition_variable& condition,
                   const std::chrono::time_point<Clock, Duration>& deadline) REQUIRES(this) {
        std::unique_lock<std::mutex> lock(mutex, std::adopt_lock);
        const bool woken = condition.wait_until(lock, deadline) == std::cv_status::no_timeout;
        lock.release();
        return woken;
    }

  private:
    std::mutex mutex;
};

// Holds a Mutex from its construction to its end, with room to let it go for a while
// (Unlock, then Lock again before the end).
class SCOPED_CAPABILITY MutexLock {
  public:
    explicit MutexLock(Mutex& mutex) ACQUIRE(mutex) : held(mutex) { held.Lock(); }
    ~MutexLock() RELEASE() {
        if (holding) {
            held.Unlock();
        }
    }
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;

    void Unlock() RELEASE() {
        held.Unlock();
        holding = false;
    }
    void Lock() ACQUIRE() {
        held.Lock();
        holding = true;
    }

  private:
    Mutex& held;
    bool holding = true;
};
