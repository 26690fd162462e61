#pragma once

// Runs a program as a user would, with its output captured.

#include <string>
#include <vector>

struct ProgramRun {
    int status = -1;  // exit status; 128 + signal number when killed
    std::string out;
    std::string err;
};

// Runs executable with arguments; standard input comes from input (empty: nothing).
// extraEnvironment holds "NAME=value" entries added for the run, replacing inherited ones.
ProgramRun RunProgram(const std::string& executable, const std::vector<std::string>& arguments,
                      const std::string& input = "",
                      const std::vector<std::string>& extraEnvironment = {});
