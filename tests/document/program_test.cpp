#include "document/program.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

using K = ProgramKey;

struct ExpectedRow {
    const char* name;
    int id;
    KeyType type;
    const char* section;
    const char* defaultText;
};

// Every key of a program file, row by row: name, id, type, section and default text.
const ExpectedRow kExpected[] = {
    {"File-Name", 0, KeyType::String, "Generation", ""},
    {"Last-Generated", 1, KeyType::Date, "Generation", "Never"},
    {"Source-Dir", 2, KeyType::String, "Generation", ""},
    {"Target-Dir", 3, KeyType::String, "Generation", ""},
    {"Generate-Index-Page", 15, KeyType::Bool, "Generation", "Yes"},
    {"Generate-Content-Pages", 21, KeyType::Bool, "Generation", "Yes"},
    {"Source-File-Extension", 20, KeyType::String, "Index Options", ""},
    {"Index-Page-Title", 16, KeyType::String, "Index Options", "Files from %P"},
    {"Generate-Thumbnails", 4, KeyType::Bool, "Index Options", "Yes"},
    {"Smart-Thumbnail-Generation", 23, KeyType::Bool, "Index Options", "Yes"},
    {"Thumbnail-Size", 5, KeyType::Int, "Index Options", "120"},
    {"Index-Generate-Multiple-Pages", 22, KeyType::Bool, "Index Options", "Yes"},
    {"Index-Thumbnail-Layout-Type", 17, KeyType::Int, "Index Options", "0"},
    {"Index-Thumbnails-Across", 18, KeyType::Int, "Index Options", "3"},
    {"Index-Thumbnails-Down", 19, KeyType::Int, "Index Options", "3"},
    {"Index-Thumbnail-Label-Type", 24, KeyType::Int, "Index Options", "0"},
    {"Index-Thumbnail-Custom-Label", 25, KeyType::String, "Index Options", ""},
    {"Index-Label-Thumbnails", 26, KeyType::Bool, "Index Options", "Yes"},
    {"Index-Boilerplate", 48, KeyType::String, "Index Options", ""},
    {"Content-Show-Link-Begin", 7, KeyType::Bool, "Link Options", "No"},
    {"Content-Show-Link-End", 8, KeyType::Bool, "Link Options", "No"},
    {"Content-Show-Link-Index", 9, KeyType::Bool, "Link Options", "Yes"},
    {"Content-Show-Link-Next", 10, KeyType::Bool, "Link Options", "Yes"},
    {"Content-Show-Link-Prev", 11, KeyType::Bool, "Link Options", "Yes"},
    {"Content-Image-Is-Link", 12, KeyType::Bool, "Link Options", "No"},
    {"Content-Image-Is-Link-Style", 13, KeyType::Int, "Link Options", "0"},
    {"Content-Page-Title", 14, KeyType::String, "Content Options", "%F"},
    {"Content-Boilerplate", 27, KeyType::String, "Content Options", ""},
    {"Content-Show-Labels", 37, KeyType::Bool, "Content Options", "No"},
    {"Content-Label-Type", 28, KeyType::Int, "Content Options", "0"},
    {"Content-Custom-Label", 29, KeyType::String, "Content Options", ""},
    {"Content-Frame", 30, KeyType::Bool, "Content Options", "No"},
    {"Content-Show-Links", 31, KeyType::Bool, "Content Options", "No"},
    {"Content-Guess-Paragraphs", 49, KeyType::Bool, "Content Options", "No"},
    {"Content-Link-Begin-Label", 32, KeyType::String, "Content Options", ""},
    {"Content-Link-End-Label", 33, KeyType::String, "Content Options", ""},
    {"Content-Link-Index-Label", 34, KeyType::String, "Content Options", ""},
    {"Content-Link-Next-Label", 35, KeyType::String, "Content Options", ""},
    {"Content-Link-Prev-Label", 36, KeyType::String, "Content Options", ""},
    {"HTML-Background-Style", 38, KeyType::Int, "HTML Options", "-1"},
    {"HTML-Background-Image", 39, KeyType::String, "HTML Options", ""},
    {"HTML-Background-Fixed", 40, KeyType::Bool, "HTML Options", "No"},
    {"HTML-Background-Color", 41, KeyType::String, "HTML Options", ""},
    {"HTML-Text-Color-Color", 42, KeyType::String, "HTML Options", ""},
    {"HTML-Link-Color", 43, KeyType::String, "HTML Options", ""},
    {"HTML-VLink-Color", 44, KeyType::String, "HTML Options", ""},
    {"HTML-ALink-Color", 45, KeyType::String, "HTML Options", ""},
    {"HTML-Font-Face", 46, KeyType::String, "HTML Options", ""},
    {"HTML-Font-Size", 47, KeyType::String, "HTML Options", ""},
    {"Comments", 6, KeyType::String, "Misc", ""},
    {"Misc-GIF-Thumbnail-Type", 50, KeyType::Int, "Misc", "0"},
    {"Misc-GIF-Thumbnail-Dir", 51, KeyType::String, "Misc", ""},
    {"Misc-Include-Mavren-Link", 52, KeyType::Bool, "Misc", "No"},
    {"Photo-Web-Size", 53, KeyType::Int, "Photos", "0"},
    {"Photo-Web-Quality", 54, KeyType::Int, "Photos", "82"},
    {"Photo-Publish-Originals", 55, KeyType::Bool, "Photos", "Yes"},
    {"Photo-Keep-Camera-Data", 56, KeyType::Bool, "Photos", "No"},
    {"Photo-Camera-Captions", 57, KeyType::Bool, "Photos", "No"},
    {"Photo-Order", 58, KeyType::Int, "Photos", "0"},
    {"Page-Language", 59, KeyType::String, "Pages", ""},
    {"Include-Subfolders", 60, KeyType::Bool, "Photos", "No"},
    {"Photo-Originals-Without-Place", 61, KeyType::Bool, "Photos", "No"},
    {"Site-Index-Html", 62, KeyType::Bool, "Pages", "No"},
    {"Upload-Whole-Folder", 63, KeyType::Bool, "FTP Options", "No"},
    {"Page-Names-From-Files", 64, KeyType::Bool, "Pages", "No"},
    {"Site-Name", 65, KeyType::String, "Pages", ""},
    {"Pages-For-Sharing", 66, KeyType::Bool, "Pages", "No"},
    {"Site-Address", 67, KeyType::String, "Pages", ""},
    {"Photo-WebP", 68, KeyType::Bool, "Photos", "No"},
    {"Photo-AVIF", 69, KeyType::Bool, "Photos", "No"},
    {"Photo-PNG-As-JPEG", 70, KeyType::Bool, "Photos", "No"},
    {"Photo-Videos", 71, KeyType::Bool, "Photos", "No"},
    {"Photo-Video-Size", 72, KeyType::Int, "Photos", "720"},
    {"Photo-Video-Threads", 73, KeyType::Int, "Photos", "0"},
};

