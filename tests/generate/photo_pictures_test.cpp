// The pictures a run makes for photo pages: web copies, doubles of thumbnails, converted
// pictures, and what withheld originals leave in the target.

#include <sys/wait.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <functional>

#include "media/image_size.h"
#include "media/vips_module.h"
#include "site_fixture.h"
#include "support/run_program.h"

namespace fs = std::filesystem;

namespace {

using K = ProgramKey;

std::string SizeOf(const std::string& path) {
    int width = 0;
    int height = 0;
    if (!GetImageSize(path, width, height).ok()) {
        return "unreadable";
    }
    return std::to_string(width) + "x" + std::to_string(height);
}

TEST_F(SiteTest, WebCopiesReachEveryRunThatWritesContentPages) {
    const struct {
        bool indexPages, thumbnails, publishOriginals;
    } cases[] = {
        {true, true, true},
        {false, true, true},  // no index page: still the web copies, but no thumbnails
        {true, false, false},
        {false, false, false},
    };
    AddExamplePhoto("Alpine Lake.jpg");
    AddExamplePhoto("Meadow.jpg");
    AddExamplePhoto("Bubbles.gif");
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.indexPages) + std::to_string(c.thumbnails) +
                     std::to_string(c.publishOriginals));
        fs::remove_all(target);
        program.SetInt(K::PhotoWebSize, 320);
        program.SetInt(K::GenerateIndexPage, c.indexPages);
        program.SetInt(K::GenerateThumbnails, c.thumbnails);
        program.SetInt(K::PhotoPublishOriginals, c.publishOriginals);
        ASSERT_EQ(Generate(), kRunFinished);
        EXPECT_EQ(SizeOf(target + "/Web/Alpine Lake.jpg"), "320x240");
        EXPECT_EQ(SizeOf(target + "/Web/Meadow.jpg"), "214x320");
        EXPECT_FALSE(fs::exists(target + "/Web/Bubbles.gif"));
        const bool thumbnails = c.indexPages && c.thumbnails;
        EXPECT_EQ(fs::exists(target + "/Thumbs/TN_Alpine Lake.jpg"), thumbnails);
        EXPECT_EQ(fs::exists(target + "/Thumbs/2x/TN_Alpine Lake.jpg"), thumbnails);
        EXPECT_EQ(fs::exists(target + "/Alpine Lake.jpg"), c.publishOriginals);
        EXPECT_TRUE(fs::exists(target + "/Bubbles.gif")) << "shown as it is";
        EXPECT_FALSE(fs::exists(target + "/Web/Small"));  // no copy is large enough to need one
    }
}

TEST_F(SiteTest, WithheldOriginalsAreNeverLinkedFromTheIndex) {
    AddExamplePhoto("Alpine Lake.jpg");
    program.SetInt(K::PhotoWebSize, 320);
    program.SetInt(K::PhotoPublishOriginals, false);
    program.SetInt(K::GenerateContentPages, false);
    ASSERT_EQ(Generate(), kRunFinished);
    const std::string index = Page("INDEX000.HTM");
    EXPECT_NE(index.find("<A HREF=\"Web/Alpine%20Lake.jpg\">"), std::string::npos) << index;
    EXPECT_EQ(index.find("source/"), std::string::npos) << index;
}

TEST_F(SiteTest, ConvertedPicturesAndGifFramesGetThumbnailsOfTheirOwn) {
    program.SetString(K::SourceFileExtension, "*.jpg;*.jpeg;*.png;*.gif;*.heic;*.heif");
    program.SetInt(K::MiscGifThumbnailType, kGifThumbnailOfFirstFrame);
    AddExamplePhoto("Bubbles.gif");
    AddExamplePhoto("Pebbles.png");
    const ProgramRun heif = RunProgram(
        "/usr/bin/vips",
        {"heifsave", MAVREN_SOURCE_DIR "/examples/photos/Glacier.jpg", source + "/Glacier.heic"});
    ASSERT_EQ(heif.status, 0) << heif.err;
    ASSERT_EQ(Generate(), kRunFinished);
    EXPECT_EQ(SizeOf(target + "/Thumbs/TN_Glacier.heic.jpg"), "120x90");
    EXPECT_EQ(SizeOf(target + "/Web/Glacier.heic.jpg"), "640x480");  // full size: web size off
    EXPECT_EQ(SizeOf(target + "/Thumbs/TN_Bubbles.gif.png"), "120x90");
    EXPECT_EQ(SizeOf(target + "/Thumbs/TN_Pebbles.png"), "120x90");
    EXPECT_FALSE(fs::exists(target + "/Web/Pebbles.png"));
    EXPECT_FALSE(fs::exists(target + "/Thumbs/2x"));
    const std::string index = Page("INDEX000.HTM");
    for (const char* shown :
         {"SRC=\"Thumbs/TN_Bubbles.gif.png\"", "SRC=\"Thumbs/TN_Glacier.heic.jpg\""}) {
        EXPECT_NE(index.find(shown), std::string::npos) << shown << "\n" << index;
    }
    EXPECT_EQ(summary.thumbnailsMade, 3);
    EXPECT_NE(Page("GEN0001.HTM").find("SRC=\"Web/Glacier.heic.jpg\""), std::string::npos);
}

