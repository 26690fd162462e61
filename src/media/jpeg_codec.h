#pragma once

// JPEG data in memory decoded to and encoded from a Raster with libjpeg directly: the
// quick way for the everyday photo, without the general imaging library's machinery.
// This is the one file that knows libjpeg; its errors end here as false. Keeps no
// state; safe to call from several threads at once.

#include <cstddef>
#include <string>

#include "media/raster.h"

// Decodes grey or colour (YCbCr or RGB) 8-bit JPEG data at 1/shrink of its size (shrink
// 1, 2, 4 or 8), which libjpeg does for a fraction of the cost of full size. The raster
// has 1 or 3 bands and holds only the pixels that lie wholly inside the picture, that is
// width / shrink by height / shrink rounded down. False, with the raster untouched, for
// any other JPEG (CMYK, for one), a picture over maxPixels, and anything libjpeg finds
// wrong, a mere warning included: corrupt or truncated data is left to a decoder that
// knows how the caller wants it handled.
bool DecodeJpegData(const unsigned char* data, std::size_t size, int shrink, long long maxPixels,
                    Raster& raster);

// Encodes a 1- or 3-band raster as a baseline JPEG of that quality (1 to 100) with
// optimised Huffman tables and no metadata. False, with encoded untouched, on failure.
bool EncodeJpegData(const Raster& raster, int quality, std::string& encoded);
