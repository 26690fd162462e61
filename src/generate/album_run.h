#pragma once

// A run of a program that makes albums of its source's subfolders (Include-Subfolders):
// the source tree is walked once, every album is made in the same relative folder of the
// target, sub-albums before the album that lists them, and an album whose sources,
// settings and sub-album entries are as the last run left them, and whose files are still
// there, is left as it is. Albums whose source folder is gone lose what this program made
// of them; a target whose albums belong to another program is refused before anything is
// written (album_claim.h). Runs on the generation worker thread, as RunGeneration, which
// calls it.

#include <chrono>
#include <ctime>

#include "document/program.h"
#include "generate/album_scan.h"
#include "generate/generation_run.h"

// The albums of the program's source tree as a run finds them: the site's own folders
// (the target, and every album's "Thumbs" and "Web") are none.
AlbumTree ScanProgramAlbums(const Program& program);

// Returns what RunGeneration returns; started and startTime are the run's start.
Expected<int> RunAlbumGeneration(Program& program, const GenerationOptions& options,
                                 const std::timespec& startTime,
                                 std::chrono::steady_clock::time_point started);
