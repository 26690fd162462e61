// The site-name line: the site's name to its start page, the albums down to the page's own.

#include "generate/site_path.h"

#include <gtest/gtest.h>

namespace {

using K = ProgramKey;

TEST(SitePathLine, LinksTheSiteAndEachAlbumAbove) {
    const std::string nav = "<NAV CLASS=\"site-path\" ARIA-LABEL=\"Site\">";
    const struct Case {
        const char* name;
        bool indexHtml;
        bool indexPages;
        std::vector<std::string> trail;
        std::string albumPage;
        std::string line;
    } cases[] = {
        {"", true, true, {"Rome"}, "", ""},
        {"Trips", false, true, {}, "", nav + "<A HREF=\"INDEX000.HTM\">Trips</A></NAV>\n"},
        {"Trips & <b>",
         true,
         true,
         {},
         "INDEX001.HTM",
         nav + "<A HREF=\"index.html\">Trips &amp; &lt;b&gt;</A></NAV>\n"},
        {"Trips",
         true,
         true,
         {"Rome", "Day 1"},
         "",
         nav + "<A HREF=\"../../index.html\">Trips</A> \u203a <A "
               "HREF=\"../INDEX000.HTM\">Rome</A> \u203a <SPAN ARIA-CURRENT=\"page\">Day "
               "1</SPAN></NAV>\n"},
        {"Trips",
         false,
         true,
         {"Rome", "Day 1"},
         "INDEX001.HTM",
         nav + "<A HREF=\"../../INDEX000.HTM\">Trips</A> \u203a <A "
               "HREF=\"../INDEX000.HTM\">Rome</A> \u203a <A HREF=\"INDEX001.HTM\">Day "
               "1</A></NAV>\n"},
        {"Trips",
         false,
         false,
         {"Zürich"},
         "",
         nav + "Trips \u203a <SPAN ARIA-CURRENT=\"page\">Zürich</SPAN></NAV>\n"},
    };
    for (const Case& c : cases) {
        Program program;
        program.ApplyDefaults();
        program.SetString(K::SiteName, c.name);
        program.SetInt(K::SiteIndexHtml, c.indexHtml ? 1 : 0);
        program.SetInt(K::GenerateIndexPage, c.indexPages ? 1 : 0);
        EXPECT_EQ(SitePathLine(program, c.trail, c.albumPage), c.line) << c.name;
    }
}

}  // namespace
