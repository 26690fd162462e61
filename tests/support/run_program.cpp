#include "support/run_program.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "support/test_support.h"

extern char** environ;

namespace {

// A started program and the files its output goes to.
struct StartedProgram {
    pid_t pid = -1;
    TempDir scratch;
    ProgramRun run;  // the failure to start, when pid is -1
};

void Start(StartedProgram& started, const std::string& executable,
           const std::vector<std::string>& arguments, const std::string& input,
           const std::vector<std::string>& extraEnvironment) {
    const std::string inPath = started.scratch / "in";
    const std::string outPath = started.scratch / "out";
    const std::string errPath = started.scratch / "err";
    WriteFileBytes(inPath, input);

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(executable.c_str()));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    // An extra entry replaces the inherited one of the same name.
    auto overridden = [&extraEnvironment](const std::string& entry) {
        const std::string name = entry.substr(0, entry.find('=') + 1);
        for (const std::string& extra : extraEnvironment) {
            if (extra.compare(0, name.size(), name) == 0) {
                return true;
            }
        }
        return false;
    };
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (!overridden(*entry)) {
            environment.emplace_back(*entry);
        }
    }
    environment.insert(environment.end(), extraEnvironment.begin(), extraEnvironment.end());
    std::vector<char*> envp;
    for (std::string& entry : environment) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, inPath.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT, 0600);
    pid_t pid = 0;
    const int spawned =
        posix_spawn(&pid, executable.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        started.run.err = std::string("cannot start ") + executable + ": " + std::strerror(spawned);
        return;
    }
    started.pid = pid;
}

ProgramRun Wait(StartedProgram& started) {
    if (started.pid < 0) {
        return started.run;
    }
    int status = 0;
    while (::waitpid(started.pid, &status, 0) < 0) {
    }
    ProgramRun run;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.out = ReadFileBytes(started.scratch / "out");
    run.err = ReadFileBytes(started.scratch / "err");
    return run;
}

}  // namespace

ProgramRun RunProgram(const std::string& executable, const std::vector<std::string>& arguments,
                      const std::string& input, const std::vector<std::string>& extraEnvironment) {
    StartedProgram started;
    Start(started, executable, arguments, input, extraEnvironment);
    return Wait(started);
}

std::vector<ProgramRun> RunProgramsAtOnce(const std::string& executable,
                                          const std::vector<std::vector<std::string>>& runs,
                                          const std::vector<std::string>& extraEnvironment) {
    std::vector<StartedProgram> started(runs.size());
    for (std::size_t i = 0; i < runs.size(); ++i) {
        Start(started[i], executable, runs[i], "", extraEnvironment);
    }
    std::vector<ProgramRun> results;
    for (StartedProgram& program : started) {
        results.push_back(Wait(program));
    }
    return results;
}
