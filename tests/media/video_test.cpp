// Videos through ffmpeg: the probe, the poster frame, the web copy and the pictures of a
// video, made from clips ffmpeg makes here and checked with ffprobe and exiftool.

#include <dirent.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <ctime>
#include <fstream>
#include <map>
#include <thread>

#include "media/picture_set.h"
#include "media/video_copies.h"
#include "support/run_program.h"
#include "support/test_support.h"

namespace {

// Tags and side data that tell where, when or with what a video was made.
const char* const kLocation = "+48.8577+002.2950/";
const char* const kTaken = "2023-05-01T10:20:30Z";

std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* listing = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(listing)) {
            if (entry->d_name[0] != '.' || std::string(entry->d_name).size() > 2) {
                names.emplace_back(entry->d_name);
            }
        }
        ::closedir(listing);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The top-level boxes of an MP4 file, in order.
std::vector<std::string> TopBoxes(const std::string& path) {
    const std::string bytes = ReadFileBytes(path);
    std::vector<std::string> boxes;
    for (std::size_t at = 0; at + 8 <= bytes.size();) {
        unsigned long long size = 0;
        for (int i = 0; i < 4; ++i) {
            size = size << 8 | static_cast<unsigned char>(bytes[at + i]);
        }
        boxes.push_back(bytes.substr(at + 4, 4));
        if (size == 1 && at + 16 <= bytes.size()) {
            size = 0;
            for (int i = 8; i < 16; ++i) {
                size = size << 8 | static_cast<unsigned char>(bytes[at + i]);
            }
        }
        if (size < 8) {
            break;
        }
        at += size;
    }
    return boxes;
}

class VideoTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        tools = new VideoTools(FindVideoTools());
        clips = new TempDir();
        if (!MissingVideoToolsText(*tools).empty()) {
            return;
        }
        const std::string testsrc = "testsrc2=rate=30:size=";
        const std::vector<std::string> tags = {"-metadata", std::string("location=") + kLocation,
                                               "-metadata", std::string("creation_time=") + kTaken};
        // H.264/AAC that a browser plays as it is.
        Make("fits.mp4", testsrc + "320x240:duration=2", true,
             {"-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-c:a", "aac"},
             tags);
        // Too large for a web copy of 720 lines; long enough to be stopped.
        Make("large.mp4", testsrc + "1920x1080:duration=2", true,
             {"-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-c:a", "aac"},
             tags);
        // A phone's portrait clip: HEVC, stored on its side with a turn for the player,
        // with the place in QuickTime's keys as well as in the user data.
        Make("turned.mov", testsrc + "320x240:duration=2", true,
             {"-c:v", "libx265", "-preset", "ultrafast", "-x265-params", "log-level=error", "-c:a",
              "aac", "-metadata:s:v:0", "rotate=90", "-movflags", "use_metadata_tags", "-metadata",
              std::string("com.apple.quicktime.location.ISO6709=") + kLocation, "-metadata",
              "com.apple.quicktime.make=Apple"},
             tags);
        // Shorter than the second a poster is taken at.
        Make("short.mp4", testsrc + "320x240:duration=0.4", false,
             {"-c:v", "libx264", "-preset", "ultrafast"}, {});
        // The rotate tag is written when the streams are copied, not when they are encoded.
        const std::string turned = *clips / "turned.mov";
        ASSERT_EQ(RunProgram(tools->ffmpeg, {"-v", "error", "-i", turned, "-c", "copy",
                                             "-map_metadata", "0", "-movflags", "use_metadata_tags",
                                             "-metadata:s:v:0", "rotate=90", turned + ".mov"})
                      .status,
                  0);
        ASSERT_EQ(std::rename((turned + ".mov").c_str(), turned.c_str()), 0);
        WriteFileBytes(*clips / "noise.mp4", std::string(3000, '\x5a') + "moov");
    }
    static void TearDownTestSuite() {
        delete clips;
        delete tools;
    }

    static void Make(const std::string& name, const std::string& source, bool sound,
                     std::vector<std::string> codecs, const std::vector<std::string>& tags) {
        std::vector<std::string> arguments = {"-v", "error", "-f", "lavfi", "-i", source};
        if (sound) {
            arguments.insert(arguments.end(),
                             {"-f", "lavfi", "-i", "sine=frequency=440:duration=2", "-shortest"});
        }
        arguments.insert(arguments.end(), codecs.begin(), codecs.end());
        arguments.insert(arguments.end(), tags.begin(), tags.end());
        arguments.push_back(*clips / name);
        const ProgramRun run = RunProgram(tools->ffmpeg, arguments);
        ASSERT_EQ(run.status, 0) << name << ": " << run.err;
    }

    void SetUp() override {
        ASSERT_EQ(MissingVideoToolsText(*tools), "")
            << "the video tests need ffmpeg and ffprobe (scripts/install-deps.sh installs them)";
    }

    // What ffprobe says of a file, as "key=value" lines of its flat output.
    static std::map<std::string, std::string> Described(const std::string& path) {
        const ProgramRun run = RunProgram(
            tools->ffprobe, {"-v", "error", "-show_format", "-show_streams", "-of", "flat", path});
        EXPECT_EQ(run.status, 0) << run.err;
        std::map<std::string, std::string> fields;
        std::size_t start = 0;
        for (std::size_t end; (end = run.out.find('\n', start)) != std::string::npos;
             start = end + 1) {
            const std::string line = run.out.substr(start, end - start);
            const std::size_t equals = line.find('=');
            std::string value = line.substr(equals + 1);
            if (value.size() >= 2 && value.front() == '"') {
                value = value.substr(1, value.size() - 2);
            }
            fields[line.substr(0, equals)] = value;
        }
        return fields;
    }

    // The md5 of a stream's decoded frames (or, with copy, of its coded packets).
    static std::string StreamHash(const std::string& path, const std::string& stream, bool copy) {
        std::vector<std::string> arguments = {"-v", "error", "-i", path, "-map", stream};
        if (copy) {
            arguments.insert(arguments.end(), {"-c", "copy"});
        }
        arguments.insert(arguments.end(), {"-f", "md5", "-"});
        const ProgramRun run = RunProgram(tools->ffmpeg, arguments);
        EXPECT_EQ(run.status, 0) << run.err;
        return run.out;
    }

    // Says what the file carries that it must not: a tag beyond the handler's name and
    // the track's language, a turn, the encoder's note of itself.
    static std::string Leaks(const std::string& path) {
        std::string leaks;
        for (const auto& [key, value] : Described(path)) {
            static const std::string kHarmless[] = {"handler_name",  "vendor_id",
                                                    "language",      "major_brand",
                                                    "minor_version", "compatible_brands"};
            const std::size_t tag = key.find(".tags.");
            const std::string name = tag == std::string::npos ? "" : key.substr(tag + 6);
            // The sample description names the encoder ("Lavc libx264", no version):
            // ffmpeg writes it back whenever it is emptied.
            const bool allowed = std::find(std::begin(kHarmless), std::end(kHarmless), name) !=
                                     std::end(kHarmless) ||
                                 (name == "encoder" && value == "Lavc libx264");
            if ((!name.empty() && !allowed) || key.find("side_data") != std::string::npos) {
                leaks += key + "=" + value + "\n";
            }
        }
        if (ReadFileBytes(path).find("x264 - core") != std::string::npos) {
            leaks += "x264's settings\n";
        }
        return leaks;
    }

    static VideoProbe Probe(const std::string& name) {
        VideoProbe probe;
        const Result probed = ProbeVideo(*tools, *clips / name, probe);
        EXPECT_TRUE(probed.ok()) << name << ": " << probed.text();
        return probe;
    }

    static VideoTools* tools;
    static TempDir* clips;
    TempDir dir;
};

VideoTools* VideoTest::tools = nullptr;
TempDir* VideoTest::clips = nullptr;

TEST(VideoFiles, AreKnownByTheirExtensionAndTheToolsByPath) {
    const std::pair<const char*, bool> cases[] = {
        {"a.mp4", true},  {"/x/B.MOV", true}, {"c.m4v", true},
        {"d.webm", true}, {"e.3gp", true},    {"f.mkv", false},
        {"g.jpg", false}, {"mp4", false},     {"h.mp4.jpg", false},
    };
    for (const auto& [path, video] : cases) {
        EXPECT_EQ(IsVideoFile(path), video) << path;
    }
    EXPECT_EQ(MissingVideoToolsText({"/usr/bin/ffmpeg", "/usr/bin/ffprobe"}), "");
    EXPECT_EQ(MissingVideoToolsText({"", "/usr/bin/ffprobe"}),
              "Videos need ffmpeg, which is not installed: install it with \"sudo apt install "
              "ffmpeg\".");
    EXPECT_EQ(MissingVideoToolsText({"/usr/bin/ffmpeg", ""}),
              "Videos need ffprobe, which is not installed: install it with \"sudo apt install "
              "ffmpeg\".");

    // Only executable regular files on PATH count.
    TempDir dir;
    WriteFileBytes(dir / "bin/ffprobe", "#!/bin/sh\n");
    ::chmod((dir / "bin/ffprobe").c_str(), 0755);
    WriteFileBytes(dir / "plain/ffmpeg", "");
    ::mkdir((dir / "folder").c_str(), 0755);
    ::mkdir((dir / "folder/ffmpeg").c_str(), 0755);
    const std::string previous = std::getenv("PATH");
    ::setenv("PATH", (dir / "plain:" + dir / "folder::" + dir / "bin").c_str(), 1);
    const VideoTools found = FindVideoTools();
    ::setenv("PATH", previous.c_str(), 1);
    EXPECT_EQ(found.ffmpeg, "");
    EXPECT_EQ(found.ffprobe, dir / "bin/ffprobe");
}

