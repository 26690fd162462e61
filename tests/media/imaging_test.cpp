#include "media/imaging.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "media/jpeg_codec.h"
#include "media/test_images.h"
#include "support/test_support.h"

namespace {

class Imaging : public ::testing::Test {
  protected:
    TempDir dir;
};

const PixelFunction kGradient = [](int x, int y) { return Colour{x % 256, y % 256, 128}; };

// The first luminance quantisation value of a JPEG: 8 for libjpeg's tables at quality 75.
int FirstQuantValue(const std::string& jpeg) {
    size_t i = 2;
    while (i + 5 < jpeg.size() && static_cast<unsigned char>(jpeg[i]) == 0xFF) {
        const auto marker = static_cast<unsigned char>(jpeg[i + 1]);
        if (marker == 0xDB) {
            return static_cast<unsigned char>(jpeg[i + 5]);
        }
        i += 2 + static_cast<unsigned char>(jpeg[i + 2]) * 256u +
             static_cast<unsigned char>(jpeg[i + 3]);
    }
    return -1;
}

TEST_F(Imaging, ReadsJpegSizesFromTheHeaderOnly) {
    WriteJpeg(dir / "a.jpg", 300, 200, kGradient);
    std::string bytes = ReadFileBytes(dir / "a.jpg");
    // Header kept, pixel data gone: the size still reads.
    WriteFileBytes(dir / "cut.jpg", bytes.substr(0, bytes.size() / 3));
    for (const char* name : {"a.jpg", "cut.jpg"}) {
        int width = 0;
        int height = 0;
        EXPECT_TRUE(ReadJpegSize(dir / name, width, height)) << name;
        EXPECT_EQ(width, 300) << name;
        EXPECT_EQ(height, 200) << name;
    }
    WritePng(dir / "b.png", 30, 20, kGradient);
    int width = -1;
    int height = -1;
    EXPECT_FALSE(ReadJpegSize(dir / "b.png", width, height));
    EXPECT_FALSE(ReadJpegSize(dir / "missing.jpg", width, height));
    EXPECT_EQ(width, -1);
    EXPECT_EQ(height, -1);
}

TEST_F(Imaging, DecodersTakeOnlyTheirOwnKind) {
    WriteJpeg(dir / "a.jpg", 30, 20, kGradient);
    WritePng(dir / "b.png", 31, 21, kGradient);
    WriteFileBytes(dir / "t.jpg", "text\n");
    EXPECT_EQ(DecodeJpeg(dir / "a.jpg").width(), 30);
    EXPECT_EQ(DecodePng(dir / "b.png").height(), 21);
    EXPECT_TRUE(DecodeJpeg(dir / "b.png").empty());
    EXPECT_TRUE(DecodePng(dir / "a.jpg").empty());
    EXPECT_TRUE(DecodeJpeg(dir / "t.jpg").empty());
    EXPECT_TRUE(DecodeJpeg(dir / "missing.jpg").empty());
    EXPECT_TRUE(DecodeJpeg(dir.path()).empty());
}

TEST_F(Imaging, RefusesPicturesOverTheDecodeLimit) {
    WriteJpeg(dir / "a.jpg", 64, 64, kGradient);
    std::string bytes = ReadFileBytes(dir / "a.jpg");
    PatchJpegSize(bytes, 20000, 20000);  // 400 megapixels claimed by a few bytes
    WriteFileBytes(dir / "bomb.jpg", bytes);
    EXPECT_TRUE(DecodeJpeg(dir / "bomb.jpg").empty());
    PatchJpegSize(bytes, 10000, 10000);  // at the limit: opens, but the data runs out
    WriteFileBytes(dir / "edge.jpg", bytes.substr(0, bytes.size() - 10));
    const Image edge = DecodeJpeg(dir / "edge.jpg");
    EXPECT_EQ(edge.width(), 10000);
    EXPECT_TRUE(ScaleImage(edge, 100, 100).empty());
}

TEST_F(Imaging, ScalesToExactlyTheSizeAsked) {
    WriteJpeg(dir / "a.jpg", 257, 173, kGradient);
    WritePng(dir / "b.png", 211, 97, kGradient, {.alpha = true});
    const Image jpeg = DecodeJpeg(dir / "a.jpg");
    const Image png = DecodePng(dir / "b.png");
    const Image inMemory = ScaleImage(jpeg, 199, 131);
    ASSERT_FALSE(inMemory.empty());
    for (const Image* source : {&jpeg, &png, &inMemory}) {
        for (int width = 1; width <= 320; width += 29) {
            for (int height : {1, 2, 7, 64, 97, 173, 260}) {
                const Image scaled = ScaleImage(*source, width, height);
                ASSERT_EQ(scaled.width(), width);
                ASSERT_EQ(scaled.height(), height);
                ASSERT_EQ(scaled.Rgb().size(), 3u * width * height) << width << "x" << height;
            }
        }
    }
    EXPECT_TRUE(ScaleImage(jpeg, 0, 10).empty());
    EXPECT_TRUE(ScaleImage(jpeg, 10, -1).empty());
    EXPECT_TRUE(ScaleImage(Image(), 10, 10).empty());
}

TEST_F(Imaging, CorruptButCompleteJpegsAreScaledAndSaidToBeDamaged) {
    // Either decoder: libjpeg for the everyday JPEG, libvips for CMYK and files over 64 MB.
    const PixelFunction red = [](int, int) { return Colour{200, 40, 40}; };
    WriteJpeg(dir / "a.jpg", 400, 300, red);
    WriteJpeg(dir / "cmyk.jpg", 400, 300, red, {.cmyk = true});
    const std::string plain = ReadFileBytes(dir / "a.jpg");
    const std::string cmyk = ReadFileBytes(dir / "cmyk.jpg");
    const std::size_t scan = plain.find("\xFF\xDA");
    const std::string padding(65 << 20, '\0');  // past the end marker: libjpeg reads no further
    const struct {
        const char* name;
        std::string bytes;
        bool damaged;
    } cases[] = {
        {"whole.jpg", plain, false},
        {"whole cmyk.jpg", cmyk, false},
        // Two stray bytes before the scan: libjpeg warns, the picture is whole all the same.
        {"stray.jpg", plain.substr(0, scan) + std::string(2, '\0') + plain.substr(scan), true},
        {"spoilt.jpg", WithCorruptScan(plain), true},
        {"spoilt cmyk.jpg", WithCorruptScan(cmyk), true},
        {"spoilt big.jpg", WithCorruptScan(plain) + padding, true},
    };
    for (const auto& c : cases) {
        WriteFileBytes(dir / c.name, c.bytes);
        testing::internal::CaptureStderr();
        const Image scaled = ScaleImage(DecodeJpeg(dir / c.name), 40, 30);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "")
            << c.name << ": the warning stays quiet";
        EXPECT_EQ(scaled.damaged(), c.damaged) << c.name;
        const std::vector<unsigned char> rgb = scaled.Rgb();
        ASSERT_EQ(rgb.size(), 40u * 30 * 3) << c.name;
        if (std::string(c.name).find("cmyk") == std::string::npos) {
            EXPECT_TRUE(Near(Colour{rgb[0], rgb[1], rgb[2]}, Colour{200, 40, 40}, 8)) << c.name;
        }
    }
}

