#pragma once

// The part of the imaging library that needs libvips. It is built as a module of its own,
// mavren-vips.so beside the programs, which imaging.cpp loads when a picture is first
// needed: libvips brings about a hundred shared libraries, and loading them at every start
// would cost each mavren-cli command some 30 ms, also the many that never touch a picture.
// This header is all the two sides share; the module knows nothing else of the core.
//
// Threads: the calls may come from several threads at once, each with its own pictures.
// Failures end here as a null picture or false, never as an exception.

#include <memory>
#include <string>
#include <vector>

struct Raster;

// What Encode writes.
enum class PictureFormat { Jpeg, Png, Webp, Avif };

// Pixels held by libvips, in memory.
class VipsPicture {
  public:
    virtual ~VipsPicture() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
};

// Where a picture's data lies: a JPEG or PNG file.
struct PictureSource {
    const std::string& path;
    bool jpeg = true;
};

struct PictureHeader {
    int width = 0;  // as stored, before any EXIF turn
    int height = 0;
    int orientation = 1;  // EXIF orientation of a JPEG, 1 to 8; 1 when absent or invalid
    bool plain = false;   // 8-bit grey or RGB
};

class VipsPictures {
  public:
    // Reads the header with the loader of the source's kind alone, so that a file named
    // .jpg that holds something else is refused, whatever libvips could make of it.
    virtual bool ReadHeader(const PictureSource& source, PictureHeader& header) const = 0;
    // The source's pixels at 1/shrink of their stored size (shrink > 1 for JPEGs only),
    // not turned. Null on failure, and when they are not width by height: the file changed.
    virtual std::unique_ptr<VipsPicture> Load(const PictureSource& source, int shrink, int width,
                                              int height) const = 0;
    // A copy of an 8-bit raster.
    virtual std::unique_ptr<VipsPicture> FromRaster(const Raster& raster) const = 0;
    // Scaled to exactly width by height with a Lanczos filter; transparent pixels do not
    // bleed their hidden colour into the edges.
    virtual std::unique_ptr<VipsPicture> Resize(const VipsPicture& picture, int width,
                                                int height) const = 0;
    // 8-bit grey or sRGB, transparency laid over white: what a browser would show.
    virtual bool ToRaster(const VipsPicture& picture, Raster& raster) const = 0;
    // A JPEG at that quality (1 to 100) on white, or a PNG, WebP or AVIF (AV1) that keeps
    // its transparency, all 8-bit and without metadata. quality means nothing to PNG.
    virtual bool Encode(const VipsPicture& picture, PictureFormat format, int quality,
                        std::string& encoded) const = 0;
    // The size of any picture file libvips reads (HEIF, WebP, TIFF, GIF, ...) as it is
    // shown, that is after its orientation; the pixels are not decoded. False on failure.
    virtual bool ReadShownSize(const std::string& path, int& width, int& height) const = 0;
    // The file's first picture, upright, in sRGB when it carries a colour profile, with its
    // transparency, scaled to exactly width by height in one decode that skips what the
    // file's format lets it skip at that size. Null on failure, also for a JPEG cut short.
    virtual std::unique_ptr<VipsPicture> LoadFitted(const std::string& path, int width,
                                                    int height) const = 0;
    // Whether a PNG has a pixel that is not fully opaque, read row by row without holding
    // the picture. False when the file cannot be read whole.
    virtual bool FindTransparentPixel(const std::string& path, bool& found) const = 0;

  protected:
    ~VipsPictures() = default;
};

// The module's one entry: libvips started (one worker thread per picture, since callers
// work on several pictures in parallel themselves; no operation cache, which would hand
// back a changed file's old pixels; no warnings on the terminal), or null when it could
// not start.
extern "C" const VipsPictures* MavrenVipsPictures();
