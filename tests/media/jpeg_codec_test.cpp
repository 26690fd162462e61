#include "media/jpeg_codec.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>
#include <vips/vips8>

#include "media/test_images.h"
#include "support/run_program.h"
#include "support/test_support.h"

namespace {

// Data refused as damaged: a failure of kind DamagedInput, where the others are outcomes.
constexpr std::optional<JpegDecodeResult> kRefused;

// What a decode or check said: its outcome, or kRefused (any other failure fails the test).
std::optional<JpegDecodeResult> Outcome(const Expected<JpegDecodeResult>& said) {
    if (said.ok()) {
        return *said;
    }
    EXPECT_EQ(said.failure().kind(), Result::Kind::DamagedInput) << said.failure().text();
    return kRefused;
}

class JpegCodec : public ::testing::Test {
  protected:
    // Decodes a file's bytes as DecodeJpegData does.
    std::optional<JpegDecodeResult> Decode(const std::string& bytes, int shrink, Raster& raster,
                                           long long maxPixels = 100'000'000) {
        return Outcome(DecodeJpegData(reinterpret_cast<const unsigned char*>(bytes.data()),
                                      bytes.size(), shrink, maxPixels, raster));
    }

    TempDir dir;
};

const PixelFunction kPhoto = [](int x, int y) { return PhotoLike(x, y, 5); };

TEST_F(JpegCodec, DecodesTheSamePixelsAsTheGeneralLoaderAtEveryScale) {
    // Both paths must agree, to the byte and in size: a picture can go either way.
    const struct {
        const char* name;
        int width, height;
        PictureOptions options;
    } cases[] = {
        {"photo.jpg", 640, 480, {}},
        {"odd.jpg", 333, 211, {}},                      // partial blocks at the edges
        {"subsampled.jpg", 301, 199, {.quality = 75}},  // chroma at half size
        {"grey.jpg", 250, 170, {.grey = true}},
        {"progressive.jpg", 260, 180, {.progressive = true}},
        {"tiny.jpg", 9, 17, {}},
    };
    for (const auto& c : cases) {
        const std::string path = dir / c.name;
        WriteJpeg(path, c.width, c.height, kPhoto, c.options);
        const std::string bytes = ReadFileBytes(path);
        for (int shrink : {1, 2, 4, 8}) {
            const Samples expected = LoadJpegSamples(path, shrink);
            Raster raster;
            if (expected.width == 0 || expected.height == 0) {
                EXPECT_EQ(Decode(bytes, shrink, raster), JpegDecodeResult::NotDecoded)
                    << c.name << " 1/" << shrink;
                continue;
            }
            ASSERT_EQ(Decode(bytes, shrink, raster), JpegDecodeResult::Decoded)
                << c.name << " 1/" << shrink;
            EXPECT_EQ(raster.width, expected.width) << c.name << " 1/" << shrink;
            EXPECT_EQ(raster.height, expected.height) << c.name << " 1/" << shrink;
            EXPECT_EQ(raster.bands, expected.bands) << c.name << " 1/" << shrink;
            EXPECT_TRUE(raster.samples == expected.bytes) << c.name << " 1/" << shrink;
        }
    }
}

// The data with two stray bytes before the start of the scan, which libjpeg warns about.
std::string WithStrayBytes(const std::string& jpeg) {
    const std::size_t scan = jpeg.find("\xFF\xDA");
    return jpeg.substr(0, scan) + std::string(2, '\0') + jpeg.substr(scan);
}

TEST_F(JpegCodec, RefusesWhatItDoesNotDecodeExactly) {
    WriteJpeg(dir / "good.jpg", 200, 100, kPhoto);
    WriteJpeg(dir / "cmyk.jpg", 200, 100, kPhoto, {.cmyk = true});
    WriteJpeg(dir / "progressive.jpg", 200, 100, kPhoto, {.progressive = true});
    WritePng(dir / "a.png", 20, 10, kPhoto);
    const std::string good = ReadFileBytes(dir / "good.jpg");
    const std::string progressive = ReadFileBytes(dir / "progressive.jpg");
    std::string huge = good;
    PatchJpegSize(huge, 20000, 10000);
    constexpr auto kNotDecoded = JpegDecodeResult::NotDecoded;
    const struct {
        const char* name;
        std::string bytes;
        int shrink;
        long long maxPixels;
        std::optional<JpegDecodeResult> result;
    } cases[] = {
        {"truncated", good.substr(0, good.size() * 2 / 3), 1, 100'000'000, kRefused},
        {"truncated, scaled", good.substr(0, good.size() * 2 / 3), 8, 100'000'000, kRefused},
        {"no end marker", good.substr(0, good.size() - 2), 1, 100'000'000, kRefused},
        {"too many scans", WithRepeatedLastScan(progressive, kMaxJpegScans), 8, 100'000'000,
         kRefused},
        {"CMYK", ReadFileBytes(dir / "cmyk.jpg"), 1, 100'000'000, kNotDecoded},
        {"PNG", ReadFileBytes(dir / "a.png"), 1, 100'000'000, kNotDecoded},
        {"text", "not a picture", 1, 100'000'000, kNotDecoded},
        {"empty", "", 1, 100'000'000, kNotDecoded},
        {"over the pixel limit", huge, 8, 100'000'000, kNotDecoded},
        {"over a lower limit", good, 1, 200 * 100 - 1, kNotDecoded},
        {"a scale libjpeg has no fast path for", good, 3, 100'000'000, kNotDecoded},
    };
    for (const auto& c : cases) {
        Raster raster{1, 1, 1, {7}};
        EXPECT_EQ(Decode(c.bytes, c.shrink, raster, c.maxPixels), c.result) << c.name;
        EXPECT_EQ(raster.samples, std::vector<unsigned char>{7}) << c.name << ": raster changed";
    }
    Raster raster;
    EXPECT_EQ(Decode(good, 1, raster, 200 * 100), JpegDecodeResult::Decoded) << "at the limit";
}

TEST_F(JpegCodec, CorruptButCompleteDataIsDecodedPastAndSaidToBeDamaged) {
    WriteJpeg(dir / "good.jpg", 400, 300, kPhoto);
    WriteJpeg(dir / "progressive.jpg", 200, 100, kPhoto, {.progressive = true});
    const std::string good = ReadFileBytes(dir / "good.jpg");
    const std::string progressive = ReadFileBytes(dir / "progressive.jpg");
    const struct {
        const char* name;
        std::string bytes;
        int width, height;
    } cases[] = {
        {"stray bytes", WithStrayBytes(good), 200, 150},
        {"a spoilt scan", WithCorruptScan(good), 200, 150},
        // Repeated scans make no sense to libjpeg, but stay below the limit.
        {"many scans", WithRepeatedLastScan(progressive, kMaxJpegScans - 20), 100, 50},
    };
    for (const auto& c : cases) {
        Raster raster;
        EXPECT_EQ(Decode(c.bytes, 2, raster), JpegDecodeResult::Damaged) << c.name;
        EXPECT_EQ(raster.width, c.width) << c.name;
        EXPECT_EQ(raster.height, c.height) << c.name;
        EXPECT_EQ(raster.samples.size(), 3u * c.width * c.height) << c.name;
    }
}

TEST_F(JpegCodec, ACheckReadsAnyJpegThroughAndSaysWhatItMet) {
    WriteJpeg(dir / "good.jpg", 200, 100, kPhoto);
    WriteJpeg(dir / "cmyk.jpg", 200, 100, kPhoto, {.cmyk = true, .progressive = true});
    const std::string good = ReadFileBytes(dir / "good.jpg");
    const std::string cmyk = ReadFileBytes(dir / "cmyk.jpg");
    const struct {
        const char* name;
        std::string bytes;
        std::optional<JpegDecodeResult> result;
    } cases[] = {
        {"good.jpg", good, JpegDecodeResult::Decoded},
        {"cmyk.jpg", cmyk, JpegDecodeResult::Decoded},
        {"spoilt.jpg", WithCorruptScan(good), JpegDecodeResult::Damaged},
        {"spoilt cmyk.jpg", WithCorruptScan(cmyk), JpegDecodeResult::Damaged},
        {"cut.jpg", good.substr(0, good.size() / 2), kRefused},
        {"many scans.jpg", WithRepeatedLastScan(cmyk, kMaxJpegScans), kRefused},
        {"text.jpg", "not a picture", JpegDecodeResult::NotDecoded},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Outcome(CheckJpegData(reinterpret_cast<const unsigned char*>(c.bytes.data()),
                                        c.bytes.size())),
                  c.result)
            << c.name;
        WriteFileBytes(dir / c.name, c.bytes);
        EXPECT_EQ(Outcome(CheckJpegFile(dir / c.name)), c.result) << c.name << " from the file";
    }
    const Expected<JpegDecodeResult> missing = CheckJpegFile(dir / "missing.jpg");
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.failure().kind(), Result::Kind::NotFound);
}

