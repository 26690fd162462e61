#include <cstdio>

#include "cli/cli.h"

int RunShow(const CommandLine& line) {
    if (line.arguments.size() != 1) {
        return UsageError(Commands()[0],
                          line.arguments.empty() ? "no program named" : "too many arguments");
    }
    Program program;
    if (!LoadProgramOrReport(program, line.arguments[0])) {
        return kExitFileError;
    }
    std::string summary;
    program.Describe(summary);
    std::fputs(WithNewlines(summary).c_str(), stdout);
    return kExitOk;
}