TEST_F(Imaging, JpegsOfTooManyScansAreNotDecodedByEither) {
    WriteJpeg(dir / "p.jpg", 300, 200, kGradient, {.progressive = true});
    WriteJpeg(dir / "cmyk.jpg", 300, 200, kGradient, {.cmyk = true, .progressive = true});
    const std::string many = WithRepeatedLastScan(ReadFileBytes(dir / "p.jpg"), kMaxJpegScans);
    WriteFileBytes(dir / "many.jpg", many);
    WriteFileBytes(dir / "many cmyk.jpg",
                   WithRepeatedLastScan(ReadFileBytes(dir / "cmyk.jpg"), kMaxJpegScans));
    WriteFileBytes(dir / "many big.jpg", many + std::string(65 << 20, '\0'));
    for (const char* name : {"many.jpg", "many cmyk.jpg", "many big.jpg"}) {
        const Image opened = DecodeJpeg(dir / name);
        EXPECT_EQ(opened.width(), 300) << name << ": the header is fine";
        EXPECT_TRUE(ScaleImage(opened, 30, 20).empty()) << name;
        EXPECT_TRUE(opened.Rgb().empty()) << name;
    }
}

TEST_F(Imaging, AFileChangedAfterOpeningIsNotMisread) {
    const PixelFunction red = [](int, int) { return Colour{220, 20, 20}; };
    const PixelFunction blue = [](int, int) { return Colour{20, 20, 220}; };
    WriteJpeg(dir / "a.jpg", 400, 300, red);
    WritePng(dir / "b.png", 400, 300, red);
    // Both are read again from the disk when scaled; the change is noticed and nothing is made.
    for (const bool png : {false, true}) {
        const std::string path = dir / (png ? "b.png" : "a.jpg");
        const Image opened = png ? DecodePng(path) : DecodeJpeg(path);
        ASSERT_EQ(opened.width(), 400) << path;
        ASSERT_FALSE(ScaleImage(opened, 40, 30).empty()) << path << " before the change";
        // Replaced by a picture of another size and colour, as an editor might save it.
        if (png) {
            WritePng(path, 300, 400, blue);
        } else {
            WriteJpeg(path, 300, 400, blue);
        }
        EXPECT_TRUE(ScaleImage(opened, 40, 30).empty()) << path;
    }
}

