#include "platform/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <utility>

extern char** environ;

namespace {

// Owns the two spawn descriptions for one start.
class SpawnSettings {
  public:
    SpawnSettings() {
        posix_spawnattr_init(&attributes);
        posix_spawn_file_actions_init(&actions);
    }
    ~SpawnSettings() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    SpawnSettings(const SpawnSettings&) = delete;
    SpawnSettings& operator=(const SpawnSettings&) = delete;

    posix_spawnattr_t attributes;
    posix_spawn_file_actions_t actions;
};

// Starts the child with its output to out and its errors to err: descriptors to take in
// their place, or -1 for /dev/null, or -2 to keep this process's own.
Expected<pid_t> Spawn(const std::vector<std::string>& arguments, int out, int err) {
    if (arguments.empty() || arguments[0].empty()) {
        return Result::FromErrno("start", "", ENOENT);
    }
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    SpawnSettings settings;
    sigset_t none;
    sigemptyset(&none);
    // Ignored signals stay ignored across exec; a browser must not inherit that.
    sigset_t defaults;
    sigemptyset(&defaults);
    for (const int signal : {SIGPIPE, SIGINT, SIGQUIT, SIGHUP, SIGTERM, SIGCHLD}) {
        sigaddset(&defaults, signal);
    }
    posix_spawnattr_setsigmask(&settings.attributes, &none);
    posix_spawnattr_setsigdefault(&settings.attributes, &defaults);
    posix_spawnattr_setflags(&settings.attributes,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    posix_spawn_file_actions_addopen(&settings.actions, 0, "/dev/null", O_RDONLY, 0);
    for (const auto& [from, to] : {std::pair{out, 1}, std::pair{err, 2}}) {
        if (from >= 0) {
            posix_spawn_file_actions_adddup2(&settings.actions, from, to);
        } else if (from == -1) {
            posix_spawn_file_actions_addopen(&settings.actions, to, "/dev/null", O_WRONLY, 0);
        }
    }
    pid_t pid = 0;
    if (const int error = posix_spawnp(&pid, argv[0], &settings.actions, &settings.attributes,
                                       argv.data(), environ)) {
        return Result::FromErrno("start", arguments[0], error);
    }
    return pid;
}

}  // namespace

Expected<pid_t> StartChildProcess(const std::vector<std::string>& arguments, bool quiet) {
    return Spawn(arguments, quiet ? -1 : -2, quiet ? -1 : -2);
}

Expected<pid_t> StartChildProcess(const std::vector<std::string>& arguments, int out, int err) {
    return Spawn(arguments, out, err);
}

Expected<int> WaitForChildProcess(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            return Result::FromErrno("wait", std::to_string(pid), errno);
        }
    }
    return status;
}

bool RunChildProcess(const std::vector<std::string>& arguments) {
    const Expected<pid_t> pid = StartChildProcess(arguments, true);
    if (!pid.ok()) {
        return false;
    }
    const Expected<int> status = WaitForChildProcess(*pid);
    return status.ok() && WIFEXITED(*status) && WEXITSTATUS(*status) == 0;
}
