#include "generate/stale_output.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <set>
#include <tuple>
#include <utility>

#include "generate/html_files.h"
#include "generate/product.h"
#include "platform/app_folders.h"
#include "platform/files.h"
#include "platform/folder_listing.h"
#include "platform/format.h"
#include "platform/paths.h"
#include "platform/source_scan.h"
#include "work/worker_messages.h"

namespace {

constexpr char kThumbnailFolder[] = "Thumbs";
constexpr char kThumbnailPrefix[] = "TN_";
constexpr char kDoubleThumbnailFolder[] = "Thumbs/2x";
constexpr char kWebFolder[] = "Web";
constexpr char kPhoneFolder[] = "Web/Small";

// The names of a folder's entries that are folders (not links to them), or else those that
// are not.
std::vector<std::string> EntryNames(const std::string& folder, bool folders) {
    std::vector<std::string> names;
    FolderListing listing(folder);
    for (FolderEntry entry; listing.Next(entry);) {
        const unsigned char type = listing.TypeOf(entry);
        if (type != DT_UNKNOWN && (type == DT_DIR) == folders) {
            names.push_back(std::move(entry.name));
        }
    }
    return names;
}

std::vector<std::string> FileNames(const std::string& folder) {
    return EntryNames(folder, false);
}

// The page number of a name the generators write as prefix, a number of at least width
// digits and ".HTM" ("INDEX007.HTM"), or -1.
int PageNumber(const std::string& name, const char* prefix, int width) {
    const std::size_t prefixLength = std::strlen(prefix);
    if (name.size() <= prefixLength + 4 || name.size() > prefixLength + 4 + 9) {
        return -1;
    }
    const std::size_t digits = name.size() - prefixLength - 4;
    int number = 0;
    for (std::size_t i = prefixLength; i < prefixLength + digits; ++i) {
        if (name[i] < '0' || name[i] > '9') {
            return -1;
        }
        number = number * 10 + (name[i] - '0');
    }
    return StringPrintf("%s%0*d.HTM", prefix, width, number) == name ? number : -1;
}

class Remover {
  public:
    // shownAs: how the status lines name the target folder ("" for the site's own).
    Remover(const std::string& target, const std::shared_ptr<WorkerMessageReceiver>& window,
            std::string shownAs = {})
        : target(target), window(window), shownAs(std::move(shownAs)) {}

    // Removes the file named relative to the target folder, and says so.
    void Remove(const std::string& name) {
        const std::string shown = JoinPath(shownAs, name);
        if (::unlink(JoinPath(target, name).c_str()) == 0) {
            ++removed;
            PostStatusText(window, "Removed stale \"" + shown + "\"");
        } else {
            PostStatusText(
                window, "Could not remove stale \"" + shown + "\" (" + ErrorCodeText(errno) + ")");
        }
    }

    int removed = 0;

  private:
    const std::string& target;
    const std::shared_ptr<WorkerMessageReceiver>& window;
    std::string shownAs;
};

bool IsLink(const std::string& path) {
    struct stat status;
    return ::lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode);
}

// Removes the pictures in folder (relative to the target) whose names are not in names.
// Only JPEG and PNG files count: those are all the run writes there. With byThumbnail, a
// picture goes only while "Thumbs" still holds the thumbnail of the same name, the mark of
// a former source: "Web" is an everyday folder name, and a picture of the user's own there
// has none. A linked folder is left alone, as a linked "Thumbs" is.
void RemoveStalePictures(const std::string& target, const char* folder,
                         const std::set<std::string>& names, Remover& remover,
                         const std::shared_ptr<WorkerMessageReceiver>& window,
                         bool byThumbnail = false) {
    const std::string path = JoinPath(target, folder);
    if (IsLink(path)) {
        PostStatusText(window, std::string("Not removing stale pictures: \"") + folder +
                                   "\" is a link to another folder");
        return;
    }
    for (const std::string& name : FileNames(path)) {
        const std::string extension = PathExtension(name);
        const bool picture =
            extension == "JPG" || extension == "JPEG" || extension == "JPE" || extension == "PNG";
        const bool former =
            !byThumbnail ||
            ::access(JoinPath(target, std::string(kThumbnailFolder) + "/" + kThumbnailPrefix + name)
                         .c_str(),
                     F_OK) == 0;
        if (picture && former && names.count(name) == 0) {
            remover.Remove(JoinPath(folder, name));
        }
    }
}

