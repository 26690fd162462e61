#include "media/test_images.h"

#include <gtest/gtest.h>

#include <vips/vips8>

#include <cmath>
#include <mutex>

using vips::VImage;

namespace {

void StartVips() {
    static std::once_flag once;
    std::call_once(once, [] { ASSERT_EQ(VIPS_INIT("media_tests"), 0); });
}

VImage Build(int width, int height, const PixelFunction& pixel, const PictureOptions& options) {
    StartVips();
    const int colourBands = options.grey ? 1 : options.cmyk ? 4 : 3;
    const int bands = colourBands + (options.alpha ? 1 : 0);
    std::vector<unsigned short> samples(static_cast<size_t>(width) * height * bands);
    const int scale = options.sixteenBit ? 257 : 1;
    size_t i = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Colour c = pixel(x, y);
            samples[i++] = static_cast<unsigned short>(c.r * scale);
            if (!options.grey) {
                samples[i++] = static_cast<unsigned short>(c.g * scale);
                samples[i++] = static_cast<unsigned short>(c.b * scale);
            }
            if (options.cmyk) {
                samples[i++] = 0;
            }
            if (options.alpha) {
                samples[i++] = static_cast<unsigned short>((x < width / 2 ? 0 : 255) * scale);
            }
        }
    }
    VImage image(vips_image_new_from_memory_copy(samples.data(), samples.size() * 2, width, height,
                                                 bands, VIPS_FORMAT_USHORT));
    if (options.sixteenBit) {
        image = image.copy(
            VImage::option()->set("interpretation", options.grey ? VIPS_INTERPRETATION_GREY16
                                                                 : VIPS_INTERPRETATION_RGB16));
    } else {
        image = image.cast(VIPS_FORMAT_UCHAR)
                    .copy(VImage::option()->set("interpretation",
                                                options.grey   ? VIPS_INTERPRETATION_B_W
                                                : options.cmyk ? VIPS_INTERPRETATION_CMYK
                                                               : VIPS_INTERPRETATION_sRGB));
    }
    if (options.orientation != 0) {
        image = image.copy();
        image.set(VIPS_META_ORIENTATION, options.orientation);
    }
    return image;
}

}  // namespace

const Colour kTopLeft{220, 30, 30}, kTopRight{30, 200, 30}, kBottomLeft{30, 30, 220},
    kBottomRight{240, 240, 240};

void WriteJpeg(const std::string& path, int width, int height, const PixelFunction& pixel,
               const PictureOptions& options) {
    Build(width, height, pixel, options)
        .jpegsave(
            path.c_str(),
            VImage::option()->set("Q", options.quality)->set("interlace", options.progressive));
}

void WritePng(const std::string& path, int width, int height, const PixelFunction& pixel,
              const PictureOptions& options) {
    Build(width, height, pixel, options).pngsave(path.c_str());
}

Colour Picture::At(int x, int y) const {
    const size_t i = (static_cast<size_t>(y) * width + x) * 3;
    return {rgb[i], rgb[i + 1], rgb[i + 2]};
}

Picture ReadPicture(const std::string& path) {
    StartVips();
    Picture picture;
    try {
        VImage image = VImage::new_from_file(path.c_str());
        picture.loader = image.get_string("vips-loader");
        picture.width = image.width();
        picture.height = image.height();
        picture.bands = image.bands();
        if (image.get_typeof(VIPS_META_ORIENTATION) != 0) {
            picture.orientation = image.get_int(VIPS_META_ORIENTATION);
        }
        if (image.has_alpha()) {
            image = image.flatten(VImage::option()->set("background", std::vector<double>{255}));
        }
        image = image.colourspace(VIPS_INTERPRETATION_sRGB).cast(VIPS_FORMAT_UCHAR);
        size_t size = 0;
        void* memory = image.write_to_memory(&size);
        picture.rgb.assign(static_cast<unsigned char*>(memory),
                           static_cast<unsigned char*>(memory) + size);
        g_free(memory);
        picture.loaded = true;
    } catch (const vips::VError& error) {
        vips_error_clear();
    }
    return picture;
}

Samples LoadJpegSamples(const std::string& path, int shrink) {
    StartVips();
    Samples samples;
    try {
        const VImage image =
            VImage::jpegload(path.c_str(), VImage::option()->set("shrink", shrink));
        size_t size = 0;
        void* memory = image.write_to_memory(&size);
        samples.bytes.assign(static_cast<unsigned char*>(memory),
                             static_cast<unsigned char*>(memory) + size);
        g_free(memory);
        samples.width = image.width();
        samples.height = image.height();
        samples.bands = image.bands();
    } catch (const vips::VError&) {
        vips_error_clear();
    }
    return samples;
}

Colour Quarters(int x, int y, int width, int height) {
    const bool left = x < width / 2;
    const bool top = y < height / 2;
    return top ? (left ? kTopLeft : kTopRight) : (left ? kBottomLeft : kBottomRight);
}

