// The data an index entry's link gives the theme's viewer, and the formats a picture is
// offered in.

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

// The WebP and AVIF copies are offered before the IMG as it was, each SRCSET mirroring the
// IMG's; a picture without them keeps its IMG alone.
TEST(PictureOpening, OffersTheCopiesThereAreAvifFirst) {
    const PictureSiblings none;
    const PictureSiblings webp{.webp = true};
    const PictureSiblings both{.webp = true, .avif = true};
    // A web copy of 800 pixels has no phone copy.
    const auto withCopies = [](PictureSiblings web, PictureSiblings phone, int width = 1600) {
        SourceRecord record = Photo("Boat 1.jpg", 4000, 3000);
        record.webCopy = "Web/Boat 1.jpg";
        record.webWidth = width;
        record.webSiblings = web;
        if (width > 1000) {
            record.phoneCopy = "Web/Small/Boat 1.jpg";
            record.phoneWidth = 800;
            record.phoneSiblings = phone;
        }
        return record;
    };
    const auto withThumbnails = [](PictureSiblings thumbnail, PictureSiblings double2x) {
        SourceRecord record = Photo("a.png", 640, 480);
        record.thumbnail = "Thumbs/TN_a.png.jpg";
        record.thumbnailSiblings = thumbnail;
        if (double2x.webp) {
            record.thumbnail2x = "Thumbs/2x/TN_a.png.jpg";
            record.thumbnail2xSiblings = double2x;
        }
        return record;
    };
    SourceRecord original = withThumbnails(webp, none);  // no web copy: the original is shown
    const std::string sizes = " SIZES=\"(max-width: 1600px) 100vw, 1600px\"";
    const struct Case {
        SourceRecord record;
        bool content;
        std::string opening;
    } cases[] = {
        {withCopies(none, none), true, ""},
        {withCopies(webp, webp), true,
         "<PICTURE><SOURCE TYPE=\"image/webp\" SRCSET=\"Web/Small/Boat%201.jpg.webp 800w, "
         "Web/Boat%201.jpg.webp 1600w\"" +
             sizes + ">"},
        {withCopies(both, both), true,
         "<PICTURE><SOURCE TYPE=\"image/avif\" SRCSET=\"Web/Small/Boat%201.jpg.avif 800w, "
         "Web/Boat%201.jpg.avif 1600w\"" +
             sizes +
             "><SOURCE TYPE=\"image/webp\" SRCSET=\"Web/Small/Boat%201.jpg.webp 800w, "
             "Web/Boat%201.jpg.webp 1600w\"" +
             sizes + ">"},
        {withCopies(webp, none, 800), true,
         "<PICTURE><SOURCE TYPE=\"image/webp\" SRCSET=\"Web/Boat%201.jpg.webp\">"},
        {original, true, ""},
        {withThumbnails(none, none), false, ""},
        {withThumbnails(webp, none), false,
         "<PICTURE><SOURCE TYPE=\"image/webp\" SRCSET=\"Thumbs/TN_a.png.jpg.webp\">"},
        {withThumbnails(webp, webp), false,
         "<PICTURE><SOURCE TYPE=\"image/webp\" SRCSET=\"Thumbs/TN_a.png.jpg.webp 1x, "
         "Thumbs/2x/TN_a.png.jpg.webp 2x\">"},
    };
    for (const Case& c : cases) {
        const std::string opening = c.content
                                        ? ContentPictureOpening(c.record)
                                        : ThumbnailPictureOpening(c.record, c.record.thumbnail);
        EXPECT_EQ(opening, c.opening) << c.record.source;
        EXPECT_EQ(PictureClosing(opening), c.opening.empty() ? "" : "</PICTURE>");
    }
}

}  // namespace
