// Index pages from records made by hand: layouts, rows, links and labels.

#include "generate/index_pages.h"

#include <filesystem>

#include "page_fixture.h"
#include "platform/app_folders.h"
#include "platform/format.h"

namespace fs = std::filesystem;

namespace {

using K = ProgramKey;

class IndexPages : public PageTest {
  protected:
    IndexPages() { program.SetString(K::IndexPageTitle, ""); }

    // How many entries each index page holds.
    std::vector<int> EntriesPerPage() {
        std::vector<int> counts;
        for (const std::string& name : FileNames(target, ".HTM")) {
            const std::string page = Page(name);
            int entries = 0;
            for (std::size_t at = page.find("VALIGN=MIDDLE"); at != std::string::npos;
                 at = page.find("VALIGN=MIDDLE", at + 1)) {
                ++entries;
            }
            counts.push_back(entries);
        }
        return counts;
    }
};

TEST_F(IndexPages, TypicalLayoutPutsNinePerPageInRowsOfThree) {
    MakeRecords(10);
    ASSERT_TRUE(GenerateIndexPages(records, program));
    EXPECT_EQ(EntriesPerPage(), (std::vector<int>{9, 1}));
    const std::string first = Page("INDEX000.HTM");
    EXPECT_NE(first.find("<A HREF=\"INDEX001.HTM\">Next      </A>"), std::string::npos);
    EXPECT_EQ(first.find("Previous"), std::string::npos);
    const std::string second = Page("INDEX001.HTM");
    EXPECT_NE(second.find("<A HREF=\"INDEX000.HTM\">Previous      </A>"), std::string::npos);
    EXPECT_EQ(second.find("Next"), std::string::npos);
    EXPECT_EQ(records[8].indexPage, "INDEX000.HTM");
    EXPECT_EQ(records[9].indexPage, "INDEX001.HTM");
    // Rows close after the third, sixth and ninth entry.
    EXPECT_EQ(
        first.find("f02.txt      </A>\r\n    </TD>\r\n  </TR>\r\n  <TR>\r\n") != std::string::npos,
        true);
    EXPECT_NE(first.find("f08.txt      </A>\r\n    </TD>\r\n  </TR>\r\n  <TR>\r\n  </TR>\r\n"
                         "</TABLE>\r\n"),
              std::string::npos);
}

TEST_F(IndexPages, AcrossAndDownSetTheTable) {
    program.SetInt(K::IndexThumbnailLayoutType, 1);
    program.SetInt(K::IndexThumbnailsAcross, 4);
    program.SetInt(K::IndexThumbnailsDown, 2);
    MakeRecords(8);
    ASSERT_TRUE(GenerateIndexPages(records, program));
    EXPECT_EQ(EntriesPerPage(), (std::vector<int>{8}));
    const std::string page = Page("INDEX000.HTM");
    EXPECT_NE(page.find("f03.txt      </A>\r\n    </TD>\r\n  </TR>\r\n  <TR>\r\n    <TD"),
              std::string::npos);
    EXPECT_NE(page.find("f07.txt      </A>\r\n    </TD>\r\n  </TR>\r\n  <TR>\r\n  </TR>\r\n"),
              std::string::npos);
}

TEST_F(IndexPages, NoEntriesMeansNoPageUnlessEverythingGoesOnOne) {
    PageRun run(program, window);
    ASSERT_TRUE(GenerateIndexPages(records, program, &run));
    EXPECT_TRUE(FileNames(target, ".HTM").empty());
    EXPECT_EQ(window->StatusTexts(), std::vector<std::string>{"All index entries done."});

    program.SetInt(K::IndexGenerateMultiplePages, 0);
    ASSERT_TRUE(GenerateIndexPages(records, program));
    EXPECT_NE(Page("INDEX000.HTM")
                  .find("<TABLE WIDTH=\"100%\">\r\n  <TR>\r\n  </TR>\r\n</TABLE>\r\n"
                        "<P>\r\n<TABLE WIDTH=\"100%\">\r\n  <TR>\r\n  </TR>\r\n"),
              std::string::npos);
}

TEST_F(IndexPages, WithoutContentPagesEntriesLinkToTheFilesRelatively) {
    program.SetInt(K::GenerateContentPages, 0);
    MakeRecords(1);
    SourceRecord copied;
    copied.source = target + "/#1 & more.txt";
    records.push_back(copied);
    ASSERT_TRUE(GenerateIndexPages(records, program));
    const std::string page = Page("INDEX000.HTM");
    EXPECT_NE(page.find("<A HREF=\"../source/f00.txt\">f00.txt      </A>"), std::string::npos);
    EXPECT_NE(page.find("<A HREF=\"%231%20%26%20more.txt\">#1 &amp; more.txt      </A>"),
              std::string::npos);
}

TEST_F(IndexPages, TitleIsExpandedForThePageAndEscaped) {
    program.SetString(K::IndexPageTitle, "<Index> of %F in 100%% %P");
    MakeRecords(1);
    ASSERT_TRUE(GenerateIndexPages(records, program));
    EXPECT_NE(Page("INDEX000.HTM")
                  .find("<CENTER>\r\n<H1><Index> of INDEX000.HTM in 100% " + target + "</H1>\r\n"),
              std::string::npos);
}

TEST_F(IndexPages, PageThatCannotBeCreatedIsReported) {
    program.SetString(K::TargetDir, dir / "missing/site");
    MakeRecords(1);
    EXPECT_FALSE(GenerateIndexPages(records, program));
    EXPECT_EQ(boxes->Texts(), std::vector<std::string>{"Failed to create file: " +
                                                       dir / "missing/site/INDEX000.HTM"});
}

TEST_F(IndexPages, UnusableBoilerplateEndsTheIndexAfterTheFirstPage) {
    program.SetString(K::IndexBoilerplate, dir / "plate.htm");
    WriteFileBytes(dir / "plate.htm", "<HTML>no tag</HTML>");
    MakeRecords(12);
    EXPECT_FALSE(GenerateIndexPages(records, program));
    EXPECT_EQ(FileNames(target, ".HTM"), std::vector<std::string>{"INDEX000.HTM"});
    ASSERT_EQ(boxes->Texts().size(), 1u);
    EXPECT_EQ(boxes->Texts()[0].rfind("Cannot use file for boilerplate\n\n", 0), 0u);
}

// Image entries: labels and GIF pictures.
class IndexImages : public SiteTest {
  protected:
    IndexImages() {
        fs::create_directories(target + "/Thumbs");
        program.SetString(K::IndexPageTitle, "");
    }

