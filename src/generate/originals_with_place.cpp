#include "generate/originals_with_place.h"

#include <memory>

#include "generate/album_run.h"
#include "generate/folder_generation.h"
#include "generate/picture_names.h"
#include "generate/source_kind.h"
#include "media/place_removal.h"
#include "platform/files.h"
#include "platform/source_scan.h"

namespace {

int CountIn(const FileList& files, const Program& program, bool inPlace) {
    int count = 0;
    for (const std::string& file : files) {
        if ((inPlace || SourceCopyKind(file, program) == SourceCopy::AsTaken) &&
            CarriesPlace(file)) {
            ++count;
        }
    }
    return count;
}

int CountInAlbum(const Album& album, const Program& program, bool inPlace) {
    int count = CountIn(album.files, program, inPlace);
    for (const Album& sub : album.albums) {
        count += CountInAlbum(sub, program, inPlace);
    }
    return count;
}

}  // namespace

int CountOriginalsWithPlace(const Program& program) {
    if (SourceKindOf(program) != SourceKind::Images) {
        return 0;
    }
    const std::string sourceDir = program.GetText(ProgramKey::SourceDir);
    const bool inPlace = SameFolder(sourceDir, program.GetText(ProgramKey::TargetDir));
    if (program.GetBool(ProgramKey::IncludeSubfolders)) {
        return CountInAlbum(ScanProgramAlbums(program).top, program, inPlace);
    }
    const std::unique_ptr<FileList> files = ScanFiles(sourceDir, SourcePatterns(program), false);
    return files ? CountIn(*files, program, inPlace) : 0;
}