TEST(KeyTable, RowsGiveEveryKeyItsNameIdTypeAndSectionInOrder) {
    ASSERT_EQ(std::size(kExpected), kKeyTable.size());
    std::set<int> ids;
    for (std::size_t row = 0; row < kKeyTable.size(); ++row) {
        SCOPED_TRACE(kExpected[row].name);
        EXPECT_EQ(kKeyTable[row].name, kExpected[row].name);
        EXPECT_EQ(static_cast<int>(kKeyTable[row].id), kExpected[row].id);
        EXPECT_EQ(kKeyTable[row].type, kExpected[row].type);
        EXPECT_EQ(kSectionNames[static_cast<std::size_t>(kKeyTable[row].section)],
                  kExpected[row].section);
        EXPECT_EQ(kKeyTable[row].listed, row != 0);
        ids.insert(kExpected[row].id);
    }
    EXPECT_EQ(ids.size(), 74u);  // dense 0 to 73
    EXPECT_EQ(*ids.begin(), 0);
    EXPECT_EQ(*ids.rbegin(), 73);
}

TEST(KeyTable, NamesAreFoundIgnoringCaseAndIdsByValue) {
    ASSERT_NE(FindKeyByName("thumbnail-size"), nullptr);
    EXPECT_EQ(FindKeyByName("THUMBNAIL-SIZE")->id, K::ThumbnailSize);
    EXPECT_EQ(FindKeyByName("Thumbnail-Siz"), nullptr);
    EXPECT_EQ(FindKeyByName(""), nullptr);
    EXPECT_EQ(FindKey(static_cast<ProgramKey>(kProgramKeyCount)), nullptr);
    EXPECT_EQ(FindKey(static_cast<ProgramKey>(-1)), nullptr);
    EXPECT_EQ(FindKey(K::MiscIncludeMavrenLink)->name, "Misc-Include-Mavren-Link");
}

