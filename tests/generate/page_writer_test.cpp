#include "generate/page_writer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/test_support.h"

namespace {

class PageWriterTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(page.Open(path).ok()); }

    std::string Written() {
        EXPECT_TRUE(page.Close().ok());
        return ReadFileBytes(path);
    }

    TempDir dir;
    std::string path = dir / "page.htm";
    PageWriter page;
};

TEST_F(PageWriterTest, IndentRaisesAfterAndLowersBefore) {
    const std::pair<int, const char*> steps[] = {
        {2, ""},
        {2, "  "},
        {0, "    "},
        {2, "    "},
        {-2, "    "},
        {-2, "  "},
        {-2, ""},
        // Below zero no blanks come back, and the level must climb back first.
        {-2, ""},
        {2, ""},
        {2, ""},
        {0, "  "},
    };
    for (const auto& [delta, blanks] : steps) {
        EXPECT_EQ(page.Indent(delta), blanks) << "delta " << delta;
    }
}

TEST_F(PageWriterTest, IndentStopsAtEightyBlanks) {
    for (int i = 0; i < 50; ++i) {
        page.Indent(2);
    }
    EXPECT_EQ(page.Indent(0), std::string(80, ' '));
    EXPECT_EQ(page.Indent(-100), std::string());
}

TEST_F(PageWriterTest, LineFeedsBecomeCrLfButCrLfStays) {
    page.Write("a\nb\r\nc\r");
    page.Write("\nd\n\n");
    page.Write("e\rf");
    EXPECT_EQ(Written(), "a\r\nb\r\nc\r\nd\r\n\r\ne\rf");
}

TEST_F(PageWriterTest, LongFormattedLinesAreWrittenWhole) {
    // A title far longer than any buffer keeps its closing tag.
    const std::string title(20000, 'y');
    page.Format("<H1>%s</H1>\n", title.c_str());
    // Compared as a boolean: a failure must not print megabytes.
    EXPECT_TRUE(Written() == "<H1>" + title + "</H1>\r\n");
}

TEST_F(PageWriterTest, FrameWithAndWithoutFontTag) {
    page.WriteHeader("", "");
    page.WriteClosing();
    EXPECT_EQ(Written(),
              "<HTML>\r\n<META NAME=\"generator\" CONTENT=\"Mavren 1.0\">\r\n<BODY >\r\n"
              "</BODY>\r\n</HTML>\r\n");

    PageWriter font;
    ASSERT_TRUE(font.Open(dir / "font.htm").ok());
    font.WriteHeader(" TEXT=\"Red\"", "<FONT FACE=\"Arial\">");
    font.Write("x\n");
    font.WriteClosing();
    ASSERT_TRUE(font.Close().ok());
    EXPECT_EQ(
        ReadFileBytes(dir / "font.htm"),
        "<HTML>\r\n<META NAME=\"generator\" CONTENT=\"Mavren 1.0\">\r\n"
        "<BODY  TEXT=\"Red\">\r\n<FONT FACE=\"Arial\">x\r\n</FONT>\r\n</BODY>\r\n</HTML>\r\n");
}

TEST(PageWriterFile, PageAlreadyThereIsLeftAloneOtherwiseReplacedWhole) {
    const struct {
        const char* what;
        const char* there;  // null: no file
        bool unchanged;
    } cases[] = {
        {"no file", nullptr, false},
        {"the same bytes", "<P>a\r\n", true},
        {"other bytes of the same length", "<P>b\r\n", false},
        {"longer", "<P>a\r\n<P>b\r\n", false},
        {"shorter", "<P>", false},
        {"line feeds alone", "<P>a\n\n", false},
    };
    TempDir dir;
    const std::string path = dir / "page.htm";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(path);
        if (c.there != nullptr) {
            WriteFileBytes(path, c.there);
            SetModificationTime(path, 1700000000);
        }
        PageWriter page;
        ASSERT_TRUE(page.Open(path).ok());
        page.Write("<P>a\n");
        ASSERT_TRUE(page.Close().ok());
        EXPECT_EQ(page.unchanged(), c.unchanged);
        EXPECT_EQ(ReadFileBytes(path), "<P>a\r\n");
        struct stat status;
        ASSERT_EQ(::stat(path.c_str(), &status), 0);
        EXPECT_EQ(status.st_mtime == 1700000000, c.unchanged);
    }
}

}  // namespace
