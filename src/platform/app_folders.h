#pragma once

// The folders fixed at start-up: the running executable's folder, where the template
// program and the pictures the tool installs live, and the help folder inside it.
// Set once early in start-up and only read afterwards; the accessors return copies and
// are safe from any thread.

#include <string>

// Sets both folders from /proc/self/exe: the executable's folder with its trailing "/",
// and that folder followed by "Help/". Both stay empty when the path cannot be read.
void SetFoldersFromExecutable();

// Sets the executable folder (a trailing "/" is added when missing) and the help folder
// inside it. For programs and tests that keep their resources elsewhere.
void SetExecutableFolder(const std::string& folder);

std::string ExecutableFolder();
std::string HelpFolder();
