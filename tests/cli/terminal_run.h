#pragma once

// Running mavren-cli at a terminal from the command-line tests.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/test_support.h"

extern char** environ;

// Runs mavren-cli with a pseudo-terminal as its standard input, so that its questions
// wait for an answer; standard output and error go to files.
class TerminalRun {
  public:
    explicit TerminalRun(const std::vector<std::string>& arguments) {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        EXPECT_GE(master, 0);
        ::grantpt(master);
        ::unlockpt(master);
        const std::string terminal = ::ptsname(master);
        std::vector<char*> argv{const_cast<char*>(MAVREN_CLI)};
        for (const std::string& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, terminal.c_str(), O_RDWR, 0);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT, 0600);
        EXPECT_EQ(::posix_spawn(&pid, MAVREN_CLI, &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
    }

    ~TerminalRun() {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            Wait();
        }
        ::close(master);
    }

    // Waits until standard error holds text; false after a minute without it.
    bool WaitForError(const std::string& text) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        while (std::chrono::steady_clock::now() < deadline) {
            if (std::filesystem::exists(err) &&
                ReadFileBytes(err).find(text) != std::string::npos) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    void Type(const std::string& text) {
        EXPECT_EQ(::write(master, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }

    // Sends Ctrl-C and waits until the program has taken it (it is no longer pending).
    bool Interrupt() {
        ::kill(pid, SIGINT);
        const std::string status = "/proc/" + std::to_string(pid) + "/status";
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        while (std::chrono::steady_clock::now() < deadline) {
            const std::string text = ReadFileBytes(status);
            const std::size_t line = text.find("ShdPnd:");
            if (line != std::string::npos &&
                (std::stoull(text.substr(line + 7), nullptr, 16) & (1ULL << (SIGINT - 1))) == 0) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }

    int Wait() {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0) {
        }
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    TempDir files;
    std::string out = files / "out";
    std::string err = files / "err";

  private:
    int master = -1;
    pid_t pid = -1;
};
