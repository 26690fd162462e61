#pragma once

// Title and label patterns: "%D" file date, "%S" size in KB, "%F" file name,
// "%P" folder, "%W" image size, "%%" a percent sign.

#include <string>

#include "document/program.h"

// Expands the pattern held by the string key keyId for the file subjectPath, whose image
// size is width x height (0, 0 when unknown or not an image). Never fails: a file whose
// status cannot be read gives "unknown" for its date and size.
std::string ExpandPattern(const Program& program, ProgramKey keyId, const std::string& subjectPath,
                          int width, int height);