TEST(Program, DefaultsGiveEveryKeyItsDefaultText) {
    Program program;
    program.ApplyDefaults();
    for (const ExpectedRow& row : kExpected) {
        EXPECT_EQ(program.GetText(static_cast<ProgramKey>(row.id)), row.defaultText) << row.name;
    }
    EXPECT_GT(program.modified, 0);
}

TEST(Program, ConstructedEmptyAndClearKeepsModified) {
    Program program;
    EXPECT_EQ(program.modified, 0);
    EXPECT_EQ(program.GetText(K::LastGenerated), "Never");
    EXPECT_EQ(program.GetText(K::GenerateIndexPage), "No");
    EXPECT_EQ(program.GetText(K::IndexPageTitle), "");
    program.ApplyDefaults();
    program.modified = 1234.5;
    program.Clear();
    EXPECT_EQ(program.modified, 1234.5);
    EXPECT_EQ(program.GetInt(K::ThumbnailSize), 0);
    EXPECT_EQ(program.GetText(K::IndexPageTitle), "");
}

TEST(Program, UnknownIdsReadEmptyAndRefuseChanges) {
    Program program;
    program.ApplyDefaults();
    const auto unknown = static_cast<ProgramKey>(77);
    EXPECT_EQ(program.GetInt(unknown), 0);
    EXPECT_EQ(program.GetDate(unknown), 0);
    EXPECT_EQ(program.GetText(unknown), "");
    program.modified = 1;
    EXPECT_FALSE(program.SetInt(unknown, 5));
    EXPECT_FALSE(program.SetString(unknown, "x"));
    EXPECT_FALSE(program.SetDate(unknown, 5));
    EXPECT_FALSE(program.SetFromText(unknown, "5"));
    EXPECT_FALSE(program.SetText(unknown, "5"));
    EXPECT_EQ(program.modified, 1);
}

TEST(Program, SettersMoveModifiedOnlyOnAChange) {
    Program program;
    program.ApplyDefaults();

    program.modified = 1;
    EXPECT_TRUE(program.SetString(K::IndexPageTitle, "Files from %P"));
    EXPECT_EQ(program.modified, 1) << "same text";
    EXPECT_TRUE(program.SetInt(K::ThumbnailSize, 120));
    EXPECT_EQ(program.modified, 1) << "same number";
    EXPECT_TRUE(program.SetDate(K::LastGenerated, 0));
    EXPECT_EQ(program.modified, 1) << "same date";

    // An absent string set to "" is a change: it now holds an empty string.
    EXPECT_TRUE(program.SetString(K::Comments, ""));
    EXPECT_GT(program.modified, 1);
    program.modified = 1;
    EXPECT_TRUE(program.SetString(K::Comments, ""));
    EXPECT_EQ(program.modified, 1);

    EXPECT_TRUE(program.SetInt(K::ThumbnailSize, 150));
    EXPECT_GT(program.modified, 1);
    EXPECT_EQ(program.GetInt(K::ThumbnailSize), 150);
}

TEST(Program, SetFromTextConvertsByTypeWithoutTouchingModified) {
    Program program;
    program.modified = 7;
    struct Case {
        ProgramKey key;
        const char* text;
        const char* expected;
    } cases[] = {
        {K::GenerateThumbnails, "yes", "Yes"},
        {K::GenerateThumbnails, "yEs", "Yes"},
        {K::GenerateThumbnails, "YES", "Yes"},
        {K::GenerateThumbnails, "yes please", "No"},
        {K::GenerateThumbnails, "No", "No"},
        {K::GenerateThumbnails, "1", "No"},
        {K::GenerateThumbnails, "true", "No"},
        {K::GenerateThumbnails, "", "No"},
        {K::ThumbnailSize, "  42abc", "42"},
        {K::ThumbnailSize, "-17", "-17"},
        {K::ThumbnailSize, "+8", "8"},
        {K::ThumbnailSize, "abc", "0"},
        {K::ThumbnailSize, "", "0"},
        {K::ThumbnailSize, "99999999999", "2147483647"},
        {K::IndexPageTitle, "  spaced  ", "  spaced  "},
        {K::IndexPageTitle, "", ""},
        {K::LastGenerated, "Never", "Never"},
        {K::LastGenerated, "garbage", "Never"},
        {K::LastGenerated, "02/30/24 10:00:00", "Never"},
        {K::LastGenerated, "12/07/26 09:05:03", "12/07/26 09:05:03"},
        {K::LastGenerated, "1/2/1999 3:04:05", "01/02/99 03:04:05"},
        {K::LastGenerated, "07/04/68 12:00:00", "07/04/68 12:00:00"},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(program.SetFromText(c.key, c.text));
        EXPECT_EQ(program.GetText(c.key), c.expected) << c.text;
    }
    EXPECT_EQ(program.modified, 7);
}

