#pragma once

// Lists the files of a folder that match a list of wildcard patterns, sorted.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

using FileList = std::vector<std::string>;

// Walks folder (the current folder when empty) once per pattern of the ";"-separated
// list, in the order written. Each entry is JoinPath(folder, name). Without recurse only
// regular files (and links to them) are listed; with recurse, matching subfolders are
// walked and every other entry is listed, for the caller to judge. A file matching two
// patterns is listed twice. The result is sorted by whole path, A to Z compared as a to z; null
// when nothing matched. whole, when given, is set to false when a folder's listing broke
// off part way (what was read is listed all the same), else to true. Thread-safe.
std::unique_ptr<FileList> ScanFiles(const std::string& folder, const std::string& patterns,
                                    bool recurse, bool* whole = nullptr);

// The patterns of a ";"-separated list in the order written, empty ones included (they
// match nothing). A name is listed once for every pattern it matches.
std::vector<std::string> SplitPatterns(const std::string& patterns);

// The order of ScanFiles' result: A to Z compared as a to z, ties in byte order.
bool FileListOrder(std::string_view a, std::string_view b);

// Sorts paths as ScanFiles returns them.
void SortFileList(FileList& files);
