#include <cstdio>

#include "cli/cli.h"

int RunValidate(const CommandLine& line) {
    Program program;
    if (const int status = LoadProgramArgument(FindCommand("validate"), line, program)) {
        return status;
    }
    std::string messages;
    if (program.Validate(messages)) {
        std::printf("%s is a valid Mavren program.\n", line.arguments[0].c_str());
        return kExitOk;
    }
    std::printf("This is not a valid Mavren program because:\n\n%s", messages.c_str());
    return kExitInvalid;
}
