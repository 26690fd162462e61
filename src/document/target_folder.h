#pragma once

// Where a program's site lies among the user's files. A program made before the target
// folder was asked for, or by hand, may write its site into its source folder: the site
// then shares the folder with the user's photos and whatever else is kept there, and an
// upload must send only the site. Pure functions of the program and the file system.

#include "document/program.h"

// True when Target-Dir is Source-Dir, also when the two are written differently
// ("photos" and "/home/ann/photos", or through a link).
bool TargetIsSourceFolder(const Program& program);

// True when an upload of the program sends only the site's files: the target folder is the
// source folder and Upload-Whole-Folder is No.
bool UploadsOnlySite(const Program& program);
