#pragma once

// Asks the system about many files of a few folders: each folder is opened once and its
// files are looked up by name alone, which on a deep tree spares the walk of the whole
// path for every file (a rerun of a large site asks about some 150,000 files). One per
// thread; the folders stay open while it lives.

#include <sys/stat.h>

#include <map>
#include <string>

#include "platform/file_descriptor.h"
#include "platform/result.h"

class FolderStats {
  public:
    // As ::stat(path, &status) (links followed): ok, or the failure ("stat" of path).
    Result Stat(const std::string& path, struct stat& status);

  private:
    std::map<std::string, UniqueFd> folders;  // a folder that could not be opened: none
};