    void AddRecord(const std::string& example, const std::string& name, int width, int height) {
        SourceRecord record;
        record.source = target + "/" + name;
        fs::copy_file(MAVREN_SOURCE_DIR "/examples/photos/" + example, record.source);
        record.size = static_cast<std::int64_t>(fs::file_size(record.source));
        record.width = width;
        record.height = height;
        record.contentPage = StringPrintf("GEN%04d.HTM", static_cast<int>(records.size()));
        record.thumbnail = "Thumbs/TN_" + (name.ends_with(".gif") ? "GifPlaceHolder.gif" : name);
        records.push_back(record);
    }

    std::vector<SourceRecord> records;
};

TEST_F(IndexImages, NamesAreEncodedInLinksAndEscapedInLabels) {
    AddRecord("Pebbles.png", "#1 <b>.png", 400, 300);
    AddRecord("Bubbles.gif", "100% \"fun\".gif", 240, 180);
    program.SetInt(K::MiscGifThumbnailType, 1);
    ASSERT_TRUE(GenerateIndexPages(records, program));
    const std::string page = Page("INDEX000.HTM");
    EXPECT_NE(page.find("<IMG WIDTH=120 HEIGHT=90 BORDER=0\r\n           "
                        "SRC=\"Thumbs/TN_%231%20%3Cb%3E.png\"><BR>\r\n#1 &lt;b&gt;.png (8KB)"),
              std::string::npos);
    EXPECT_NE(page.find("<IMG WIDTH=120 HEIGHT=90 BORDER=0\r\n           "
                        "SRC=\"100%25%20%22fun%22.gif\"><BR>\r\n100% &quot;fun&quot;.gif (4KB)"),
              std::string::npos);
    EXPECT_TRUE(fs::exists(target + "/Thumbs/TN_#1 <b>.png"));
}

TEST_F(IndexImages, CustomLabelsAndTheFontAroundThem) {
    AddRecord("Fjord.jpg", "Fjord.jpg", 480, 640);
    program.SetInt(K::IndexThumbnailLabelType, 2);
    program.SetString(K::IndexThumbnailCustomLabel, "<I>%F</I> %W, %S, 100%%");
    program.SetString(K::HtmlFontFace, "Arial");
    ASSERT_TRUE(GenerateIndexPages(records, program));
    EXPECT_NE(Page("INDEX000.HTM")
                  .find("SRC=\"Thumbs/TN_Fjord.jpg\"><FONT FACE=\"Arial\"><BR>      "
                        "<I>Fjord.jpg</I> 480 x 640, 33KB, 100%</FONT>\r\n      </A>\r\n"),
              std::string::npos);
}

TEST_F(IndexImages, DescriptionFileLabelsWithTheStandardLabelAsFallback) {
    AddRecord("Fjord.jpg", "Fjord.jpg", 480, 640);
    AddRecord("Meadow.jpg", "Meadow.jpg", 427, 640);
    program.SetInt(K::IndexThumbnailLabelType, 1);
    WriteFileBytes(source + "/Descript.ion", "fjord.jpg Deep water & steep sides\n");
    ASSERT_TRUE(GenerateIndexPages(records, program));
    const std::string page = Page("INDEX000.HTM");
    EXPECT_NE(page.find("<BR>\r\nDeep water &amp; steep sides      </A>"), std::string::npos);
    EXPECT_NE(page.find("<BR>\r\nMeadow.jpg (32KB)      </A>"), std::string::npos);
}

TEST_F(IndexImages, GifPicturesByType) {
    AddRecord("Confetti.gif", "Confetti.gif", 300, 300);
    AddRecord("Bubbles.gif", "Bubbles.gif", 240, 180);
    program.SetInt(K::IndexLabelThumbnails, 0);
    const std::string ready = dir / "ready";
    fs::create_directories(ready);
    fs::copy_file(MAVREN_SOURCE_DIR "/examples/photos/Bubbles.gif", ready + "/Bubbles.gif");

    // Type 2: the file of the same name in the folder, else the placeholder.
    program.SetInt(K::MiscGifThumbnailType, 2);
    program.SetString(K::MiscGifThumbnailDir, ready);
    ASSERT_TRUE(GenerateIndexPages(records, program));
    std::string page = Page("INDEX000.HTM");
    EXPECT_NE(
        page.find("<IMG WIDTH=120 HEIGHT=120 BORDER=0\r\n           SRC=\"GifPlaceHolder.gif\">"),
        std::string::npos);
    EXPECT_NE(page.find("<IMG WIDTH=120 HEIGHT=90 BORDER=0\r\n           "
                        "SRC=\"Thumbs/TN_Bubbles.gif\">"),
              std::string::npos);
    EXPECT_EQ(ReadFileBytes(target + "/Thumbs/TN_Bubbles.gif"),
              ReadFileBytes(ready + "/Bubbles.gif"));
    EXPECT_TRUE(fs::exists(target + "/GifPlaceHolder.gif"));

    // Type 1: the source itself, scaled by the browser.
    program.SetInt(K::MiscGifThumbnailType, 1);
    ASSERT_TRUE(GenerateIndexPages(records, program));
    page = Page("INDEX000.HTM");
    EXPECT_NE(page.find("<IMG WIDTH=120 HEIGHT=120 BORDER=0\r\n           SRC=\"Confetti.gif\">"),
              std::string::npos);
    EXPECT_NE(page.find("<IMG WIDTH=120 HEIGHT=90 BORDER=0\r\n           SRC=\"Bubbles.gif\">"),
              std::string::npos);
    EXPECT_TRUE(boxes->Texts().empty());
}

TEST_F(IndexImages, GifThatCannotBeMeasuredAsks) {
    AddRecord("Bubbles.gif", "Bubbles.gif", 240, 180);
    AddRecord("Bubbles.gif", "Broken.gif", 0, 0);
    WriteFileBytes(records[1].source, "not a GIF");
    program.SetInt(K::MiscGifThumbnailType, 1);
    boxes->QueueAnswer(IDYES);
    ASSERT_TRUE(GenerateIndexPages(records, program));
    ASSERT_EQ(boxes->Texts().size(), 1u);
    EXPECT_EQ(boxes->Texts()[0],
              "Failed to get size of image '" + records[1].source +
                  "'.\n\nIt is not a valid GIF file.\n\nDo you want to continue?");
    EXPECT_NE(Page("INDEX000.HTM").find("<IMG BORDER=0\r\n           SRC=\"Broken.gif\">"),
              std::string::npos);

    boxes->QueueAnswer(IDNO);
    EXPECT_FALSE(GenerateIndexPages(records, program));
}

TEST_F(IndexImages, PlaceholderThatCannotBeCopiedEndsTheIndex) {
    SetExecutableFolder(dir / "nowhere");
    AddRecord("Bubbles.gif", "Bubbles.gif", 240, 180);
    EXPECT_FALSE(GenerateIndexPages(records, program));
    ASSERT_EQ(boxes->Texts().size(), 1u);
    const std::string expected = "Failed to copy file:\n\n   " +
                                 dir / "nowhere/GifPlaceHolder.gif" + "\nto\n  " + target + "\n\n(";
    EXPECT_EQ(boxes->Texts()[0].substr(0, expected.size()), expected);
}

}  // namespace

