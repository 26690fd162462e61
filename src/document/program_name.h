#pragma once

// The name a new program is offered (by the wizard and by mavren-cli new): the source
// folder's own name with ".mav", or with a two-digit counter when a program of that name
// is already there. Reads the file system only; safe from any thread.

#include <string>

// Tries "<name>.mav", then "<name>00.mav" to "<name>24.mav" in programFolder, where name
// is the last component of namingFolder; the first that does not exist, or empty when all
// do or namingFolder has no last component (the root).
std::string SuggestedProgramName(const std::string& namingFolder, const std::string& programFolder);
