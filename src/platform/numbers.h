#pragma once

// Reading numbers out of stored texts the way the tool always has. Pure functions.

#include <string>

// What atoi reads: blanks, a sign, digits; anything after is ignored, no digits give 0.
// Out-of-range numbers stop at the int limits instead of wrapping.
int ParseLeadingInt(const std::string& text);
