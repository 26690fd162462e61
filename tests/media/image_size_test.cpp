#include "media/image_size.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>
#include <vips/vips8>

#include "media/test_images.h"
#include "support/test_support.h"

namespace {

std::string Le16(int value) {
    return {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF)};
}

std::string Be32(std::uint32_t value) {
    return {static_cast<char>(value >> 24), static_cast<char>((value >> 16) & 0xFF),
            static_cast<char>((value >> 8) & 0xFF), static_cast<char>(value & 0xFF)};
}

// Header and logical screen descriptor; tableBits 0 means no global colour table,
// n means a table of 2^n entries.
std::string GifHeader(const char* version, int width, int height, int tableBits) {
    std::string bytes = std::string("GIF") + version + Le16(width) + Le16(height);
    bytes += static_cast<char>(tableBits > 0 ? 0x80 | 0x70 | (tableBits - 1) : 0x00);
    bytes += '\0';  // background colour index
    bytes += '\0';  // aspect ratio
    if (tableBits > 0) {
        bytes += std::string(3u << tableBits, '\x7f');
    }
    return bytes;
}

std::string ImageDescriptor(int width, int height) {
    return "\x2C" + Le16(3) + Le16(4) + Le16(width) + Le16(height) + std::string(1, '\0');
}

const std::string kGraphicControl = std::string("\x21\xF9\x04\x00\x00\x00\x00\x00", 8);
const std::string kPngSignature = "\x89PNG\r\n\x1A\n";

std::string PngChunk(const std::string& type, const std::string& data) {
    return Be32(static_cast<std::uint32_t>(data.size())) + type + data + "CRC!";
}

std::string Ihdr(std::uint32_t width, std::uint32_t height) {
    return PngChunk("IHDR", Be32(width) + Be32(height) + std::string("\x08\x02\x00\x00\x00", 5));
}

std::string NotValid(const std::string& path, const std::string& kind) {
    return "Failed to get size of image '" + path + "'.\n\nIt is not a valid " + kind + " file.";
}

struct HeaderCase {
    const char* name;
    std::string bytes;
    bool ok;
    int width;
    int height;
};

class ImageSize : public ::testing::Test {
  protected:
    std::string Write(const std::string& name, const std::string& bytes) {
        WriteFileBytes(dir / name, bytes);
        return dir / name;
    }

    // Runs a header reader, alone and through GetImageSize, over files of the cases.
    void ExpectReader(bool (*reader)(const std::string&, int&, int&), const std::string& kind,
                      const std::vector<HeaderCase>& cases) {
        for (const HeaderCase& c : cases) {
            const std::string path = Write(c.name, c.bytes);
            int width = -7;
            int height = -7;
            EXPECT_EQ(reader(path, width, height), c.ok) << c.name;
            EXPECT_EQ(width, c.ok ? c.width : -7) << c.name;
            EXPECT_EQ(height, c.ok ? c.height : -7) << c.name;

            width = height = -7;
            EXPECT_EQ(GetImageSize(path, width, height).text(), c.ok ? "" : NotValid(path, kind))
                << c.name;
            EXPECT_EQ(width, c.ok ? c.width : -7) << c.name;
            EXPECT_EQ(height, c.ok ? c.height : -7) << c.name;
        }
    }

    TempDir dir;
};

TEST_F(ImageSize, GifHeaders) {
    ExpectReader(
        ReadGifSize, "GIF",
        {
            // An extension block first: the logical screen's size.
            {"control.gif",
             GifHeader("89a", 300, 200, 2) + kGraphicControl + ImageDescriptor(100, 50) + ";", true,
             300, 200},
            // No global table and the image descriptor first: the image's size.
            {"direct.gif", GifHeader("87a", 300, 200, 0) + ImageDescriptor(100, 50) + ";", true,
             100, 50},
            // The largest table (256 entries) is skipped whole.
            {"table.gif", GifHeader("89a", 640, 480, 8) + ImageDescriptor(33, 44) + ";", true, 33,
             44},
            {"wide.gif", GifHeader("89a", 40000, 7, 1) + kGraphicControl + ImageDescriptor(1, 1),
             true, 40000, 7},
            {"wideimage.gif", GifHeader("87a", 1, 1, 0) + ImageDescriptor(40000, 65535), true,
             40000, 65535},
            // The version is not checked.
            {"odd.gif", GifHeader("99z", 12, 34, 0) + kGraphicControl + ImageDescriptor(5, 6), true,
             12, 34},
            {"text.gif", "This is a text file, not a picture at all.\n", false, 0, 0},
            {"short.gif", GifHeader("89a", 10, 10, 0).substr(0, 12), false, 0, 0},
            // The table runs past the end: fewer than 10 bytes follow it.
            {"cut.gif", GifHeader("89a", 10, 10, 3).substr(0, 30), false, 0, 0},
            {"trailer.gif", GifHeader("89a", 10, 10, 1) + ";", false, 0, 0},
            {"empty.gif", "", false, 0, 0},
        });
}

