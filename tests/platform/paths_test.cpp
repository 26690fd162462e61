#include "platform/paths.h"

#include <gtest/gtest.h>

#include "platform/ascii.h"

namespace {

TEST(Paths, JoinPathInsertsOneSeparator) {
    struct Case {
        const char* folder;
        const char* name;
        const char* expected;
    } cases[] = {
        {"/site/", "a.htm", "/site/a.htm"},
        {"/site", "a.htm", "/site/a.htm"},
        {"", "a.htm", "a.htm"},
        {"/", "a.htm", "/a.htm"},
        {"Thumbs", "TN_a.jpg", "Thumbs/TN_a.jpg"},
        {"/site\\", "a.htm", "/site\\/a.htm"},  // a backslash is an ordinary character
    };
    for (const Case& c : cases) {
        EXPECT_EQ(JoinPath(c.folder, c.name), c.expected) << c.folder << " + " << c.name;
    }
}

TEST(Paths, SplittingNameExtensionAndFolder) {
    struct Case {
        const char* path;
        const char* name;
        const char* extension;
        const char* folder;
    } cases[] = {
        {"/site/a.jpg", "a.jpg", "JPG", "/site"},
        {"/site/pics/a.Jpeg", "a.Jpeg", "JPEG", "/site/pics"},
        {"a.jpg", "a.jpg", "JPG", ""},
        {"/a.jpg", "a.jpg", "JPG", ""},
        {"a", "a", "", ""},
        {"a.b.c", "a.b.c", "C", ""},
        {"/dir.d/file", "file", "", "/dir.d"},
        {"/site/", "", "", "/site"},
        {"Thumbs/TN_a.gif", "TN_a.gif", "GIF", "Thumbs"},
        {"/x/.hidden", ".hidden", "HIDDEN", "/x"},
        {"/x/trailing.", "trailing.", "", "/x"},
        {"/x/über.jpg", "über.jpg", "JPG", "/x"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PathFileName(c.path), c.name) << c.path;
        EXPECT_EQ(PathExtension(c.path), c.extension) << c.path;
        EXPECT_EQ(PathFolder(c.path), c.folder) << c.path;
    }
}

TEST(Paths, ReplaceAllIsLeftToRightWithoutOverlaps) {
    EXPECT_EQ(ReplaceAll("aaa", "aa", "b"), "ba");
    EXPECT_EQ(ReplaceAll("abc", "x", "y"), "abc");
    EXPECT_EQ(ReplaceAll("a%Fb%F", "%F", "%F%F"), "a%F%Fb%F%F") << "replacements not searched";
    EXPECT_EQ(ReplaceAll("xAx", "a", "b"), "xAx") << "case matters";
    EXPECT_EQ(ReplaceAll("", "a", "b"), "");
    EXPECT_EQ(ReplaceAll("aXbXc", "X", ""), "abc");
    EXPECT_EQ(ReplaceAll("abab", "abab", "z"), "z");
}

TEST(Ascii, CaseFoldingLeavesOtherBytesAlone) {
    EXPECT_EQ(AsciiUpperCase("abz_ÄÖ1"), "ABZ_ÄÖ1");
    EXPECT_EQ(AsciiLowerCase("ABZ["), "abz[");
    EXPECT_TRUE(EqualsIgnoringCase("Source-Dir", "SOURCE-dir"));
    EXPECT_FALSE(EqualsIgnoringCase("Source-Dir", "Source-Di"));
    EXPECT_LT(CompareIgnoringCase("_c", "a"), 0);
    EXPECT_LT(CompareIgnoringCase("a.JPG", "B.jpg"), 0);
    EXPECT_EQ(CompareIgnoringCase("ABC", "abc"), 0);
    EXPECT_LT(CompareIgnoringCase("ab", "abc"), 0);
    EXPECT_GT(CompareIgnoringCase("\xC3\xA4", "z"), 0) << "bytes above 0x7F after letters";
}

}  // namespace
