#include "media/imaging.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "media/image_size.h"
#include "media/jpeg_codec.h"
#include "media/raster.h"
#include "media/vips_module.h"
#include "media/vips_pictures.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace {

const VipsPictures* Vips() {
    return VipsModule();
}

enum class FileKind { Jpeg, Png };

// Orientations 5 to 8 lie on their side: the shown width is the stored height.
bool TurnsSideways(int orientation) {
    return orientation >= 5;
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

}  // namespace

// Either a file whose header has been checked, decoded when its pixels are needed, or
// upright pixels in memory: 8-bit grey or RGB ones in a Raster (every JPEG's), a PNG's in
// a libvips picture, which keeps its transparency and depth.
struct Image::Pixels {
    // A file
    std::string path;  // empty for pixels in memory
    FileKind kind = FileKind::Jpeg;
    bool damaged = false;  // corrupt data was decoded past
    bool plain = false;    // 8-bit grey or colour: libjpeg may decode it alone
    int orientation = 1;   // EXIF orientation of a JPEG
    int storedWidth = 0;   // the file's pixels, before turning
    int storedHeight = 0;
    // In memory
    std::unique_ptr<VipsPicture> picture;
    Raster raster;

    int width = 0;
    int height = 0;

    bool InMemory() const { return path.empty(); }

    // Decoded from the file as it is read, never held whole: a few threads at work on large
    // JPEGs would otherwise hold their bytes beside the pixels.
    PictureSource Source() const { return {path, kind == FileKind::Jpeg}; }

    // The file's pixels at 1/shrink of their stored size, not turned. Null on failure,
    // also when the file no longer has the size its header had. libvips reads past
    // corrupt data without a word and cannot be stopped after many scans, so a JPEG is
    // read through by libjpeg first: one that is cut short or of too many scans fails,
    // and damaged, when given, says whether it holds corrupt data.
    std::unique_ptr<VipsPicture> LoadPixels(int shrink, bool* damaged = nullptr) const {
        const VipsPictures* vips = Vips();
        if (vips == nullptr) {
            return nullptr;
        }
        if (kind == FileKind::Jpeg) {
            const Expected<JpegDecodeResult> check = CheckJpegFile(path);
            if (!check.ok() && check.failure().kind() == Result::Kind::DamagedInput) {
                return nullptr;
            }
            if (damaged != nullptr) {
                *damaged = check.ok() && *check == JpegDecodeResult::Damaged;
            }
        }
        return vips->Load(Source(), shrink, storedWidth / shrink, storedHeight / shrink);
    }

    // Keeps pixels decoded from this file, upright, in memory: a JPEG's become a raster,
    // turned as its EXIF orientation says; a PNG's stay as they are. False on failure.
    bool Keep(std::unique_ptr<VipsPicture> decoded, Pixels& memory) const {
        if (decoded == nullptr) {
            return false;
        }
        if (kind == FileKind::Png) {
            memory.picture = std::move(decoded);
            return true;
        }
        Raster stored;
        if (!Vips()->ToRaster(*decoded, stored)) {
            return false;
        }
        memory.raster = TurnRaster(std::move(stored), orientation);
        return true;
    }

