#include "platform/folder_listing.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>

#include "support/fuse_mount.h"
#include "support/test_support.h"

namespace {

TEST(FolderListing, EveryEntryOnceWithItsTypeAndNoDots) {
    TempDir dir;
    WriteFileBytes(dir / "a.jpg", "x");
    ASSERT_EQ(::mkdir((dir / "Sub").c_str(), 0755), 0);
    ASSERT_EQ(::symlink("a.jpg", (dir / "link").c_str()), 0);
    ASSERT_EQ(::symlink("nowhere", (dir / "dangling").c_str()), 0);

    FolderListing listing(dir.path());
    ASSERT_TRUE(listing.IsOpen());
    std::map<std::string, unsigned char> found;
    for (FolderEntry entry; listing.Next(entry);) {
        EXPECT_TRUE(found.emplace(entry.name, listing.TypeOf(entry)).second) << entry.name;
    }
    const std::map<std::string, unsigned char> expected = {
        {"Sub", DT_DIR}, {"a.jpg", DT_REG}, {"dangling", DT_LNK}, {"link", DT_LNK}};
    EXPECT_EQ(found, expected);
    FolderEntry entry;
    EXPECT_FALSE(listing.Next(entry));  // the end stays the end
}

TEST(FolderListing, TypeUnknownToTheListingComesFromTheEntryItself) {
    TempDir dir;
    ASSERT_EQ(::mkdir((dir / "Sub").c_str(), 0755), 0);
    ASSERT_EQ(::symlink("Sub", (dir / "link").c_str()), 0);
    FolderListing listing(dir.path());
    EXPECT_EQ(listing.TypeOf({"Sub", DT_UNKNOWN}), DT_DIR);
    EXPECT_EQ(listing.TypeOf({"link", DT_UNKNOWN}), DT_LNK);  // the link, not where it leads
    EXPECT_EQ(listing.TypeOf({"gone", DT_UNKNOWN}), DT_UNKNOWN);
}

TEST(FolderListing, AFolderThatCannotBeOpenedSaysWhy) {
    TempDir dir;
    WriteFileBytes(dir / "file", "x");
    const struct {
        std::string folder;
        int error;
    } cases[] = {{dir / "missing", ENOENT}, {dir / "file", ENOTDIR}, {"", ENOENT}};
    for (const auto& c : cases) {
        FolderListing listing(c.folder);
        EXPECT_FALSE(listing.IsOpen()) << c.folder;
        EXPECT_EQ(listing.failure().error(), c.error) << c.folder;
        FolderEntry entry;
        EXPECT_FALSE(listing.Next(entry)) << c.folder;
    }
}

TEST(FolderListing, AListingThatBreaksOffPartWayIsAFailureNotTheEnd) {
    TempDir dir;
    for (int i = 0; i < 20; ++i) {
        WriteFileBytes(dir / ("disk/photo" + std::to_string(i) + ".jpg"), "x");
    }
    const FuseMount mount(MAVREN_SOURCE_DIR "/tests/support/breaking_listing_fs.py", dir / "disk",
                          dir / "mount");
    if (!mount.Mounted()) {
        GTEST_SKIP() << "No FUSE mount to test on (/dev/fuse, root, python3-fusepy): "
                     << mount.said;
    }
    const auto count = [&](int& error) {
        FolderListing listing(dir / "mount");
        int entries = 0;
        for (FolderEntry entry; listing.Next(entry);) {
            ++entries;
        }
        error = listing.failure().error();
        return entries;
    };
    int error = -1;
    EXPECT_EQ(count(error), 20);
    EXPECT_EQ(error, 0);
    WriteFileBytes(dir / "disk/.listing-breaks", "");
    const int read = count(error);
    EXPECT_GT(read, 0);
    EXPECT_LT(read, 20);
    EXPECT_EQ(error, EIO);
}

}  // namespace
