#pragma once

// Colour management for pixels the libjpeg path decodes: a picture shot in a wide colour
// space (Adobe RGB, Display P3) looks washed out in a browser once its profile is gone,
// so its pixels are brought to sRGB before it is written without one. The one file that
// knows lcms2. Keeps no state; safe on any thread.

#include <string>

#include "media/raster.h"

// Converts an RGB raster from the embedded ICC profile to sRGB. True when converted; false,
// with the raster untouched, for a grey raster, a profile lcms2 cannot read, or one that is
// not an RGB profile.
bool ConvertToSrgb(Raster& raster, const std::string& iccProfile);
