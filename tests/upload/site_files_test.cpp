// What a site generated into its photos folder consists of: the addresses its pages and
// style sheets name, where each leads, and the files that make up the site.

#include "upload/site_files.h"

#include <gtest/gtest.h>

#include "support/test_support.h"
#include "upload/page_references.h"

namespace {

using Strings = std::vector<std::string>;

TEST(SiteFiles, PagesAndStyleSheetsNameTheirAddressesAsABrowserReadsThem) {
    const struct {
        const char* html;
        Strings found;
    } pages[] = {
        {"<IMG SRC=\"a.jpg\"><a href='b.htm'>b</a><td background=c.gif>",
         {"a.jpg", "b.htm", "c.gif"}},
        {"<img\n   WIDTH=10 BORDER=0 SRC = \"Thumbs/TN_a.jpg\" >", {"Thumbs/TN_a.jpg"}},
        {"<a href=\"x.htm?a=1&amp;b=2\">", {"x.htm?a=1&b=2"}},
        {"<img src=\"caf&#233;.jpg\"><img src=\"&#x41;.jpg\"><img src=\"&bogus;.jpg\">",
         {"caf\xC3\xA9.jpg", "A.jpg", "&bogus;.jpg"}},
        {"<img srcset=\"s.jpg 480w, l.jpg 1024w\" src=\"l.jpg\">", {"s.jpg", "l.jpg", "l.jpg"}},
        {"<img srcset=\"a,b.jpg 1x,c.jpg\">", {"a,b.jpg", "c.jpg"}},
        {"<!-- <img src=\"hidden.jpg\"> --><p>1 < 2</p></a>", {}},
        {"<script src=\"s.js\">if (a<b) document.write('<img src=\"no.jpg\">')</script>", {"s.js"}},
        {"<style>@import \"t.css\"; body{background:url( 'bg.png' )} /* url(no.png) */</style>",
         {"t.css", "bg.png"}},
        {"<div style=\"background-image:url(&quot;q.png&quot;)\">", {"q.png"}},
        {"<video poster=p.jpg><source src=v.mp4></video><a title=\"src=x\" data-src=\"y\">",
         {"p.jpg", "v.mp4"}},
        {"<a href=\"cut.htm", {"cut.htm"}},
        {"<img src=", {""}},
    };
    for (const auto& page : pages) {
        EXPECT_EQ(PageReferences(page.html), page.found) << page.html;
    }
    EXPECT_EQ(StyleReferences("a{b:url(x\\ y.png)} @import 'i.css'; c{d:URL(\"u\\22.png\")}"),
              (Strings{"x y.png", "i.css", "u\".png"}));
}

TEST(SiteFiles, AnAddressLeadsToAFileOfTheFolderOrToNone) {
    const struct {
        const char* from;
        const char* reference;
        const char* path;
    } cases[] = {
        {"INDEX000.HTM", "Thumbs/TN_a.jpg", "Thumbs/TN_a.jpg"},
        {"INDEX000.HTM", " my%20photo.jpg ", "my photo.jpg"},
        {"INDEX000.HTM", "%2e%2e/outside.jpg", ""},
        {"INDEX000.HTM", "100%.jpg", "100%.jpg"},
        {"Rome/INDEX000.HTM", "../index.html#top", "index.html"},
        {"Rome/INDEX000.HTM", "./Web/a.jpg?v=2", "Rome/Web/a.jpg"},
        {"Rome/INDEX000.HTM", "Thumbs\\TN_a.jpg", "Rome/Thumbs/TN_a.jpg"},
        {"Rome/INDEX000.HTM", "../../etc/passwd", ""},
        {"INDEX000.HTM", "/a.jpg", ""},
        {"INDEX000.HTM", "//example.com/a.jpg", ""},
        {"INDEX000.HTM", "http://example.com/a.jpg", ""},
        {"INDEX000.HTM", "mailto:ann@example.com", ""},
        {"INDEX000.HTM", "data:,", ""},
        {"INDEX000.HTM", "#top", ""},
        {"INDEX000.HTM", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReferencedPath(c.from, c.reference), c.path) << c.from << " " << c.reference;
    }
}

TEST(SiteFiles, TheSiteIsItsPagesWhatRunsMadeBesideThemAndWhatTheyShow) {
    TempDir folder;
    const std::string mark = "<META NAME=\"generator\" CONTENT=\"Mavren 1.0\">";
    const struct {
        const char* path;
        std::string bytes;
        bool site;
    } files[] = {
        {"INDEX000.HTM",
         mark + "<link rel=stylesheet href=\"look/site.css\"><a href=\"Rome/INDEX000.HTM\">"
                "<a href=\"Trip.mav\"><a href=\".hidden/key\"><a href=\"notes.htm\">",
         true},
        {"look/site.css", "body{background:url(../paper.png)}", true},
        {"paper.png", "p", true},
        {"notes.htm", "<a href=\"private.txt\">", true},  // linked, not the tool's: not followed
        {"private.txt", "secret", false},
        {"Trip.mav", "program", false},
        {".hidden/key", "secret", false},
        {"Rome/INDEX000.HTM",
         mark + "<link rel=\"stylesheet\" href=\"../Theme/theme.1a2b3c4d.css\">"
                "<script defer src=\"../Theme/theme.5e6f7a8b.js\"></script>",
         true},
        {"Theme/theme.1a2b3c4d.css", "body{}", true},
        {"Theme/theme.5e6f7a8b.js", "go()", true},
        {"Theme/theme.00000000.css", "body{}", false},  // an older version no page names
        {"Rome/Thumbs/TN_a.jpg", "t", true},
        {"Rome/Thumbs/2x/TN_a.jpg", "t", true},
        {"Rome/Thumbs/old/TN_b.jpg", "t", false},
        {"Rome/Web/Small/a.jpg", "w", true},
        {"Rome/Web/.cache", "w", false},
        {"Rome/GifPlaceHolder.gif", "g", true},
        {"Thumbs/TN_z.jpg", "t", true},
        {"Other/Thumbs/TN_x.jpg", "t", false},  // no page beside it
        {"old.htm", "<p>an old page, not the tool's</p>", false},
    };
    std::vector<std::string> all;
    std::set<std::string> expected;
    for (const auto& file : files) {
        WriteFileBytes(folder / file.path, file.bytes);
        all.push_back(file.path);
        if (file.site) {
            expected.insert(file.path);
        }
    }
    const GeneratedPageTest marked = [&mark](const std::string& path) {
        return ReadFileBytes(path).find(mark) != std::string::npos;
    };
    EXPECT_EQ(SiteFiles(folder.path(), all, marked), expected);
}

}  // namespace
