#pragma once

// Where `mavren-cli new` and the New Program wizard put a program and its site when the
// user names no folder: beside the source folder, never inside it, so that a folder of
// photos gets nothing written into it. The program file (and its theme) go into the
// source folder's parent; the site into a folder of its own there, named after the
// source folder ("/home/ann/Trip" gives "/home/ann/Trip site"). A source folder without
// a parent to write beside ("/") or the home folder itself puts both into the home
// folder. Reads the file system only; safe from any thread.

#include <string>

// Both give "" for an empty source folder.

// The folder the program file goes into: the source folder's parent, or the home folder
// for "/" and for the home folder itself. A relative source is taken from the current
// folder.
std::string NewProgramFolder(const std::string& source);

// The site folder of a new program: "<name> site" in NewProgramFolder(source), or
// "<name> site 2", "<name> site 3" ... when that name is taken by anything but an empty
// folder (a file, a link, a folder holding files): an empty folder is a site not made yet,
// as `new` leaves it. "Site" stands for the name of "/". Empty when the first 999 names
// are all taken.
std::string DefaultSiteFolder(const std::string& source);

// True for "/" and the home folder: too wide to make albums of without being asked.
bool IsWholeTreeFolder(const std::string& folder);
