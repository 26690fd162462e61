// Whole sites compared byte for byte with pages written by hand in golden/.

#include <filesystem>

#include "generate/site_start_page.h"
#include "site_fixture.h"

namespace {

using K = ProgramKey;

TEST_F(SiteTest, PhotosOverTwoIndexPagesWithLabelsAndAllLinks) {
    AddExamplePhoto("Alpine Lake.jpg");
    AddExamplePhoto("Fjord.jpg");
    AddExamplePhoto("Bubbles.gif");
    program.SetString(K::IndexPageTitle, "Photos");
    program.SetInt(K::IndexThumbnailLayoutType, 1);
    program.SetInt(K::IndexThumbnailsAcross, 2);
    program.SetInt(K::IndexThumbnailsDown, 1);
    program.SetInt(K::ContentShowLinkBegin, 1);
    program.SetInt(K::ContentShowLinkEnd, 1);
    program.SetInt(K::ContentImageIsLink, 1);
    program.SetInt(K::MiscIncludeMavrenLink, 1);

    EXPECT_EQ(Generate(), kRunFinished);
    EXPECT_TRUE(boxes->Texts().empty());
    ExpectGoldenSite("photos");
    EXPECT_EQ(FileNames(target + "/Thumbs"),
              (std::vector<std::string>{"TN_Alpine Lake.jpg", "TN_Fjord.jpg"}));
    for (const char* copied : {"Alpine Lake.jpg", "Bubbles.gif", "Fjord.jpg", "GifPlaceHolder.gif",
                               "GeneratedWithMavren.gif"}) {
        EXPECT_TRUE(std::filesystem::exists(target + "/" + copied)) << copied;
    }
    EXPECT_EQ(LastStartPage(), target + "/INDEX000.HTM");
    EXPECT_EQ(SiteStartPage(program), LastStartPage()) << "what Test opens";
    EXPECT_TRUE(program.HasBeenGenerated());
}

class TextSite : public SiteTest {
  protected:
    TextSite() {
        program.SetString(K::SourceFileExtension, "*.txt");
        AddSource("a.txt", "First line\nsecond line\n\nNew paragraph <b>bold</b> & more\n");
        AddSource("c.txt", "one\r\ntwo\r\n");
        AddSource("Tom & Jerry.txt", "chase");
        AddSource("skipped.jpg", "not a text source");
    }
};

TEST_F(TextSite, LineBreaksOnOneIndexPage) {
    program.SetString(K::IndexPageTitle, "Notes");
    program.SetInt(K::IndexGenerateMultiplePages, 0);
    EXPECT_EQ(Generate(), kRunFinished);
    EXPECT_TRUE(boxes->Texts().empty());
    ExpectGoldenSite("notes");
}

TEST_F(TextSite, GuessedParagraphsWithoutIndexPages) {
    program.SetInt(K::ContentGuessParagraphs, 1);
    program.SetInt(K::GenerateIndexPage, 0);
    program.SetInt(K::ContentShowLinkIndex, 0);
    program.SetString(K::ContentLinkNextLabel, "Forward >>");
    EXPECT_EQ(Generate(), kRunFinished);
    ExpectGoldenSite("paragraphs");
    EXPECT_EQ(LastStartPage(), target + "/GEN0000.HTM") << "the first content page starts";
    EXPECT_EQ(SiteStartPage(program), LastStartPage()) << "what Test opens";
}

TEST_F(SiteTest, HtmlPagesWithBoilerplateColoursAndBackgroundImage) {
    program.SetString(K::SourceFileExtension, "*.htm;*.html");
    AddSource("one.htm",
              "<HTML><HEAD><TITLE>One</TITLE></HEAD>\r\n<BODY BGCOLOR=\"white\">\r\n"
              "<P>First page</P>\r\n</BODY></HTML>\r\n");
    AddSource("two.html", "<html><body>\n<h2>Second</h2>\n</body></html>\n");
    const std::string tile = dir / "art/tile.gif";
    WriteFileBytes(tile, "GIF89a tile");
    const std::string boilerplate = dir / "plate.htm";
    WriteFileBytes(boilerplate,
                   "<HTML>\r\n<HEAD>\r\n<TITLE>Club pages</TITLE>\r\n</HEAD>\r\n"
                   "<BODY BGCOLOR=\"#FFFFF0\">\r\n<H3>Walking club</H3>\r\n"
                   "<MAVREN-BOILERPLATE>\r\n<HR>\r\n</BODY>\r\n</HTML>\r\n");
    program.SetString(K::IndexPageTitle, "Pages");
    program.SetInt(K::HtmlBackgroundStyle, 0);
    program.SetString(K::HtmlBackgroundImage, tile);
    program.SetInt(K::HtmlBackgroundFixed, 1);
    program.SetString(K::HtmlBackgroundColor, "Silver");  // not with an image
    program.SetString(K::HtmlTextColorColor, "Navy");
    program.SetString(K::HtmlLinkColor, "#0000FF");
    program.SetString(K::HtmlVLinkColor, "Purple");
    program.SetString(K::HtmlALinkColor, "Red");
    program.SetString(K::HtmlFontFace, "Verdana, Arial");
    program.SetString(K::HtmlFontSize, "+1");
    program.SetString(K::ContentBoilerplate, boilerplate);

    EXPECT_EQ(Generate(), kRunFinished);
    EXPECT_TRUE(boxes->Texts().empty());
    ExpectGoldenSite("html");
    EXPECT_EQ(ReadFileBytes(target + "/tile.gif"), "GIF89a tile");
}

TEST_F(SiteTest, SingleFileWithTheDefaults) {
    AddExamplePhoto("Meadow.jpg");
    program.SetString(K::IndexPageTitle, "");
    program.SetString(K::ContentPageTitle, "%F %W");
    EXPECT_EQ(Generate(), kRunFinished);
    EXPECT_TRUE(boxes->Texts().empty());
    ExpectGoldenSite("single");
}

}  // namespace