TEST_F(Imaging, TransparencyIsLaidOverWhite) {
    // Left half transparent black, right half opaque black.
    WritePng(dir / "a.png", 40, 10, [](int, int) { return Colour{0, 0, 0}; }, {.alpha = true});
    const std::vector<unsigned char> rgb = DecodePng(dir / "a.png").Rgb();
    ASSERT_EQ(rgb.size(), 40u * 10 * 3);
    EXPECT_EQ(rgb[(5 * 40 + 2) * 3], 255);
    EXPECT_EQ(rgb[(5 * 40 + 37) * 3], 0);
}

TEST_F(Imaging, WritesTheFormatTheNameNames) {
    WritePng(dir / "src.png", 50, 40, kGradient, {.sixteenBit = true});
    const Image image = ScaleImage(DecodePng(dir / "src.png"), 25, 20);
    ASSERT_FALSE(image.empty());
    const struct {
        const char* name;
        const char* loader;  // nullptr: nothing written
    } cases[] = {
        {"a.jpg", "jpegload"}, {"b.JPEG", "jpegload"}, {"c.Png", "pngload"},
        {"d.gif", nullptr},    {"e.bmp", nullptr},     {"noextension", nullptr},
    };
    for (const auto& c : cases) {
        const std::string path = dir / c.name;
        EXPECT_EQ(WriteImage(path, image).ok(), c.loader != nullptr) << c.name;
        if (c.loader == nullptr) {
            EXPECT_FALSE(std::filesystem::exists(path)) << c.name;
            continue;
        }
        const Picture written = ReadPicture(path);
        EXPECT_EQ(written.loader, c.loader) << c.name;
        EXPECT_EQ(written.width, 25) << c.name;
        EXPECT_EQ(written.height, 20) << c.name;
    }
    EXPECT_EQ(FirstQuantValue(ReadFileBytes(dir / "a.jpg")), 8);  // quality 75
    EXPECT_EQ(WriteImage(dir / "missing/a.jpg", image).kind(), Result::Kind::NotFound);
    EXPECT_FALSE(WriteImage(dir / "empty.jpg", Image()).ok());
    EXPECT_FALSE(std::filesystem::exists(dir / "empty.jpg"));
}

TEST_F(Imaging, AFailedWriteKeepsTheOldFile) {
    WriteFileBytes(dir / "keep.jpg", "old");
    WriteFileBytes(dir / "bad.jpg", "not a picture");
    // The decode failure shows only when the pixels are needed, at the write.
    const Image image = DecodeJpeg(dir / "bad.jpg");
    EXPECT_FALSE(WriteImage(dir / "keep.jpg", image).ok());
    EXPECT_EQ(ReadFileBytes(dir / "keep.jpg"), "old");
}

}  // namespace