    // The whole picture upright in memory: this one, or the file decoded into decoded.
    // Null on failure.
    const Pixels* Decoded(Pixels& decoded) const {
        if (InMemory()) {
            return this;
        }
        return Keep(LoadPixels(1), decoded) ? &decoded : nullptr;
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
    if (!pixels) {
        return {};
    }
    Pixels decoded;
    const Pixels* memory = pixels->Decoded(decoded);
    if (memory == nullptr) {
        return {};
    }
    Raster converted;
    const Raster* raster = &memory->raster;
    if (raster->empty()) {
        if (memory->picture == nullptr || !Vips()->ToRaster(*memory->picture, converted)) {
            return {};
        }
        raster = &converted;
    }
    if (raster->bands == 3) {
        return raster->samples;
    }
    std::vector<unsigned char> rgb;
    rgb.reserve(raster->samples.size() * 3);
    for (const unsigned char grey : raster->samples) {
        rgb.insert(rgb.end(), 3, grey);
    }
    return rgb;
}

void InitImaging() {
    Vips();
}

Result ImagingProblem() {
    return VipsModuleProblem();
}

bool ReadJpegSize(const std::string& path, int& width, int& height) {
    // libjpeg reads the everyday JPEG's header without loading libvips.
    PictureHeader header;
    if (const Expected<JpegHeader> read = ReadJpegHeaderFile(path); read.ok()) {
        header.width = read->width;
        header.height = read->height;
        header.orientation = read->orientation;
    } else {
        const VipsPictures* vips = Vips();
        if (vips == nullptr || !vips->ReadHeader({path, true}, header)) {
            return false;
        }
    }
    width = TurnsSideways(header.orientation) ? header.height : header.width;
    height = TurnsSideways(header.orientation) ? header.width : header.height;
    return true;
}

namespace {

// The header of an everyday JPEG, read by libjpeg, which then decodes it alone: such a
// picture needs no libvips. False for any other file.
bool ReadPlainJpegHeader(const Image::Pixels& pixels, PictureHeader& header) {
    if (pixels.kind != FileKind::Jpeg) {
        return false;
    }
    const Expected<JpegHeader> read = ReadJpegHeaderFile(pixels.path);
    if (!read.ok() || !read->plain) {
        return false;
    }
    header = {read->width, read->height, read->orientation, true};
    return true;
}

Image OpenFile(const std::string& path, FileKind kind) {
    auto pixels = std::make_unique<Image::Pixels>();
    pixels->path = path;
    pixels->kind = kind;
    PictureHeader header;
    if (!ReadPlainJpegHeader(*pixels, header)) {
        const VipsPictures* vips = Vips();
        if (vips == nullptr || !vips->ReadHeader(pixels->Source(), header)) {
            return Image();
        }
    }
    if (static_cast<long long>(header.width) * header.height > kMaxDecodePixels) {
        return Image();
    }
    pixels->storedWidth = header.width;
    pixels->storedHeight = header.height;
    if (kind == FileKind::Jpeg) {
        pixels->orientation = header.orientation;
        pixels->plain = header.plain;
    }
    const bool sideways = TurnsSideways(pixels->orientation);
    pixels->width = sideways ? pixels->storedHeight : pixels->storedWidth;
    pixels->height = sideways ? pixels->storedWidth : pixels->storedHeight;
    return ImagingAccess::Make(std::move(pixels));
}

// Decodes a file straight to the size wanted, width by height once upright: libjpeg
// skips most of the work at a reduced scale, and the small result is turned upright once
// it is in memory. An everyday JPEG goes to libjpeg alone; when that fails, or for any
// other picture, libvips decodes it and decides. False on failure.
bool ScaleFile(const Image::Pixels& file, int width, int height, Image::Pixels& scaled) {
    const bool sideways = TurnsSideways(file.orientation);
    const int storedWidth = sideways ? height : width;
    const int storedHeight = sideways ? width : height;
    const int shrink =
        file.kind == FileKind::Jpeg
            ? JpegShrinkFor(file.storedWidth, file.storedHeight, storedWidth, storedHeight)
            : 1;
    if (file.plain) {
        Raster decoded;
        const Expected<JpegDecodeResult> result =
            DecodeJpegFileInEighths(file.path, 8 / shrink, kMaxDecodePixels, decoded);
        if (!result.ok() && result.failure().kind() == Result::Kind::DamagedInput) {
            return false;
        }
        // A file that cannot be opened is left to libvips, which says the same.
        const bool decodedWhole = result.ok() && *result != JpegDecodeResult::NotDecoded;
        // The file is read again: one that changed since it was opened is not scaled to fit.
        if (decodedWhole && (decoded.width != file.storedWidth / shrink ||
                             decoded.height != file.storedHeight / shrink)) {
            return false;
        }
        if (decodedWhole) {
            scaled.raster =
                TurnRaster(ResizeRaster(decoded, storedWidth, storedHeight), file.orientation);
            scaled.damaged = *result == JpegDecodeResult::Damaged;
            return true;
        }
    }
    const std::unique_ptr<VipsPicture> loaded = file.LoadPixels(shrink, &scaled.damaged);
    return loaded != nullptr &&
           file.Keep(Vips()->Resize(*loaded, storedWidth, storedHeight), scaled);
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
    bool done = false;
    if (!source->InMemory()) {
        done = ScaleFile(*source, width, height, *scaled);
    } else if (!source->raster.empty()) {
        scaled->raster = ResizeRaster(source->raster, width, height);
        done = true;
    } else if (source->picture != nullptr) {
        scaled->picture = Vips()->Resize(*source->picture, width, height);
        done = scaled->picture != nullptr;
    }
    scaled->damaged = scaled->damaged || source->damaged;
    const bool inRaster = !scaled->raster.empty();
    const int madeWidth = inRaster                     ? scaled->raster.width
                          : scaled->picture != nullptr ? scaled->picture->Width()
                                                       : 0;
    const int madeHeight = inRaster                     ? scaled->raster.height
                           : scaled->picture != nullptr ? scaled->picture->Height()
                                                        : 0;
    if (!done || madeWidth != width || madeHeight != height) {
        return Image();
    }
    scaled->width = width;
    scaled->height = height;
    return ImagingAccess::Make(std::move(scaled));
}

Result WriteImage(const std::string& path, const Image& image) {
    const Image::Pixels* pixels = ImagingAccess::Get(image);
    const std::string extension = PathExtension(path);
    const bool jpeg = IsJpegExtension(extension);
    if (pixels == nullptr) {
        return Result::Failure("the image is empty");
    }
    if (!jpeg && extension != "PNG") {
        return Result::Failure("only JPEG and PNG files are written");
    }
    Image::Pixels decoded;
    const Image::Pixels* memory = pixels->Decoded(decoded);
    if (memory == nullptr) {
        return Result::Failure("the pixels cannot be decoded", Result::Kind::DamagedInput);
    }
    std::string encoded;
    bool coded = false;
    if (!memory->raster.empty()) {
        if (jpeg) {
            coded = EncodeJpegData(memory->raster, 75, encoded);
        } else if (const VipsPictures* vips = Vips(); vips != nullptr) {
            const std::unique_ptr<VipsPicture> picture = vips->FromRaster(memory->raster);
            coded = picture != nullptr && vips->Encode(*picture, PictureFormat::Png, 75, encoded);
        }
    } else {
        coded = memory->picture != nullptr &&
                Vips()->Encode(*memory->picture, jpeg ? PictureFormat::Jpeg : PictureFormat::Png,
                               75, encoded);
    }
    if (!coded) {
        return Result::Failure("the image cannot be encoded");
    }
    return ReplaceFileContents(path, encoded, false);
}
