#pragma once

// JPEG data in memory decoded to and encoded from a Raster with libjpeg directly: the
// quick way for the everyday photo, without the general imaging library's machinery.
// This is the one file that knows libjpeg; its errors end here as a result or false. Keeps no
// state; safe to call from several threads at once.

#include <cstddef>
#include <string>

#include "media/raster.h"
#include "platform/expected.h"

// Progressive JPEGs may hold any number of scans, and each costs a pass over the whole
// picture: a few kilobytes can keep a decoder busy for minutes. No real picture comes
// near this many.
inline constexpr int kMaxJpegScans = 1000;

// What DecodeJpegData made of the data when it did not fail. NotDecoded is no failure of
// the picture: it only says this decoder does not take it, and another one may.
enum class JpegDecodeResult {
    Decoded,     // the whole picture
    Damaged,     // corrupt data that libjpeg decoded past: the raster holds what a browser shows
    NotDecoded,  // not one this decoder takes, or an error: another decoder may try
};

// Decodes grey or colour (YCbCr or RGB) 8-bit JPEG data at 1/shrink of its size (shrink
// 1, 2, 4 or 8), which libjpeg does for a fraction of the cost of full size. The raster
// has 1 or 3 bands and holds only the pixels that lie wholly inside the picture, that is
// width / shrink by height / shrink rounded down; it is set only for Decoded and Damaged.
// Any other JPEG (CMYK, for one), a picture over maxPixels and errors give NotDecoded.
// Data cut short or of more than kMaxJpegScans scans fails with kind DamagedInput: it is
// damaged, and not worth another decoder.
Expected<JpegDecodeResult> DecodeJpegData(const unsigned char* data, std::size_t size, int shrink,
                                          long long maxPixels, Raster& raster);

// DecodeJpegData at eighths / 8 of the size (1 to 8): libjpeg scales any number of eighths
// while it decodes, so a picture wanted at 60% of its size need not be decoded whole.
Expected<JpegDecodeResult> DecodeJpegDataInEighths(const unsigned char* data, std::size_t size,
                                                   int eighths, long long maxPixels,
                                                   Raster& raster);

// DecodeJpegDataInEighths from a file, read as the decoder goes rather than held whole. A
// file that cannot be opened fails as "open" of path, from errno.
Expected<JpegDecodeResult> DecodeJpegFileInEighths(const std::string& path, int eighths,
                                                   long long maxPixels, Raster& raster);

// Reads JPEG data, or a JPEG file, through as a decoder would, at the least cost (1/8
// scale, in whatever colour space libjpeg reads it, keeping nothing), for a decoder that
// cannot say what it met: Decoded, Damaged and the DamagedInput failure as DecodeJpegData
// says them, NotDecoded for anything else libjpeg cannot read (a 12-bit picture), and a
// file that cannot be opened as DecodeJpegFileInEighths says it.
Expected<JpegDecodeResult> CheckJpegData(const unsigned char* data, std::size_t size);
Expected<JpegDecodeResult> CheckJpegFile(const std::string& path);

// What a JPEG's header says, read without decoding any pixels.
struct JpegHeader {
    int width = 0;  // as stored, before any EXIF turn
    int height = 0;
    int orientation = 1;      // EXIF orientation, 1 to 8; 1 when absent or invalid
    bool plain = false;       // 8-bit grey or colour, which DecodeJpegData takes
    bool cameraData = false;  // carries EXIF, XMP or IPTC
    std::string iccProfile;   // the embedded colour profile; empty when there is none
};

// Reads the header of JPEG data or a JPEG file, up to its first scan. Fails with kind
// DamagedInput when libjpeg cannot read it (not a JPEG, cut short, or of a kind libjpeg does
// not take, such as 12-bit); a file that cannot be opened fails as "open" of path, from errno.
Expected<JpegHeader> ReadJpegHeaderData(const unsigned char* data, std::size_t size);
Expected<JpegHeader> ReadJpegHeaderFile(const std::string& path);

// Encodes a 1- or 3-band raster as a baseline JPEG of that quality (1 to 100) with
// optimised Huffman tables and no metadata. False, with encoded untouched, on failure.
bool EncodeJpegData(const Raster& raster, int quality, std::string& encoded);
