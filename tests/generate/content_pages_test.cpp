// Content pages from records made by hand: links, labels and content problems.

#include "generate/content_pages.h"

#include <filesystem>
#include <regex>

#include "page_fixture.h"

namespace fs = std::filesystem;

namespace {

using K = ProgramKey;

class ContentPages : public PageTest {
  protected:
    // The links cell of a page, from its opening tag to its end.
    std::string Links(const std::string& page) {
        const std::string text = Page(page);
        const std::size_t start = text.rfind("<TD ALIGN=CENTER VALIGN=TOP>");
        return text.substr(start, text.find("</TD>", start) - start);
    }
};

TEST_F(ContentPages, LinksInTheirOrderWithDefaultAndOwnLabels) {
    MakeRecords(3);
    program.SetInt(K::ContentShowLinkBegin, 1);
    program.SetInt(K::ContentShowLinkEnd, 1);
    program.SetString(K::ContentLinkEndLabel, "Last <<");
    ASSERT_TRUE(GenerateContentPages(records, program));
    EXPECT_EQ(Links("GEN0001.HTM"),
              "<TD ALIGN=CENTER VALIGN=TOP>\r\n"
              "      <A HREF=\"INDEX000.HTM\">Index      </A>\r\n      <P>\r\n"
              "      <A HREF=\"GEN0000.HTM\">Beginning      </A>\r\n      <P>\r\n"
              "      <A HREF=\"GEN0002.HTM\">Next      </A>\r\n      <P>\r\n"
              "      <A HREF=\"GEN0000.HTM\">Previous      </A>\r\n      <P>\r\n"
              "      <A HREF=\"GEN0002.HTM\">Last <<      </A>\r\n      <P>\r\n    ");
    EXPECT_EQ(Links("GEN0000.HTM").find("Beginning"), std::string::npos);
    EXPECT_EQ(Links("GEN0000.HTM").find("Previous"), std::string::npos);
    EXPECT_EQ(Links("GEN0002.HTM").find("Next"), std::string::npos);
    EXPECT_EQ(Links("GEN0002.HTM").find("Last"), std::string::npos);
}

TEST_F(ContentPages, NavigationCarriesRelAndPagesForSharingFollowTheScreen) {
    MakeRecords(10);
    program.SetInt(K::ContentShowLinkBegin, 1);
    program.SetInt(K::ContentShowLinkEnd, 1);
    const std::string up = "<A HREF=\"INDEX000.HTM\" REL=\"up\">Index";
    const std::string first = "<A HREF=\"GEN0000.HTM\" REL=\"first\">Beginning";
    const std::string previous = "<A HREF=\"GEN0000.HTM\" REL=\"prev\">Previous";
    const std::string next = "<A HREF=\"GEN0002.HTM\" REL=\"next\">Next";
    const std::string last = "<A HREF=\"GEN0009.HTM\" REL=\"last\">End";
    const struct Case {
        K key;
        std::vector<std::string> links;
    } cases[] = {
        {K::PageNamesFromFiles, {up, first, next, previous, last}},
        {K::PagesForSharing, {first, previous, up, next, last}},
    };
    const std::regex link("<A [^>]*>[A-Za-z]+");
    for (const Case& c : cases) {
        program.SetInt(c.key, 1);
        ASSERT_TRUE(GenerateIndexPages(records, program));
        ASSERT_TRUE(GenerateContentPages(records, program));
        const std::string cell = Links("GEN0001.HTM");
        std::vector<std::string> links;
        for (std::sregex_iterator it(cell.begin(), cell.end(), link), end; it != end; ++it) {
            links.push_back(it->str());
        }
        EXPECT_EQ(links, c.links);
        EXPECT_NE(Page("INDEX000.HTM").find("<A HREF=\"INDEX001.HTM\" REL=\"next\">Next"),
                  std::string::npos);
        EXPECT_NE(Page("INDEX001.HTM").find("<A HREF=\"INDEX000.HTM\" REL=\"prev\">Previous"),
                  std::string::npos);
        program.SetInt(c.key, 0);
    }
}

TEST_F(ContentPages, PagesForSharingNameTextFilesInWords) {
    MakeRecords(2);
    records[1].source = source + "/Notes_from-the   trip.txt";
    WriteFileBytes(records[1].source, "text");
    AddSource("descript.ion", "f00.txt Our first day\r\n");
    program.SetInt(K::PagesForSharing, 1);
    ASSERT_TRUE(GenerateIndexPages(records, program));
    ASSERT_TRUE(GenerateContentPages(records, program));
    const std::string index = Page("INDEX000.HTM");
    EXPECT_NE(index.find(">Our first day "), std::string::npos) << index;
    EXPECT_NE(index.find(">Notes from the trip "), std::string::npos);
    EXPECT_NE(Page("GEN0000.HTM").find("<H1>Our first day</H1>"), std::string::npos);
    EXPECT_NE(Page("GEN0001.HTM").find("<H1>Notes from the trip</H1>"), std::string::npos);
    program.SetString(K::ContentPageTitle, "Note: %F");  // the user's own title stays
    ASSERT_TRUE(GenerateContentPages(records, program));
    EXPECT_NE(Page("GEN0001.HTM").find("<H1>Note: Notes_from-the   trip.txt</H1>"),
              std::string::npos);
}

TEST_F(ContentPages, SiteNameEndsTheTitleAndOpensTheBody) {
    MakeRecords(1);
    AddSource("plate.htm",
              "<html><head><title><MAVREN-TITLE></title></head><body><MAVREN-BOILERPLATE></body>"
              "</html>");
    program.SetString(K::ContentBoilerplate, source + "/plate.htm");
    program.SetString(K::SiteName, "Trips");
    ASSERT_TRUE(GenerateContentPages(records, program));
    EXPECT_NE(
        Page("GEN0000.HTM")
            .find("<title>f00.txt \u2013 Trips</title></head><body>\r\n<NAV CLASS=\"site-path\" "
                  "ARIA-LABEL=\"Site\"><A HREF=\"INDEX000.HTM\">Trips</A></NAV>\r\n<TABLE"),
        std::string::npos)
        << Page("GEN0000.HTM");
}

TEST_F(ContentPages, EveryLinkOffLeavesAnEmptyCell) {
    MakeRecords(2);
    for (K key : {K::ContentShowLinkIndex, K::ContentShowLinkNext, K::ContentShowLinkPrev}) {
        program.SetInt(key, 0);
    }
    ASSERT_TRUE(GenerateContentPages(records, program));
    EXPECT_EQ(Links("GEN0001.HTM"), "<TD ALIGN=CENTER VALIGN=TOP>\r\n    ");
}

TEST_F(ContentPages, SingleImageThatIsALinkLeadsToTheIndex) {
    program.SetString(K::SourceFileExtension, "*.jpg;*.png;*.gif");
    program.SetInt(K::ContentImageIsLink, 1);
    program.SetInt(K::ContentShowLinkBegin, 1);
    program.SetInt(K::ContentShowLinkEnd, 1);
    MakeRecords(1);
    records[0].width = 30;
    records[0].height = 20;
    ASSERT_TRUE(GenerateContentPages(records, program));
    EXPECT_NE(Page("GEN0000.HTM")
                  .find("      <A HREF=\"INDEX000.HTM\" TARGET=\"\"><IMG\r\n"
                        "         WIDTH=30 HEIGHT=20 BORDER=0 SRC=\"f00.txt\"></A>\r\n"),
              std::string::npos);
    EXPECT_EQ(Links("GEN0000.HTM"),
              "<TD ALIGN=CENTER VALIGN=TOP>\r\n"
              "      <A HREF=\"INDEX000.HTM\">Index      </A>\r\n"
              "      <P>\r\n    ");
}

TEST_F(ContentPages, UnreadableTextAsksAndYesPutsInThePlaceholderSentence) {
    MakeRecords(2);
    WriteFileBytes(records[0].source, std::string("zero\0byte", 9));
    boxes->QueueAnswer(IDYES);
    ASSERT_TRUE(GenerateContentPages(records, program));
    EXPECT_EQ(boxes->Texts(),
              std::vector<std::string>{"Problem with a content file:\n\n'" + records[0].source +
                                       "' contains binary characters\n\nDo you want to continue?"});
    EXPECT_NE(Page("GEN0000.HTM")
                  .find("<TD ALIGN=LEFT VALIGN=TOP>\r\n"
                        "File not included due to problems with content.    </TD>"),
              std::string::npos);
    EXPECT_TRUE(fs::exists(target + "/GEN0001.HTM")) << "the run goes on";

    boxes->QueueAnswer(IDNO);
    fs::remove(target + "/GEN0001.HTM");
    EXPECT_FALSE(GenerateContentPages(records, program));
    EXPECT_FALSE(fs::exists(target + "/GEN0001.HTM"));
}

TEST_F(ContentPages, HtmlWithoutBodyIsReportedThenAsked) {
    program.SetString(K::SourceFileExtension, "*.htm;*.html");
    MakeRecords(1);
    WriteFileBytes(records[0].source, "<HTML>no body</HTML>");
    boxes->QueueAnswer(IDYES);
    ASSERT_TRUE(GenerateContentPages(records, program));
    EXPECT_EQ(boxes->Texts(),
              (std::vector<std::string>{"Cannot extract BODY from this HTML file\n\nNo BODY tag "
                                        "found in file '" +
                                            records[0].source + "'.",
                                        "Problem with HTML file.\n\nDo you want to continue?"}));
    EXPECT_NE(Page("GEN0000.HTM").find("File not included due to problems with content."),
              std::string::npos);
}

TEST_F(ContentPages, OtherPatternsGiveAnEmptyContentCellWithFullNavigation) {
    program.SetString(K::SourceFileExtension, "*.txt;*.log");
    MakeRecords(2);
    ASSERT_TRUE(GenerateContentPages(records, program));
    EXPECT_NE(Page("GEN0000.HTM").find("<TD ALIGN=LEFT VALIGN=TOP>\r\n    </TD>"),
              std::string::npos);
    EXPECT_NE(Links("GEN0000.HTM").find("Next"), std::string::npos);
}

TEST_F(ContentPages, LabelsUnderTheContentWhenAskedFor) {
    MakeRecords(1);
    program.SetInt(K::ContentShowLabels, 1);
    ASSERT_TRUE(GenerateContentPages(records, program));
    EXPECT_NE(Page("GEN0000.HTM").find("text      <BR>f00.txt (0KB)\r\n    </TD>"),
              std::string::npos);

    program.SetInt(K::ContentLabelType, 2);
    program.SetString(K::ContentCustomLabel, "<I>%F</I> & co");
    ASSERT_TRUE(GenerateContentPages(records, program));
    EXPECT_NE(Page("GEN0000.HTM").find("text      <BR><I>f00.txt</I> & co\r\n"), std::string::npos);

    program.SetInt(K::ContentShowLabels, 0);
    ASSERT_TRUE(GenerateContentPages(records, program));
    EXPECT_EQ(Page("GEN0000.HTM").find("<BR>"), std::string::npos);
}

TEST_F(ContentPages, StopBeforeAPageEndsAtOnce) {
    MakeRecords(2);
    stop->Request();
    PageRun run(program, nullptr, stop.get());
    EXPECT_TRUE(GenerateContentPages(records, program, &run));
    EXPECT_TRUE(FileNames(target, ".HTM").empty());
}

TEST_F(ContentPages, BackgroundImageThatCannotBeCopiedIsReportedOnceAndLeftOut) {
    MakeRecords(2);
    program.SetInt(K::HtmlBackgroundStyle, 0);
    program.SetString(K::HtmlBackgroundImage, dir / "missing.gif");
    EXPECT_TRUE(GenerateContentPages(records, program));
    EXPECT_NE(Page("GEN0001.HTM").find("<BODY >\r\n"), std::string::npos);
    ASSERT_EQ(boxes->Texts().size(), 1u);
    const std::string expected = "Failed to copy background image:\n\n   " + dir / "missing.gif" +
                                 "\nto\n  " + target + "/missing.gif\n\n(";
    EXPECT_EQ(boxes->Texts()[0].substr(0, expected.size()), expected);
}

}  // namespace

