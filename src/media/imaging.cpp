#include "media/imaging.h"

#include <vips/vips8>

#include <algorithm>
#include <exception>
#include <memory>
#include <mutex>
#include <utility>

#include "media/image_size.h"
#include "media/jpeg_codec.h"
#include "media/raster.h"
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

VOption* LoadOptions(int shrink) {
    VOption* options = VImage::option()
                           ->set("access", VIPS_ACCESS_SEQUENTIAL)
                           ->set("fail_on", VIPS_FAIL_ON_TRUNCATED);
    if (shrink > 1) {
        options->set("shrink", shrink);
    }
    return options;
}

// Opens a file with the loader of its kind alone, so a file named .jpg that holds
// something else is refused, whatever libvips could make of it. Throws on failure.
VImage Load(const std::string& path, FileKind kind, int shrink) {
    if (kind == FileKind::Jpeg) {
        return VImage::jpegload(path.c_str(), LoadOptions(shrink));
    }
    return VImage::pngload(path.c_str(), LoadOptions(1));
}

// Larger files are decoded from the disk as they are read, so that a few threads at work
// on huge pictures do not hold them all in memory. Smaller ones are read whole with one
// read() rather than the decoder's many small ones.
constexpr std::size_t kMaxHeldBytes = 64 << 20;

// The JPEG loader alone over bytes in memory, which must outlive the image. Throws on
// failure.
VImage LoadJpeg(const std::string& bytes, int shrink) {
    return VImage::jpegload_source(vips::VSource::new_from_memory(bytes.data(), bytes.size()),
                                   LoadOptions(shrink));
}

