// What a finished run removes from the target folder, and what it never touches.

#include "generate/stale_output.h"

#include <algorithm>
#include <filesystem>

#include "site_fixture.h"

namespace fs = std::filesystem;

namespace {

using K = ProgramKey;

// The files the status lines say were removed, sorted.
std::vector<std::string> Removed(const RecordingReceiver& receiver) {
    std::vector<std::string> removed;
    for (const std::string& text : receiver.StatusTexts()) {
        if (text.rfind("Removed stale ", 0) == 0) {
            removed.push_back(text.substr(14));
        }
    }
    std::sort(removed.begin(), removed.end());
    return removed;
}

class StaleOutput : public SiteTest {
  protected:
    StaleOutput() {
        // One entry a page, so that every photo has its own index page.
        program.SetInt(K::IndexThumbnailLayoutType, 1);
        program.SetInt(K::IndexThumbnailsAcross, 1);
        program.SetInt(K::IndexThumbnailsDown, 1);
        for (const char* photo : {"Alpine Lake.jpg", "Fjord.jpg", "Meadow.jpg", "Bubbles.gif"}) {
            AddExamplePhoto(photo);
        }
    }
};

TEST_F(StaleOutput, PagesAndThumbnailsOfDroppedSourcesGoAndNothingElse) {
    ASSERT_EQ(Generate(), kRunFinished);
    ASSERT_EQ(FileNames(target, ".HTM").size(), 8u);
    // The user's own files in the target, and one our run never wrote.
    WriteFileBytes(target + "/INDEX009.HTM", "<HTML>the user's own page</HTML>");
    WriteFileBytes(target + "/INDEX0005.HTM", "<META CONTENT=\"Mavren 1.0\">not a name we write");
    WriteFileBytes(target + "/Thumbs/notes.txt", "mine");
    WriteFileBytes(target + "/Thumbs/TN_GifPlaceHolder.gif", "GIF89a");
    WriteFileBytes(target + "/Thumbs/TN_gone.jpg", "stale");
    // Doubles go with their thumbnail, whichever goes first; a picture without one is not ours.
    WriteFileBytes(target + "/Thumbs/2x/TN_Fjord.jpg", "double");
    WriteFileBytes(target + "/Thumbs/2x/mine.jpg", "mine");

    fs::remove(source + "/Fjord.jpg");
    fs::remove(source + "/Meadow.jpg");
    const auto second = std::make_shared<RecordingReceiver>();
    window = second;
    ASSERT_EQ(Generate(), kRunFinished);

    EXPECT_EQ(Removed(*second.get()),
              (std::vector<std::string>{"\"GEN0002.HTM\"", "\"GEN0003.HTM\"", "\"INDEX002.HTM\"",
                                        "\"INDEX003.HTM\"", "\"Thumbs/2x/TN_Fjord.jpg\"",
                                        "\"Thumbs/TN_Fjord.jpg\"", "\"Thumbs/TN_Meadow.jpg\"",
                                        "\"Thumbs/TN_gone.jpg\""}));
    EXPECT_EQ(summary.filesRemoved, 8);
    EXPECT_EQ(FileNames(target + "/Thumbs/2x"), (std::vector<std::string>{"mine.jpg"}));
    EXPECT_EQ(FileNames(target, ".HTM"),
              (std::vector<std::string>{"GEN0000.HTM", "GEN0001.HTM", "INDEX000.HTM",
                                        "INDEX0005.HTM", "INDEX001.HTM", "INDEX009.HTM"}));
    EXPECT_EQ(FileNames(target + "/Thumbs"),
              (std::vector<std::string>{"2x", "TN_Alpine Lake.jpg", "TN_GifPlaceHolder.gif",
                                        "notes.txt"}));
    // Copies stay, and the user hears of them at the end.
    EXPECT_TRUE(fs::exists(target + "/Fjord.jpg"));
    EXPECT_TRUE(fs::exists(target + "/Meadow.jpg"));
    const auto texts = second->StatusTexts();
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[texts.size() - 2],
              "2 pictures in the target folder are not among the sources and were left alone.");
    EXPECT_EQ(texts.back(), "Finished.");
}

