#include "platform/source_scan.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "platform/wildcard.h"
#include "support/test_support.h"

namespace {

TEST(Wildcard, MatchesLikeTheDirectorySearch) {
    struct Case {
        const char* pattern;
        const char* name;
        bool matches;
    } cases[] = {
        {"*.jpg", "a.jpg", true},
        {"*.jpg", "A.JPG", true},
        {"*.JPG", "photo.jpg", true},
        {"*.jpg", "a.jpeg", false},
        {"*.htm", "a.html", false},
        {"*.html", "a.html", true},
        {"*.*", "README", true},
        {"*.*", "a.b", true},
        {"*.*", ".hidden", true},
        {"*", "anything.at.all", true},
        {"a?c.txt", "abc.txt", true},
        {"a?c.txt", "ac.txt", false},
        {"*[1].jpg", "x[1].jpg", true},
        {"*[1].jpg", "x1.jpg", false},
        {"", "a", false},
        {"TN_*", "TN_a.jpg", true},
        {"*a*b*c*", "xxaxxbxxcxx", true},
        {"*a*b*c*d", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaabbbbbbbbbbbbbbbbbccccccccccccc", false},
        {"data.*", "data", true},
        {"data.*", "database", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.matches) << c.pattern << " ~ " << c.name;
    }
}

class Scan : public ::testing::Test {
  protected:
    void Touch(const std::string& name) { WriteFileBytes(dir / name, "x"); }
    TempDir dir;
};

TEST_F(Scan, EmptyOrMissingFolderGivesNoList) {
    EXPECT_EQ(ScanFiles(dir.path(), "*.*", false), nullptr);
    EXPECT_EQ(ScanFiles(dir / "missing", "*.jpg;*.png", true), nullptr);
    Touch("a.txt");
    EXPECT_EQ(ScanFiles(dir.path(), "*.jpg", false), nullptr);
}

TEST_F(Scan, SortsWholePathsIgnoringLetterCase) {
    Touch("a.JPG");
    Touch("B.jpg");
    Touch("_c.jpg");
    Touch("notes.txt");
    const auto list = ScanFiles(dir.path(), "*.jpg", false);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(*list, (FileList{dir / "_c.jpg", dir / "a.JPG", dir / "B.jpg"}));
}

TEST_F(Scan, PatternsInTurnWithDuplicatesAndEmptyPatterns) {
    Touch("a.jpg");
    Touch("b.png");
    Touch("c.gif");
    const auto list = ScanFiles(dir.path(), "*.png;;*.jpg;*.JPG", false);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(*list, (FileList{dir / "a.jpg", dir / "a.jpg", dir / "b.png"}));
}

TEST_F(Scan, WithoutRecursionOnlyFilesAndLinksToFilesAreListed) {
    Touch("a.jpg");
    Touch("trip.jpg/inner.jpg");  // a folder named like a picture
    ASSERT_EQ(::mkfifo((dir / "pipe.jpg").c_str(), 0644), 0);
    ASSERT_EQ(::symlink((dir / "a.jpg").c_str(), (dir / "link.jpg").c_str()), 0);
    ASSERT_EQ(::symlink((dir / "trip.jpg").c_str(), (dir / "folder-link.jpg").c_str()), 0);
    ASSERT_EQ(::symlink((dir / "gone.jpg").c_str(), (dir / "dangling.jpg").c_str()), 0);
    const auto list = ScanFiles(dir.path(), "*.jpg", false);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(*list, (FileList{dir / "a.jpg", dir / "link.jpg"}));
}

TEST_F(Scan, RecursionFromTheCurrentFolderGivesRelativePaths) {
    Touch("INDEX000.HTM");
    Touch("Thumbs/TN_a.jpg");
    Touch("a.jpg");
    Touch("Thumbs1.htm");
    Touch("sub/deeper/z.gif");
    Touch("sub/README");
    const std::string before = std::filesystem::current_path();
    ASSERT_EQ(::chdir(dir.path().c_str()), 0);
    const auto list = ScanFiles("", "*.*", true);
    ASSERT_EQ(::chdir(before.c_str()), 0);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(*list, (FileList{"a.jpg", "INDEX000.HTM", "sub/deeper/z.gif", "sub/README",
                               "Thumbs/TN_a.jpg", "Thumbs1.htm"}));
}

TEST_F(Scan, RecursionDescendsOnlyIntoFoldersThatMatch) {
    Touch("top.jpg");
    Touch("album.jpg/in.jpg");
    Touch("plain/hidden.jpg");
    const auto list = ScanFiles(dir.path(), "*.jpg", true);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(*list, (FileList{dir / "album.jpg/in.jpg", dir / "top.jpg"}));
}

TEST_F(Scan, LinkLoopsDoNotTrapTheWalk) {
    Touch("sub/a.txt");
    ASSERT_EQ(::symlink("..", (dir / "sub/up").c_str()), 0);
    const auto list = ScanFiles(dir.path(), "*.*", true);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(*list, (FileList{dir / "sub/a.txt"}));
}

TEST_F(Scan, ManyFilesAreAllReturnedInOrder) {
    for (int i = 249; i >= 0; --i) {
        char name[32];
        std::snprintf(name, sizeof name, "IMG_%04d.jpg", i);
        Touch(name);
    }
    const auto list = ScanFiles(dir.path(), "*.jpg", false);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->size(), 250u);
    EXPECT_EQ(list->front(), dir / "IMG_0000.jpg");
    EXPECT_EQ((*list)[100], dir / "IMG_0100.jpg");
    EXPECT_EQ(list->back(), dir / "IMG_0249.jpg");
}

}  // namespace
