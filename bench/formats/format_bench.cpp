// Compares the formats a site's pictures can be written in. Each photo is decoded whole and
// resized with Lanczos3 to a web copy (longest side 1600) and a 2x thumbnail (300); each is
// encoded as JPEG, WebP and AVIF by the program's own encoders, decoded again
// and scored with SSIM (luma, Gaussian window of 1.5) against the resized pixels.
//
//   format_bench search PHOTO...   mean SSIM and bytes over the photos per quality
//   format_bench report JQ WQ AQ size PHOTO...   per photo at those qualities

#include <vips/vips8>

#include <memory>

#include "media/jpeg_codec.h"
#include "media/raster.h"
#include "media/vips_module.h"
#include "media/vips_pictures.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

using vips::VImage;

namespace {

enum class Format { Jpeg, Webp, Avif };

const char* Name(Format format) {
    return format == Format::Jpeg ? "JPEG" : format == Format::Webp ? "WebP" : "AVIF";
}

VImage Luma(const VImage& image) {
    const VImage rgb = image.bands() >= 3 ? image.extract_band(0, VImage::option()->set("n", 3))
                                          : image.extract_band(0);
    if (rgb.bands() == 1) {
        return rgb.cast(VIPS_FORMAT_FLOAT);
    }
    return rgb.recomb(VImage::new_matrix(3, 1, std::vector<double>{0.299, 0.587, 0.114}.data(), 3))
        .cast(VIPS_FORMAT_FLOAT);
}

double Ssim(const VImage& reference, const VImage& candidate) {
    const VImage x = Luma(reference);
    const VImage y = Luma(candidate);
    const auto blur = [](const VImage& image) {
        return image.gaussblur(1.5, VImage::option()->set("precision", VIPS_PRECISION_FLOAT));
    };
    const double c1 = 6.5025;   // (0.01 * 255)^2
    const double c2 = 58.5225;  // (0.03 * 255)^2
    const VImage mx = blur(x);
    const VImage my = blur(y);
    const VImage sxx = blur(x * x) - mx * mx;
    const VImage syy = blur(y * y) - my * my;
    const VImage sxy = blur(x * y) - mx * my;
    const VImage map =
        ((2 * mx * my + c1) * (2 * sxy + c2)) / ((mx * mx + my * my + c1) * (sxx + syy + c2));
    return map.avg();
}

// Processor time rather than the clock's, so that other work on a shared machine does not
// count; libvips runs on one thread here.
double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
}

struct Score {
    double ssim = 0;
    double bytes = 0;
    double seconds = 0;
};

// Encoded by the program's own encoders: libjpeg for JPEG, the libvips module for the rest.
Score Encode(const VImage& reference, Format format, int quality) {
    Raster raster;
    raster.width = reference.width();
    raster.height = reference.height();
    raster.bands = reference.bands();
    size_t memorySize = 0;
    void* memory = reference.write_to_memory(&memorySize);
    raster.samples.assign(static_cast<unsigned char*>(memory),
                          static_cast<unsigned char*>(memory) + memorySize);
    g_free(memory);
    const VipsPictures* vips = VipsModule();
    if (vips == nullptr) {
        throw vips::VError("the libvips module is missing: " + VipsModuleProblem());
    }
    const std::unique_ptr<VipsPicture> picture = vips->FromRaster(raster);
    const double start = CpuSeconds();
    std::string encoded;
    const bool done =
        format == Format::Jpeg
            ? EncodeJpegData(raster, quality, encoded)
            : vips->Encode(*picture,
                           format == Format::Webp ? PictureFormat::Webp : PictureFormat::Avif,
                           quality, encoded);
    Score score;
    score.seconds = CpuSeconds() - start;
    if (!done) {
        throw vips::VError(std::string("cannot encode as ") + Name(format));
    }
    score.bytes = static_cast<double>(encoded.size());
    score.ssim = Ssim(reference, VImage::new_from_buffer(encoded.data(), encoded.size(), ""));
    return score;
}

