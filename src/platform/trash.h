#pragma once

// The desktop's trash, as file managers and `gio trash` keep it in the user's data folder
// ($XDG_DATA_HOME/Trash): a file moved there lies in "files" under a name of its own, with
// a note of the same name and ".trashinfo" in "info" that says where it was and when it
// went, so the user can put it back. Keeps no state; safe from any thread as long as
// nobody changes the environment.

#include <ctime>
#include <string>

#include "platform/result.h"

// The trash folder files are moved to: $XDG_DATA_HOME/Trash.
std::string TrashFolder();

// Moves the file at path into the trash. Its name there is the file's own, or, when that
// is taken, "NAME.2.jpg", "NAME.3.jpg" and so on, reserved by creating the note first.
// Across file systems the file is copied whole and synced before the original goes. Ok
// with trashedName (when given) set to the name in "files"; on failure the file stays
// where it was, nothing of it is left in the trash, and the text says why. deleted: the
// time the note gives, in local time.
Result MoveToTrash(const std::string& path, std::string* trashedName = nullptr,
                   std::time_t deleted = std::time(nullptr));

// The path as a trash note writes it: every byte but letters, digits, "-._~" and "/"
// percent-encoded.
std::string TrashInfoPath(const std::string& path);
