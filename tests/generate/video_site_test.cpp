// Videos in a photo site: a poster and a web copy each, made once, and a video that
// cannot be read fails alone.

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "document/picture_program.h"
#include "generate/generation_summary.h"
#include "generate/source_kind.h"
#include "site_fixture.h"
#include "support/run_program.h"

namespace fs = std::filesystem;

namespace {

using K = ProgramKey;

std::int64_t ModifiedNanoseconds(const std::string& path) {
    struct stat status;
    return ::stat(path.c_str(), &status) == 0
               ? status.st_mtim.tv_sec * 1000000000LL + status.st_mtim.tv_nsec
               : -1;
}

class VideoSiteTest : public SiteTest {
  protected:
    VideoSiteTest() {
        ApplyPictureProgramSettings(program);
        program.SetString(K::SourceFileExtension, std::string(kPhotoVideoPatterns));
        AddExamplePhoto("Fjord.jpg");
    }

    // A short clip with sound, made by ffmpeg; pattern picks the picture.
    void AddClip(const std::string& name, const std::string& pattern = "testsrc2") {
        const ProgramRun made = RunProgram(
            "/usr/bin/ffmpeg",
            {"-v", "error", "-y", "-f", "lavfi", "-i", pattern + "=size=640x360:rate=25:duration=2",
             "-f", "lavfi", "-i", "sine=duration=2", "-c:v", "libx264", "-pix_fmt", "yuv420p",
             "-c:a", "aac", "-shortest", source + "/" + name});
        ASSERT_EQ(made.status, 0) << "ffmpeg (Debian's ffmpeg package) made no clip: " << made.err;
    }
};

TEST_F(VideoSiteTest, EncodesEachVideoOnceAndKnowsItAgainAfterACopy) {
    AddClip("beach.mov");
    ASSERT_EQ(Generate(2), kRunFinished);
    for (const char* made : {"Web/beach.mov.mp4", "Web/beach.mov.jpg", "Web/beach.mov.jpg.webp",
                             "Thumbs/TN_beach.mov.jpg", "Thumbs/2x/TN_beach.mov.jpg"}) {
        EXPECT_TRUE(fs::is_regular_file(target + "/" + made)) << made;
    }
    EXPECT_FALSE(fs::exists(target + "/beach.mov")) << "the original is withheld";
    EXPECT_EQ(summary.videosMade, 1);
    const std::string copy = target + "/Web/beach.mov.mp4";
    const std::int64_t made = ModifiedNanoseconds(copy);

    // Unchanged, and then the same bytes written anew, as a copy from the phone leaves them.
    const std::string clip = source + "/beach.mov";
    for (const char* step : {"unchanged", "copied anew"}) {
        SCOPED_TRACE(step);
        if (std::string(step) == "copied anew") {
            const std::string bytes = ReadFileBytes(clip);
            fs::remove(clip);
            WriteFileBytes(clip, bytes);
        }
        ASSERT_EQ(Generate(2), kRunFinished);
        EXPECT_EQ(summary.videosMade, 0);
        EXPECT_EQ(summary.videosKept, 1);
        EXPECT_EQ(ModifiedNanoseconds(copy), made);
    }

    fs::remove(clip);
    AddClip("beach.mov", "testsrc");
    ASSERT_EQ(Generate(2), kRunFinished);
    EXPECT_EQ(summary.videosMade, 1) << "a changed video is made again";
}

TEST_F(VideoSiteTest, AVideoThatCannotBeReadFailsAloneAndIsNamed) {
    AddClip("beach.mp4");
    AddSource("broken.mp4", std::string(4096, '\x5a'));
    ASSERT_EQ(Generate(2), kRunFinished);
    EXPECT_TRUE(fs::is_regular_file(target + "/Web/beach.mp4"));
    EXPECT_FALSE(fs::exists(target + "/Web/broken.mp4"));
    EXPECT_EQ(summary.unreadableVideos, std::vector<std::string>{"broken.mp4"});
    EXPECT_NE(SummaryLine(summary).find(". 1 video could not be read: broken.mp4"),
              std::string::npos)
        << SummaryLine(summary);
}

TEST_F(VideoSiteTest, WithoutFfmpegTheRunSaysHowToInstallItAndGoesOn) {
    AddClip("beach.mp4");
    const std::string path = std::getenv("PATH");
    ::setenv("PATH", (dir / "empty").c_str(), 1);
    const int run = Generate();
    ::setenv("PATH", path.c_str(), 1);
    ASSERT_EQ(run, kRunFinished);
    bool told = false;
    for (const std::string& text : window->StatusTexts()) {
        told = told || text.find("apt install ffmpeg") != std::string::npos;
    }
    EXPECT_TRUE(told);
    EXPECT_TRUE(fs::is_regular_file(target + "/Web/Fjord.jpg"));
    EXPECT_FALSE(fs::exists(target + "/Web/beach.mp4"));
    EXPECT_TRUE(summary.unreadableVideos.empty()) << "the videos themselves are sound";
}

}  // namespace
