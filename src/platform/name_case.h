#pragma once

// How a folder's file system compares names: as written (ext4 and the like), or ignoring
// letter case (vfat, exFAT, most SMB shares), where "rome" finds a folder made as "Rome"
// and a rename from one spelling to the other may do nothing at all. Nothing here keeps
// state; safe from any thread, as long as no two callers rename in the same folder.

#include <string>

#include "platform/result.h"

// True when the file system of folder finds a file under a name spelt in other letter
// cases: a temporary file of ours is made there, looked up in capitals and removed at
// once. False when it is not so, and when no file can be made there to tell.
bool IgnoresLetterCase(const std::string& folder);

// The entry of folder that the file system finds for name where no entry is spelt exactly
// so (its "Rome" for "rome"); empty when name is there as written, or not there at all.
// Links are not followed.
std::string EntryFoundAs(const std::string& folder, const std::string& name);

// Renames the entry from of folder to to, which differ in letter case only, so that the
// folder lists it as to: directly, else, where the file system takes the two names for
// the same file and does nothing, through a temporary name of ours. A failure names its
// step and the path it worked on.
Result RenameLetterCase(const std::string& folder, const std::string& from, const std::string& to);
