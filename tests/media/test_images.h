#pragma once

// Pictures for the media tests, made and inspected with libvips directly, so the checks
// do not lean on the adapter they test. Each call stands alone; any thread.

#include <functional>
#include <string>
#include <vector>

struct Colour {
    int r = 0;
    int g = 0;
    int b = 0;
};

// The colour of the pixel at column x, row y.
using PixelFunction = std::function<Colour(int x, int y)>;

struct PictureOptions {
    int orientation = 0;       // EXIF orientation stored in a JPEG; 0 stores none
    int quality = 90;          // JPEG quality
    bool alpha = false;        // PNG: add an alpha band, half the picture transparent
    bool sixteenBit = false;   // PNG: 16 bits a sample
    bool grey = false;         // one band: the red value
    bool cmyk = false;         // JPEG: four bands, the colour taken as C, M, Y and K 0
    bool progressive = false;  // JPEG: progressive rather than baseline
};

void WriteJpeg(const std::string& path, int width, int height, const PixelFunction& pixel,
               const PictureOptions& options = {});
void WritePng(const std::string& path, int width, int height, const PixelFunction& pixel,
              const PictureOptions& options = {});

// A picture's bytes as stored, rows from the top, not turned by any orientation.
struct Picture {
    bool loaded = false;
    std::string loader;  // "jpegload", "pngload", ...
    int width = 0;
    int height = 0;
    int orientation = 0;             // 0 when the file stores none
    int bands = 0;                   // as stored
    std::vector<unsigned char> rgb;  // 8-bit RGB after converting to sRGB
    Colour At(int x, int y) const;
};

Picture ReadPicture(const std::string& path);

// A JPEG's samples as libvips' own loader gives them at 1/shrink of the size, not turned,
// with as many bands as stored; no bytes when it cannot load the file.
struct Samples {
    int width = 0;
    int height = 0;
    int bands = 0;
    std::vector<unsigned char> bytes;
};
Samples LoadJpegSamples(const std::string& path, int shrink);

// A picture with a different flat colour in each quarter, to tell which way it is turned.
Colour Quarters(int x, int y, int width, int height);
extern const Colour kTopLeft, kTopRight, kBottomLeft, kBottomRight;

// A JPEG with EXIF orientation 1 to 8 whose pixels are stored turned, so that shown the
// way the orientation says it is Quarters at shownWidth by shownHeight, upright.
void WriteTurnedQuarters(const std::string& path, int orientation, int shownWidth, int shownHeight);

// True when the colours differ by at most tolerance in every channel.
bool Near(const Colour& a, const Colour& b, int tolerance = 40);

// Something like a photograph: smooth shading with fine texture, different per seed.
Colour PhotoLike(int x, int y, int seed);

// Sets the width and height in the first SOF marker of a JPEG held in bytes.
void PatchJpegSize(std::string& bytes, int width, int height);

// A JPEG whose last scan is repeated until it holds times more scans: a progressive
// picture of that many scans that decoders must not spend their time on.
std::string WithRepeatedLastScan(const std::string& jpeg, int times);

// A complete JPEG whose first scan has a run of one bits in the middle, which no Huffman
// code of libjpeg's standard tables is: corrupt data libjpeg warns about and decodes past.
std::string WithCorruptScan(const std::string& jpeg);
