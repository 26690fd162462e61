#pragma once

// What a run made before and makes no more: a page, picture or copy of a source whose
// source has left the program's sources (removed, renamed, moved to another album, no
// longer matching the patterns, its original withheld). Only a file the record of the site
// lists as written by this program's runs, and still as it was written, goes: one changed
// since is the user's and stays, with one status line. A copy of an original whose photo is
// no longer anywhere in the sources may be its last copy: it goes to the desktop's trash,
// and the run names all of those once, at its end. Used by one run on the generation
// worker thread.

#include <sys/types.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "document/program.h"
#include "generate/album_record.h"
#include "generate/generation_summary.h"
#include "work/worker_messages.h"

// The status line of a run whose source was not read whole, which therefore removes nothing
// that earlier runs made.
inline constexpr char kSourceNotWhole[] =
    "Removed nothing that earlier runs made: the source folder could not be read whole.";

// What the run of a folder of the site wrote or kept there, as the record keeps it: the
// outputs GenerateFolder names, with the credit badge and the placeholder of GIFs where the
// program's settings put them; those that are missing are left out.
std::vector<AlbumOutputFile> WrittenOutputs(const Program& program,
                                            std::vector<std::string> outputs);

// Adds to now what before lists and now does not: what a run that removed nothing left of
// earlier runs, still theirs to remove later.
void KeepEarlierOutputs(std::vector<AlbumOutputFile>& now,
                        const std::vector<AlbumOutputFile>& before);

// True when the file is there, a regular file, as the record says a run wrote it.
bool AsWritten(const std::string& folder, const AlbumOutputFile& file);

// True when relative (no "..", not absolute) leads from folder to a folder through
// folders only, never a link; "" is folder itself.
bool IsFolderBelow(const std::string& folder, const std::string& relative);

// True for an output that is a copy of an original: a file beside the pages that is
// neither a page nor one of the tool's own pictures.
bool IsOriginalCopy(const std::string& name);

class FormerOutputs {
  public:
    // sources: every source file of the program's site, in every album.
    FormerOutputs(std::vector<std::string> sources,
                  const std::shared_ptr<WorkerMessageReceiver>& window);

    // Removes the output name (relative to folder, a folder of the site that the status
    // lines call shownAs, "" for the target itself), or, when it is a copy of an original
    // whose photo is no longer among the sources, moves it to the trash. The caller has
    // made sure it is as written.
    void Discard(const std::string& folder, const std::string& shownAs, const std::string& name);

    // Discards every file of before (what an earlier run wrote into folder) that now (what
    // this run wrote or kept there) does not list and that is still as written; says which
    // of them changed since and stay.
    void DiscardDropped(const std::string& folder, const std::string& shownAs,
                        const std::vector<AlbumOutputFile>& before,
                        const std::vector<AlbumOutputFile>& now);

    // Posts the one line that names what went to the trash, if anything did, and adds the
    // run's removals to summary.
    void Report(GenerationSummary& summary) const;

    int removed = 0;
    std::vector<std::string> trashed;  // as the status lines name them

  private:
    void KnowSources();

    // Whether the file at path is one of the sources itself.
    bool IsSource(const std::string& path);

    // Whether some source has the bytes of the copy at path: picked by size and time,
    // which a copy keeps, and confirmed byte by byte, so a renamed photo counts too.
    bool InSources(const std::string& path);

    std::vector<std::string> sources;
    const std::shared_ptr<WorkerMessageReceiver>& window;
    bool sourcesKnown = false;
    std::multimap<std::pair<long long, long long>, std::string> bySizeAndTime;
    std::set<std::pair<dev_t, ino_t>> sourceIds;
};

// The line that names the photos moved to the trash: "Moved 3 photos no longer in the
// source to the trash: a.jpg, b.jpg, c.jpg", the first few by name and "and N more".
std::string TrashedLine(const std::vector<std::string>& names);
