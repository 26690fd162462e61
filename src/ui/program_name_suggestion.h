#pragma once

// The program file name the new-program wizard suggests for a source folder: the folder's
// own name with ".mav", or, when that file exists, the name followed by 00 to 24 and ".mav",
// the first that does not exist in the folder the program goes to (NewProgramFolder:
// beside the source folder). Looks at that folder only; thread-safe.

#include <string>

// "" when the folder has no name of its own ("/") or all 26 candidates exist.
std::string SuggestProgramName(const std::string& sourceFolder);
