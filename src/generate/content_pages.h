#pragma once

// Writes one content page per source file: GEN0000.HTM, GEN0001.HTM ... in the target
// folder, each showing the file itself (the image, the converted text or the body of the
// HTML file) under a heading, with a column of navigation links beside it. Runs on the
// generation worker thread after the index pages, whose names it links to; reports
// to the run's window and polls the run's stop flag before each page.

#include <vector>

#include "document/program.h"
#include "generate/page_frame.h"
#include "generate/source_record.h"

// Returns false after telling the user when a page cannot be finished; pages written so
// far stay. A stop returns true at once, before the next page. The pages open with the
// run's frame and are counted in its summary (a run of their own without one).
bool GenerateContentPages(std::vector<SourceRecord>& records, const Program& program,
                          PageRun* run = nullptr);
