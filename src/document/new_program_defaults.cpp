#include "document/new_program_defaults.h"

#include "document/program.h"
#include "platform/paths.h"

std::string FolderName(const std::string& folder) {
    std::string_view path = folder;
    while (path.size() > 1 && path.ends_with('/')) {
        path.remove_suffix(1);
    }
    std::string name = PathFileName(path);
    return name.empty() ? std::string(path) : name;
}

std::string FolderNameTitle(const std::string& folder) {
    // Titles are patterns: a "%" of the name must not start a code.
    return ReplaceAll(FolderName(folder), "%", "%%");
}

void ApplyNewProgramDefaults(Program& program, const NewProgramSettings& settings) {
    program.SetString(ProgramKey::SourceDir, settings.sourceFolder);
    program.SetString(ProgramKey::TargetDir, settings.targetFolder);
    program.SetString(ProgramKey::SourceFileExtension, settings.patterns);
    // Not "Files from %P": on an index page %P is the target folder's local path.
    const bool albums = settings.pictures && settings.pictureChoices.albums;
    program.SetString(ProgramKey::IndexPageTitle,
                      albums ? kAlbumPathTitle : FolderNameTitle(settings.sourceFolder));
    program.SetInt(ProgramKey::IndexGenerateMultiplePages, 1);
    program.SetInt(ProgramKey::IndexThumbnailLayoutType, 1);  // the counts below, not 3 by 3
    program.SetInt(ProgramKey::IndexThumbnailsAcross, kNewProgramThumbnailsAcross);
    program.SetInt(ProgramKey::IndexThumbnailsDown, kNewProgramThumbnailsDown);
    // The site's own address shows its start page.
    program.SetInt(ProgramKey::SiteIndexHtml, 1);
    // Pages that keep their address when files come and go, and that read well when shared.
    program.SetInt(ProgramKey::PageNamesFromFiles, 1);
    program.SetInt(ProgramKey::PagesForSharing, 1);
    program.SetString(ProgramKey::SiteName, FolderName(settings.sourceFolder));
    if (settings.pictures) {
        ApplyPictureProgramSettings(program, settings.pictureChoices);
    }
}