TEST(VideoFiles, WebSizeAndWhatPlaysAsItIs) {
    struct Case {
        int width, height, size;
        int webWidth, webHeight;
    };
    const Case sizes[] = {
        {1920, 1080, 720, 1280, 720},
        {1920, 1080, 480, 852, 480},
        {1080, 1920, 720, 720, 1280},
        {1920, 1080, 1080, 1920, 1080},
        {320, 240, 720, 320, 240},
        {321, 241, 720, 320, 240},
        {1, 1, 480, 2, 2},
        {4000, 720, 720, 4000, 720},
        {4000, 721, 720, 3994, 720},
    };
    for (const Case& c : sizes) {
        VideoProbe probe;
        probe.width = c.width;
        probe.height = c.height;
        int width = 0;
        int height = 0;
        VideoWebSize(probe, c.size, width, height);
        EXPECT_EQ(width, c.webWidth) << c.width << "x" << c.height << " at " << c.size;
        EXPECT_EQ(height, c.webHeight) << c.width << "x" << c.height << " at " << c.size;
    }

    VideoProbe fits;
    fits.width = 1280;
    fits.height = 720;
    fits.videoCodec = "h264";
    fits.profile = "High";
    fits.pixelFormat = "yuv420p";
    fits.audioCodec = "aac";
    const std::pair<std::function<void(VideoProbe&)>, bool> plays[] = {
        {[](VideoProbe&) {}, true},
        {[](VideoProbe& p) { p.profile = "Constrained Baseline"; }, true},
        {[](VideoProbe& p) { p.audioCodec = ""; }, true},
        {[](VideoProbe& p) { p.videoCodec = "hevc"; }, false},
        {[](VideoProbe& p) { p.profile = "High 10"; }, false},
        {[](VideoProbe& p) { p.pixelFormat = "yuv422p"; }, false},
        {[](VideoProbe& p) { p.audioCodec = "pcm_s16le"; }, false},
        {[](VideoProbe& p) { p.rotation = 180; }, false},
        {[](VideoProbe& p) { p.height = 722; }, false},
        {[](VideoProbe& p) { p.width = 1279; }, false},
    };
    for (std::size_t i = 0; i < std::size(plays); ++i) {
        VideoProbe probe = fits;
        plays[i].first(probe);
        EXPECT_EQ(PlaysAsIs(probe, 720), plays[i].second) << "row " << i;
    }
}

