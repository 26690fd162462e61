#pragma once

// What the worker thread of a generation runs: the run itself, a stop box for the window when a
// page cannot be written or an exception escapes it, and WM_APP_WORK_DONE to the request's window
// whatever happened. The front end puts its window into the request's options and keeps a copy of
// their stop flag before it starts the thread.

#include "document/program.h"
#include "generate/generation_run.h"

struct GenerationRequest {
    int kind = 1;
    Program* program = nullptr;
    GenerationOptions options;
};

// The run's outcome: kRunFailed when a page could not be written or an exception ended
// the run.
int GenerationWorker(const GenerationRequest& request);
