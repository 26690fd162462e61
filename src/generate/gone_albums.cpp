#include "generate/gone_albums.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <set>
#include <string_view>
#include <utility>

#include "generate/former_outputs.h"
#include "generate/html_files.h"
#include "generate/output_removal.h"
#include "generate/product.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace {

// The rest of name after "folder/", when name lies in folder.
std::optional<std::string> Inside(const std::string& name, std::string_view folder) {
    if (name.size() > folder.size() && name.starts_with(folder) && name[folder.size()] == '/') {
        return name.substr(folder.size() + 1);
    }
    return std::nullopt;
}

using FolderId = std::pair<dev_t, ino_t>;

// Folders of albums as the target's file system tells them apart: by name as written,
// or, where it ignores letter case, by the folder each name finds.
class AlbumFolders {
  public:
    AlbumFolders(const std::string& target, bool ignoresCase, std::set<std::string> paths)
        : target(target), ignoresCase(ignoresCase), names(std::move(paths)) {
        if (!ignoresCase) {
            return;
        }
        for (const std::string& path : names) {
            struct stat status;
            if (::lstat(JoinPath(target, path).c_str(), &status) == 0) {
                ids.insert({status.st_dev, status.st_ino});
            }
        }
    }

    bool Contains(const std::string& path) const {
        struct stat status;
        return names.contains(path) ||
               (ignoresCase && ::lstat(JoinPath(target, path).c_str(), &status) == 0 &&
                ids.contains({status.st_dev, status.st_ino}));
    }

  private:
    const std::string& target;
    bool ignoresCase;
    std::set<std::string> names;
    std::set<FolderId> ids;
};

bool CarriesMarkedPage(const std::string& folder) {
    const Expected<std::vector<std::string>> names = EntryNames(folder, false);
    for (const std::string& name : names.ok() ? *names : std::vector<std::string>()) {
        if (IsPageName(name) && CarriesGeneratorMark(JoinPath(folder, name))) {
            return true;
        }
    }
    return false;
}

class GoneAlbums {
  public:
    GoneAlbums(const std::string& target, const std::string& source, FormerOutputs& former,
               const std::shared_ptr<WorkerMessageReceiver>& window)
        : target(target), former(former), window(window) {
        struct stat status;
        if (::stat(source.c_str(), &status) == 0) {
            sourceId = {status.st_dev, status.st_ino};
        }
    }

    void Remove(const std::string& relative, const AlbumState& state) {
        const std::string folder = JoinPath(target, relative);
        struct stat status;
        if (!IsFolderBelow(target, relative) || ::stat(folder.c_str(), &status) != 0 ||
            FolderId(status.st_dev, status.st_ino) == sourceId) {
            return;  // nothing of the album's is there any more
        }
        // What may go is decided before anything goes, so the order of removals decides
        // nothing.
        std::set<std::string> intact;
        for (const AlbumOutputFile& file : state.outputs) {
            if (AsWritten(folder, file)) {
                intact.insert(file.path);
            }
        }
        for (const std::string& name : intact) {
            if (MayGo(folder, name, intact)) {
                former.Discard(folder, relative, name);
            }
        }
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
                                         "that are not ours");
    }

    // Says which folders below the albums hold marked pages but are none of ours.
    void KeepOthers(const std::string& relative, const AlbumFolders& current,
                    const AlbumFolders& recorded) {
        const Expected<std::vector<std::string>> listed =
            EntryNames(JoinPath(target, relative), true);
        if (!listed.ok()) {
            PostStatusText(window, "Could not look through " + ShownFolder(relative) +
                                       ": its listing broke off (" +
                                       ErrorCodeText(listed.failure().error()) + ")");
        }
        for (const std::string& name : listed.ok() ? *listed : std::vector<std::string>()) {
            const std::string child = JoinPath(relative, name);
            struct stat status;
            if (name.starts_with('.') || name == kThumbnailFolder || name == kWebFolder ||
                ::lstat(JoinPath(target, child).c_str(), &status) != 0 ||
                !S_ISDIR(status.st_mode) || FolderId(status.st_dev, status.st_ino) == sourceId) {
                continue;
            }
            if (current.Contains(child)) {
                KeepOthers(child, current, recorded);
            } else if (!recorded.Contains(child) && CarriesMarkedPage(JoinPath(target, child))) {
                PostStatusText(window, "Kept the folder \"" + child +
                                           "\": its pages are not from an album of this program");
            }
        }
    }

  private:
    // Whether the output name (relative to the album's folder), as written, may go with
    // the album; intact: every output that is.
    bool MayGo(const std::string& folder, const std::string& name,
               const std::set<std::string>& intact) {
        const std::string thumbnails = std::string(kThumbnailFolder) + "/";
        if (const auto doubled = Inside(name, kDoubleThumbnailFolder)) {
            return intact.contains(thumbnails + *doubled);
        }
        for (const std::string_view web : {kPhoneFolder, kWebFolder}) {
            if (const auto copy = Inside(name, web)) {
                return intact.contains(thumbnails + kThumbnailPrefix + *copy);
            }
        }
        if (name.find('/') != std::string::npos) {
            return Inside(name, kThumbnailFolder).has_value();
        }
        if (IsPageName(name)) {
            return CarriesGeneratorMark(JoinPath(folder, name));
        }
        return name == kCreditBadgeName || name == kGifPlaceholderName ||
               name == kDamagedPlaceholderName || IsOriginalCopy(name);
    }

    const std::string& target;
    FormerOutputs& former;
    const std::shared_ptr<WorkerMessageReceiver>& window;
    FolderId sourceId{};
};

}  // namespace

void RemoveGoneAlbums(const std::string& target, const std::string& source,
                      const AlbumRecord& record, const std::set<std::string>& albums,
                      bool ignoresCase, FormerOutputs& former,
                      const std::shared_ptr<WorkerMessageReceiver>& window) {
    const AlbumFolders current(target, ignoresCase, albums);
    std::set<std::string> recordedPaths;
    for (const auto& [path, state] : record.albums) {
        recordedPaths.insert(path);
    }
    const AlbumFolders recorded(target, ignoresCase, std::move(recordedPaths));
    GoneAlbums gone(target, source, former, window);
    // Every album below another comes after it in the record's order: backwards, the
    // deepest go first.
    for (auto it = record.albums.rbegin(); it != record.albums.rend(); ++it) {
        if (!it->first.empty() && !current.Contains(it->first)) {
            gone.Remove(it->first, it->second);
        }
    }
    gone.KeepOthers(std::string(), current, recorded);
}
