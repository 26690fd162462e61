#pragma once

// Where a photo was taken and whose camera took it, as exiv2 finds them in its EXIF
// (maker notes included) and XMP data: the GPS position, the serial numbers of the camera
// and lens, and the owner's name. Found, or removed losslessly. The one file besides
// camera_data.cpp that writes with exiv2; its exceptions end here. Safe on any thread.

#include <string>

#include "platform/expected.h"
#include "platform/result.h"

// True when the picture file carries a GPS position; false when it carries none or
// cannot be read.
bool CarriesPlace(const std::string& path);

// The number of place and identity fields in the picture file. Fails with kind
// DamagedInput, in exiv2's words, when exiv2 cannot read it.
Expected<int> PlaceAndIdentityFields(const std::string& path);

// Removes the place and identity fields from bytes, a whole picture file, leaving every
// other byte of the picture as it was; removed says how many went. Nothing to remove
// leaves bytes untouched. A failure (exiv2 cannot read or rewrite this kind of picture)
// leaves bytes untouched too.
Result RemovePlaceAndIdentity(std::string& bytes, int& removed);