TEST_F(IndexImages, PhotoThumbnailsOfferTwiceTheirSizeAndLoadLazilyBelowTheFirstScreen) {
    for (int i = 0; i < 11; ++i) {
        AddRecord("Pebbles.png", StringPrintf("p%02d.png", i), 400, 300);
        records.back().thumbnail2x = StringPrintf("Thumbs/2x/TN_p%02d.png", i);
    }
    records[1].thumbnail2x.clear();
    records[1].facts.caption = "Smooth <stones>";
    program.SetInt(K::PhotoWebSize, 1600);
    program.SetInt(K::PhotoCameraCaptions, 1);
    program.SetInt(K::ThumbnailSize, 400);  // three rows of two fill the first screen
    program.SetInt(K::IndexThumbnailLayoutType, 1);
    program.SetInt(K::IndexThumbnailsAcross, 2);
    program.SetInt(K::IndexThumbnailsDown, 5);
    ASSERT_TRUE(GenerateIndexPages(records, program));
    const std::string first = Page("INDEX000.HTM");
    EXPECT_NE(first.find("SRC=\"Thumbs/TN_p00.png\" SRCSET=\"Thumbs/TN_p00.png 1x, "
                         "Thumbs/2x/TN_p00.png 2x\" ALT=\"p00.png\">"),
              std::string::npos)
        << first;
    EXPECT_NE(first.find("SRC=\"Thumbs/TN_p01.png\" ALT=\"Smooth &lt;stones&gt;\">"),
              std::string::npos);
    EXPECT_NE(first.find("SRC=\"Thumbs/TN_p05.png\" SRCSET=\"Thumbs/TN_p05.png 1x, "
                         "Thumbs/2x/TN_p05.png 2x\" ALT=\"p05.png\">"),
              std::string::npos);
    EXPECT_NE(first.find("Thumbs/2x/TN_p06.png 2x\" ALT=\"p06.png\" LOADING=\"lazy\">"),
              std::string::npos);
    EXPECT_NE(Page("INDEX001.HTM").find("Thumbs/2x/TN_p10.png 2x\" ALT=\"p10.png\">"),
              std::string::npos)
        << "each page has its own first screen";
}

