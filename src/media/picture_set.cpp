#include "media/picture_set.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <memory>
#include <utility>
#include <vector>

#include "media/camera_data.h"
#include "media/clean_copy.h"
#include "media/colour_profile.h"
#include "media/image_size.h"
#include "media/imaging.h"
#include "media/jpeg_codec.h"
#include "media/raster.h"
#include "media/video_copies.h"
#include "media/vips_module.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/paths.h"
#include "platform/temporary_files.h"

namespace {

constexpr int kThumbnailQuality = 75;

// The WebP and AVIF qualities whose copies score the SSIM of a JPEG at jpegQuality: a line
// through what real photos measured (bench/formats/run.sh): JPEG 82 at 1600 pixels as WebP
// 80 and AVIF 65, JPEG 75 at 300 pixels as WebP 69 and AVIF 55.
int WebpQuality(int jpegQuality) {
    return std::clamp(80 + (jpegQuality - 82) * 11 / 7, 1, 100);
}
int AvifQuality(int jpegQuality) {
    return std::clamp(65 + (jpegQuality - 82) * 10 / 7, 1, 100);
}

bool IsJpegName(const std::string& path) {
    return IsJpegExtension(PathExtension(path));
}

// The size of a file this code writes, from its header.
bool ReadOutputSize(const std::string& path, int& width, int& height) {
    return IsJpegName(path) ? ReadJpegSize(path, width, height) : ReadPngSize(path, width, height);
}

// The second the file was last written; -1 when it cannot be read.
long long ModifiedSecond(const std::string& path) {
    struct stat status;
    return ::stat(path.c_str(), &status) == 0 ? static_cast<long long>(status.st_mtim.tv_sec) : -1;
}

// An output smart mode keeps: written after its source (by the second) and of the size
// it would be made at.
bool IsKept(long long sourceSecond, const std::string& output, int width, int height) {
    int keptWidth = 0;
    int keptHeight = 0;
    return sourceSecond >= 0 && sourceSecond < ModifiedSecond(output) &&
           ReadOutputSize(output, keptWidth, keptHeight) && keptWidth == width &&
           keptHeight == height;
}

// What the source is, from its header alone.
struct SourceFacts {
    int width = 0;  // as shown, after any orientation
    int height = 0;
    bool jpegHeader = false;  // read by libjpeg: header below holds what it found
    JpegHeader header;
    // A video: its pictures come from its poster frame, read by ffmpeg.
    bool video = false;
    VideoTools tools;
    std::string videoFailure;  // why its size or frame could not be read
};

bool ReadSourceFacts(const std::string& path, SourceFacts& facts) {
    const std::string extension = PathExtension(path);
    if (IsVideoFile(path)) {
        facts.video = true;
        facts.tools = FindVideoTools();
        VideoProbe probe;
        const Result probed = ProbeVideo(facts.tools, path, probe);
        facts.videoFailure = probed.text();
        facts.width = probe.width;
        facts.height = probe.height;
        return probed.ok();
    }
    if (IsJpegExtension(extension)) {
        if (Expected<JpegHeader> read = ReadJpegHeaderFile(path); read.ok()) {
            facts.header = std::move(*read);
            facts.jpegHeader = true;
            const bool sideways = facts.header.orientation >= 5;
            facts.width = sideways ? facts.header.height : facts.header.width;
            facts.height = sideways ? facts.header.width : facts.header.height;
            return true;
        }
    }
    if (extension == "PNG") {
        return ReadPngSize(path, facts.width, facts.height);
    }
    if (extension == "GIF") {
        return ReadGifSize(path, facts.width, facts.height);
    }
    const VipsPictures* vips = VipsModule();
    return vips != nullptr && vips->ReadShownSize(path, facts.width, facts.height);
}

// Decoded pixels: a raster from libjpeg, or a libvips picture (which keeps transparency).
struct Pixels {
    Raster raster;
    std::unique_ptr<VipsPicture> picture;

    int Width() const { return picture ? picture->Width() : raster.width; }
    int Height() const { return picture ? picture->Height() : raster.height; }
    bool empty() const { return picture == nullptr && raster.empty(); }

    Pixels Scaled(int width, int height) const {
        Pixels scaled;
        if (picture != nullptr) {
            scaled.picture = VipsModule()->Resize(*picture, width, height);
        } else {
            scaled.raster = ResizeRaster(raster, width, height);
        }
        return scaled;
    }

