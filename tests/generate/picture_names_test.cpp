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
        bool pngAsJpeg, transparent;
        const char* thumbnail;
        const char* web;
    } cases[] = {
        {"/p/a b.jpg", 1600, 0, false, false, "Thumbs/TN_a b.jpg", "Web/a b.jpg"},
        {"/p/a.PNG", 1600, 0, false, false, "Thumbs/TN_a.PNG", "Web/a.PNG"},
        {"/p/a.jpg", 0, 0, false, false, "Thumbs/TN_a.jpg", ""},
        {"/p/a.heic", 0, 0, false, false, "Thumbs/TN_a.heic.jpg", "Web/a.heic.jpg"},
        {"/p/a.HEIF", 1600, 0, false, false, "Thumbs/TN_a.HEIF.jpg", "Web/a.HEIF.jpg"},
        {"/p/a.webp", 0, 0, false, false, "Thumbs/TN_a.webp.jpg", "Web/a.webp.jpg"},
        {"/p/a.gif", 1600, 0, false, false, "Thumbs/TN_GifPlaceHolder.gif", ""},
        {"/p/a.gif", 1600, kGifThumbnailOfFirstFrame, false, false, "Thumbs/TN_a.gif.png", ""},
        // Opaque PNGs are JPEG when the program says so; transparent ones keep their kind.
        {"/p/a.PNG", 1600, 0, true, false, "Thumbs/TN_a.PNG.jpg", "Web/a.PNG.jpg"},
        {"/p/a.png", 0, 0, true, false, "Thumbs/TN_a.png.jpg", ""},
        {"/p/a.png", 1600, 0, true, true, "Thumbs/TN_a.png", "Web/a.png"},
        {"/p/a.png", 1600, 0, false, true, "Thumbs/TN_a.png", "Web/a.png"},
        {"/p/a.jpg", 1600, 0, true, false, "Thumbs/TN_a.jpg", "Web/a.jpg"},
        {"/p/a.gif", 1600, kGifThumbnailOfFirstFrame, true, false, "Thumbs/TN_a.gif.png", ""},
    };
    for (const auto& c : cases) {
        Program program;
        program.ApplyDefaults();
        program.SetInt(K::PhotoWebSize, c.webSize);
        program.SetInt(K::MiscGifThumbnailType, c.gifType);
        program.SetInt(K::PhotoPngAsJpeg, c.pngAsJpeg);
        EXPECT_EQ(ThumbnailName(c.source, program, c.transparent), c.thumbnail) << c.source;
        EXPECT_EQ(WebCopyName(c.source, program, c.transparent), c.web) << c.source;
    }
    EXPECT_EQ(PhoneCopyName("Web/a.heic.jpg"), "Web/Small/a.heic.jpg");
    EXPECT_EQ(Thumbnail2xName("Thumbs/TN_a.gif.png"), "Thumbs/2x/TN_a.gif.png");
}

// The job asks for the copies in the newer formats the program wants, and for nothing more
// when it wants none; an opaque PNG's pictures are all JPEG.
TEST(PictureJob, AsksForTheFormatsAndNamesTheProgramWants) {
    const struct {
        const char* source;
        bool webp, avif, transparent;
        const char* thumbnail;
        const char* phone;
        bool newPictures;
    } cases[] = {
        {"/p/a.jpg", false, false, false, "/t/Thumbs/TN_a.jpg", "", false},
        {"/p/a.jpg", true, false, false, "/t/Thumbs/TN_a.jpg", "", true},
        {"/p/a.jpg", false, true, false, "/t/Thumbs/TN_a.jpg", "", true},
        {"/p/a.png", true, true, false, "/t/Thumbs/TN_a.png.jpg", "", true},
        {"/p/a.png", true, false, true, "/t/Thumbs/TN_a.png", "", true},
    };
    for (const auto& c : cases) {
        Program program;
        program.ApplyDefaults();
        program.SetText(K::TargetDir, "/t");
        program.SetInt(K::PhotoWebp, c.webp);
        program.SetInt(K::PhotoAvif, c.avif);
        program.SetInt(K::PhotoPngAsJpeg, true);
        SourceRecord record;
        record.source = c.source;
        record.transparent = c.transparent;
        record.thumbnail = ThumbnailName(c.source, program, c.transparent);
        ThumbnailQueue::Job job;
        ASSERT_TRUE(PictureJob(record, program, true, job)) << c.source;
        EXPECT_EQ(job.thumbnail, c.thumbnail) << c.source;
        EXPECT_EQ(job.webp, c.webp) << c.source;
        EXPECT_EQ(job.avif, c.avif) << c.source;
        EXPECT_EQ(MakesNewPictures(c.source, program), c.newPictures) << c.source;
    }
    // With web-size pictures, the copies of an opaque PNG are JPEG too.
    Program program;
    program.ApplyDefaults();
    program.SetText(K::TargetDir, "/t");
    program.SetInt(K::PhotoWebSize, 1600);
    program.SetInt(K::PhotoPngAsJpeg, true);
    SourceRecord record;
    record.source = "/p/a.png";
    ThumbnailQueue::Job job;
    ASSERT_TRUE(PictureJob(record, program, false, job));
    EXPECT_EQ(job.webCopy, "/t/Web/a.png.jpg");
    EXPECT_EQ(job.phoneCopy, "/t/Web/Small/a.png.jpg");
}

}  // namespace