// The photo at full size, sRGB, 8-bit, opaque, resized with Lanczos3 to longest side.
VImage Reference(const std::string& path, int longest) {
    VImage image = VImage::new_from_file(path.c_str()).autorot();
    if (image.interpretation() != VIPS_INTERPRETATION_sRGB &&
        image.interpretation() != VIPS_INTERPRETATION_B_W) {
        image = image.colourspace(VIPS_INTERPRETATION_sRGB);
    }
    if (image.has_alpha()) {
        image = image.flatten(VImage::option()->set("background", std::vector<double>{255.0}));
    }
    const double scale = static_cast<double>(longest) / std::max(image.width(), image.height());
    image = image.resize(scale, VImage::option()->set("kernel", VIPS_KERNEL_LANCZOS3));
    // As the program writes them: no profile (the pixels are sRGB) and no camera data.
    image = image.cast(VIPS_FORMAT_UCHAR).copy_memory();
    for (const char* name :
         {VIPS_META_ICC_NAME, VIPS_META_EXIF_NAME, VIPS_META_XMP_NAME, VIPS_META_IPTC_NAME}) {
        image.remove(name);
    }
    return image;
}

const std::vector<int> kQualities = {50, 54, 58, 62, 64, 66, 68, 70, 74, 78, 80, 82, 86, 90};

void Search(const std::vector<std::string>& photos) {
    const struct {
        int longest;
        int jpegQuality;
    } targets[] = {{1600, 82}, {300, 75}};
    for (const auto& target : targets) {
        std::vector<VImage> references;
        for (const std::string& photo : photos) {
            references.push_back(Reference(photo, target.longest));
        }
        const auto mean = [&](Format format, int quality) {
            Score total;
            for (const VImage& reference : references) {
                const Score score = Encode(reference, format, quality);
                total.ssim += score.ssim / references.size();
                total.bytes += score.bytes / references.size();
                total.seconds += score.seconds / references.size();
            }
            return total;
        };
        const Score jpeg = mean(Format::Jpeg, target.jpegQuality);
        std::printf("%d px: JPEG q%d  SSIM %.4f  %.0f bytes\n", target.longest, target.jpegQuality,
                    jpeg.ssim, jpeg.bytes);
        for (const Format format : {Format::Webp, Format::Avif}) {
            for (const int quality : kQualities) {
                const Score score = mean(format, quality);
                std::printf("%d px: %s q%d  SSIM %.4f  %.0f bytes (%.0f %% of JPEG)%s\n",
                            target.longest, Name(format), quality, score.ssim, score.bytes,
                            100 * score.bytes / jpeg.bytes,
                            score.ssim >= jpeg.ssim ? "  >= JPEG" : "");
            }
        }
    }
}

void Report(int jpegQuality, int webpQuality, int avifQuality, int longest,
            const std::vector<std::string>& photos) {
    std::printf("%d px, JPEG q%d, WebP q%d, AVIF q%d (SSIM, bytes, processor seconds to encode)\n",
                longest, jpegQuality, webpQuality, avifQuality);
    for (const std::string& photo : photos) {
        const VImage reference = Reference(photo, longest);
        std::printf("%s %dx%d\n", photo.substr(photo.find_last_of('/') + 1).c_str(),
                    reference.width(), reference.height());
        const Score jpeg = Encode(reference, Format::Jpeg, jpegQuality);
        for (const auto& [format, quality] :
             {std::pair{Format::Jpeg, jpegQuality}, std::pair{Format::Webp, webpQuality},
              std::pair{Format::Avif, avifQuality}}) {
            const Score score = format == Format::Jpeg ? jpeg : Encode(reference, format, quality);
            std::printf("  %s  SSIM %.4f  %8.0f bytes  %3.0f %%  %.2f s\n", Name(format),
                        score.ssim, score.bytes, 100 * score.bytes / jpeg.bytes, score.seconds);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (VIPS_INIT(argv[0]) != 0 || argc < 3) {
        std::fprintf(stderr, "usage: %s search PHOTO... | report JQ WQ AQ SIZE PHOTO...\n",
                     argv[0]);
        return 2;
    }
    vips_concurrency_set(1);
    const std::string mode = argv[1];
    try {
        if (mode == "search") {
            Search(std::vector<std::string>(argv + 2, argv + argc));
        } else if (mode == "report" && argc > 6) {
            Report(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]),
                   std::vector<std::string>(argv + 6, argv + argc));
        } else {
            return 2;
        }
    } catch (const vips::VError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
