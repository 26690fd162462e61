// Files moved to the desktop's trash: where they land, the note that brings them back, and
// a failure that leaves the file where it was.

#include "platform/trash.h"

#include <sys/stat.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

// A trash of the test's own, in a data folder made for it.
class Trash : public ::testing::Test {
  protected:
    Trash() {
        const char* data = std::getenv("XDG_DATA_HOME");
        earlier = data != nullptr ? data : "";
        ::setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
    }
    ~Trash() override { ::setenv("XDG_DATA_HOME", earlier.c_str(), 1); }

    std::string Note(const std::string& name) {
        return ReadFileBytes(dir / ("data/Trash/info/" + name + ".trashinfo"));
    }

    TempDir dir;
    std::string earlier;
};

// 2026-03-04 05:06:07 local time, as a note writes it.
std::time_t Moment() {
    std::tm local{};
    local.tm_year = 126;
    local.tm_mon = 2;
    local.tm_mday = 4;
    local.tm_hour = 5;
    local.tm_min = 6;
    local.tm_sec = 7;
    local.tm_isdst = -1;
    return std::mktime(&local);
}

TEST(TrashInfoPath, EncodesAllButPlainCharacters) {
    const struct {
        const char* path;
        const char* encoded;
    } cases[] = {
        {"/home/ann/a.jpg", "/home/ann/a.jpg"},
        {"/home/ann/Trip to Rome/50% off.jpg", "/home/ann/Trip%20to%20Rome/50%25%20off.jpg"},
        {"/z/Z\xC3\xBCrich/a~_-.JPG", "/z/Z%C3%BCrich/a~_-.JPG"},
        {"/a#b?c", "/a%23b%3Fc"},
    };
    for (const auto& row : cases) {
        EXPECT_EQ(TrashInfoPath(row.path), row.encoded) << row.path;
    }
}

TEST_F(Trash, NamesThatAreTakenGetANumberBeforeTheExtension) {
    const struct {
        const char* file;
        const char* trashed;
    } cases[] = {
        {"one/a.jpg", "a.jpg"},   {"two/a.jpg", "a.2.jpg"},   {"three/a.jpg", "a.3.jpg"},
        {"one/README", "README"}, {"two/README", "README.2"},
    };
    for (const auto& row : cases) {
        const std::string path = dir / row.file;
        WriteFileBytes(path, row.file);
        std::string trashed;
        ASSERT_TRUE(MoveToTrash(path, &trashed, Moment()).ok()) << row.file;
        EXPECT_EQ(trashed, row.trashed);
        EXPECT_FALSE(fs::exists(path));
        EXPECT_EQ(ReadFileBytes(dir / ("data/Trash/files/" + trashed)), row.file);
        EXPECT_EQ(Note(trashed), "[Trash Info]\nPath=" + TrashInfoPath(path) +
                                     "\nDeletionDate=2026-03-04T05:06:07\n");
    }
    // A file in "files" without its note holds its name as well.
    WriteFileBytes(dir / "data/Trash/files/b.jpg", "lost note");
    WriteFileBytes(dir / "b.jpg", "b");
    std::string trashed;
    ASSERT_TRUE(MoveToTrash(dir / "b.jpg", &trashed).ok());
    EXPECT_EQ(trashed, "b.2.jpg");
    EXPECT_FALSE(fs::exists(dir / "data/Trash/info/b.jpg.trashinfo"));
}

TEST_F(Trash, AcrossFileSystemsTheFileIsCopiedWholeWithItsTime) {
    char pattern[] = "/dev/shm/mavren-trash-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        GTEST_SKIP() << "no /dev/shm";
    }
    const std::string other = pattern;
    struct stat a;
    struct stat b;
    ASSERT_EQ(::stat(other.c_str(), &a), 0);
    ASSERT_EQ(::stat(dir.path().c_str(), &b), 0);
    if (a.st_dev == b.st_dev) {
        fs::remove_all(other);
        GTEST_SKIP() << "/dev/shm is on the same file system as " << dir.path();
    }
    const std::string path = other + "/photo.jpg";
    const std::string bytes(300000, 'x');
    WriteFileBytes(path, bytes);
    SetModificationTime(path, 1700000000);
    std::string trashed;
    const Result moved = MoveToTrash(path, &trashed);
    fs::remove_all(other);
    ASSERT_TRUE(moved.ok()) << moved.text();
    const std::string there = dir / "data/Trash/files/photo.jpg";
    EXPECT_EQ(ReadFileBytes(there), bytes);
    struct stat copy;
    ASSERT_EQ(::stat(there.c_str(), &copy), 0);
    EXPECT_EQ(copy.st_mtim.tv_sec, 1700000000);
    EXPECT_NE(Note("photo.jpg").find("Path=" + TrashInfoPath(path) + "\n"), std::string::npos);
}

TEST_F(Trash, AFailureLeavesTheFileWhereItWasAndNoNote) {
    const std::string path = dir / "keep/a.jpg";
    WriteFileBytes(path, "mine");
    // A trash that cannot be made: a file where its folder would be.
    WriteFileBytes(dir / "data/Trash", "not a folder");
    Result moved = MoveToTrash(path);
    EXPECT_FALSE(moved.ok());
    EXPECT_EQ(ReadFileBytes(path), "mine");
    fs::remove(dir / "data/Trash");
    // A file that is not there.
    moved = MoveToTrash(dir / "keep/missing.jpg");
    EXPECT_FALSE(moved.ok());
    EXPECT_EQ(moved.error(), ENOENT);
}

}  // namespace