// With originals withheld, the copies an earlier run made of the sources go: a file of
// the source's name, size and modification time, that is not the source itself.
void RemoveWithheldOriginals(const std::string& target, const std::vector<SourceRecord>& records,
                             Remover& remover) {
    for (const SourceRecord& record : records) {
        if (record.originalPublished) {
            continue;
        }
        const std::string name = PathFileName(record.source);
        struct stat source;
        struct stat copy;
        if (::stat(record.source.c_str(), &source) == 0 &&
            ::lstat(JoinPath(target, name).c_str(), &copy) == 0 && S_ISREG(copy.st_mode) &&
            (copy.st_dev != source.st_dev || copy.st_ino != source.st_ino) &&
            copy.st_size == source.st_size && copy.st_mtim.tv_sec == source.st_mtim.tv_sec) {
            remover.Remove(name);
        }
    }
}

}  // namespace

bool IsLinkedThumbnailFolder(const std::string& target) {
    struct stat status;
    return ::lstat(JoinPath(target, kThumbnailFolder).c_str(), &status) == 0 &&
           S_ISLNK(status.st_mode);
}

namespace {

// What RemoveStaleOutput removes, through remover; webCopiesOurs: "Web" holds web copies of
// the site's, also when no record has one now.
void RemoveStale(const std::string& target, const std::vector<SourceRecord>& records,
                 const GenerationSummary& written, bool webCopiesOurs, Remover& remover,
                 const std::shared_ptr<WorkerMessageReceiver>& window) {
    for (const std::string& name : FileNames(target)) {
        const int index = PageNumber(name, "INDEX", 3);
        const int content = PageNumber(name, "GEN", 4);
        const bool stale = (index >= 0 && index >= written.indexPages) ||
                           (content >= 0 && content >= written.contentPages);
        if (stale && CarriesGeneratorMark(JoinPath(target, name))) {
            remover.Remove(name);
        }
    }

    // Any name a source's pictures may have had, in whichever mode they were made.
    std::set<std::string> thumbnailNames;
    std::set<std::string> copyNames;
    for (const SourceRecord& record : records) {
        const std::string name = PathFileName(record.source);
        for (const std::string& kept : {name, name + ".jpg", name + ".png"}) {
            thumbnailNames.insert(kThumbnailPrefix + kept);
        }
        if (PathExtension(name) == "GIF") {
            thumbnailNames.insert(kThumbnailPrefix + std::string(kGifPlaceholderName));
        }
        copyNames.insert(name);
        copyNames.insert(name + ".jpg");
    }
    RemoveWithheldOriginals(target, records, remover);
    // "Web" is an everyday folder name: it counts as ours only while the site has web copies.
    if (webCopiesOurs ||
        std::any_of(records.begin(), records.end(),
                    [](const SourceRecord& record) { return !record.webCopy.empty(); })) {
        RemoveStalePictures(target, kWebFolder, copyNames, remover, window, true);
        RemoveStalePictures(target, kPhoneFolder, copyNames, remover, window, true);
    }
    if (IsLinkedThumbnailFolder(target)) {
        PostStatusText(window,
                       "Not removing stale thumbnails: \"Thumbs\" is a link to "
                       "another folder, which may hold files of your own");
        return;
    }
    const std::string thumbnails = JoinPath(target, kThumbnailFolder);
    for (const std::string& name : FileNames(thumbnails)) {
        if (name.rfind(kThumbnailPrefix, 0) == 0 && thumbnailNames.count(name) == 0) {
            remover.Remove(JoinPath(kThumbnailFolder, name));
        }
    }
    RemoveStalePictures(target, kDoubleThumbnailFolder, thumbnailNames, remover, window);
}

bool IsOwnPicture(const std::string& path, std::string_view name) {
    struct stat copy;
    struct stat original;
    return ::lstat(path.c_str(), &copy) == 0 && S_ISREG(copy.st_mode) &&
           ::stat(JoinPath(ExecutableFolder(), name).c_str(), &original) == 0 &&
           copy.st_size == original.st_size;
}

bool IsGoneAlbum(const std::string& folder) {
    for (const std::string& name : FileNames(folder)) {
        if ((PageNumber(name, "INDEX", 3) >= 0 || PageNumber(name, "GEN", 4) >= 0) &&
            CarriesGeneratorMark(JoinPath(folder, name))) {
            return true;
        }
    }
    return false;
}

class GoneAlbums {
  public:
    GoneAlbums(const std::string& target, const std::string& source,
               const std::set<std::string>& albums, const std::vector<std::string>& sources,
               const std::shared_ptr<WorkerMessageReceiver>& window)
        : target(target), albums(albums), sources(sources), window(window) {
        struct stat status;
        if (::stat(source.c_str(), &status) == 0) {
            sourceId = {status.st_dev, status.st_ino};
        }
    }

