#pragma once

// What a run learns from its photos' metadata before it writes anything: the camera facts
// of each source, read once and only when the run uses them, and the order of the sources
// by the date they were taken (Photo-Order). Runs on the generation thread.

#include <vector>

#include "document/program.h"
#include "generate/source_facts_record.h"
#include "platform/photo_facts.h"
#include "platform/source_scan.h"
#include "work/stop_flag.h"

// True when the program's pages or order use camera facts: an order by date taken, a page
// title or thumbnail/content label pattern with "%T", "%C" or "%E" that is shown,
// captions from the camera, or content pages with photo markup (their line with the date
// taken). Text and HTML sites never do.
bool RunNeedsPhotoFacts(const Program& program);

// The facts of every file of list, in the list's order; empty when the run does not need
// them (then nothing is read). Stops early, leaving the rest empty, when a stop is asked for.
// With known, facts it holds of an unchanged source are not read again.
std::vector<PhotoFacts> ReadRunPhotoFacts(const Program& program, const FileList& list,
                                          const StopFlag* stop = nullptr,
                                          SourceFactsRecord* known = nullptr);

// With Photo-Order by date, sorts list and its facts alike (facts empty or one per entry):
// oldest or newest taken first, a photo without a date by its file's modification time;
// entries of the same time keep the list's order. By name, changes nothing.
void OrderByDateTaken(const Program& program, FileList& list, std::vector<PhotoFacts>& facts);
