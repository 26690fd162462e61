#include "media/thumbnails.h"

#include <sys/stat.h>

#include "media/image_size.h"
#include "media/imaging.h"
#include "platform/format.h"
#include "platform/paths.h"

namespace {

// The size of an existing thumbnail that smart mode may keep: written after its source,
// readable, filling the box in one direction and inside it in the other. False when it
// must be made again.
bool KeptThumbnailSize(const std::string& source, const std::string& thumbnail,
                       const std::string& extension, int boxWidth, int boxHeight, int& width,
                       int& height) {
    struct stat sourceStatus;
    struct stat thumbnailStatus;
    if (::stat(source.c_str(), &sourceStatus) != 0 ||
        ::stat(thumbnail.c_str(), &thumbnailStatus) != 0 ||
        sourceStatus.st_mtim.tv_sec >= thumbnailStatus.st_mtim.tv_sec) {
        return false;
    }
    bool read = false;
    if (IsJpegExtension(extension)) {
        read = ReadJpegSize(thumbnail, width, height);
    } else if (extension == "PNG") {
        read = ReadPngSize(thumbnail, width, height);
    }
    // Filling one side is not enough: after the box shrank, a thumbnail can share one
    // side with it and still stick out of it on the other.
    return read && ((width == boxWidth && height <= boxHeight) ||
                    (height == boxHeight && width <= boxWidth));
}

// Why source could not be decoded: of kind DamagedInput when the fault is the file's own.
Result DecodeFailure(const std::string& source, bool jpeg) {
    if (const Result problem = ImagingProblem(); !problem.ok()) {
        return Result::Failure("the picture library is missing: " + problem.text());
    }
    int width = 0;
    int height = 0;
    const bool sized =
        jpeg ? ReadJpegSize(source, width, height) : ReadPngSize(source, width, height);
    if (sized && static_cast<long long>(width) * height > kMaxDecodePixels) {
        return Result::Failure("it has more than 100 million pixels");
    }
    return Result::Failure(
        jpeg ? "it is damaged or not a JPEG picture" : "it is damaged or not a PNG picture",
        Result::Kind::DamagedInput);
}

}  // namespace

void FitThumbnail(int width, int height, int boxWidth, int boxHeight, int& outWidth,
                  int& outHeight) {
    if (width <= 0 || height <= 0) {
        outWidth = 0;
        outHeight = 0;
        return;
    }
    if (height < width) {
        outWidth = boxWidth;
        outHeight = static_cast<int>(static_cast<double>(height) / width * boxWidth);
    } else {
        outHeight = boxHeight;
        outWidth = static_cast<int>(static_cast<double>(width) / height * boxHeight);
    }
}

bool MakeThumbnail(const std::string& source, const std::string& thumbnail, int boxWidth,
                   int boxHeight, int& outWidth, int& outHeight, bool smart,
                   ThumbnailOutcome* outcome) {
    ThumbnailOutcome result;
    const auto finish = [&result, outcome] {
        if (outcome != nullptr) {
            *outcome = std::move(result);
        }
        return true;
    };
    const std::string extension = PathExtension(source);
    int keptWidth = 0;
    int keptHeight = 0;
    if (smart && KeptThumbnailSize(source, thumbnail, extension, boxWidth, boxHeight, keptWidth,
                                   keptHeight)) {
        outWidth = keptWidth;
        outHeight = keptHeight;
        result.kind = ThumbnailOutcome::Kind::Kept;
        return finish();
    }
    const bool jpeg = IsJpegExtension(extension);
    if (!jpeg && extension != "PNG") {
        result.failure = Result::Failure("it is not a JPEG or PNG picture");
        return finish();
    }
    const Image decoded = jpeg ? DecodeJpeg(source) : DecodePng(source);
    if (decoded.empty()) {
        result.failure = DecodeFailure(source, jpeg);
        return finish();
    }
    int width = 0;
    int height = 0;
    FitThumbnail(decoded.width(), decoded.height(), boxWidth, boxHeight, width, height);
    if (width < 1 || height < 1) {
        result.failure = Result::Failure(
            StringPrintf("it is too narrow for a thumbnail of %d pixels", boxWidth));
        return finish();
    }
    const Image scaled = ScaleImage(decoded, width, height);
    if (scaled.empty()) {
        result.failure = Result::Failure("it is damaged", Result::Kind::DamagedInput);
        return finish();
    }
    if (!WriteImage(thumbnail, scaled).ok()) {
        // Not the source's fault, whatever the writer met: the source is not taken for damaged.
        result.failure = Result::Failure("the thumbnail file could not be written");
        return finish();
    }
    outWidth = width;
    outHeight = height;
    result.kind = ThumbnailOutcome::Kind::Made;
    result.damaged = scaled.damaged();
    return finish();
}
