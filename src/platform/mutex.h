#pragma once

// A mutex that Clang's thread safety analysis knows, for data marked GUARDED_BY: the
// analysis sees nothing of libstdc++'s std::mutex. Not recursive.
//
//   Mutex g_mutex;
//   std::string g_text GUARDED_BY(g_mutex);
//   ...
//   MutexLock lock(g_mutex);

#include <mutex>

#include "platform/thread_annotations.h"

class CAPABILITY("mutex") Mutex {
  public:
    Mutex() = default;
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;

    void Lock() ACQUIRE() { mutex.lock(); }
    void Unlock() RELEASE() { mutex.unlock(); }

  private:
    std::mutex mutex;
};

// Holds a Mutex from its construction to its end.
class SCOPED_CAPABILITY MutexLock {
  public:
    explicit MutexLock(Mutex& mutex) ACQUIRE(mutex) : held(mutex) { held.Lock(); }
    ~MutexLock() RELEASE() { held.Unlock(); }
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;

  private:
    Mutex& held;
};
