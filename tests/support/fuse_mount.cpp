#include "fuse_mount.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

FuseMount::FuseMount(const std::string& script, const std::string& root,
                     const std::string& mountPoint)
    : mountPoint(mountPoint) {
    std::filesystem::create_directories(root);
    std::filesystem::create_directories(mountPoint);
    std::string python = "/usr/bin/python3";
    std::string scriptArgument = script;
    std::string rootArgument = root;
    std::string mountArgument = mountPoint;
    char* argv[] = {python.data(), scriptArgument.data(), rootArgument.data(), mountArgument.data(),
                    nullptr};
    int output[2];
    if (::pipe2(output, O_CLOEXEC) != 0) {
        said = "no pipe";
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output[1], 1);
    posix_spawn_file_actions_adddup2(&actions, output[1], 2);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (::posix_spawn(&pid, argv[0], &actions, nullptr, argv, environ) != 0) {
        pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(output[1]);
    // Until it says it is mounted, or has ended and said why not.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    pollfd ready{output[0], POLLIN, 0};
    while (pid > 0 && said != "mounted\n" && std::chrono::steady_clock::now() < deadline) {
        char c = 0;
        if (::poll(&ready, 1, 1000) == 1 && ::read(output[0], &c, 1) != 1) {
            break;
        }
        said += c == 0 ? "" : std::string(1, c);
    }
    ::close(output[0]);
}

FuseMount::~FuseMount() {
    ::umount2(mountPoint.c_str(), MNT_DETACH);
    if (pid > 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
}
