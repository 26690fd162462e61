#pragma once

// In a site of albums: what becomes of the albums whose source folder is gone. Only what
// this program's runs made goes: the albums its record names, and of each only the files
// the record lists as written by it that are still as they were written (a file changed
// since is the user's now). Anything else stays. Runs on the generation worker thread,
// after every current album is made.

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "generate/album_record.h"
#include "generate/former_outputs.h"
#include "work/worker_messages.h"

// Removes what the record says this program made of each album that is gone: an album of
// the record that is none of albums (paths relative to target, compared by name, or,
// where ignoresCase, by the folder each name finds) and whose folder lies below target
// through folders, not links, and is not the source folder. It loses its pages, its
// thumbnails, the doubles and web copies beside a thumbnail of their name that goes too,
// the tool's own pictures, and the copies of its photos, through former (a copy whose photo
// is no longer anywhere in the source goes to the trash), then every folder of it left
// empty. Files of the user's own stay. Deepest albums first; one status line per file and
// per album. A folder below the target's albums that holds pages with the generator mark
// but is no album of the record is kept with one status line. What was removed is counted
// in former.
void RemoveGoneAlbums(const std::string& target, const std::string& source,
                      const AlbumRecord& record, const std::set<std::string>& albums,
                      bool ignoresCase, FormerOutputs& former,
                      const std::shared_ptr<WorkerMessageReceiver>& window);
