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
    // Videos make a picture program only of one that takes them; before, such a list made
    // a program of other files, and still does.
    for (const bool videos : {false, true}) {
        Program program;
        program.ApplyDefaults();
        program.SetString(K::SourceFileExtension, std::string(kPhotoVideoPatterns));
        program.SetInt(K::PhotoVideos, videos);
        EXPECT_EQ(SourceKindOf(program), videos ? SourceKind::Images : SourceKind::Other);
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
        // A video's poster, whatever the web size.
        {"/p/a.MOV", 0, 0, false, false, "Thumbs/TN_a.MOV.jpg", "Web/a.MOV.jpg"},
        {"/p/a.mp4", 1600, 0, true, false, "Thumbs/TN_a.mp4.jpg", "Web/a.mp4.jpg"},
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
    EXPECT_EQ(VideoWebCopyName("/p/a.mp4"), "Web/a.mp4");
    EXPECT_EQ(VideoWebCopyName("/p/a.MOV"), "Web/a.MOV.mp4");
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

// A video's poster is made at the size of its web copy, which needs the video's size; the
// original is published only when the program publishes originals, and then as taken.
TEST(PictureJob, AVideosPosterHasTheSizeOfItsWebCopy) {
    const struct {
        int width, height, size;
        bool job;
        int posterSize;
    } cases[] = {
        {1920, 1080, 720, true, 1280},
        {1080, 1920, 480, true, 852},
        {640, 360, 1080, true, 640},
        {0, 0, 720, false, 0},
    };
    for (const auto& c : cases) {
        Program program;
        program.ApplyDefaults();
        program.SetText(K::TargetDir, "/t");
        program.SetInt(K::PhotoVideoSize, c.size);
        SourceRecord record;
        record.source = "/p/clip.mov";
        record.width = c.width;
        record.height = c.height;
        record.thumbnail = ThumbnailName(record.source, program, false);
        ThumbnailQueue::Job job;
        ASSERT_EQ(PictureJob(record, program, true, job), c.job) << c.width;
        if (c.job) {
            EXPECT_EQ(job.webCopy, "/t/Web/clip.mov.jpg");
            EXPECT_EQ(job.webSize, c.posterSize) << c.width << "x" << c.height;
            EXPECT_EQ(job.thumbnail2x, "/t/Thumbs/2x/TN_clip.mov.jpg");
            EXPECT_TRUE(job.phoneCopy.empty());
        }
        EXPECT_EQ(SourceCopyKind(record.source, program), SourceCopy::AsTaken);
        program.SetInt(K::PhotoPublishOriginals, 0);
        EXPECT_EQ(SourceCopyKind(record.source, program), SourceCopy::None);
    }
}

}  // namespace