TEST_F(ContentPages, PhotoPagesShowTheWebCopyWithItsSizesCaptionAndDate) {
    program.SetString(K::SourceFileExtension, "*.jpg;*.jpeg;*.png;*.gif;*.heic;*.heif");
    program.SetInt(K::PhotoWebSize, 1600);
    program.SetInt(K::PhotoCameraCaptions, 1);
    program.SetInt(K::ContentImageIsLink, 1);
    program.SetInt(K::MiscIncludeMavrenLink, 1);
    MakeRecords(3);
    WriteFileBytes(source + "/descript.ion", "f01.txt Own \"words\"\n");
    for (SourceRecord& record : records) {
        record.width = 6000;
        record.height = 4000;
        record.webCopy = "Web/" + fs::path(record.source).filename().string();
        record.webWidth = 1600;
        record.webHeight = 1067;
    }
    records[0].phoneCopy = "Web/Small/f00.txt";
    records[0].phoneWidth = 800;
    records[0].phoneHeight = 533;
    records[0].facts.caption = "Camera's words";
    ASSERT_TRUE(ParseOleDate("06/01/24 14:05:09", records[0].facts.taken));
    records[1].facts.caption = "Not shown: the descriptions win";
    records[2].originalPublished = false;

    ASSERT_TRUE(GenerateContentPages(records, program));
    const struct {
        const char* page;
        const char* picture;
        const char* facts;  // "" for none
    } kCases[] = {
        {"GEN0000.HTM",
         "<A HREF=\"f00.txt\" TARGET=\"\"><IMG\r\n         WIDTH=1600 HEIGHT=1067 BORDER=0 "
         "SRC=\"Web/f00.txt\" SRCSET=\"Web/Small/f00.txt 800w, Web/f00.txt 1600w\" "
         "SIZES=\"(max-width: 1600px) 100vw, 1600px\" ALT=\"Camera's words\"></A>",
         "<P CLASS=\"photo-facts\"><SPAN CLASS=\"photo-caption\">Camera's words</SPAN> <TIME "
         "CLASS=\"photo-taken\" DATETIME=\"2024-06-01T14:05:09\">2024-06-01 14:05</TIME></P>"},
        {"GEN0001.HTM",
         "<A HREF=\"f01.txt\" TARGET=\"\"><IMG\r\n         WIDTH=1600 HEIGHT=1067 BORDER=0 "
         "SRC=\"Web/f01.txt\" ALT=\"Own &quot;words&quot;\"></A>",
         "<P CLASS=\"photo-facts\"><SPAN CLASS=\"photo-caption\">Own &quot;words&quot;</SPAN></P>"},
        {"GEN0002.HTM",
         "<A HREF=\"Web/f02.txt\" TARGET=\"\"><IMG\r\n         WIDTH=1600 HEIGHT=1067 BORDER=0 "
         "SRC=\"Web/f02.txt\" ALT=\"f02.txt\"></A>",
         ""},
    };
    for (const auto& expected : kCases) {
        const std::string page = Page(expected.page);
        EXPECT_NE(page.find(expected.picture), std::string::npos) << page;
        // Every picture has words, the credit badge too.
        const std::regex picture("<IMG[^>]*>"), withWords("<IMG[^>]* ALT=\"[^\"]+\"[^>]*>");
        EXPECT_EQ(std::distance(std::sregex_iterator(page.begin(), page.end(), picture), {}), 2);
        EXPECT_EQ(std::distance(std::sregex_iterator(page.begin(), page.end(), withWords), {}), 2);
        EXPECT_EQ(page.find("photo-facts") != std::string::npos, *expected.facts != '\0') << page;
        if (*expected.facts != '\0') {
            EXPECT_NE(page.find(expected.facts), std::string::npos) << page;
        }
    }
}

