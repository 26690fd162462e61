// The data an index entry's link gives the theme's viewer, the formats a picture is
// offered in, and what pages show of a video.

#include "generate/photo_markup.h"

#include <gtest/gtest.h>

#include <cmath>

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
    SourceRecord video = Photo("clip.mp4", 0, 0);
    video.video = true;
    video.webVideo = "Web/clip.mp4";
    video.webCopy = "Web/clip.mp4.jpg";
    video.webWidth = 1280;
    video.webHeight = 720;
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
        {video, "clip", ""},              // its entry leads to its page, where it plays
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

namespace {

SourceRecord Video(const std::string& name) {
    SourceRecord record = Photo(name, 0, 0);
    record.video = true;
    record.webVideo = "Web/" + name + ".mp4";
    record.webCopy = "Web/" + name + ".jpg";
    record.webWidth = 1280;
    record.webHeight = 720;
    record.videoSeconds = 12.4;
    return record;
}

TEST(VideoMarkup, DurationsPlayerAndWords) {
    const struct {
        double seconds;
        const char* text;
    } durations[] = {
        {0, ""},        {-3, ""},       {std::nan(""), ""}, {12.4, "0:12"},
        {59.6, "1:00"}, {723, "12:03"}, {3723, "1:02:03"},
    };
    for (const auto& c : durations) {
        EXPECT_EQ(DurationText(c.seconds), c.text) << c.seconds;
    }

    SourceRecord withoutCopy = Video("c.mp4");
    withoutCopy.webVideo.clear();
    SourceRecord withoutPoster = Video("d.mp4");
    withoutPoster.webCopy.clear();
    withoutPoster.webWidth = withoutPoster.webHeight = 0;
    const struct {
        SourceRecord record;
        const char* element;
    } players[] = {
        {Video("Beach #1.mov"),
         "<VIDEO CONTROLS PLAYSINLINE PRELOAD=\"metadata\" POSTER=\"Web/Beach%20%231.mov.jpg\" "
         "WIDTH=1280 HEIGHT=720><SOURCE SRC=\"Web/Beach%20%231.mov.mp4\" "
         "TYPE=\"video/mp4\"></VIDEO>"},
        {withoutPoster,
         "<VIDEO CONTROLS PLAYSINLINE PRELOAD=\"metadata\"><SOURCE SRC=\"Web/d.mp4.mp4\" "
         "TYPE=\"video/mp4\"></VIDEO>"},
        {withoutCopy, ""},  // its page shows the poster as a picture
    };
    for (const auto& c : players) {
        EXPECT_EQ(VideoElement(c.record), c.element) << c.record.source;
    }

    SourceRecord unmeasured = Video("e.mp4");
    unmeasured.videoSeconds = 0;
    EXPECT_EQ(VideoMark(Video("a.mp4")),
              "<SPAN CLASS=\"video-mark\"><SPAN ARIA-HIDDEN=\"true\">&#9654;&#xFE0E;</SPAN> "
              "0:12</SPAN>");
    EXPECT_EQ(
        VideoMark(unmeasured),
        "<SPAN CLASS=\"video-mark\"><SPAN ARIA-HIDDEN=\"true\">&#9654;&#xFE0E;</SPAN></SPAN>");
    EXPECT_EQ(AltAttribute("", Video("a.mp4")), " ALT=\"Video: a.mp4\"");
    EXPECT_EQ(AltAttribute("Waves & sand", Video("a.mp4")), " ALT=\"Video: Waves &amp; sand\"");

    PhotoFacts facts;
    ASSERT_TRUE(ParseOleDate("05/01/24 14:03:59", facts.taken));
    EXPECT_EQ(PhotoFactsLine("Waves", facts, 723),
              "<P CLASS=\"photo-facts\"><SPAN CLASS=\"photo-caption\">Waves</SPAN> <TIME "
              "CLASS=\"video-duration\" DATETIME=\"PT723S\">12:03</TIME> <TIME "
              "CLASS=\"photo-taken\" DATETIME=\"2024-05-01T14:03:59\">2024-05-01 14:03</TIME></P>");
    EXPECT_EQ(PhotoFactsLine("", PhotoFacts(), 12.4),
              "<P CLASS=\"photo-facts\"><TIME CLASS=\"video-duration\" "
              "DATETIME=\"PT12S\">0:12</TIME></P>");
}

}  // namespace