TEST_F(VideoTest, ProbeTellsTheShownSizeLengthTimeAndCodecs) {
    struct Case {
        const char* name;
        int width, height, rotation;
        const char* codec;
        const char* profile;
        const char* audio;
        double seconds;
        const char* taken;
    };
    // Recorded 2023-05-01 10:20:30 UTC, shown in the tests' time zone (Berlin, summer time).
    const Case cases[] = {
        {"fits.mp4", 320, 240, 0, "h264", "Constrained Baseline", "aac", 2, "05/01/23 12:20:30"},
        {"turned.mov", 240, 320, 270, "hevc", "Main", "aac", 2, "05/01/23 12:20:30"},
        {"short.mp4", 320, 240, 0, "h264", "Constrained Baseline", "", 0.4, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const VideoProbe probe = Probe(c.name);
        EXPECT_EQ(probe.width, c.width);
        EXPECT_EQ(probe.height, c.height);
        EXPECT_EQ(probe.rotation, c.rotation);
        EXPECT_EQ(probe.videoCodec, c.codec);
        EXPECT_EQ(probe.profile, c.profile);
        EXPECT_EQ(probe.audioCodec, c.audio);
        EXPECT_EQ(probe.pixelFormat, "yuv420p");
        EXPECT_NEAR(probe.seconds, c.seconds, 0.1);
        EXPECT_EQ(probe.taken == 0 ? "" : FormatOleDate(probe.taken), c.taken);
    }

    VideoProbe probe;
    for (const std::string& path : {*clips / "noise.mp4", *clips / "missing.mp4"}) {
        const Result probed = ProbeVideo(*tools, path, probe);
        EXPECT_EQ(probed.text(), "it is not a video that can be read") << path;
    }
    EXPECT_EQ(ProbeVideo({"/usr/bin/ffmpeg", ""}, *clips / "fits.mp4", probe).text(),
              MissingVideoToolsText({"/usr/bin/ffmpeg", ""}));
}

TEST_F(VideoTest, WebCopiesPlayEverywhereAndCarryNothingPrivate) {
    struct Case {
        const char* name;
        int size;
        bool remuxed;
        int width, height;
    };
    const Case cases[] = {
        {"fits.mp4", 720, true, 320, 240},    {"large.mp4", 720, false, 1280, 720},
        {"large.mp4", 480, false, 852, 480},  {"large.mp4", 1080, true, 1920, 1080},
        {"turned.mov", 720, false, 240, 320},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(c.size));
        const std::string copy = dir / ("Web/" + std::string(c.name) + ".mp4");
        VideoWebCopyRequest request{*clips / c.name, copy, c.size};
        double done = -1;
        request.progress = [&](double now) {
            EXPECT_GE(now, done);
            done = now;
        };
        VideoWebCopy made;
        const Result result = MakeVideoWebCopy(*tools, Probe(c.name), request, made);
        ASSERT_TRUE(result.ok()) << result.text();
        EXPECT_EQ(done, 1);
        EXPECT_EQ(made.remuxed, c.remuxed);
        EXPECT_EQ(made.width, c.width);
        EXPECT_EQ(made.height, c.height);

        std::map<std::string, std::string> described = Described(copy);
        EXPECT_EQ(described["streams.stream.0.codec_name"], "h264");
        EXPECT_EQ(described["streams.stream.0.pix_fmt"], "yuv420p");
        EXPECT_EQ(described["streams.stream.0.width"], std::to_string(c.width));
        EXPECT_EQ(described["streams.stream.0.height"], std::to_string(c.height));
        EXPECT_EQ(described["streams.stream.1.codec_name"], "aac");
        if (!c.remuxed) {
            EXPECT_EQ(described["streams.stream.0.profile"], "High");
        }
        EXPECT_EQ(Leaks(copy), "");
        // The index first, so that a browser can play before the whole file has come.
        const std::vector<std::string> boxes = TopBoxes(copy);
        const auto moov = std::find(boxes.begin(), boxes.end(), "moov");
        EXPECT_LT(moov, std::find(boxes.begin(), boxes.end(), "mdat"));
        // Copied streams are the source's pictures and sound unchanged.
        const std::string source = *clips / c.name;
        EXPECT_EQ(StreamHash(copy, "0:v", false) == StreamHash(source, "0:v", false), c.remuxed);
        EXPECT_EQ(StreamHash(copy, "0:a", true) == StreamHash(source, "0:a", true), c.remuxed);
        EXPECT_EQ(FolderNames(dir / "Web").size(), 1u);
        std::remove(copy.c_str());
    }
}

TEST_F(VideoTest, PosterFramesAreUprightAndAShortVideoGivesItsFirst) {
    const std::pair<const char*, std::pair<int, int>> cases[] = {
        {"fits.mp4", {320, 240}},
        {"turned.mov", {240, 320}},
        {"short.mp4", {320, 240}},
    };
    for (const auto& [name, size] : cases) {
        const std::string png = dir / (std::string(name) + ".png");
        const Result made = MakeVideoFrame(*tools, *clips / name, png);
        ASSERT_TRUE(made.ok()) << name << ": " << made.text();
        std::map<std::string, std::string> described = Described(png);
        EXPECT_EQ(described["streams.stream.0.codec_name"], "png") << name;
        EXPECT_EQ(described["streams.stream.0.width"], std::to_string(size.first)) << name;
        EXPECT_EQ(described["streams.stream.0.height"], std::to_string(size.second)) << name;
    }
    EXPECT_EQ(FolderNames(dir.path()).size(), std::size(cases));
}

