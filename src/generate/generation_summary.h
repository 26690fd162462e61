#pragma once

// What one generation run did: the pages it wrote, the thumbnails it made and kept, the
// pictures left without one, the stale files it removed and the time it took. Filled on
// the worker thread during the run and read once the run has ended.

#include <string>

struct GenerationSummary {
    int indexPages = 0;
    int contentPages = 0;
    int thumbnailsMade = 0;
    int thumbnailsKept = 0;
    int withoutThumbnail = 0;  // pictures whose thumbnail could not be made
    int filesRemoved = 0;
    double seconds = 0;
};

// One line for the end of a run: "12 pages written, 10 thumbnails made, 0 kept, 1 file
// removed, 1 picture without a thumbnail, 2.4 seconds".
std::string SummaryLine(const GenerationSummary& summary);