TEST_F(JpegCodec, EncodesWhatDecodesBackAtQuality) {
    for (int bands : {1, 3}) {
        Raster raster{90, 60, bands, {}};
        for (int y = 0; y < raster.height; ++y) {
            for (int x = 0; x < raster.width; ++x) {
                const Colour colour{x * 2, y * 3, 200 - x};
                raster.samples.push_back(static_cast<unsigned char>(colour.r));
                if (bands == 3) {
                    raster.samples.push_back(static_cast<unsigned char>(colour.g));
                    raster.samples.push_back(static_cast<unsigned char>(colour.b));
                }
            }
        }
        std::string encoded;
        ASSERT_TRUE(EncodeJpegData(raster, 75, encoded)) << bands;
        EXPECT_EQ(encoded.find("Exif"), std::string::npos) << "no metadata";
        const std::string path = dir / ("out" + std::to_string(bands) + ".jpg");
        WriteFileBytes(path, encoded);
        const Samples written = LoadJpegSamples(path, 1);
        ASSERT_EQ(written.width, 90) << bands;
        ASSERT_EQ(written.height, 60) << bands;
        ASSERT_EQ(written.bands, bands);
        double error = 0;
        for (std::size_t i = 0; i < raster.samples.size(); ++i) {
            error += std::abs(written.bytes[i] - raster.samples[i]);
        }
        // Smooth shading survives quality 75 closely; swapped bands or shifted rows would not.
        EXPECT_LT(error / raster.samples.size(), 3) << bands;
        // Quality 100 keeps much more.
        std::string best;
        ASSERT_TRUE(EncodeJpegData(raster, 100, best));
        EXPECT_GT(best.size(), encoded.size() * 3 / 2) << bands;
    }
    std::string untouched = "old";
    EXPECT_FALSE(EncodeJpegData(Raster(), 75, untouched));
    EXPECT_FALSE(EncodeJpegData(Raster{2, 2, 4, std::vector<unsigned char>(16)}, 75, untouched));
    EXPECT_FALSE(EncodeJpegData(Raster{2, 2, 3, std::vector<unsigned char>(11)}, 75, untouched));
    EXPECT_EQ(untouched, "old");
}

