#pragma once

// Title and label patterns: "%D" file date, "%S" size in KB, "%F" file name,
// "%P" folder, "%W" image size, "%T" date taken, "%C" camera, "%E" exposure,
// "%A" the album's path (sites with albums only), "%%" a percent sign.

#include <string>
#include <string_view>

#include "document/program.h"
#include "platform/photo_facts.h"

// Expands the pattern held by the string key keyId for the file subjectPath, whose image
// size is width x height (0, 0 when unknown or not an image). Never fails: a file whose
// status cannot be read gives "unknown" for its date and size. When filter is given, every
// text put in for a code passes through it (pages escape file names so); the pattern's
// own text stays as written. facts are what the camera recorded about the file: "%T" is
// their date, else the file date as "%D" gives it; "%C" and "%E" are empty without them.
// album is the path "%A" stands for; without one "%A" stays as written, as it always has.
using SubstitutionFilter = std::string (*)(std::string_view text);
std::string ExpandPattern(const Program& program, ProgramKey keyId, const std::string& subjectPath,
                          int width, int height, SubstitutionFilter filter = nullptr,
                          const PhotoFacts* facts = nullptr, const std::string* album = nullptr);

// True when pattern holds a code that needs a photo's facts: "%T", "%C" or "%E".
bool PatternUsesPhotoFacts(std::string_view pattern);
