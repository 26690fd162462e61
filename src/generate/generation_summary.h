#pragma once

// What one generation run did: the pages it wrote, the thumbnails it made and kept, the
// pictures left without one, the stale files it removed and the time it took. Filled on
// the worker thread during the run and read once the run has ended.

#include <string>
#include <vector>

struct GenerationSummary {
    int indexPages = 0;
    int contentPages = 0;
    int pagesUnchanged = 0;  // of those pages, the ones whose file already held their bytes
    int thumbnailsMade = 0;
    int thumbnailsKept = 0;
    int withoutThumbnail = 0;  // pictures whose thumbnail could not be made
    int filesRemoved = 0;
    int photosTrashed = 0;       // of those, copies of photos gone from the source, in the trash
    int albums = 0;              // in a site of albums, with the top; 0 for a site without albums
    int pictures = 0;            // the sources of all its albums
    int originalsWithPlace = 0;  // originals published as taken that carry a GPS position
    int videosMade = 0;          // web copies of videos made
    int videosKept = 0;          // web copies of videos already there as made
    std::vector<std::string> unreadableVideos;  // the names of videos that could not be read
    double seconds = 0;
};

// One line for the end of a run: "12 pages written, 10 thumbnails made, 0 kept, 1 file
// removed, 1 picture without a thumbnail, 2.4 seconds" ("2 pages written, 10 unchanged,
// ..." when some pages were already there as made), led by "2000 files in 41 albums: "
// for a site of albums; "(2 photos moved to the trash)" follows the files removed when any
// were, "3 videos made, 9 kept, " follows the thumbnails in a site with videos,
// "1 video could not be read: beach.mov" comes after the time when one could not, and
// the OriginalsWithPlaceLine sentence ends it when some published original shows where it
// was taken.
std::string SummaryLine(const GenerationSummary& summary);

// "12 published originals show where they were taken"; "" for none.
std::string OriginalsWithPlaceLine(int count);
