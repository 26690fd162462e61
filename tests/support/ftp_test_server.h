#pragma once

// A real FTP server for tests: Debian's pyftpdlib, started from tests/upload/ftp_server.py
// on 127.0.0.1 with a free port, one user with a password and a temporary root folder;
// with tls, it requires FTP over TLS with a self-signed certificate made for the test.
// Stopped (and waited for) when the object goes, or earlier with Stop(). Every command a
// client sent can be read back from its log.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "support/test_support.h"

extern char** environ;

class FtpTestServer {
  public:
    struct Options {
        bool noPassive = false;  // refuse PASV and EPSV
        bool noMlst = false;     // answer MLST and MLSD as unknown commands
        long throttle = 0;       // bytes a second on data connections; 0 for no limit
        bool tls = false;        // require AUTH TLS, with a certificate made here
    };

    static constexpr const char* kUser = "ann";
    static constexpr const char* kPassword = "s3cret pass";

    FtpTestServer() : FtpTestServer(Options{}) {}
    explicit FtpTestServer(const Options& options) {
        ::mkdir(root.c_str(), 0755);
        std::vector<std::string> arguments = {"/usr/bin/python3",
                                              MAVREN_SOURCE_DIR "/tests/upload/ftp_server.py",
                                              root,
                                              kUser,
                                              kPassword,
                                              log};
        if (options.noPassive) {
            arguments.push_back("--no-passive");
        }
        if (options.noMlst) {
            arguments.push_back("--no-mlst");
        }
        if (options.throttle > 0) {
            arguments.push_back("--throttle");
            arguments.push_back(std::to_string(options.throttle));
        }
        if (options.tls) {
            arguments.push_back("--tls");
            arguments.push_back(folder / "certificate.pem");
        }
        std::vector<char*> argv;
        for (std::string& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);

        int output[2];
        if (::pipe2(output, O_CLOEXEC) != 0) {
            ADD_FAILURE() << "cannot make a pipe";
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, output[1], 1);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(output[1]);
        if (spawned != 0) {
            ::close(output[0]);
            pid = -1;
            ADD_FAILURE() << "cannot start the FTP server (python3-pyftpdlib)";
            return;
        }
        // The whole line, before the pipe is closed.
        std::string line;
        char c;
        while (::read(output[0], &c, 1) == 1 && c != '\n') {
            line += c;
        }
        ::close(output[0]);
        port = std::atoi(line.c_str());
        if (const std::size_t blank = line.find(' '); blank != std::string::npos) {
            fingerprint = line.substr(blank + 1);
        }
        if (port <= 0) {
            ADD_FAILURE() << "the FTP server did not say its port";
            Stop();
        }
    }
    ~FtpTestServer() { Stop(); }
    FtpTestServer(const FtpTestServer&) = delete;
    FtpTestServer& operator=(const FtpTestServer&) = delete;

    // Kills the server at once, as a crash or a pulled cable would end it.
    void Stop() {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            int status = 0;
            ::waitpid(pid, &status, 0);
            pid = -1;
        }
    }

    // Makes the server hang up on the client that changes into it.
    static constexpr const char* kClosingFolder = "close-this-connection";

    std::string Host() const { return "127.0.0.1:" + std::to_string(port); }
    const std::string& Root() const { return root; }

    // The commands clients sent so far, one a line ("STOR a.htm"), passwords masked.
    std::vector<std::string> Commands() const {
        std::vector<std::string> lines;
        std::ifstream file(log);
        for (std::string line; std::getline(file, line);) {
            lines.push_back(line);
        }
        return lines;
    }

    // How many of the commands begin with verb ("STOR").
    int Count(const std::string& verb) const {
        int count = 0;
        for (const std::string& line : Commands()) {
            if (line == verb || line.rfind(verb + " ", 0) == 0) {
                ++count;
            }
        }
        return count;
    }

    int port = 0;
    std::string fingerprint;  // of the TLS certificate: "AB:CD:..."

  private:
    TempDir folder;
    const std::string root = folder / "root";
    const std::string log = folder / "commands.log";
    pid_t pid = -1;
};