TEST_F(IndexImages, PagesForSharingLoadLazilyAfterAPhonesFirstScreen) {
    for (int i = 0; i < 10; ++i) {
        AddRecord("Pebbles.png", StringPrintf("Pebble_%02d.png", i), 400, 300);
    }
    program.SetInt(K::PagesForSharing, 1);
    program.SetInt(K::ThumbnailSize, 240);  // four rows of two fill a phone's first screen
    program.SetInt(K::IndexGenerateMultiplePages, 0);
    ASSERT_TRUE(GenerateIndexPages(records, program));
    const std::string page = Page("INDEX000.HTM");
    EXPECT_NE(page.find("SRC=\"Thumbs/TN_Pebble_07.png\" ALT=\"\">"), std::string::npos) << page;
    EXPECT_NE(page.find("SRC=\"Thumbs/TN_Pebble_08.png\" ALT=\"\" LOADING=\"lazy\">"),
              std::string::npos);
    EXPECT_NE(page.find("<BR>\r\nPebble 08 "), std::string::npos);
    EXPECT_EQ(page.find("KB)"), std::string::npos) << "labels without sizes";
}

// A video's entry: its poster's thumbnail with the play sign and its length in one box,
// words that say it is a video, and no viewer data, so that a click opens its page.
TEST_F(IndexImages, VideoEntriesMarkThePosterAndLeadToTheirPages) {
    AddRecord("Pebbles.png", "clip.png", 400, 300);
    records[0].video = true;
    records[0].videoSeconds = 12.4;
    records[0].webCopy = "Web/clip.png";
    records[0].webWidth = 400;
    records[0].webHeight = 300;
    records[0].webVideo = "Web/clip.mp4";
    AddRecord("Pebbles.png", "still.png", 400, 300);
    program.SetInt(K::PhotoWebSize, 1600);
    for (const int sharing : {0, 1}) {
        program.SetInt(K::PagesForSharing, sharing);
        ASSERT_TRUE(GenerateIndexPages(records, program));
        const std::string page = Page("INDEX000.HTM");
        // Pages for sharing name it in the label beside it.
        const std::string alt = sharing ? "\"\"" : "\"Video: clip.png\"";
        EXPECT_NE(
            page.find("<A HREF=\"GEN0000.HTM\">      <SPAN CLASS=\"video-thumb\"><IMG WIDTH=120 "
                      "HEIGHT=90 BORDER=0\r\n           SRC=\"Thumbs/TN_clip.png\" ALT=" +
                      alt +
                      "><SPAN CLASS=\"video-mark\"><SPAN ARIA-HIDDEN=\"true\">&#9654;&#xFE0E;"
                      "</SPAN> 0:12</SPAN></SPAN>"),
            std::string::npos)
            << page;
        EXPECT_EQ(page.find("video-thumb"), page.rfind("video-thumb")) << "the photo has no mark";
        EXPECT_EQ(page.find("DATA-PSWP-SRC=\"Web/clip"), std::string::npos);
        EXPECT_EQ(page.find("DATA-PSWP-SRC=\"still.png\"") != std::string::npos, sharing == 1);
    }
    // Without content pages the entry leads to the copy that plays.
    program.SetInt(K::GenerateContentPages, 0);
    ASSERT_TRUE(GenerateIndexPages(records, program));
    EXPECT_NE(Page("INDEX000.HTM").find("<A HREF=\"Web/clip.mp4\""), std::string::npos);
}
