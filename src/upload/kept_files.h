#pragma once

// What the next record of an upload holds: the files the server has for certain, kept by
// the check (unchanged since the last upload) and by each sending thread (sent, and what
// the server kept checked). A file on its way when the upload ends is not kept, so that
// the next upload sends it. Safe from any thread.

#include <map>
#include <string>
#include <utility>

#include "platform/mutex.h"
#include "upload/upload_record.h"

namespace upload_run {

class KeptFiles {
  public:
    void Keep(const std::string& path, RecordedFile file) EXCLUDES(mutex) {
        const MutexLock lock(mutex);
        files[path] = std::move(file);
    }
    std::map<std::string, RecordedFile> Files() const EXCLUDES(mutex) {
        const MutexLock lock(mutex);
        return files;
    }

  private:
    mutable Mutex mutex;
    std::map<std::string, RecordedFile> files GUARDED_BY(mutex);
};

}  // namespace upload_run
