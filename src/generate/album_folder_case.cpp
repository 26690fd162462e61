#include "generate/album_folder_case.h"

#include <utility>
#include <vector>

#include "platform/files.h"
#include "platform/name_case.h"
#include "platform/paths.h"

namespace {

// Moves the record's entries of the album at from, and of those below it, to to.
void MoveEntries(AlbumRecord& record, const std::string& from, const std::string& to) {
    std::vector<std::pair<std::string, AlbumState>> moved;
    for (auto it = record.albums.begin(); it != record.albums.end();) {
        if (it->first == from || it->first.starts_with(from + "/")) {
            moved.emplace_back(to + it->first.substr(from.size()), std::move(it->second));
            it = record.albums.erase(it);
        } else {
            ++it;
        }
    }
    for (auto& [path, state] : moved) {
        record.albums[path] = std::move(state);
    }
}

}  // namespace

void MatchAlbumFolderCase(const std::string& target, const Album& album, AlbumRecord& record,
                          const std::shared_ptr<WorkerMessageReceiver>& window) {
    const std::string folder = JoinPath(target, album.path);
    for (const Album& sub : album.albums) {
        const std::string found = EntryFoundAs(folder, sub.name);
        if (!found.empty()) {
            const std::string was = JoinPath(album.path, found);
            if (const Result renamed = RenameLetterCase(folder, found, sub.name); renamed.ok()) {
                MoveEntries(record, was, sub.path);
                PostStatusText(window, "Renamed the album folder \"" + was + "\" to \"" + sub.path +
                                           "\", as its source folder is spelt now");
            } else {
                PostStatusText(window, "Could not rename the album folder \"" + was + "\" to \"" +
                                           sub.path + "\" (" + ErrorCodeText(renamed.error()) +
                                           ")");
            }
        }
        MatchAlbumFolderCase(target, sub, record, window);
    }
}