// A "Thumbs" that links to another folder may lead to the user's own pictures.
TEST_F(StaleOutput, NothingIsRemovedBehindALinkedThumbsFolder) {
    const std::string elsewhere = dir / "my thumbnails";
    WriteFileBytes(elsewhere + "/TN_holiday.jpg", std::string(15000, 'x'));
    WriteFileBytes(elsewhere + "/" + LeftoverName(1), "not ours to judge");
    fs::create_directories(target);
    fs::create_directory_symlink(elsewhere, target + "/Thumbs");
    ASSERT_EQ(Generate(), kRunFinished);
    ASSERT_EQ(Generate(), kRunFinished);

    EXPECT_EQ(ReadFileBytes(elsewhere + "/TN_holiday.jpg"), std::string(15000, 'x'));
    EXPECT_TRUE(fs::exists(elsewhere + "/" + LeftoverName(1)));
    const auto texts = window->StatusTexts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(),
                         "Not removing stale thumbnails: \"Thumbs\" is a link to another "
                         "folder, which may hold files of your own"),
              2)
        << "once a run";
    EXPECT_EQ(summary.filesRemoved, 0);
}

// WebP and AVIF copies stay while the run makes them and go with them; a PNG's pictures
// of the kind it no longer gets go.
TEST(StaleSiblings, CopiesInNewerFormatsAndPngsRenamedJpeg) {
    const std::vector<std::string> there = {
        "Thumbs/TN_a.jpg",    "Thumbs/TN_a.jpg.webp",    "Thumbs/TN_a.jpg.avif",
        "Thumbs/2x/TN_a.jpg", "Thumbs/2x/TN_a.jpg.webp", "Web/a.jpg",
        "Web/a.jpg.webp",     "Web/Small/a.jpg",         "Web/Small/a.jpg.webp",
        "Thumbs/TN_b.png",    "Thumbs/TN_b.png.jpg",     "Thumbs/TN_b.png.jpg.webp",
        "Web/b.png",          "Web/b.png.jpg",           "Web/b.png.jpg.webp",
        "Web/mine.jpg.webp",  // the user's: no thumbnail of its name
    };
    const PictureSiblings none;
    const PictureSiblings webp{.webp = true};
    const struct Case {
        const char* what;
        PictureSiblings siblings;
        bool pngAsJpeg;
        std::vector<std::string> removed;
    } cases[] = {
        {"WebP on",
         webp,
         true,
         {"\"Thumbs/TN_a.jpg.avif\"", "\"Thumbs/TN_b.png\"", "\"Web/b.png\""}},
        {"WebP off",
         none,
         true,
         {"\"Thumbs/2x/TN_a.jpg.webp\"", "\"Thumbs/TN_a.jpg.avif\"", "\"Thumbs/TN_a.jpg.webp\"",
          "\"Thumbs/TN_b.png\"", "\"Thumbs/TN_b.png.jpg.webp\"", "\"Web/Small/a.jpg.webp\"",
          "\"Web/a.jpg.webp\"", "\"Web/b.png\"", "\"Web/b.png.jpg.webp\""}},
        {"PNG stays PNG",
         webp,
         false,
         {"\"Thumbs/TN_a.jpg.avif\"", "\"Thumbs/TN_b.png.jpg\"", "\"Thumbs/TN_b.png.jpg.webp\"",
          "\"Web/b.png.jpg\"", "\"Web/b.png.jpg.webp\""}},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string target = dir / "site";
        for (const std::string& name : there) {
            WriteFileBytes(target + "/" + name, "picture");
        }
        SourceRecord a;
        a.source = target + "/a.jpg";
        a.thumbnail = "Thumbs/TN_a.jpg";
        a.thumbnail2x = "Thumbs/2x/TN_a.jpg";
        a.webCopy = "Web/a.jpg";
        a.phoneCopy = "Web/Small/a.jpg";
        a.thumbnailSiblings = a.thumbnail2xSiblings = a.webSiblings = a.phoneSiblings = c.siblings;
        SourceRecord b;
        b.source = target + "/b.png";
        b.thumbnail = c.pngAsJpeg ? "Thumbs/TN_b.png.jpg" : "Thumbs/TN_b.png";
        b.webCopy = c.pngAsJpeg ? "Web/b.png.jpg" : "Web/b.png";
        b.thumbnailSiblings = b.webSiblings = c.pngAsJpeg ? c.siblings : none;
        const auto receiver = std::make_shared<RecordingReceiver>();
        RemoveStaleOutput(target, {a, b}, GenerationSummary{}, receiver);
        EXPECT_EQ(Removed(*receiver), c.removed) << c.what;
        EXPECT_TRUE(fs::exists(target + "/Web/mine.jpg.webp")) << c.what;
    }
}

