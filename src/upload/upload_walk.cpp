#include "upload/upload_walk.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <map>
#include <memory>
#include <utility>

#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/folder_listing.h"
#include "platform/temporary_files.h"

namespace {

// The path with every link resolved; empty when it cannot be.
std::string RealPath(const std::string& path) {
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr),
                                                           &std::free);
    return real ? std::string(real.get()) : std::string();
}

class SiteWalk {
  public:
    explicit SiteWalk(std::string root) : root(std::move(root)) {}

    LocalSite Run() {
        struct stat status;
        if (::stat(root.c_str(), &status) != 0) {
            return {};
        }
        seen.emplace(std::pair{status.st_dev, status.st_ino}, std::string("."));
        // Folders still to walk, in place of recursion: a site may be nested deeply.
        std::vector<std::string> pending{""};
        while (!pending.empty()) {
            const std::string folder = std::move(pending.back());
            pending.pop_back();
            Walk(folder, pending);
        }
        const auto byPath = [](const std::string& a, const std::string& b) {
            const int order = CompareIgnoringCase(a, b);
            return order != 0 ? order < 0 : a < b;
        };
        std::sort(site.files.begin(), site.files.end(), byPath);
        std::sort(site.skipped.begin(), site.skipped.end(),
                  [&byPath](const SkippedEntry& a, const SkippedEntry& b) {
                      return byPath(a.path, b.path);
                  });
        return std::move(site);
    }

  private:
    std::string Absolute(const std::string& path) const {
        return path.empty() ? root : root + "/" + path;
    }

    bool Inside(const std::string& real) const {
        return real == root || (real.size() > root.size() && real[root.size()] == '/' &&
                                real.compare(0, root.size(), root) == 0);
    }

    void Skip(const std::string& path, std::string reason) {
        site.skippedPaths.insert(path);
        site.skipped.push_back({path, std::move(reason)});
    }

    void Walk(const std::string& folder, std::vector<std::string>& pending) {
        std::vector<std::string> names;
        {
            FolderListing listing(Absolute(folder));
            if (!listing.IsOpen()) {
                if (!folder.empty()) {
                    Skip(folder, ErrorCodeText(listing.failure().error()));
                }
                return;
            }
            for (FolderEntry entry; listing.Next(entry);) {
                names.push_back(std::move(entry.name));
            }
            if (!listing.failure().ok()) {
                // What was read is there to send; the rest of the folder is unknown.
                site.unread.push_back({folder, ErrorCodeText(listing.failure().error())});
            }
        }
        for (const std::string& name : names) {
            Take(folder.empty() ? name : folder + "/" + name, name, pending);
        }
    }

    void Take(const std::string& path, const std::string& name, std::vector<std::string>& pending) {
        if (std::any_of(name.begin(), name.end(), IsAsciiControl)) {
            Skip(path, "its name holds a line break or another control character");
            return;
        }
        if (IsTemporaryFileName(name)) {
            Skip(path, "a temporary file Mavren was writing");  // never part of the site
            return;
        }
        const std::string absolute = Absolute(path);
        struct stat status;
        if (::lstat(absolute.c_str(), &status) != 0) {
            Skip(path, ErrorCodeText(errno));
            return;
        }
        if (S_ISLNK(status.st_mode)) {
            TakeLink(path, absolute);
        } else if (S_ISDIR(status.st_mode)) {
            const auto [it, added] = seen.emplace(std::pair{status.st_dev, status.st_ino}, path);
            if (!added) {
                Skip(path, "the same folder as \"" + it->second + "\"");
                return;
            }
            site.folders.insert(path);
            pending.push_back(path);
        } else if (S_ISREG(status.st_mode)) {
            site.files.push_back(path);
        } else {
            Skip(path, "not a regular file");  // a pipe or a device would never end
        }
    }

    void TakeLink(const std::string& path, const std::string& absolute) {
        struct stat target;
        const std::string real = RealPath(absolute);
        if (::stat(absolute.c_str(), &target) != 0 || real.empty()) {
            Skip(path, "a link that leads nowhere");
        } else if (S_ISDIR(target.st_mode)) {
            Skip(path, Inside(real) ? "a link to a folder of the site, sent under its own name"
                                    : "a link to a folder outside the site");
        } else if (!S_ISREG(target.st_mode)) {
            Skip(path, "not a regular file");
        } else if (!Inside(real)) {
            Skip(path, "a link to a file outside the site");
        } else {
            site.files.push_back(path);
        }
    }

    const std::string root;
    LocalSite site;
    std::map<std::pair<dev_t, ino_t>, std::string> seen;  // folders walked, by identity
};

}  // namespace

LocalSite WalkLocalSite(const std::string& folder) {
    const std::string root = RealPath(folder.empty() ? "." : folder);
    return root.empty() ? LocalSite{} : SiteWalk(root).Run();
}

std::string ShownPath(const std::string& path) {
    std::string shown = path;
    std::replace_if(shown.begin(), shown.end(), IsAsciiControl, '?');
    return shown;
}
