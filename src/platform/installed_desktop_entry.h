#pragma once

// What a package or "make install" has already registered with the desktop for a file
// type, so that the per-user registration made at each start does not repeat it. Reads
// the system's data folders ($XDG_DATA_DIRS) at each call; safe from any thread as long
// as nobody changes the environment.

#include <string>

// True when a desktop entry in the "applications" folder of a system data folder lists
// type in its MimeType and its Exec line runs program itself (links followed; a bare
// name is looked up on $PATH).
bool InstalledEntryOpens(const std::string& type, const std::string& program);

// True when a system data folder holds the shared-mime-info package
// "mime/packages/<name>.xml".
bool InstalledMimePackage(const std::string& name);