TEST_F(JpegCodec, DecodesAtAnyNumberOfEighths) {
    // Quarters of flat colour, odd sizes: each scale keeps the picture, not just its size.
    const std::string path = dir / "quarters.jpg";
    WriteJpeg(path, 333, 211, [](int x, int y) { return Quarters(x, y, 333, 211); });
    const std::string bytes = ReadFileBytes(path);
    for (int eighths = 1; eighths <= 8; ++eighths) {
        Raster raster;
        ASSERT_EQ(
            Outcome(DecodeJpegDataInEighths(reinterpret_cast<const unsigned char*>(bytes.data()),
                                            bytes.size(), eighths, 100'000'000, raster)),
            JpegDecodeResult::Decoded)
            << eighths;
        EXPECT_EQ(raster.width, 333 * eighths / 8) << eighths;
        EXPECT_EQ(raster.height, 211 * eighths / 8) << eighths;
        const auto at = [&raster](int x, int y) {
            const unsigned char* pixel =
                raster.samples.data() + (static_cast<std::size_t>(y) * raster.width + x) * 3;
            return Colour{pixel[0], pixel[1], pixel[2]};
        };
        EXPECT_TRUE(Near(at(2, 2), kTopLeft)) << eighths;
        EXPECT_TRUE(Near(at(raster.width - 3, raster.height - 3), kBottomRight)) << eighths;
    }
    Raster untouched;
    EXPECT_EQ(Outcome(DecodeJpegDataInEighths(reinterpret_cast<const unsigned char*>(bytes.data()),
                                              bytes.size(), 9, 100'000'000, untouched)),
              JpegDecodeResult::NotDecoded);
}

