#pragma once

// Runs a program as a user would, with its output captured; also several at once.

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

// Starts every run of executable (one argument list each) before waiting for any, so
// that they work at the same time; the results in the order given.
std::vector<ProgramRun> RunProgramsAtOnce(const std::string& executable,
                                          const std::vector<std::vector<std::string>>& runs,
                                          const std::vector<std::string>& extraEnvironment = {});
