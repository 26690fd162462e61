#include "ui/folder_preview.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "support/test_support.h"

namespace {

const std::string kNone = "No appropriate files in this directory";
const std::string kPictures = "*.jpg;*.png;*.gif";

std::string Preview(const std::vector<std::string>& names, const std::string& patterns) {
    TempDir dir;
    for (const std::string& name : names) {
        WriteFileBytes(dir / name, "x");
    }
    return FolderPreviewText(dir.path(), patterns);
}

TEST(FolderPreview, ListsMatchingFilesInOrder) {
    const std::string name24(19, 'n');  // with "1.jpg", 24 characters
    const struct {
        std::vector<std::string> names;
        std::string patterns;
        std::string preview;
    } cases[] = {
        {{"a.jpg", "b.jpg", "c.jpg"}, kPictures, "a.jpg, b.jpg, c.jpg, ..."},
        {{"a.jpg", "b.jpg"}, kPictures, "a.jpg, b.jpg"},
        {{"a.jpg"}, kPictures, "a.jpg"},
        {{"B.png", "a.GIF", "c.jpg", "notes.txt", "d.jpeg"}, kPictures, "a.GIF, B.png, c.jpg, ..."},
        {{"notes.txt", "page.htm"}, kPictures, kNone},
        {{}, kPictures, kNone},
        {{"a.jpg", "b.jpg"}, "", kNone},
        {{"sub/a.jpg", "sub/b.jpg"}, kPictures, kNone},
        // Exactly 50 characters are not cut; a third file then only shows as ", ...".
        {{name24 + "1.jpg", name24 + "2.jpg"}, kPictures, name24 + "1.jpg, " + name24 + "2.jpg"},
        {{name24 + "1.jpg", name24 + "2.jpg", name24 + "3.jpg"},
         kPictures,
         name24 + "1.jpg, " + name24 + "2.jpg, ..."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Preview(c.names, c.patterns), c.preview)
            << (c.names.empty() ? "(none)" : c.names[0]);
    }
}

TEST(FolderPreview, LongNamesAreCutAfter50Characters) {
    std::vector<std::string> names;
    for (char letter = 'a'; letter <= 'h'; ++letter) {
        names.push_back(std::string(18, letter) + ".jpg");
    }
    const std::string joined = names[0] + ", " + names[1] + ", " + names[2];
    EXPECT_EQ(Preview(names, kPictures), joined.substr(0, 50) + "...");
    // One name longer than the line on its own.
    const std::string huge(80, 'x');
    EXPECT_EQ(Preview({huge + ".png"}, kPictures), huge.substr(0, 50) + "...");
}

TEST(FolderPreview, CountsCharactersNotBytes) {
    // "ä" is two bytes; 30 of them and ".jpg" make 34 characters.
    std::string umlauts;
    for (int i = 0; i < 30; ++i) {
        umlauts += "\xC3\xA4";
    }
    const std::string first = umlauts + ".jpg";
    const std::string second = umlauts + "b.jpg";
    // 34 characters and ", " leave 14 characters of the second name before the cut.
    std::string expected = first + ", ";
    for (int i = 0; i < 14; ++i) {
        expected += "\xC3\xA4";
    }
    EXPECT_EQ(Preview({first, second}, kPictures), expected + "...");
}

TEST(FolderPreview, AMissingFolderHasNoFiles) {
    TempDir dir;
    EXPECT_EQ(FolderPreviewText(dir / "gone", kPictures), kNone);
}

}  // namespace
