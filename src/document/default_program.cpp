#include "document/default_program.h"

#include <string>

#include "document/program.h"
#include "platform/app_folders.h"
#include "platform/files.h"
#include "platform/paths.h"

Result LoadDefaultProgram(Program& program) {
    program.ApplyDefaults();
    const std::string path = JoinPath(ExecutableFolder(), "Default.mav");
    std::string problem;
    if (!CheckRequiredFile(path).ok()) {
        problem = "Cannot find default Mavren program:\n\n  ";
    } else if (!program.Load(path).ok()) {
        problem = "Cannot load default Mavren program from:\n\n  ";
    }
    if (problem.empty()) {
        return Result::Ok();
    }
    return Result::Failure(problem + path + "\n\nSome program defaults may be incorrect." +
                           "\n\nReinstalling Mavren will fix this problem.");
}
