#include <cstdio>

#include "cli/cli.h"

int RunShow(const CommandLine& line) {
    Program program;
    if (const int status = LoadProgramArgument(FindCommand("show"), line, program)) {
        return status;
    }
    std::string summary;
    program.Describe(summary);
    std::fputs(WithNewlines(summary).c_str(), stdout);
    return kExitOk;
}
