// The link check of generated sites, on a site small enough to read at a glance.

#include "support/site_links.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace {

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
    EXPECT_EQ(
        BrokenSiteLinks(dir / "site"),
        (std::vector<std::string>{"INDEX000.HTM: Thumbs/TN_gone.jpg",
                                  "INDEX000.HTM: Tom & Jerry.htm", "sub/style.css: missing.png"}));
}

}  // namespace
