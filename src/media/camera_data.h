#pragma once

// The metadata a camera or an editor stores in a picture (EXIF, IPTC, XMP, a colour
// profile), as web copies need it: found, or copied into a written copy. The one file of
// this side that knows exiv2; its exceptions end here as false. Safe on any thread.

#include <string>

// True when the picture file carries EXIF, IPTC or XMP data or a colour profile, or cannot
// be read (then it is safer to treat as carrying some).
bool CarriesCameraData(const std::string& path);

// Puts the EXIF, IPTC and XMP data of source into encoded, the bytes of a JPEG or PNG made
// from it: the orientation is set to 1 (the pixels are upright already) and the camera's
// own small preview is left out. True when done; false, with encoded untouched, on failure.
bool CopyCameraData(const std::string& source, std::string& encoded);
