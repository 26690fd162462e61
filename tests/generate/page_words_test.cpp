// The words of pages for sharing: clean names, titles, the tags of shared links.

#include "generate/page_words.h"

#include <gtest/gtest.h>

namespace {

TEST(CleanName, FileNamesBecomeWords) {
    const struct Case {
        const char* path;
        const char* clean;
    } cases[] = {
        {"/photos/IMG_2041.JPG", "IMG 2041"},
        {"Harbour_at-dawn.jpg", "Harbour at dawn"},
        {"a  __b--c\td.jpg", "a b c d"},
        {"_Zürich_ 2024_.png", "Zürich 2024"},
        {"archive.tar.gz", "archive.tar"},
        {"no extension", "no extension"},
        {".hidden", ".hidden"},
        {"_-_.jpg", "_-_.jpg"},  // nothing left: the name stays
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CleanName(c.path), c.clean) << c.path;
    }
}

TEST(JoinTitle, EmptyPartsAreLeftOut) {
    EXPECT_EQ(JoinTitle({"Lake", "Day 1", "Trips"}), "Lake \u2013 Day 1 \u2013 Trips");
    EXPECT_EQ(JoinTitle({"Lake", "", "Trips"}), "Lake \u2013 Trips");
    EXPECT_EQ(JoinTitle({"", "Day 1", ""}), "Day 1");
    EXPECT_EQ(JoinTitle({"", ""}), "");
}

TEST(AlbumTitle, TheAlbumsOwnFolderOrTheTopsName) {
    AlbumPlace deep;
    deep.path = "Rome \u203a Day 1";
    deep.trail = {"Rome", "Day 1"};
    AlbumPlace top;
    top.path = "Photos";
    EXPECT_EQ(AlbumTitle(&deep), "Day 1");
    EXPECT_EQ(AlbumTitle(&top), "Photos");
    EXPECT_EQ(AlbumTitle(nullptr), "");
}

TEST(ShareTags, AbsoluteWithTheSitesAddressRelativeWithout) {
    ShareCard card;
    card.title = "Boats \"at\" dawn";
    card.description = "Boats, 2024-05-01 14:03";
    card.siteName = "Trips & more";
    card.image = "Web/Boat%201.jpg";
    card.imageWidth = 1600;
    card.imageHeight = 1067;
    card.page = "GEN0003.HTM";
    const std::string common =
        "<meta property=\"og:type\" content=\"website\">\n"
        "<meta property=\"og:title\" content=\"Boats &quot;at&quot; dawn\">\n"
        "<meta property=\"og:description\" content=\"Boats, 2024-05-01 14:03\">\n";
    const std::string size =
        "<meta property=\"og:image:width\" content=\"1600\">\n"
        "<meta property=\"og:image:height\" content=\"1067\">\n"
        "<meta property=\"og:site_name\" content=\"Trips &amp; more\">\n";
    EXPECT_EQ(ShareTags(card, "https://example.org/trips", {"Rome", "Day 1"}),
              common +
                  "<meta property=\"og:image\" "
                  "content=\"https://example.org/trips/Rome/Day%201/Web/Boat%201.jpg\">\n" +
                  size +
                  "<meta property=\"og:url\" "
                  "content=\"https://example.org/trips/Rome/Day%201/GEN0003.HTM\">\n"
                  "<link rel=\"canonical\" "
                  "href=\"https://example.org/trips/Rome/Day%201/GEN0003.HTM\">\n"
                  "<meta name=\"twitter:card\" content=\"summary_large_image\">");
    EXPECT_EQ(ShareTags(card, "", {"Rome", "Day 1"}),
              common + "<meta property=\"og:image\" content=\"Web/Boat%201.jpg\">\n" + size +
                  "<meta name=\"twitter:card\" content=\"summary_large_image\">");

    card.image.clear();
    card.page.clear();  // the site's own address
    const std::string tags = ShareTags(card, "https://example.org/trips/", {});
    EXPECT_EQ(tags.find("og:image"), std::string::npos);
    EXPECT_NE(tags.find("<link rel=\"canonical\" href=\"https://example.org/trips/\">"),
              std::string::npos);
    EXPECT_NE(tags.find("content=\"summary\">"), std::string::npos);
}

}  // namespace