TEST(Program, SetTextConvertsLikeTheReaderButThroughTheSetters) {
    Program program;
    program.ApplyDefaults();
    program.modified = 1;
    EXPECT_TRUE(program.SetText(K::GenerateThumbnails, "YES"));
    EXPECT_EQ(program.modified, 1) << "already Yes";
    EXPECT_TRUE(program.SetText(K::GenerateThumbnails, "no"));
    EXPECT_FALSE(program.GetBool(K::GenerateThumbnails));
    EXPECT_GT(program.modified, 1);
    EXPECT_TRUE(program.SetText(K::ThumbnailSize, "150px"));
    EXPECT_EQ(program.GetInt(K::ThumbnailSize), 150);
    EXPECT_TRUE(program.SetText(K::LastGenerated, "01/02/03 04:05:06"));
    EXPECT_EQ(program.GetText(K::LastGenerated), "01/02/03 04:05:06");
}

TEST(Program, GeneratedAndEditedFollowLastGenerated) {
    Program program;
    program.ApplyDefaults();
    EXPECT_FALSE(program.HasBeenGenerated());
    program.SetDate(K::LastGenerated, -0.0);
    EXPECT_FALSE(program.HasBeenGenerated()) << "negative zero is still never";

    // A finished run stamps now; modified moves to the same second: not edited.
    program.SetDate(K::LastGenerated, CurrentOleDate());
    EXPECT_TRUE(program.HasBeenGenerated());
    program.modified = program.GetDate(K::LastGenerated);
    EXPECT_FALSE(program.EditedSinceGenerated());

    program.modified = program.GetDate(K::LastGenerated) + 1.0 / 86400;
    EXPECT_TRUE(program.EditedSinceGenerated());

    // A stopped run sets Never: edited since.
    program.SetDate(K::LastGenerated, 0);
    EXPECT_TRUE(program.EditedSinceGenerated());
}

TEST(Program, DescribeListsEverySectionOnceWithBlankLinesBetween) {
    Program program;
    program.ApplyDefaults();
    std::string text;
    program.Describe(text);

    const std::string expectedStart =
        "Generation\r\n"
        "   Last-Generated: Never\r\n"
        "   Source-Dir: \r\n"
        "   Target-Dir: \r\n"
        "   Generate-Index-Page: Yes\r\n"
        "   Generate-Content-Pages: Yes\r\n"
        "\r\n"
        "Index Options\r\n"
        "   Source-File-Extension: \r\n"
        "   Index-Page-Title: Files from %P\r\n";
    EXPECT_EQ(text.substr(0, expectedStart.size()), expectedStart);
    const std::string expectedEnd =
        "\r\n"
        "Misc\r\n"
        "   Comments: \r\n"
        "   Misc-GIF-Thumbnail-Type: 0\r\n"
        "   Misc-GIF-Thumbnail-Dir: \r\n"
        "   Misc-Include-Mavren-Link: No\r\n";
    ASSERT_GE(text.size(), expectedEnd.size());
    EXPECT_EQ(text.substr(text.size() - expectedEnd.size()), expectedEnd);

    int keyLines = 0;
    int blankLines = 0;
    std::string headings;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find("\r\n", start);
        ASSERT_NE(end, std::string::npos);
        const std::string line = text.substr(start, end - start);
        if (line.empty()) {
            ++blankLines;
        } else if (line.rfind("   ", 0) == 0) {
            ++keyLines;
        } else {
            headings += line + "|";
        }
        start = end + 2;
    }
    EXPECT_EQ(keyLines, 52);
    EXPECT_EQ(blankLines, 5);
    EXPECT_EQ(headings, "Generation|Index Options|Link Options|Content Options|HTML Options|Misc|");
    EXPECT_EQ(text.find("File-Name"), std::string::npos);
}

}  // namespace
