#include "generate/picture_names.h"

#include <gtest/gtest.h>

#include "generate/source_kind.h"

namespace {

using K = ProgramKey;

TEST(SourceKind, ConvertedPicturePatternsMayFollowAnImageList) {
    const struct {
        const char* patterns;
        bool images;
    } cases[] = {
        {"*.jpg;*.jpeg;*.png;*.gif", true},
        {"*.jpg;*.png;*.gif", true},
        {"*.jpg;*.jpeg;*.png;*.gif;*.heic;*.heif", true},
        {"*.jpg;*.png;*.gif;*.webp;*.tif;*.tiff", true},
        {"*.jpg;*.jpeg;*.png;*.gif;", false},
        {"*.jpg;*.jpeg;*.png;*.gif;*.heic;", false},
        {"*.jpg;*.jpeg;*.png;*.gif;*.txt", false},
        {"*.jpg;*.jpeg;*.png;*.gif*.heic", false},
        {"*.heic;*.heif", false},
        {"*.jpg", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsImagePatternList(c.patterns), c.images) << c.patterns;
    }
}

TEST(PictureNames, EachKindOfSourceHasItsOwnNames) {
    const struct {
        const char* source;
        int webSize, gifType;
        const char* thumbnail;
        const char* web;
    } cases[] = {
        {"/p/a b.jpg", 1600, 0, "Thumbs/TN_a b.jpg", "Web/a b.jpg"},
        {"/p/a.PNG", 1600, 0, "Thumbs/TN_a.PNG", "Web/a.PNG"},
        {"/p/a.jpg", 0, 0, "Thumbs/TN_a.jpg", ""},
        {"/p/a.heic", 0, 0, "Thumbs/TN_a.heic.jpg", "Web/a.heic.jpg"},
        {"/p/a.HEIF", 1600, 0, "Thumbs/TN_a.HEIF.jpg", "Web/a.HEIF.jpg"},
        {"/p/a.webp", 0, 0, "Thumbs/TN_a.webp.jpg", "Web/a.webp.jpg"},
        {"/p/a.gif", 1600, 0, "Thumbs/TN_GifPlaceHolder.gif", ""},
        {"/p/a.gif", 1600, kGifThumbnailOfFirstFrame, "Thumbs/TN_a.gif.png", ""},
    };
    for (const auto& c : cases) {
        Program program;
        program.ApplyDefaults();
        program.SetInt(K::PhotoWebSize, c.webSize);
        program.SetInt(K::MiscGifThumbnailType, c.gifType);
        EXPECT_EQ(ThumbnailName(c.source, program), c.thumbnail) << c.source;
        EXPECT_EQ(WebCopyName(c.source, program), c.web) << c.source;
    }
    EXPECT_EQ(PhoneCopyName("Web/a.heic.jpg"), "Web/Small/a.heic.jpg");
    EXPECT_EQ(Thumbnail2xName("Thumbs/TN_a.gif.png"), "Thumbs/2x/TN_a.gif.png");
}

}  // namespace
