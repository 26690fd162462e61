#include "document/picture_program.h"

#include "document/program.h"

void ApplyPictureProgramSettings(Program& program, const PictureProgramChoices& choices) {
    program.SetInt(ProgramKey::PhotoWebSize, choices.webCopies ? kNewProgramWebSize : 0);
    program.SetInt(ProgramKey::PhotoPublishOriginals, choices.publishOriginals ? 1 : 0);
    program.SetInt(ProgramKey::PhotoCameraCaptions, 1);
    program.SetInt(ProgramKey::MiscGifThumbnailType, kGifThumbnailOfFirstFrame);
    program.SetInt(ProgramKey::PhotoOrder, static_cast<int>(choices.order));
    program.SetInt(ProgramKey::IncludeSubfolders, choices.albums ? 1 : 0);
    program.SetInt(ProgramKey::ThumbnailSize, kNewProgramThumbnailSize);
    // Lighter pictures for browsers that take them; the JPEG stays for those that do not.
    program.SetInt(ProgramKey::PhotoWebp, 1);
    program.SetInt(ProgramKey::PhotoPngAsJpeg, 1);
    // The videos beside the photos get posters and web copies; the pattern list names them.
    program.SetInt(ProgramKey::PhotoVideos, 1);
}
