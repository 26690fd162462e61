#include "generate/web_names.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace {

TEST(WebNames, UrlPathKeepsPlainNamesAndEncodesTheRest) {
    const std::pair<const char*, const char*> cases[] = {
        {"GEN0000.HTM", "GEN0000.HTM"},
        {"Thumbs/TN_a-b_c.jpg", "Thumbs/TN_a-b_c.jpg"},
        {"#1.jpg", "%231.jpg"},
        {"100% fun.jpg", "100%25%20fun.jpg"},
        {"a\"b'c.png", "a%22b%27c.png"},
        {"?&=+.gif", "%3F%26%3D%2B.gif"},
        {"caf\xc3\xa9.jpg", "caf%C3%A9.jpg"},
        {"", ""},
    };
    for (const auto& [path, url] : cases) {
        EXPECT_EQ(UrlPath(path), url) << path;
    }
}

TEST(WebNames, RelativePathFromTheTargetFolder) {
    TempDir dir;
    WriteFileBytes(dir / "site/a.jpg", "x");
    WriteFileBytes(dir / "notes/b.txt", "x");
    WriteFileBytes(dir / "notes/deep/c.txt", "x");
    EXPECT_EQ(RelativePath(dir / "site", dir / "site/a.jpg"), "a.jpg");
    EXPECT_EQ(RelativePath(dir / "site/", dir / "site/a.jpg"), "a.jpg");
    EXPECT_EQ(RelativePath(dir / "site", dir / "notes/b.txt"), "../notes/b.txt");
    EXPECT_EQ(RelativePath(dir / "site", dir / "notes/deep/c.txt"), "../notes/deep/c.txt");
    EXPECT_EQ(RelativePath(dir / "notes/deep", dir / "site/a.jpg"), "../../site/a.jpg");
    EXPECT_EQ(RelativePath(dir / "site/../site", dir / "./site/a.jpg"), "a.jpg");
}

}  // namespace
