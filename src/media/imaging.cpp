#include "media/imaging.h"

#include <vips/vips8>

#include <algorithm>
#include <exception>
#include <memory>
#include <mutex>
#include <utility>

#include "platform/files.h"
#include "platform/paths.h"

using vips::VImage;
using vips::VOption;

namespace {

std::once_flag startOnce;
bool started = false;

void DropMessage(const char*, GLogLevelFlags, const char*, void*) {}

// Starts libvips on first use. False when it could not start; every operation then fails.
bool Started() {
    std::call_once(startOnce, [] {
        if (VIPS_INIT("mavren") != 0) {
            vips_error_clear();
            return;
        }
        vips_concurrency_set(1);
        vips_cache_set_max(0);
        // Corrupt files are reported by their result; libjpeg's complaints would only
        // clutter the terminal of a command-line run.
        g_log_set_handler("VIPS", G_LOG_LEVEL_WARNING, DropMessage, nullptr);
        started = true;
    });
    return started;
}

enum class FileKind { Jpeg, Png };

// EXIF orientation of a loaded JPEG: 1 (upright) to 8; anything else counts as 1.
int OrientationOf(const VImage& image) {
    if (image.get_typeof(VIPS_META_ORIENTATION) == 0) {
        return 1;
    }
    const int value = image.get_int(VIPS_META_ORIENTATION);
    return value >= 1 && value <= 8 ? value : 1;
}

// Orientations 5 to 8 lie on their side: the shown width is the stored height.
bool TurnsSideways(int orientation) {
    return orientation >= 5;
}

// Opens a file with the loader of its kind alone, so a file named .jpg that holds
// something else is refused, whatever libvips could make of it. Throws on failure.
VImage Load(const std::string& path, FileKind kind, int shrink) {
    VOption* options = VImage::option()
                           ->set("access", VIPS_ACCESS_SEQUENTIAL)
                           ->set("fail_on", VIPS_FAIL_ON_TRUNCATED);
    if (kind == FileKind::Jpeg) {
        if (shrink > 1) {
            options->set("shrink", shrink);
        }
        return VImage::jpegload(path.c_str(), options);
    }
    return VImage::pngload(path.c_str(), options);
}

// A file's header, refused over the pixel limit, with the EXIF orientation of a JPEG (a
// PNG's is left alone, as its size comes from the IHDR chunk). Throws on failure.
struct Header {
    VImage image;
    int orientation = 1;
};

Header OpenChecked(const std::string& path, FileKind kind) {
    Header header{Load(path, kind, 1)};
    if (static_cast<long long>(header.image.width()) * header.image.height() > kMaxDecodePixels) {
        throw vips::VError("too many pixels");
    }
    if (kind == FileKind::Jpeg) {
        header.orientation = OrientationOf(header.image);
    }
    return header;
}

// Turns stored pixels the way an EXIF orientation says, so they come out upright.
VImage Upright(VImage image, int orientation) {
    switch (orientation) {
        case 2:
            return image.flip(VIPS_DIRECTION_HORIZONTAL);
        case 3:
            return image.rot(VIPS_ANGLE_D180);
        case 4:
            return image.flip(VIPS_DIRECTION_VERTICAL);
        case 5:
            return image.rot(VIPS_ANGLE_D90).flip(VIPS_DIRECTION_HORIZONTAL);
        case 6:
            return image.rot(VIPS_ANGLE_D90);
        case 7:
            return image.rot(VIPS_ANGLE_D270).flip(VIPS_DIRECTION_HORIZONTAL);
        case 8:
            return image.rot(VIPS_ANGLE_D270);
        default:
            return image;
    }
}

double MaxAlpha(const VImage& image) {
    return image.format() == VIPS_FORMAT_USHORT ? 65535.0 : 255.0;
}

// Scales to exactly width by height. Colour is weighted by transparency while scaling, so
// transparent pixels do not bleed their hidden colour into the edges.
VImage ResizeExactly(VImage image, int width, int height) {
    const bool alpha = image.has_alpha();
    const VipsBandFormat format = image.format();
    const double maxAlpha = MaxAlpha(image);
    if (alpha) {
        image = image.premultiply(VImage::option()->set("max_alpha", maxAlpha));
    }
    const double hscale = static_cast<double>(width) / image.width();
    const double vscale = static_cast<double>(height) / image.height();
    // The filter does the whole reduction up to a factor of 4; beyond that a box shrink
    // comes first. Smaller box shrinks cost more than they save on the small pictures the
    // scaled JPEG decode leaves.
    image = image.resize(hscale, VImage::option()->set("vscale", vscale)->set("gap", 4.0));
    if (alpha) {
        image = image.unpremultiply(VImage::option()->set("max_alpha", maxAlpha)).cast(format);
    }
    // Rounding inside the resampler can leave the result a pixel off; trim or repeat the edge.
    if (image.width() > width || image.height() > height) {
        image = image.crop(0, 0, std::min(width, image.width()), std::min(height, image.height()));
    }
    if (image.width() < width || image.height() < height) {
        image = image.embed(0, 0, width, height, VImage::option()->set("extend", VIPS_EXTEND_COPY));
    }
    return image;
}

// Reduction left to the resampler after libjpeg's scaled decode: at least 2, so the
// final filter still has pixels to average.
int JpegShrinkFor(const VImage& header, int storedWidth, int storedHeight) {
    const double factor = std::min(static_cast<double>(header.width()) / storedWidth,
                                   static_cast<double>(header.height()) / storedHeight);
    for (int shrink : {8, 4, 2}) {
        if (factor >= 2.0 * shrink) {
            return shrink;
        }
    }
    return 1;
}

// 8-bit sRGB or grey for writing or showing: 16-bit pictures are brought down and CMYK
// converted, so every result reads the same way in a browser.
VImage EightBit(VImage image) {
    switch (image.interpretation()) {
        case VIPS_INTERPRETATION_RGB16:
        case VIPS_INTERPRETATION_CMYK:
            image = image.colourspace(VIPS_INTERPRETATION_sRGB);
            break;
        case VIPS_INTERPRETATION_GREY16:
            image = image.colourspace(VIPS_INTERPRETATION_B_W);
            break;
        default:
            break;
    }
    if (image.format() != VIPS_FORMAT_UCHAR) {
        image = image.cast(VIPS_FORMAT_UCHAR);
    }
    return image;
}

VImage OnWhite(VImage image) {
    if (image.has_alpha()) {
        image = image.flatten(VImage::option()->set("background", std::vector<double>{255.0}));
    }
    return image;
}

// Runs one libvips step; its exceptions become a false result and the error buffer,
// which libvips shares between threads and never empties itself, is cleared.
template <typename Step>
bool Attempt(Step&& step) {
    if (!Started()) {
        return false;
    }
    try {
        step();
        return true;
    } catch (const std::exception&) {
        vips_error_clear();
        return false;
    }
}

}  // namespace

