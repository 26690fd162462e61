// The JPEG decode and scale path of a thumbnail: libjpeg directly (with scaling, turning
// and encoding the result), and the general path through libvips. The first byte chooses
// the scale, the size asked for and the orientation; the rest is the file. Any bytes give
// a picture of exactly the size asked for or nothing, without harm.

#include "fuzz_support.h"
#include "media/imaging.h"
#include "media/jpeg_codec.h"
#include "media/raster.h"

namespace {

// Pictures larger than this are left out: decoding them only costs time.
constexpr long long kMostPixels = 65'536;

void ThroughLibjpeg(const std::uint8_t* data, std::size_t size, std::uint8_t choice) {
    const int shrink = 1 << (choice & 3);
    Raster raster;
    const Expected<JpegDecodeResult> result =
        DecodeJpegData(data, size, shrink, kMostPixels, raster);
    if (!result.ok() || *result == JpegDecodeResult::NotDecoded) {
        if (!raster.empty()) {
            Broken("a failed decode gives no pixels");
        }
        return;
    }
    if (raster.width < 1 || raster.height < 1 || (raster.bands != 1 && raster.bands != 3) ||
        raster.samples.size() !=
            static_cast<std::size_t>(raster.width) * raster.height * raster.bands) {
        Broken("a decoded raster holds exactly its pixels");
    }
    const int width = 1 + (choice >> 2 & 7) * 13;
    const int height = 1 + (choice >> 5) * 11;
    const Raster scaled = ResizeRaster(raster, width, height);
    if (scaled.width != width || scaled.height != height ||
        scaled.samples.size() != static_cast<std::size_t>(width) * height * raster.bands) {
        Broken("a raster scales to exactly the size asked for");
    }
    const Raster turned = TurnRaster(scaled, 1 + choice % 8);
    std::string encoded;
    if (!EncodeJpegData(turned, 75, encoded) || encoded.size() < 4) {
        Broken("a scaled raster encodes");
    }
}

void ThroughLibvips(const std::uint8_t* data, std::size_t size, std::uint8_t choice) {
    const Image opened = DecodeJpeg(WriteFuzzFile("input.jpg", InputBytes(data, size)));
    if (opened.empty() || static_cast<long long>(opened.width()) * opened.height() > kMostPixels) {
        return;
    }
    const int width = 1 + (choice & 31) * 5;
    const int height = 1 + (choice >> 3) * 3;
    const Image scaled = ScaleImage(opened, width, height);
    if (scaled.empty()) {
        return;
    }
    if (scaled.width() != width || scaled.height() != height ||
        scaled.Rgb().size() != static_cast<std::size_t>(width) * height * 3) {
        Broken("a picture scales to exactly the size asked for");
    }
    if (!WriteImage(FuzzPath("thumbnail.jpg"), scaled).ok()) {
        Broken("a scaled picture is written");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    const std::uint8_t choice = data[0];
    ThroughLibjpeg(data + 1, size - 1, choice);
    ThroughLibvips(data + 1, size - 1, choice);
    return 0;
}
