#include "support/ftp_test_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace {

// Long enough for python3 to start and make a TLS certificate on a busy machine.
constexpr int kPortLineMilliseconds = 60'000;

// The first line the child writes to fd, without its line end; empty when it wrote none
// in time.
std::string FirstLine(int fd) {
    std::string line;
    char c = 0;
    pollfd ready{fd, POLLIN, 0};
    while (::poll(&ready, 1, kPortLineMilliseconds) == 1 && ::read(fd, &c, 1) == 1 && c != '\n') {
        line += c;
    }
    return line;
}

// Starts arguments (the program first) with standard input from /dev/null and returns
// the first line it writes, whole, before its output pipe is closed; pid gets its process.
std::string StartAndReadFirstLine(std::vector<std::string> arguments, pid_t& pid) {
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    int output[2];
    if (::pipe2(output, O_CLOEXEC) != 0) {
        throw std::runtime_error("cannot make a pipe for " + arguments[1]);
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
        throw std::runtime_error("cannot start " + arguments[1]);
    }
    const std::string line = FirstLine(output[0]);
    ::close(output[0]);
    return line;
}

void Kill(pid_t& pid) {
    if (pid > 0) {
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        pid = -1;
    }
}

}  // namespace

FtpTestServer::FtpTestServer(const Options& options) {
    std::string pattern = (std::filesystem::temp_directory_path() / "mavren-ftp-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a folder for the FTP server");
    }
    folder = pattern;
    root = folder + "/root";
    log = folder + "/commands.log";
    try {
        Start(options);
    } catch (...) {
        Stop();
        RemoveFolder();
        throw;
    }
}

FtpTestServer::~FtpTestServer() {
    Stop();
    RemoveFolder();
}

void FtpTestServer::Start(const Options& options) {
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
    for (const std::string& quirk : options.quirks) {
        arguments.push_back("--quirk");
        arguments.push_back(quirk);
    }
    arguments.insert(arguments.end(), options.more.begin(), options.more.end());
    if (options.tls) {
        arguments.push_back("--tls");
        arguments.push_back(folder + "/certificate.pem");
    }
    const std::string line = StartAndReadFirstLine(arguments, pid);
    port = std::atoi(line.c_str());
    if (const std::size_t blank = line.find(' '); blank != std::string::npos) {
        fingerprint = line.substr(blank + 1);
    }
    if (port <= 0) {
        throw std::runtime_error("the FTP server did not say its port");
    }
}

void FtpTestServer::Stop() {
    Kill(pid);
}

CuttingProxy::CuttingProxy(int serverPort, long long cutAfter) {
    const std::string line = StartAndReadFirstLine(
        {"/usr/bin/python3", MAVREN_SOURCE_DIR "/tests/upload/cutting_proxy.py",
         std::to_string(serverPort), std::to_string(cutAfter)},
        pid);
    port = std::atoi(line.c_str());
    if (port <= 0) {
        Kill(pid);
        throw std::runtime_error("the cutting proxy did not say its port");
    }
}

CuttingProxy::~CuttingProxy() {
    Kill(pid);
}

void FtpTestServer::RemoveFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

std::vector<std::string> FtpTestServer::Commands() const {
    std::vector<std::string> lines;
    std::ifstream file(log);
    for (std::string line; std::getline(file, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::string FtpTestServer::WaitForUploadEnd(const std::string& name) const {
    for (int i = 0; i < 300; ++i) {
        for (const char* end : {"~received", "~incomplete"}) {
            if (Count(end + (" " + name)) > 0) {
                return end;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return "";
}

int FtpTestServer::Count(const std::string& verb) const {
    int count = 0;
    for (const std::string& line : Commands()) {
        if (line == verb || line.rfind(verb + " ", 0) == 0) {
            ++count;
        }
    }
    return count;
}
