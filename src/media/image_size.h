#pragma once

// The pixel width and height of a source image, by its extension: JPEG from the imaging
// library, GIF and PNG from headers read here, HEIF, WebP and TIFF from libvips. Nothing is kept
// between calls; every function is safe to call from several threads at once.

#include <string>

#include "platform/result.h"

// True for the extensions JPEG files go by, in upper case: JPG, JPEG and JPE.
bool IsJpegExtension(const std::string& extension);

// Ok with width and height set; otherwise a failure whose text is a message for the user:
// "Failed to get size of image ..." for a picture of those kinds that cannot be read (of
// kind DamagedInput unless the picture library is missing; a JPEG's outputs are then 0,
// the others' untouched) or "Unrecognized image file extension ..." for any other
// extension (outputs untouched).
Result GetImageSize(const std::string& path, int& width, int& height);

// The size from a GIF87a or GIF89a header: the first image's when its descriptor comes
// first, else the logical screen's. True on success; the outputs are written only then.
bool ReadGifSize(const std::string& path, int& width, int& height);

// The size from a PNG's IHDR chunk. Chunks before it are skipped without reading their
// data, so a forged chunk length costs nothing. True on success; outputs written only then.
bool ReadPngSize(const std::string& path, int& width, int& height);

// True when a PNG lets what lies behind it show through: it has an alpha channel or a
// transparent colour (tRNS) and at least one pixel that is not fully opaque. The pixels
// are read row by row, only when the header allows transparency. A file that cannot be
// read whole counts as transparent, so that nothing is ever flattened by mistake.
bool PngHasTransparency(const std::string& path);
