#pragma once

// 8-bit pixels in memory, grey or RGB, with the two steps a thumbnail needs after
// decoding: scaling to an exact size and turning upright. A Raster owns its samples and
// is a plain value; the functions keep no state and are safe on any thread.

#include <vector>

struct Raster {
    int width = 0;
    int height = 0;
    int bands = 0;                       // 1 (grey) or 3 (RGB)
    std::vector<unsigned char> samples;  // rows from the top, bands bytes a pixel

    bool empty() const { return samples.empty(); }
};

// The raster scaled to exactly width by height (both at least 1) with a Lanczos filter of
// three lobes, widened when reducing so that every source pixel counts; the edge pixels
// are repeated beyond the border. Empty when the raster is empty or a size is below 1.
Raster ResizeRaster(const Raster& raster, int width, int height);

// The raster turned the way an EXIF orientation (1 to 8) says, so that it comes out
// upright; orientations 5 to 8 swap width and height. Any other value leaves it as it is.
Raster TurnRaster(Raster raster, int orientation);
