#include "media/picture_set.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>
#include <vips/vips8>

#include "media/test_images.h"
#include "support/run_program.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

const PixelFunction kPhoto = [](int x, int y) { return PhotoLike(x, y, 3); };

class PictureSetTest : public ::testing::Test {
  protected:
    PictureSetTest() {
        fs::create_directories(dir / "Thumbs/2x");
        fs::create_directories(dir / "Web/Small");
    }

    // A request for every output of source, named as a site names them.
    PictureSetRequest Request(const std::string& source, const std::string& outputName,
                              int webSize) const {
        PictureSetRequest request;
        request.source = dir / source;
        request.thumbnail = dir / ("Thumbs/TN_" + outputName);
        request.thumbnail2x = dir / ("Thumbs/2x/TN_" + outputName);
        request.boxSize = 150;
        request.webCopy = dir / ("Web/" + outputName);
        request.phoneCopy = dir / ("Web/Small/" + outputName);
        request.webSize = webSize;
        request.webQuality = 80;
        request.smart = true;
        return request;
    }

    // Dates the source back, so that outputs made now count as newer.
    void Age(const std::string& source) const {
        SetModificationTime(dir / source, static_cast<long long>(std::time(nullptr)) - 100);
    }

    // What exiftool finds in a file: every tag but the file's own, one "Tag: value" a line.
    static std::string Tags(const std::string& path) {
        const ProgramRun run = RunProgram("/usr/bin/exiftool",
                                          {"-s", "-s", "-EXIF:all", "-XMP:all", "-IPTC:all", path});
        return run.out;
    }

    TempDir dir;
};

// The mean of a picture's pixels: lossy coding leaves it in place, other pixels move it.
Colour MeanColour(const Picture& picture) {
    long long sums[3] = {};
    for (std::size_t i = 0; i < picture.rgb.size(); ++i) {
        sums[i % 3] += picture.rgb[i];
    }
    const long long pixels = std::max<long long>(1, picture.rgb.size() / 3);
    return {static_cast<int>(sums[0] / pixels), static_cast<int>(sums[1] / pixels),
            static_cast<int>(sums[2] / pixels)};
}

struct Size {
    int width = 0;
    int height = 0;  // 0 by 0: the output is not made
};

