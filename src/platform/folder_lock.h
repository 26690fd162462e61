#pragma once

// An exclusive advisory lock (flock) on a folder, held while the object lives: the way
// several processes that replace a file in that folder take turns, without a lock file
// beside it. Each lock opens the folder anew, so it also excludes other threads of this
// process, and a thread that asks again for a lock it holds waits for ever. One thread
// owns an object.

#include <string>

#include "platform/file_descriptor.h"
#include "platform/result.h"

class FolderLock {
  public:
    // Waits until the lock is had, or fails (result() says why).
    explicit FolderLock(const std::string& folder);

    // Ok when held, else the failure: "lock" of the folder, from errno.
    const Result& result() const { return outcome; }

  private:
    UniqueFd fd;  // closing it releases the lock
    Result outcome = Result::Ok();
};