TEST_F(SiteTest, StalePicturesGoWithTheirSourcesAndWithheldOriginalsLeaveTheTarget) {
    program.SetInt(K::PhotoWebSize, 320);
    for (const char* photo : {"Alpine Lake.jpg", "Fjord.jpg", "Pebbles.png"}) {
        AddExamplePhoto(photo);
    }
    ASSERT_EQ(Generate(), kRunFinished);
    ASSERT_TRUE(fs::exists(target + "/Thumbs/2x/TN_Fjord.jpg"));
    fs::create_directories(target + "/Web/Small");
    WriteFileBytes(target + "/Web/Small/Fjord.jpg", "an earlier run's phone copy");
    WriteFileBytes(target + "/Web/notes.txt", "mine");
    fs::copy_file(target + "/Web/Alpine Lake.jpg", target + "/Web/logo.jpg");  // mine too
    WriteFileBytes(target + "/Pebbles.png", "the user's own picture of the same name");

    fs::remove(source + "/Fjord.jpg");
    program.SetInt(K::PhotoPublishOriginals, false);
    ASSERT_EQ(Generate(), kRunFinished);
    EXPECT_EQ(FileNames(target + "/Web"),
              (std::vector<std::string>{"Alpine Lake.jpg", "Pebbles.png", "Small", "logo.jpg",
                                        "notes.txt"}));
    EXPECT_EQ(FileNames(target + "/Web/Small"), std::vector<std::string>{});
    EXPECT_EQ(FileNames(target + "/Thumbs/2x"),
              (std::vector<std::string>{"TN_Alpine Lake.jpg", "TN_Pebbles.png"}));
    EXPECT_FALSE(fs::exists(target + "/Alpine Lake.jpg"));  // an exact copy of its source
    EXPECT_TRUE(fs::exists(target + "/Pebbles.png"));       // not one
    EXPECT_TRUE(fs::exists(target + "/Fjord.jpg"));         // no longer a source at all

    // Without web copies, "Web" may be anybody's folder.
    program.SetInt(K::PhotoWebSize, 0);
    WriteFileBytes(target + "/Web/holiday.jpg", "the user's own");
    ASSERT_EQ(Generate(), kRunFinished);
    EXPECT_TRUE(fs::exists(target + "/Web/holiday.jpg"));
}

// Runs step in a process of its own, as each command-line run is; its exit status.
int InChild(const std::function<int()>& step) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(step());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(SiteTest, ARerunWithEveryPictureUpToDateNeverLoadsThePictureLibrary) {
    if (VipsModuleLoaded()) {
        GTEST_SKIP() << "an earlier test of this process loaded it; run this test alone";
    }
    program.SetInt(K::PhotoWebSize, 320);
    for (const char* photo : {"Alpine Lake.jpg", "Pebbles.png", "Bubbles.gif"}) {
        AddExamplePhoto(photo);
        SetModificationTime(source + "/" + photo, static_cast<long long>(std::time(nullptr)) - 100);
    }
    enum { kFinished = 10, kLoaded = 20 };
    const auto run = [this] {
        return (Generate() == kRunFinished ? kFinished : 0) + (VipsModuleLoaded() ? kLoaded : 0);
    };
    ASSERT_EQ(InChild(run), kFinished + kLoaded);  // the PNG needs libvips the first time
    EXPECT_EQ(InChild(run), kFinished);
}

}  // namespace
