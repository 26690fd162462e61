#pragma once

// Lists the files of a folder that match a list of wildcard patterns, sorted.

#include <memory>
#include <string>
#include <vector>

using FileList = std::vector<std::string>;

// Walks folder (the current folder when empty) once per pattern of the ";"-separated
// list, in the order written. Each entry is JoinPath(folder, name); with recurse set,
// matching subfolders are walked instead of listed. A file matching two patterns is
// listed twice. The result is sorted by whole path, A to Z compared as a to z; null
// when nothing matched. Thread-safe.
std::unique_ptr<FileList> ScanFiles(const std::string& folder, const std::string& patterns,
                                    bool recurse);