void WriteTurnedQuarters(const std::string& path, int orientation, int shownWidth,
                         int shownHeight) {
    // Where each stored pixel appears once shown, from the orientation's definition:
    // which side of the shown picture the stored first row and first column end up on.
    const int w = shownWidth;
    const int h = shownHeight;
    const PixelFunction stored = [=](int x, int y) {
        switch (orientation) {
            case 2:
                return Quarters(w - 1 - x, y, w, h);
            case 3:
                return Quarters(w - 1 - x, h - 1 - y, w, h);
            case 4:
                return Quarters(x, h - 1 - y, w, h);
            case 5:
                return Quarters(y, x, w, h);
            case 6:
                return Quarters(w - 1 - y, x, w, h);
            case 7:
                return Quarters(w - 1 - y, h - 1 - x, w, h);
            case 8:
                return Quarters(y, h - 1 - x, w, h);
            default:
                return Quarters(x, y, w, h);
        }
    };
    const bool sideways = orientation >= 5;
    WriteJpeg(path, sideways ? h : w, sideways ? w : h, stored, {.orientation = orientation});
}

bool Near(const Colour& a, const Colour& b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

Colour PhotoLike(int x, int y, int seed) {
    // Cheap hash noise on top of slow waves: JPEG keeps both, like leaves against sky.
    unsigned hash = static_cast<unsigned>(x) * 73856093u ^ static_cast<unsigned>(y) * 19349663u ^
                    static_cast<unsigned>(seed) * 83492791u;
    hash ^= hash >> 13;
    hash *= 0x5bd1e995u;
    hash ^= hash >> 15;
    const int noise = static_cast<int>(hash & 63) - 32;
    const double wave = std::sin((x + seed * 31) / 97.0) + std::cos((y - seed * 17) / 61.0);
    auto clamp = [](double v) { return static_cast<int>(std::fmin(255.0, std::fmax(0.0, v))); };
    return {clamp(120 + 50 * wave + noise), clamp(110 + 40 * wave - noise / 2),
            clamp(90 + 60 * std::sin(x / 150.0 + y / 210.0) + noise)};
}

void PatchJpegSize(std::string& bytes, int width, int height) {
    // Walk the marker segments after SOI up to the frame header.
    size_t i = 2;
    while (i + 9 < bytes.size() && static_cast<unsigned char>(bytes[i]) == 0xFF) {
        const auto marker = static_cast<unsigned char>(bytes[i + 1]);
        if (marker >= 0xC0 && marker <= 0xC2) {
            bytes[i + 5] = static_cast<char>(height >> 8);
            bytes[i + 6] = static_cast<char>(height & 0xFF);
            bytes[i + 7] = static_cast<char>(width >> 8);
            bytes[i + 8] = static_cast<char>(width & 0xFF);
            return;
        }
        const size_t length = static_cast<unsigned char>(bytes[i + 2]) * 256u +
                              static_cast<unsigned char>(bytes[i + 3]);
        i += 2 + length;
    }
    ADD_FAILURE() << "no frame header";
}

std::string WithRepeatedLastScan(const std::string& jpeg, int times) {
    // A scan's data never holds 0xFF 0xDA: the last such pair starts the last scan.
    const std::size_t last = jpeg.rfind("\xFF\xDA");
    const std::size_t end = jpeg.rfind("\xFF\xD9");
    if (last == std::string::npos || end == std::string::npos || end < last) {
        ADD_FAILURE() << "no scan";
        return jpeg;
    }
    std::string repeated = jpeg.substr(0, end);
    for (int i = 0; i < times; ++i) {
        repeated += jpeg.substr(last, end - last);
    }
    return repeated + "\xFF\xD9";
}

std::string WithCorruptScan(const std::string& jpeg) {
    const auto byte = [&jpeg](std::size_t i) { return static_cast<unsigned char>(jpeg[i]); };
    // The first scan's data: behind its header, up to the next marker.
    const std::size_t scan = jpeg.find("\xFF\xDA");
    if (scan == std::string::npos || scan + 4 >= jpeg.size()) {
        ADD_FAILURE() << "no scan to spoil";
        return jpeg;
    }
    const std::size_t start = scan + 2 + byte(scan + 2) * 256u + byte(scan + 3);
    std::size_t end = start;
    while (end + 1 < jpeg.size() &&
           !(byte(end) == 0xFF && byte(end + 1) != 0 && (byte(end + 1) & 0xF8) != 0xD0)) {
        ++end;
    }
    if (end < start + 40) {
        ADD_FAILURE() << "the scan is too short to spoil";
        return jpeg;
    }
    // Eight bytes of ones, each 0xFF stuffed with a zero as a scan holds it, put in place
    // of eight whole bytes in the middle (never between a 0xFF and its stuffed zero).
    std::string ones;
    for (int i = 0; i < 8; ++i) {
        ones += std::string("\xFF\x00", 2);
    }
    std::size_t at = start + (end - start) / 2;
    while (byte(at - 1) == 0xFF) {
        ++at;
    }
    std::string spoilt = jpeg;
    return spoilt.replace(at, 8, ones);
}
