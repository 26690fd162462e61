#include "document/target_folder.h"

#include <filesystem>
#include <string>
#include <system_error>

bool TargetIsSourceFolder(const Program& program) {
    const std::string source = program.GetText(ProgramKey::SourceDir);
    const std::string target = program.GetText(ProgramKey::TargetDir);
    if (source == target) {
        return true;
    }
    std::error_code error;
    return std::filesystem::equivalent(source.empty() ? "." : source, target.empty() ? "." : target,
                                       error);
}

bool UploadsOnlySite(const Program& program) {
    return TargetIsSourceFolder(program) && !program.GetBool(ProgramKey::UploadWholeFolder);
}
