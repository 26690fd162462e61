#pragma once

// The question a generation run asks about a picture whose size cannot be read, or,
// for a run that no one attends, the status line it posts instead. Safe from any thread.

#include <memory>
#include <string>

#include "work/worker_messages.h"

// Whether the run goes on past the picture measured, whose measuring failed with error
// (GetImageSize's text). The user is asked, with error and "Do you want to continue?";
// when no one is there to answer, or the user has said Yes beforehand, the run goes on
// unasked and says why in a status line to window that names source, the file the user
// knows (measured may be its copy in the target). The user's No beforehand declines.
bool GoOnWithoutPictureSize(const std::string& error, const std::string& measured,
                            const std::string& source,
                            const std::shared_ptr<WorkerMessageReceiver>& window);
