#include "platform/temporary_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <filesystem>
#include <utility>

#include "support/test_support.h"

namespace {

TEST(TemporaryFiles, OursAreKnownByTheirPrefix) {
    const std::pair<std::string, bool> cases[] = {
        {".mavren-tmp-12-0", true}, {LeftoverName(3), true},
        {".mavren-tmp-", false},  // the prefix alone names nothing we write
        {"mavren-tmp-12-0", false}, {".page.htm.tmp-12-0", false},
        {"photo.jpg", false},       {"", false},
    };
    for (const auto& [name, ours] : cases) {
        EXPECT_EQ(IsTemporaryFileName(name), ours) << name;
    }
}

TEST(TemporaryFiles, NamesStayShortAndApartWhateverTheFinalName) {
    TempDir dir;
    for (const std::string& path :
         {dir / "a.htm", dir / (std::string(251, 'n') + ".jpg"), std::string("relative.mav")}) {
        // Two writers beside the same final path at once, each with a file of its own.
        std::string temporaries[2];
        UniqueFd fds[2];
        for (int i = 0; i < 2; ++i) {
            Expected<UniqueFd> made = CreateTemporaryBeside(path, temporaries[i]);
            ASSERT_TRUE(made.ok()) << path << " #" << i << ": " << made.failure().text();
            fds[i] = std::move(*made);
        }
        EXPECT_NE(temporaries[0], temporaries[1]) << path;
        const std::string folder = path.substr(0, path.rfind('/') + 1);
        for (const std::string& temporary : temporaries) {
            EXPECT_EQ(temporary.substr(0, folder.size()), folder) << "beside " << path;
            const std::string name = temporary.substr(folder.size());
            EXPECT_TRUE(IsTemporaryFileName(name)) << name;
            EXPECT_LT(name.size(), 40u) << name;
            EXPECT_TRUE(std::filesystem::is_regular_file(temporary));
            ::unlink(temporary.c_str());
        }
    }
}

TEST(TemporaryFiles, OnlyLeftoversOfFinishedProcessesFromBeforeAreRemoved) {
    TempDir dir;
    const std::string running =
        std::string(kTemporaryFilePrefix) + std::to_string(::getpid()) + "-0";
    for (const std::string& name : {LeftoverName(1), LeftoverName(2), running,
                                    std::string(".page.htm.tmp-1-0"), std::string("photo.jpg")}) {
        WriteFileBytes(dir / name, "half");
    }
    std::filesystem::create_directory(dir / LeftoverName(3));
    std::timespec since{};
    std::timespec_get(&since, TIME_UTC);
    // File times come from the kernel's coarse clock, which can lag the clock read above by a
    // tick; a file made within that tick would look older than the run.
    for (std::timespec coarse{};
         ::clock_gettime(CLOCK_REALTIME_COARSE, &coarse) == 0 &&
         (coarse.tv_sec < since.tv_sec ||
          (coarse.tv_sec == since.tv_sec && coarse.tv_nsec <= since.tv_nsec));) {
        ::usleep(1000);
    }
    WriteFileBytes(dir / LeftoverName(4), "being written since the run began");

    std::vector<std::string> removed = RemoveLeftoverTemporaryFiles(dir.path(), since);
    std::sort(removed.begin(), removed.end());
    EXPECT_EQ(removed, (std::vector<std::string>{LeftoverName(1), LeftoverName(2)}));
    for (const std::string& kept : {running, std::string(".page.htm.tmp-1-0"),
                                    std::string("photo.jpg"), LeftoverName(3), LeftoverName(4)}) {
        EXPECT_TRUE(std::filesystem::exists(dir / kept)) << kept;
    }
    EXPECT_TRUE(RemoveLeftoverTemporaryFiles(dir / "missing", since).empty());
}

// What the stand-in for kill says of every process.
int signalError = 0;

TEST(TemporaryFiles, AWriterThatCannotBeSignalledIsStillRunning) {
    // Tests run as root, whom every process lets signal it; these are what others see.
    const struct {
        int error;
        bool removed;
    } cases[] = {
        {EPERM, false},  // running, as another user
        {ESRCH, true},   // gone
    };
    const ProcessSignaller previous = SetProcessSignaller([](pid_t, int) {
        errno = signalError;
        return -1;
    });
    for (const auto& c : cases) {
        TempDir dir;
        // Process 1 runs for as long as the machine does.
        const std::string name = std::string(kTemporaryFilePrefix) + "1-0";
        WriteFileBytes(dir / name, "half");
        signalError = c.error;
        const std::timespec later{std::time(nullptr) + 3600, 0};
        EXPECT_EQ(RemoveLeftoverTemporaryFiles(dir.path(), later).size(), c.removed ? 1u : 0u)
            << c.error;
        EXPECT_EQ(std::filesystem::exists(dir / name), !c.removed) << c.error;
    }
    SetProcessSignaller(previous);
}

}  // namespace
