#pragma once

// Where per-user files go on a Linux desktop: the configuration and data folders of
// the XDG base directory rules. Read from the environment at each call, so tests can
// point them at temporary folders. Thread-safe as long as nobody changes the environment.

#include <string>
#include <vector>

#include "platform/result.h"

// $XDG_CONFIG_HOME when it is an absolute path, otherwise $HOME/.config.
std::string XdgConfigHome();

// $XDG_DATA_HOME when it is an absolute path, otherwise $HOME/.local/share.
std::string XdgDataHome();

// The system's data folders, most important first: the absolute entries of
// $XDG_DATA_DIRS, or /usr/local/share and /usr/share when it names none.
std::vector<std::string> XdgDataDirs();

// The user's home folder: $HOME, or the password database's entry when it is unset.
std::string HomeFolder();

// Creates path and every missing folder above it with the given mode (before the
// umask). Ok, or the failure as "mkdir" of path, from the errno of the step that failed
// (ENOTDIR for a file in the way).
Result CreateFolderPath(const std::string& path, unsigned mode);
