#include "generate/subfolder_albums.h"

#include <algorithm>

#include "document/new_program_place.h"
#include "generate/album_run.h"
#include "generate/folder_generation.h"
#include "generate/source_kind.h"
#include "platform/format.h"
#include "platform/paths.h"
#include "platform/wildcard.h"

namespace {

// The path quoted for a shell when it holds anything but plain path characters.
std::string AsTyped(const std::string& path) {
    const bool plain = !path.empty() && std::all_of(path.begin(), path.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               std::string_view("/._-+,:@%").find(c) != std::string_view::npos;
    });
    if (plain) {
        return path;
    }
    std::string quoted = "'";
    for (const char c : path) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

void CountFiles(const FileList& files, FolderMedia& found) {
    for (const std::string& file : files) {
        const std::string name = PathFileName(file);
        const bool video =
            std::any_of(std::begin(kVideoPatternList), std::end(kVideoPatternList),
                        [&name](std::string_view pattern) { return WildcardMatch(pattern, name); });
        ++(video ? found.videos : found.pictures);
    }
}

void CountAlbum(const Album& album, FolderMedia& found) {
    CountFiles(album.files, found);
    for (const Album& sub : album.albums) {
        CountAlbum(sub, found);
    }
}

std::string Counted(int count, const char* one, const char* many) {
    return StringPrintf("%d %s", count, count == 1 ? one : many);
}

}  // namespace

SubfolderPictures PicturesOnlyInSubfolders(const Program& program) {
    const std::string source = program.GetText(ProgramKey::SourceDir);
    const bool pictures = program.GetText(ProgramKey::SourceFileExtension).empty() ||
                          SourceKindOf(program) == SourceKind::Images;
    if (!pictures || source.empty() || IsWholeTreeFolder(source)) {
        return {};
    }
    const AlbumTree tree = ScanProgramAlbums(program);
    if (!tree.top.files.empty()) {
        return {};
    }
    return {static_cast<int>(tree.top.albums.size()), PictureCount(tree.top)};
}

std::string AlbumsTurnedOnNote(const SubfolderPictures& found) {
    if (found.subfolders == 1) {
        return StringPrintf(
            "The folder holds no pictures of its own but its subfolder holds %d: it becomes an "
            "album.",
            found.pictures);
    }
    return StringPrintf(
        "The folder holds no pictures of its own but its %d subfolders hold %d: each becomes an "
        "album.",
        found.subfolders, found.pictures);
}

std::string TurnOnAlbumsHint(const SubfolderPictures& found, const std::string& programPath) {
    if (found.pictures == 0) {
        return {};
    }
    const std::string counts =
        found.subfolders == 1
            ? StringPrintf("Its subfolder holds %d %s", found.pictures,
                           found.pictures == 1 ? "picture" : "pictures")
            : StringPrintf("Its %d subfolders hold %d pictures", found.subfolders, found.pictures);
    return "\n\n" + counts + ": turn on albums (mavren-cli set " +
           AsTyped(programPath.empty() ? std::string("PROGRAM.mav") : programPath) +
           " Include-Subfolders=Yes, or the Photos page)";
}

FolderMedia CountFolderMedia(const Program& program) {
    const std::string source = program.GetText(ProgramKey::SourceDir);
    FolderMedia found;
    if (source.empty()) {
        return found;
    }
    if (!program.GetBool(ProgramKey::IncludeSubfolders)) {
        if (const auto files = ScanFiles(source, SourcePatterns(program), false)) {
            CountFiles(*files, found);
        }
    } else if (!IsWholeTreeFolder(source)) {
        CountAlbum(ScanProgramAlbums(program).top, found);
    }
    return found;
}

std::string FoundVideosNote(const FolderMedia& found) {
    if (found.videos == 0) {
        return {};
    }
    const std::string videos = Counted(found.videos, "video", "videos");
    return "Found " +
           (found.pictures == 0
                ? videos
                : Counted(found.pictures, "picture", "pictures") + " and " + videos) +
           ": each video gets a web copy that every browser plays.";
}
