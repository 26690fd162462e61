#pragma once

// What a finished run leaves behind from earlier runs, and only that: index and content
// pages numbered past this run's last, or numbered at all when this run's content pages are
// named after their files (each only when it carries the generator mark), and
// thumbnails, their doubles, web and phone copies whose source is no longer a source or is
// a damaged picture.
// Copies of sources are removed only when the program withholds the originals, and only
// exact ones (the target may be the source folder); pictures in the target that are not
// among the sources are only counted. Runs on the generation worker thread after the pages are
// written.

#include <memory>
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
// line instead), and from the last two only when some record has a web copy; a picture in
// the last three only while "Thumbs" held a thumbnail of its name before anything was
// removed. A record whose original is not published has its copy in the target removed
// when that has the source's size and modification time. Returns the number of files
// removed.
int RemoveStaleOutput(const std::string& target, const std::vector<SourceRecord>& records,
                      const GenerationSummary& written,
                      const std::shared_ptr<WorkerMessageReceiver>& window);

// The number of files in the target folder matching patterns that are neither one of the
// records' sources nor one of keep (the tool's own pictures and the like).
int CountOtherPictures(const std::string& target, const std::string& patterns,
                       const std::vector<SourceRecord>& records,
                       const std::vector<std::string>& keep);
