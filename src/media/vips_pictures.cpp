#include "media/vips_pictures.h"

#include <vips/vips8>

#include <algorithm>
#include <cstdint>
#include <exception>
#include <string>
#include <utility>

#include "media/raster.h"

using vips::VImage;
using vips::VOption;

namespace {

void DropMessage(const char*, GLogLevelFlags, const char*, void*) {}

class LibvipsPicture : public VipsPicture {
  public:
    explicit LibvipsPicture(VImage image) : image(std::move(image)) {}
    int Width() const override { return image.width(); }
    int Height() const override { return image.height(); }

    VImage image;
};

const VImage& ImageOf(const VipsPicture& picture) {
    return static_cast<const LibvipsPicture&>(picture).image;
}

// Runs one libvips step; its exceptions become a failure and the error buffer, which
// libvips shares between threads and never empties itself, is cleared.
template <typename Step>
bool Attempt(Step&& step) {
    try {
        step();
        return true;
    } catch (const std::exception&) {
        vips_error_clear();
        return false;
    }
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

// Throws on failure.
VImage Open(const PictureSource& source, int shrink) {
    if (!source.jpeg) {
        return VImage::pngload(source.path.c_str(), LoadOptions(1));
    }
    return VImage::jpegload(source.path.c_str(), LoadOptions(shrink));
}

int OrientationOf(const VImage& image) {
    if (image.get_typeof(VIPS_META_ORIENTATION) == 0) {
        return 1;
    }
    const int value = image.get_int(VIPS_META_ORIENTATION);
    return value >= 1 && value <= 8 ? value : 1;
}

double MaxAlpha(const VImage& image) {
    return image.format() == VIPS_FORMAT_USHORT ? 65535.0 : 255.0;
}

// Rounding inside the resampler can leave the result a pixel off; trim or repeat the edge.
VImage ExactSize(VImage image, int width, int height) {
    if (image.width() > width || image.height() > height) {
        image = image.crop(0, 0, std::min(width, image.width()), std::min(height, image.height()));
    }
    if (image.width() < width || image.height() < height) {
        image = image.embed(0, 0, width, height, VImage::option()->set("extend", VIPS_EXTEND_COPY));
    }
    return image;
}

VImage ResizeExactly(VImage image, int width, int height) {
    const bool alpha = image.has_alpha();
    const VipsBandFormat format = image.format();
    const double maxAlpha = MaxAlpha(image);
    // 8-bit colour times 8-bit alpha fits 16 bits exactly: half the memory of the floats
    // libvips premultiplies into, which the resize holds for many rows of a large picture.
    const bool narrow = alpha && format == VIPS_FORMAT_UCHAR;
    if (narrow) {
        const int colours = image.bands() - 1;
        const VImage opacity = image.extract_band(colours);
        image = (image.extract_band(0, VImage::option()->set("n", colours)) * opacity)
                    .cast(VIPS_FORMAT_USHORT)
                    .bandjoin(opacity.cast(VIPS_FORMAT_USHORT));
    } else if (alpha) {
        image = image.premultiply(VImage::option()->set("max_alpha", maxAlpha));
    }
    const double hscale = static_cast<double>(width) / image.width();
    const double vscale = static_cast<double>(height) / image.height();
    // The filter does the whole reduction up to a factor of 4; beyond that a box shrink
    // comes first. Smaller box shrinks cost more than they save on the small pictures the
    // scaled JPEG decode leaves.
    image = image.resize(hscale, VImage::option()->set("vscale", vscale)->set("gap", 4.0));
    if (narrow) {
        const int colours = image.bands() - 1;
        const VImage opacity = image.extract_band(colours);
        // Rounded to the nearest; where nothing shows, the division gives 0.
        image = (image.extract_band(0, VImage::option()->set("n", colours)) / opacity + 0.5)
                    .cast(VIPS_FORMAT_UCHAR)
                    .bandjoin(opacity.cast(VIPS_FORMAT_UCHAR));
    } else if (alpha) {
        image = image.unpremultiply(VImage::option()->set("max_alpha", maxAlpha)).cast(format);
    }
    return ExactSize(image, width, height);
}

// 16-bit pictures are brought down and CMYK converted, so every result reads the same way
// in a browser.
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

// Without metadata: the WebP saver keeps a colour profile despite "strip", and the pixels
// are sRGB already.
VImage WithoutMetadata(const VImage& image) {
    VImage bare = image.copy();
    for (const char* name :
         {VIPS_META_ICC_NAME, VIPS_META_EXIF_NAME, VIPS_META_XMP_NAME, VIPS_META_IPTC_NAME}) {
        bare.remove(name);
    }
    return bare;
}

// libvips 8.14 writes an EXIF chunk into a WebP whatever "strip" says. The metadata chunks
// are taken out and the extended header's flags for them cleared; bytes that are not a
// whole WebP are left as they are.
std::string WebpWithoutMetadata(const std::string& webp) {
    const auto size32 = [](const char* bytes) {
        const auto* b = reinterpret_cast<const unsigned char*>(bytes);
        return std::uint32_t{b[0]} | (std::uint32_t{b[1]} << 8) | (std::uint32_t{b[2]} << 16) |
               (std::uint32_t{b[3]} << 24);
    };
    if (webp.size() < 12 || webp.compare(0, 4, "RIFF") != 0 || webp.compare(8, 4, "WEBP") != 0) {
        return webp;
    }
    std::string kept = webp.substr(0, 12);
    std::size_t offset = 12;
    while (offset < webp.size()) {
        if (webp.size() - offset < 8) {
            return webp;
        }
        const std::uint32_t length = size32(webp.data() + offset + 4);
        const std::size_t end = offset + 8 + std::size_t{length} + (length & 1);
        if (end > webp.size()) {
            return webp;
        }
        const std::string type = webp.substr(offset, 4);
        if (type != "EXIF" && type != "XMP " && type != "ICCP") {
            kept.append(webp, offset, end - offset);
            if (type == "VP8X" && length >= 1) {
                constexpr unsigned char kIcc = 0x20, kExif = 0x08, kXmp = 0x04;
                kept[kept.size() - (end - offset) + 8] &= static_cast<char>(~(kIcc | kExif | kXmp));
            }
        }
        offset = end;
    }
    const std::uint32_t riffSize = static_cast<std::uint32_t>(kept.size() - 8);
    for (int i = 0; i < 4; ++i) {
        kept[4 + i] = static_cast<char>((riffSize >> (8 * i)) & 0xFF);
    }
    return kept;
}

// An upright picture other than a JPEG read in one pass and scaled by one Lanczos resize
// as it streams: sharper than the thumbnail operation's box shrink, and for a PNG it holds
// a few rows rather than the whole picture. Null for a JPEG (its DCT scaling is cheaper)
// and for a picture to be turned, which the thumbnail operation does. Throws on failure.
std::unique_ptr<VipsPicture> LoadWholeFitted(const std::string& path, int width, int height) {
    VImage image =
        VImage::new_from_file(path.c_str(), VImage::option()
                                                ->set("access", VIPS_ACCESS_SEQUENTIAL)
                                                ->set("fail_on", VIPS_FAIL_ON_TRUNCATED));
    const char* loader =
        image.get_typeof("vips-loader") != 0 ? image.get_string("vips-loader") : "";
    if (std::string(loader).starts_with("jpeg") || OrientationOf(image) != 1) {
        return nullptr;
    }
    if (image.get_typeof(VIPS_META_ICC_NAME) != 0) {
        image = image.icc_transform("srgb", VImage::option()->set("embedded", true));
    }
    return std::make_unique<LibvipsPicture>(
        ResizeExactly(EightBit(image), width, height).copy_memory());
}

class Libvips final : public VipsPictures {
  public:
    bool ReadHeader(const PictureSource& source, PictureHeader& header) const override {
        return Attempt([&] {
            const VImage image = Open(source, 1);
            header.width = image.width();
            header.height = image.height();
            header.orientation = source.jpeg ? OrientationOf(image) : 1;
            header.plain =
                image.format() == VIPS_FORMAT_UCHAR && (image.bands() == 1 || image.bands() == 3);
        });
    }

    std::unique_ptr<VipsPicture> Load(const PictureSource& source, int shrink, int width,
                                      int height) const override {
        std::unique_ptr<VipsPicture> loaded;
        Attempt([&] {
            const VImage image = Open(source, source.jpeg ? shrink : 1);
            if (image.width() == width && image.height() == height) {
                loaded = std::make_unique<LibvipsPicture>(image.copy_memory());
            }
        });
        return loaded;
    }

    std::unique_ptr<VipsPicture> FromRaster(const Raster& raster) const override {
        std::unique_ptr<VipsPicture> copy;
        Attempt([&] {
            copy = std::make_unique<LibvipsPicture>(
                VImage::new_from_memory(const_cast<unsigned char*>(raster.samples.data()),
                                        raster.samples.size(), raster.width, raster.height,
                                        raster.bands, VIPS_FORMAT_UCHAR)
                    .copy(VImage::option()->set("interpretation", raster.bands == 1
                                                                      ? VIPS_INTERPRETATION_B_W
                                                                      : VIPS_INTERPRETATION_sRGB))
                    .copy_memory());
        });
        return copy;
    }

    std::unique_ptr<VipsPicture> Resize(const VipsPicture& picture, int width,
                                        int height) const override {
        std::unique_ptr<VipsPicture> resized;
        Attempt([&] {
            resized = std::make_unique<LibvipsPicture>(
                ResizeExactly(ImageOf(picture), width, height).copy_memory());
        });
        return resized;
    }

    bool ToRaster(const VipsPicture& picture, Raster& raster) const override {
        return Attempt([&] {
            const VImage image = OnWhite(EightBit(ImageOf(picture)));
            if (image.bands() != 1 && image.bands() != 3) {
                throw vips::VError("neither grey nor RGB");
            }
            size_t size = 0;
            const std::unique_ptr<void, void (*)(void*)> memory(image.write_to_memory(&size),
                                                                g_free);
            const auto* bytes = static_cast<const unsigned char*>(memory.get());
            raster.width = image.width();
            raster.height = image.height();
            raster.bands = image.bands();
            raster.samples.assign(bytes, bytes + size);
        });
    }

    bool Encode(const VipsPicture& picture, PictureFormat format, int quality,
                std::string& encoded) const override {
        return Attempt([&] {
            const VImage image = EightBit(ImageOf(picture));
            VipsBlob* blob = nullptr;
            switch (format) {
                case PictureFormat::Jpeg:
                    blob = OnWhite(image).jpegsave_buffer(VImage::option()
                                                              ->set("Q", quality)
                                                              ->set("strip", true)
                                                              ->set("optimize_coding", true));
                    break;
                case PictureFormat::Png:
                    blob = image.pngsave_buffer(VImage::option()->set("strip", true));
                    break;
                case PictureFormat::Webp:
                    // Effort 2 takes 40 % less time than the default 4 for files some 4 %
                    // larger: a whole site's run is spent mostly here.
                    blob = WithoutMetadata(image).webpsave_buffer(
                        VImage::option()->set("Q", quality)->set("strip", true)->set("effort", 2));
                    break;
                case PictureFormat::Avif:
                    // The default effort takes seconds a photo; 2 keeps most of the gain.
                    blob = WithoutMetadata(image).heifsave_buffer(
                        VImage::option()
                            ->set("Q", quality)
                            ->set("compression", VIPS_FOREIGN_HEIF_COMPRESSION_AV1)
                            ->set("effort", 2)
                            ->set("strip", true));
                    break;
            }
            const std::unique_ptr<VipsBlob, void (*)(VipsBlob*)> owned(
                blob, [](VipsBlob* area) { vips_area_unref(VIPS_AREA(area)); });
            size_t size = 0;
            const void* data = vips_blob_get(owned.get(), &size);
            encoded.assign(static_cast<const char*>(data), size);
            if (format == PictureFormat::Webp) {
                encoded = WebpWithoutMetadata(encoded);
            }
        });
    }

    bool ReadShownSize(const std::string& path, int& width, int& height) const override {
        return Attempt([&] {
            const VImage image = VImage::new_from_file(path.c_str());
            const bool sideways = OrientationOf(image) >= 5;
            width = sideways ? image.height() : image.width();
            height = sideways ? image.width() : image.height();
        });
    }

    std::unique_ptr<VipsPicture> LoadFitted(const std::string& path, int width,
                                            int height) const override {
        std::unique_ptr<VipsPicture> loaded;
        if (Attempt([&] { loaded = LoadWholeFitted(path, width, height); }) && loaded) {
            return loaded;
        }
        Attempt([&] {
            // The thumbnail operation picks the cheapest decode for the size (DCT scaling,
            // a TIFF's pyramid), turns the picture upright and converts an embedded colour
            // profile to sRGB.
            const VImage image = VImage::thumbnail(path.c_str(), width,
                                                   VImage::option()
                                                       ->set("height", height)
                                                       ->set("size", VIPS_SIZE_FORCE)
                                                       ->set("export_profile", "srgb")
                                                       ->set("fail_on", VIPS_FAIL_ON_TRUNCATED));
            loaded = std::make_unique<LibvipsPicture>(
                ExactSize(EightBit(image), width, height).copy_memory());
        });
        return loaded;
    }

    bool FindTransparentPixel(const std::string& path, bool& found) const override {
        return Attempt([&] {
            const VImage image =
                VImage::pngload(path.c_str(), VImage::option()
                                                  ->set("access", VIPS_ACCESS_SEQUENTIAL)
                                                  ->set("fail_on", VIPS_FAIL_ON_TRUNCATED));
            // A palette or colour key with tRNS loads with an alpha band too.
            found =
                image.has_alpha() && image.extract_band(image.bands() - 1).min() < MaxAlpha(image);
        });
    }
};

bool Start() {
    if (VIPS_INIT("mavren") != 0) {
        vips_error_clear();
        return false;
    }
    vips_concurrency_set(1);
    vips_cache_set_max(0);
    // Corrupt files are reported by their result; libjpeg's complaints would only clutter
    // the terminal of a command-line run.
    g_log_set_handler("VIPS", G_LOG_LEVEL_WARNING, DropMessage, nullptr);
    return true;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) const VipsPictures* MavrenVipsPictures() {
    static const Libvips library;
    static const bool started = Start();
    return started ? &library : nullptr;
}
