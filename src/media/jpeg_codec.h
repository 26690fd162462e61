#pragma once

// JPEG data in memory decoded to and encoded from a Raster with libjpeg directly: the
// quick way for the everyday photo, without the general imaging library's machinery.
// This is the one file that knows libjpeg; its errors end here as a result or false. Keeps no
// state; safe to call from several threads at once.

#include <cstddef>
#include <string>

#include "media/raster.h"

// Progressive JPEGs may hold any number of scans, and each costs a pass over the whole
// picture: a few kilobytes can keep a decoder busy for minutes. No real picture comes
// near this many.
inline constexpr int kMaxJpegScans = 1000;

// What DecodeJpegData made of the data.
enum class JpegDecodeResult {
    Decoded,     // the whole picture
    Damaged,     // corrupt data that libjpeg decoded past: the raster holds what a browser shows
    Refused,     // cut short, or more than kMaxJpegScans scans: damaged, not worth another decoder
    NotDecoded,  // not one this decoder takes, or an error: another decoder may try
};

// Decodes grey or colour (YCbCr or RGB) 8-bit JPEG data at 1/shrink of its size (shrink
// 1, 2, 4 or 8), which libjpeg does for a fraction of the cost of full size. The raster
// has 1 or 3 bands and holds only the pixels that lie wholly inside the picture, that is
// width / shrink by height / shrink rounded down; it is set only for Decoded and Damaged.
// Any other JPEG (CMYK, for one), a picture over maxPixels and errors give NotDecoded.
JpegDecodeResult DecodeJpegData(const unsigned char* data, std::size_t size, int shrink,
                                long long maxPixels, Raster& raster);

// DecodeJpegData at eighths / 8 of the size (1 to 8): libjpeg scales any number of eighths
// while it decodes, so a picture wanted at 60% of its size need not be decoded whole.
JpegDecodeResult DecodeJpegDataInEighths(const unsigned char* data, std::size_t size, int eighths,
                                         long long maxPixels, Raster& raster);

// DecodeJpegDataInEighths from a file, read as the decoder goes rather than held whole.
JpegDecodeResult DecodeJpegFileInEighths(const std::string& path, int eighths, long long maxPixels,
                                         Raster& raster);

// Reads JPEG data, or a JPEG file, through as a decoder would, at the least cost (1/8
// scale, in whatever colour space libjpeg reads it, keeping nothing), for a decoder that
// cannot say what it met: Decoded, Damaged or Refused as DecodeJpegData says them, and
// NotDecoded for anything libjpeg cannot read (a 12-bit picture, a missing file).
JpegDecodeResult CheckJpegData(const unsigned char* data, std::size_t size);
JpegDecodeResult CheckJpegFile(const std::string& path);

// What a JPEG's header says, read without decoding any pixels.
struct JpegHeader {
    int width = 0;  // as stored, before any EXIF turn
    int height = 0;
    int orientation = 1;      // EXIF orientation, 1 to 8; 1 when absent or invalid
    bool plain = false;       // 8-bit grey or colour, which DecodeJpegData takes
    bool cameraData = false;  // carries EXIF, XMP or IPTC
    std::string iccProfile;   // the embedded colour profile; empty when there is none
};

// Reads the header of JPEG data or a JPEG file, up to its first scan. False when libjpeg
// cannot read it (not a JPEG, cut short, or of a kind libjpeg does not take, such as 12-bit).
bool ReadJpegHeaderData(const unsigned char* data, std::size_t size, JpegHeader& header);
bool ReadJpegHeaderFile(const std::string& path, JpegHeader& header);

// Encodes a 1- or 3-band raster as a baseline JPEG of that quality (1 to 100) with
// optimised Huffman tables and no metadata. False, with encoded untouched, on failure.
bool EncodeJpegData(const Raster& raster, int quality, std::string& encoded);
