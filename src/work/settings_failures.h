#pragma once

// How the front ends (the windows and mavren-cli) tell of settings that cannot be used or
// written, in the boxes the settings store's failures call for; a damaged file is told once.

#include <memory>

#include "platform/result.h"
#include "work/worker_messages.h"

// Checks the settings file; when it cannot be used, says so in a stop box (once per
// damage) and returns false.
bool CheckSettings();

// Tells of a settings write that failed in an OK box, unless it met damage told already;
// nothing for success.
void TellSettingsWriteFailure(const Result& written);

// The same from a worker: the OK box is posted to window (see PostErrorText).
void PostSettingsWriteFailure(const std::shared_ptr<WorkerMessageReceiver>& window,
                              const Result& written);