void CheckPixelLimit(const VImage& image) {
    if (static_cast<long long>(image.width()) * image.height() > kMaxDecodePixels) {
        throw vips::VError("too many pixels");
    }
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
int JpegShrinkFor(int fullWidth, int fullHeight, int storedWidth, int storedHeight) {
    const double factor = std::min(static_cast<double>(fullWidth) / storedWidth,
                                   static_cast<double>(fullHeight) / storedHeight);
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

// Either a file whose header has been checked, decoded when its pixels are needed, or
// upright pixels in memory: 8-bit grey or RGB ones from libjpeg in a Raster, any other in
// a VImage.
struct Image::Pixels {
    // A file
    std::string path;  // empty for pixels in memory
    FileKind kind = FileKind::Jpeg;
    std::string bytes;     // a JPEG's bytes, when held
    bool held = false;     // decoded from bytes rather than from the file
    bool damaged = false;  // corrupt data was decoded past
    bool plain = false;    // 8-bit grey or colour: libjpeg may decode it alone
    int orientation = 1;   // EXIF orientation of a JPEG
    int storedWidth = 0;   // the file's pixels, before turning
    int storedHeight = 0;
    // In memory
    VImage image;
    Raster raster;

    int width = 0;
    int height = 0;

    // The file's pixels at 1/shrink of their stored size, not turned. Throws on failure,
    // also when the file no longer has the size its header had. libvips reads past
    // corrupt data without a word and cannot be stopped after many scans, so a JPEG is
    // read through by libjpeg first: one that is cut short or of too many scans throws,
    // and damaged, when given, says whether it holds corrupt data.
    VImage LoadPixels(int shrink, bool* damaged = nullptr) const {
        if (kind == FileKind::Jpeg) {
            const JpegDecodeResult check =
                held ? CheckJpegData(reinterpret_cast<const unsigned char*>(bytes.data()),
                                     bytes.size())
                     : CheckJpegFile(path);
            if (check == JpegDecodeResult::Refused) {
                throw vips::VError("damaged");
            }
            if (damaged != nullptr) {
                *damaged = check == JpegDecodeResult::Damaged;
            }
        }
        VImage loaded = held ? LoadJpeg(bytes, shrink) : Load(path, kind, shrink);
        if (loaded.width() != storedWidth / shrink || loaded.height() != storedHeight / shrink) {
            throw vips::VError("the file has changed");
        }
        return loaded;
    }

    // The whole picture, upright. Throws on failure.
    VImage Decoded() const {
        if (!path.empty()) {
            return Upright(LoadPixels(1).copy_memory(), orientation);
        }
        if (!raster.empty()) {
            // Borrows the raster's samples: the image must not outlive this object.
            return VImage::new_from_memory(const_cast<unsigned char*>(raster.samples.data()),
                                           raster.samples.size(), raster.width, raster.height,
                                           raster.bands, VIPS_FORMAT_UCHAR)
                .copy(VImage::option()->set("interpretation", raster.bands == 1
                                                                  ? VIPS_INTERPRETATION_B_W
                                                                  : VIPS_INTERPRETATION_sRGB));
        }
        return image;
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

bool Image::damaged() const {
    return pixels && pixels->damaged;
}

std::vector<unsigned char> Image::Rgb() const {
    std::vector<unsigned char> rgb;
    if (!pixels) {
        return rgb;
    }
    const Raster& raster = pixels->raster;
    if (raster.bands == 3) {
        return raster.samples;
    }
    if (raster.bands == 1) {
        rgb.reserve(raster.samples.size() * 3);
        for (const unsigned char grey : raster.samples) {
            rgb.insert(rgb.end(), 3, grey);
        }
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
    pixels->path = path;
    pixels->kind = kind;
    if (kind == FileKind::Jpeg) {
        const ReadBytesResult held = ReadFileBytes(path, kMaxHeldBytes, pixels->bytes);
        if (held == ReadBytesResult::Failed) {
            return Image();
        }
        pixels->held = held == ReadBytesResult::Read;
    }
    const bool opened = Attempt([&] {
        const VImage header = pixels->held ? LoadJpeg(pixels->bytes, 1) : Load(path, kind, 1);
        CheckPixelLimit(header);
        pixels->storedWidth = header.width();
        pixels->storedHeight = header.height();
        if (kind == FileKind::Jpeg) {
            pixels->orientation = OrientationOf(header);
            pixels->plain = pixels->held && header.format() == VIPS_FORMAT_UCHAR &&
                            (header.bands() == 1 || header.bands() == 3);
        }
    });
    if (!opened) {
        return Image();
    }
    const bool sideways = TurnsSideways(pixels->orientation);
    pixels->width = sideways ? pixels->storedHeight : pixels->storedWidth;
    pixels->height = sideways ? pixels->storedWidth : pixels->storedHeight;
    return ImagingAccess::Make(std::move(pixels));
}

// Decodes a file straight to the size wanted, width by height once upright: libjpeg
// skips most of the work at a reduced scale, and the small result is turned upright once
// it is in memory. An everyday JPEG goes to libjpeg alone; when that fails, or for any
// other picture, libvips decodes it and decides. Throws on failure.
void ScaleFile(const Image::Pixels& file, int width, int height, Image::Pixels& scaled) {
    const bool sideways = TurnsSideways(file.orientation);
    const int storedWidth = sideways ? height : width;
    const int storedHeight = sideways ? width : height;
    const int shrink =
        file.kind == FileKind::Jpeg
            ? JpegShrinkFor(file.storedWidth, file.storedHeight, storedWidth, storedHeight)
            : 1;
    Raster decoded;
    if (file.plain) {
        const JpegDecodeResult result =
            DecodeJpegData(reinterpret_cast<const unsigned char*>(file.bytes.data()),
                           file.bytes.size(), shrink, kMaxDecodePixels, decoded);
        if (result == JpegDecodeResult::Refused) {
            throw vips::VError("damaged");
        }
        if (result == JpegDecodeResult::Decoded || result == JpegDecodeResult::Damaged) {
            scaled.raster =
                TurnRaster(ResizeRaster(decoded, storedWidth, storedHeight), file.orientation);
            scaled.damaged = result == JpegDecodeResult::Damaged;
            return;
        }
    }
    scaled.image =
        Upright(ResizeExactly(file.LoadPixels(shrink, &scaled.damaged), storedWidth, storedHeight)
                    .copy_memory(),
                file.orientation);
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
        if (!source->path.empty()) {
            ScaleFile(*source, width, height, *scaled);
        } else if (!source->raster.empty()) {
            scaled->raster = ResizeRaster(source->raster, width, height);
        } else {
            scaled->image = ResizeExactly(source->image, width, height).copy_memory();
        }
        scaled->damaged = scaled->damaged || source->damaged;
        const bool inRaster = !scaled->raster.empty();
        const int madeWidth = inRaster ? scaled->raster.width : scaled->image.width();
        const int madeHeight = inRaster ? scaled->raster.height : scaled->image.height();
        if (madeWidth != width || madeHeight != height) {
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
    const bool jpeg = IsJpegExtension(extension);
    if (pixels == nullptr || (!jpeg && extension != "PNG")) {
        return false;
    }
    std::string encoded;
    if (jpeg && !pixels->raster.empty()) {
        return EncodeJpegData(pixels->raster, 75, encoded) &&
               ReplaceFileContents(path, encoded, false).ok();
    }
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