TEST_F(ImageSize, PngHeaders) {
    ExpectReader(
        ReadPngSize, "PNG",
        {
            {"first.png", kPngSignature + Ihdr(640, 480) + PngChunk("IEND", ""), true, 640, 480},
            // Chunks before IHDR are skipped, whatever they hold.
            {"later.png", kPngSignature + PngChunk("tEXt", std::string(5000, 'x')) + Ihdr(7, 90000),
             true, 7, 90000},
            {"signature.png", kPngSignature.substr(0, 5), false, 0, 0},
            {"nochunks.png", kPngSignature, false, 0, 0},
            {"cuthead.png", kPngSignature + Ihdr(640, 480).substr(0, 6), false, 0, 0},
            // IHDR is counted only when the whole chunk, CRC included, is there.
            {"cutcrc.png", kPngSignature + Ihdr(640, 480).substr(0, 23), false, 0, 0},
            {"noihdr.png", kPngSignature + PngChunk("IEND", ""), false, 0, 0},
            // A forged length is skipped past the end of the file, never allocated.
            {"forged.png", kPngSignature + Be32(0xFFFFFFF0u) + "tEXt" + Ihdr(5, 5), false, 0, 0},
            {"shortihdr.png", kPngSignature + PngChunk("IHDR", Be32(5)), false, 0, 0},
            // Sizes above the largest int are not PNG sizes and must not turn negative.
            {"huge.png", kPngSignature + Ihdr(0x80000000u, 10), false, 0, 0},
            {"badsig.png", "\x89PNG\r\n\x1A\x0B" + Ihdr(640, 480), false, 0, 0},
            {"text.png", "just some text\n", false, 0, 0},
        });
}

TEST_F(ImageSize, PngWrittenByALibrary) {
    const std::string path = dir / "real.png";
    WritePng(path, 123, 45, [](int x, int y) { return Colour{x, y, 0}; }, {.alpha = true});
    int width = 0;
    int height = 0;
    EXPECT_TRUE(ReadPngSize(path, width, height));
    EXPECT_EQ(width, 123);
    EXPECT_EQ(height, 45);
}

TEST_F(ImageSize, PngTransparencyIsThatOfThePixels) {
    using vips::VImage;
    WritePng(dir / "rgb.png", 40, 30, [](int x, int y) { return Colour{x, y, 90}; });
    const VImage rgb = VImage::new_from_file((dir / "rgb.png").c_str());
    // rgb with an alpha band of value everywhere, but clear at one pixel when given.
    const auto withAlpha = [&](double value, bool clearPixel) {
        VImage alpha = (VImage::black(40, 30) + value).cast(VIPS_FORMAT_UCHAR);
        if (clearPixel) {
            alpha.draw_rect({0.0}, 17, 11, 1, 1);
        }
        return rgb.bandjoin(alpha);
    };
    const struct {
        const char* name;
        std::function<void(const std::string&)> write;
        bool transparent;
    } cases[] = {
        {"rgb.png", nullptr, false},
        {"opaque.png", [&](const std::string& p) { withAlpha(255, false).pngsave(p.c_str()); },
         false},
        {"opaque16.png",
         [&](const std::string& p) {
             withAlpha(255, false).colourspace(VIPS_INTERPRETATION_RGB16).pngsave(p.c_str());
         },
         false},
        {"greyalpha.png",
         [&](const std::string& p) {
             withAlpha(255, false).colourspace(VIPS_INTERPRETATION_B_W).pngsave(p.c_str());
         },
         false},
        {"onepixel.png", [&](const std::string& p) { withAlpha(255, true).pngsave(p.c_str()); },
         true},
        {"halfclear.png", [&](const std::string& p) { withAlpha(128, false).pngsave(p.c_str()); },
         true},
        {"palette.png",
         [&](const std::string& p) {
             withAlpha(255, true).pngsave(p.c_str(), VImage::option()->set("palette", true));
         },
         true},
        // Pixels that cannot be read whole might be clear: never flattened.
        {"cut.png",
         [&](const std::string& p) {
             withAlpha(255, false).pngsave(p.c_str());
             const std::string bytes = ReadFileBytes(p);
             WriteFileBytes(p, bytes.substr(0, bytes.size() / 2));
         },
         true},
        {"missing.png", [](const std::string&) {}, true},
    };
    for (const auto& c : cases) {
        const std::string path = dir / c.name;
        if (c.write) {
            c.write(path);
        }
        EXPECT_EQ(PngHasTransparency(path), c.transparent) << c.name;
    }
}

