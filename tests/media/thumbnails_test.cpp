#include "media/thumbnails.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "media/test_images.h"
#include "platform/format.h"
#include "support/test_support.h"

namespace {

TEST(FitThumbnail, FitsIntoTheBox) {
    struct Case {
        int width, height, boxWidth, boxHeight, outWidth, outHeight;
    } cases[] = {
        {640, 480, 120, 120, 120, 90},  {480, 640, 120, 120, 90, 120},
        {100, 100, 120, 120, 120, 120}, {1000, 3, 120, 120, 120, 0},
        {3, 1000, 120, 120, 0, 120},    {641, 480, 120, 120, 120, 89},  // 89.86 truncated
        {4000, 3000, 10, 10, 10, 7},    {1, 1, 1000, 1000, 1000, 1000},
        {65535, 1, 120, 120, 120, 0},   {40000, 65535, 1000, 1000, 610, 1000},
        {300, 200, 150, 90, 150, 100},  // the box sides are taken as given
        {0, 100, 120, 120, 0, 0},       {100, 0, 120, 120, 0, 0},
        {-5, 10, 120, 120, 0, 0},
    };
    for (const Case& c : cases) {
        int width = -1;
        int height = -1;
        FitThumbnail(c.width, c.height, c.boxWidth, c.boxHeight, width, height);
        EXPECT_EQ(width, c.outWidth) << c.width << "x" << c.height;
        EXPECT_EQ(height, c.outHeight) << c.width << "x" << c.height;
    }
}

class Thumbnails : public ::testing::Test {
  protected:
    std::string Source(const std::string& name) const { return dir / ("src/" + name); }
    std::string Thumb(const std::string& name) const { return dir / ("Thumbs/TN_" + name); }

    // Makes the thumbnail of a source into Thumbs; returns the sizes MakeThumbnail gave.
    std::pair<int, int> Make(const std::string& name, int box, bool smart) {
        int width = -1;
        int height = -1;
        EXPECT_TRUE(
            MakeThumbnail(Source(name), Thumb(name), box, box, width, height, smart, &outcome));
        return {width, height};
    }

    ThumbnailOutcome outcome;  // of the last Make

    long long ModificationTime(const std::string& path) const {
        struct stat status;
        EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
        return status.st_mtim.tv_sec;
    }

    void SetUp() override {
        std::filesystem::create_directories(dir / "src");
        std::filesystem::create_directories(dir / "Thumbs");
    }