TEST_F(JpegCodec, HeaderTellsOrientationCameraDataAndColourProfile) {
    const std::string plain = dir / "plain.jpg";
    WriteJpeg(plain, 40, 30, kPhoto);
    ASSERT_EQ(RunProgram("/usr/bin/exiftool", {"-q", "-overwrite_original", "-all=", plain}).status,
              0);
    const struct {
        const char* name;
        std::vector<std::string> tags;  // exiftool assignments
        int orientation;
        bool cameraData;
    } cases[] = {
        {"plain.jpg", {}, 1, false},
        {"intel.jpg", {"-ExifByteOrder=II", "-Orientation#=6"}, 6, true},
        {"motorola.jpg", {"-ExifByteOrder=MM", "-Orientation#=8"}, 8, true},
        {"invalid.jpg", {"-Orientation#=9"}, 1, true},
        {"xmp.jpg", {"-XMP-dc:Description=Harbour"}, 1, true},
        {"iptc.jpg", {"-IPTC:Caption-Abstract=Harbour"}, 1, true},
    };
    for (const auto& c : cases) {
        const std::string path = dir / c.name;
        if (!c.tags.empty()) {
            std::vector<std::string> arguments = {"-q", "-o", path};
            arguments.insert(arguments.end(), c.tags.begin(), c.tags.end());
            arguments.push_back(plain);
            ASSERT_EQ(RunProgram("/usr/bin/exiftool", arguments).status, 0) << c.name;
        }
        const Expected<JpegHeader> header = ReadJpegHeaderFile(path);
        ASSERT_TRUE(header.ok()) << c.name << ": " << header.failure().text();
        EXPECT_EQ(header->width, 40) << c.name;
        EXPECT_EQ(header->height, 30) << c.name;
        EXPECT_TRUE(header->plain) << c.name;
        EXPECT_EQ(header->orientation, c.orientation) << c.name;
        EXPECT_EQ(header->cameraData, c.cameraData) << c.name;
        EXPECT_TRUE(header->iccProfile.empty()) << c.name;
    }
    // A colour profile, read whole; the same header from the bytes in memory.
    const std::string profiled = dir / "p3.jpg";
    vips::VImage::new_from_file(plain.c_str())
        .icc_transform("p3", vips::VImage::option()->set("input_profile", "srgb"))
        .write_to_file(profiled.c_str());
    const std::string bytes = ReadFileBytes(profiled);
    const Expected<JpegHeader> header =
        ReadJpegHeaderData(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    ASSERT_TRUE(header.ok()) << header.failure().text();
    ASSERT_GT(header->iccProfile.size(), 128u);           // an ICC header at least
    EXPECT_EQ(header->iccProfile.substr(36, 4), "acsp");  // the signature of every ICC profile
    // A file that is not there fails as the system said; one that is no JPEG as damaged.
    WriteFileBytes(dir / "text.jpg", "not a picture");
    const struct {
        const char* name;
        Result::Kind kind;
    } failures[] = {
        {"missing.jpg", Result::Kind::NotFound},
        {"text.jpg", Result::Kind::DamagedInput},
    };
    for (const auto& f : failures) {
        const Expected<JpegHeader> failed = ReadJpegHeaderFile(dir / f.name);
        ASSERT_FALSE(failed.ok()) << f.name;
        EXPECT_EQ(failed.failure().kind(), f.kind) << f.name;
    }
}

}  // namespace