// A video plays on its page, never inside a link, with its length in the facts line; one
// without a web copy shows its poster as a picture.
TEST_F(ContentPages, VideosPlayOnTheirPagesWhateverThePicturesDo) {
    program.SetString(K::SourceFileExtension, "*.jpg;*.jpeg;*.png;*.gif;*.mp4;*.mov");
    program.SetInt(K::PhotoVideos, 1);
    program.SetInt(K::PhotoWebSize, 1600);
    program.SetInt(K::ContentImageIsLink, 1);
    MakeRecords(2);
    for (SourceRecord& record : records) {
        const std::string name = fs::path(record.source).filename().string();
        record.video = true;
        record.webVideo = "Web/" + name + ".mp4";
        record.webCopy = "Web/" + name + ".jpg";
        record.webWidth = 1280;
        record.webHeight = 720;
        record.videoSeconds = 83;
    }
    records[1].webVideo.clear();
    ASSERT_TRUE(ParseOleDate("06/01/24 14:05:09", records[0].facts.taken));
    for (const int photoMarkup : {1600, 0}) {
        program.SetInt(K::PhotoWebSize, photoMarkup);
        ASSERT_TRUE(GenerateContentPages(records, program));
        const std::string played = Page("GEN0000.HTM");
        EXPECT_NE(played.find("      <VIDEO CONTROLS PLAYSINLINE PRELOAD=\"metadata\" "
                              "POSTER=\"Web/f00.txt.jpg\" WIDTH=1280 HEIGHT=720><SOURCE "
                              "SRC=\"Web/f00.txt.mp4\" TYPE=\"video/mp4\"></VIDEO>\r\n"
                              "      <P CLASS=\"photo-facts\"><TIME CLASS=\"video-duration\" "
                              "DATETIME=\"PT83S\">1:23</TIME> <TIME CLASS=\"photo-taken\""),
                  std::string::npos)
            << played;
        EXPECT_EQ(played.find("TARGET=\"\"><VIDEO"), std::string::npos);
        EXPECT_EQ(played.find("<IMG"), std::string::npos);
        const std::string poster = Page("GEN0001.HTM");
        EXPECT_NE(poster.find("BORDER=0 SRC=\"Web/f01.txt.jpg\""), std::string::npos) << poster;
        EXPECT_EQ(poster.find("<VIDEO"), std::string::npos);
    }
}
