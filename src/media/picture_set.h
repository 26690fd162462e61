#pragma once

// The pictures one photo gets in a site: its thumbnail, the thumbnail at twice the size
// for sharp screens, the web copy a content page shows and a smaller copy for phones, all
// made from one decode of the source at the largest size any of them needs. Thumbnails
// and copies carry no metadata, have their orientation applied to the pixels, and are in
// sRGB when the source carries a colour profile. Keeps nothing between calls; safe on
// several threads at once, each on its own files.

#include <string>

#include "media/pixel_budget.h"
#include "media/thumbnails.h"

// Phone copies: made when the web copy's longest side exceeds kPhoneCopyAbove, with
// kPhoneCopySize as their longest side.
inline constexpr int kPhoneCopyAbove = 1000;
inline constexpr int kPhoneCopySize = 800;

// Which files to make for one source. Paths are full; an empty one is not made. The
// format of each file follows its name: JPEG for ".jpg" (and ".jpeg", ".jpe"), else PNG.
struct PictureSetRequest {
    // A JPEG, PNG, GIF (first frame), HEIF, WebP or TIFF picture, or a video
    // (IsVideoFile), whose poster frame the files show; they never get a video's metadata.
    std::string source;
    std::string thumbnail;  // fitted into the boxSize square
    int boxSize = 0;
    bool smart = false;           // keep an output newer than the source of the expected size
    std::string thumbnail2x{};    // twice the thumbnail's size, when the source has the pixels
    std::string webCopy{};        // longest side webSize, or the source's own size when smaller
    std::string phoneCopy{};      // when the web copy is large enough to need one
    int webSize = 0;              // 0: the web copy keeps the source's size
    int webQuality = 82;          // JPEG quality of the web and phone copies
    bool keepCameraData = false;  // the web and phone copies get the source's metadata
    // Every file made also gets a WebP (AVIF) copy of the same pixels beside it, named by
    // WebpSibling (AvifSibling); transparency is kept in them.
    bool webp = false;
    bool avif = false;
    // When given (it must outlive the call), the decode waits for its share of it.
    PixelBudget* budget = nullptr;
};

inline std::string WebpSibling(const std::string& path) {
    return path + ".webp";
}
inline std::string AvifSibling(const std::string& path) {
    return path + ".avif";
}

// One output file after the call: whether it exists (made now or kept) and its size.
struct PictureOutput {
    bool exists = false;
    bool made = false;  // written by this call
    int width = 0;
    int height = 0;
    bool webp = false;  // its WebP copy exists, when asked for
    bool avif = false;  // its AVIF copy exists, when asked for
};

struct PictureSet {
    // The thumbnail, told as MakeThumbnail tells it; its size is in thumbnailFile.
    ThumbnailOutcome thumbnail;
    PictureOutput thumbnailFile;
    PictureOutput thumbnail2x;
    PictureOutput web;
    PictureOutput phone;
    int decodes = 0;  // how often the source's pixels were decoded: 0 or 1
};

// Makes the files the request names. A JPEG or PNG source that needs nothing but its
// thumbnail gets exactly what MakeThumbnail makes. Failures are told in the outcome
// (thumbnail) or by an output that does not exist.
PictureSet MakePictureSet(const PictureSetRequest& request);

// The size of a picture fitted so that its longest side is at most longest, keeping its
// shape (rounded, at least 1); a smaller picture keeps its size.
void FitLongestSide(int width, int height, int longest, int& outWidth, int& outHeight);
