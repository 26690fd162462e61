#include <cstdio>

#include "cli/cli.h"

int RunValidate(const CommandLine& line) {
    if (line.arguments.size() != 1) {
        return UsageError(Commands()[1],
                          line.arguments.empty() ? "no program named" : "too many arguments");
    }
    Program program;
    if (!LoadProgramOrReport(program, line.arguments[0])) {
        return kExitFileError;
    }
    std::string messages;
    if (program.Validate(messages)) {
        std::printf("%s is a valid Mavren program.\n", line.arguments[0].c_str());
        return kExitOk;
    }
    std::printf("This is not a valid Mavren program because:\n\n%s", messages.c_str());
    return kExitInvalid;
}
