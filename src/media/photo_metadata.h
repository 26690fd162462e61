#pragma once

// What a photo's own metadata (EXIF, XMP, IPTC) says about it, read with exiv2: only the
// metadata segments are read, never the pixels. JPEG, PNG, TIFF and WebP are understood,
// and HEIC/HEIF through exiv2's BMFF reader (exiv2 0.27 misses the metadata of files whose
// item locations use base offsets, as libheif writes them). exiv2 is not seen outside the
// media sources, and its messages never reach the terminal. Safe to call from several
// threads at once.

#include <string>

#include "platform/photo_facts.h"

// The facts of the photo at path. A file exiv2 cannot read, or one without metadata,
// gives empty facts (a date of 0, empty texts); never throws. The caption is the first of
// the EXIF description, the XMP description and the IPTC caption that is not blank nor a
// text cameras write on their own ("OLYMPUS DIGITAL CAMERA", "SONY DSC", ...).
PhotoFacts ReadPhotoFacts(const std::string& path);