TEST_F(PictureSetTest, MakesEveryOutputAtItsSizeFromOneDecode) {
    const std::function<void(const std::string&)> noWriter;
    const struct Case {
        const char* source;
        const char* output;  // the outputs' file name
        std::function<void(const std::string&)> write;
        int webSize;
        Size thumbnail, thumbnail2x, web, phone;
        int bands;  // of the web copy, or of the thumbnail without one
    } cases[] = {
        {"wide.jpg",
         "wide.jpg",
         [](const std::string& p) { WriteJpeg(p, 2400, 1600, kPhoto); },
         1200,
         {150, 100},
         {300, 200},
         {1200, 800},
         {800, 533},
         3},
        {"tall.jpg",
         "tall.jpg",
         [](const std::string& p) { WriteJpeg(p, 1200, 1800, kPhoto); },
         1600,
         {100, 150},
         {200, 300},
         {1067, 1600},
         {533, 800},
         3},
        // Stored 600 by 900 and turned by its orientation: every output is upright.
        {"turned.jpg",
         "turned.jpg",
         [](const std::string& p) { WriteTurnedQuarters(p, 6, 900, 600); },
         640,
         {150, 100},
         {300, 200},
         {640, 427},
         {},
         3},
        {"small.jpg",
         "small.jpg",
         [](const std::string& p) {
             WriteJpeg(p, 280, 200, kPhoto);
             RunProgram("/usr/bin/exiftool", {"-overwrite_original", "-all=", p});
         },
         1600,
         {150, 107},
         {},
         {280, 200},
         {},
         3},
        {"clear.png",
         "clear.png",
         [](const std::string& p) { WritePng(p, 500, 400, kPhoto, {.alpha = true}); },
         320,
         {150, 120},
         {300, 240},
         {320, 256},
         {},
         4},
        {"moving.gif",
         "moving.gif.png",
         [](const std::string& p) {
             WritePng(p + ".png", 320, 240, kPhoto, {.alpha = true});
             vips::VImage::new_from_file((p + ".png").c_str()).gifsave(p.c_str());
         },
         0,
         {150, 112},
         {},
         {},
         {},
         4},
        {"phone.heic",
         "phone.heic.jpg",
         [](const std::string& p) {
             WritePng(p + ".png", 640, 480, kPhoto);
             vips::VImage::new_from_file((p + ".png").c_str()).heifsave(p.c_str());
         },
         0,
         {150, 112},
         {},
         {640, 480},
         {},
         3},
        // Opaque PNGs named as JPEGs become JPEGs, whatever their depth or palette.
        {"deep.png",
         "deep.png.jpg",
         [](const std::string& p) { WritePng(p, 400, 300, kPhoto, {.sixteenBit = true}); },
         320,
         {150, 112},
         {300, 224},
         {320, 240},
         {},
         3},
        {"palette.png",
         "palette.png.jpg",
         [](const std::string& p) {
             WritePng(p + ".png", 400, 300, kPhoto);
             vips::VImage::new_from_file((p + ".png").c_str())
                 .pngsave(p.c_str(), vips::VImage::option()->set("palette", true));
         },
         0,
         {150, 112},
         {},
         {400, 300},
         {},
         3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        c.write(dir / c.source);
        Age(c.source);
        PictureSetRequest request = Request(c.source, c.output, c.webSize);
        request.webp = true;
        if (std::string(c.source).ends_with(".gif")) {
            request.webCopy.clear();  // the page shows the GIF itself
        }
        if (c.webSize == 0) {
            request.thumbnail2x.clear();
            request.phoneCopy.clear();
        }
        const PictureSet set = MakePictureSet(request);
        EXPECT_EQ(set.decodes, 1);
        EXPECT_EQ(set.thumbnail.kind, ThumbnailOutcome::Kind::Made) << set.thumbnail.failure.text();
        const struct {
            const PictureOutput& output;
            const std::string& path;
            Size expected;
        } outputs[] = {{set.thumbnailFile, request.thumbnail, c.thumbnail},
                       {set.thumbnail2x, request.thumbnail2x, c.thumbnail2x},
                       {set.web, request.webCopy, c.web},
                       {set.phone, request.phoneCopy, c.phone}};
        for (const auto& o : outputs) {
            SCOPED_TRACE(o.path);
            const bool wanted = o.expected.width > 0;
            EXPECT_EQ(o.output.exists, wanted);
            EXPECT_EQ(!o.path.empty() && fs::exists(o.path), wanted);
            if (!wanted) {
                continue;
            }
            const Picture written = ReadPicture(o.path);
            EXPECT_EQ(written.width, o.expected.width);
            EXPECT_EQ(written.height, o.expected.height);
            EXPECT_EQ(o.output.width, o.expected.width);
            EXPECT_EQ(o.output.height, o.expected.height);
            EXPECT_EQ(written.orientation, 0);
            EXPECT_EQ(written.loader, o.path.ends_with(".png") ? "pngload" : "jpegload");
            // Its WebP copy: the same pixels, transparency and all.
            EXPECT_TRUE(o.output.webp);
            const Picture webp = ReadPicture(WebpSibling(o.path));
            EXPECT_EQ(webp.loader, "webpload");
            EXPECT_EQ(webp.width, o.expected.width);
            EXPECT_EQ(webp.height, o.expected.height);
            EXPECT_EQ(webp.bands, written.bands);
            EXPECT_TRUE(Near(MeanColour(webp), MeanColour(written), 4));
        }
        const Picture main = ReadPicture(c.web.width > 0 ? request.webCopy : request.thumbnail);
        EXPECT_EQ(main.bands, c.bands);
    }
    // The turned picture shows its quarters where they belong.
    const Picture turned = ReadPicture(dir / "Web/turned.jpg");
    EXPECT_TRUE(Near(turned.At(10, 10), kTopLeft));
    EXPECT_TRUE(Near(turned.At(629, 416), kBottomRight));
    // A small picture with nothing to strip is published as it is.
    EXPECT_TRUE(ReadFileBytes(dir / "Web/small.jpg") == ReadFileBytes(dir / "small.jpg"));
}

TEST_F(PictureSetTest, CameraDataStaysOnlyInWebCopiesAndOnlyWhenAsked) {
    WriteJpeg(dir / "camera.jpg", 1600, 1200, kPhoto, {.orientation = 6});
    const ProgramRun tagged =
        RunProgram("/usr/bin/exiftool", {"-overwrite_original", "-GPSLatitude=48.5",
                                         "-GPSLatitudeRef=N", "-SerialNumber=CAM4711", "-Make=Acme",
                                         "-XMP-dc:Description=Harbour", dir / "camera.jpg"});
    ASSERT_EQ(tagged.status, 0) << tagged.err;
    // A small one: metadata alone keeps it from being copied byte for byte.
    WriteJpeg(dir / "tiny.jpg", 200, 150, kPhoto);
    ASSERT_EQ(RunProgram("/usr/bin/exiftool",
                         {"-overwrite_original", "-SerialNumber=CAM4711", dir / "tiny.jpg"})
                  .status,
              0);
    for (const bool keep : {false, true}) {
        SCOPED_TRACE(keep ? "kept" : "stripped");
        for (const char* name : {"camera.jpg", "tiny.jpg"}) {
            PictureSetRequest request = Request(name, name, 1200);
            request.keepCameraData = keep;
            request.smart = false;
            MakePictureSet(request);
            for (const std::string& path : {request.thumbnail, request.thumbnail2x}) {
                if (fs::exists(path)) {
                    EXPECT_EQ(Tags(path), "") << path;
                }
            }
            for (const std::string& path : {request.webCopy, request.phoneCopy}) {
                if (!fs::exists(path)) {
                    continue;
                }
                const std::string tags = Tags(path);
                EXPECT_EQ(tags.find("CAM4711") != std::string::npos, keep) << path << tags;
                if (name == std::string("camera.jpg")) {
                    EXPECT_EQ(tags.find("GPSLatitude") != std::string::npos, keep) << tags;
                    EXPECT_EQ(tags.find("Harbour") != std::string::npos, keep) << tags;
                    // Upright pixels: a kept orientation must not turn them again.
                    EXPECT_EQ(tags.find("Orientation: Rotate"), std::string::npos) << tags;
                    EXPECT_EQ(ReadPicture(path).width, path == request.webCopy ? 900 : 600);
                }
            }
            EXPECT_FALSE(ReadFileBytes(request.webCopy) == ReadFileBytes(dir / name));
        }
    }
}

TEST_F(PictureSetTest, PicturesInAnotherColourSpaceArePublishedInSrgb) {
    const Colour green{40, 160, 60};
    WritePng(dir / "flat.png", 64, 48, [&](int, int) { return green; });
    for (const char* name : {"p3.jpg", "p3.png"}) {
        SCOPED_TRACE(name);
        // The same colour in Display P3, with that profile embedded: other numbers.
        vips::VImage::new_from_file((dir / "flat.png").c_str())
            .icc_transform("p3", vips::VImage::option()->set("input_profile", "srgb"))
            .write_to_file((dir / name).c_str());
        ASSERT_FALSE(Near(ReadPicture(dir / name).At(5, 5), green, 20));  // read as stored
        PictureSetRequest request = Request(name, name, 320);
        request.webp = true;
        request.avif = true;
        ASSERT_TRUE(MakePictureSet(request).web.made);
        // Too small to scale, but not copied as it is: browsers would ignore the profile.
        for (const std::string& path :
             {request.webCopy, WebpSibling(request.webCopy), AvifSibling(request.webCopy)}) {
            SCOPED_TRACE(path);
            const Picture web = ReadPicture(path);
            EXPECT_EQ(web.width, 64);
            EXPECT_TRUE(Near(web.At(5, 5), green, 8));
            // sRGB needs no profile; one can weigh more than a small picture.
            const std::string bytes = ReadFileBytes(path);
            EXPECT_EQ(bytes.find("ICCP"), std::string::npos);
            EXPECT_EQ(bytes.find("colrprof"), std::string::npos);
        }
    }
}

TEST_F(PictureSetTest, KeepsUpToDateOutputsAndRemakesThoseOfAnotherSize) {
    WriteJpeg(dir / "a.jpg", 2000, 1500, kPhoto);
    Age("a.jpg");
    ASSERT_EQ(MakePictureSet(Request("a.jpg", "a.jpg", 1600)).decodes, 1);

    PictureSet again = MakePictureSet(Request("a.jpg", "a.jpg", 1600));
    EXPECT_EQ(again.decodes, 0);
    EXPECT_EQ(again.thumbnail.kind, ThumbnailOutcome::Kind::Kept);
    for (const PictureOutput* output :
         {&again.thumbnailFile, &again.thumbnail2x, &again.web, &again.phone}) {
        EXPECT_TRUE(output->exists);
        EXPECT_FALSE(output->made);
    }
    EXPECT_EQ(again.web.width, 1600);

    // A new web size remakes the web copy and keeps the rest, the phone copy too: its size
    // does not depend on the web size.
    again = MakePictureSet(Request("a.jpg", "a.jpg", 1200));
    EXPECT_EQ(again.decodes, 1);
    EXPECT_TRUE(again.web.made);
    EXPECT_FALSE(again.phone.made);
    EXPECT_FALSE(again.thumbnailFile.made);
    EXPECT_FALSE(again.thumbnail2x.made);
    EXPECT_EQ(ReadPicture(dir / "Web/a.jpg").width, 1200);
    EXPECT_EQ(ReadPicture(dir / "Web/Small/a.jpg").width, 800);

    // A changed source is newer than its outputs: all are made again.
    SetModificationTime(dir / "a.jpg", static_cast<long long>(std::time(nullptr)) + 100);
    again = MakePictureSet(Request("a.jpg", "a.jpg", 1200));
    EXPECT_TRUE(again.thumbnailFile.made);
    EXPECT_TRUE(again.web.made);
}

TEST_F(PictureSetTest, SiblingsAreKeptAndMadeAgainWhenMissingOrStale) {
    WriteJpeg(dir / "a.jpg", 1200, 900, kPhoto);
    const long long now = std::time(nullptr);
    SetModificationTime(dir / "a.jpg", now - 100);
    PictureSetRequest request = Request("a.jpg", "a.jpg", 1100);
    request.webp = true;
    request.avif = true;
    std::vector<std::string> files;
    for (const std::string& path :
         {request.thumbnail, request.thumbnail2x, request.webCopy, request.phoneCopy}) {
        files.insert(files.end(), {path, WebpSibling(path), AvifSibling(path)});
    }
    const struct {
        const char* what;
        std::function<void()> change;
        int decodes;
        std::vector<std::string> made;  // every file when empty and decodes is 1
    } steps[] = {
        {"first run", [] {}, 1, {}},
        {"nothing changed", [] {}, 0, {}},
        {"a WebP copy missing",
         [&] { fs::remove(WebpSibling(request.webCopy)); },
         1,
         {WebpSibling(request.webCopy)}},
        {"an AVIF copy older than the source",
         [&] { SetModificationTime(AvifSibling(request.thumbnail), now - 200); },
         1,
         {AvifSibling(request.thumbnail)}},
        {"a WebP copy older than its file",
         [&] { SetModificationTime(WebpSibling(request.phoneCopy), now - 70); },
         1,
         {WebpSibling(request.phoneCopy)}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        // Files dated back, copies after their file: what is made now is told by its time.
        for (std::size_t i = 0; i < files.size() && fs::exists(files.front()); ++i) {
            SetModificationTime(files[i], now - (i % 3 == 0 ? 60 : 50));
        }
        step.change();
        const PictureSet set = MakePictureSet(request);
        EXPECT_EQ(set.decodes, step.decodes);
        for (const PictureOutput* output :
             {&set.thumbnailFile, &set.thumbnail2x, &set.web, &set.phone}) {
            EXPECT_TRUE(output->exists && output->webp && output->avif);
        }
        for (const std::string& file : files) {
            const bool made =
                step.made.empty() ? step.decodes == 1 : std::ranges::count(step.made, file) == 1;
            struct stat status {};
            ASSERT_EQ(::stat(file.c_str(), &status), 0) << file;
            EXPECT_EQ(status.st_mtime > now - 10, made) << file;
        }
    }
    EXPECT_EQ(ReadPicture(AvifSibling(request.webCopy)).loader, "heifload");
    EXPECT_EQ(ReadPicture(AvifSibling(request.webCopy)).width, 1100);
}

TEST_F(PictureSetTest, PngWebCopyIsNeverLargerThanItsSource) {
    const struct {
        const char* name;
        std::function<void(const std::string&)> write;
        int colourType;  // of the web copy: the source's 3 when its own bytes are published
    } cases[] = {
        // Eight bits a pixel: any RGB re-encode is larger.
        {"palette.png",
         [](const std::string& p) {
             WritePng(p + ".png", 400, 300, kPhoto);
             vips::VImage::new_from_file((p + ".png").c_str())
                 .pngsave(p.c_str(), vips::VImage::option()->set("palette", true));
         },
         3},
        // Sixteen bits a sample: the 8-bit re-encode is the smaller.
        {"deep.png",
         [](const std::string& p) { WritePng(p, 400, 300, kPhoto, {.sixteenBit = true}); }, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.write(dir / c.name);
        // Camera data to strip: the bytes cannot be published as they are.
        ASSERT_EQ(RunProgram("/usr/bin/exiftool",
                             {"-overwrite_original", "-XMP-dc:Description=Harbour", dir / c.name})
                      .status,
                  0);
        PictureSetRequest request = Request(c.name, c.name, 1600);
        request.webp = true;
        ASSERT_TRUE(MakePictureSet(request).web.made);
        EXPECT_EQ(Tags(WebpSibling(request.webCopy)), "");
        const std::string web = ReadFileBytes(request.webCopy);
        EXPECT_LT(web.size(), ReadFileBytes(dir / c.name).size());
        ASSERT_GT(web.size(), 25u);
        EXPECT_EQ(web[25], c.colourType);
        EXPECT_EQ(Tags(request.webCopy), "");
        EXPECT_EQ(ReadPicture(request.webCopy).width, 400);
    }
}

TEST_F(PictureSetTest, FitsTheLongestSide) {
    const struct {
        int width, height, longest, outWidth, outHeight;
    } cases[] = {
        {4000, 3000, 1600, 1600, 1200}, {3000, 4000, 1600, 1200, 1600},
        {1601, 1, 1600, 1600, 1},       {1000, 800, 1600, 1000, 800},
        {1600, 1600, 1600, 1600, 1600}, {2000, 1333, 1200, 1200, 800},  // 799.8 rounded
    };
    for (const auto& c : cases) {
        int width = 0;
        int height = 0;
        FitLongestSide(c.width, c.height, c.longest, width, height);
        EXPECT_EQ(width, c.outWidth) << c.width << "x" << c.height;
        EXPECT_EQ(height, c.outHeight) << c.width << "x" << c.height;
    }
}

}  // namespace

// Fine detail: a scaled decode that comes near the output's size folds it back into
// coarse patterns, and a box shrink blurs it; a Lanczos resize of the whole picture does
// neither.
TEST_F(PictureSetTest, WebCopiesMatchALanczosResizeOfTheWholePicture) {
    const struct {
        const char* name;
        int width, height, webSize;
        double worst;  // mean difference in levels, at most
    } cases[] = {
        {"detail.jpg", 1622, 2880, 1600, 11.0},  // decoded at 5/8 it differed by 14
        {"detail.png", 1500, 1000, 400, 1.2},    // box-shrunk first by 1.9
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        vips::VImage grey =
            (vips::VImage::zone(c.width, c.height) * 120 + 128).cast(VIPS_FORMAT_UCHAR);
        vips::VImage picture =
            grey.bandjoin(grey.rot180()).bandjoin(grey.flip(VIPS_DIRECTION_HORIZONTAL));
        if (std::string(c.name).ends_with(".png")) {
            picture =
                picture.bandjoin(vips::VImage::black(c.width, c.height) + 200)
                    .copy(vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
        }
        picture.write_to_file((dir / c.name).c_str());
        const PictureSetRequest request = Request(c.name, c.name, c.webSize);
        const PictureSet set = MakePictureSet(request);
        ASSERT_TRUE(set.web.made);
        const vips::VImage whole = vips::VImage::new_from_file((dir / c.name).c_str());
        const vips::VImage reference =
            whole.resize(static_cast<double>(set.web.width) / whole.width(),
                         vips::VImage::option()
                             ->set("vscale", static_cast<double>(set.web.height) / whole.height())
                             ->set("kernel", VIPS_KERNEL_LANCZOS3)
                             ->set("gap", 0.0));
        const vips::VImage web = vips::VImage::new_from_file(request.webCopy.c_str());
        ASSERT_EQ(web.width(), reference.width());
        ASSERT_EQ(web.height(), reference.height());
        const double difference = (web.extract_band(0, vips::VImage::option()->set("n", 3)) -
                                   reference.extract_band(0, vips::VImage::option()->set("n", 3)))
                                      .abs()
                                      .avg();
        EXPECT_LE(difference, c.worst);
    }
}
