// A site of albums made for sharing: words before file names, the site's name on every
// page, the tags of shared links, covers with their doubles and the viewer's data.

#include <filesystem>

#include "album_fixture.h"
#include "support/run_program.h"
#include "support/site_links.h"

namespace fs = std::filesystem;

namespace {

using K = ProgramKey;

class SharingSite : public AlbumTest {
  protected:
    SharingSite() {
        // "Day 1", two deep, holds a photo with a caption and a date taken and one without.
        Add("Glacier.jpg", "Trip to Rome/Day 1/Blue_glacier-2.jpg");
        const std::string meadow = source + "/Trip to Rome/Day 1/Meadow.jpg";
        const ProgramRun tagged = RunProgram(
            "/usr/bin/exiftool",
            {"-q", "-overwrite_original", "-DateTimeOriginal=2024:05:01 14:03:00", meadow});
        EXPECT_EQ(tagged.status, 0) << tagged.err;
        WriteFileBytes(source + "/Trip to Rome/Day 1/descript.ion",
                       "Meadow.jpg Sheep & <lambs>\r\n");
        const std::string plate = dir / "plate.htm";
        WriteFileBytes(plate,
                       "<html><head><title><MAVREN-TITLE></title>\n<MAVREN-HEAD>\n</head>"
                       "<body><MAVREN-BOILERPLATE></body></html>\n");
        program.SetString(K::IndexBoilerplate, plate);
        program.SetString(K::ContentBoilerplate, plate);
        program.SetInt(K::PagesForSharing, 1);
        program.SetString(K::SiteName, "Our trips");
        program.SetString(K::SiteAddress, "https://example.org/trips");
        program.SetInt(K::SiteIndexHtml, 1);
    }

    void ExpectHas(const std::string& page, const std::vector<std::string>& parts) {
        const std::string text = Page(page);
        for (const std::string& part : parts) {
            EXPECT_NE(text.find(part), std::string::npos) << page << " lacks " << part;
        }
    }
};

TEST_F(SharingSite, PhotoAndIndexPagesOfAnAlbumTwoDeep) {
    ASSERT_EQ(Generate(), kRunFinished);
    const std::string album = "https://example.org/trips/Trip%20to%20Rome/Day%201/";
    const std::string nav =
        "<NAV CLASS=\"site-path\" ARIA-LABEL=\"Site\"><A HREF=\"../../index.html\">Our trips</A> "
        "\u203a <A HREF=\"../INDEX000.HTM\">Trip to Rome</A> \u203a ";
    ExpectHas(
        "Trip to Rome/Day 1/GEN0001.HTM",
        {"<title>Sheep &amp; &lt;lambs&gt; \u2013 Day 1 \u2013 Our trips</title>",
         "<meta property=\"og:title\" content=\"Sheep &amp; &lt;lambs&gt;\">",
         "<meta property=\"og:description\" content=\"Sheep &amp; &lt;lambs&gt;, "
         "2024-05-01 14:03\">",
         "<meta property=\"og:image\" content=\"" + album + "Meadow.jpg\">",
         "<meta property=\"og:image:width\" content=\"427\">",
         "<meta property=\"og:url\" content=\"" + album + "GEN0001.HTM\">",
         "<link rel=\"canonical\" href=\"" + album + "GEN0001.HTM\">",
         "<meta property=\"og:site_name\" content=\"Our trips\">",
         nav + "<A HREF=\"INDEX000.HTM\">Day 1</A></NAV>", "<H1>Sheep &amp; &lt;lambs&gt;</H1>",
         "FETCHPRIORITY=\"high\">", "<A HREF=\"GEN0000.HTM\" REL=\"prev\">Previous"});
    ExpectHas("Trip to Rome/Day 1/GEN0000.HTM",
              {"<title>Blue glacier 2 \u2013 Day 1 \u2013 Our trips</title>",
               "<H1>Blue glacier 2</H1>", "<meta property=\"og:image:height\" content=\"480\">"});
    ExpectHas("Trip to Rome/Day 1/INDEX000.HTM",
              {"<title>Day 1 \u2013 Our trips</title>",
               nav + "<SPAN ARIA-CURRENT=\"page\">Day 1</SPAN></NAV>",
               "<meta property=\"og:image\" content=\"" + album + "Blue_glacier-2.jpg\">",
               "<A HREF=\"GEN0000.HTM\" DATA-PSWP-SRC=\"Blue_glacier-2.jpg\" "
               "DATA-PSWP-WIDTH=\"640\" DATA-PSWP-HEIGHT=\"480\" DATA-CAPTION=\"Blue glacier "
               "2\">",
               "DATA-CAPTION=\"Sheep &amp; &lt;lambs&gt;\" DATA-TAKEN=\"2024-05-01 14:03\">",
               // The label in the same link names the thumbnail, so its ALT is empty.
               "<BR>\r\nBlue glacier 2 ", "ALT=\"\"", "<BR>\r\nSheep &amp; &lt;lambs&gt;"});
    EXPECT_EQ(Page("Trip to Rome/Day 1/INDEX000.HTM").find("KB)"), std::string::npos);
    // The top: its own address, and covers sharp on a phone.
    ExpectHas("INDEX000.HTM",
              {"<link rel=\"canonical\" href=\"https://example.org/trips/\">",
               "<NAV CLASS=\"site-path\" ARIA-LABEL=\"Site\"><A HREF=\"index.html\">Our "
               "trips</A></NAV>",
               "SRC=\"Trip%20to%20Rome/Thumbs/TN_Alpine%20Lake.jpg\" ALT=\"Trip to Rome\" "
               "SRCSET=\"Trip%20to%20Rome/Thumbs/TN_Alpine%20Lake.jpg 1x, "
               "Trip%20to%20Rome/Thumbs/2x/TN_Alpine%20Lake.jpg 2x\">"});
    EXPECT_TRUE(fs::exists(target + "/Trip to Rome/Day 1/Thumbs/2x/TN_Meadow.jpg"));
    EXPECT_EQ(BrokenSiteLinks(target), std::vector<std::string>());
}

}  // namespace
