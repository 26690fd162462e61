#pragma once

// A real Secret Service for tests: a D-Bus session bus of its own (dbus-daemon, which
// starts no service by itself) with GNOME Keyring's daemon on it, its login keyring in
// a temporary folder, created and unlocked; or, without keyring, the bus alone, as a
// desktop without a secret store has it; or the bus with a process that owns the secret
// store's name and never answers, as a hung store. Address() is the value for
// DBUS_SESSION_BUS_ADDRESS. All are stopped (and waited for) when the object goes.
//
// libsecret and GDBus keep their connection to a session bus for the life of a process,
// so a test program starts one session at most (see Shared()) and child processes are
// what tries others.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "support/run_program.h"
#include "support/test_support.h"

extern char** environ;

// What a session has on its bus.
enum class SecretStoreOnBus { Keyring, None, Silent };

class SecretServiceSession {
  public:
    explicit SecretServiceSession(bool keyring = true)
        : SecretServiceSession(keyring ? SecretStoreOnBus::Keyring : SecretStoreOnBus::None) {}
    explicit SecretServiceSession(SecretStoreOnBus store) {
        const std::string run = folder / "run";
        ::mkdir((folder / "bus").c_str(), 0700);
        ::mkdir(run.c_str(), 0700);
        WriteConfiguration("");
        address =
            StartAndReadLine({"/usr/bin/dbus-daemon", "--config-file=" + (folder / "session.conf"),
                              "--nofork", "--print-address=1"},
                             {}, busPid);
        if (address.empty()) {
            ADD_FAILURE() << "cannot start dbus-daemon";
            return;
        }
        if (store == SecretStoreOnBus::None) {
            ready = true;
            return;
        }
        if (store == SecretStoreOnBus::Silent) {
            // Owns the name and runs no main loop, so every call to it stays unanswered.
            ready = StartAndReadLine({"/usr/bin/python3", "-c",
                                      "import dbus, signal\n"
                                      "bus = dbus.SessionBus()\n"
                                      "bus.request_name('org.freedesktop.secrets')\n"
                                      "print('ready', flush=True)\n"
                                      "signal.pause()\n"},
                                     {"DBUS_SESSION_BUS_ADDRESS=" + address}, storePid) == "ready";
            if (!ready) {
                ADD_FAILURE() << "cannot start the silent secret store (python3-dbus)";
            }
            return;
        }
        const std::vector<std::string> environment = {
            "DBUS_SESSION_BUS_ADDRESS=" + address, "HOME=" + folder.path(),
            "XDG_DATA_HOME=" + (folder / "data"), "XDG_RUNTIME_DIR=" + run};
        // The keyring's password on standard input creates the login keyring, unlocked.
        storePid = Spawn(
            {"/usr/bin/gnome-keyring-daemon", "--foreground", "--components=secrets", "--unlock"},
            environment, "test keyring password");
        // Ready once a secret can be stored and read back.
        for (int i = 0; i < 100 && !ready; ++i) {
            const ProgramRun stored =
                RunProgram("/usr/bin/secret-tool", {"store", "--label=probe", "probe", "1"}, "x",
                           {"DBUS_SESSION_BUS_ADDRESS=" + address});
            ready = stored.status == 0;
            if (!ready) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        }
        if (!ready) {
            ADD_FAILURE() << "gnome-keyring-daemon does not answer";
        }
    }
    ~SecretServiceSession() {
        for (const pid_t pid : {storePid, busPid}) {
            if (pid > 0) {
                ::kill(pid, SIGTERM);
                int status = 0;
                ::waitpid(pid, &status, 0);
            }
        }
    }
    SecretServiceSession(const SecretServiceSession&) = delete;
    SecretServiceSession& operator=(const SecretServiceSession&) = delete;

    // The session of the test program, started on first use.
    static SecretServiceSession& Shared() {
        static SecretServiceSession session;
        return session;
    }

    bool IsRunning() const { return ready; }
    const std::string& Address() const { return address; }

    // From now on the bus passes no new secret to the store, as a store that refuses
    // them would have it: items are neither made nor replaced, reading them still works.
    bool RefuseNewSecrets() {
        WriteConfiguration(
            "<deny send_destination=\"org.freedesktop.secrets\" "
            "send_interface=\"org.freedesktop.Secret.Collection\" send_member=\"CreateItem\"/>");
        // Answered once the bus has read the file again.
        return RunProgram("/usr/bin/dbus-send",
                          {"--bus=" + address, "--print-reply", "--dest=org.freedesktop.DBus",
                           "/org/freedesktop/DBus", "org.freedesktop.DBus.ReloadConfig"})
                   .status == 0;
    }

  private:
    // The bus's configuration: a session bus in the test's folder on which anyone may own
    // any name and send anything, unless rules say otherwise.
    void WriteConfiguration(const std::string& rules) {
        std::ofstream(folder / "session.conf")
            << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\""
               " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
               "<busconfig><type>session</type><listen>unix:dir="
            << (folder / "bus")
            << "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
               "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
               "<allow own=\"*\"/>"
            << rules << "</policy></busconfig>\n";
    }

    // Starts a program with extra environment entries and text on its standard input.
    static pid_t Spawn(const std::vector<std::string>& arguments,
                       const std::vector<std::string>& environment, const std::string& input,
                       int output = -1) {
        std::vector<std::string> entries(environment);
        for (char** entry = environ; *entry != nullptr; ++entry) {
            const std::string text = *entry;
            bool replaced = false;
            for (const std::string& extra : environment) {
                replaced = replaced ||
                           text.compare(0, extra.find('=') + 1, extra, 0, extra.find('=') + 1) == 0;
            }
            if (!replaced) {
                entries.push_back(text);
            }
        }
        std::vector<char*> envp;
        for (std::string& entry : entries) {
            envp.push_back(entry.data());
        }
        envp.push_back(nullptr);
        std::vector<std::string> copies(arguments);
        std::vector<char*> argv;
        for (std::string& argument : copies) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        int in[2];
        if (::pipe2(in, O_CLOEXEC) != 0) {
            return -1;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        if (output >= 0) {
            posix_spawn_file_actions_adddup2(&actions, output, 1);
        } else {
            posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        }
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        pid_t pid = -1;
        if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) {
            pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        if (!input.empty() && ::write(in[1], input.data(), input.size()) < 0) {
            ADD_FAILURE() << "cannot write to " << arguments[0];
        }
        ::close(in[1]);
        return pid;
    }
    // Starts a program and returns the first line it writes (empty when none comes).
    static std::string StartAndReadLine(const std::vector<std::string>& arguments,
                                        const std::vector<std::string>& environment, pid_t& pid) {
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0) {
            return {};
        }
        pid = Spawn(arguments, environment, "", out[1]);
        ::close(out[1]);
        std::string line;
        char c = 0;
        pollfd readable{out[0], POLLIN, 0};
        while (pid > 0 && ::poll(&readable, 1, 10000) == 1 && ::read(out[0], &c, 1) == 1 &&
               c != '\n') {
            line += c;
        }
        ::close(out[0]);
        return line;
    }

    TempDir folder;
    std::string address;
    pid_t busPid = -1;
    pid_t storePid = -1;  // the keyring or the silent store
    bool ready = false;
};
