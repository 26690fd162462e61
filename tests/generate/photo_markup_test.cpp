// The data an index entry's link gives the theme's viewer.

#include "generate/photo_markup.h"

#include <gtest/gtest.h>

namespace {

SourceRecord Photo(const std::string& name, int width, int height) {
    SourceRecord record;
    record.source = "/site/" + name;
    record.width = width;
    record.height = height;
    return record;
}

TEST(ViewerData, ThePictureTheContentPageShowsWithItsSizeAndWords) {
    SourceRecord web = Photo("Boat 1.jpg", 4000, 3000);
    web.webCopy = "Web/Boat 1.jpg";
    web.webWidth = 1600;
    web.webHeight = 1200;
    web.phoneCopy = "Web/Small/Boat 1.jpg";
    web.phoneWidth = 800;
    web.phoneHeight = 600;
    ASSERT_TRUE(ParseOleDate("05/01/24 14:03:59", web.facts.taken));
    SourceRecord damaged = Photo("b.jpg", 640, 480);
    damaged.damage = "it is not a valid JPG file";
    const struct Case {
        SourceRecord record;
        std::string words;
        std::string data;
    } cases[] = {
        {web, "Boat \"one\"",
         " DATA-PSWP-SRC=\"Web/Boat%201.jpg\" DATA-PSWP-WIDTH=\"1600\" DATA-PSWP-HEIGHT=\"1200\" "
         "DATA-PSWP-SRCSET=\"Web/Small/Boat%201.jpg 800w, Web/Boat%201.jpg 1600w\" "
         "DATA-CAPTION=\"Boat &quot;one&quot;\" DATA-TAKEN=\"2024-05-01 14:03\""},
        {Photo("#2.gif", 320, 200), "2",
         " DATA-PSWP-SRC=\"%232.gif\" DATA-PSWP-WIDTH=\"320\" DATA-PSWP-HEIGHT=\"200\" "
         "DATA-CAPTION=\"2\""},
        {damaged, "b", ""},
        {Photo("c.jpg", 0, 0), "c", ""},  // not measured: the viewer could not lay it out
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ViewerData(c.record, c.words), c.data) << c.record.source;
    }
}

}  // namespace
