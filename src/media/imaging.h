#pragma once

// The imaging library: JPEG sizes from the header, JPEG and PNG decoding, scaling to an
// exact size, and JPEG or PNG writing. The everyday 8-bit JPEG is decoded, scaled and
// written by libjpeg directly (jpeg_codec.h, raster.h) for speed; everything else goes to
// libvips, which lives in a module loaded on first use (vips_pictures.h). Errors end here
// as an empty Image or false, never as an exception.
//
// Threads: every function may be called from several threads at once, each thread with
// its own images (an Image belongs to one thread at a time). The library starts itself on
// first use; InitImaging() only does it early.

#include <memory>
#include <string>
#include <vector>

#include "platform/result.h"

// Starts the library once per process: one worker thread per picture, since callers work
// on several pictures in parallel themselves; no operation cache, which would hand back
// a changed file's old pixels; no warnings on the terminal. Any thread, any number of times.
void InitImaging();

// Why no picture can be read or written in this process (the libvips module is missing or
// libvips could not start) as a failure, or Ok when they can.
Result ImagingProblem();

// Pictures with more pixels than this are refused by the decoders.
inline constexpr long long kMaxDecodePixels = 100'000'000;

// The pixels of one picture, owned by the object and freed with it; movable, not copyable.
// Width and height are the picture as it is shown: a JPEG whose EXIF orientation turns it
// reports the turned size, and its pixels come out upright. A decoded file is decoded when
// its pixels are first needed, so ScaleImage can let the JPEG decoder work at 1/2, 1/4 or
// 1/8 scale instead of decoding every pixel. Opening reads the header; the pixels are
// decoded from the file as it is read, never held whole. A file that no longer has the
// size it had when opened is not decoded.
class Image {
  public:
    Image();
    ~Image();
    Image(Image&& other) noexcept;
    Image& operator=(Image&& other) noexcept;
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    bool empty() const { return pixels == nullptr; }
    int width() const;   // 0 when empty
    int height() const;  // 0 when empty
    // True when a JPEG's pixels came from corrupt data that the decoder read past, as a
    // browser does: the picture shows what could be read. Known once it has been scaled.
    bool damaged() const;

    // The pixels as 8-bit RGB, three bytes a pixel, row after row from the top, with any
    // transparency laid over white. Empty when the image is empty or cannot be decoded.
    std::vector<unsigned char> Rgb() const;

    struct Pixels;  // the libraries' side, defined in imaging.cpp

  private:
    explicit Image(std::unique_ptr<Pixels> pixels);
    std::unique_ptr<Pixels> pixels;
    friend struct ImagingAccess;
};

// Reads the width and height of a JPEG file from its header, without decoding it.
// True when both were read; the outputs are written only then.
bool ReadJpegSize(const std::string& path, int& width, int& height);

// Opens a JPEG or PNG file and checks its header. Empty when the file cannot be read, is
// not of that kind, or has more than kMaxDecodePixels pixels.
Image DecodeJpeg(const std::string& path);
Image DecodePng(const std::string& path);

// The image scaled to exactly width by height pixels (both at least 1) with a Lanczos
// filter. Empty when the pixels cannot be decoded (truncated data, a JPEG of more scans
// than kMaxJpegScans in jpeg_codec.h) or a size is below 1; a JPEG with corrupt data is
// decoded as far as it goes and the result is damaged().
Image ScaleImage(const Image& image, int width, int height);

// Writes the image as JPEG at quality 75 when the file name ends in ".jpg", ".jpeg" or ".jpe",
// as PNG when it ends in ".png" (any letter case), without metadata. The file is replaced
// whole or not at all. A failure leaves any old file alone: another ending or an empty
// image, pixels that cannot be decoded (DamagedInput), an encoder that refused, or the
// file's own failure (its step and errno value).
Result WriteImage(const std::string& path, const Image& image);
