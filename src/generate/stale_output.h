#pragma once

// What a finished run leaves behind from earlier runs, and only that: index and content
// pages numbered past this run's last (each only when it carries the generator mark), and
// thumbnails, their doubles, web and phone copies whose source is no longer a source.
// Copies of sources are removed only when the program withholds the originals, and only
// exact ones (the target may be the source folder); pictures in the target that are not
// among the sources are only counted. Runs on the generation worker thread after the pages are
// written.

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "generate/generation_summary.h"
#include "generate/source_record.h"
#include "work/worker_messages.h"

// True when the target's "Thumbs" is a symbolic link: nothing is removed from the folder
// it leads to, which need not be part of the site.
bool IsLinkedThumbnailFolder(const std::string& target);

// Removes the stale pages and pictures of the target folder, posting to window one
// status line per file removed (or that could not be removed). written says how many
// index and content pages this run wrote. Pictures are removed only from "Thumbs",
// "Thumbs/2x", "Web" and "Web/Small" that are folders, not links (which get one status
// line instead), and from the last two only when some record has a web copy. A record whose
// original is not published has its copy in the target removed when that has the source's size and
// modification time. Returns the number of files removed.
int RemoveStaleOutput(const std::string& target, const std::vector<SourceRecord>& records,
                      const GenerationSummary& written,
                      const std::shared_ptr<WorkerMessageReceiver>& window);

// In a site of albums: removes what Mavren made of each album whose source folder is gone.
// Such an album is a folder below target (not a link, not hidden, not a "Thumbs" or "Web"
// folder, not the source folder) that is none of albums (paths relative to target) and
// holds an index or content page with the generator mark. It loses its marked pages, its
// thumbnails and web copies and the tool's own pictures, and the copies of its photos that
// are still sources elsewhere (sources: every source file of the site; a copy has the
// name, size and modification time of one), then every folder of it left empty. A copy
// whose photo is no longer anywhere in the source may be its last copy, and stays, as do
// files of the user's own. Deepest albums first; one status line per file and per album.
// Returns the number of files removed.
int RemoveGoneAlbums(const std::string& target, const std::string& source,
                     const std::set<std::string>& albums, const std::vector<std::string>& sources,
                     const std::shared_ptr<WorkerMessageReceiver>& window);

// The number of files in the target folder matching patterns that are neither one of the
// records' sources nor one of keep (the tool's own pictures and the like).
int CountOtherPictures(const std::string& target, const std::string& patterns,
                       const std::vector<SourceRecord>& records,
                       const std::vector<std::string>& keep);
