#pragma once

// Program files edited by several processes at once: mavren-cli set, theme and generate,
// and the desktop program. Every save takes the program-file lock, an exclusive lock on
// the folder that holds the file (after links), so saves follow one another and no lock
// file is left beside the program; a command that loads, changes and saves holds it
// across all three, so that no change made meanwhile is lost. The lock is re-entrant
// within a thread: a save made while the thread holds it goes on under it. A folder that
// cannot be opened (no read permission) is written unlocked, as it always was.
//
// ProgramFileStamp tells whether a file on disk is still the one read or written last.
// Safe from any thread; a lock object belongs to the thread that made it.

#include <sys/stat.h>

#include <memory>
#include <string>

class FolderLock;

class ProgramFileLock {
  public:
    // Waits until the lock of the program file at path is had.
    explicit ProgramFileLock(const std::string& path);
    ~ProgramFileLock();
    ProgramFileLock(const ProgramFileLock&) = delete;
    ProgramFileLock& operator=(const ProgramFileLock&) = delete;

  private:
    std::string folder;
    std::unique_ptr<FolderLock> lock;  // none when this thread held the lock already
};

// One version of a file on disk: which file it is, its size and its modification time.
// A save replaces the file by another, so every save gives a new stamp.
struct ProgramFileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};

    bool operator==(const ProgramFileStamp& other) const;
};

// The stamp of the file at path (after links); exists is false when there is none.
ProgramFileStamp StampProgramFile(const std::string& path);
