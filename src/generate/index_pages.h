#pragma once

// Writes the index pages of a site: INDEX000.HTM, INDEX001.HTM ... in the target folder,
// each a table with one entry per source file (a thumbnail or the file's name, linked to
// its content page or to the file), chained by Previous and Next links. Stores in each
// record the name of the page that shows it. Runs on the generation worker thread; it
// reports to the run's window and polls the run's stop flag before each page and each entry.

#include <vector>

#include "document/program.h"
#include "generate/album_place.h"
#include "generate/page_frame.h"
#include "generate/source_record.h"
#include "generate/thumbnail_queue.h"

// The layout of a program that leaves the numbers to Mavren: pages of 3 across, 3 down.
inline constexpr int kTypicalAcross = 3;
inline constexpr int kTypicalDown = 3;

// Returns false after telling the user when a page cannot be finished; pages written
// so far stay. A stop ends the loops at their next test and still counts as success.
// The pages open with the run's frame and are counted in its summary (a run of their
// own without one). Thumbnails come from the queue, which may already be making them;
// without one they are made ahead on `jobs` threads (0: one per core). An album's pages
// list its sub-albums first, take "%A" in their title and link Up to the parent album.
bool GenerateIndexPages(std::vector<SourceRecord>& records, const Program& program,
                        PageRun* run = nullptr, ThumbnailQueue* thumbnails = nullptr, int jobs = 0,
                        const AlbumPlace* album = nullptr);

// The thumbnail job of a record, as the index pages make it, with the record's other
// pictures (picture_names.h); false for a record that has no thumbnail (thumbnails off,
// sources that are not images, GIF pictures without a thumbnail of their own).
bool IndexThumbnailJob(const SourceRecord& record, const Program& program,
                       ThumbnailQueue::Job& job);

// How many index pages GenerateIndexPages writes for count entries (sources and
// sub-albums) by the program's layout settings: one without multiple pages, else as many as the
// entries fill (none for no sources).
int IndexPageCount(const Program& program, int count);

// The entries across a row of an index page and on one page (0 when the settings give none).
void IndexPageShape(const Program& program, int& across, int& perPage);
