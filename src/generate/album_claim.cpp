#include "generate/album_claim.h"

#include <sys/stat.h>

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
    std::string problem;
    bool found = LoadAlbumRecord(AlbumRecordPath(target), target, record, problem);
    if (!found && problem.empty() && EarlierAlbumRecordPath(target) != AlbumRecordPath(target)) {
        found = LoadAlbumRecord(EarlierAlbumRecordPath(target), target, record, problem);
    }
    if (!problem.empty()) {
        PostStatusText(window, problem);
    }
    const std::string self = ProgramFileIdentity(program.path);
    if (found && record.program != self && !record.program.empty() && Exists(record.program)) {
        PostErrorText(window, MessageBoxText("The folder \"%s\" holds the albums of another "
                                             "program, \"%s\".\n\nGive this program another "
                                             "target folder, or delete that program file.",
                                             target.c_str(), record.program.c_str()));
        return false;
    }
    if (found && self.empty()) {
        record.albums.clear();
    } else if (found && record.program != self) {
        PostStatusText(window, record.program.empty()
                                   ? "Took over the albums an earlier version of Mavren made here"
                                   : "Took over the albums of \"" + record.program +
                                         "\": that program file is no longer there");
    }
    record.program = self;
    return true;
}
