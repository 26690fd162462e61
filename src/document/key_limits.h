#pragma once

// The limits that validation holds number keys to (Thumbnail-Size 10 to 1000,
// Index-Thumbnails-Across and -Down 1 to 1000, Photo-Web-Size 0 or 320 to 8000,
// Photo-Web-Quality 10 to 100, Photo-Order 0 to 2) and Page-Language to a language tag, for
// whoever checks a value before it is stored. Pure functions.

#include <string>

#include "document/program_key.h"

// Empty when value lies within the limits of id or id has none; otherwise the sentence
// validation reports, such as "Thumbnail size of 5 exceeds limits (min: 10; max 1000)".
std::string KeyLimitProblem(ProgramKey id, int value);

// Empty when text suits the text key id; otherwise the sentence validation reports, such
// as "Page language \"e n\" is not a language tag such as en or de-CH".
std::string TextKeyProblem(ProgramKey id, const std::string& text);
