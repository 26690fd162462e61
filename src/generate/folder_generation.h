#pragma once

// The steps of a run that make one folder of a site from one folder of sources: the
// tool's own output dropped from the list, the sources copied and measured, their
// pictures made, the index and content pages written and, unless a stop came, what
// earlier runs left there removed. A site without albums is one such folder; a site of
// albums is one per album. Runs on the generation worker thread.

#include <chrono>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "document/program.h"
#include "generate/album_place.h"
#include "generate/generation_run.h"
#include "generate/generation_summary.h"
#include "platform/date_time.h"
#include "platform/result.h"
#include "platform/source_scan.h"
#include "work/worker_messages.h"

// What a folder's run leaves for the run of the whole site.
struct FolderOutcome {
    std::string startPage;  // the folder's first page, relative to its target
    // Relative to the folder's target: the first picture's thumbnail, or the one of the
    // picture its description file names after "cover"; empty without thumbnails.
    std::string cover;
    OleDate newest = 0;                // the latest picture, by date taken or else file time
    std::vector<std::string> outputs;  // every file the run wrote or kept, relative
};

// The patterns of the program's sources (the classic image patterns when it names none).
std::string SourcePatterns(const Program& program);

// True for a picture of the tool's own (the credit badge, the placeholders) at path.
bool IsOwnPicture(const std::string& path);

// Drops from list the files of the tool's own that the kind of source may pick up: the
// credit badge and the placeholders among pictures, generated pages among HTML files. True
// when any was dropped.
bool DropOwnFiles(const Program& program, FileList& list, const GenerationOptions& options);

// Makes the target folder and its "Thumbs" (when thumbnails are on) and removes the
// temporary files a killed run left there. False after telling the user when either
// cannot be made.
bool PrepareTarget(const Program& program, const std::timespec& started,
                   const std::shared_ptr<WorkerMessageReceiver>& window);

// Tells the user that folder, the "target" or "thumbnail" directory, cannot be made, and why.
void ShowFolderNotMade(const std::shared_ptr<WorkerMessageReceiver>& window, const char* which,
                       const std::string& folder, const Result& made);

// Makes the folder of program's Target-Dir from list, the sources of its Source-Dir (not
// empty, in page order once the program's order is applied here). album: where the
// folder stands in a site of albums; null for a site without them. The pages' tally is
// added to summary. Returns kRunFinished (also when stopped) or kRunEndedAfterMessage, or
// the failure of a page that could not be written.
Expected<int> GenerateFolder(Program& program, FileList& list, const GenerationOptions& options,
                             const AlbumPlace* album, GenerationSummary& summary,
                             FolderOutcome& outcome);

// Tells the user that the source folder holds no files of the patterns; note says why
// some files there did not count. A source folder that does not exist is named as missing.
void ShowNoFilesFound(const std::shared_ptr<WorkerMessageReceiver>& window,
                      const std::string& sourceDir, const std::string& patterns,
                      const std::string& note = {});

// The end of a run that was not ended by a message: Last-Generated stamped (cleared after a
// stop), the bar at 100 (0), "Finished." ("Stopped by operator."), and summary, with the
// run's seconds, handed to the options' summary.
void EndRun(Program& program, const GenerationOptions& options, GenerationSummary& summary,
            std::chrono::steady_clock::time_point started);

// Records the start page LastStartPage gives.
void SetLastStartPage(const std::string& path);