// Either a file whose header has been checked, read again when its pixels are needed, or
// upright pixels in memory.
struct Image::Pixels {
    std::string path;  // empty for pixels in memory
    FileKind kind = FileKind::Jpeg;
    VImage image;  // in memory; unused for a file
    int width = 0;
    int height = 0;

    // The whole picture, upright. Throws on failure.
    VImage Decoded() const {
        if (path.empty()) {
            return image;
        }
        const Header header = OpenChecked(path, kind);
        return Upright(header.image.copy_memory(), header.orientation);
    }
};

struct ImagingAccess {
    static Image Make(std::unique_ptr<Image::Pixels> pixels) { return Image(std::move(pixels)); }
    static const Image::Pixels* Get(const Image& image) { return image.pixels.get(); }
};

Image::Image() = default;
Image::~Image() = default;
Image::Image(Image&& other) noexcept = default;
Image& Image::operator=(Image&& other) noexcept = default;
Image::Image(std::unique_ptr<Pixels> pixels) : pixels(std::move(pixels)) {}

int Image::width() const {
    return pixels ? pixels->width : 0;
}

int Image::height() const {
    return pixels ? pixels->height : 0;
}

std::vector<unsigned char> Image::Rgb() const {
    std::vector<unsigned char> rgb;
    if (!pixels) {
        return rgb;
    }
    Attempt([&] {
        VImage image = OnWhite(EightBit(pixels->Decoded()));
        if (image.bands() == 1) {
            image = VImage::bandjoin({image, image, image});
        }
        if (image.bands() != 3) {
            throw vips::VError("not an RGB picture");
        }
        size_t size = 0;
        const std::unique_ptr<void, void (*)(void*)> memory(image.write_to_memory(&size), g_free);
        const auto* bytes = static_cast<const unsigned char*>(memory.get());
        rgb.assign(bytes, bytes + size);
    });
    return rgb;
}