TEST_F(StaleOutput, AStoppedOrFailedRunRemovesNothing) {
    ASSERT_EQ(Generate(), kRunFinished);
    fs::remove(source + "/Fjord.jpg");
    fs::remove(source + "/Meadow.jpg");

    // Stopped at the first index page.
    class StopAtFirstPage : public RecordingReceiver {
      public:
        explicit StopAtFirstPage(std::shared_ptr<StopFlag> stop) : stop(std::move(stop)) {}

      private:
        void Post(WorkerMessage message) override {
            if (message.message == WM_APP_PROGRESS && message.wParam > 0) {
                stop->Request();
            }
            RecordingReceiver::Post(std::move(message));
        }
        std::shared_ptr<StopFlag> stop;
    };
    const auto recorder = window;
    window = std::make_shared<StopAtFirstPage>(stop);
    ASSERT_EQ(Generate(), kRunFinished);
    ASSERT_EQ(program.GetDate(K::LastGenerated), 0.0);
    window = recorder;
    stop = std::make_shared<StopFlag>();

    // Failed in the content pages.
    program.SetString(K::ContentBoilerplate, dir / "missing.htm");
    EXPECT_EQ(Generate(), kRunEndedAfterMessage);

    EXPECT_EQ(FileNames(target, ".HTM").size(), 8u);
    EXPECT_TRUE(fs::exists(target + "/Thumbs/TN_Fjord.jpg"));
    EXPECT_TRUE(Removed(*window).empty());
}

// With the originals withheld, a source's copy goes from the target, but never the source
// itself: not where the target is the source folder, nor a hard link to it.
TEST(StaleOriginals, AWithheldSourceLosesItsCopyButNeverItself) {
    TempDir dir;
    WriteFileBytes(dir / "photos/a.jpg", "a");
    WriteFileBytes(dir / "photos/b.jpg", "b");
    fs::create_directories(dir / "site");
    fs::copy_file(dir / "photos/a.jpg", dir / "site/a.jpg");
    fs::last_write_time(dir / "site/a.jpg", fs::last_write_time(dir / "photos/a.jpg"));
    fs::create_hard_link(dir / "photos/b.jpg", dir / "site/b.jpg");
    std::vector<SourceRecord> records(2);
    records[0].source = dir / "photos/a.jpg";
    records[1].source = dir / "photos/b.jpg";
    for (SourceRecord& record : records) {
        record.originalPublished = false;
    }
    const auto window = std::make_shared<RecordingReceiver>();
    for (const std::string& target : {dir / "photos", dir / "site"}) {
        RemoveStaleOutput(target, records, GenerationSummary{}, window);
    }
    EXPECT_EQ(ReadFileBytes(dir / "photos/a.jpg"), "a");
    EXPECT_EQ(ReadFileBytes(dir / "photos/b.jpg"), "b");
    EXPECT_FALSE(fs::exists(dir / "site/a.jpg"));
    EXPECT_TRUE(fs::exists(dir / "site/b.jpg"));
}

}  // namespace
