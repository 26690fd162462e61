#include "upload/upload_mirror.h"

#include <algorithm>
#include <set>

namespace {

// A name the walk may take: not the server's own (a leading dot), no path of its own and
// nothing a command could not carry.
bool Ours(const std::string& name) {
    return !name.empty() && name.front() != '.' &&
           std::none_of(name.begin(), name.end(), [](char c) {
               const auto byte = static_cast<unsigned char>(c);
               return c == '/' || c == '\\' || byte < 0x20 || byte == 0x7F;
           });
}

std::string Below(const std::string& folder, const std::string& name) {
    return folder.empty() ? name : folder + "/" + name;
}

class ExtraWalk {
  public:
    ExtraWalk(FtpClient& connection, const std::string& remoteRoot, const LocalSite& site,
              std::vector<std::string>& extras)
        : connection(connection),
          remoteRoot(remoteRoot),
          site(site),
          files(site.files.begin(), site.files.end()),
          extras(extras) {}

    // Walks the remote twin of a local folder (relative path, "" for the root).
    bool Compare(const std::string& folder) {
        std::vector<RemoteEntry> entries;
        if (!List(folder, entries)) {
            return false;
        }
        for (const RemoteEntry& entry : entries) {
            if (!Ours(entry.name)) {
                continue;
            }
            const std::string path = Below(folder, entry.name);
            if (site.skippedPaths.count(path) != 0) {
                continue;
            }
            if (entry.folder) {
                if (site.folders.count(path) != 0) {
                    if (!Compare(path)) {
                        return false;
                    }
                } else if (!Everything(path)) {
                    return false;
                }
            } else if (files.count(path) == 0) {
                extras.push_back(path);
            }
        }
        return true;
    }

  private:
    // Takes a remote folder the site lacks: all of it, the folder last, unless it holds
    // a name of the server's own, which keeps the folder (and that name) in place.
    bool Everything(const std::string& folder) {
        bool kept = false;
        return Everything(folder, kept);
    }
    bool Everything(const std::string& folder, bool& kept) {
        std::vector<RemoteEntry> entries;
        if (!List(folder, entries)) {
            return false;
        }
        for (const RemoteEntry& entry : entries) {
            if (!Ours(entry.name)) {
                kept = true;
                continue;
            }
            const std::string path = Below(folder, entry.name);
            if (entry.folder) {
                bool inner = false;
                if (!Everything(path, inner)) {
                    return false;
                }
                kept = kept || inner;
            } else {
                extras.push_back(path);
            }
        }
        if (!kept) {
            extras.push_back(folder + "/");
        }
        return true;
    }

    bool List(const std::string& folder, std::vector<RemoteEntry>& entries) {
        std::string target = remoteRoot;
        if (!folder.empty()) {
            target += (target.empty() || target.back() != '/' ? "/" : "") + folder;
        }
        if (!connection.SetCurrentDirectory(target) || !connection.ListFolder(entries)) {
            return false;
        }
        // In name order, whatever order the server lists them in.
        std::sort(entries.begin(), entries.end(),
                  [](const RemoteEntry& a, const RemoteEntry& b) { return a.name < b.name; });
        return true;
    }

    FtpClient& connection;
    const std::string& remoteRoot;
    const LocalSite& site;
    const std::set<std::string> files;
    std::vector<std::string>& extras;
};

}  // namespace

bool FindExtraRemoteEntries(FtpClient& connection, const std::string& remoteRoot,
                            const LocalSite& site, std::vector<std::string>& extras) {
    extras.clear();
    ExtraWalk walk(connection, remoteRoot, site, extras);
    return walk.Compare("");
}

bool DeleteRemoteEntries(FtpClient& connection, const std::string& remoteRoot,
                         const std::vector<std::string>& extras, std::string& failedPath) {
    if (!connection.SetCurrentDirectory(remoteRoot)) {
        failedPath = remoteRoot;
        return false;
    }
    for (const std::string& path : extras) {
        const bool folder = !path.empty() && path.back() == '/';
        const bool deleted = folder ? connection.RemoveDirectory(path.substr(0, path.size() - 1))
                                    : connection.DeleteFile(path);
        if (!deleted) {
            failedPath = path;
            return false;
        }
    }
    return true;
}