TEST_F(VideoTest, AFileThatIsNoVideoFailsAloneAndLeavesNothing) {
    VideoProbe probe = Probe("fits.mp4");
    const std::string png = dir / "noise.png";
    EXPECT_EQ(MakeVideoFrame(*tools, *clips / "noise.mp4", png).text(),
              "it is not a video that can be read");
    VideoWebCopy made;
    EXPECT_EQ(
        MakeVideoWebCopy(*tools, probe, {*clips / "noise.mp4", dir / "noise.mp4"}, made).text(),
        "it is not a video that can be read");
    EXPECT_EQ(MakeVideoWebCopy({}, probe, {*clips / "fits.mp4", dir / "fits.mp4"}, made).text(),
              MissingVideoToolsText({}));
    // A folder that cannot be made: the system's reason.
    EXPECT_EQ(
        MakeVideoWebCopy(*tools, probe, {*clips / "fits.mp4", *clips / "fits.mp4/web.mp4"}, made)
            .error(),
        ENOTDIR);
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{});
}

TEST_F(VideoTest, AStopEndsTheEncodeAndLeavesWhatWasThere) {
    const std::string copy = dir / "large.mp4";
    WriteFileBytes(copy, "before");
    std::atomic<bool> stop{false};
    // One thread, so that the encode is long enough to be caught at work.
    VideoWebCopyRequest request{*clips / "large.mp4", copy, 480, 1};
    request.stopped = [&] { return stop.load(); };
    // Stopped once ffmpeg has begun to write its file.
    std::thread stopper([&] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!stop && std::chrono::steady_clock::now() < deadline) {
            for (const std::string& name : FolderNames(dir.path())) {
                struct stat status;
                stop = stop || (name != "large.mp4" && ::stat((dir / name).c_str(), &status) == 0 &&
                                status.st_size > 0);
            }
            std::this_thread::yield();
        }
    });
    VideoWebCopy made;
    const Result result = MakeVideoWebCopy(*tools, Probe("large.mp4"), request, made);
    stopper.join();
    EXPECT_EQ(result.text(), "Stopped");
    EXPECT_EQ(ReadFileBytes(copy), "before");
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"large.mp4"});
}

TEST_F(VideoTest, APictureSetOfAVideoIsMadeFromItsPosterWithoutItsMetadata) {
    PictureSetRequest request{*clips / "turned.mov", dir / "Thumbs/TN_turned.mov.jpg", 100};
    request.thumbnail2x = dir / "Thumbs/TN_turned.mov@2x.jpg";
    request.webCopy = dir / "Web/turned.mov.jpg";
    request.webSize = 320;
    request.webp = true;
    request.keepCameraData = true;
    const PictureSet set = MakePictureSet(request);
    EXPECT_EQ(set.thumbnail.kind, ThumbnailOutcome::Kind::Made) << set.thumbnail.failure.text();
    const std::pair<const PictureOutput*, std::pair<int, int>> outputs[] = {
        {&set.thumbnailFile, {75, 100}}, {&set.thumbnail2x, {150, 200}}, {&set.web, {240, 320}}};
    for (const auto& [output, size] : outputs) {
        EXPECT_TRUE(output->made && output->webp);
        EXPECT_EQ(output->width, size.first);
        EXPECT_EQ(output->height, size.second);
    }
    for (const std::string& file :
         {request.thumbnail, request.thumbnail2x, request.webCopy, WebpSibling(request.webCopy)}) {
        const ProgramRun tags =
            RunProgram("/usr/bin/exiftool",
                       {"-s", "-s", "-EXIF:all", "-XMP:all", "-IPTC:all", "-QuickTime:all", file});
        EXPECT_EQ(tags.out, "") << file;
    }
    EXPECT_EQ(FolderNames(dir / "Web"),
              (std::vector<std::string>{"turned.mov.jpg", "turned.mov.jpg.webp"}));

    // Made once: a second run finds them newer than the video and leaves ffmpeg alone.
    SetModificationTime(request.source, static_cast<long long>(std::time(nullptr)) - 100);
    request.smart = true;
    const PictureSet again = MakePictureSet(request);
    EXPECT_EQ(again.thumbnail.kind, ThumbnailOutcome::Kind::Kept);
    EXPECT_EQ(again.decodes, 0);
    EXPECT_TRUE(again.web.exists && again.web.webp && !again.web.made);

    request.source = *clips / "noise.mp4";
    const PictureSet broken = MakePictureSet(request);
    EXPECT_EQ(broken.thumbnail.failure.text(), "it is not a video that can be read");
    EXPECT_EQ(broken.thumbnail.failure.kind(), Result::Kind::DamagedInput);
}

}  // namespace
