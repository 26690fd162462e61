#pragma once

// A folder mounted again through FUSE by one of the test file systems in tests/support
// (passthrough_fs.py and the ones built on it), for as long as the object lives. Needs
// /dev/fuse, root (or fusermount) and Debian's python3-fusepy; a test skips when Mounted
// is false and shows what the script said.

#include <sys/types.h>

#include <string>

class FuseMount {
  public:
    // Runs script (a path below tests/support or tests/generate) with root and mountPoint,
    // both made when missing, and waits until it says it is mounted or has ended.
    FuseMount(const std::string& script, const std::string& root, const std::string& mountPoint);
    ~FuseMount();
    FuseMount(const FuseMount&) = delete;
    FuseMount& operator=(const FuseMount&) = delete;

    bool Mounted() const { return said == "mounted\n"; }
    std::string said;  // what the script printed

  private:
    std::string mountPoint;
    pid_t pid = -1;
};
