#include "media/clean_copy.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/test_support.h"
#include "test_images.h"

namespace {

std::string Segment(unsigned marker, const std::string& payload) {
    const std::size_t length = payload.size() + 2;
    return std::string{'\xFF', static_cast<char>(marker), static_cast<char>(length >> 8),
                       static_cast<char>(length & 0xFF)} +
           payload;
}

// A turned progressive JPEG with a comment and a private segment before its frame, a
// comment between its scans and a video after its end.
std::string PrivateJpeg(const std::string& folder) {
    const std::string path = folder + "/plain.jpg";
    WriteJpeg(path, 64, 48, [](int x, int y) { return Quarters(x, y, 64, 48); },
              {.orientation = 6, .progressive = true});
    std::string bytes = ReadFileBytes(path);
    bytes.insert(2, Segment(0xFE, "COMMENT-PRIVATE") + Segment(0xED, "Photoshop 3.0 PRIVATE"));
    const std::size_t secondScan = bytes.find("\xFF\xDA", bytes.find("\xFF\xDA") + 2);
    bytes.insert(secondScan, Segment(0xFE, "BETWEEN-SCANS-PRIVATE"));
    return bytes + "MOTION-VIDEO-PRIVATE";
}

TEST(CleanCopy, AJpegKeepsItsPixelsAndTurnAndLosesTheRest) {
    TempDir dir;
    const std::string bytes = PrivateJpeg(dir.path());
    std::string cleaned;
    ASSERT_TRUE(CleanPictureBytes(bytes, cleaned));
    EXPECT_EQ(cleaned.find("PRIVATE"), std::string::npos);
    EXPECT_TRUE(cleaned.ends_with("\xFF\xD9"));
    WriteFileBytes(dir / "private.jpg", bytes);
    WriteFileBytes(dir / "clean.jpg", cleaned);
    const Samples before = LoadJpegSamples(dir / "private.jpg", 1);
    const Samples after = LoadJpegSamples(dir / "clean.jpg", 1);
    ASSERT_FALSE(after.bytes.empty());
    EXPECT_EQ(after.bytes, before.bytes);
    EXPECT_EQ(ReadPicture(dir / "clean.jpg").orientation, 6);

    std::string again;
    ASSERT_TRUE(CleanPictureBytes(cleaned, again));
    EXPECT_EQ(again, cleaned) << "a clean picture cleans to itself";
}

TEST(CleanCopy, PicturesThatAreNotWholeAreRefusedAndNothingIsWritten) {
    TempDir dir;
    const std::string jpeg = PrivateJpeg(dir.path());
    WritePng(dir / "a.png", 8, 8, [](int, int) { return Colour{10, 20, 30}; });
    const std::string png = ReadFileBytes(dir / "a.png");
    const std::string gif = std::string("GIF89a\x02\x00\x02\x00\x80\x00\x00", 13) +
                            std::string(6, '\0') + "\x2C";  // an image cut short
    const std::string cases[] = {
        jpeg.substr(0, jpeg.size() / 2),
        png.substr(0, png.size() - 12),  // no IEND
        gif,
        "not a picture at all",
        "",
    };
    for (const std::string& bytes : cases) {
        std::string cleaned;
        EXPECT_FALSE(CleanPictureBytes(bytes, cleaned)) << bytes.size();
        WriteFileBytes(dir / "source", bytes);
        const Result copied =
            PublishCopyIfChanged(dir / "source", dir / "copy", PublishedCopy::Clean);
        EXPECT_FALSE(copied.ok());
        EXPECT_EQ(copied.error(), 0) << copied.text();
        EXPECT_FALSE(std::filesystem::exists(dir / "copy"));
    }
}

TEST(CleanCopy, ACleanCopyIsMadeOnceWhileItsSourceIsUnchanged) {
    TempDir dir;
    WriteFileBytes(dir / "source.jpg", PrivateJpeg(dir.path()));
    SetModificationTime(dir / "source.jpg", 1700000000);
    ASSERT_TRUE(
        PublishCopyIfChanged(dir / "source.jpg", dir / "copy.jpg", PublishedCopy::Clean).ok());
    struct stat first;
    ASSERT_EQ(::stat((dir / "copy.jpg").c_str(), &first), 0);
    EXPECT_EQ(first.st_mtim.tv_sec, 1700000000);
    ASSERT_TRUE(
        PublishCopyIfChanged(dir / "source.jpg", dir / "copy.jpg", PublishedCopy::Clean).ok());
    struct stat second;
    ASSERT_EQ(::stat((dir / "copy.jpg").c_str(), &second), 0);
    EXPECT_EQ(second.st_ino, first.st_ino);

    // A plain copy of the same time, as a run that published originals left it, is replaced.
    std::filesystem::copy_file(dir / "source.jpg", dir / "copy.jpg",
                               std::filesystem::copy_options::overwrite_existing);
    SetModificationTime(dir / "copy.jpg", 1700000000);
    ASSERT_TRUE(
        PublishCopyIfChanged(dir / "source.jpg", dir / "copy.jpg", PublishedCopy::Clean).ok());
    EXPECT_EQ(ReadFileBytes(dir / "copy.jpg").find("PRIVATE"), std::string::npos);
}

}  // namespace
