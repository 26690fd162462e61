#pragma once

// A real SFTP server for tests: OpenSSH's sshd, started by the test as the current user
// (root or not) on a free port of 127.0.0.1, with a host key of its own and an
// authorized_keys that holds a key made here. The client side gets the key as
// $HOME/.ssh/id_ed25519, where an upload without a password looks for it (run it with
// HOME in a temporary folder, as IsolatedHome does). Stopped (and waited for) when the
// object goes. Never the system's own sshd service.

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "support/run_program.h"
#include "support/test_support.h"

extern char** environ;

class SftpTestServer {
  public:
    // With ecdsaToo the server also has an ECDSA host key, offered first, as servers with
    // keys of several types do; KnownHostsLine stays the Ed25519 key's.
    explicit SftpTestServer(bool ecdsaToo = false) {
        const std::string home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
        ::mkdir((home + "/.ssh").c_str(), 0700);
        clientKey = home + "/.ssh/id_ed25519";
        if (!MakeKey(folder / "host_key") || (!Exists(clientKey) && !MakeKey(clientKey)) ||
            (ecdsaToo && !MakeKey(folder / "host_key_ecdsa", "ecdsa"))) {
            return;
        }
        std::ofstream(folder / "authorized_keys") << ReadFileBytes(clientKey + ".pub");
        port = FreePort();
        // As root, PAM's session modules may not work where the tests run (a container);
        // as another user, sshd without PAM takes an account without a password for a
        // locked one and refuses even its keys.
        const bool root = ::geteuid() == 0;
        std::ofstream(folder / "sshd_config")
            << "Port " << port << "\nListenAddress 127.0.0.1\n"
            << (ecdsaToo ? "HostKey " + (folder / "host_key_ecdsa") + "\n" : "") << "HostKey "
            << (folder / "host_key") << "\nAuthorizedKeysFile " << (folder / "authorized_keys")
            << "\nStrictModes no\nUsePAM " << (root ? "no" : "yes")
            << "\nPasswordAuthentication yes\n"
               "KbdInteractiveAuthentication no\nPubkeyAuthentication yes\n"
               "PermitRootLogin yes\nPidFile none\nLogLevel ERROR\n"
               "Subsystem sftp internal-sftp\n";
        // Run as root, sshd wants its privilege separation folder, which the system's
        // service would make.
        if (root) {
            ::mkdir("/run/sshd", 0755);
        }
        std::vector<std::string> arguments = {"/usr/sbin/sshd", "-D", "-e", "-f",
                                              folder / "sshd_config"};
        std::vector<char*> argv;
        for (std::string& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, (folder / "sshd.log").c_str(),
                                         O_WRONLY | O_CREAT, 0600);
        if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
            pid = -1;
            ADD_FAILURE() << "cannot start sshd (openssh-server)";
        }
        posix_spawn_file_actions_destroy(&actions);
        for (int i = 0; pid > 0 && i < 100 && !Accepts(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        if (pid > 0 && !Accepts()) {
            ADD_FAILURE() << "sshd does not answer: " << ReadFileBytes(folder / "sshd.log");
        }
    }
    ~SftpTestServer() {
        if (pid > 0) {
            ::kill(pid, SIGTERM);
            int status = 0;
            ::waitpid(pid, &status, 0);
        }
    }
    SftpTestServer(const SftpTestServer&) = delete;
    SftpTestServer& operator=(const SftpTestServer&) = delete;

    bool IsRunning() const { return pid > 0 && port > 0; }
    std::string Host() const { return "127.0.0.1:" + std::to_string(port); }
    static std::string User() {
        const passwd* user = ::getpwuid(::getuid());
        return user != nullptr ? user->pw_name : "";
    }
    // The server's host key line as known_hosts holds it for Host().
    std::string KnownHostsLine() const {
        const std::string key = ReadFileBytes(folder / "host_key.pub");
        return "[127.0.0.1]:" + std::to_string(port) + " " + key.substr(0, key.rfind(' ')) + "\n";
    }
    // A folder for the test's files on the server, by absolute path.
    const std::string& Root() const { return root.path(); }

  private:
    static bool Exists(const std::string& path) {
        struct stat status {};
        return ::stat(path.c_str(), &status) == 0;
    }
    static bool MakeKey(const std::string& path, const char* type = "ed25519") {
        const ProgramRun run = RunProgram("/usr/bin/ssh-keygen",
                                          {"-q", "-t", type, "-N", "", "-C", "test", "-f", path});
        EXPECT_EQ(run.status, 0) << "ssh-keygen: " << run.err;
        return run.status == 0;
    }
    static int FreePort() {
        const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        int port = 0;
        if (::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            port = ntohs(address.sin_port);
        }
        ::close(socket);
        return port;
    }
    bool Accepts() const {
        const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const bool connected =
            ::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        ::close(socket);
        return connected;
    }

    TempDir folder;
    TempDir root;
    std::string clientKey;
    int port = 0;
    pid_t pid = -1;
};