    TempDir dir;
    ScopedScriptedBoxes boxes;
};

const PixelFunction kPhoto = [](int x, int y) { return PhotoLike(x, y, 3); };

TEST_F(Thumbnails, MakesTheFittedSizeInTheFormatOfTheName) {
    struct Case {
        const char* name;
        int width, height, box, outWidth, outHeight;
        const char* loader;
        PictureOptions options;
    } cases[] = {
        {"land.jpg", 640, 480, 120, 120, 90, "jpegload", {}},
        {"land.jpeg", 640, 480, 120, 120, 90, "jpegload", {}},
        {"land.JPE", 640, 480, 120, 120, 90, "jpegload", {}},
        {"port.JPG", 480, 640, 120, 90, 120, "jpegload", {}},
        {"small.jpg", 100, 100, 120, 120, 120, "jpegload", {}},  // enlarged
        {"dot.Jpg", 1, 1, 37, 37, 37, "jpegload", {}},
        {"big.jpg", 2400, 1800, 120, 120, 90, "jpegload", {}},  // decoded at 1/8 scale
        {"mid.jpg", 1001, 999, 61, 61, 60, "jpegload", {}},
        {"grey.jpg", 300, 200, 100, 100, 66, "jpegload", {.grey = true}},
        {"print.jpg", 200, 300, 100, 66, 100, "jpegload", {.cmyk = true}},
        {"flat.png", 300, 200, 120, 120, 80, "pngload", {}},
        {"alpha.png", 200, 300, 90, 60, 90, "pngload", {.alpha = true}},
        {"deep.PNG", 160, 100, 64, 64, 40, "pngload", {.sixteenBit = true}},
        {"greyalpha.png", 99, 33, 120, 120, 40, "pngload", {.alpha = true, .grey = true}},
    };
    for (const Case& c : cases) {
        const std::string extension = std::filesystem::path(c.name).extension().string();
        if (extension == ".png" || extension == ".PNG") {
            WritePng(Source(c.name), c.width, c.height, kPhoto, c.options);
        } else {
            WriteJpeg(Source(c.name), c.width, c.height, kPhoto, c.options);
        }
        EXPECT_EQ(Make(c.name, c.box, false), std::make_pair(c.outWidth, c.outHeight)) << c.name;
        EXPECT_EQ(outcome.kind, ThumbnailOutcome::Kind::Made) << c.name;
        const Picture thumbnail = ReadPicture(Thumb(c.name));
        EXPECT_EQ(thumbnail.loader, c.loader) << c.name;
        EXPECT_EQ(thumbnail.width, c.outWidth) << c.name;
        EXPECT_EQ(thumbnail.height, c.outHeight) << c.name;
        // Browsers read every thumbnail alike: 8-bit grey or RGB, with any alpha kept.
        EXPECT_EQ(thumbnail.bands, (c.options.grey ? 1 : 3) + (c.options.alpha ? 1 : 0)) << c.name;
    }
}

TEST_F(Thumbnails, NothingForOtherKindsOrEmptyFitsAndTheReasonSaysWhy) {
    WriteJpeg(Source("strip.jpg"), 1000, 3, kPhoto);  // fits to 120 x 0
    WriteFileBytes(Source("anim.gif"), "GIF89a");
    WriteFileBytes(Source("notes.txt"), "text");
    const std::pair<const char*, const char*> cases[] = {
        {"strip.jpg", "it is too narrow for a thumbnail of 120 pixels"},
        {"anim.gif", "it is not a JPEG or PNG picture"},
        {"notes.txt", "it is not a JPEG or PNG picture"},
        {"missing.jpg", "it is damaged or not a JPEG picture"},
    };
    for (const auto& [name, reason] : cases) {
        EXPECT_EQ(Make(name, 120, false), std::make_pair(-1, -1)) << name;
        EXPECT_FALSE(std::filesystem::exists(Thumb(name))) << name;
        EXPECT_EQ(outcome.kind, ThumbnailOutcome::Kind::NotMade) << name;
        EXPECT_EQ(outcome.failure.text(), reason) << name;
    }
}

TEST_F(Thumbnails, BadSourcesLeaveNoThumbnailAndNoMessage) {
    WriteJpeg(Source("good.jpg"), 800, 600, kPhoto);
    WritePng(Source("good.png"), 200, 100, kPhoto);
    const std::string jpeg = ReadFileBytes(Source("good.jpg"));
    const std::string png = ReadFileBytes(Source("good.png"));
    std::string absurd = jpeg;
    PatchJpegSize(absurd, 65535, 65535);
    std::string bomb = jpeg;
    PatchJpegSize(bomb, 12000, 9000);  // 108 megapixels from 60 kB
    std::string pngBomb = png;
    pngBomb.replace(16, 8, std::string("\x00\x00\x4e\x20\x00\x00\x4e\x20", 8));  // 20000 x 20000
    const std::string damagedJpeg = "it is damaged or not a JPEG picture";
    const std::string damagedPng = "it is damaged or not a PNG picture";
    const std::string tooLarge = "it has more than 100 million pixels";
    const struct {
        const char* name;
        std::string bytes;
        std::string reason;
    } cases[] = {
        {"text.jpg", "This is not a picture.\n", damagedJpeg},
        {"empty.jpg", "", damagedJpeg},
        {"truncated.jpg", jpeg.substr(0, jpeg.size() / 2), "it is damaged"},
        {"absurd.jpg", absurd, damagedJpeg},  // past libjpeg's largest side
        {"bomb.jpg", bomb, tooLarge},
        {"png.jpg", png, damagedJpeg},
        {"jpeg.png", jpeg, damagedPng},
        {"truncated.png", png.substr(0, png.size() / 2), "it is damaged"},
        {"bomb.png", pngBomb, tooLarge},
    };
    for (const auto& c : cases) {
        WriteFileBytes(Source(c.name), c.bytes);
        testing::internal::CaptureStderr();
        EXPECT_EQ(Make(c.name, 120, false), std::make_pair(-1, -1)) << c.name;
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << c.name;
        EXPECT_FALSE(std::filesystem::exists(Thumb(c.name))) << c.name;
        EXPECT_EQ(outcome.failure.text(), c.reason) << c.name;
    }
    EXPECT_TRUE(boxes->Texts().empty());
    // Nothing was left half-written in the thumbnail folder either.
    EXPECT_TRUE(std::filesystem::is_empty(dir / "Thumbs"));
}

TEST_F(Thumbnails, DamagedJpegsKeepTheThumbnailABrowserWouldShowUnlessTheyCostTooMuch) {
    WriteJpeg(Source("good.jpg"), 400, 300, kPhoto);
    WriteJpeg(Source("p.jpg"), 400, 300, kPhoto, {.progressive = true});
    const std::string good = ReadFileBytes(Source("good.jpg"));
    const std::string progressive = ReadFileBytes(Source("p.jpg"));
    const struct {
        const char* name;
        std::string bytes;
        ThumbnailOutcome::Kind kind;
        bool damaged;
        std::string reason;
    } cases[] = {
        {"spoilt.jpg", WithCorruptScan(good), ThumbnailOutcome::Kind::Made, true, ""},
        {"spoilt progressive.jpg", WithCorruptScan(progressive), ThumbnailOutcome::Kind::Made, true,
         ""},
        {"many scans.jpg", WithRepeatedLastScan(progressive, 5000), ThumbnailOutcome::Kind::NotMade,
         false, "it is damaged"},
    };
    for (const auto& c : cases) {
        WriteFileBytes(Source(c.name), c.bytes);
        Make(c.name, 120, false);
        EXPECT_EQ(outcome.kind, c.kind) << c.name;
        EXPECT_EQ(outcome.damaged, c.damaged) << c.name;
        EXPECT_EQ(outcome.failure.text(), c.reason) << c.name;
        EXPECT_EQ(std::filesystem::exists(Thumb(c.name)), c.kind == ThumbnailOutcome::Kind::Made)
            << c.name;
    }
}

TEST_F(Thumbnails, LongNamesGetTheirThumbnail) {
    // "TN_" and 248 bytes: the temporary file beside the thumbnail cannot take its name.
    for (const std::string& name :
         {std::string(244, 'j') + ".jpg", std::string(240, 'p') + ".png"}) {
        if (name.ends_with(".jpg")) {
            WriteJpeg(Source(name), 200, 100, kPhoto);
        } else {
            WritePng(Source(name), 200, 100, kPhoto);
        }
        EXPECT_EQ(Make(name, 120, false), std::make_pair(120, 60)) << outcome.failure.text();
        EXPECT_EQ(outcome.kind, ThumbnailOutcome::Kind::Made);
        EXPECT_TRUE(std::filesystem::exists(Thumb(name)));
    }
}

TEST_F(Thumbnails, TurnedPhotosGiveUprightThumbnails) {
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const std::string name = StringPrintf("o%d.jpg", orientation);
        // Large enough that the decoder works at a reduced scale before turning.
        WriteTurnedQuarters(Source(name), orientation, 1200, 800);
        EXPECT_EQ(Make(name, 120, false), std::make_pair(120, 80)) << orientation;
        const Picture thumbnail = ReadPicture(Thumb(name));
        ASSERT_EQ(thumbnail.width, 120) << orientation;
        ASSERT_EQ(thumbnail.height, 80) << orientation;
        // A browser would turn it again if the tag stayed.
        EXPECT_EQ(thumbnail.orientation, 0) << orientation;
        EXPECT_TRUE(Near(thumbnail.At(20, 20), kTopLeft)) << orientation;
        EXPECT_TRUE(Near(thumbnail.At(100, 20), kTopRight)) << orientation;
        EXPECT_TRUE(Near(thumbnail.At(20, 60), kBottomLeft)) << orientation;
        EXPECT_TRUE(Near(thumbnail.At(100, 60), kBottomRight)) << orientation;
    }
}