    void Walk(const std::string& relative) {
        const std::string folder = JoinPath(target, relative);
        for (const std::string& name : EntryNames(folder, true)) {
            const std::string child = JoinPath(relative, name);
            struct stat status;
            if (name.starts_with('.') || name == kThumbnailFolder || name == kWebFolder ||
                ::lstat(JoinPath(target, child).c_str(), &status) != 0 ||
                !S_ISDIR(status.st_mode) || std::pair(status.st_dev, status.st_ino) == sourceId) {
                continue;
            }
            Walk(child);
            if (albums.count(child) == 0 && IsGoneAlbum(JoinPath(target, child))) {
                Remove(child);
            }
        }
    }

    int removed = 0;

  private:
    void Remove(const std::string& relative) {
        const std::string folder = JoinPath(target, relative);
        Remover remover(folder, window, relative);
        RemoveStale(folder, {}, GenerationSummary(), true, remover, window);
        for (const std::string_view own : {kCreditBadgeName, kGifPlaceholderName}) {
            if (IsOwnPicture(JoinPath(folder, own), own)) {
                remover.Remove(std::string(own));
            }
        }
        for (const std::string& name : FileNames(folder)) {
            struct stat status;
            if (::lstat(JoinPath(folder, name).c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
                IsStillSource(name, status)) {
                remover.Remove(name);
            }
        }
        removed += remover.removed;
        for (const char* sub :
             {kPhoneFolder, kWebFolder, kDoubleThumbnailFolder, kThumbnailFolder}) {
            ::rmdir(JoinPath(folder, sub).c_str());
        }
        PostStatusText(window, ::rmdir(folder.c_str()) == 0
                                   ? "Removed the album \"" + relative +
                                         "\": its folder is gone "
                                         "from the source"
                                   : "Kept the folder \"" + relative +
                                         "\" of an album gone from the source: it holds files "
                                         "that are in the source no longer, or not ours");
    }

    // Whether a file of that name, size and time is among the sources: then the file is a
    // copy of a photo that lives on, and may go with its album.
    bool IsStillSource(const std::string& name, const struct stat& copy) {
        if (!sourcesKnown) {
            for (const std::string& path : sources) {
                struct stat status;
                if (::stat(path.c_str(), &status) == 0) {
                    sourceFacts.insert({PathFileName(path), status.st_size, status.st_mtim.tv_sec});
                }
            }
            sourcesKnown = true;
        }
        return sourceFacts.contains({name, copy.st_size, copy.st_mtim.tv_sec});
    }

    const std::string& target;
    const std::set<std::string>& albums;
    const std::vector<std::string>& sources;
    const std::shared_ptr<WorkerMessageReceiver>& window;
    std::pair<dev_t, ino_t> sourceId{};
    bool sourcesKnown = false;
    std::set<std::tuple<std::string, off_t, time_t>> sourceFacts;
};

}  // namespace

int RemoveStaleOutput(const std::string& target, const std::vector<SourceRecord>& records,
                      const GenerationSummary& written,
                      const std::shared_ptr<WorkerMessageReceiver>& window) {
    Remover remover(target, window);
    RemoveStale(target, records, written, false, remover, window);
    return remover.removed;
}

int RemoveGoneAlbums(const std::string& target, const std::string& source,
                     const std::set<std::string>& albums, const std::vector<std::string>& sources,
                     const std::shared_ptr<WorkerMessageReceiver>& window) {
    GoneAlbums gone(target, source, albums, sources, window);
    gone.Walk(std::string());
    return gone.removed;
}

int CountOtherPictures(const std::string& target, const std::string& patterns,
                       const std::vector<SourceRecord>& records,
                       const std::vector<std::string>& keep) {
    const std::unique_ptr<FileList> found = ScanFiles(target, patterns, false);
    if (!found) {
        return 0;
    }
    std::set<std::string> known(keep.begin(), keep.end());
    for (const SourceRecord& record : records) {
        known.insert(PathFileName(record.source));
    }
    int others = 0;
    std::string previous;  // a file matching two patterns is listed twice, adjacently
    for (const std::string& path : *found) {
        const std::string name = PathFileName(path);
        if (name != previous && known.count(name) == 0) {
            ++others;
        }
        previous = name;
    }
    return others;
}
