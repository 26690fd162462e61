#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "cli/cli.h"
#include "document/target_folder.h"
#include "generate/album_run.h"
#include "generate/generation_summary.h"
#include "generate/html_files.h"
#include "generate/originals_with_place.h"
#include "generate/source_kind.h"
#include "media/video_tools.h"
#include "platform/ascii.h"
#include "platform/format.h"
#include "platform/source_scan.h"

namespace {

// What a user needs to know before generating that does not make the program invalid:
// a source folder that is missing or holds nothing to generate from, numbers the chosen
// layout ignores, videos without ffmpeg to make their web copies, and originals that would
// show where they were taken. One line each, as the
// reasons are written.
std::string Warnings(const Program& program) {
    std::string warnings;
    const std::string sourceDir = program.GetText(ProgramKey::SourceDir);
    struct stat status;
    if (!sourceDir.empty() &&
        (::stat(sourceDir.c_str(), &status) != 0 || !S_ISDIR(status.st_mode))) {
        warnings += "  The source directory \"" + sourceDir + "\" does not exist\n";
    } else if (!sourceDir.empty()) {
        const std::string setting = program.GetText(ProgramKey::SourceFileExtension);
        const std::string patterns = setting.empty() ? std::string(kImagePatterns) : setting;
        if (program.GetBool(ProgramKey::IncludeSubfolders)) {
            // Files in subfolders alone make a site of albums. Scanned as a run scans: the
            // site's own folders are no albums.
            const AlbumTree tree = ScanProgramAlbums(program);
            if (PictureCount(tree.top) == 0) {
                warnings += "  Neither the source directory \"" + sourceDir +
                            "\" nor its subfolders contain any files of type \"" +
                            AsciiUpperCase(patterns) + "\"\n";
            }
        } else {
            std::unique_ptr<FileList> list = ScanFiles(sourceDir, patterns, false);
            if (list && SourceKindOf(program) == SourceKind::Html) {
                // Pages of an earlier run are no sources. No window: a file that cannot be
                // read is told at once.
                std::erase_if(
                    *list, [](const std::string& path) { return IsGeneratedFile(path, nullptr); });
            }
            if (!list || list->empty()) {
                warnings += "  The source directory \"" + sourceDir +
                            "\" does not contain any files of type \"" + AsciiUpperCase(patterns) +
                            "\"\n";
            }
        }
    }

    if (SourceKindOf(program) == SourceKind::Images && program.GetBool(ProgramKey::PhotoVideos)) {
        if (const std::string missing = MissingVideoToolsText(FindVideoTools()); !missing.empty()) {
            warnings += "  " + missing + "\n";
        }
    }

    if (!program.GetText(ProgramKey::TargetDir).empty() && TargetIsSourceFolder(program)) {
        warnings += program.GetBool(ProgramKey::UploadWholeFolder)
                        ? "  The target folder is the source folder and Upload-Whole-Folder is "
                          "Yes: uploads send everything in the folder, private files too\n"
                        : "  The target folder is the source folder: uploads send only the "
                          "site's files; everything else in the folder stays private "
                          "(Upload-Whole-Folder=Yes sends it all)\n";
    }

    Program defaults;
    defaults.ApplyDefaults();
    const int across = program.GetInt(ProgramKey::IndexThumbnailsAcross);
    const int down = program.GetInt(ProgramKey::IndexThumbnailsDown);
    const bool numbersSet = across != defaults.GetInt(ProgramKey::IndexThumbnailsAcross) ||
                            down != defaults.GetInt(ProgramKey::IndexThumbnailsDown);
    if (numbersSet && program.GetBool(ProgramKey::GenerateIndexPage)) {
        const std::string numbers = StringPrintf(
            "  Index-Thumbnails-Across and Index-Thumbnails-Down (%d by %d) are ignored", across,
            down);
        if (!program.GetBool(ProgramKey::IndexGenerateMultiplePages)) {
            warnings += numbers + " while Index-Generate-Multiple-Pages is No\n";
        } else if (program.GetInt(ProgramKey::IndexThumbnailLayoutType) == 0) {
            warnings += numbers + " while Index-Thumbnail-Layout-Type is 0 (optimize for a " +
                        "typical browser window); set it to 1 to use them\n";
        }
    }
    if (const int withPlace = CountOriginalsWithPlace(program); withPlace > 0) {
        warnings += "  " + OriginalsWithPlaceLine(withPlace) + "\n";
    }
    return warnings;
}

}  // namespace

int RunValidate(const CommandLine& line) {
    Program program;
    if (const int status = LoadProgramArgument(FindCommand("validate"), line, program)) {
        return status;
    }
    const Result valid = program.Validate();
    if (valid.ok()) {
        std::printf("%s is a valid Mavren program.\n", line.arguments[0].c_str());
    } else {
        std::printf("This is not a valid Mavren program because:\n\n%s", valid.text().c_str());
    }
    if (const std::string warnings = Warnings(program); !warnings.empty()) {
        std::printf("\nWarnings:\n\n%s", warnings.c_str());
    }
    return valid.ok() ? kExitOk : kExitInvalid;
}