class SmartThumbnails : public Thumbnails {
  protected:
    void SetUp() override {
        Thumbnails::SetUp();
        WriteJpeg(Source("a.jpg"), 640, 480, kPhoto);
        WriteJpeg(Source("b.jpg"), 480, 640, kPhoto);
        WritePng(Source("c.png"), 300, 300, kPhoto);
        for (const char* name : kNames) {
            SetModificationTime(Source(name), kSourceTime);
        }
    }

    // The run before: every thumbnail made in a 120 box, then dated kThumbTime so that a
    // rewrite shows.
    void FirstRun() {
        MakeAll(120, true);
        DateThumbnails(kThumbTime);
    }
    void MakeAll(int box, bool smart) {
        for (const char* name : kNames) {
            Make(name, box, smart);
        }
    }
    void DateThumbnails(long long seconds) {
        for (const char* name : kNames) {
            SetModificationTime(Thumb(name), seconds);
        }
    }
    std::vector<bool> Rewritten() {
        std::vector<bool> rewritten;
        for (const char* name : kNames) {
            rewritten.push_back(ModificationTime(Thumb(name)) != kThumbTime);
        }
        return rewritten;
    }

    static constexpr const char* kNames[] = {"a.jpg", "b.jpg", "c.png"};
    static constexpr long long kSourceTime = 1'600'000'000;
    static constexpr long long kThumbTime = 1'600'000'100;
};