    bool Encode(PictureFormat format, int quality, std::string& encoded) const {
        if (picture == nullptr && format == PictureFormat::Jpeg) {
            return EncodeJpegData(raster, quality, encoded);
        }
        const VipsPictures* vips = VipsModule();
        if (vips == nullptr) {
            return false;
        }
        if (picture != nullptr) {
            return vips->Encode(*picture, format, quality, encoded);
        }
        const std::unique_ptr<VipsPicture> converted = vips->FromRaster(raster);
        return converted != nullptr && vips->Encode(*converted, format, quality, encoded);
    }
};

// One file to make, or only its siblings when the file itself is kept.
struct Output {
    const std::string* path = nullptr;
    int width = 0;
    int height = 0;
    int quality = kThumbnailQuality;
    bool cameraData = false;  // put the source's metadata in
    PictureOutput* result = nullptr;
    bool main = true;  // the file itself
    bool webp = false;
    bool avif = false;
    // A PNG at the source's own size: the source's cleaned bytes are published instead
    // when they are the smaller.
    bool sourceBytesIfSmaller = false;
};

// The eighths of its size (1 to 8) a JPEG is decoded at for an output of width by height:
// the fewest that keep twice the output's pixels along each side, or the whole picture
// when it has fewer. libjpeg's scaling in the frequency domain folds fine detail back as
// it gets near the output's size; from twice that, the Lanczos filter does the reduction.
int JpegEighthsAtLeast(const JpegHeader& header, int width, int height) {
    const bool sideways = header.orientation >= 5;
    const long long storedWidth = 2LL * (sideways ? height : width);
    const long long storedHeight = 2LL * (sideways ? width : height);
    for (int eighths = 1; eighths < 8; ++eighths) {
        if (header.width * eighths / 8 >= storedWidth &&
            header.height * eighths / 8 >= storedHeight) {
            return eighths;
        }
    }
    return 8;
}

// About the most bytes of pixels the decode for the largest output holds at once, as
// measured: for libjpeg the scaled decode and the rows scaled from it twice over (as
// scanned and turned for the column pass), 3 bytes a pixel; for libvips, which scales as
// it reads, the source rows behind some 256 output rows at 8 bytes a pixel (premultiplied
// by their alpha) and a few copies of the output, and for the formats its decoders give
// whole (HEIF, GIF, WebP, TIFF) the whole source at some 6 bytes a pixel besides.
std::size_t PeakDecodeBytes(const std::string& source, const SourceFacts& facts,
                            const Output& largest) {
    const auto bytes = [](long long width, long long height, long long perPixel) {
        return static_cast<std::size_t>(width * height * perPixel);
    };
    if (facts.jpegHeader && facts.header.plain) {
        const int eighths = JpegEighthsAtLeast(facts.header, largest.width, largest.height);
        const long long width = static_cast<long long>(facts.header.width) * eighths / 8;
        const long long height = static_cast<long long>(facts.header.height) * eighths / 8;
        const long long rows = facts.header.orientation >= 5 ? largest.width : largest.height;
        return bytes(width, height, 3) + 2 * bytes(width, rows, 3);
    }
    const long long rows =
        std::min<long long>(facts.height, 256LL * facts.height / std::max(1, largest.height));
    std::size_t peak = 3 * bytes(largest.width, largest.height, 4) + bytes(facts.width, rows, 8);
    const std::string extension = PathExtension(source);
    if (!IsJpegExtension(extension) && extension != "PNG") {
        peak += bytes(facts.width, facts.height, 6);
    }
    return peak;
}

// The source decoded once by libjpeg at the largest output's size, upright and in sRGB. Empty when
// libjpeg cannot take it; refused is set for data cut short.
Pixels DecodeWithLibjpeg(const std::string& source, const SourceFacts& facts, const Output& largest,
                         bool& damaged, bool& refused) {
    Pixels pixels;
    if (!facts.jpegHeader || !facts.header.plain) {
        return pixels;
    }
    Raster decoded;
    const Expected<JpegDecodeResult> result = DecodeJpegFileInEighths(
        source, JpegEighthsAtLeast(facts.header, largest.width, largest.height), kMaxDecodePixels,
        decoded);
    refused = !result.ok() && result.failure().kind() == Result::Kind::DamagedInput;
    if (!result.ok() || *result == JpegDecodeResult::NotDecoded) {
        return pixels;
    }
    damaged = *result == JpegDecodeResult::Damaged;
    const bool sideways = facts.header.orientation >= 5;
    Raster resized = ResizeRaster(decoded, sideways ? largest.height : largest.width,
                                  sideways ? largest.width : largest.height);
    decoded = Raster();
    pixels.raster = TurnRaster(std::move(resized), facts.header.orientation);
    if (!facts.header.iccProfile.empty()) {
        ConvertToSrgb(pixels.raster, facts.header.iccProfile);
    }
    return pixels;
}

// Output folders ("Web/Small") are made when their first file is written, so that a site
// has none it does not use.
bool MakeFolderOf(const std::string& path) {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    return !error;
}

// A video's poster frame at the largest output's size, through a PNG beside that output
// that goes once it is read.
Pixels DecodeVideoFrame(const std::string& source, SourceFacts& facts, const Output& largest) {
    Pixels pixels;
    const VipsPictures* vips = VipsModule();
    std::string png;
    if (vips == nullptr) {
        return pixels;
    }
    if (!MakeFolderOf(*largest.path)) {
        facts.videoFailure = Result::FromErrno("create", *largest.path, errno).text();
        return pixels;
    }
    if (const Expected<UniqueFd> made = CreateTemporaryBeside(*largest.path, png); !made.ok()) {
        facts.videoFailure =
            Result::FromErrno("create", *largest.path, made.failure().error()).text();
        return pixels;
    }
    const Result frame = MakeVideoFrame(facts.tools, source, png);
    facts.videoFailure = frame.text();
    if (frame.ok()) {
        pixels.picture = vips->LoadFitted(png, largest.width, largest.height);
    }
    ::unlink(png.c_str());
    return pixels;
}

// The source decoded once at the largest output's size: by libjpeg when it can, else by
// libvips. Empty on failure.
Pixels DecodeOnce(const std::string& source, SourceFacts& facts, const Output& largest,
                  bool& damaged) {
    if (facts.video) {
        return DecodeVideoFrame(source, facts, largest);
    }
    bool refused = false;
    Pixels pixels = DecodeWithLibjpeg(source, facts, largest, damaged, refused);
    if (!pixels.empty() || refused) {
        return pixels;
    }
    if (const VipsPictures* vips = VipsModule()) {
        pixels.picture = vips->LoadFitted(source, largest.width, largest.height);
    }
    return pixels;
}

// The source's bytes less what is not the picture (comments, text, a trailing video),
// read whole; false when they cannot be read or cleaned.
bool ReadCleanBytes(const std::string& source, std::string& cleaned) {
    std::string bytes;
    return ReadFileBytes(source, static_cast<std::size_t>(1) << 31, bytes).ok() &&
           CleanPictureBytes(bytes, cleaned);
}

bool WriteMain(const std::string& source, const Pixels& pixels, const Output& output) {
    std::string encoded;
    if (!pixels.Encode(IsJpegName(*output.path) ? PictureFormat::Jpeg : PictureFormat::Png,
                       output.quality, encoded)) {
        return false;
    }
    // Without its camera data the copy is still a good picture; the data is a bonus.
    if (output.cameraData) {
        CopyCameraData(source, encoded);
    }
    // PNG encoders differ much in how well they pack; a copy must not outweigh its source.
    if (std::string cleaned; output.sourceBytesIfSmaller && ReadCleanBytes(source, cleaned) &&
                             cleaned.size() < encoded.size()) {
        encoded = std::move(cleaned);
    }
    return MakeFolderOf(*output.path) && ReplaceFileContents(*output.path, encoded, false).ok();
}

bool WriteSibling(const Pixels& pixels, PictureFormat format, int quality,
                  const std::string& path) {
    std::string encoded;
    return pixels.Encode(format, quality, encoded) && MakeFolderOf(path) &&
           ReplaceFileContents(path, encoded, false).ok();
}

void WriteOutput(const std::string& source, const Pixels& pixels, const Output& output) {
    PictureOutput& result = *output.result;
    if (output.main) {
        result.exists = WriteMain(source, pixels, output);
        result.made = result.exists;
    }
    if (!result.exists) {
        return;
    }
    if (output.webp) {
        result.webp = WriteSibling(pixels, PictureFormat::Webp, WebpQuality(output.quality),
                                   WebpSibling(*output.path));
    }
    if (output.avif) {
        result.avif = WriteSibling(pixels, PictureFormat::Avif, AvifQuality(output.quality),
                                   AvifSibling(*output.path));
    }
}

// A sibling of a kept file is kept when written after the source and not before the file,
// which a change of size would have written anew.
bool IsSiblingKept(long long sourceSecond, const std::string& output, const std::string& sibling) {
    const long long siblingSecond = ModifiedSecond(sibling);
    return sourceSecond >= 0 && sourceSecond < siblingSecond &&
           ModifiedSecond(output) <= siblingSecond;
}

// A web copy at the source's own size may be the source's own coded picture: same format,
// no camera data to strip, no turn and no profile to apply. Comments, text and what
// follows the picture are cleaned off on the way.
bool MayCopyBytes(const std::string& source, const std::string& webCopy, const SourceFacts& facts) {
    const std::string extension = PathExtension(source);
    if (IsJpegExtension(extension) && IsJpegName(webCopy)) {
        return facts.jpegHeader && !facts.header.cameraData && facts.header.iccProfile.empty() &&
               facts.header.orientation == 1;
    }
    return extension == "PNG" && PathExtension(webCopy) == "PNG" && !CarriesCameraData(source);
}

bool WriteBytes(const std::string& destination, const std::string& bytes) {
    // Written anew rather than copied with the source's time, so that smart mode sees it
    // is newer than its source.
    return MakeFolderOf(destination) && ReplaceFileContents(destination, bytes, false).ok();
}

// Why the source could not be decoded: of kind DamagedInput when the fault is the file's
// own.
Result DecodeFailure(const SourceFacts& facts) {
    if (facts.video && !facts.videoFailure.empty()) {
        return Result::Failure(facts.videoFailure, MissingVideoToolsText(facts.tools).empty()
                                                       ? Result::Kind::DamagedInput
                                                       : Result::Kind::Other);
    }
    if (const Result problem = ImagingProblem(); !problem.ok()) {
        return Result::Failure("the picture library is missing: " + problem.text());
    }
    return Result::Failure("it is damaged or not a picture", Result::Kind::DamagedInput);
}

}  // namespace

