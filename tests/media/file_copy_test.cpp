#include "media/file_copy.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "support/test_support.h"

namespace {

struct timespec ModificationTime(const std::string& path) {
    struct stat status;
    EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
    return status.st_mtim;
}

std::string RandomBytes(size_t size, unsigned seed) {
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(generator());
    }
    return bytes;
}

size_t Entries(const std::string& folder) {
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) {
        ++count;
    }
    return count;
}

void SetTime(const std::string& path, long long seconds, long nanoseconds) {
    const struct timespec times[2] = {{static_cast<time_t>(seconds), nanoseconds},
                                      {static_cast<time_t>(seconds), nanoseconds}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

class CopyIfChangedTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(dir / "site");
        WriteFileBytes(source, "source bytes");
        SetTime(source, 1'500'000'000, 123456789);
    }
    TempDir dir;
    const std::string source = dir / "a.jpg";
    const std::string destination = dir / "site/a.jpg";
};

TEST_F(CopyIfChangedTest, CopiesAndKeepsTheTime) {
    ASSERT_TRUE(CopyIfChanged(source, destination).ok());
    EXPECT_EQ(ReadFileBytes(destination), "source bytes");
    const struct timespec copied = ModificationTime(destination);
    EXPECT_EQ(copied.tv_sec, 1'500'000'000);
    EXPECT_EQ(copied.tv_nsec, 123456789);
    EXPECT_EQ(Entries(dir / "site"), 1u);  // no temporary file left behind
}

TEST_F(CopyIfChangedTest, SkipsOnlyWhenSizeAndSecondMatch) {
    struct Case {
        const char* what;
        std::string bytes;  // same length as the source: a skip keeps them
        long long seconds;
        long nanoseconds;
        bool copied;
    } cases[] = {
        {"same size and time", "stale bytes!", 1'500'000'000, 123456789, false},
        {"same second", "stale bytes!", 1'500'000'000, 999, false},
        {"one second later", "stale bytes!", 1'500'000'001, 123456789, true},
        {"one second earlier", "stale bytes!", 1'499'999'999, 123456789, true},
        {"other size", "stale", 1'500'000'000, 123456789, true},
    };
    for (const Case& c : cases) {
        WriteFileBytes(destination, c.bytes);
        SetTime(destination, c.seconds, c.nanoseconds);
        EXPECT_TRUE(CopyIfChanged(source, destination).ok()) << c.what;
        EXPECT_EQ(ReadFileBytes(destination), c.copied ? "source bytes" : c.bytes) << c.what;
        if (c.copied) {
            EXPECT_EQ(ModificationTime(destination).tv_sec, 1'500'000'000) << c.what;
        }
    }
}

TEST_F(CopyIfChangedTest, LargeFilesArriveWhole) {
    const std::string big = RandomBytes((3 << 20) + 12345, 7);
    WriteFileBytes(source, big);
    ASSERT_TRUE(CopyIfChanged(source, destination).ok());
    EXPECT_EQ(ReadFileBytes(destination), big);
    // Also across file systems, where the kernel copy may refuse and reading takes over.
    std::string shm = "/dev/shm/mavren-copy-XXXXXX";
    if (::mkdtemp(shm.data()) != nullptr) {
        EXPECT_TRUE(CopyIfChanged(source, shm + "/a.jpg").ok());
        EXPECT_EQ(ReadFileBytes(shm + "/a.jpg"), big);
        std::filesystem::remove_all(shm);
    }
    WriteFileBytes(source, "");
    ASSERT_TRUE(CopyIfChanged(source, destination).ok());
    EXPECT_EQ(ReadFileBytes(destination), "");
}

TEST_F(CopyIfChangedTest, KeepsThePermissionBits) {
    ::chmod(source.c_str(), 0640);
    ASSERT_TRUE(CopyIfChanged(source, destination).ok());
    struct stat status;
    ASSERT_EQ(::stat(destination.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u);
    // A read-only copy is still replaced when the source changes.
    ::chmod(source.c_str(), 0444);
    WriteFileBytes(dir / "b.jpg", "newer source");
    ::chmod((dir / "b.jpg").c_str(), 0444);
    ASSERT_TRUE(CopyIfChanged(dir / "b.jpg", destination).ok());
    EXPECT_EQ(ReadFileBytes(destination), "newer source");
}

TEST_F(CopyIfChangedTest, FailuresCarryErrnoAndLeaveNothing) {
    struct Case {
        const char* what;
        std::string source;
        std::string destination;
        int error;
    } cases[] = {
        {"missing source", dir / "missing.jpg", destination, ENOENT},
        {"missing folder", source, dir / "nowhere/a.jpg", ENOENT},
        {"source is a folder", dir / "site", dir / "copy", EISDIR},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CopyIfChanged(c.source, c.destination).error(), c.error) << c.what;
        EXPECT_FALSE(std::filesystem::exists(c.destination)) << c.what;
    }
    // A folder in the destination's place stays, and no temporary file is left beside it.
    std::filesystem::create_directories(dir / "site/folder.jpg/inside");
    EXPECT_NE(CopyIfChanged(source, dir / "site/folder.jpg").error(), 0);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "site/folder.jpg/inside"));
    EXPECT_EQ(Entries(dir / "site"), 1u);
    // A file where the destination's folder should be, and a disk that fills up halfway:
    // failures root meets too. The old copy stays whole, with nothing left beside it.
    WriteFileBytes(dir / "plain", "x");
    EXPECT_EQ(CopyIfChanged(source, dir / "plain/a.jpg").error(), ENOTDIR);
    const std::string old = dir / "site/old.jpg";
    WriteFileBytes(old, "the old copy");
    WriteFileBytes(dir / "large.jpg", std::string(5000, 'p'));
    {
        const ScopedFileSizeLimit diskFull(1000);
        const Result copied = CopyIfChanged(dir / "large.jpg", old);
        EXPECT_EQ(copied.error(), EFBIG);
        EXPECT_EQ(copied.kind(), Result::Kind::NoSpace);
    }
    EXPECT_EQ(ReadFileBytes(old), "the old copy");
    EXPECT_EQ(Entries(dir / "site"), 2u);
}

}  // namespace