TEST_F(ImageSize, MissingFilesAndFoldersAreNotValid) {
    for (const char* name : {"missing.gif", "missing.png", "missing.jpg"}) {
        const std::string path = dir / name;
        int width = 5;
        int height = 5;
        EXPECT_FALSE(GetImageSize(path, width, height).ok()) << name;
    }
    ::mkdir((dir / "folder.gif").c_str(), 0777);
    ::mkdir((dir / "folder.png").c_str(), 0777);
    ::mkfifo((dir / "pipe.gif").c_str(), 0666);
    ::mkfifo((dir / "pipe.png").c_str(), 0666);
    int width = 5;
    int height = 5;
    EXPECT_FALSE(ReadGifSize(dir / "folder.gif", width, height));
    EXPECT_FALSE(ReadPngSize(dir / "folder.png", width, height));
    // A named pipe without a writer must not hang the reader.
    EXPECT_FALSE(ReadGifSize(dir / "pipe.gif", width, height));
    EXPECT_FALSE(ReadPngSize(dir / "pipe.png", width, height));
    EXPECT_EQ(width, 5);
}

TEST_F(ImageSize, ExtensionChoosesTheReader) {
    const PixelFunction grey = [](int, int) { return Colour{128, 128, 128}; };
    WriteJpeg(dir / "a.jpg", 64, 48, grey);
    const std::string jpeg = ReadFileBytes(dir / "a.jpg");
    struct Case {
        const char* name;
        std::string expected;  // "" for success with 64 x 48
    } cases[] = {
        {"a.jpg", ""},
        {"A.JPG", ""},
        {"a.Jpg", ""},
        {"a.jpeg", ""},
        {"a.JPE", ""},
        {"a.bmp", "Unrecognized image file extension 'BMP'"},
        {"noextension", "Unrecognized image file extension ''"},
        // A JPEG named .png or .gif is read by the header reader the name chooses.
        {"a.png", "PNG"},
        {"a.gif", "GIF"},
    };
    for (const Case& c : cases) {
        const std::string path = Write(c.name, jpeg);
        int width = -1;
        int height = -1;
        const std::string expected =
            c.expected == "PNG" || c.expected == "GIF" ? NotValid(path, c.expected) : c.expected;
        EXPECT_EQ(GetImageSize(path, width, height).text(), expected) << c.name;
        if (c.expected.empty()) {
            EXPECT_EQ(width, 64) << c.name;
            EXPECT_EQ(height, 48) << c.name;
        } else {
            EXPECT_EQ(width, -1) << c.name;  // not written
        }
    }
}

TEST_F(ImageSize, BadJpegsGiveTheMessageAndZeroSizes) {
    WriteJpeg(dir / "good.jpg", 640, 480, [](int x, int) { return Colour{x % 256, 0, 0}; });
    const std::string good = ReadFileBytes(dir / "good.jpg");
    std::string absurd = good;
    PatchJpegSize(absurd, 65535, 65535);
    WritePng(dir / "real.png", 10, 10, [](int, int) { return Colour{}; });
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"text.jpg", "Not a JPEG, just words.\n"},    {"empty.jpg", ""},
        {"header.jpg", good.substr(0, 20)},           {"absurd.jpg", absurd},
        {"png.jpg", ReadFileBytes(dir / "real.png")},
    };
    for (const auto& c : cases) {
        const std::string path = Write(c.name, c.bytes);
        int width = 9;
        int height = 9;
        const Result measured = GetImageSize(path, width, height);
        EXPECT_EQ(measured.text(), NotValid(path, "JPG")) << c.name;
        EXPECT_EQ(measured.kind(), Result::Kind::DamagedInput) << c.name;
        EXPECT_EQ(width, 0) << c.name;
        EXPECT_EQ(height, 0) << c.name;
    }
}

TEST_F(ImageSize, TurnedJpegsReportTheSizeAsShown) {
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const std::string path = dir / ("turned" + std::to_string(orientation) + ".jpg");
        WriteJpeg(path, 80, 30,
                  [](int, int) {
                      return Colour{50, 60, 70};
                  },
                  {.orientation = orientation});
        int width = 0;
        int height = 0;
        EXPECT_TRUE(GetImageSize(path, width, height).ok()) << orientation;
        const bool sideways = orientation >= 5;
        EXPECT_EQ(width, sideways ? 30 : 80) << orientation;
        EXPECT_EQ(height, sideways ? 80 : 30) << orientation;
    }
}

}  // namespace
