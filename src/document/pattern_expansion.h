#pragma once

// Title and label patterns: "%D" file date, "%S" size in KB, "%F" file name,
// "%P" folder, "%W" image size, "%%" a percent sign.

#include <string>
#include <string_view>

#include "document/program.h"

// Expands the pattern held by the string key keyId for the file subjectPath, whose image
// size is width x height (0, 0 when unknown or not an image). Never fails: a file whose
// status cannot be read gives "unknown" for its date and size. When filter is given, every
// text put in for a code passes through it (pages escape file names so); the pattern's
// own text stays as written.
using SubstitutionFilter = std::string (*)(std::string_view text);
std::string ExpandPattern(const Program& program, ProgramKey keyId, const std::string& subjectPath,
                          int width, int height, SubstitutionFilter filter = nullptr);