void InitImaging() {
    Started();
}

bool ReadJpegSize(const std::string& path, int& width, int& height) {
    int storedWidth = 0;
    int storedHeight = 0;
    int orientation = 1;
    const bool read = Attempt([&] {
        const VImage header = Load(path, FileKind::Jpeg, 1);
        storedWidth = header.width();
        storedHeight = header.height();
        orientation = OrientationOf(header);
    });
    if (!read) {
        return false;
    }
    width = TurnsSideways(orientation) ? storedHeight : storedWidth;
    height = TurnsSideways(orientation) ? storedWidth : storedHeight;
    return true;
}

namespace {

Image OpenFile(const std::string& path, FileKind kind) {
    auto pixels = std::make_unique<Image::Pixels>();
    const bool opened = Attempt([&] {
        const Header header = OpenChecked(path, kind);
        const bool sideways = TurnsSideways(header.orientation);
        pixels->width = sideways ? header.image.height() : header.image.width();
        pixels->height = sideways ? header.image.width() : header.image.height();
    });
    if (!opened) {
        return Image();
    }
    pixels->path = path;
    pixels->kind = kind;
    return ImagingAccess::Make(std::move(pixels));
}

// Decodes a file straight to the size wanted: libjpeg skips most of the work at a reduced
// scale, and the small result is turned upright once it is in memory.
VImage ScaledFromFile(const Image::Pixels& file, int width, int height) {
    const Header header = OpenChecked(file.path, file.kind);
    const bool sideways = TurnsSideways(header.orientation);
    const int storedWidth = sideways ? height : width;
    const int storedHeight = sideways ? width : height;
    const int shrink =
        file.kind == FileKind::Jpeg ? JpegShrinkFor(header.image, storedWidth, storedHeight) : 1;
    const VImage source = shrink > 1 ? Load(file.path, file.kind, shrink) : header.image;
    return Upright(ResizeExactly(source, storedWidth, storedHeight).copy_memory(),
                   header.orientation);
}

}  // namespace

Image DecodeJpeg(const std::string& path) {
    return OpenFile(path, FileKind::Jpeg);
}

Image DecodePng(const std::string& path) {
    return OpenFile(path, FileKind::Png);
}

Image ScaleImage(const Image& image, int width, int height) {
    const Image::Pixels* source = ImagingAccess::Get(image);
    if (source == nullptr || width < 1 || height < 1) {
        return Image();
    }
    auto scaled = std::make_unique<Image::Pixels>();
    const bool done = Attempt([&] {
        scaled->image = source->path.empty()
                            ? ResizeExactly(source->image, width, height).copy_memory()
                            : ScaledFromFile(*source, width, height);
        if (scaled->image.width() != width || scaled->image.height() != height) {
            throw vips::VError("scaled to the wrong size");
        }
    });
    if (!done) {
        return Image();
    }
    scaled->width = width;
    scaled->height = height;
    return ImagingAccess::Make(std::move(scaled));
}

bool WriteImage(const std::string& path, const Image& image) {
    const Image::Pixels* pixels = ImagingAccess::Get(image);
    const std::string extension = PathExtension(path);
    const bool jpeg = extension == "JPG" || extension == "JPEG";
    if (pixels == nullptr || (!jpeg && extension != "PNG")) {
        return false;
    }
    std::string encoded;
    const bool made = Attempt([&] {
        VImage picture = EightBit(pixels->Decoded());
        VipsBlob* blob = nullptr;
        if (jpeg) {
            blob = OnWhite(picture).jpegsave_buffer(
                VImage::option()->set("Q", 75)->set("strip", true)->set("optimize_coding", true));
        } else {
            blob = picture.pngsave_buffer(VImage::option()->set("strip", true));
        }
        const std::unique_ptr<VipsBlob, void (*)(VipsBlob*)> owned(
            blob, [](VipsBlob* area) { vips_area_unref(VIPS_AREA(area)); });
        size_t size = 0;
        const void* data = vips_blob_get(owned.get(), &size);
        encoded.assign(static_cast<const char*>(data), size);
    });
    return made && ReplaceFileContents(path, encoded, false).ok();
}
