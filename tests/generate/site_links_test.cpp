// The link check of generated sites, on pages small enough to read at a glance.

#include "support/site_links.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace {

TEST(SiteLinks, TheLinksOfAPage) {
    const struct {
        const char* text;
        bool css;
        std::vector<std::string> links;
    } cases[] = {
        {"<A HREF=\"GEN0000.HTM\"><IMG SRC='Thumbs/TN_a.jpg' BORDER=0></A>",
         false,
         {"GEN0000.HTM", "Thumbs/TN_a.jpg"}},
        {"<img\n     src=a%20b.jpg alt=\"x\"><body background=\"tile.gif\">",
         false,
         {"a%20b.jpg", "tile.gif"}},
        {"<IMG SRCSET=\"t.jpg 1x, 2x/t.jpg 2x\" SRC=\"t.jpg\">",
         false,
         {"t.jpg", "2x/t.jpg", "t.jpg"}},
        {"<!-- <A HREF=\"old.htm\"> --><P>A HREF=\"text.htm\" is text</P>", false, {}},
        {"<STYLE>\nbody { background: url(\"bg.png\") }\n</STYLE><DATA-SRC=\"x\">",
         false,
         {"bg.png"}},
        {"a { background: url( 'i.png' ) } b { background: url(j.png) }", true, {"i.png", "j.png"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PageLinks(c.text, c.css), c.links) << c.text;
    }
}

TEST(SiteLinks, OnlyRelativeLinksToMissingFilesAreBroken) {
    TempDir dir;
    WriteFileBytes(dir / "site/a b.jpg", "x");
    WriteFileBytes(dir / "site/sub/index.html", "<A HREF=\"../a%20b.jpg\">");
    WriteFileBytes(dir / "site/sub/style.css", "p { background: url(missing.png) }");
    WriteFileBytes(dir / "site/INDEX000.HTM",
                   "<A HREF=\"a%20b.jpg#top\"><A HREF=\"sub\"><A HREF=\"#here\">"
                   "<A HREF=\"https://example.org/x.htm\"><A HREF=\"mailto:ann@example.org\">"
                   "<A HREF=\"/elsewhere.htm\"><A HREF=\"Tom &amp; Jerry.htm\">"
                   "<IMG SRC=\"Thumbs/TN_gone.jpg\">");
    EXPECT_EQ(BrokenSiteLinks(dir / "site"),
              (std::vector<std::string>{"INDEX000.HTM: Thumbs/TN_gone.jpg",
                                        "INDEX000.HTM: Tom &amp; Jerry.htm",
                                        "sub/style.css: missing.png"}));
}

}  // namespace