void FitLongestSide(int width, int height, int longest, int& outWidth, int& outHeight) {
    outWidth = width;
    outHeight = height;
    if (width <= 0 || height <= 0 || std::max(width, height) <= longest) {
        return;
    }
    if (width >= height) {
        outWidth = longest;
        outHeight = std::max(
            1, static_cast<int>(std::lround(static_cast<double>(height) * longest / width)));
    } else {
        outHeight = longest;
        outWidth = std::max(
            1, static_cast<int>(std::lround(static_cast<double>(width) * longest / height)));
    }
}

PictureSet MakePictureSet(const PictureSetRequest& request) {
    PictureSet set;
    const std::string extension = PathExtension(request.source);
    const bool onlyThumbnail = request.thumbnail2x.empty() && request.webCopy.empty() &&
                               request.phoneCopy.empty() && !request.webp && !request.avif;
    if (onlyThumbnail && (IsJpegExtension(extension) || extension == "PNG")) {
        int width = -1;
        int height = -1;
        MakeThumbnail(request.source, request.thumbnail, request.boxSize, request.boxSize, width,
                      height, request.smart, &set.thumbnail);
        set.thumbnailFile = {width >= 0, set.thumbnail.kind == ThumbnailOutcome::Kind::Made, width,
                             height};
        return set;
    }

    SourceFacts facts;
    if (!ReadSourceFacts(request.source, facts) || facts.width < 1 || facts.height < 1) {
        set.thumbnail.failure = DecodeFailure(facts);
        return set;
    }
    if (static_cast<long long>(facts.width) * facts.height > kMaxDecodePixels) {
        set.thumbnail.failure = Result::Failure("it has more than 100 million pixels");
        return set;
    }

    // A video's place and device never reach its pictures.
    const bool keepCameraData = request.keepCameraData && !facts.video;
    // What each output's size is, and which are already there.
    const long long sourceSecond = request.smart ? ModifiedSecond(request.source) : -1;
    std::vector<Output> outputs;
    // Siblings of a file that is there are made when missing or stale.
    const auto planSiblings = [&](Output output) {
        PictureOutput& result = *output.result;
        result.webp = request.webp && !output.main &&
                      IsSiblingKept(sourceSecond, *output.path, WebpSibling(*output.path));
        result.avif = request.avif && !output.main &&
                      IsSiblingKept(sourceSecond, *output.path, AvifSibling(*output.path));
        output.webp = request.webp && !result.webp;
        output.avif = request.avif && !result.avif;
        if (output.main || output.webp || output.avif) {
            outputs.push_back(output);
        }
    };
    const auto plan = [&](const std::string& path, int width, int height, int quality,
                          bool cameraData, PictureOutput& result) {
        result.width = width;
        result.height = height;
        result.exists = IsKept(sourceSecond, path, width, height);
        Output output{&path, width, height, quality, cameraData, &result};
        output.main = !result.exists;
        return output;
    };
    int thumbWidth = 0;
    int thumbHeight = 0;
    FitThumbnail(facts.width, facts.height, request.boxSize, request.boxSize, thumbWidth,
                 thumbHeight);
    const bool thumbnailFits = thumbWidth >= 1 && thumbHeight >= 1;
    if (!request.thumbnail.empty()) {
        if (thumbnailFits) {
            planSiblings(plan(request.thumbnail, thumbWidth, thumbHeight, kThumbnailQuality, false,
                              set.thumbnailFile));
        } else {
            set.thumbnail.failure = Result::Failure(
                StringPrintf("it is too narrow for a thumbnail of %d pixels", request.boxSize));
        }
    }
    if (!request.thumbnail2x.empty() && thumbnailFits && facts.width >= 2 * thumbWidth &&
        facts.height >= 2 * thumbHeight) {
        planSiblings(plan(request.thumbnail2x, 2 * thumbWidth, 2 * thumbHeight, kThumbnailQuality,
                          false, set.thumbnail2x));
    }
    if (!request.webCopy.empty()) {
        int webWidth = 0;
        int webHeight = 0;
        FitLongestSide(facts.width, facts.height,
                       request.webSize > 0 ? request.webSize : std::max(facts.width, facts.height),
                       webWidth, webHeight);
        const bool ownSize = webWidth == facts.width && webHeight == facts.height;
        std::string cleaned;
        if (ownSize && MayCopyBytes(request.source, request.webCopy, facts) &&
            (IsKept(sourceSecond, request.webCopy, webWidth, webHeight) ||
             ReadCleanBytes(request.source, cleaned))) {
            set.web = {true, false, webWidth, webHeight};
            if (!cleaned.empty()) {
                set.web.exists = WriteBytes(request.webCopy, cleaned);
                set.web.made = set.web.exists;
            }
            if (set.web.exists) {
                Output siblings{&request.webCopy,   webWidth, webHeight,
                                request.webQuality, false,    &set.web};
                siblings.main = false;
                planSiblings(siblings);
            }
        } else {
            Output output = plan(request.webCopy, webWidth, webHeight, request.webQuality,
                                 keepCameraData, set.web);
            output.sourceBytesIfSmaller = ownSize && !request.keepCameraData &&
                                          extension == "PNG" &&
                                          PathExtension(request.webCopy) == "PNG";
            planSiblings(output);
        }
        if (!request.phoneCopy.empty() && std::max(webWidth, webHeight) > kPhoneCopyAbove) {
            int phoneWidth = 0;
            int phoneHeight = 0;
            // From the source's size, so that rounding the web copy's adds nothing.
            FitLongestSide(facts.width, facts.height, kPhoneCopySize, phoneWidth, phoneHeight);
            planSiblings(plan(request.phoneCopy, phoneWidth, phoneHeight, request.webQuality,
                              keepCameraData, set.phone));
        }
    }

    if (set.thumbnailFile.exists) {
        set.thumbnail.kind = ThumbnailOutcome::Kind::Kept;
    }
    if (outputs.empty()) {
        return set;
    }
    // Largest first: each smaller output is scaled from the one before it.
    std::stable_sort(outputs.begin(), outputs.end(), [](const Output& a, const Output& b) {
        return static_cast<long long>(a.width) * a.height >
               static_cast<long long>(b.width) * b.height;
    });
    // Held until the last output is written.
    const PixelBudget::Share share =
        request.budget != nullptr
            ? request.budget->Take(PeakDecodeBytes(request.source, facts, outputs.front()))
            : PixelBudget::Share();
    bool damaged = false;
    Pixels pixels = DecodeOnce(request.source, facts, outputs.front(), damaged);
    set.decodes = 1;
    if (pixels.empty()) {
        // Said also when a thumbnail was kept or not asked for: the web copy is missing.
        Result failure = DecodeFailure(facts);
        if (!set.thumbnail.failure.ok() &&
            !(!request.thumbnail.empty() && thumbnailFits && !set.thumbnailFile.exists)) {
            // The thumbnail's own reason stays, of the decode's kind.
            failure = Result::Failure(set.thumbnail.failure.text(), failure.kind());
        }
        set.thumbnail.failure = std::move(failure);
        return set;
    }
    for (const Output& output : outputs) {
        if (pixels.Width() != output.width || pixels.Height() != output.height) {
            Pixels scaled = pixels.Scaled(output.width, output.height);
            if (scaled.empty()) {
                continue;
            }
            pixels = std::move(scaled);
        }
        WriteOutput(request.source, pixels, output);
    }
    if (set.thumbnailFile.made) {
        set.thumbnail.kind = ThumbnailOutcome::Kind::Made;
        set.thumbnail.damaged = damaged;
    } else if (!request.thumbnail.empty() && thumbnailFits && !set.thumbnailFile.exists) {
        set.thumbnail.failure = Result::Failure("the thumbnail file could not be written");
    }
    return set;
}
