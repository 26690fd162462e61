#include "generate/album_claim.h"

#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/message_box.h"

namespace {

bool Exists(const std::string& path) {
    struct stat status;
    return ::stat(path.c_str(), &status) == 0;
}

}  // namespace

bool ClaimAlbumRecord(const Program& program, AlbumRecord& record,
                      const std::shared_ptr<WorkerMessageReceiver>& window) {
    const std::string target = program.GetText(ProgramKey::TargetDir);
    Result loaded = LoadAlbumRecord(AlbumRecordPath(target), target, record);
    if (loaded.kind() == Result::Kind::NotFound &&
        EarlierAlbumRecordPath(target) != AlbumRecordPath(target)) {
        loaded = LoadAlbumRecord(EarlierAlbumRecordPath(target), target, record);
    }
    if (!loaded.ok() && loaded.kind() != Result::Kind::NotFound) {
        PostStatusText(window, loaded.text());
    }
    const bool found = loaded.ok();
    const std::string self = ProgramFileIdentity(program.path);
    const char* what = program.GetBool(ProgramKey::IncludeSubfolders) ? "albums" : "site";
    if (found && record.program != self && !record.program.empty() && Exists(record.program)) {
        if (!program.GetBool(ProgramKey::IncludeSubfolders)) {
            // Two programs may share a folder as they always could; neither then removes
            // what the other made, and this one keeps no record there.
            PostStatusText(window,
                           "Removed nothing that earlier runs made: the folder holds "
                           "the site of another program, \"" +
                               record.program + "\"");
            record = AlbumRecord();
            return true;
        }
        PostErrorText(window, MessageBoxText("The folder \"%s\" holds the %s of another "
                                             "program, \"%s\".\n\nGive this program another "
                                             "target folder, or delete that program file.",
                                             target.c_str(), what, record.program.c_str()));
        return false;
    }
    if (found && self.empty()) {
        record.albums.clear();
    } else if (found && record.program != self) {
        PostStatusText(window, record.program.empty()
                                   ? "Took over the albums an earlier version of Mavren made here"
                                   : std::string("Took over the ") + what + " of \"" +
                                         record.program +
                                         "\": that program file is no longer there");
    }
    record.program = self;
    return true;
}

void SaveClaimedRecord(const std::string& target, const AlbumRecord& record,
                       const std::shared_ptr<WorkerMessageReceiver>& window) {
    if (record.program.empty()) {
        return;
    }
    const std::string path = AlbumRecordPath(target);
    if (const Result saved = SaveAlbumRecord(path, record); !saved.ok()) {
        PostStatusText(
            window, "The record of the albums cannot be saved to " + path + ": " + saved.reason());
    } else if (const std::string earlier = EarlierAlbumRecordPath(target); earlier != path) {
        ::unlink(earlier.c_str());  // read in its place, if it was there
    }
}