TEST_F(SmartThumbnails, ASecondRunRewritesNothing) {
    FirstRun();
    EXPECT_EQ(Make("a.jpg", 120, true), std::make_pair(120, 90));
    EXPECT_EQ(Make("b.jpg", 120, true), std::make_pair(90, 120));
    EXPECT_EQ(Make("c.png", 120, true), std::make_pair(120, 120));
    EXPECT_EQ(Rewritten(), (std::vector<bool>{false, false, false}));
    // Without smart mode every thumbnail is made again.
    MakeAll(120, false);
    EXPECT_EQ(Rewritten(), (std::vector<bool>{true, true, true}));
}

TEST_F(SmartThumbnails, ATouchedSourceRemakesOnlyItsThumbnail) {
    FirstRun();
    SetModificationTime(Source("b.jpg"), kThumbTime + 50);
    MakeAll(120, true);
    EXPECT_EQ(Rewritten(), (std::vector<bool>{false, true, false}));
}

TEST_F(SmartThumbnails, EqualTimesRemake) {
    FirstRun();
    SetModificationTime(Source("c.png"), kThumbTime);
    MakeAll(120, true);
    EXPECT_EQ(Rewritten(), (std::vector<bool>{false, false, true}));
}

TEST_F(SmartThumbnails, ANewSizeRemakesAll) {
    FirstRun();
    MakeAll(150, true);
    EXPECT_EQ(Rewritten(), (std::vector<bool>{true, true, true}));
    EXPECT_EQ(ReadPicture(Thumb("a.jpg")).width, 150);
}

TEST_F(SmartThumbnails, AThumbnailLargerThanTheNewBoxIsRemade) {
    // 120 x 90 and 90 x 120 each share one side with a 90 box but do not fit in it.
    FirstRun();
    EXPECT_EQ(Make("a.jpg", 90, true), std::make_pair(90, 67));
    EXPECT_EQ(Make("b.jpg", 90, true), std::make_pair(67, 90));
    EXPECT_EQ(Make("c.png", 90, true), std::make_pair(90, 90));
    EXPECT_EQ(Rewritten(), (std::vector<bool>{true, true, true}));
}

TEST_F(SmartThumbnails, AnUnreadableThumbnailIsRemade) {
    MakeAll(120, true);
    WriteFileBytes(Thumb("a.jpg"), "damaged");
    WriteFileBytes(Thumb("c.png"), "damaged");
    DateThumbnails(kThumbTime);
    MakeAll(120, true);
    EXPECT_EQ(Rewritten(), (std::vector<bool>{true, false, true}));
    EXPECT_EQ(ReadPicture(Thumb("a.jpg")).width, 120);
    EXPECT_EQ(ReadPicture(Thumb("c.png")).height, 120);
}

TEST_F(Thumbnails, ManyThreadsAtOnceGiveTheSameThumbnails) {
    constexpr int kFiles = 16;
    for (int i = 0; i < kFiles; ++i) {
        const int width = 300 + 37 * i;
        const int height = 200 + 53 * (kFiles - i);
        const std::string name = StringPrintf(i % 4 == 3 ? "p%d.png" : "p%d.jpg", i);
        const PixelFunction pixel = [i](int x, int y) { return PhotoLike(x, y, i); };
        if (i % 4 == 3) {
            WritePng(Source(name), width, height, pixel);
        } else {
            WriteJpeg(Source(name), width, height, pixel);
        }
    }
    auto name = [](int i) { return StringPrintf(i % 4 == 3 ? "p%d.png" : "p%d.jpg", i); };
    std::vector<std::pair<int, int>> alone(kFiles);
    std::vector<std::string> aloneBytes(kFiles);
    for (int i = 0; i < kFiles; ++i) {
        alone[i] = Make(name(i), 100, false);
        aloneBytes[i] = ReadFileBytes(Thumb(name(i)));
    }
    std::vector<std::pair<int, int>> together(kFiles, {-1, -1});
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = t; i < kFiles; i += 4) {
                MakeThumbnail(Source(name(i)), Thumb(name(i)), 100, 100, together[i].first,
                              together[i].second, false);
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (int i = 0; i < kFiles; ++i) {
        EXPECT_EQ(together[i], alone[i]) << name(i);
        EXPECT_EQ(ReadFileBytes(Thumb(name(i))), aloneBytes[i]) << name(i);
    }
}

}  // namespace
