#pragma once

// An exclusive advisory lock (flock) on a folder, held while the object lives: the way
// several processes that replace a file in that folder take turns, without a lock file
// beside it. Each lock opens the folder anew, so it also excludes other threads of this
// process, and a thread that asks again for a lock it holds waits for ever. One thread
// owns an object.

#include <string>

#include "platform/file_descriptor.h"

class FolderLock {
  public:
    // Waits until the lock is had, or fails (error() says why).
    explicit FolderLock(const std::string& folder);

    // 0 when held, else the errno value of the failure.
    int error() const { return failure; }

  private:
    UniqueFd fd;  // closing it releases the lock
    int failure = 0;
};
