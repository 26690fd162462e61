#include "document/default_program.h"

#include <string>

#include "document/program.h"
#include "platform/app_folders.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/paths.h"

void LoadDefaultProgram(Program& program) {
    program.ApplyDefaults();
    const std::string path = JoinPath(ExecutableFolder(), "Default.mav");
    std::string problem;
    if (!CheckRequiredFile(path, false)) {
        problem = "Cannot find default Mavren program:\n\n  ";
    } else if (!program.Load(path)) {
        problem = "Cannot load default Mavren program from:\n\n  ";
    }
    if (!problem.empty()) {
        ShowMessageBox(problem + path + "\n\nSome program defaults may be incorrect." +
                           "\n\nReinstalling Mavren will fix this problem.",
                       MB_OK | MB_ICONEXCLAMATION);
    }
}
