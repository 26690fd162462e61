#include "generate/album_scan.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <deque>
#include <memory>
#include <set>
#include <utility>

#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/folder_listing.h"
#include "platform/paths.h"
#include "platform/wildcard.h"

namespace {

using FolderId = std::pair<dev_t, ino_t>;

FolderId IdOf(const struct stat& status) {
    return {status.st_dev, status.st_ino};
}

// An album while the walk goes on: children stay where they are, so a link found
// later can still add to its folder's album.
struct Node {
    std::string path;
    std::string name;
    FileList files;
    std::vector<std::unique_ptr<Node>> children;
};

struct SubFolder {
    std::string name;
    FolderId id;
    bool isLink;
};

struct PendingLink {
    Node* parent;
    std::string name;
    std::string fullPath;
    std::vector<FolderId> way;  // the folders from the top down to the one holding the link
};

std::string RealPath(const std::string& path) {
    const std::unique_ptr<char, void (*)(void*)> real(::realpath(path.c_str(), nullptr), ::free);
    return real ? std::string(real.get()) : std::string();
}

// True when real lies at or below folder (both real paths).
bool IsWithin(const std::string& real, const std::string& folder) {
    return real == folder || real.starts_with(folder.ends_with('/') ? folder : folder + "/");
}

std::string Note(const std::string& folder, const std::string& why) {
    return "Left out \"" + folder + "\": " + why + ".";
}

class TreeWalk {
  public:
    TreeWalk(const std::string& source, const std::string& patterns,
             const std::vector<std::string>& excludedFolders,
             const std::vector<std::string>& reservedNames)
        : source(source),
          sourceReal(RealPath(source.empty() ? "." : source)),
          patterns(SplitPatterns(patterns)),
          reservedNames(reservedNames) {
        for (const std::string& folder : excludedFolders) {
            struct stat status;
            std::string real = RealPath(folder);
            // A site written into the source itself (or above it) excludes only its own
            // folders, which come as entries of their own.
            if (real.empty() || (!sourceReal.empty() && IsWithin(sourceReal, real)) ||
                ::stat(real.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) {
                continue;
            }
            excludedIds.insert(IdOf(status));
            excludedReal.push_back(std::move(real));
        }
    }

    void Run(Node& top) {
        struct stat status;
        if (::stat(source.empty() ? "." : source.c_str(), &status) != 0) {
            notes.push_back(Note(source, "it cannot be read (" + ErrorCodeText(errno) + ")"));
            complete = false;
            return;
        }
        visited.insert(IdOf(status));
        std::vector<FolderId> way{IdOf(status)};
        Walk(top, source, way);
        // Links only after every real folder is known, so none takes a folder's place.
        while (!links.empty()) {
            PendingLink link = std::move(links.front());
            links.pop_front();
            Follow(link);
        }
    }

    std::vector<std::string> notes;
    bool complete = true;

  private:
    // Files of the folder into node; its subfolders, hidden and excluded ones noted and left out.
    std::vector<SubFolder> List(Node& node, const std::string& folder) {
        std::vector<SubFolder> subFolders;
        FolderListing listing(folder.empty() ? "." : folder);
        if (!listing.IsOpen()) {
            notes.push_back(Note(
                folder, "it cannot be read (" + ErrorCodeText(listing.failure().error()) + ")"));
            complete = false;
            return subFolders;
        }
        for (FolderEntry entry; listing.Next(entry);) {
            const std::string& name = entry.name;
            unsigned char type = entry.type;
            bool isLink = type == DT_LNK;
            struct stat status;
            bool known = false;  // status holds what the entry leads to
            if (type == DT_UNKNOWN) {
                if (::fstatat(listing.Descriptor(), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) !=
                    0) {
                    continue;
                }
                isLink = S_ISLNK(status.st_mode);
                known = !isLink;
            }
            if (isLink) {
                if (::fstatat(listing.Descriptor(), name.c_str(), &status, 0) != 0) {
                    continue;  // a link to nothing
                }
                known = true;
            }
            if (known) {
                type = S_ISDIR(status.st_mode)   ? DT_DIR
                       : S_ISREG(status.st_mode) ? DT_REG
                                                 : DT_UNKNOWN;
            }
            if (type == DT_REG) {
                for (const std::string& pattern : patterns) {
                    if (WildcardMatch(pattern, name)) {
                        node.files.push_back(JoinPath(folder, name));
                    }
                }
                continue;
            }
            if (type != DT_DIR) {
                continue;
            }
            if (name.starts_with('.')) {
                notes.push_back(Note(JoinPath(folder, name), "a hidden folder"));
                continue;
            }
            if (std::any_of(reservedNames.begin(), reservedNames.end(),
                            [&name](const std::string& reserved) {
                                return AsciiLowerCase(reserved) == AsciiLowerCase(name);
                            })) {
                notes.push_back(Note(JoinPath(folder, name),
                                     "the site keeps its own pictures in folders "
                                     "of that name"));
                continue;
            }
            if (!known &&
                ::fstatat(listing.Descriptor(), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
                continue;  // gone meanwhile
            }
            if (excludedIds.contains(IdOf(status))) {
                notes.push_back(Note(JoinPath(folder, name), "the site is written there"));
                continue;
            }
            subFolders.push_back({name, IdOf(status), isLink});
        }
        if (!listing.failure().ok()) {
            // What was read is kept, as a folder read whole would be; the tree says it is not.
            notes.push_back("Read \"" + folder + "\" only in part: its listing broke off (" +
                            ErrorCodeText(listing.failure().error()) + ").");
            complete = false;
        }
        return subFolders;
    }

    void Walk(Node& node, const std::string& folder, std::vector<FolderId>& way) {
        for (SubFolder& sub : List(node, folder)) {
            std::string path = JoinPath(folder, sub.name);
            if (sub.isLink) {
                links.push_back({&node, std::move(sub.name), std::move(path), way});
                continue;
            }
            if (!visited.insert(sub.id).second) {
                notes.push_back(Note(path, "the same folder is walked already"));
                continue;
            }
            way.push_back(sub.id);
            Descend(node, sub.name, path, way);
            way.pop_back();
        }
    }

    void Descend(Node& parent, const std::string& name, const std::string& path,
                 std::vector<FolderId>& way) {
        auto child = std::make_unique<Node>();
        child->path = JoinPath(parent.path, name);
        child->name = name;
        Walk(*child, path, way);
        parent.children.push_back(std::move(child));
    }

    void Follow(PendingLink& link) {
        const std::string real = RealPath(link.fullPath);
        struct stat status;
        if (real.empty() || ::stat(real.c_str(), &status) != 0) {
            notes.push_back(Note(link.fullPath,
                                 "a link that cannot be followed (" + ErrorCodeText(errno) + ")"));
        } else if (sourceReal.empty() || !IsWithin(real, sourceReal)) {
            notes.push_back(Note(link.fullPath, "a link that leads outside the source folder"));
        } else if (std::find(link.way.begin(), link.way.end(), IdOf(status)) != link.way.end()) {
            notes.push_back(Note(link.fullPath, "a link back to a folder that holds it"));
        } else if (visited.contains(IdOf(status))) {
            notes.push_back(Note(link.fullPath, "a link to a folder that is walked already"));
        } else if (std::any_of(
                       excludedReal.begin(), excludedReal.end(),
                       [&real](const std::string& folder) { return IsWithin(real, folder); })) {
            notes.push_back(Note(link.fullPath, "a link to where the site is written"));
        } else {
            visited.insert(IdOf(status));
            link.way.push_back(IdOf(status));
            Descend(*link.parent, link.name, link.fullPath, link.way);
        }
    }

    std::string source;
    std::string sourceReal;
    std::vector<std::string> patterns;
    std::vector<std::string> reservedNames;
    std::set<FolderId> excludedIds;
    std::vector<std::string> excludedReal;
    std::set<FolderId> visited;
    std::deque<PendingLink> links;
};

// False when neither the node nor any folder below it has a file.
bool Build(Node& node, Album& album) {
    album.path = std::move(node.path);
    album.name = std::move(node.name);
    album.files = std::move(node.files);
    SortFileList(album.files);
    for (const std::unique_ptr<Node>& child : node.children) {
        Album sub;
        if (Build(*child, sub)) {
            album.albums.push_back(std::move(sub));
        }
    }
    std::sort(album.albums.begin(), album.albums.end(),
              [](const Album& a, const Album& b) { return FileListOrder(a.name, b.name); });
    return !album.files.empty() || !album.albums.empty();
}

std::string FolderName(std::string folder) {
    while (folder.size() > 1 && folder.ends_with('/')) {
        folder.pop_back();
    }
    return PathFileName(folder);
}

}  // namespace

AlbumTree ScanAlbums(const std::string& sourceFolder, const std::string& patterns,
                     const std::vector<std::string>& excludedFolders,
                     const std::vector<std::string>& reservedNames) {
    Node top;
    top.name = FolderName(sourceFolder);
    TreeWalk walk(sourceFolder, patterns, excludedFolders, reservedNames);
    walk.Run(top);
    AlbumTree tree;
    Build(top, tree.top);
    tree.notes = std::move(walk.notes);
    tree.complete = walk.complete;
    // By folder rather than in the order the file system happens to list entries.
    std::sort(tree.notes.begin(), tree.notes.end(), FileListOrder);
    return tree;
}

int PictureCount(const Album& album) {
    int count = static_cast<int>(album.files.size());
    for (const Album& sub : album.albums) {
        count += PictureCount(sub);
    }
    return count;
}
