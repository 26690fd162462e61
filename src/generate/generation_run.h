#pragma once

// One "Generate": finds the program's source files, drops the tool's own output, copies
// image sources into the target folder and measures them, writes the index and content
// pages, removes what earlier runs wrote that this one did not (stale_output.h,
// former_outputs.h), and
// records the outcome in the program (Last-Generated) and in LastStartPage. A run that
// ends after a message records nothing.
// Runs on one worker thread; reports only through the worker messages to the options'
// window and polls the options' stop flag. The program is read there and only Last-Generated is
// written, so the front end must not change it during the run.

#include <memory>
#include <string>

#include "document/program.h"
#include "generate/generation_summary.h"
#include "platform/expected.h"
#include "platform/result.h"
#include "work/stop_flag.h"
#include "work/worker_messages.h"

struct GenerationOptions {
    int jobs = 0;                          // threads that make thumbnails ahead; 0: one per core
    GenerationSummary* summary = nullptr;  // filled with what the run did, when given
    std::shared_ptr<WorkerMessageReceiver> window = {};  // where every report goes; may be null
    // Polled at the run's checkpoints; the front end keeps a copy and sets it to stop the run.
    std::shared_ptr<StopFlag> stop = std::make_shared<StopFlag>();
    // Set by the run itself, not the front ends: false when the source was not read whole,
    // so a source missing from it may be there all the same and nothing stale is removed.
    bool removeStale = true;
};

// Outcomes of a run. kRunFailed is no outcome RunGeneration returns (it returns the
// failure itself) but what GenerationWorker says of such a run.
constexpr int kRunFailed = -1;            // a page could not be written; nothing was asked
constexpr int kRunFinished = 0;           // finished or stopped
constexpr int kRunEndedAfterMessage = 1;  // a copy or a page failed, or the user said No
constexpr int kRunNoSourceFiles = 2;
constexpr int kRunNoThumbnailFolder = 3;

// The run's outcome, or the failure of a page that could not be written (the run ended at
// once). kind is kept for the request's sake and not used.
Expected<int> RunGeneration(int kind, Program& program, const GenerationOptions& options = {});

// The start page of the site last generated in this process; empty until a run has
// recorded one. Safe from any thread.
std::string LastStartPage();
