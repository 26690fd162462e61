#include "upload/upload_mirror.h"

#include <algorithm>
#include <map>

#include "platform/ascii.h"
#include "platform/format.h"
#include "platform/paths.h"
#include "upload/remote_paths.h"

namespace {

// A name the walk may take: not the server's own (a leading dot), no path of its own and
// nothing a command could not carry.
bool Ours(const std::string& name) {
    return !name.empty() && name.front() != '.' &&
           std::none_of(name.begin(), name.end(),
                        [](char c) { return c == '/' || c == '\\' || IsAsciiControl(c); });
}

std::string Below(const std::string& folder, const std::string& name) {
    return folder.empty() ? name : folder + "/" + name;
}

// Changes into folder (absolute) and has the server confirm it is there.
bool Enter(FtpClient& connection, const std::string& folder, MirrorFailure& failure) {
    failure.folder = folder;
    std::string said;
    Result entered = connection.SetCurrentDirectory(folder);
    if (entered.ok()) {
        entered = connection.GetCurrentDirectory(said);
    }
    if (!entered.ok()) {
        failure.reason = entered.text();
        return false;
    }
    if (!SameRemoteFolder(said, folder)) {
        failure.reason = "After changing into it the server said it is in \"" + said +
                         "\", so Mavren cannot be sure which folder it would delete in.";
        return false;
    }
    return true;
}

class ExtraWalk {
  public:
    ExtraWalk(FtpClient& connection, const MirrorScope& scope, const LocalSite& site,
              MirrorPlan& plan, MirrorFailure& failure)
        : connection(connection),
          scope(scope),
          site(site),
          files(site.files.begin(), site.files.end()),
          plan(plan),
          failure(failure) {
        // Every local name by its folder and its name in lower case.
        const auto add = [this](const std::string& path) {
            localNames[PathFolder(path)][AsciiLowerCase(PathFileName(path))] = PathFileName(path);
        };
        std::for_each(site.files.begin(), site.files.end(), add);
        std::for_each(site.folders.begin(), site.folders.end(), add);
        std::for_each(site.skippedPaths.begin(), site.skippedPaths.end(), add);
    }

    // Walks the remote twin of a local folder (relative path, "" for the root).
    bool Compare(const std::string& folder) {
        std::vector<RemoteEntry> entries;
        if (!List(folder, entries)) {
            return false;
        }
        for (const RemoteEntry& entry : entries) {
            const std::string path = Below(folder, entry.name);
            if (!Ours(entry.name) || site.skippedPaths.count(path) != 0 || files.count(path) != 0) {
                continue;
            }
            if (site.folders.count(path) != 0) {
                if (!entry.folder) {
                    Keep(path, "the site has a folder of that name, the server a link or a file");
                } else if (Enterable(entry, path) && !Compare(path)) {
                    return false;
                }
            } else if (const std::string* twin = CaseTwin(folder, entry.name)) {
                Keep(entry.folder ? path + "/" : path,
                     "its name differs from \"" + *twin + "\" only in letter case");
            } else if (entry.link) {
                plan.extras.push_back({path, RemoteExtra::Kind::Link});
            } else if (entry.folder) {
                bool kept = false;
                if (!Enterable(entry, path)) {
                    continue;
                }
                if (!Everything(path, kept)) {
                    return false;
                }
            } else {
                plan.extras.push_back({path, RemoteExtra::Kind::File});
            }
        }
        return true;
    }

  private:
    // Takes a remote folder the site lacks: all of it, the folder last, unless something in
    // it stays (a name of the server's own, say), which keeps the folder in place.
    bool Everything(const std::string& folder, bool& kept) {
        std::vector<RemoteEntry> entries;
        if (!List(folder, entries)) {
            return false;
        }
        for (const RemoteEntry& entry : entries) {
            const std::string path = Below(folder, entry.name);
            if (!Ours(entry.name)) {
                kept = true;
            } else if (entry.link) {
                plan.extras.push_back({path, RemoteExtra::Kind::Link});
            } else if (entry.folder) {
                bool inner = false;
                if (!Enterable(entry, path)) {
                    inner = true;
                } else if (!Everything(path, inner)) {
                    return false;
                }
                kept = kept || inner;
            } else {
                plan.extras.push_back({path, RemoteExtra::Kind::File});
            }
        }
        if (!kept) {
            plan.extras.push_back({folder, RemoteExtra::Kind::Folder});
        }
        return true;
    }

    // Whether the mirror may look inside a remote folder: one it cannot tell from a link,
    // or one the server names as another folder of the walk, is left alone unless this
    // upload made it.
    bool Enterable(const RemoteEntry& entry, const std::string& path) {
        if (scope.made.count(path) != 0) {
            return true;
        }
        if (entry.mayBeLink) {
            Keep(path + "/", "the server does not tell whether it is a folder or a link to one");
            return false;
        }
        if (!entry.unique.empty()) {
            const auto [it, added] = folders.emplace(entry.unique, path);
            if (!added) {
                Keep(path + "/",
                     "the server names it as the same folder as \"" + it->second + "/\"");
                return false;
            }
        }
        return true;
    }

