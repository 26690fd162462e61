// A child run with a time limit: its output, its end, and nothing left behind.

#include "platform/watched_child.h"

#include <dirent.h>
#include <signal.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <fstream>
#include <future>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

int OpenDescriptors() {
    int count = 0;
    if (DIR* folder = ::opendir("/proc/self/fd")) {
        while (::readdir(folder) != nullptr) {
            ++count;
        }
        ::closedir(folder);
    }
    return count;
}

// Gone, or a zombie waiting for init: either way it no longer runs.
bool Runs(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string pidText, name, state;
    return stat >> pidText >> name >> state && state != "Z";
}

TEST(WatchedChild, EndsAsTheChildEndsOrWhenItIsTimeToEnd) {
    struct Case {
        std::vector<std::string> arguments;
        double limit;
        int startError;
        bool timedOut;
        int exitCode;  // -1: killed
        std::string output;
        std::string errors;
    };
    const Case cases[] = {
        {{"sh", "-c", "printf 'one\\ntwo'; echo oops >&2; exit 3"},
         10,
         0,
         false,
         3,
         "one\ntwo",
         "oops\n"},
        {{"/bin/true"}, 0, 0, false, 0, "", ""},
        {{"sh", "-c", "echo started; exec sleep 30"}, 0.3, 0, true, -1, "started\n", ""},
        {{"mavren-no-such-program"}, 10, ENOENT, false, -1, "", ""},
        {{"/etc/passwd"}, 10, EACCES, false, -1, "", ""},
    };
    const int descriptors = OpenDescriptors();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments[0] + " " + c.arguments.back());
        WatchedChildRun run{c.arguments, c.limit};
        const auto start = Clock::now();
        const WatchedChildEnd end = RunWatchedChild(run);
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
        EXPECT_EQ(end.start.error(), c.startError);
        EXPECT_EQ(end.timedOut, c.timedOut);
        EXPECT_FALSE(end.stopped);
        EXPECT_EQ(end.ok(), c.exitCode == 0);
        if (c.exitCode >= 0) {
            ASSERT_TRUE(WIFEXITED(end.status));
            EXPECT_EQ(WEXITSTATUS(end.status), c.exitCode);
        }
        EXPECT_EQ(end.output, c.output);
        EXPECT_EQ(end.errors, c.errors);
    }
    EXPECT_EQ(OpenDescriptors(), descriptors);
}

TEST(WatchedChild, GivesLinesAsTheyComeAndKeepsTheTailOfErrorsAndTheOutputWithinItsLimit) {
    std::vector<std::string> lines;
    WatchedChildRun run{{"sh", "-c", "printf 'a\\n\\nb\\nlast'; head -c 10000 /dev/zero >&2"}, 10};
    run.onLine = [&](const std::string& line) { lines.push_back(line); };
    WatchedChildEnd end = RunWatchedChild(run);
    EXPECT_TRUE(end.ok());
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "", "b", "last"}));
    EXPECT_EQ(end.output, "");
    EXPECT_EQ(end.errors, std::string(4096, '\0'));

    end = RunWatchedChild({{"head", "-c", "100000", "/dev/zero"}, 10, {}, {}, 1000});
    EXPECT_TRUE(end.ok());
    EXPECT_EQ(end.output, std::string(1000, '\0'));
}

TEST(WatchedChild, AStopFromAnotherThreadEndsTheChildAndWhatItStartedWithinASecond) {
    std::atomic<bool> stop{false};
    std::promise<pid_t> started;
    WatchedChildRun run{{"sh", "-c", "sleep 30 & echo $!; wait"}, 60};
    run.stopped = [&] { return stop.load(); };
    run.onLine = [&](const std::string& line) { started.set_value(std::stoi(line)); };
    Clock::time_point asked;
    std::thread stopper([&] {
        const pid_t grandchild = started.get_future().get();
        EXPECT_TRUE(Runs(grandchild));
        asked = Clock::now();
        stop = true;
        // The sleep it started is killed too, though it is not the child itself.
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        while (Runs(grandchild) && Clock::now() < deadline) {
            std::this_thread::yield();
        }
        EXPECT_FALSE(Runs(grandchild));
    });
    const WatchedChildEnd end = RunWatchedChild(run);
    const auto ended = Clock::now();
    stopper.join();
    EXPECT_TRUE(end.stopped);
    EXPECT_FALSE(end.timedOut);
    EXPECT_FALSE(end.ok());
    EXPECT_LT(ended - asked, std::chrono::seconds(1));
}

}  // namespace
