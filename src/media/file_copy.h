#pragma once

// Copying a source into the site unless an identical-looking copy is already there.
// Keeps no state; safe to call from several threads at once for different destinations.

#include <sys/stat.h>

#include <functional>
#include <string>

#include "platform/result.h"

// Ok when destination already has source's size and modification time (to the second),
// or when the copy succeeded. The copy goes to a temporary file in the destination's
// folder that is renamed over the destination once complete, so an interrupted copy never
// looks finished; it keeps the source's modification time and permission bits. A failure
// ("copy" of destination) carries the errno value that says why; the destination is left
// untouched.
Result CopyIfChanged(const std::string& source, const std::string& destination);

// Writes destination afresh: fill writes the content to a temporary file beside it, which
// takes source's permission bits and times and is renamed over destination once complete.
// A failure is verb of destination, from the errno value of the step that failed; the
// temporary is removed and destination left untouched.
Result ReplaceKeepingTime(const struct stat& source, const std::string& destination,
                          const std::string& verb, const std::function<Result(int out)>& fill);