    // The local name in folder that differs from name only in letter case, if any.
    const std::string* CaseTwin(const std::string& folder, const std::string& name) const {
        const auto names = localNames.find(folder);
        if (names == localNames.end()) {
            return nullptr;
        }
        const auto it = names->second.find(AsciiLowerCase(name));
        return it == names->second.end() ? nullptr : &it->second;
    }

    void Keep(const std::string& path, const std::string& why) {
        plan.kept.push_back("Keeping \"" + ShownPath(path) + "\" on the server: " + why);
    }

    bool List(const std::string& folder, std::vector<RemoteEntry>& entries) {
        if (!Enter(connection, RemoteFolderPath(scope.root, folder), failure)) {
            return false;
        }
        if (const Result listed = connection.ListFolder(entries); !listed.ok()) {
            failure.reason = listed.text();
            return false;
        }
        // In name order, whatever order the server lists them in.
        std::sort(entries.begin(), entries.end(),
                  [](const RemoteEntry& a, const RemoteEntry& b) { return a.name < b.name; });
        for (const RemoteEntry& entry : entries) {
            if (!entry.folder) {
                ++plan.filesListed;
            }
            if (Ours(entry.name) || entry.name.front() == '.') {
                continue;
            }
            Keep(Below(folder, entry.name), "no command can carry its name");
        }
        return true;
    }

    FtpClient& connection;
    const MirrorScope& scope;
    const LocalSite& site;
    const std::set<std::string> files;
    std::map<std::string, std::map<std::string, std::string>> localNames;
    std::map<std::string, std::string> folders;  // the unique facts of folders walked
    MirrorPlan& plan;
    MirrorFailure& failure;
};

}  // namespace

std::string ShownExtra(const RemoteExtra& extra) {
    return extra.kind == RemoteExtra::Kind::Folder ? extra.path + "/" : extra.path;
}

bool FindExtraRemoteEntries(FtpClient& connection, const MirrorScope& scope, const LocalSite& site,
                            MirrorPlan& plan, MirrorFailure& failure) {
    plan = MirrorPlan{};
    ExtraWalk walk(connection, scope, site, plan, failure);
    return walk.Compare("");
}

bool DeleteRemoteEntries(FtpClient& connection, const std::string& root,
                         const std::vector<RemoteExtra>& extras, MirrorFailure& failure) {
    // The files first, each folder's in one call (a server may take many at once), then
    // the folders in their order, each after what it held.
    std::vector<std::string> order;
    std::map<std::string, std::vector<std::string>> files;
    for (const RemoteExtra& extra : extras) {
        if (extra.kind != RemoteExtra::Kind::Folder) {
            const std::string folder = PathFolder(extra.path);
            if (files.count(folder) == 0) {
                order.push_back(folder);
            }
            files[folder].push_back(PathFileName(extra.path));
        }
    }
    for (const std::string& folder : order) {
        const std::string path = RemoteFolderPath(root, folder);
        if (!Enter(connection, path, failure)) {
            return false;
        }
        std::string failed;
        if (const Result deleted = connection.DeleteFiles(path, files[folder], failed);
            !deleted.ok()) {
            failure = {Below(folder, failed), deleted.text()};
            return false;
        }
    }
    std::string current;
    bool entered = false;
    for (const RemoteExtra& extra : extras) {
        if (extra.kind != RemoteExtra::Kind::Folder) {
            continue;
        }
        const std::string folder = PathFolder(extra.path);
        if (!entered || folder != current) {
            if (!Enter(connection, RemoteFolderPath(root, folder), failure)) {
                return false;
            }
            current = folder;
            entered = true;
        }
        if (const Result removed = connection.RemoveDirectory(PathFileName(extra.path));
            !removed.ok()) {
            failure = {ShownExtra(extra), removed.text()};
            return false;
        }
    }
    return true;
}

std::string DeletionOverLimit(const DeleteLimit& limit, std::int64_t files, std::int64_t listed) {
    constexpr std::int64_t kMostFiles = 50;
    switch (limit.kind) {
        case DeleteLimit::Kind::None:
            return {};
        case DeleteLimit::Kind::AtMost:
            return files > limit.count ? StringPrintf("more than the %s allowed",
                                                      GroupedNumber(limit.count).c_str())
                                       : std::string();
        case DeleteLimit::Kind::Default:
            break;
    }
    if (files > kMostFiles) {
        return StringPrintf("more than %s", GroupedNumber(kMostFiles).c_str());
    }
    if (files * 4 > listed) {
        return StringPrintf("more than a quarter of the %s files there",
                            GroupedNumber(listed).c_str());
    }
    return {};
}
