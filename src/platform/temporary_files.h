#pragma once

// The temporary files every replacement and copy writes before renaming them into place:
// short hidden names with one prefix of ours, whatever the final name, so a long final
// name still fits the file system's limit, and a file a killed process left behind is
// known as ours (never uploaded, removed by the next run). Keeps no state beyond a
// counter and the liveness probe; safe from any thread.

#include <sys/types.h>

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "platform/expected.h"
#include "platform/file_descriptor.h"
#include "platform/result.h"

// What every temporary file of ours starts with.
inline constexpr std::string_view kTemporaryFilePrefix = ".mavren-tmp-";

// True when the file name (not a path) is one of our temporary files.
bool IsTemporaryFileName(std::string_view name);

// Creates a new empty file for writing in the folder of path (a file that is to be
// replaced or made) under a temporary name of ours; the kernel applies the umask to mode
// 0666. Returns the descriptor (close-on-exec) with temporary set to the new file's path,
// or the failure ("open" of the last name tried, from errno).
Expected<UniqueFd> CreateTemporaryBeside(const std::string& path, std::string& temporary);

// Removes from folder the temporary files of ours that were last changed before since and
// whose writing process is no longer running, so nothing that is being written goes.
// Returns the names removed, in no particular order; a folder that cannot be read gives none.
// A listing that breaks off part way ends the sweep there; broken, when given, is set to
// its failure ("list" of the folder, from errno; ok when the folder was read whole or could
// not be opened at all).
std::vector<std::string> RemoveLeftoverTemporaryFiles(const std::string& folder,
                                                      const std::timespec& since,
                                                      Result* broken = nullptr);

// How the removal asks whether a writer still runs: kill with signal 0, unless a test
// installs its own (tests run as root, who may signal every process). Returns the previous.
using ProcessSignaller = int (*)(pid_t pid, int signal);
ProcessSignaller SetProcessSignaller(ProcessSignaller signaller);
