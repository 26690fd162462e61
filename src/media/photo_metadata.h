#pragma once

// What a photo's own metadata (EXIF, XMP, IPTC) says about it, read with exiv2: only the
// metadata segments are read, never the pixels. JPEG, PNG, TIFF, WebP and HEIC/HEIF
// (through exiv2's BMFF reader) are understood. exiv2 stays inside this file's source;
// its messages never reach the terminal. Safe to call from several threads at once.

#include <string>

#include "platform/photo_facts.h"

// The facts of the photo at path. A file exiv2 cannot read, or one without metadata,
// gives empty facts (a date of 0, empty texts); never throws.
PhotoFacts ReadPhotoFacts(const std::string& path);

// True when text is one of the placeholders cameras write as a description ("OLYMPUS
// DIGITAL CAMERA", "SONY DSC", ...) or holds nothing but blanks: no caption of the user's.
bool IsPlaceholderCaption(const std::string& text);
