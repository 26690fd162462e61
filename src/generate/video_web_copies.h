#pragma once

// The web copies of a folder's videos, made once their posters are: a copy the record of
// the sources knows is kept, the others are made by ffmpeg, at most two at a time, while
// the generation worker thread reports how far they are ("Video 3 of 12: beach.mov - 40 %
// - 2 minutes remaining") and moves the progress bar. A video ffmpeg cannot copy is marked
// damaged, so that it shows the placeholder; the others go on. A stop kills the encodes
// under way at once.

#include <memory>
#include <string>
#include <vector>

#include "document/program.h"
#include "generate/generation_summary.h"
#include "generate/source_facts_record.h"
#include "generate/source_record.h"
#include "work/stop_flag.h"
#include "work/worker_messages.h"

struct VideoRun {
    const Program& program;
    SourceFactsRecord& sources;
    int jobs = 0;  // as GenerationOptions::jobs: how many encodes may run at once, up to two
    std::shared_ptr<WorkerMessageReceiver> window;
    const StopFlag* stop = nullptr;
};

// Fills webVideo (and the size of the copy) of each sound video among records, whose
// sources as listed (the record's keys) are listed. Runs on the generation worker thread.
void MakeVideoWebCopies(std::vector<SourceRecord>& records, const std::vector<std::string>& listed,
                        VideoRun& run, GenerationSummary& summary);
