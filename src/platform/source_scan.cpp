#include "platform/source_scan.h"

#include <sys/stat.h>

#include <algorithm>
#include <set>
#include <utility>

#include "platform/ascii.h"
#include "platform/folder_listing.h"
#include "platform/paths.h"
#include "platform/wildcard.h"

namespace {

class FolderWalk {
  public:
    FolderWalk(const std::string& root, bool recurse) : recurse(recurse) {
        entries.reserve(100);
        struct stat status;
        if (recurse && ::stat(root.empty() ? "." : root.c_str(), &status) == 0) {
            open.insert({status.st_dev, status.st_ino});
        }
    }

    void Walk(const std::string& folder, const std::string& pattern) {
        // Names first, then recursion, so no more than one folder stays open per level.
        std::vector<std::string> names;
        {
            FolderListing listing(folder.empty() ? "." : folder);
            if (!listing.IsOpen()) {
                return;
            }
            for (FolderEntry entry; listing.Next(entry);) {
                if (WildcardMatch(pattern, entry.name)) {
                    names.push_back(entry.name);
                }
            }
            whole = whole && listing.failure().ok();
        }
        for (const std::string& name : names) {
            std::string path = JoinPath(folder, name);
            struct stat status;
            const bool known = ::stat(path.c_str(), &status) == 0;
            if (!recurse && !(known && S_ISREG(status.st_mode))) {
                continue;  // a folder or a pipe named like a picture is no source
            }
            if (recurse && known && S_ISDIR(status.st_mode)) {
                // A link back up the tree must not send the walk round in circles.
                const std::pair<dev_t, ino_t> id{status.st_dev, status.st_ino};
                if (open.insert(id).second) {
                    Walk(path, pattern);
                    open.erase(id);
                }
                continue;
            }
            entries.push_back(std::move(path));
        }
    }

    FileList entries;
    bool whole = true;

  private:
    bool recurse;
    std::set<std::pair<dev_t, ino_t>> open;  // folders on the current walk path
};

}  // namespace

std::vector<std::string> SplitPatterns(const std::string& patterns) {
    std::vector<std::string> list;
    std::size_t start = 0;
    for (std::size_t end = patterns.find(';'); end != std::string::npos;
         start = end + 1, end = patterns.find(';', start)) {
        list.push_back(patterns.substr(start, end - start));
    }
    list.push_back(patterns.substr(start));
    return list;
}

bool FileListOrder(std::string_view a, std::string_view b) {
    const int order = CompareIgnoringCase(a, b);
    return order != 0 ? order < 0 : a < b;  // ties in byte order, for stable output
}

void SortFileList(FileList& files) {
    std::sort(files.begin(), files.end(), FileListOrder);
}

std::unique_ptr<FileList> ScanFiles(const std::string& folder, const std::string& patterns,
                                    bool recurse, bool* whole) {
    FolderWalk walk(folder, recurse);
    for (const std::string& pattern : SplitPatterns(patterns)) {
        walk.Walk(folder, pattern);
    }
    if (whole != nullptr) {
        *whole = walk.whole;
    }
    if (walk.entries.empty()) {
        return nullptr;
    }
    SortFileList(walk.entries);
    return std::make_unique<FileList>(std::move(walk.entries));
}
