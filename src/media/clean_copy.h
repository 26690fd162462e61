#pragma once

// Pictures that reach a site as they are, with nothing private left in them: the copy
// step's cleaning. Two kinds of copy, both lossless (the coded pixels are the source's
// bytes): a clean copy keeps only what shows the picture, and an original without place
// and identity is the source apart from its GPS position, serial numbers and owner name.
// Keeps no state; safe on several threads at once for different destinations.

#include <string>
#include <string_view>

#include "platform/result.h"

// The bytes of a JPEG, PNG or GIF picture with only what shows it: a JPEG keeps its
// coding segments, JFIF, colour profile and Adobe colour segments, and its EXIF
// orientation as the one tag of a small EXIF segment of its own, and loses comments,
// other application segments and whatever follows its end marker (a phone's motion video);
// a PNG keeps its image, transparency, colour, pixel size and animation chunks and loses
// text, EXIF, time and private chunks; a GIF keeps its frames, frame controls and
// NETSCAPE2.0 looping and loses comments and other application extensions. False, with
// cleaned unspecified, when the bytes are none of those or not whole.
bool CleanPictureBytes(std::string_view bytes, std::string& cleaned);

enum class PublishedCopy {
    Clean,         // CleanPictureBytes
    WithoutPlace,  // the source less its GPS position, serial numbers and owner name
};

// Makes destination the kind of copy of source, unless it is one already: a regular file
// with the source's modification time (to the second) that has nothing left to remove.
// The copy goes through a temporary file renamed over destination and gets the source's
// modification time and permission bits, so the next run recognises it. The failure's
// text says why: the file could not be read or written, or it could not be cleaned (then
// nothing was written, and the kind is DamagedInput).
Result PublishCopyIfChanged(const std::string& source, const std::string& destination,
                            PublishedCopy kind);
