#include "media/thumbnails.h"

#include <sys/stat.h>

#include "media/image_size.h"
#include "media/imaging.h"
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
    if (extension == "JPG") {
        read = ReadJpegSize(thumbnail, width, height);
    } else if (extension == "PNG") {
        read = ReadPngSize(thumbnail, width, height);
    }
    // Filling one side is not enough: after the box shrank, a thumbnail can share one
    // side with it and still stick out of it on the other.
    return read && ((width == boxWidth && height <= boxHeight) ||
                    (height == boxHeight && width <= boxWidth));
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
                   int boxHeight, int& outWidth, int& outHeight, bool smart) {
    const std::string extension = PathExtension(source);
    int keptWidth = 0;
    int keptHeight = 0;
    if (smart && KeptThumbnailSize(source, thumbnail, extension, boxWidth, boxHeight, keptWidth,
                                   keptHeight)) {
        outWidth = keptWidth;
        outHeight = keptHeight;
        return true;
    }
    Image decoded;
    if (extension == "JPG") {
        decoded = DecodeJpeg(source);
    } else if (extension == "PNG") {
        decoded = DecodePng(source);
    }
    if (decoded.empty()) {
        return true;
    }
    int width = 0;
    int height = 0;
    FitThumbnail(decoded.width(), decoded.height(), boxWidth, boxHeight, width, height);
    const Image scaled = ScaleImage(decoded, width, height);
    if (scaled.empty() || !WriteImage(thumbnail, scaled)) {
        return true;
    }
    outWidth = width;
    outHeight = height;
    return true;
}
