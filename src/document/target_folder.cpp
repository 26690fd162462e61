#include "document/target_folder.h"

#include "platform/files.h"

bool TargetIsSourceFolder(const Program& program) {
    return SameFolder(program.GetText(ProgramKey::SourceDir),
                      program.GetText(ProgramKey::TargetDir));
}

bool UploadsOnlySite(const Program& program) {
    return TargetIsSourceFolder(program) && !program.GetBool(ProgramKey::UploadWholeFolder);
}
