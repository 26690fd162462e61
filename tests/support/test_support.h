#pragma once

// Helpers shared by the test programs: temporary folders, whole files, and scripted
// message boxes installed for the length of a test.

#include <memory>
#include <string>

#include "support/scripted_message_box.h"

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return root; }
    // root + "/" + name
    std::string operator/(const std::string& name) const;

  private:
    std::string root;
};

// Writes bytes exactly as given, creating missing folders. Fails the test on error.
void WriteFileBytes(const std::string& path, const std::string& bytes);

// The file's bytes; fails the test when it cannot be read.
std::string ReadFileBytes(const std::string& path);

// Sets a file's modification time (seconds since the epoch).
void SetModificationTime(const std::string& path, long long seconds);

// Lowers the size of the largest file this process may write to bytes while it lives:
// a write past it fails with EFBIG, for root too (unlike a read-only file or folder).
// SIGXFSZ is ignored meanwhile. One at a time; not for tests that run threads.
class ScopedFileSizeLimit {
  public:
    explicit ScopedFileSizeLimit(unsigned long long bytes);
    ~ScopedFileSizeLimit();
    ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
    ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

  private:
    unsigned long long previous;
    void (*previousHandler)(int);
};

// The name of a temporary file that a killed process left behind: ours, with the number
// of a process that cannot exist.
std::string LeftoverName(int number);

// Installs a ScriptedMessageBox for its lifetime, restoring the previous backend after.
class ScopedScriptedBoxes {
  public:
    ScopedScriptedBoxes();
    ~ScopedScriptedBoxes();
    ScopedScriptedBoxes(const ScopedScriptedBoxes&) = delete;
    ScopedScriptedBoxes& operator=(const ScopedScriptedBoxes&) = delete;

    ScriptedMessageBox* operator->() const { return boxes.get(); }
    ScriptedMessageBox& operator*() const { return *boxes; }

  private:
    std::shared_ptr<ScriptedMessageBox> boxes;
    std::shared_ptr<MessageBoxBackend> previous;
};
