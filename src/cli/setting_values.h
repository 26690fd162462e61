#pragma once

// What "mavren-cli set" accepts: each value checked the way the program file reads it
// back, and the key names nearest to one that no key carries. Pure functions apart from
// the current folder that relative folders are resolved against.

#include <string>
#include <vector>

#include "document/program_key.h"

// Checks value for the key of row and puts it into the form to store: Yes/No keys take
// yes or no in any letter case, number keys a whole number within the limits that
// validation applies, date keys the date form or Never, folder keys any folder, stored
// as an absolute path. Returns the empty text, or what is wrong with the value.
std::string CheckSettingValue(const KeyDescriptor& row, std::string& value);

// Up to three key names close to name: those within a few typing slips of it, else those
// whose words the words of name begin ("thumb-size" gives Thumbnail-Size). Table order
// among equals; empty when none is near.
std::vector<std::string> NearestKeyNames(const std::string& name);

// "A", "A or B", "A, B or C".
std::string JoinAlternatives(const std::vector<std::string>& names);
